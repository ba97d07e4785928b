// Parameters and commands against plantsim on loopback: the write sequence
// each protocol generation puts on the wire, the texts the parameters dialog
// shows for each result word, a plant-wide send to boards that agree,
// refuse and stay silent, and a port change made in the communication
// window. Runs in a network namespace with only loopback: the plant "LOCAL"
// broadcasts its discovery.
#include "dialogcommparams.h"
#include "dialogsetup.h"
#include "invbutton.h"
#include "maindialog.h"
#include "parameterblock.h"
#include "plantsimprocess.h"
#include "talvoobject.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <memory>

namespace {
QJsonObject board(const QString& id, const QString& kind, int firmware, const QString& result = "0x0F32",
                  bool commands = true)
{
    return QJsonObject{{"id", id},
                       {"kind", kind},
                       {"firmware", firmware},
                       {"name", id},
                       {"nominalPower", 6000},
                       {"resultWord", result},
                       {"commands", commands}};
}

template <typename T> T* child(QWidget* w, const char* name)
{
    T* c = w ? w->findChild<T*>(name) : nullptr;
    if (!c)
        qFatal("no child %s", name);
    return c;
}
QString text(QWidget* w, const char* name)
{
    return child<QLabel>(w, name)->text();
}
void click(QWidget* w, const char* name)
{
    QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton);
}
void check(QWidget* w, const char* box)
{
    QCheckBox* b = child<QCheckBox>(w, box);
    if (!b->isChecked())
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}
// Fills the parameters form: power 80 %, cos(phi) 0.95, battery 100 %.
void fillForm(DialogSetup* setup)
{
    check(setup, "checkBoxP");
    child<QLineEdit>(setup, "Power")->setText("80");
    check(setup, "checkBoxCP");
    child<QDoubleSpinBox>(setup, "CosphiSB")->setValue(0.95);
    check(setup, "checkBoxBP");
}
// The stored element of an equipment's entry in one of the plant lists.
QString stored(const MainDialog& w, const char* list, const QString& equipmentKey)
{
    const QSettings s(w.settingsFileName(), QSettings::IniFormat);
    const int i = s.value("/app/Inverters/InvList").toString().split(',').indexOf(equipmentKey);
    return i < 0 ? QString() : s.value(list).toString().split(',').value(i);
}
} // namespace

class TestE2eCommands : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    QTemporaryDir dir;
    PlantSimProcess sim;
    std::unique_ptr<InvButton> resultTile; // kept across the result word rows

    // A tile for one board, connected, its cycle at 100 ms.
    std::unique_ptr<InvButton> connectTile(const QString& id, bool zeta = false)
    {
        const quint16 port = sim.board(id).modbus;
        QSettings s(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                    QString("127.0.0.1-%1-Sim").arg(port));
        s.setValue("/inv/IsZETA", zeta);
        s.sync();
        auto tile = std::make_unique<InvButton>();
        tile->setThePollInterval(100);
        tile->setTheHostAddress(QHostAddress::LocalHost);
        tile->SetInvInfo("127.0.0.1", id, "NO_DNS_NAME", "1.5.0", port, 0, "Sim");
        tile->setTheStoragePath(sandbox.path() + "/", __LINE__);
        tile->Palesati();
        if (!QTest::qWaitFor(
                [&] { return tile->getTheServerIsConnected() && tile->getTheEnabledButtonsFlag(); }, 10000))
            return nullptr;
        return tile;
    }
    // True once the board's status has been read and the cycle has gone on
    // (whether it accepts commands is known then): a request follows the
    // status request.
    bool statusRead(const QString& id)
    {
        const QRegularExpression status("^REQ " + id + " fc=3 reg=6 ");
        if (!sim.waitForLine(status))
            return false;
        return sim.waitForLine(QRegularExpression("^REQ " + id + ' '), sim.indexOf(status) + 1);
    }
    // Opens the tile's communication window with a click on its icon, then
    // its parameters dialog; null when either did not open.
    DialogSetup* openCommands(InvButton& tile)
    {
        QTest::mouseClick(tile.findChild<TalvoObject*>("theIcon"), Qt::LeftButton);
        DialogCommParams* comm = tile.getTheCommWindow();
        if (!comm || !comm->isVisible())
            return nullptr;
        click(comm, "CommandsButton");
        return comm->getTheSetup();
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
        const QJsonArray boards = {
            board("inv", "inverter", 150),  board("mid", "inverter", 140),
            board("leg", "inverter", 122),  board("zeta", "zeta", 150),
            board("res", "inverter", 150),  board("noc", "inverter", 150, "0x0F32", false),
            board("ok", "inverter", 150),   board("err", "inverter", 150, "0x0132", false),
            board("mute", "inverter", 150), board("pa", "inverter", 150),
            board("pb", "inverter", 150)};
        QVERIFY(sim.start({"--scenario", writeScenario(dir, boards), "--loopback", "--no-ftp", "--no-udp",
                           "--update-ms", "3600000", "--solar-time", "12:00"}));
    }
    void cleanupTestCase() { resultTile.reset(); }

    // Power 80 %, cos(phi) 0.95 and battery 100 % from one equipment's
    // parameters dialog: the frames each generation receives, in order, the
    // block applied, and the values read back.
    void writeSequence_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QString>("applied");
        const QString tail = "fc=6 reg=112 count=1 values=50|fc=3 reg=116 count=1";
        const auto frames = [&](const QString& id, const QString& writes) {
            QStringList out;
            for (const QString& f : (writes + '|' + tail).split('|'))
                out << "REQ " + id + ' ' + f;
            return out;
        };
        QTest::newRow("1.5.0: eight registers at once")
            << "inv" << false
            << frames("inv", "fc=16 reg=140 count=8 values=69,80,65535,195,65535,65535,65535,200")
            << "69,80,65535,195,65535,65535,65535,200";
        QTest::newRow("1.4.0: seven registers at once")
            << "mid" << false
            << frames("mid", "fc=16 reg=140 count=7 values=69,80,65535,195,65535,65535,65535")
            << "69,80,65535,195,65535,65535,65535,65535";
        QTest::newRow("1.2.2: one register at a time")
            << "leg" << false
            << frames("leg", "fc=6 reg=140 count=1 values=69|fc=6 reg=141 count=1 values=80|"
                             "fc=6 reg=142 count=1 values=65535|fc=6 reg=143 count=1 values=195|"
                             "fc=6 reg=144 count=1 values=65535|fc=6 reg=145 count=1 values=65535|"
                             "fc=6 reg=146 count=1 values=65535")
            << "69,80,65535,195,65535,65535,65535,65535";
        QTest::newRow("zeta 1.5.0: the eighth not set")
            << "zeta" << true
            << frames("zeta", "fc=16 reg=140 count=8 values=69,80,65535,195,65535,65535,65535,65535")
            << "69,80,65535,195,65535,65535,65535,65535";
    }
    void writeSequence()
    {
        QFETCH(QString, id);
        QFETCH(bool, zeta);
        QFETCH(QStringList, frames);
        QFETCH(QString, applied);
        auto tile = connectTile(id, zeta);
        QVERIFY(tile);
        QVERIFY(statusRead(id));
        DialogSetup* setup = openCommands(*tile);
        QVERIFY(setup);
        QCOMPARE(text(setup, "label_COMM"), QString("Commands"));
        fillForm(setup);
        click(setup, "pushButtonApply");
        QTRY_COMPARE_WITH_TIMEOUT(setup->getTheStatusText(), QString("Command Ok."), 10000);
        QVERIFY(sim.barrier());
        QCOMPARE(writeSequence(id, frames.size()), frames);
        QCOMPARE(sim.linesStartingWith("APPLY " + id + ' '),
                 QStringList{QString("APPLY %1 params=%2 result=0x0f32").arg(id, applied)});
        QTRY_COMPARE(text(setup, "PowerFromInv"), QString("80%"));
        QTRY_COMPARE(text(setup, "CFromInv"), QString("0.95"));
        QCOMPARE(text(setup, "QFromInv"), QString("---"));
        QVERIFY(!setup->getTheSendRequested());
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
            resultTile = connectTile("res");
            QVERIFY(resultTile);
            QVERIFY(statusRead("res"));
            QVERIFY(openCommands(*resultTile));
        }
        DialogSetup* setup = resultTile->getTheCommWindow()->getTheSetup();
        QVERIFY(sim.command("set res result " + word));
        check(setup, "checkBoxC");
        click(setup, "pushButtonApply");
        QVERIFY(setup->getTheSendRequested());
        QTRY_VERIFY_WITH_TIMEOUT(!setup->getTheSendRequested() && !resultTile->getTheParameterSendPending(),
                                 10000);
        QVERIFY(sim.barrier());
        QCOMPARE(sim.linesStartingWith("APPLY res ").last(),
                 QString("APPLY res params=8,65535,65535,65535,1,65535,65535,65535 result=%1")
                     .arg(word.toLower()));
        QFETCH(QString, status);
        QTRY_COMPARE(text(setup, "Status"), status);
    }

    // A board that does not accept commands: the dialog says so and keeps
    // Apply disabled; closing the dialog, then the window, stops the read-back.
    void commandsRefused()
    {
        auto tile = connectTile("noc");
        QVERIFY(tile);
        QVERIFY(statusRead("noc"));
        DialogSetup* setup = openCommands(*tile);
        QVERIFY(setup);
        QTRY_COMPARE(text(setup, "label_COMM"), QString("Commands (disabled)"));
        QVERIFY(!child<QPushButton>(setup, "pushButtonApply")->isEnabled());
        QVERIFY(sim.waitForLine(QRegularExpression("^REQ noc fc=3 reg=140 ")));
        click(setup, "pushButtonClose");
        DialogCommParams* comm = tile->getTheCommWindow();
        QTRY_VERIFY(!comm->getTheSetup());
        QVERIFY(child<QPushButton>(comm, "CommandsButton")->isEnabled());
        click(comm, "pushButtonClose");
        QTRY_VERIFY(!tile->getTheCommWindow());
        QCOMPARE(text(tile.get(), "Disconnected_Label"), QString("Ready."));
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
        auto tile = connectTile("inv");
        QVERIFY(tile);
        QVERIFY(statusRead("inv"));
        QTest::mouseClick(tile->findChild<TalvoObject*>("theIcon"), Qt::LeftButton);
        DialogCommParams* comm = tile->getTheCommWindow();
        QVERIFY(comm);
        QCOMPARE(text(comm, "Status"), text(tile.get(), "Disconnected_Label"));
        tile->setTheStatus("Syncing...");
        QCOMPARE(text(comm, "Status"), QString("Syncing..."));

        const int from = sim.lineCount();
        click(comm, "SyncButton");
        QVERIFY(sim.waitForLine(QRegularExpression("^CLOCK inv "), from));
        QVERIFY(!comm->getTheSyncRequested());

        if (commandsOpen)
            click(comm, "CommandsButton");
        QPointer<DialogCommParams> window = comm;
        QVERIFY(sim.command("fault inv " + fault + " on"));
        QFETCH(QString, status);
        QTRY_COMPARE(text(tile.get(), "Disconnected_Label"), status);
        QTRY_COMPARE(bool(window), windowStays);
        QVERIFY(sim.command("fault inv " + fault + " off"));
    }

    // The plant's commands: each tile's own window closed first, the
    // counts, and the plant dialog's text once every board has its result
    // or has been given up.
    void plantWideSend()
    {
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL"}, "LOCAL");
        for (const char* id : {"ok", "err", "mute"})
            w.AddEquipment("127.0.0.1", id, "1.5.0", sim.board(id).modbus, 21, false, false, false,
                           "NO_DNS_NAME", "LOCAL");
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
        QCOMPARE(text(ok, "Disconnected_Label"), QString("Ready."));
        QCOMPARE(plant->windowTitle(), QString("Plant commands"));
        QCOMPARE(text(plant, "CommandsTitle"), QString("Plant: LOCAL"));
        QCOMPARE(text(plant, "label_WHAT"), QString("Plant"));
        QCOMPARE(text(plant, "label_COMM"), QString("Commands - 2 enabled, 1 disabled."));

        QVERIFY(sim.command("fault mute silent on"));
        check(plant, "checkBoxP");
        child<QLineEdit>(plant, "Power")->setText("50");
        click(plant, "pushButtonApply");
        QCOMPARE(plant->getTheStatusText(), QString("Sending..."));
        const QString params = "params=1,50,65535,65535,65535,65535,65535,65535";
        QVERIFY(sim.waitForLine(QRegularExpression("^APPLY ok " + params + " result=0x0f32$")));
        QVERIFY(sim.waitForLine(QRegularExpression("^APPLY err " + params + " result=0x0132$")));
        QTRY_VERIFY(!w.tiles()[0]->getTheParameterSendPending() &&
                    !w.tiles()[1]->getTheParameterSendPending());
        if (w.tiles()[2]->getTheParameterSendPending()) // the silent board not yet given up
            QCOMPARE(plant->getTheStatusText(), QString("Sending..."));
        QTRY_COMPARE_WITH_TIMEOUT(text(plant, "Status"),
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
        QTRY_COMPARE_WITH_TIMEOUT(text(plant, "Status"), QString("Command Ok."), 15000);
        QVERIFY(sim.waitForLine(QRegularExpression("^APPLY mute " + params)));

        click(plant, "pushButtonClose");
        QTRY_VERIFY(!w.plantCommands());
    }

    // A port changed in the communication window is stored in the plant's
    // lists, and the tile connects on it; a port out of range is refused.
    void portChange()
    {
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Sim"}, "Sim");
        w.AddEquipment("127.0.0.1", "Roof", "1.5.0", sim.board("pa").modbus, 21, false, false, false,
                       "NO_DNS_NAME", "Sim");
        w.SaveEquipmentList();
        QMetaObject::invokeMethod(&w, "on_ButtonPlant_clicked"); // plant commands are the local plant's
        QVERIFY(!w.plantCommands());
        InvButton* tile = w.tiles().value(0);
        QVERIFY(tile);
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected() && tile->getTheEnabledButtonsFlag(), 10000);
        QTest::mouseClick(tile->findChild<TalvoObject*>("theIcon"), Qt::LeftButton);
        DialogCommParams* comm = tile->getTheCommWindow();
        QVERIFY(comm);
        auto* modbus = child<QLineEdit>(comm, "ModbusPortValue");
        auto* ftp = child<QLineEdit>(comm, "FtpPortValue");
        QCOMPARE(modbus->text(), QString::number(sim.board("pa").modbus));
        QCOMPARE(ftp->text(), QString("21"));

        modbus->setText("70000");
        click(comm, "pushButtonApply");
        QCOMPARE(text(comm, "Status"), QString("Modbus port must be a number from 1 to 65535."));
        QVERIFY(comm->isVisible());

        const int from = sim.lineCount();
        const QString newPort = QString::number(sim.board("pb").modbus);
        modbus->setText(newPort);
        ftp->setText("2121");
        click(comm, "pushButtonApply");
        QTRY_VERIFY(!tile->getTheCommWindow());
        QTRY_COMPARE(stored(w, "/app/Inverters/InvListPorts", tile->GetIp()), newPort);
        QCOMPARE(stored(w, "/app/Inverters/InvListFtpPorts", tile->GetIp()), QString("2121"));
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
