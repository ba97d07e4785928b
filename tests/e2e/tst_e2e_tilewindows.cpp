// The equipment's windows opened from the tile against plantsim on loopback:
// the alarm list and the stamp, the measures of a three-phase, a
// single-phase and a legacy board, the identity handed again to a reopened
// measures window, the TPX synoptic following the unit's status bits and its
// measures window, the daily graph with the tile's hand-over and the board's
// reachability, and the live windows closing when the board is lost. The
// request cycle is driven tick by tick (poll timer stopped) unless a case
// needs the tile's own timers.
#include "appinfo.h"
#include "dialogalarms.h"
#include "dialoggraph.h"
#include "dialogtpxmeasures.h"
#include "graphfetch.h"
#include "invbutton.h"
#include "measures.h"
#include "plantsimprocess.h"
#include "storagepaths.h"
#include "testsupport.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <memory>

namespace {
using Registers = QMap<int, int>; // register -> value
using Texts = QMap<QString, QString>;

QJsonObject board(const QString& id, const QString& kind, int firmware, int phases, int power,
                  bool selfConsumption = false)
{
    return QJsonObject{{"id", id},
                       {"kind", kind},
                       {"firmware", firmware},
                       {"name", id},
                       {"phases", phases},
                       {"nominalPower", power},
                       {"selfConsumption", selfConsumption},
                       {"probes", 0x3}};
}
QString text(QWidget* w, const QString& label)
{
    auto* l = w->findChild<QLabel*>(label);
    return l ? l->text() : QString("(no %1)").arg(label);
}
// The resource a TPX synoptic part shows.
QString image(QWidget* tile, const char* part)
{
    return tile->findChild<QLabel*>(part)->property("image").toString();
}
bool sameImage(const QLabel* label, const QString& image)
{
    return label->pixmap(Qt::ReturnByValue).toImage() == QPixmap(image).toImage();
}
QPushButton* button(QWidget* w, const char* name)
{
    return w->findChild<QPushButton*>(name);
}
void click(QWidget* w, const char* name)
{
    QPushButton* b = button(w, name);
    QVERIFY2(b && b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}
bool ticks(InvButton& t, int n = 1)
{
    return repliedTicks(t, &InvButton::ReplyReceived, n);
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

    // A connected tile for one board, its kind written to its settings first.
    std::unique_ptr<InvButton> connectTile(const QString& id, const QString& version)
    {
        const SimBoard b = sim.board(id);
        {
            QSettings s(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                        QString("127.0.0.1-%1-Sim").arg(b.modbus));
            s.setValue("/inv/IsZETA", false);
            s.setValue("/inv/IsTPX", id == "tpx");
            s.setValue("/inv/IsExcluded", false);
        }
        auto tile = std::make_unique<InvButton>();
        tile->setThePollInterval(0);
        tile->setTheHostAddress(QHostAddress::LocalHost);
        tile->SetInvInfo("127.0.0.1", id, "NO_DNS_NAME", version, b.modbus, b.ftp, "Sim");
        tile->setTheStoragePath(sandbox.path() + "/", __LINE__);
        tile->Palesati();
        if (!QTest::qWaitFor([&] { return tile->getTheServerIsConnected(); }, 10000))
            return nullptr;
        sim.barrier();
        sim.clearRequests(id);
        return tile;
    }

private slots:
    void initTestCase()
    {
        const QJsonArray boards = {board("inv", "inverter", 150, 3, 20000, true),
                                   board("mono", "inverter", 133, 1, 3000),
                                   board("legacy", "inverter", 122, 3, 10000),
                                   board("old", "inverter", 125, 3, 6000), board("tpx", "tpx", 150, 3, 8000)};
        // Values stay as set: the simulated plant moves once an hour only.
        QVERIFY(sim.start(
            {"--scenario", writeScenario(dir, boards), "--loopback", "--no-udp", "--update-ms", "3600000"}));
    }

    // The alarm words of the board, read by the tile, listed by the window
    // opened from the tile's alarm button; the state word drives the stamp.
    void alarmWindowAndStamp_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QVector<int>>("words"); // registers 1000 to 1009
        QTest::addColumn<int>("state");          // register 34
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("register 1001 = 0x0002, in alarm")
            << "inv"
            << "1.5.0" << QVector<int>{0, 0x0002} << 3 << QStringList{line("Active DCD on RS232-1", "s01")}
            << ":/no.png";
        QTest::newRow("I bit 8 from register 1004, 1005's high byte ignored")
            << "inv"
            << "1.5.0" << QVector<int>{0, 0, 0, 0, 0x0001, 0x0100} << 1
            << QStringList{line("Inverter Failed or inhibited", "i08")} << ":/yes.png";
        QTest::newRow("X from register 1008 on 1.5.0")
            << "inv"
            << "1.5.0" << QVector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0x0001} << 4
            << QStringList{line("FAULT 12: CAN TX error", "x00")} << ":/wait.png";
        QTest::newRow("several, in the order S, I, A, B, C, X")
            << "inv"
            << "1.5.0" << QVector<int>{0, 0x0002, 0x4000, 0x0400, 0, 0, 0, 0x8000} << 5
            << QStringList{line("Active DCD on RS232-1", "s01"), line("ISOLATION OR GROUNDING FAULT", "a15"),
                           line("Bypass line 1 voltage fail", "b10"), line("Fan failure", "c14")}
            << ":/no.png";
        QTest::newRow("version 1.2.5 never reads the words")
            << "old"
            << "1.2.5" << QVector<int>{0, 0x0002} << 3 << QStringList{"No alarms!"} << ":/no.png";
    }
    void alarmWindowAndStamp()
    {
        QFETCH(QString, board);
        QFETCH(QVector<int>, words);
        QFETCH(int, state);
        QFETCH(QStringList, lines);
        QVERIFY(setAlarms(board, words));
        QVERIFY(sim.command(QString("set %1 state %2").arg(board).arg(state)));
        QFETCH(QString, version);
        auto tile = connectTile(board, version);
        QVERIFY(tile);
        click(tile.get(), "theButtonAlarms");
        QPointer<DialogAlarms> alarms = tile->findChild<DialogAlarms*>();
        QVERIFY(alarms && alarms->isVisible());
        QCOMPARE(alarms->getTheTitle(), "127.0.0.1 - " + board);
        auto* list = alarms->findChild<QListWidget*>("listAlarms");
        QCOMPARE(testsupport::itemTexts(list), QStringList{"No alarms!"});
        QVERIFY(ticks(*tile, 16)); // the cycle twice over
        QTRY_COMPARE(testsupport::itemTexts(list), lines);
        QVERIFY(sim.barrier());
        QCOMPARE(sim.requests(board).filter("reg=1000 ").isEmpty(), lines.first() == "No alarms!");
        QFETCH(QString, stamp);
        QVERIFY(sameImage(tile->findChild<QLabel*>("Stamp"), stamp));
        QCOMPARE(tile->theInvIsInAlarm(), state == 3 || state == 5);
        if (lines.size() > 1)
            testsupport::saveGrab(alarms, "alarm-window-from-tile");

        // Closed, the tile forgets the window; a new one lists the words
        // already read at once.
        click(alarms, "pushButtonClose");
        QTRY_VERIFY(!alarms);
        click(tile.get(), "theButtonAlarms");
        alarms = tile->findChild<DialogAlarms*>();
        QVERIFY(alarms);
        alarms->RefreshScreen();
        QCOMPARE(testsupport::itemTexts(alarms->findChild<QListWidget*>("listAlarms")), lines);
        QVERIFY(setAlarms(board, {}));
    }

    // The measures window opened from the tile shows the board's values.
    void measuresWindow_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QString>("version");
        QTest::addColumn<Registers>("registers");
        QTest::addColumn<Texts>("texts");
        QTest::addColumn<QStringList>("hidden");
        QTest::addColumn<int>("phases");
        // A 20 kW three-phase board with a house meter: DC inputs 1 and 2,
        // grid currents, 230.0 V phases, 50.00 Hz, 12.3 kW, Q 0.9 kVAR, a
        // total of 10.0 kWh and the house load of the three phases.
        QTest::newRow("three-phase") << "inv"
                                     << "1.5.0"
                                     << Registers{{11, 6120}, {12, 6085},   {13, 0xFFFF}, {14, 105},
                                                  {15, 98},   {16, 0xFFFF}, {17, 123},    {18, 177},
                                                  {19, 179},  {20, 2300},   {21, 2300},   {22, 2300},
                                                  {23, 5000}, {24, 410},    {25, 409},    {26, 411},
                                                  {30, 0},    {31, 100},    {41, 30},     {42, 30},
                                                  {43, 30},   {200, 12},    {201, 15},    {202, 9}}
                                     << Texts{{"theVin2", "612.0V"},
                                              {"theVin1", "608.5V"},
                                              {"theVin0", "---"},
                                              {"theIin0", "10.5A"},
                                              {"theIin2", "---"},
                                              {"theGridI1", "12.30A"},
                                              {"theGridI3", "17.90A"},
                                              {"theGridV1", "398.4Vrs"},
                                              {"theGridV2", "398.4Vst"},
                                              {"theGridV3", "398.4Vtr"},
                                              {"theGridFreq", "50.00 Hz"},
                                              {"InstantPower_Label", "inv - Power: 12.3KW   "},
                                              {"theInstPow", "P=12.3KW   "},
                                              {"TotE", "Total Energy = 10.0 kWh"},
                                              {"theKVAR", "Q=0.9KVAR"},
                                              {"theKVA", "S=12.3kVA"},
                                              {"thePF", "PF=1.0"},
                                              {"theL_1", "L1 =      1.2KW"},
                                              {"theL_3", "L3 =      0.9KW"},
                                              {"theL_Total", "Tot=      3.6KW"}}
                                     << QStringList{} << 3;
        // A 3 kW single-phase board: its inputs 2 and 3 and the other
        // phases are not shown; a total whose high word is 1.
        QTest::newRow("single-phase")
            << "mono"
            << "1.3.3" << Registers{{11, 3500}, {12, 3400}, {14, 52}, {15, 50}, {17, 87}, {20, 2300}, {21, 0},
                                    {23, 4998}, {24, 200},  {30, 1},  {31, 0},  {41, 0},  {42, 0},    {43, 0}}
            << Texts{{"theVin2", "350.0V"},
                     {"theVin1", "---"},
                     {"theIin0", "5.2A"},
                     {"theIin1", "---"},
                     {"theGridI1", "8.70A"},
                     {"theGridV1", "230.0V"},
                     {"theGridI2", "--"},
                     {"theGridV2", "--"},
                     {"theGridFreq", "49.98 Hz"},
                     {"theInstPow", "P=2.0KW   "},
                     {"TotE", "Total Energy = 6553.6 kWh"},
                     {"theKVAR", "Q=0.0KVAR"},
                     {"thePF", "PF=1.0"}}
            << QStringList{"theHouse", "theL_1", "theL_Total"} << 1;
        // On the legacy protocol energy, Q, S and PF keep "--".
        QTest::newRow("legacy protocol")
            << "legacy"
            << "1.2.2" << Registers{{17, 150}, {24, 300}, {25, 300}, {26, 300}, {30, 0}, {31, 100}}
            << Texts{{"theGridI1", "15.00A"}, {"theInstPow", "P=9.0KW   "},
                     {"TotE", "--"},          {"theKVAR", "--"},
                     {"theKVA", "--"},        {"thePF", "--"}}
            << QStringList{"theHouse"} << 3;
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
            QCOMPARE(text(w, it.key()), it.value());
        QFETCH(QStringList, hidden);
        for (const QString& label : hidden)
            QVERIFY2(w->findChild<QLabel*>(label)->isHidden(), qPrintable(label));
        testsupport::saveGrab(w, "measures-window-" + QString(QTest::currentDataTag()).replace(' ', '-'));

        // Closed and reopened: the tile hands the identity to the new window
        // before its next measures.
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

    // The synoptic of a TPX tile follows the unit's status bits at the next
    // one-second activity; a unit that holds its data keeps the synoptic as
    // it was.
    void tpxSynoptic_data()
    {
        QTest::addColumn<Registers>("registers");
        QTest::addColumn<QString>("rectifier");
        QTest::addColumn<QString>("inverter");
        QTest::addColumn<QString>("junction");
        QTest::addColumn<QString>("arrow");
        QTest::addColumn<bool>("shown"); // refreshed: colours, values and version title shown
        QTest::newRow("normal") << Registers{} << ":/raddr_nero.png"
                                << ":/inv_nero.png"
                                << ""
                                << ":/TriangoloAzzurro.png" << true;
        QTest::newRow("on bypass") << Registers{{0, 0x0800}} << ":/raddr_nero.png"
                                   << ":/inv_nero.png"
                                   << ":/UP_R_B.png"
                                   << ":/TriangoloBlu.png" << true;
        // 12.1 is the high byte of register 126, bit 1.
        QTest::newRow("overload on bypass") << Registers{{0, 0x0800}, {126, 0x0200}} << ":/raddr_nero.png"
                                            << ":/inv_nero.png"
                                            << ":/UP_R_R.png"
                                            << ":/TriangoloRosso.png" << true;
        // 13.3 and 13.5 are the low byte of register 126.
        QTest::newRow("fault") << Registers{{126, 0x0028}} << ":/raddr_arancio.png"
                               << ":/inv_rosso.png"
                               << ":/SQ_GRAY.png"
                               << ":/TriangoloGrigio.png" << true;
        // Held: the synoptic keeps the look it had before the replies.
        QTest::newRow("data held") << Registers{{3, 0x8001}, {126, 0x0028}} << ""
                                   << ""
                                   << ""
                                   << "" << false;
    }
    void tpxSynoptic()
    {
        // Block B: rated 8.0 kVA at 230 V, 76 % capacity, output loads of
        // 50, 60 and 70 %, 6.6 A of input current on each phase.
        QVERIFY(
            set("tpx",
                {{79, 80}, {77, 230}, {51, 76}, {37, 50}, {38, 60}, {39, 70}, {14, 66}, {15, 66}, {16, 66}}));
        QVERIFY(set("tpx", {{0, 0}, {3, 1}, {126, 0}})); // running on the inverter, data shown
        QFETCH(Registers, registers);
        QVERIFY(set("tpx", registers));
        auto tile = connectTile("tpx", "1.5.0");
        QVERIFY(tile);
        for (const char* hidden : {"theIcon", "Stamp", "InvTemp", "theValueOfBar"})
            QVERIFY2(tile->findChild<QLabel*>(hidden)->isHidden(), hidden);
        QVERIFY(tile->findChild<QWidget*>("thePowerBar")->isHidden());
        QVERIFY(button(tile.get(), "ButtonMeasures")->isHidden());
        QCOMPARE(tile->findChild<QLabel*>("Disconnected_Label")->geometry(), QRect(5, 146, 300, 24));
        QCOMPARE(text(tile.get(), "tpxRatedPower"), QString("---"));
        const auto look = [&] {
            return QStringList{image(tile.get(), "tpxRectifier"), image(tile.get(), "tpxInverter"),
                               image(tile.get(), "tpxOutputJunction"), image(tile.get(), "tpxOutputArrow")};
        };
        QFETCH(bool, shown);
        QFETCH(QString, rectifier);
        QFETCH(QString, inverter);
        QFETCH(QString, junction);
        QFETCH(QString, arrow);
        const QStringList expectedLook = shown ? QStringList{rectifier, inverter, junction, arrow} : look();
        QVERIFY(ticks(*tile, 3)); // blocks A, B and C
        tile->OneSecondActivity();
        QCOMPARE(look(), expectedLook);
        const QStringList values = {text(tile.get(), "tpxRatedPower"), text(tile.get(), "tpxBatteryCapacity"),
                                    text(tile.get(), "tpxOutputLoad"), text(tile.get(), "tpxInputLoad")};
        const QStringList expected =
            shown ? QStringList{"8KVA", "76%", "60.0%", "60.0%"} : QStringList{"---", "---", "---", "---"};
        QCOMPARE(values, expected);
        QCOMPARE(tile->title().endsWith("[V-01.50]"), shown);
        const QString tag = QString(QTest::currentDataTag()).replace(' ', '-');
        testsupport::saveGrab(tile.get(), "tpx-tile-" + tag);
    }

    // A unit lost greys the synoptic; back, its values read "---" until
    // they are read again, and it is coloured again.
    void tpxSynopticWhileLost()
    {
        QVERIFY(set("tpx", {{0, 0}, {3, 1}, {126, 0}}));
        auto tile = connectTile("tpx", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 3));
        tile->OneSecondActivity();
        QCOMPARE(image(tile.get(), "tpxRectifier"), QString(":/raddr_nero.png"));
        QCOMPARE(text(tile.get(), "tpxRatedPower"), QString("8KVA"));

        QVERIFY(sim.command("fault tpx refuse on"));
        QTRY_VERIFY_WITH_TIMEOUT(!tile->getTheServerIsConnected(), 10000);
        tile->OneSecondActivity();
        QCOMPARE(image(tile.get(), "tpxRectifier"), QString(":/raddr_grigio.png"));
        QCOMPARE(image(tile.get(), "tpxBattery"), QString(":/batt_grigio.png"));
        QVERIFY(!button(tile.get(), "ButtonMeas")->isEnabled());
        testsupport::saveGrab(tile.get(), "tpx-tile-disconnected");
        QString atConnection;
        connect(tile->getTheLink(), &EquipmentLink::linkConnected, this,
                [&] { atConnection = text(tile.get(), "tpxRatedPower"); });
        QVERIFY(sim.command("fault tpx refuse off"));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        QCOMPARE(atConnection, QString("---")); // cleared when the connection starts
        QVERIFY(button(tile.get(), "ButtonMeas")->isEnabled());
        QVERIFY(ticks(*tile, 3));
        tile->OneSecondActivity();
        QCOMPARE(image(tile.get(), "tpxRectifier"), QString(":/raddr_nero.png"));
        QCOMPARE(text(tile.get(), "tpxRatedPower"), QString("8KVA"));
    }

    // With the tile's own timers running, a status bit set on the unit
    // reaches the synoptic through the cycle and the two-second activity.
    void tpxSynopticFollowsAStatusBit()
    {
        QVERIFY(set("tpx", {{0, 0}, {3, 1}, {126, 0}}));
        auto tile = connectTile("tpx", "1.5.0");
        QVERIFY(tile);
        tile->setThePollInterval(300);
        QTRY_VERIFY_WITH_TIMEOUT(tile->title().endsWith("[V-01.50]"), 10000); // refreshed once
        QCOMPARE(image(tile.get(), "tpxInverter"), QString(":/inv_nero.png"));
        QVERIFY(set("tpx", {{126, 0x0008}})); // 13.3: inverter fault
        QElapsedTimer took;
        took.start();
        QTRY_COMPARE_WITH_TIMEOUT(image(tile.get(), "tpxInverter"), QString(":/inv_rosso.png"), 10000);
        qInfo("inverter fault shown after %lld ms", took.elapsed());
        QVERIFY(set("tpx", {{126, 0}}));
    }

    // The gauge button opens the TPX measures window with the unit's
    // values; it follows every block A and B reply, and its close button
    // has the tile delete it at the next tick.
    void tpxMeasuresWindow()
    {
        // Input L1 231 V, active power L2 -2.0 kW, battery discharging 12.5 A.
        QVERIFY(set("tpx", {{11, 231}, {41, 0xFFEC}, {50, 125}, {0, 0x0040}, {51, 76}}));
        auto tile = connectTile("tpx", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 3));
        click(tile.get(), "ButtonMeas");
        QPointer<DialogTPXMeasures> w = tile->findChild<DialogTPXMeasures*>();
        QVERIFY(w && w->isVisible());
        QCOMPARE(text(w, "inputV_1"), QString("231V"));
        QCOMPARE(text(w, "outputAP_2"), QString("-2.00KW"));
        QCOMPARE(text(w, "BattA"), QString("-12.50A"));
        QCOMPARE(text(w, "BattC"), QString("76%"));
        testsupport::saveGrab(w, "tpx-measures-window-from-tile");

        QVERIFY(set("tpx", {{11, 229}, {0, 0}}));
        QVERIFY(ticks(*tile, 3));
        QCOMPARE(text(w, "inputV_1"), QString("229V"));
        QCOMPARE(text(w, "BattA"), QString("12.50A"));

        // A second click replaces the window; only the new one is fed.
        click(tile.get(), "ButtonMeas");
        QVERIFY(!w);
        w = tile->findChild<DialogTPXMeasures*>();
        QCOMPARE(tile->findChildren<DialogTPXMeasures*>().size(), 1);
        click(w, "pushButtonClose");
        QVERIFY(w && w->isHidden());
        tile->SendQuery();
        QVERIFY(!w);
        QVERIFY(set("tpx", {{0, 0}}));
    }

    // The graph window gets the tile's data at each click, catches up the
    // days since the tile's last sync and hands the new last sync back; it
    // follows the board's reachability; Escape hides it, closing ends it.
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
        QVERIFY(g->findChild<QLabel*>("labelTitle")->text().endsWith(" - inv"));
        QCOMPARE(g->getTheTemperatureCount(), 1); // 20000 W
        QCOMPARE(g->getTheProbeLabels(), (QStringList{"Irradiance", "Module temp", "Ambient temp", "Wind"}));
        QVERIFY(g->getTheFtpIsPossible());
        QTRY_COMPARE_WITH_TIMEOUT(text(g, "labelStatus"), QString("In Sync."), 30000);
        QCOMPARE(tile->getTheLastSync(), graphfetch::lastSyncText(today));
        for (int d = 1; d <= 2; ++d)
            QVERIFY(QFile::exists(tile->getTheStorageFolder() + "/" +
                                  StoragePaths::dailyLogName(today.addDays(-d))));

        // The board goes away and comes back.
        QVERIFY(sim.command("fault inv refuse on"));
        QTRY_VERIFY_WITH_TIMEOUT(!g->getTheFtpIsPossible(), 10000);
        tile->SendQuery();
        QVERIFY(!g->getTheFtpIsPossible());
        QVERIFY(sim.command("fault inv refuse off"));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        tile->SendQuery();
        QVERIFY(g->getTheFtpIsPossible());
        // Silent: no longer possible once the board misses 10 replies.
        QVERIFY(sim.command("fault inv silent on"));
        for (int i = 0; i < 11; ++i)
            tile->SendQuery();
        QVERIFY(!g->getTheFtpIsPossible());
        QVERIFY(sim.command("fault inv silent off"));

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

    // A board lost while its windows are open: the measures window closes
    // (silence or a refused connection), the alarm window stays with the
    // words it had.
    void lostBoardClosesTheLiveWindows_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("faultTicks");
        QTest::newRow("silent") << "silent" << 11;
        QTest::newRow("refused") << "refuse" << 0;
    }
    void lostBoardClosesTheLiveWindows()
    {
        QVERIFY(setAlarms("inv", {0, 0x0002}));
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        click(tile.get(), "ButtonMeasures");
        click(tile.get(), "theButtonAlarms");
        QPointer<Measures> measures = tile->findChild<Measures*>();
        QPointer<DialogAlarms> alarms = tile->findChild<DialogAlarms*>();
        QVERIFY(ticks(*tile, 10));
        QFETCH(QString, fault);
        QVERIFY(sim.command("fault inv " + fault + " on"));
        QFETCH(int, faultTicks);
        for (int i = 0; i < faultTicks; ++i)
            tile->SendQuery();
        QTRY_VERIFY_WITH_TIMEOUT(!measures, 10000);
        QVERIFY(alarms && alarms->isVisible());
        alarms->RefreshScreen();
        QCOMPARE(testsupport::itemTexts(alarms->findChild<QListWidget*>("listAlarms")),
                 QStringList{line("Active DCD on RS232-1", "s01")});
        QVERIFY(sim.command("fault inv " + fault + " off"));
        QVERIFY(setAlarms("inv", {}));
    }
};

QTEST_MAIN(TestE2eTileWindows)
#include "tst_e2e_tilewindows.moc"
