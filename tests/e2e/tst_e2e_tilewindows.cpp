// The equipment's windows opened from the tile against plantsim on loopback:
// what each window gets from the tile, with the board's registers travelling
// the whole way, and how the live windows follow the board when it is lost. The
// texts and looks themselves are the windows' own tests'. The request cycle
// is driven tick by tick (poll timer stopped) unless a case needs the tile's
// own timers.
#include "consoletest.h"
#include "dialogalarms.h"
#include "dialoggraph.h"
#include "dialogtpxmeasures.h"
#include "graphfetch.h"
#include "measures.h"

#include <QListWidget>

using namespace consoletest;

namespace {
using Registers = QMap<int, int>; // register -> value
using Texts = QMap<QString, QString>;

// The resource a TPX synoptic part shows.
QString image(QWidget* tile, const char* part)
{
    return tile->findChild<QLabel*>(part)->property("image").toString();
}
QStringList tpxValues(QWidget* tile)
{
    return {labelText(tile, "tpxRatedPower"), labelText(tile, "tpxBatteryCapacity"),
            labelText(tile, "tpxOutputLoad"), labelText(tile, "tpxInputLoad")};
}
bool buttonEnabled(QWidget* w, const char* name)
{
    return w->findChild<QPushButton*>(name)->isEnabled();
}
bool ticks(InvButton& t, int n = 1)
{
    return repliedTicks(*t.getTheLink(), &EquipmentLink::replyReceived, n);
}
QStringList alarmLines(DialogAlarms* w)
{
    return testsupport::itemTexts(w->findChild<QListWidget*>("listAlarms"));
}
// An alarm line: the text padded to 50, the group's tag, the bit in two digits.
QString line(const QString& alarm, const QString& tag)
{
    return alarm.leftJustified(50) + tag;
}
} // namespace

class TestE2eTileWindows : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    QTemporaryDir dir;
    PlantSimProcess sim;
    const QDate today = QDate::currentDate();

    bool set(const QString& board, const Registers& registers)
    {
        for (auto it = registers.begin(); it != registers.end(); ++it)
            if (!sim.command(QString("set %1 reg %2 %3").arg(board).arg(it.key()).arg(it.value())))
                return false;
        return true;
    }
    bool setAlarms(const QString& board, const QVector<int>& words)
    {
        for (int i = 0; i < 10; ++i)
            if (!sim.command(QString("set %1 alarm %2 %3").arg(board).arg(i).arg(words.value(i))))
                return false;
        return true;
    }
    // A connected tile ticked by the test; the board's requests counted from here.
    std::unique_ptr<InvButton> connectTile(const QString& id, const QString& version)
    {
        auto tile = connectedTile(sim, sandbox.path(), id, version, 0, false, id == "tpx");
        sim.barrier();
        sim.clearRequests(id);
        return tile;
    }

private slots:
    void initTestCase()
    {
        const auto board = [](const char* id, const char* kind, int firmware, int phases, int power) {
            return simBoard(id, kind, firmware,
                            {{"phases", phases}, {"nominalPower", power}, {"probes", 0x3}});
        };
        QJsonObject inv = board("inv", "inverter", 150, 3, 20000);
        inv.insert("selfConsumption", true);
        const QJsonArray boards = {inv, board("mono", "inverter", 133, 1, 3000),
                                   board("legacy", "inverter", 122, 3, 10000),
                                   board("tpx", "tpx", 150, 3, 8000)};
        QVERIFY(startStillPlant(sim, dir, boards, {"--no-udp"}));
        // The TPX unit's block B: rated 8.0 kVA at 230 V, 76 % capacity,
        // output loads of 50, 60 and 70 %, 6.6 A of input current on each phase.
        QVERIFY(
            set("tpx",
                {{79, 80}, {77, 230}, {51, 76}, {37, 50}, {38, 60}, {39, 70}, {14, 66}, {15, 66}, {16, 66}}));
    }

    // The measures window opened from the tile shows the board's values; one
    // closed and opened again is handed the identity before its next measures.
    void measuresWindow_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QString>("version");
        QTest::addColumn<Registers>("registers");
        QTest::addColumn<Texts>("texts");
        QTest::addColumn<bool>("house");
        QTest::addColumn<int>("phases");
        // 20 kW, three phases, a house meter: DC inputs, grid currents and
        // 230.0 V phases, 50.00 Hz, 12.3 kW, a total of 10.0 kWh, Q 0.9 kVAR
        // and the house load of the three phases.
        QTest::newRow("three-phase") << "inv"
                                     << "1.5.0"
                                     << Registers{{11, 6120}, {13, 0xFFFF}, {17, 123}, {20, 2300}, {21, 2300},
                                                  {22, 2300}, {23, 5000},   {24, 410}, {25, 409},  {26, 411},
                                                  {30, 0},    {31, 100},    {41, 30},  {42, 30},   {43, 30},
                                                  {200, 12},  {201, 15},    {202, 9}}
                                     << Texts{{"theVin2", "612.0V"},
                                              {"theVin0", "---"},
                                              {"theGridI1", "12.30A"},
                                              {"theGridV1", "398.4Vrs"},
                                              {"theGridFreq", "50.00 Hz"},
                                              {"InstantPower_Label", "inv - Power: 12.3KW   "},
                                              {"TotE", "Total Energy = 10.0 kWh"},
                                              {"theKVAR", "Q=0.9KVAR"},
                                              {"theL_1", "L1 =      1.2KW"},
                                              {"theL_Total", "Tot=      3.6KW"}}
                                     << true << 3;
        // 3 kW, one phase: its inputs 2 and 3 and the other phases are not shown.
        QTest::newRow("single-phase")
            << "mono"
            << "1.3.3" << Registers{{11, 3500}, {12, 3400}, {20, 2300}, {21, 0}, {24, 200}}
            << Texts{{"theVin2", "350.0V"}, {"theVin1", "---"}, {"theGridV1", "230.0V"}, {"theGridV2", "--"}}
            << false << 1;
        // The legacy protocol's short measures block: energy and Q keep "--".
        QTest::newRow("legacy protocol")
            << "legacy"
            << "1.2.2" << Registers{{17, 150}, {24, 300}, {25, 300}, {26, 300}}
            << Texts{{"theGridI1", "15.00A"}, {"theInstPow", "P=9.0KW   "}, {"TotE", "--"}, {"theKVAR", "--"}}
            << false << 3;
    }
    void measuresWindow()
    {
        QFETCH(QString, board);
        QFETCH(Registers, registers);
        QVERIFY(set(board, registers));
        QFETCH(QString, version);
        auto tile = connectTile(board, version);
        QVERIFY(tile);
        QSignalSpy identities(tile.get(), &InvButton::IdentUpdated);
        click(tile.get(), "ButtonMeasures");
        QPointer<Measures> w = tile->findChild<Measures*>();
        QVERIFY(w && w->isVisible());
        QVERIFY(ticks(*tile, 12));
        QTEST(w->getTheNumPhases(), "phases");
        QCOMPARE(identities.count(), 1);
        w->UpdateValues();
        QFETCH(Texts, texts);
        for (auto it = texts.begin(); it != texts.end(); ++it)
            QCOMPARE(labelText(w, qPrintable(it.key())), it.value());
        QTEST(!w->findChild<QLabel*>("theHouse")->isHidden(), "house");
        testsupport::saveGrab(w, "measures-window-" + QString(QTest::currentDataTag()).replace(' ', '-'));

        click(w, "CloseButton");
        QTRY_VERIFY(!w);
        QVERIFY(ticks(*tile, 4));
        QCOMPARE(identities.count(), 1);
        click(tile.get(), "ButtonMeasures");
        w = tile->findChild<Measures*>();
        QVERIFY(w);
        QVERIFY(ticks(*tile, 4));
        QCOMPARE(identities.count(), 2);
        QTEST(w->getTheNumPhases(), "phases");
    }

    // The synoptic of a TPX tile follows the unit's status bits (register 0
    // bit 11, registers 120 to 127 high byte first) at the next one-second
    // activity; a unit that holds its data keeps the synoptic as it was.
    void tpxSynoptic_data()
    {
        QTest::addColumn<Registers>("registers");
        QTest::addColumn<QStringList>("look"); // rectifier, inverter, output junction, arrow; empty: held
        // 12.1 is the high byte of register 126, bit 1.
        QTest::newRow("overload on bypass")
            << Registers{{0, 0x0800}, {126, 0x0200}}
            << QStringList{":/raddr_nero.png", ":/inv_nero.png", ":/UP_R_R.png", ":/TriangoloRosso.png"};
        // 13.3 and 13.5 are the low byte of register 126.
        QTest::newRow("fault") << Registers{{126, 0x0028}}
                               << QStringList{":/raddr_arancio.png", ":/inv_rosso.png", ":/SQ_GRAY.png",
                                              ":/TriangoloGrigio.png"};
        QTest::newRow("data held") << Registers{{3, 0x8001}, {126, 0x0028}} << QStringList{};
    }
    void tpxSynoptic()
    {
        QVERIFY(set("tpx", {{0, 0}, {3, 1}, {126, 0}})); // running on the inverter, data shown
        QFETCH(Registers, registers);
        QVERIFY(set("tpx", registers));
        auto tile = connectTile("tpx", "1.5.0");
        QVERIFY(tile);
        const auto shownLook = [&] {
            return QStringList{image(tile.get(), "tpxRectifier"), image(tile.get(), "tpxInverter"),
                               image(tile.get(), "tpxOutputJunction"), image(tile.get(), "tpxOutputArrow")};
        };
        QFETCH(QStringList, look);
        const bool shown = !look.isEmpty();
        const QStringList expectedLook = shown ? look : shownLook(); // held: the look it had
        QVERIFY(ticks(*tile, 3));                                    // blocks A, B and C
        tile->OneSecondActivity();
        QCOMPARE(shownLook(), expectedLook);
        const QStringList values =
            shown ? QStringList{"8KVA", "76%", "60.0%", "60.0%"} : QStringList{"---", "---", "---", "---"};
        QCOMPARE(tpxValues(tile.get()), values);
        QCOMPARE(tile->title().endsWith("[V-01.50]"), shown);
        testsupport::saveGrab(tile.get(), "tpx-tile-" + QString(QTest::currentDataTag()).replace(' ', '-'));
    }

    // With the tile's own timers: a TPX tile shows the synoptic in place of
    // an inverter's parts; the load put on bypass and a status bit set on the
    // unit reach it; a unit
    // lost greys it and disables the gauge; back, its values read "---" from
    // the connection until they are read again.
    void tpxTileFollowsTheUnit()
    {
        QVERIFY(set("tpx", {{0, 0}, {3, 1}, {126, 0}}));
        auto tile = connectTile("tpx", "1.5.0");
        QVERIFY(tile);
        for (const char* hidden : {"theIcon", "Stamp", "InvTemp", "theValueOfBar"})
            QVERIFY2(tile->findChild<QLabel*>(hidden)->isHidden(), hidden);
        QVERIFY(tile->findChild<QWidget*>("thePowerBar")->isHidden());
        QVERIFY(tile->findChild<QPushButton*>("ButtonMeasures")->isHidden());
        tile->setThePollInterval(300);
        QTRY_VERIFY_WITH_TIMEOUT(tile->title().endsWith("[V-01.50]"), 10000); // refreshed once
        QCOMPARE(image(tile.get(), "tpxInverter"), QString(":/inv_nero.png"));
        testsupport::saveGrab(tile.get(), "tpx-tile-normal");
        QVERIFY(set("tpx", {{0, 0x0800}})); // the load on bypass
        QTRY_COMPARE_WITH_TIMEOUT(image(tile.get(), "tpxOutputArrow"), QString(":/TriangoloBlu.png"), 10000);
        testsupport::saveGrab(tile.get(), "tpx-tile-on-bypass");
        QVERIFY(set("tpx", {{0, 0}, {126, 0x0008}})); // back on the inverter; 13.3: inverter fault
        QTRY_COMPARE_WITH_TIMEOUT(image(tile.get(), "tpxInverter"), QString(":/inv_rosso.png"), 10000);
        QVERIFY(set("tpx", {{126, 0}}));

        QVERIFY(sim.command("fault tpx refuse on"));
        QTRY_VERIFY_WITH_TIMEOUT(!tile->getTheServerIsConnected(), 10000);
        QTRY_COMPARE(image(tile.get(), "tpxRectifier"), QString(":/raddr_grigio.png"));
        QCOMPARE(image(tile.get(), "tpxBattery"), QString(":/batt_grigio.png"));
        QVERIFY(!buttonEnabled(tile.get(), "ButtonMeas"));
        testsupport::saveGrab(tile.get(), "tpx-tile-disconnected");
        QString atConnection;
        connect(tile->getTheLink(), &EquipmentLink::linkConnected, this,
                [&] { atConnection = labelText(tile.get(), "tpxRatedPower"); });
        QVERIFY(sim.command("fault tpx refuse off"));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        QCOMPARE(atConnection, QString("---")); // cleared when the connection starts
        QVERIFY(buttonEnabled(tile.get(), "ButtonMeas"));
        QTRY_COMPARE_WITH_TIMEOUT(image(tile.get(), "tpxRectifier"), QString(":/raddr_nero.png"), 10000);
        QCOMPARE(labelText(tile.get(), "tpxRatedPower"), QString("8KVA"));
    }

    // The gauge button opens the TPX measures window, fed at every block A
    // and B reply; a second click replaces it, and its close button has the
    // tile delete it at the next tick.
    void tpxMeasuresWindow()
    {
        // Input L1 231 V, battery discharging 12.5 A.
        QVERIFY(set("tpx", {{11, 231}, {50, 125}, {0, 0x0040}}));
        auto tile = connectTile("tpx", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 3));
        click(tile.get(), "ButtonMeas");
        QPointer<DialogTPXMeasures> w = tile->findChild<DialogTPXMeasures*>();
        QVERIFY(w && w->isVisible());
        QCOMPARE(labelText(w, "inputV_1"), QString("231V"));
        QCOMPARE(labelText(w, "BattA"), QString("-12.50A"));
        testsupport::saveGrab(w, "tpx-measures-window-from-tile");

        QVERIFY(set("tpx", {{11, 229}, {0, 0}}));
        QVERIFY(ticks(*tile, 3));
        QCOMPARE(labelText(w, "inputV_1"), QString("229V"));
        QCOMPARE(labelText(w, "BattA"), QString("12.50A"));

        click(tile.get(), "ButtonMeas");
        QVERIFY(!w);
        w = tile->findChild<DialogTPXMeasures*>();
        QCOMPARE(tile->findChildren<DialogTPXMeasures*>().size(), 1);
        click(w, "pushButtonClose");
        QVERIFY(w && w->isHidden());
        tile->SendQuery();
        QVERIFY(!w);
    }

    // The graph window gets the tile's data at each click, catches up the
    // days since the tile's last sync and hands the new last sync back;
    // Escape hides it, closing ends it.
    void graphWindow()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 4)); // identity and type block read
        tile->setTheLastSync(graphfetch::lastSyncText(today.addDays(-2)));
        click(tile.get(), "theGraphsButton");
        QPointer<DialogGraph> g = tile->findChild<DialogGraph*>();
        QVERIFY(g && g->isVisible());
        QCOMPARE(g->getTheDayFolder(), tile->getTheStorageFolder());
        QCOMPARE(g->getTheTemperatureCount(), 1); // 20000 W
        QCOMPARE(g->getTheProbeLabels(), (QStringList{"Irradiance", "Module temp", "Ambient temp", "Wind"}));
        QTRY_COMPARE_WITH_TIMEOUT(labelText(g, "labelStatus"), QString("In Sync."), 30000);
        QCOMPARE(tile->getTheLastSync(), graphfetch::lastSyncText(today));

        QTest::keyClick(g, Qt::Key_Escape);
        QVERIFY(g && g->isHidden());
        click(tile.get(), "theGraphsButton");
        QCOMPARE(tile->findChild<DialogGraph*>(), g.data());
        QVERIFY(g->isVisible());
        click(g, "pushButtonClose");
        QTRY_VERIFY(!g);
        click(tile.get(), "theGraphsButton");
        QVERIFY(tile->findChild<DialogGraph*>());
    }

    // The windows that follow the board, opened from the tile: the alarm
    // window lists the alarm words of a 1.5.0 board (the ten of them, group
    // X included) and, opened again, the words already read at once. A board
    // lost, silent (10 replies missed) or refusing the connection: the
    // measures window closes, the alarm window stays with the words it had,
    // the graph window knows no FTP is possible, and knows it again once the
    // board answers.
    void liveWindowsFollowTheBoard_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("faultTicks");
        QTest::newRow("silent") << "silent" << 11;
        QTest::newRow("refused") << "refuse" << 0;
    }
    void liveWindowsFollowTheBoard()
    {
        QVERIFY(setAlarms("inv", {0, 0x0002, 0x4000, 0x0400, 0, 0, 0, 0x8000, 0x0001}));
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        tile->setTheLastSync(graphfetch::lastSyncText(today)); // nothing to catch up
        for (const char* button : {"ButtonMeasures", "theButtonAlarms", "theGraphsButton"})
            click(tile.get(), button);
        QPointer<Measures> measures = tile->findChild<Measures*>();
        QPointer<DialogAlarms> alarms = tile->findChild<DialogAlarms*>();
        QPointer<DialogGraph> graph = tile->findChild<DialogGraph*>();
        QVERIFY(measures && alarms && graph);
        QCOMPARE(alarms->getTheTitle(), QString("127.0.0.1 - inv"));
        QCOMPARE(alarmLines(alarms), QStringList{"No alarms!"});
        QVERIFY(ticks(*tile, 16)); // the cycle twice over
        const QStringList lines = {line("Active DCD on RS232-1", "s01"),
                                   line("ISOLATION OR GROUNDING FAULT", "a15"),
                                   line("Bypass line 1 voltage fail", "b10"), line("Fan failure", "c14"),
                                   line("FAULT 12: CAN TX error", "x00")};
        QTRY_COMPARE(alarmLines(alarms), lines);
        testsupport::saveGrab(alarms, "alarm-window-from-tile");
        click(alarms, "pushButtonClose");
        QTRY_VERIFY(!alarms);
        click(tile.get(), "theButtonAlarms");
        alarms = tile->findChild<DialogAlarms*>();
        QVERIFY(alarms);
        alarms->RefreshScreen();
        QCOMPARE(alarmLines(alarms), lines);
        QVERIFY(graph->getTheFtpIsPossible());

        QFETCH(QString, fault);
        QVERIFY(sim.command("fault inv " + fault + " on"));
        QFETCH(int, faultTicks);
        for (int i = 0; i < faultTicks; ++i)
            tile->SendQuery();
        QTRY_VERIFY_WITH_TIMEOUT(!measures, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!graph->getTheFtpIsPossible(), 10000);
        tile->SendQuery(); // a tick of a lost board changes nothing
        QVERIFY(!graph->getTheFtpIsPossible());
        QVERIFY(alarms && alarms->isVisible());
        alarms->RefreshScreen();
        QCOMPARE(alarmLines(alarms), lines);
        QVERIFY(sim.command("fault inv " + fault + " off"));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        // Ticked until the board answers again; the graph learns it at the start of the next tick.
        QTRY_VERIFY_WITH_TIMEOUT((tile->SendQuery(), graph->getTheFtpIsPossible()), 10000);
        QVERIFY(setAlarms("inv", {}));
    }
};

QTEST_MAIN(TestE2eTileWindows)
#include "tst_e2e_tilewindows.moc"
