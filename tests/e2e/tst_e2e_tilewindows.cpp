// The equipment's windows opened from the tile against plantsim on loopback: the
// registers reach each window through the tile, and the live windows follow the
// board when it is lost. Ticks are driven one by one unless a case needs the timers.
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

QString image(QWidget* tile, const char* part)
{
    return tile->findChild<QLabel*>(part)->property("image").toString();
}
bool ticks(InvButton& t, int n = 1)
{
    return repliedTicks(*t.getTheLink(), &EquipmentLink::replyReceived, n);
}
QStringList alarmLines(DialogAlarms* w)
{
    return testsupport::itemTexts(w->findChild<QListWidget*>("listAlarms"));
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
    bool setAlarms(const QVector<int>& words)
    {
        for (int i = 0; i < 10; ++i)
            if (!sim.command(QString("set inv alarm %1 %2").arg(i).arg(words.value(i))))
                return false;
        return true;
    }
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
        const auto board = [](const char* id, const char* kind, int firmware, int power) {
            return simBoard(id, kind, firmware, {{"phases", 3}, {"nominalPower", power}, {"probes", 0x3}});
        };
        QJsonObject inv = board("inv", "inverter", 150, 20000);
        inv.insert("selfConsumption", true);
        const QJsonArray boards = {inv, board("legacy", "inverter", 122, 10000),
                                   board("tpx", "tpx", 150, 8000)};
        QVERIFY(startStillPlant(sim, dir, boards, {"--no-udp"}));
        QVERIFY(set("tpx", {{79, 80}})); // 8.0 kVA
    }

    // The measures window shows the board's values (full and legacy short block);
    // opened again, it is handed the identity before its next measures.
    void measuresWindow_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QString>("version");
        QTest::addColumn<Registers>("registers");
        QTest::addColumn<QStringList>("texts"); // label=text
        QTest::newRow("three-phase, house meter")
            << "inv"
            << "1.5.0" << Registers{{11, 6120}, {30, 0}, {31, 100}, {200, 12}}
            << QStringList{"theVin2=612.0V", "TotE=Total Energy = 10.0 kWh", "theL_1=L1 =      1.2KW"};
        QTest::newRow("legacy protocol")
            << "legacy"
            << "1.2.2" << Registers{{17, 150}} << QStringList{"theGridI1=15.00A", "TotE=--", "theKVAR=--"};
    }
    void measuresWindow()
    {
        QFETCH(QString, board);
        QFETCH(Registers, registers);
        QFETCH(QString, version);
        QFETCH(QStringList, texts);
        QVERIFY(set(board, registers));
        auto tile = connectTile(board, version);
        QVERIFY(tile);
        QSignalSpy identities(tile.get(), &InvButton::IdentUpdated);
        click(tile.get(), "ButtonMeasures");
        QPointer<Measures> w = tile->findChild<Measures*>();
        QVERIFY(w && w->isVisible());
        QVERIFY(ticks(*tile, 12));
        QCOMPARE(identities.count(), 1);
        w->UpdateValues();
        for (const QString& t : texts)
            QCOMPARE(t.section('=', 0, 0) + '=' + labelText(w, qPrintable(t.section('=', 0, 0))), t);
        testsupport::saveGrab(w, "measures-window-" + board);

        click(w, "CloseButton");
        QTRY_VERIFY(!w);
        click(tile.get(), "ButtonMeasures");
        QVERIFY(tile->findChild<Measures*>());
        QVERIFY(ticks(*tile, 4));
        QCOMPARE(identities.count(), 2);
    }

    // A unit that holds its data keeps the synoptic as it was, whatever its status bits.
    void tpxDataHeld()
    {
        QVERIFY(set("tpx", {{0, 0}, {3, 0x8001}, {126, 0x0028}}));
        auto tile = connectTile("tpx", "1.5.0");
        QVERIFY(tile);
        const QString look = image(tile.get(), "tpxInverter");
        QVERIFY(ticks(*tile, 3)); // blocks A, B and C
        tile->OneSecondActivity();
        QCOMPARE(image(tile.get(), "tpxInverter"), look);
        QCOMPARE(labelText(tile.get(), "tpxRatedPower"), QString("---"));
        QVERIFY(!tile->title().endsWith("[V-01.50]"));
    }

    // With the tile's own timers: bypass reaches the TPX tile; a unit lost greys it and
    // disables the gauge; back, its values read "---" until they are read again.
    void tpxTileFollowsTheUnit()
    {
        QVERIFY(set("tpx", {{0, 0}, {3, 1}, {126, 0}}));
        auto tile = connectTile("tpx", "1.5.0");
        QVERIFY(tile);
        tile->setThePollInterval(300);
        QTRY_VERIFY_WITH_TIMEOUT(tile->title().endsWith("[V-01.50]"), 10000);
        QVERIFY(set("tpx", {{0, 0x0800}}));
        QTRY_COMPARE_WITH_TIMEOUT(image(tile.get(), "tpxOutputArrow"), QString(":/TriangoloBlu.png"), 10000);
        testsupport::saveGrab(tile.get(), "tpx-tile-on-bypass");
        QVERIFY(set("tpx", {{0, 0}}));

        QVERIFY(sim.command("fault tpx refuse on"));
        QTRY_VERIFY_WITH_TIMEOUT(!tile->getTheServerIsConnected(), 10000);
        QTRY_COMPARE(image(tile.get(), "tpxRectifier"), QString(":/raddr_grigio.png"));
        QVERIFY(!tile->findChild<QPushButton*>("ButtonMeas")->isEnabled());
        QString atConnection;
        connect(tile->getTheLink(), &EquipmentLink::linkConnected, this,
                [&] { atConnection = labelText(tile.get(), "tpxRatedPower"); });
        QVERIFY(sim.command("fault tpx refuse off"));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        QCOMPARE(atConnection, QString("---"));
        QVERIFY(tile->findChild<QPushButton*>("ButtonMeas")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(labelText(tile.get(), "tpxRatedPower"), QString("8KVA"), 10000);
    }

    // The TPX measures window is fed at every reply; a second click replaces it, and
    // its close button has the tile delete it at the next tick.
    void tpxMeasuresWindow()
    {
        QVERIFY(set("tpx", {{11, 231}}));
        auto tile = connectTile("tpx", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 3));
        click(tile.get(), "ButtonMeas");
        QPointer<DialogTPXMeasures> w = tile->findChild<DialogTPXMeasures*>();
        QVERIFY(w && w->isVisible());
        QCOMPARE(labelText(w, "inputV_1"), QString("231V"));
        testsupport::saveGrab(w, "tpx-measures-window-from-tile");
        QVERIFY(set("tpx", {{11, 229}}));
        QVERIFY(ticks(*tile, 3));
        QCOMPARE(labelText(w, "inputV_1"), QString("229V"));

        click(tile.get(), "ButtonMeas");
        QVERIFY(!w);
        w = tile->findChild<DialogTPXMeasures*>();
        QCOMPARE(tile->findChildren<DialogTPXMeasures*>().size(), 1);
        click(w, "pushButtonClose");
        QVERIFY(w && w->isHidden());
        tile->SendQuery();
        QVERIFY(!w);
    }

    // The graph window catches up since the tile's last sync and hands the new one back.
    void graphWindow()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 4));
        tile->setTheLastSync(graphfetch::lastSyncText(today.addDays(-2)));
        click(tile.get(), "theGraphsButton");
        QPointer<DialogGraph> g = tile->findChild<DialogGraph*>();
        QVERIFY(g && g->isVisible());
        QCOMPARE(g->getTheDayFolder(), tile->getTheStorageFolder());
        QTRY_COMPARE_WITH_TIMEOUT(labelText(g, "labelStatus"), QString("In Sync."), 30000);
        QCOMPARE(tile->getTheLastSync(), graphfetch::lastSyncText(today));
        click(g, "pushButtonClose");
        QTRY_VERIFY(!g);
        click(tile.get(), "theGraphsButton");
        QVERIFY(tile->findChild<DialogGraph*>());
    }

    // A board silent (10 replies missed) or refusing: the measures window closes, the
    // alarm window keeps its words, the graph window knows no FTP until the board is back.
    void liveWindowsFollowTheBoard_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("faultTicks");
        QTest::newRow("silent") << "silent" << 11;
        QTest::newRow("refused") << "refuse" << 0;
    }
    void liveWindowsFollowTheBoard()
    {
        QVERIFY(setAlarms({0, 0x0002, 0, 0, 0, 0, 0, 0, 0x0001}));
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        tile->setTheLastSync(graphfetch::lastSyncText(today));
        for (const char* button : {"ButtonMeasures", "theButtonAlarms", "theGraphsButton"})
            click(tile.get(), button);
        QPointer<Measures> measures = tile->findChild<Measures*>();
        QPointer<DialogAlarms> alarms = tile->findChild<DialogAlarms*>();
        QPointer<DialogGraph> graph = tile->findChild<DialogGraph*>();
        QVERIFY(measures && alarms && graph);
        QVERIFY(ticks(*tile, 16)); // the cycle twice over
        const QStringList lines = {QString("Active DCD on RS232-1").leftJustified(50) + "s01",
                                   QString("FAULT 12: CAN TX error").leftJustified(50) + "x00"};
        QTRY_COMPARE(alarmLines(alarms), lines);
        testsupport::saveGrab(alarms, "alarm-window-from-tile");
        QVERIFY(graph->getTheFtpIsPossible());

        QFETCH(QString, fault);
        QFETCH(int, faultTicks);
        QVERIFY(sim.command("fault inv " + fault + " on"));
        for (int i = 0; i < faultTicks; ++i)
            tile->SendQuery();
        QTRY_VERIFY_WITH_TIMEOUT(!measures, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!graph->getTheFtpIsPossible(), 10000);
        tile->SendQuery(); // a tick of a lost board changes nothing
        QVERIFY(!graph->getTheFtpIsPossible());
        alarms->RefreshScreen();
        QCOMPARE(alarmLines(alarms), lines);
        QVERIFY(sim.command("fault inv " + fault + " off"));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT((tile->SendQuery(), graph->getTheFtpIsPossible()), 10000);
        QVERIFY(setAlarms({}));
    }
};

QTEST_MAIN(TestE2eTileWindows)
#include "tst_e2e_tilewindows.moc"
