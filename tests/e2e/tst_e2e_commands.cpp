// Parameters and commands against plantsim on loopback: the write sequence
// each protocol generation puts on the wire, the texts the parameters dialog
// shows for each result word, a plant-wide send to boards that agree,
// refuse and stay silent, and a port change made in the communication
// window. Runs in a network namespace with only loopback: the plant "LOCAL"
// broadcasts its discovery.
#include "consoletest.h"
#include "dialogcommparams.h"
#include "dialogsetup.h"
#include "maindialog.h"
#include "parameterblock.h"
#include "talvoobject.h"

#include <QDoubleSpinBox>
#include <QLineEdit>

using namespace consoletest;

namespace {
QJsonObject board(const QString& id, int firmware, const QString& result = "0x0F32", bool commands = true)
{
    return simBoard(id, id == "zeta" ? "zeta" : "inverter", firmware,
                    {{"nominalPower", 6000}, {"resultWord", result}, {"commands", commands}});
}
// Opens the tile's communication window with a click on its icon.
DialogCommParams* openCommWindow(InvButton& tile)
{
    QTest::mouseClick(tile.findChild<TalvoObject*>("theIcon"), Qt::LeftButton);
    DialogCommParams* comm = tile.getTheCommWindow();
    return comm && comm->isVisible() ? comm : nullptr;
}
// Opens the tile's communication window, then its parameters dialog; null when either did not open.
DialogSetup* openCommands(InvButton& tile)
{
    DialogCommParams* comm = openCommWindow(tile);
    if (!comm)
        return nullptr;
    click(comm, "CommandsButton");
    return comm->getTheSetup();
}
} // namespace

class TestE2eCommands : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    QTemporaryDir dir;
    PlantSimProcess sim;
    std::unique_ptr<InvButton> resultTile; // kept across the result word rows

    // A tile for one board, connected, its cycle at 100 ms, the board's
    // status read: whether it accepts commands is known.
    std::unique_ptr<InvButton> commandTile(const QString& id, bool zeta = false)
    {
        auto tile = connectedTile(sim, sandbox.path(), id, "1.5.0", 100, zeta);
        return tile && statusRead(id) ? std::move(tile) : nullptr;
    }
    // True once the board's status has been read and the cycle has gone on
    // (a request follows the status request).
    bool statusRead(const QString& id)
    {
        const QRegularExpression status("^REQ " + id + " fc=3 reg=6 ");
        return sim.waitForLine(status) &&
               sim.waitForLine(QRegularExpression("^REQ " + id + ' '), sim.indexOf(status) + 1);
    }
    // The board's requests from the first write on, as logged.
    QStringList writeSequence(const QString& id, int count)
    {
        const QStringList reqs = sim.linesStartingWith("REQ " + id + ' ');
        for (int i = 0; i < reqs.size(); ++i)
            if (reqs[i].contains(" fc=16 ") || reqs[i].contains(" fc=6 "))
                return reqs.mid(i, count);
        return {};
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(testsupport::unexpectedInterface().isEmpty(), "run inside a network namespace");
        const QJsonArray boards = {board("inv", 150),  board("mid", 140),
                                   board("leg", 122),  board("zeta", 150),
                                   board("res", 150),  board("noc", 150, "0x0F32", false),
                                   board("ok", 150),   board("err", 150, "0x0132", false),
                                   board("mute", 150), board("pa", 150),
                                   board("pb", 150)};
        QVERIFY(startStillPlant(sim, dir, boards, {"--no-ftp", "--no-udp", "--solar-time", "12:00"}));
    }
    void cleanupTestCase() { resultTile.reset(); }

    // Power 80 %, cos(phi) 0.95 and battery 100 % from one equipment's
    // parameters dialog: the frames each generation receives, in order, the
    // block applied, and the values read back.
    void writeSequence_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<QString>("writes");
        QTest::addColumn<QString>("applied");
        QTest::newRow("1.5.0: eight registers at once")
            << "inv" << false << "fc=16 reg=140 count=8 values=69,80,65535,195,65535,65535,65535,200"
            << "69,80,65535,195,65535,65535,65535,200";
        QTest::newRow("1.4.0: seven registers at once")
            << "mid" << false << "fc=16 reg=140 count=7 values=69,80,65535,195,65535,65535,65535"
            << "69,80,65535,195,65535,65535,65535,65535";
        QTest::newRow("1.2.2: one register at a time")
            << "leg" << false
            << "fc=6 reg=140 count=1 values=69|fc=6 reg=141 count=1 values=80|"
               "fc=6 reg=142 count=1 values=65535|fc=6 reg=143 count=1 values=195|"
               "fc=6 reg=144 count=1 values=65535|fc=6 reg=145 count=1 values=65535|"
               "fc=6 reg=146 count=1 values=65535"
            << "69,80,65535,195,65535,65535,65535,65535";
        QTest::newRow("zeta 1.5.0: the eighth not set")
            << "zeta" << true << "fc=16 reg=140 count=8 values=69,80,65535,195,65535,65535,65535,65535"
            << "69,80,65535,195,65535,65535,65535,65535";
    }
    void writeSequence()
    {
        QFETCH(QString, id);
        QFETCH(bool, zeta);
        QFETCH(QString, writes);
        QFETCH(QString, applied);
        QStringList frames = (writes + "|fc=6 reg=112 count=1 values=50|fc=3 reg=116 count=1").split('|');
        frames.replaceInStrings(QRegularExpression("^"), "REQ " + id + ' ');
        auto tile = commandTile(id, zeta);
        QVERIFY(tile);
        DialogSetup* setup = openCommands(*tile);
        QVERIFY(setup);
        tick(setup, "checkBoxP");
        setup->findChild<QLineEdit*>("Power")->setText("80");
        tick(setup, "checkBoxCP");
        setup->findChild<QDoubleSpinBox*>("CosphiSB")->setValue(0.95);
        tick(setup, "checkBoxBP");
        click(setup, "pushButtonApply");
        QTRY_COMPARE_WITH_TIMEOUT(setup->getTheStatusText(), QString("Command Ok."), 10000);
        QVERIFY(sim.barrier());
        QCOMPARE(writeSequence(id, frames.size()), frames);
        QCOMPARE(sim.linesStartingWith("APPLY " + id + ' '),
                 QStringList{QString("APPLY %1 params=%2 result=0x0f32").arg(id, applied)});
        QTRY_COMPARE(labelText(setup, "PowerFromInv"), QString("80%"));
        QCOMPARE(labelText(setup, "CFromInv"), QString("0.95"));
        testsupport::saveGrab(setup, "parameters-dialog-" + id);
    }

    // The status text after each result word; a word outside the table
    // leaves the text it found.
    void resultTexts_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("status");
        QTest::newRow("0x0F32") << "0x0F32"
                                << "Command Ok.";
        QTest::newRow("0x0132") << "0x0132"
                                << "Error";
        QTest::newRow("0x0232") << "0x0232"
                                << "Command not managed.";
        QTest::newRow("0x0432") << "0x0432"
                                << "Command ok, but some parameters forced locally.";
        QTest::newRow("0x8032") << "0x8032"
                                << "Inverter is in local mode.";
        QTest::newRow("0x0032") << "0x0032"
                                << "Working...";
        QTest::newRow("0x0034, unknown") << "0x0034"
                                         << "Verifying...";
    }
    void resultTexts()
    {
        QFETCH(QString, word);
        if (!resultTile) {
            resultTile = commandTile("res");
            QVERIFY(resultTile);
            QVERIFY(openCommands(*resultTile));
        }
        DialogSetup* setup = resultTile->getTheCommWindow()->getTheSetup();
        QVERIFY(sim.command("set res result " + word));
        tick(setup, "checkBoxC");
        click(setup, "pushButtonApply");
        QVERIFY(setup->getTheSendRequested());
        QTRY_VERIFY_WITH_TIMEOUT(!setup->getTheSendRequested() && !resultTile->getTheParameterSendPending(),
                                 10000);
        QVERIFY(sim.barrier());
        QCOMPARE(sim.linesStartingWith("APPLY res ").last(),
                 QString("APPLY res params=8,65535,65535,65535,1,65535,65535,65535 result=%1")
                     .arg(word.toLower()));
        QFETCH(QString, status);
        QTRY_COMPARE(labelText(setup, "Status"), status);
    }

    // A board that does not accept commands: the dialog says so and keeps
    // Apply disabled; closing the dialog, then the window, stops the read-back.
    void commandsRefused()
    {
        auto tile = commandTile("noc");
        QVERIFY(tile);
        DialogSetup* setup = openCommands(*tile);
        QVERIFY(setup);
        QTRY_COMPARE(labelText(setup, "label_COMM"), QString("Commands (disabled)"));
        QVERIFY(!setup->findChild<QPushButton*>("pushButtonApply")->isEnabled());
        QVERIFY(sim.waitForLine(QRegularExpression("^REQ noc fc=3 reg=140 ")));
        click(setup, "pushButtonClose");
        DialogCommParams* comm = tile->getTheCommWindow();
        QTRY_VERIFY(!comm->getTheSetup());
        click(comm, "pushButtonClose");
        QTRY_VERIFY(!tile->getTheCommWindow());
        // While the dialog is open the parameters take the alarm words'
        // place after the status; once it is closed the alarm words are read
        // again, and the parameters no more.
        const QRegularExpression alarms("^REQ noc fc=3 reg=1000 ");
        const int closed = sim.lineCount();
        QVERIFY(sim.waitForLine(alarms, closed));
        const int first = sim.indexOf(alarms, closed);
        QVERIFY(sim.waitForLine(alarms, first + 1));
        const int second = sim.indexOf(alarms, first + 1);
        const int param = sim.indexOf(QRegularExpression("^REQ noc fc=3 reg=140 "), first);
        QVERIFY(param < 0 || param > second);
    }

    // The window mirrors the tile's status, sets the board's clock, and goes
    // when the board falls silent (its status stays visible) or goes away
    // while the commands are open.
    void windowFollowsTheBoard_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("commandsOpen");
        QTest::addColumn<bool>("windowStays");
        QTest::addColumn<QString>("status");
        QTest::newRow("silent") << "silent" << false << false << "TIMEOUT";
        QTest::newRow("dropped, commands open") << "drop" << true << false << "Disconnected.";
        QTest::newRow("dropped, commands closed") << "drop" << false << true << "Disconnected.";
    }
    void windowFollowsTheBoard()
    {
        QFETCH(QString, fault);
        QFETCH(bool, commandsOpen);
        QFETCH(bool, windowStays);
        auto tile = commandTile("inv");
        QVERIFY(tile);
        DialogCommParams* comm = openCommWindow(*tile);
        QVERIFY(comm);
        QCOMPARE(labelText(comm, "Status"), labelText(tile.get(), "Disconnected_Label"));
        tile->setTheStatus("Syncing...");
        QCOMPARE(labelText(comm, "Status"), QString("Syncing..."));

        const int from = sim.lineCount();
        click(comm, "SyncButton");
        QVERIFY(sim.waitForLine(QRegularExpression("^CLOCK inv "), from));
        QVERIFY(!comm->getTheSyncRequested());

        if (commandsOpen)
            click(comm, "CommandsButton");
        QPointer<DialogCommParams> window = comm;
        QVERIFY(sim.command("fault inv " + fault + " on"));
        QFETCH(QString, status);
        QTRY_COMPARE(labelText(tile.get(), "Disconnected_Label"), status);
        QTRY_COMPARE(bool(window), windowStays);
        QVERIFY(sim.command("fault inv " + fault + " off"));
    }

    // The plant's commands: each tile's own window closed first, the
    // counts, and the plant dialog's text once every board has its result
    // or has been given up.
    void plantWideSend()
    {
        MainDialog w;
        startOnLoopback(w, "LOCAL");
        for (const char* id : {"ok", "err", "mute"})
            addBoard(w, sim, id, id);
        QCOMPARE(w.tiles().size(), 3);
        for (InvButton* t : w.tiles())
            t->setThePollInterval(100);
        for (const char* id : {"ok", "err", "mute"})
            QVERIFY(statusRead(id));
        InvButton* ok = w.tiles()[0];
        QTRY_VERIFY(ok->getTheEnabledButtonsFlag());
        QVERIFY(openCommands(*ok));
        QVERIFY(ok->getTheCommWindow()->getTheCommandsOpen());

        QMetaObject::invokeMethod(&w, "on_ButtonPlant_clicked");
        DialogSetup* plant = w.plantCommands();
        QVERIFY(plant && plant->isVisible());
        QVERIFY(!ok->getTheCommWindow());
        QCOMPARE(labelText(ok, "Disconnected_Label"), QString("Ready."));
        QCOMPARE(labelText(plant, "label_COMM"), QString("Commands - 2 enabled, 1 disabled."));

        QVERIFY(sim.command("fault mute silent on"));
        tick(plant, "checkBoxP");
        plant->findChild<QLineEdit*>("Power")->setText("50");
        click(plant, "pushButtonApply");
        QCOMPARE(plant->getTheStatusText(), QString("Sending..."));
        const QString params = "params=1,50,65535,65535,65535,65535,65535,65535";
        QVERIFY(sim.waitForLine(QRegularExpression("^APPLY ok " + params + " result=0x0f32$")));
        QVERIFY(sim.waitForLine(QRegularExpression("^APPLY err " + params + " result=0x0132$")));
        QTRY_VERIFY(!w.tiles()[0]->getTheParameterSendPending() &&
                    !w.tiles()[1]->getTheParameterSendPending());
        if (w.tiles()[2]->getTheParameterSendPending()) // the silent board not yet given up
            QCOMPARE(plant->getTheStatusText(), QString("Sending..."));
        QTRY_COMPARE_WITH_TIMEOUT(labelText(plant, "Status"),
                                  QString("Command Ok. on 1 of 3 (1 Error, 1 no answer)"), 15000);
        QCOMPARE(w.tiles()[2]->getTheLastSendOutcome(), int(parameterblock::NoAnswer));
        QVERIFY(sim.linesStartingWith("APPLY mute ").isEmpty());
        testsupport::saveGrab(plant, "plant-commands");

        // Every board answers again: the same block, all of it agreed.
        QVERIFY(sim.command("fault mute silent off"));
        QVERIFY(sim.command("set err result 0x0F32"));
        QTRY_VERIFY_WITH_TIMEOUT(w.tiles()[2]->getTheMeasuresAreValid(), 15000);
        click(plant, "pushButtonApply");
        QCOMPARE(plant->getTheStatusText(), QString("Sending..."));
        QTRY_COMPARE_WITH_TIMEOUT(labelText(plant, "Status"), QString("Command Ok."), 15000);
        QVERIFY(sim.waitForLine(QRegularExpression("^APPLY mute " + params)));

        click(plant, "pushButtonClose");
        QTRY_VERIFY(!w.plantCommands());
    }

    // A port changed in the communication window is stored in the plant's
    // lists, and the tile connects on it.
    void portChange()
    {
        MainDialog w;
        startOnLoopback(w, "Sim");
        addBoard(w, sim, "pa", "Roof");
        w.SaveEquipmentList();
        QMetaObject::invokeMethod(&w, "on_ButtonPlant_clicked"); // plant commands are the local plant's
        QVERIFY(!w.plantCommands());
        InvButton* tile = w.tiles().value(0);
        QVERIFY(tile);
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected() && tile->getTheEnabledButtonsFlag(), 10000);
        DialogCommParams* comm = openCommWindow(*tile);
        QVERIFY(comm);
        auto* modbus = comm->findChild<QLineEdit*>("ModbusPortValue");
        QCOMPARE(modbus->text(), QString::number(sim.board("pa").modbus));

        const int from = sim.lineCount();
        const QString newPort = QString::number(sim.board("pb").modbus);
        modbus->setText(newPort);
        comm->findChild<QLineEdit*>("FtpPortValue")->setText("2121");
        click(comm, "pushButtonApply");
        QTRY_VERIFY(!tile->getTheCommWindow());
        QTRY_COMPARE(storedElement("/app/Inverters/InvListPorts", tile->GetIp()), newPort);
        QCOMPARE(storedElement("/app/Inverters/InvListFtpPorts", tile->GetIp()), QString("2121"));
        QVERIFY(sim.waitForLine(QRegularExpression("^CONNECT pb from "), from));
        QVERIFY(sim.waitForLine(QRegularExpression("^DISCONNECT pa$"), from));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        QCOMPARE(tile->getThePort(), newPort.toInt());
        QCOMPARE(tile->getTheFtpPort(), 2121);
        QVERIFY(sim.waitForLine(QRegularExpression("^REQ pb fc=3 reg=79 "), from));
    }
};

VELORA_CONSOLE_TEST_MAIN(TestE2eCommands)
#include "tst_e2e_commands.moc"
