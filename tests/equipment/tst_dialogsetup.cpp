// The parameters dialog as the operator uses it: the Apply button's rules,
// the block Apply builds, the power box read back, the status texts, closing.
#include "dialogsetup.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {
template <typename T> T* child(QWidget& w, const char* name)
{
    T* c = w.findChild<T*>(name);
    if (!c)
        qFatal("no child %s", name);
    return c;
}
QString label(DialogSetup& d, const char* name)
{
    return child<QLabel>(d, name)->text();
}
// Checks a box the way a click does (the slot runs with the new state).
void check(DialogSetup& d, const char* box, bool on = true)
{
    QCheckBox* b = child<QCheckBox>(d, box);
    if (b->isChecked() != on)
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}
void type(DialogSetup& d, const char* field, const QString& text)
{
    QLineEdit* e = child<QLineEdit>(d, field);
    e->clear();
    QTest::keyClicks(e, text);
}
QVector<int> block(const DialogSetup& d)
{
    unsigned short b[8];
    d.CopyTheBlock(b);
    return QVector<int>(b, b + 8);
}
} // namespace

class TestDialogSetup : public QObject
{
    Q_OBJECT
private slots:
    void applyButton_data()
    {
        QTest::addColumn<bool>("plantMode");
        QTest::addColumn<bool>("commandsEnabled");
        QTest::addColumn<bool>("cosPhiBox");
        QTest::addColumn<double>("cosPhi");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("cos(phi) 0.5") << false << true << true << 0.5 << false << false;
        QTest::newRow("cos(phi) 0.5, plant") << true << true << true << 0.5 << false << true;
        QTest::newRow("cos(phi) 0.5, box unchecked") << false << true << false << 0.5 << true << true;
        // A board refusing commands: tst_e2e_commands.
        QTest::newRow("commands disabled, plant") << true << false << false << 1.0 << true << true;
    }
    void applyButton()
    {
        QFETCH(bool, plantMode);
        QFETCH(bool, commandsEnabled);
        QFETCH(bool, cosPhiBox);
        QFETCH(double, cosPhi);
        DialogSetup d;
        d.setThePlantMode(plantMode);
        d.setTheCommandsEnabled(commandsEnabled);
        d.show();
        check(d, "checkBoxCP", cosPhiBox);
        child<QDoubleSpinBox>(d, "CosphiSB")->setValue(cosPhi);
        QPushButton* apply = child<QPushButton>(d, "pushButtonApply");
        QTEST(apply->isVisible(), "visible");
        QTEST(apply->isEnabled(), "enabled");
        QCOMPARE(label(d, "label_WHAT"), QString(plantMode ? "Plant" : "Inverter"));
    }

    // Apply encodes what the form shows, asks for a send and reads "Sending..."
    // (the frames a board receives: tst_e2e_commands).
    void applyBuildsTheBlock_data()
    {
        QTest::addColumn<QStringList>("steps"); // boxes clicked, "field=text" typed, in order
        QTest::addColumn<QVector<int>>("block");
        const int x = 0xFFFF;
        // Reactive power and cos(phi) exclude each other: the last one checked stays.
        QTest::newRow("reactive, then cos(phi)") << QStringList{"checkBoxQ", "checkBoxCP", "CosphiSB=-0.8"}
                                                 << QVector<int>{0x0004, x, x, 20, x, x, x, x};
        QTest::newRow("cos(phi), then reactive -100")
            << QStringList{"checkBoxCP", "checkBoxQ", "checkBoxP", "ReactivePower=-100"}
            << QVector<int>{0x0003, 100, 0, x, x, x, x, x};
        // The validators refuse signs, letters and more digits than the range
        // has; a number above the range can be typed and is held to it.
        QTest::newRow("power typed -1x50")
            << QStringList{"checkBoxP", "Power=-1x50"} << QVector<int>{0x0001, 100, x, x, x, x, x, x};
        QTest::newRow("command typed 3, ramp typed 2510")
            << QStringList{"checkBoxC", "checkBoxGradUp", "Command=3", "GradUp=2510"}
            << QVector<int>{0x0018, x, x, x, 2, 250, x, x};
    }
    void applyBuildsTheBlock()
    {
        QFETCH(QStringList, steps);
        DialogSetup d;
        d.show();
        for (const QString& step : steps) {
            const QString name = step.section('=', 0, 0), text = step.section('=', 1);
            if (name == "CosphiSB")
                child<QDoubleSpinBox>(d, "CosphiSB")->setValue(text.toDouble());
            else if (step.contains('='))
                type(d, qPrintable(name), text);
            else
                check(d, qPrintable(name));
        }
        QVERIFY(!d.getTheSendRequested());
        QTest::mouseClick(child<QPushButton>(d, "pushButtonApply"), Qt::LeftButton);
        QVERIFY(d.getTheSendRequested());
        QTEST(block(d), "block");
        QTRY_COMPARE(label(d, "Status"), QString("Sending..."));
        d.WriteAcknowledged();
        QVERIFY(!d.getTheSendRequested());
    }

    // Escape leaves the dialog open; the close button only asks the owner.
    void closing()
    {
        DialogSetup d;
        d.show();
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(d.isVisible() && !d.getTheCloseRequested());
        QTest::mouseClick(child<QPushButton>(d, "pushButtonClose"), Qt::LeftButton);
        QVERIFY(d.getTheCloseRequested() && d.isVisible());
    }

    // Only the first block read sets the power box, from its mask.
    void readBack()
    {
        DialogSetup d;
        d.show();
        const unsigned short first[8] = {0x0005, 80, 0xFFFF, 170, 0xFFFF, 0xFFFF, 0xFFFF, 150};
        d.setTheInvParameters(first);
        QCOMPARE(label(d, "PowerFromInv"), QString("80%"));
        QVERIFY(child<QCheckBox>(d, "checkBoxP")->isChecked());
        check(d, "checkBoxP", false);
        d.setTheInvParameters(first);
        QVERIFY(!child<QCheckBox>(d, "checkBoxP")->isChecked());
        DialogSetup fresh; // a board whose parameters were never written
        const unsigned short never[8] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
        fresh.setTheInvParameters(never);
        QVERIFY(!child<QCheckBox>(fresh, "checkBoxP")->isChecked());
    }

    // The status label follows the code every half second (a plant's summary: tst_e2e_commands).
    void statusTexts()
    {
        DialogSetup d;
        d.show();
        QCOMPARE(label(d, "Status"), QString("-----"));
        QTRY_COMPARE(label(d, "Status"), QString("---"));
        d.setTheStatus(0);
        QTRY_COMPARE(label(d, "Status"), QString("Verifying..."));
        d.setTheStatus(4);
        QTRY_COMPARE(label(d, "Status"), QString("Inverter is in local mode."));
    }
};

QTEST_MAIN(TestDialogSetup)
#include "tst_dialogsetup.moc"
