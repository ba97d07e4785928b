// Parameters and commands against plantsim: the write sequence put on the
// wire, a plant-wide send to boards that agree, refuse and stay silent, and a
// port change made in the communication window. Runs in a network namespace
// with only loopback: the plant "LOCAL" broadcasts its discovery.
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
DialogCommParams* openCommWindow(InvButton& tile)
{
    QTest::mouseClick(tile.findChild<TalvoObject*>("theIcon"), Qt::LeftButton);
    DialogCommParams* comm = tile.getTheCommWindow();
    return comm && comm->isVisible() ? comm : nullptr;
}
DialogSetup* openCommands(InvButton& tile)
{
    DialogCommParams* comm = openCommWindow(tile);
    if (comm)
        click(comm, "CommandsButton");
    return comm ? comm->getTheSetup() : nullptr;
}
} // namespace

class TestE2eCommands : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    QTemporaryDir dir;
    PlantSimProcess sim;

    // A tile connected at 100 ms whose status (commands accepted or not) is read.
    std::unique_ptr<InvButton> commandTile(const QString& id)
    {
        auto tile = connectedTile(sim, sandbox.path(), id, "1.5.0", 100, false);
        return tile && statusRead(id) ? std::move(tile) : nullptr;
    }
    bool statusRead(const QString& id)
    {
        const QRegularExpression status("^REQ " + id + " fc=3 reg=6 ");
        return sim.waitForLine(status) &&
               sim.waitForLine(QRegularExpression("^REQ " + id + ' '), sim.indexOf(status) + 1);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(testsupport::unexpectedInterface().isEmpty(), "run inside a network namespace");
        QJsonArray boards;
        for (const char* id : {"inv", "ok", "mute", "pa", "pb", "noc", "err"})
            boards << simBoard(id, "inverter", 150,
                               {{"nominalPower", 6000},
                                {"resultWord", QByteArray(id) == "err" ? "0x0132" : "0x0F32"},
                                {"commands", QByteArray(id) != "noc" && QByteArray(id) != "err"}});
        QVERIFY(startStillPlant(sim, dir, boards, {"--no-ftp", "--no-udp", "--solar-time", "12:00"}));
    }

    // Power 80 %, cos(phi) 0.95 and battery 100 % from the parameters dialog: the
    // frames received in order, then the apply and the result read.
    void writeSequence()
    {
        const QString id = "inv";
        QStringList frames = {"fc=16 reg=140 count=8 values=69,80,65535,195,65535,65535,65535,200",
                              "fc=6 reg=112 count=1 values=50", "fc=3 reg=116 count=1"};
        frames.replaceInStrings(QRegularExpression("^"), "REQ " + id + ' ');
        auto tile = commandTile(id);
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
        const QStringList reqs = sim.linesStartingWith("REQ " + id + " fc=16 reg=140 ");
        QVERIFY(!reqs.isEmpty());
        const QStringList all = sim.linesStartingWith("REQ " + id + ' ');
        QCOMPARE(all.mid(all.indexOf(reqs.first()), frames.size()), frames);
        QTRY_COMPARE(labelText(setup, "PowerFromInv"), QString("80%"));
        testsupport::saveGrab(setup, "parameters-dialog");
    }

    // Once the parameters dialog of a board refusing commands is closed, the
    // alarm words are read again, the parameters no more.
    void commandsRefused()
    {
        auto tile = commandTile("noc");
        QVERIFY(tile);
        DialogSetup* setup = openCommands(*tile);
        QVERIFY(setup);
        QTRY_VERIFY(!setup->findChild<QPushButton*>("pushButtonApply")->isEnabled());
        QVERIFY(sim.waitForLine(QRegularExpression("^REQ noc fc=3 reg=140 ")));
        click(setup, "pushButtonClose");
        QTRY_VERIFY(!tile->getTheCommWindow()->getTheSetup());
        const QRegularExpression alarms("^REQ noc fc=3 reg=1000 ");
        const int closed = sim.lineCount();
        QVERIFY(sim.waitForLine(alarms, closed));
        const int first = sim.indexOf(alarms, closed);
        QVERIFY(sim.waitForLine(alarms, first + 1));
        const int param = sim.indexOf(QRegularExpression("^REQ noc fc=3 reg=140 "), first);
        QVERIFY(param < 0 || param > sim.indexOf(alarms, first + 1));
    }

    // The communication window goes when the board falls silent or goes away while the commands are open.
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
        QFETCH(QString, status);
        auto tile = commandTile("inv");
        QVERIFY(tile);
        QPointer<DialogCommParams> comm = openCommWindow(*tile);
        QVERIFY(comm);
        if (commandsOpen)
            click(comm, "CommandsButton");
        QVERIFY(sim.command("fault inv " + fault + " on"));
        QTRY_COMPARE(labelText(tile.get(), "Disconnected_Label"), status);
        QTRY_COMPARE(bool(comm), windowStays);
        QVERIFY(sim.command("fault inv " + fault + " off"));
    }

    // The plant's commands close each tile's own window, count the boards,
    // and sum up once every board has its result or has been given up.
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
        QMetaObject::invokeMethod(&w, "on_ButtonPlant_clicked");
        DialogSetup* plant = w.plantCommands();
        QVERIFY(plant && plant->isVisible());
        QVERIFY(!ok->getTheCommWindow());
        QCOMPARE(labelText(plant, "label_COMM"), QString("Commands - 2 enabled, 1 disabled."));

        QVERIFY(sim.command("fault mute silent on"));
        tick(plant, "checkBoxP");
        plant->findChild<QLineEdit*>("Power")->setText("50");
        click(plant, "pushButtonApply");
        const QString params = "params=1,50,65535,65535,65535,65535,65535,65535";
        QVERIFY(sim.waitForLine(QRegularExpression("^APPLY ok " + params + " result=0x0f32$")));
        QVERIFY(sim.waitForLine(QRegularExpression("^APPLY err " + params + " result=0x0132$")));
        QTRY_COMPARE_WITH_TIMEOUT(labelText(plant, "Status"),
                                  QString("Command Ok. on 1 of 3 (1 Error, 1 no answer)"), 15000);
        QCOMPARE(w.tiles()[2]->getTheLastSendOutcome(), int(parameterblock::NoAnswer));
        QVERIFY(sim.linesStartingWith("APPLY mute ").isEmpty());
        testsupport::saveGrab(plant, "plant-commands");

        QVERIFY(sim.command("fault mute silent off"));
        QVERIFY(sim.command("set err result 0x0F32"));
        QTRY_VERIFY_WITH_TIMEOUT(w.tiles()[2]->getTheMeasuresAreValid(), 15000);
        click(plant, "pushButtonApply");
        QTRY_COMPARE_WITH_TIMEOUT(labelText(plant, "Status"), QString("Command Ok."), 15000);
        QVERIFY(sim.waitForLine(QRegularExpression("^APPLY mute " + params)));
        click(plant, "pushButtonClose");
        QTRY_VERIFY(!w.plantCommands());
    }

    // A port changed in the communication window is stored, and the tile connects on it.
    void portChange()
    {
        MainDialog w;
        startOnLoopback(w, "Sim");
        addBoard(w, sim, "pa", "Roof");
        w.SaveEquipmentList();
        InvButton* tile = w.tiles().value(0);
        QVERIFY(tile);
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected() && tile->getTheEnabledButtonsFlag(), 10000);
        DialogCommParams* comm = openCommWindow(*tile);
        QVERIFY(comm);
        const int from = sim.lineCount();
        const QString newPort = QString::number(sim.board("pb").modbus);
        comm->findChild<QLineEdit*>("ModbusPortValue")->setText(newPort);
        click(comm, "pushButtonApply");
        QTRY_VERIFY(!tile->getTheCommWindow());
        QTRY_COMPARE(storedElement("/app/Inverters/InvListPorts", tile->GetIp()), newPort);
        QVERIFY(sim.waitForLine(QRegularExpression("^DISCONNECT pa$"), from));
        QVERIFY(sim.waitForLine(QRegularExpression("^REQ pb fc=3 reg=79 "), from));
        QCOMPARE(tile->getThePort(), newPort.toInt());
    }
};

VELORA_CONSOLE_TEST_MAIN(TestE2eCommands)
#include "tst_e2e_commands.moc"
