// The communication window on its own: what each kind of equipment is
// offered, the log-copy flags, the port fields, the parameters dialog it
// opens and deletes, and its close requests.
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

    // A copy asked for offers Stop and no second copy until it has ended.
    void logCopyButtons_data()
    {
        QTest::addColumn<QString>("copyButton");
        QTest::newRow("log files") << "SyncFtpButton";
        QTest::newRow("history files") << "HisRamButton";
    }
    void logCopyButtons()
    {
        QFETCH(QString, copyButton);
        DialogCommParams w;
        w.show();
        click(w, qPrintable(copyButton));
        QVERIFY(button(w, "FtpCloseButton")->isVisible());
        QVERIFY(!button(w, "SyncFtpButton")->isEnabled());
        QVERIFY(!button(w, "HisRamButton")->isEnabled());
        const bool logs = copyButton == "SyncFtpButton";
        QCOMPARE(w.getTheSyncFtpRequested(), logs);
        QCOMPARE(w.getTheHisRamRequested(), !logs);
        // The tile takes the request up.
        w.clearTheSyncFtpRequested();
        w.clearTheHisRamRequested();
        (logs ? w.setTheSyncFtpBusy(true) : w.setTheHisRamBusy(true));
        QVERIFY(!w.getTheStopRequested());
        click(w, "FtpCloseButton");
        QVERIFY(w.getTheStopRequested());
        w.clearTheStopRequested();
        w.setTheStopped(true);
        w.SyncEnded();
        QVERIFY(!w.getTheStopRequested());
        QVERIFY(w.getTheStopped());
        QVERIFY(!button(w, "FtpCloseButton")->isVisible());
        QVERIFY(button(w, "SyncFtpButton")->isEnabled());
        QVERIFY(button(w, "HisRamButton")->isEnabled());
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
        const QString ok = "Ready.", apply = "pushButtonApply";
        QTest::newRow("modbus empty") << apply << ""
                                      << "2121" << ok;
        QTest::newRow("ftp blank") << apply << "1502"
                                   << "  " << ok;
        QTest::newRow("modbus 0") << apply << "0"
                                  << "21"
                                  << "Modbus port must be a number from 1 to 65535.";
        QTest::newRow("ftp negative") << apply << "502"
                                      << "-21"
                                      << "Ftp port must be a number from 1 to 65535.";
        QTest::newRow("close button drops typed ports") << "pushButtonClose"
                                                        << "1502"
                                                        << "2121" << ok;
        QTest::newRow("escape drops typed ports") << "Escape"
                                                  << "1502"
                                                  << "2121" << ok;
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
        QTest::addColumn<QString>("comm");
        QTest::addColumn<bool>("applyEnabled");
        QTest::newRow("accepts commands") << false << false << "Commands" << true;
        QTest::newRow("legacy, status unknown") << true << true << "Commands" << true;
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
        QVERIFY(setup && setup->isVisible());
        QVERIFY(w.getTheCommandsOpen());
        QVERIFY(!button(w, "CommandsButton")->isEnabled());
        QCOMPARE(labelText(setup, "CommandsTitle"), QString("Roof (127.0.0.1)"));
        QTEST(labelText(setup, "label_COMM"), "comm");
        QTEST(setup->findChild<QPushButton*>("pushButtonApply")->isEnabled(), "applyEnabled");

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
