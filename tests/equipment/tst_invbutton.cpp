// The tile against plantsim on loopback: what it draws from the replies, how
// it shows a board that falls silent or goes away, exclusion, and its
// settings file. The cycle is driven tick by tick (poll timer stopped).
#include "appinfo.h"
#include "invbutton.h"
#include "plantsimprocess.h"
#include "storagepaths.h"
#include "testsupport.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <memory>

namespace {
QString labelText(InvButton& t, const char* name, int index = 0)
{
    return t.findChildren<QLabel*>(name).value(index)->text();
}
bool sameImage(const QLabel* label, const QString& image)
{
    return label->pixmap(Qt::ReturnByValue).toImage() == QPixmap(image).toImage();
}
bool ticks(InvButton& t, int n = 1)
{
    return repliedTicks(*t.getTheLink(), &EquipmentLink::replyReceived, n);
}
} // namespace

class TestInvButton : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;
    std::unique_ptr<PlantSimProcess> sim;
    QTemporaryDir dir;

    // A tile for one board, its settings written first (kind, not excluded),
    // connected; with fresh false the settings file is left as it is.
    std::unique_ptr<InvButton> connectTile(const QString& id, const QString& version, bool fresh = true)
    {
        const quint16 port = sim->board(id).modbus;
        if (fresh) {
            QSettings s(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                        QString("127.0.0.1-%1-Sim").arg(port));
            s.setValue("/inv/IsZETA", id == "zeta");
            s.setValue("/inv/IsExcluded", false);
        }
        auto tile = std::make_unique<InvButton>();
        tile->setThePollInterval(0);
        tile->setTheHostAddress(QHostAddress::LocalHost);
        tile->SetInvInfo("127.0.0.1", id, "NO_DNS_NAME", version, port, 0, "Sim");
        tile->setTheStoragePath(sandbox->path() + "/", __LINE__);
        tile->Palesati();
        if (fresh && !QTest::qWaitFor([&] { return tile->getTheServerIsConnected(); }, 10000))
            return nullptr;
        sim->barrier();
        sim->clearRequests(id);
        return tile;
    }
    bool setRegister(const QString& board, int reg, int value)
    {
        return sim->command(QString("set %1 reg %2 %3").arg(board).arg(reg).arg(value));
    }

private slots:
    void initTestCase()
    {
        sandbox = std::make_unique<testsupport::SandboxSettings>();
        QJsonArray boards;
        const auto board = [](const char* id, const char* kind, int firmware) {
            return QJsonObject{
                {"id", id}, {"kind", kind}, {"firmware", firmware}, {"name", id}, {"nominalPower", 3000}};
        };
        boards << board("inv", "inverter", 150) << board("zeta", "zeta", 150)
               << board("sb", "stringbox", 130);
        // Values stay as set: the simulated plant moves once an hour only.
        sim = std::make_unique<PlantSimProcess>();
        QVERIFY(sim->start({"--scenario", writeScenario(dir, boards), "--loopback", "--no-ftp", "--no-udp",
                            "--update-ms", "3600000"}));
    }
    void cleanupTestCase() { sim.reset(); }

    // The board's registers as the tile shows them on the tick after the
    // first measures reply.
    void drawsTheMeasures_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QList<int>>("phasePower"); // registers 24 to 26, 10 W
        QTest::addColumn<int>("kvpac");             // register 870
        QTest::addColumn<int>("state");             // register 34
        QTest::addColumn<int>("daily");             // registers 48 and 49, 0.1 kWh
        QTest::addColumn<QString>("power");
        QTest::addColumn<QString>("energy");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("barLabel");
        QTest::addColumn<QString>("stamp");
        QTest::addColumn<bool>("alarm");
        QTest::newRow("half of 3000 W") << "inv" << QList<int>{100, 50, 0} << 100 << 1 << 1234 << "1.5 kW"
                                        << "123.4 kWh" << 50 << "50.0%"
                                        << ":/yes.png" << false;
        QTest::newRow("rated 110 %, in alarm")
            << "inv" << QList<int>{100, 50, 0} << 110 << 5 << 1234 << "1.5 kW"
            << "123.4 kWh" << 45 << "45.5%"
            << ":/no.png" << true;
        QTest::newRow("zeta in watts, waiting")
            << "zeta" << QList<int>{100, 100, 50} << 100 << 4 << 123456 << "2500.0 W"
            << "12345.6 kWh" << 83 << "83.3%"
            << ":/wait.png" << false;
    }
    void drawsTheMeasures()
    {
        QFETCH(QString, board);
        QFETCH(QList<int>, phasePower);
        QFETCH(int, daily);
        QFETCH(QString, stamp);
        for (int i = 0; i < 3; ++i)
            QVERIFY(setRegister(board, 24 + i, phasePower[i]));
        QFETCH(int, kvpac);
        QVERIFY(setRegister(board, 870, kvpac));
        QFETCH(int, state);
        QVERIFY(setRegister(board, 34, state));
        QVERIFY(setRegister(board, 10, 253)); // 25.3 degrees
        QVERIFY(setRegister(board, 48, daily >> 16));
        QVERIFY(setRegister(board, 49, daily & 0xFFFF));
        auto tile = connectTile(board, "1.4.0");
        QVERIFY(tile);
        QCOMPARE(labelText(*tile, "theInstantPower", 0), QString("P = ----"));
        QVERIFY(ticks(*tile, 6)); // identity, version, type, daily values, measures, then drawn
        QTEST(labelText(*tile, "theInstantPower", 0), "power");
        QTEST(labelText(*tile, "theInstantPower", 1), "energy");
        QTEST(tile->findChild<QProgressBar*>("thePowerBar")->value(), "bar");
        QTEST(labelText(*tile, "theValueOfBar"), "barLabel");
        QCOMPARE(labelText(*tile, "InvTemp"), QString("T = 25.3 °C"));
        QVERIFY(sameImage(tile->findChild<QLabel*>("Stamp"), stamp));
        QTEST(tile->theInvIsInAlarm(), "alarm");
        QCOMPARE(tile->InstantPowerForPlant(), (phasePower[0] + phasePower[1] + phasePower[2]) * 10.0);
        // The title shows the board's version once read, in place of the announced one.
        QCOMPARE(tile->title(), QString("127.0.0.1 - %1 [1.4.0]").arg(board));
        tile->OneSecondActivity();
        tile->OneSecondActivity();
        QCOMPARE(tile->title(), QString("127.0.0.1 - %1 [1.5.0]").arg(board));
        testsupport::saveGrab(tile.get(), "tile-" + QString(QTest::currentDataTag()).replace(' ', '-'));
    }

    // A tile out of sight leaves its labels alone and draws when shown.
    void drawsWhenInSight()
    {
        QVERIFY(setRegister("inv", 24, 100));
        QVERIFY(setRegister("inv", 25, 0));
        QVERIFY(setRegister("inv", 26, 0));
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        tile->hide();
        QVERIFY(ticks(*tile, 6));
        QCOMPARE(labelText(*tile, "theInstantPower", 0), QString("P = ----"));
        tile->show();
        QTRY_COMPARE(labelText(*tile, "theInstantPower", 0), QString("1.0 kW"));
    }

    // Each string box word is read with its first byte low: 0x9600 on the
    // wire is 15.0 A, a bar at 75 of 20 A.
    void drawsAStringBox()
    {
        QVERIFY(setRegister("sb", 20, 0x9600));
        QVERIFY(setRegister("sb", 27, 0x2C01)); // 300, over the full scale
        auto tile = connectTile("sb", "SB_1.3.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 2)); // read, then drawn
        const QList<QProgressBar*> bars = tile->findChildren<QProgressBar*>("theSBBar");
        QCOMPARE(bars.size(), 8);
        QCOMPARE(labelText(*tile, "theSBLabel", 0), QString("15.0A"));
        QCOMPARE(bars[0]->value(), 75);
        QCOMPARE(labelText(*tile, "theSBLabel", 7), QString("30.0A"));
        QCOMPARE(bars[7]->value(), 100);
        QVERIFY(tile->title().endsWith("[1.3.0]"));
        QCOMPARE(labelText(*tile, "theValueOfBar"), QString("String Box"));
        testsupport::saveGrab(tile.get(), "tile-string-box");
    }

    // A silent board keeps its connection and shows TIMEOUT with its values
    // dashed; a board that goes away disables the buttons and offers the
    // delete button until it is back.
    void lostBoard_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("faultTicks");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("energy");
        QTest::addColumn<bool>("deletable");
        QTest::addColumn<bool>("buttons");
        QTest::newRow("silent") << "silent" << 10 << QString("TIMEOUT") << "E = ----" << false << true;
        QTest::newRow("refused") << "refuse" << 0 << QString("Starting...") << "123.4 kWh" << true << false;
        QTest::newRow("excluded") << "exclude" << 1 << QString("EXCLUDED") << "E = ----" << false << false;
    }
    void lostBoard()
    {
        QFETCH(QString, fault);
        QFETCH(int, faultTicks);
        QFETCH(QString, status);
        QVERIFY(setRegister("inv", 48, 0));
        QVERIFY(setRegister("inv", 49, 1234));
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 6));
        QVERIFY(labelText(*tile, "theInstantPower", 0) != "P = ----");
        auto* alarms = tile->findChild<QPushButton*>("theButtonAlarms");
        auto* cancel = tile->findChild<QPushButton*>("ButtonCancel");
        QVERIFY(alarms->isEnabled());
        auto* bar = tile->findChild<QProgressBar*>("thePowerBar");
        auto* barLabel = tile->findChild<QLabel*>("theValueOfBar");
        auto* stamp = tile->findChild<QLabel*>("Stamp");
        QVERIFY(bar->value() > 0 && barLabel->isVisibleTo(tile.get()) && stamp->isVisibleTo(tile.get()));
        if (fault == "exclude")
            tile->ExcludeButton();
        else
            QVERIFY(sim->command("fault inv " + fault + " on"));
        for (int i = 0; i < faultTicks; ++i)
            tile->SendQuery();
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*tile, "Disconnected_Label"), status, 10000);
        QCOMPARE(labelText(*tile, "theInstantPower", 0), QString("P = ----"));
        QTEST(labelText(*tile, "theInstantPower", 1), "energy");
        QCOMPARE(labelText(*tile, "InvTemp"), QString("----"));
        QTEST(alarms->isEnabled(), "buttons");
        QTEST(cancel->isEnabled(), "deletable");
        QTEST(!cancel->isHidden(), "deletable");
        // No live data: no power bar, no percentage, no state stamp.
        QCOMPARE(bar->value(), 0);
        QVERIFY(!barLabel->isVisibleTo(tile.get()));
        QVERIFY(!stamp->isVisibleTo(tile.get()));
        if (fault == "exclude")
            tile->ExcludeButton();
        else
            QVERIFY(sim->command("fault inv " + fault + " off"));
    }

    // A board that refuses from the start: the tile never had a measure, so
    // it shows no stamp, no bar and no percentage.
    void refusedFromTheStartShowsNoValues()
    {
        QVERIFY(sim->command("fault inv refuse on"));
        auto tile = connectTile("inv", "1.5.0", false);
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*tile, "Disconnected_Label"), QString("Starting..."), 10000);
        tile->show();
        QVERIFY(!tile->findChild<QLabel*>("Stamp")->isVisible());
        QVERIFY(!tile->findChild<QLabel*>("theValueOfBar")->isVisible());
        QCOMPARE(tile->findChild<QProgressBar*>("thePowerBar")->value(), 0);
        QVERIFY(sim->command("fault inv refuse off"));
    }

    // A title too long for the room left of the title-row buttons is drawn
    // smaller, and only when even the smallest size is too wide, cut with an
    // ellipsis and shown whole in the tooltip. The delete button, when
    // offered, takes room from it.
    void longTitleStaysClearOfTheButtons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("deletable");
        QTest::addColumn<bool>("cut");
        QTest::newRow("fits") << "Roof" << false << false;
        QTest::newRow("smaller") << "Roof East" << true << false;
        QTest::newRow("cut") << "A very long equipment name on the roof" << true << true;
    }
    void longTitleStaysClearOfTheButtons()
    {
        QFETCH(QString, name);
        QFETCH(bool, deletable);
        QFETCH(bool, cut);
        InvButton tile;
        tile.SetInvInfo("192.168.100.200", name, "NO_DNS_NAME", "1.2.2", 1, 0, "Sim");
        tile.SetDeletable(deletable);
        const QString full = QString("192.168.100.200 - %1 [1.2.2]").arg(name);
        QCOMPARE(tile.title().endsWith(QChar(0x2026)), cut);
        QCOMPARE(tile.toolTip(), cut ? full : QString());
        if (!cut)
            QCOMPARE(tile.title(), full);
        QFont titleFont("DejaVu Sans", tile.getTheTitlePointSize());
        titleFont.setWeight(QFont::Bold);
        const int half = QFontMetrics(titleFont).horizontalAdvance(tile.title()) / 2;
        const char* first = deletable ? "ButtonCancel" : "ButtonExclude";
        QVERIFY(tile.width() / 2 + half < tile.findChild<QPushButton*>(first)->x());
        testsupport::saveGrab(&tile, "tile-title-" + QString(QTest::currentDataTag()));
    }

    void exclusionSurvivesARestartAndSendsNothing()
    {
        auto first = connectTile("inv", "1.5.0");
        QVERIFY(first);
        first->ExcludeButton();
        first.reset();
        auto tile = connectTile("inv", "1.5.0", false);
        QVERIFY(tile->getTheInvIsExcluded());
        auto* exclude = tile->findChild<QPushButton*>("ButtonExclude");
        QCOMPARE(exclude->text(), QString("R"));
        QCOMPARE(exclude->toolTip(), QString("Include"));
        for (int i = 0; i < 5; ++i)
            tile->SendQuery();
        QCOMPARE(labelText(*tile, "Disconnected_Label"), QString("EXCLUDED"));
        QVERIFY(!tile->getTheServerIsConnected());
        QVERIFY(sim->barrier());
        QVERIFY(sim->requests("inv").isEmpty());
        tile->ExcludeButton();
        QCOMPARE(exclude->text(), QString("E"));
        QCOMPARE(exclude->toolTip(), QString("Exclude"));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        QVERIFY(ticks(*tile));
        QCOMPARE(tile->getTheQueryStatus(), querytable::Version);
    }

    void deletedTileStopsDrawing()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        tile->show();
        tile->DeleteButton();
        QVERIFY(tile->getTheInvIsBeingDeleted());
        QVERIFY(!tile->findChild<QLabel*>("Disconnected_Label")->isVisible());
        QCOMPARE(labelText(*tile, "theWaitLabel"), QString("Wait..."));
        QVERIFY(!tile->findChild<QPushButton*>("ButtonExclude")->isEnabled());
        QVERIFY(ticks(*tile, 6));
        QCOMPARE(labelText(*tile, "theInstantPower", 0), QString("P = ----"));
        QCOMPARE(labelText(*tile, "Disconnected_Label"), QString("Ready."));
    }

    // The monthly energies come from the totals log already in the folder.
    void monthlyEnergyFromTheTotalsLog()
    {
        const int year = QDate::currentDate().year();
        const QString root = sandbox->path() + "/";
        const QString folder = StoragePaths::storageFolderFor(root, "127.0.0.1", 1502, "Home");
        QVERIFY(QDir().mkpath(folder));
        QFile totals(folder + "/" + StoragePaths::totalsLogName(year));
        QVERIFY(totals.open(QIODevice::WriteOnly));
        totals.write(QString("%1-03-01;10.5\n%1-03-02;4.5\n%1-04-01;7\n").arg(year).toUtf8());
        totals.close();
        InvButton tile;
        tile.SetInvInfo("127.0.0.1", "Roof", "NO_DNS_NAME", "1.5.0", 1502, 0, "Home");
        tile.setTheStoragePath(root);
        QCOMPARE(tile.getMonthlyEnergy(year, 3), 15.0);
        QCOMPARE(tile.getMonthlyEnergy(year, 4), 7.0);
    }
};

QTEST_MAIN(TestInvButton)
#include "tst_invbutton.moc"
