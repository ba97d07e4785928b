// The measures window fed the way its owner feeds it: an unknown phase word, a
// silent house meter, the image and closing. Formulas: tst_viewrules.
#include "measures.h"
#include "registerreply.h"
#include "testsupport.h"

#include <QLabel>
#include <QMutexLocker>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

namespace {
using testsupport::labelText;
const quint16 Meter = registerblocks::StatusSelfConsumption;

// Identity (phase word, nominal power as six characters), measures, status words 6 to 8, house load.
struct Board
{
    EquipmentRecords rec;
    Board(char phase, const QByteArray& power6, const QMap<int, int>& measures, quint16 status2,
          QVector<quint16> house)
    {
        QVector<quint16> identity(registerblocks::IdentityBytes / 2, 0);
        identity[0] = quint8(phase);
        for (int i = 0; i < 3; ++i)
            identity[1 + i] = quint16(quint8(power6[2 * i]) << 8 | quint8(power6[2 * i + 1]));
        testsupport::receiveWords(rec, identity);
        rec.storeIdentity();
        testsupport::storeMeasures(rec, measures);
        testsupport::receiveWords(rec, {0, 0, status2});
        rec.storeStatus();
        testsupport::receiveWords(rec, house);
        rec.storeHouseLoad();
    }
};

void feed(Measures* w, const Board& b, bool identity = false)
{
    w->setTheStatusWords(b.rec.status);
    if (identity) {
        w->setTheIdentity(b.rec.identity);
        w->IdentUpdates();
    }
    w->MeasuresUpdates();
    QVERIFY(w->getTheFedFlag());
    QMutexLocker lock(&registerblocks::measuresMutex());
    w->setTheMeasures(b.rec.measures);
    w->setTheHouseLoad(b.rec.houseLoad);
}
Board threePhase(quint16 status2 = Meter)
{
    return Board('3', "020000", {{14, 410}, {15, 409}, {16, 411}}, status2, {12, 8, 15});
}
} // namespace

class TestMeasures : public QObject
{
    Q_OBJECT
private slots:
    void unknownPhaseWordKeepsTheCount()
    {
        Measures w;
        QCOMPARE(w.getTheNumPhases(), 0);
        feed(&w, Board('1', "003000", {{10, 2302}}, 0, {0xFFFF, 0, 0}), true);
        QCOMPARE(w.getTheNumPhases(), 1);
        feed(&w, Board('7', "020000", {}, 0, {0xFFFF, 0, 0}), true);
        QCOMPARE(w.getTheNumPhases(), 1);
    }

    // A silent meter: "Timeout" centred in the first row, the others kept; right-aligned once it answers.
    void silentHouseMeter()
    {
        Measures window, *w = &window;
        w->setTheShowExtended(true);
        w->setTheNominalPower(20000.0);
        w->show();
        feed(w, threePhase(), true);
        QTRY_COMPARE(labelText(w, "theL_1"), QString("L1 =      1.2KW"));
        feed(w, threePhase(Meter | registerblocks::StatusMeterSilent));
        QTRY_COMPARE(labelText(w, "theL_1"), QString("Timeout"));
        QLabel* first = w->findChild<QLabel*>("theL_1");
        QCOMPARE(first->alignment(), Qt::AlignCenter);
        QVERIFY(first->isVisible());
        QCOMPARE(labelText(w, "theL_2"), QString("L2 =      0.8KW"));
        testsupport::saveGrab(w, "measures_meter_timeout");
        feed(w, threePhase());
        QTRY_COMPARE(labelText(w, "theL_1"), QString("L1 =      1.2KW"));
        QCOMPARE(first->alignment(), Qt::AlignRight | Qt::AlignVCenter);
    }

    // The image follows the kind and the nominal power, whichever comes first.
    void imageFollowsKindAndPower()
    {
        Measures w;
        w.setTheNominalPower(250000.0);
        QCOMPARE(w.getTheImage(), QString(":/centr2.png"));
        w.setTheInvIsZETA(true);
        QCOMPARE(w.findChild<QLabel*>("theIcon")->pixmap(Qt::ReturnByValue).toImage(),
                 QPixmap(":/ZETA.png").toImage());
    }

    // Escape and close() tell the owner once; the window then deletes itself (the button: tilewindows).
    void closing()
    {
        for (bool escape : {true, false}) {
            QPointer<Measures> w = new Measures;
            QSignalSpy closings(w.data(), &Measures::ChildClosing);
            w->show();
            if (escape)
                QTest::keyClick(w.data(), Qt::Key_Escape);
            else
                w->close();
            QCOMPARE(closings.count(), 1);
            QTRY_VERIFY(w.isNull());
        }
    }
};

VELORA_CONSOLE_TEST_MAIN(TestMeasures)
#include "tst_measures.moc"
