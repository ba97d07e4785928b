// The plant window feeding the full-screen summary: the cycle's values, the
// mini plot's sum, time axis and probe tile, the full-screen button and
// slow timer, and the probe choice kept in the store across a restart.
#include "consoletest.h"
#include "fullscreendialog.h"
#include "maindialog.h"
#include "plantsummary.h"
#include "storagepaths.h"

#include <qcustomplot.h>

using consoletest::labelText;
using consoletest::startOnLoopback;
using plantsummary::MiniPlotTile;
Q_DECLARE_METATYPE(QVector<MiniPlotTile>)

namespace {
MiniPlotTile part(const QString& key, bool connected, const QVector<double>& y, const QVector<double>& x = {},
                  bool stringBox = false)
{
    MiniPlotTile t;
    t.key = key;
    t.connected = connected;
    t.y = y;
    t.x = x;
    t.stringBox = stringBox;
    return t;
}
// Stores a plant "Farm" of equipments at these loopback addresses.
void storePlant(MainDialog& w, const QStringList& addresses)
{
    startOnLoopback(w, "Farm");
    for (const QString& a : addresses)
        w.AddEquipment(a, "Inv", "1.5.0", 502, 21, false, false, false, "NO_DNS_NAME", "Farm");
    w.SaveEquipmentList();
}
// The chosen probe of every tile of a freshly started plant window.
QVector<int> restoredChoice(QString* probeIp = nullptr)
{
    MainDialog w;
    startOnLoopback(w, "Farm");
    if (probeIp)
        *probeIp = w.probeIp();
    QVector<int> chosen;
    for (InvButton* t : w.tiles())
        chosen << t->getTheChosenProbe();
    return chosen;
}
} // namespace

class TestFullScreenFeed : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;

private slots:
    void init() { sandbox = std::make_unique<testsupport::SandboxSettings>(); }

    void miniPlotFeed_data()
    {
        QTest::addColumn<QVector<MiniPlotTile>>("tiles");
        QTest::addColumn<int>("probe"); // chosen probe of "B"
        QTest::addColumn<QVector<double>>("x");
        QTest::addColumn<QVector<double>>("sum");
        QTest::addColumn<int>("probeTile"); // -1: no probe curve
        const QVector<double> axis = {1, 2, 3};
        QTest::newRow("connected tiles summed")
            << QVector<MiniPlotTile>{part("A", true, {1, 1, 1}, axis), part("B", true, {2, 0, 4}, {7, 8, 9})}
            << 0 << axis << QVector<double>{3, 1, 5} << -1;
        QTest::newRow("a disconnected tile is left out")
            << QVector<MiniPlotTile>{part("A", false, {5, 5, 5}, {7}), part("B", true, {1, 2, 3}, axis)} << 0
            << axis << QVector<double>{1, 2, 3} << -1;
        QTest::newRow("a string box gives no time axis")
            << QVector<MiniPlotTile>{part("S", true, {}, {7}, true), part("A", true, {1, 2, 3}, axis)} << 0
            << axis << QVector<double>{1, 2, 3} << -1;
        QTest::newRow("the first tile's empty axis stands")
            << QVector<MiniPlotTile>{part("A", true, {1}, {}), part("B", true, {1}, axis)} << 0
            << QVector<double>{} << QVector<double>{2} << -1;
        QTest::newRow("length of the last curve")
            << QVector<MiniPlotTile>{part("A", true, {1, 1, 1, 1}, axis), part("B", true, {2, 2}),
                                     part("C", true, {})}
            << 0 << axis << QVector<double>{3, 3} << -1;
        QTest::newRow("sum capped") << QVector<MiniPlotTile>{part("A", true, QVector<double>(5000, 1.0),
                                                                  axis)}
                                    << 0 << axis << QVector<double>(3000, 1.0) << -1;
        QTest::newRow("probe of a connected tile")
            << QVector<MiniPlotTile>{part("A", true, {1}, axis), part("B", true, {1})} << 2 << axis
            << QVector<double>{2} << 1;
        QTest::newRow("probe of a disconnected tile")
            << QVector<MiniPlotTile>{part("A", true, {1}, axis), part("B", false, {1})} << 2 << axis
            << QVector<double>{1} << -1;
        QTest::newRow("probe of a tile not shown")
            << QVector<MiniPlotTile>{part("A", true, {1}, axis)} << 2 << axis << QVector<double>{1} << -1;
    }
    void miniPlotFeed()
    {
        QFETCH(QVector<MiniPlotTile>, tiles);
        QFETCH(int, probe);
        QFETCH(int, probeTile);
        const plantsummary::MiniPlotFeed feed = plantsummary::miniPlotFeed(tiles, probe ? "B" : "", probe);
        QTEST(feed.x, "x");
        QTEST(feed.sum, "sum");
        QCOMPARE(feed.showsProbe() ? feed.probeTile : -1, probeTile);
    }

    void cycleValues_data()
    {
        QTest::addColumn<double>("power");  // W
        QTest::addColumn<double>("rating"); // sum of nominal kW x KVPAC
        QTest::addColumn<double>("share");
        QTest::newRow("half the rating") << 5000.0 << 1000.0 << 50.0;
        QTest::newRow("no rating: never inf") << 5000.0 << 0.0 << 0.0;
    }
    void cycleValues()
    {
        QFETCH(double, power);
        QFETCH(double, rating);
        PlantTotals t;
        t.power = power;
        t.ratingSum = rating;
        t.dailyEnergy = 125; // 0.1 kWh
        t.monthlyEnergy = 300;
        t.totalEnergy = 2000;
        const plantsummary::FullScreenValues v = plantsummary::fullScreenValues(t);
        QTEST(v.percentOfNominal, "share");
        QCOMPARE(v.powerKW, power / 1000.0);
        QCOMPARE(v.dayKWh, 12.5);
        QCOMPARE(v.monthKWh, 300.0);
        QCOMPARE(v.totalKWh, 2000.0);
    }

    void fullScreenButton()
    {
        MainDialog w;
        // Completed days of this month, as the equipment's totals log holds them.
        const QDate today = QDate::currentDate();
        const StoragePaths storage(w.storageDir(), "127.0.0.61", 502, "Farm");
        QVERIFY(storage.create());
        QFile totals(storage.totalsLogPath(today.year()));
        QVERIFY(totals.open(QIODevice::WriteOnly));
        totals.write(QString("%1-%2-01;12.5\n").arg(today.year()).arg(today.month()).toUtf8());
        totals.close();
        storePlant(w, {"127.0.0.61", "127.0.0.62"});
        InvButton* tile = w.tiles()[0];
        QCOMPARE(tile->getTheStorageFolder(), storage.storageFolder());
        tile->setTheServerIsConnected(true);
        w.BackgroundActivity();

        QVERIFY(!w.fullScreen());
        QMetaObject::invokeMethod(&w, "on_ButtonFullScreen_clicked");
        FullScreenDialog* fs = w.fullScreen();
        QVERIFY(fs && fs->isVisible());
        QCOMPARE(fs->getTheScreenGeometry(), QGuiApplication::screens().first()->geometry());
        // Fed at once with the cycle's values: no nominal power, no nan.
        QCOMPARE(labelText(fs, "PowerValue"), labelText(&w, "TotPow"));
        QCOMPARE(labelText(fs, "ShareValue"), QString("0.00 %"));
        QCOMPARE(labelText(fs, "EnergyValue"), QString("0.00 kWh (12.50 kWh this month)"));
        // Nothing plotted: the connected tile has no curve yet.
        QVERIFY(fs->miniPlot()->isHidden());

        QTest::mouseClick(fs->findChild<QPushButton*>("ButtonExit"), Qt::LeftButton);
        QVERIFY(!fs->isVisible());
        fs->findChild<QLabel*>("PowerValue")->setText("stale");
        w.BackgroundActivity(); // a hidden window is not fed
        QCOMPARE(labelText(fs, "PowerValue"), QString("stale"));
        QMetaObject::invokeMethod(&w, "on_ButtonFullScreen_clicked");
        QCOMPARE(w.fullScreen(), fs); // the same window again
        QVERIFY(fs->isVisible());
        QCOMPARE(labelText(fs, "PowerValue"), labelText(&w, "TotPow"));
        testsupport::saveGrab(fs, "fullscreen-from-plant-window");
    }

    void probeChoiceSurvivesARestart()
    {
        {
            MainDialog w;
            storePlant(w, {"127.0.0.71", "127.0.0.72"});
        }
        QCOMPARE(restoredChoice(), (QVector<int>{0, 0}));
        auto choose = [](int tile, int probe) {
            MainDialog w;
            startOnLoopback(w, "Farm");
            w.tiles()[tile]->setTheChosenProbe(probe);
            w.tiles()[tile]->setTheObjectWantsToChangeChosenProbe(true);
            w.BackgroundActivity();
            QVERIFY(!w.tiles()[tile]->getTheObjectWantsToChangeChosenProbe());
        };
        QString ip;
        choose(1, 3);
        QCOMPARE(restoredChoice(&ip), (QVector<int>{0, 3}));
        QCOMPARE(ip, QString("127.0.0.72-502-Farm"));
        choose(0, 1); // only one probe of the plant is plotted
        QCOMPARE(restoredChoice(&ip), (QVector<int>{1, 0}));
        QCOMPARE(ip, QString("127.0.0.71-502-Farm"));
        choose(0, 0); // the same tile with probe 0 clears the choice
        QCOMPARE(restoredChoice(&ip), (QVector<int>{0, 0}));
        QCOMPARE(ip, QString());
    }
};

VELORA_CONSOLE_TEST_MAIN(TestFullScreenFeed)
#include "tst_fullscreenfeed.moc"
