// The communication window on its own: what each kind of equipment is
// offered, the port fields, the parameters dialog it opens and deletes, and
// its close requests. Its log-copy buttons with a tile: tst_invbutton.
#include "dialogcommparams.h"
#include "dialogsetup.h"
#include "testsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
QPushButton* button(DialogCommParams& w, const char* name)
{
    QPushButton* b = w.findChild<QPushButton*>(name);
    if (!b)
        qFatal("no button %s", name);
    return b;
}
void click(DialogCommParams& w, const char* name)
{
    QTest::mouseClick(button(w, name), Qt::LeftButton);
}
// The buttons shown, among those that depend on the kind.
QStringList shownButtons(DialogCommParams& w)
{
    QStringList shown;
    for (const char* name :
         {"CommandsButton", "SyncButton", "SyncFtpButton", "HisRamButton", "FtpCloseButton"})
        if (button(w, name)->isVisible())
            shown << name;
    if (w.findChild<QLabel*>("theSnapshot")->isVisible())
        shown << "theSnapshot";
    return shown;
}
QString labelText(DialogSetup* d, const char* name)
{
    return d->findChild<QLabel*>(name)->text();
}
} // namespace

class TestDialogCommParams : public QObject
{
    Q_OBJECT
private slots:
    void kinds_data()
    {
        QTest::addColumn<bool>("stringBox");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("inverter") << false << false
                                  << QStringList{"CommandsButton", "SyncButton", "SyncFtpButton",
                                                 "HisRamButton", "theSnapshot"};
        QTest::newRow("zeta") << false << true
                              << QStringList{"CommandsButton", "SyncButton", "SyncFtpButton", "theSnapshot"};
        QTest::newRow("string box") << true << false << QStringList{"HisRamButton"};
    }
    void kinds()
    {
        QFETCH(bool, stringBox);
        QFETCH(bool, zeta);
        DialogCommParams w(nullptr, stringBox);
        w.setTheIsZeta(zeta);
        w.show();
        QTEST(shownButtons(w), "shown");
        if (!stringBox && !zeta)
            testsupport::saveGrab(&w, "communication-window");
    }

    // An empty field just closes; anything else is refused with the window open
    // (a valid port reaching the tile: tst_e2e_commands). The close button and
    // Escape ask to be closed without handing anything on.
    void ports_data()
    {
        QTest::addColumn<QString>("press"); // a button's name, or Escape
        QTest::addColumn<QString>("modbus");
        QTest::addColumn<QString>("ftp");
        QTest::addColumn<QString>("status"); // "Ready." when it closes
        const auto row = [](const char* name, const char* modbus, const char* ftp, const char* status,
                            const char* press = "pushButtonApply") {
            QTest::newRow(name) << press << modbus << ftp << status;
        };
        row("modbus empty", "", "2121", "Ready.");
        row("ftp blank", "1502", "  ", "Ready.");
        row("modbus 0", "0", "21", "Modbus port must be a number from 1 to 65535.");
        row("ftp negative", "502", "-21", "Ftp port must be a number from 1 to 65535.");
        row("close button drops typed ports", "1502", "2121", "Ready.", "pushButtonClose");
        row("escape drops typed ports", "1502", "2121", "Ready.", "Escape");
    }
    void ports()
    {
        QFETCH(QString, press);
        QFETCH(QString, status);
        DialogCommParams w;
        w.setTheTcpPort(502);
        w.setTheFtpPort(21);
        w.setTheStatus("Ready.");
        w.show();
        QSignalSpy chosen(&w, &DialogCommParams::PortsChosen);
        QFETCH(QString, modbus);
        QFETCH(QString, ftp);
        w.findChild<QLineEdit*>("ModbusPortValue")->setText(modbus);
        w.findChild<QLineEdit*>("FtpPortValue")->setText(ftp);
        if (press == "Escape")
            QTest::keyClick(&w, Qt::Key_Escape);
        else
            click(w, qPrintable(press));
        QCOMPARE(chosen.size(), 0);
        const bool closes = status == "Ready.";
        QCOMPARE(w.getTheCloseRequested(), closes);
        QCOMPARE(w.isVisible(), !closes);
        QCOMPARE(w.getTheStatus(), status);
    }

    // The commands button opens the parameters dialog, which the window
    // deletes once its close button has been pressed (a board refusing
    // commands: tst_e2e_commands).
    void parametersDialog_data()
    {
        QTest::addColumn<bool>("legacy");
        QTest::addColumn<bool>("commandsDisabled");
        QTest::newRow("accepts commands") << false << false;
        QTest::newRow("legacy, status unknown") << true << true;
    }
    void parametersDialog()
    {
        QFETCH(bool, legacy);
        QFETCH(bool, commandsDisabled);
        DialogCommParams w;
        w.setTheName("Roof");
        w.setTheAddress("127.0.0.1");
        w.setTheLegacy(legacy);
        w.setTheCommandsDisabled(commandsDisabled);
        w.show();
        QVERIFY(!w.getTheCommandsOpen());
        click(w, "CommandsButton");
        DialogSetup* setup = w.getTheSetup();
        QVERIFY(setup && setup->isVisible() && w.getTheCommandsOpen());
        QVERIFY(!button(w, "CommandsButton")->isEnabled());
        QCOMPARE(labelText(setup, "CommandsTitle"), QString("Roof (127.0.0.1)"));
        QCOMPARE(labelText(setup, "label_COMM"), QString("Commands"));
        QVERIFY(setup->findChild<QPushButton*>("pushButtonApply")->isEnabled());

        // The tile's view of the equipment changes: the poll follows it.
        w.setTheCommandsDisabled(!commandsDisabled);
        QTRY_COMPARE(labelText(setup, "label_COMM"),
                     QString(!legacy && !commandsDisabled ? "Commands (disabled)" : "Commands"));

        QPointer<DialogSetup> gone = setup;
        QTest::mouseClick(setup->findChild<QPushButton*>("pushButtonClose"), Qt::LeftButton);
        QTRY_VERIFY(!gone);
        QVERIFY(!w.getTheCommandsOpen());
        QVERIFY(button(w, "CommandsButton")->isEnabled());
        w.setTheStatusCode(2); // the dialog is gone: nothing to tell any more
    }
};

QTEST_MAIN(TestDialogCommParams)
#include "tst_dialogcommparams.moc"
