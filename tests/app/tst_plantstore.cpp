// The stored plant and the plant summary: list and key formats, merging,
// removal, the sums behind the summary line and the full-screen mini plot.
#include "appinfo.h"
#include "plantstore.h"
#include "plantsummary.h"
#include "testsupport.h"

#include <QtTest>

Q_DECLARE_METATYPE(TileReading)
using plantsummary::MiniPlotTile;
Q_DECLARE_METATYPE(QVector<MiniPlotTile>)

namespace {
StoredEquipment equipment(const QString& key, int port = 502)
{
    return StoredEquipment{key, key.left(key.indexOf('-')), "NO_DNS_NAME", "1.5.0", port, 21};
}
TileReading reading(bool connected, bool stringBox, bool alarm, double power)
{
    TileReading r;
    r.connected = connected, r.stringBox = stringBox, r.inAlarm = alarm, r.power = power;
    r.nominal = 3000, r.kvpac = 100, r.dailyEnergy = 10;
    return r;
}
const char* const Lists[6] = {"/app/Inverters/InvList",         "/app/Inverters/InvListNames",
                              "/app/Inverters/InvListDnsNames", "/app/Inverters/InvListVers",
                              "/app/Inverters/InvListPorts",    "/app/Inverters/InvListFtpPorts"};
MiniPlotTile part(const QString& key, bool connected, const QVector<double>& y, const QVector<double>& x = {},
                  bool stringBox = false)
{
    MiniPlotTile t;
    t.key = key, t.connected = connected, t.y = y, t.x = x, t.stringBox = stringBox;
    return t;
}
} // namespace

class TestPlantStore : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;
    std::unique_ptr<QSettings> settings;

    QSettings* fresh()
    {
        sandbox = std::make_unique<testsupport::SandboxSettings>();
        settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                               appinfo::SettingsOrganisation, "T");
        return settings.get();
    }
    QString stored(const char* key) { return settings->value(key).toString(); }

private slots:
    void misalignedListsStayConsistent()
    {
        QSettings* s = fresh();
        s->setValue(Lists[0], "127.0.0.5-502-LOCAL,127.0.0.6-502-XLOCAL,127.0.0.7-502-LOCAL,");
        for (int i = 1; i < 6; ++i)
            s->setValue(Lists[i], i == 4 ? "502,502," : "x,x,x,");
        PlantStore store(s);
        store.load();
        QCOMPARE(store.equipmentsOf("LOCAL").size(), 1); // the third entry has no port
        store.merge({equipment("127.0.0.9-502-LOCAL")});
        for (const char* k : Lists)
            QCOMPARE(stored(k).count(','), 3);
    }

    void mergeRemoveAndChangeTouchOnlyTheirEntry()
    {
        PlantStore store(fresh());
        store.load();
        const QVector<StoredEquipment> shown = {equipment("127.0.0.5-502-LOCAL"),
                                                equipment("127.0.0.6-502-Farm"),
                                                equipment("127.0.0.5-1502-LOCAL", 1502)};
        store.merge(shown);
        store.merge(shown);
        QCOMPARE(stored(Lists[0]), QString("127.0.0.5-502-LOCAL,127.0.0.6-502-Farm,127.0.0.5-1502-LOCAL,"));
        store.setPort("127.0.0.6-502-Farm", 2502);
        QCOMPARE(stored(Lists[4]), QString("502,2502,1502,"));
        QVERIFY(store.remove("127.0.0.5-502-LOCAL"));
        QVERIFY(!store.remove("127.0.0.5-502-LOCAL"));
        QVERIFY(store.rename("127.0.0.5-1502-LOCAL", "renamed"));
        QCOMPARE(stored(Lists[1]), QString("127.0.0.6,renamed,"));
        QCOMPARE(stored(Lists[4]), QString("2502,1502,"));
    }

    void summary_data()
    {
        QTest::addColumn<QVector<TileReading>>("tiles");
        QTest::addColumn<QString>("text");
        QTest::newRow("string box skipped")
            << QVector<TileReading>{reading(true, true, true, 9000), reading(true, false, false, 1000)}
            << "Total power: 1.00 kW, 2 equipments. No alarms.";
        QTest::newRow("disconnected alarm")
            << QVector<TileReading>{reading(false, false, true, 4000), reading(true, false, false, 10)}
            << "Total power: 0.01 kW, 2 equipments. No alarms.";
        QTest::newRow("alarm") << QVector<TileReading>{reading(true, false, true, 0)}
                               << "Total power: 0.00 kW, 1 equipments. At least one equipment is in alarm.";
    }
    void summary()
    {
        QFETCH(QVector<TileReading>, tiles);
        QTEST(plantsummary::totalPowerText(plantsummary::sum(tiles), tiles.size(), false), "text");
    }

    void miniPlotFeed_data()
    {
        QTest::addColumn<QVector<MiniPlotTile>>("tiles");
        QTest::addColumn<int>("probe"); // chosen probe of "B", 0: none
        QTest::addColumn<QVector<double>>("x");
        QTest::addColumn<QVector<double>>("sum");
        using T = QVector<MiniPlotTile>;
        using V = QVector<double>;
        const V axis = {1, 2, 3};
        QTest::newRow("a disconnected tile is left out")
            << T{part("A", false, {5, 5, 5}, {7}), part("B", true, {1, 2, 3}, axis)} << 0 << axis
            << V{1, 2, 3};
        QTest::newRow("a string box gives no time axis")
            << T{part("S", true, {}, {7}, true), part("A", true, {1, 2, 3}, axis)} << 0 << axis << V{1, 2, 3};
        QTest::newRow("sum capped") << T{part("A", true, V(5000, 1.0), axis)} << 0 << axis << V(3000, 1.0);
        QTest::newRow("probe of a disconnected tile")
            << T{part("A", true, {1}, axis), part("B", false, {1})} << 2 << axis << V{1};
    }
    void miniPlotFeed()
    {
        QFETCH(QVector<MiniPlotTile>, tiles);
        QFETCH(int, probe);
        const plantsummary::MiniPlotFeed feed = plantsummary::miniPlotFeed(tiles, probe ? "B" : "", probe);
        QTEST(feed.x, "x");
        QTEST(feed.sum, "sum");
        QVERIFY(!feed.showsProbe()); // no curve for a probe of a tile not plotted
    }
};

QTEST_GUILESS_MAIN(TestPlantStore)
#include "tst_plantstore.moc"
