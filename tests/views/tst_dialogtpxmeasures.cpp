// The TPX measures window: units, decimals and signs of the copies it is fed
// with (one row per quantity; the phases of a quantity share its rule), and
// its close flag.
#include "dialogtpxmeasures.h"
#include "testsupport.h"
#include "tpxtestblocks.h"

#include <QPointer>
#include <QtTest>

class TestDialogTpxMeasures : public QObject
{
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<int>("word");   // block B word
        QTest::addColumn<int>("value");  // as the board sends it
        QTest::addColumn<quint16>("a0"); // block A word 0
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, int word, int value, quint16 a0, const char* label,
                            const char* expected) {
            QTest::newRow(name) << word << value << a0 << QString(label) << QString(expected);
        };
        row("voltages are unsigned", 0, 40000, 0, "inputV_1", "40000V");
        row("input current L3", 5, 125, 0, "inputA_3", "12.50A");
        row("bypass frequency", 13, 499, 0, "BypF", "49.90Hz");
        row("output currents are unsigned", 22, 0xFFF6, 0, "outputA_3", "6552.60A");
        row("load L1 negative", 26, 0xFFF6, 0, "Load_1", "(-10%)");
        row("active power L2 negative", 30, 0xFF85, 0, "outputAP_2", "-12.30KW");
        row("battery discharging", 39, 125, 1 << 6, "BattA", "-12.50A");
        row("load on bypass is not discharging", 39, 125, 1 << 11, "BattA", "12.50A");
        row("battery autonomy", 42, 35, 0, "BattT", "35%");
        row("rectifier temperature below zero", 52, 0xFFFB, 0, "SensT_2", "-5C");
    }
    void texts()
    {
        QFETCH(int, word);
        QFETCH(int, value);
        QFETCH(quint16, a0);
        QFETCH(QString, label);
        TpxTestBlocks blocks;
        blocks.setB({{word, quint16(value)}});
        DialogTPXMeasures d;
        d.setTheTPXBlockB(blocks.blockB());
        blocks.setA(0, a0);
        d.setTheTPXBlockA(blocks.blockA()); // a copy of block A alone redraws the battery's sign
        QTEST(testsupport::labelText(&d, label), "expected");
        if (label == "BattA") {
            d.show();
            QVERIFY(QTest::qWaitForWindowExposed(&d));
            testsupport::saveGrab(&d, "tpx_measures_window");
        }
    }

    // Escape only raises the flag the tile polls, and hides the window (the close button: tilewindows).
    void escapeHides()
    {
        QPointer<DialogTPXMeasures> d = new DialogTPXMeasures;
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        QVERIFY(!d->getTheCloseRequested());
        QTest::keyClick(d, Qt::Key_Escape);
        QVERIFY(d->getTheCloseRequested());
        QVERIFY(d->isHidden());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(d); // the tile deletes it
        delete d;
    }
};

QTEST_MAIN(TestDialogTpxMeasures)
#include "tst_dialogtpxmeasures.moc"
