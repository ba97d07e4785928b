#include "plantstore.h"
#include "testsupport.h"

#include <QtTest>

namespace {
StoredEquipment equipment(const QString& key, const QString& name, int port = 502)
{
    StoredEquipment e;
    e.key = key;
    e.name = name;
    e.dnsName = "NO_DNS_NAME";
    e.version = "1.5.0";
    e.port = port;
    e.ftpPort = 21;
    return e;
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
        settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "KESTRELSunwerk",
                                               "StoreTest");
        return settings.get();
    }

private slots:
    void emptyStoreWritesDefaultsBack()
    {
        PlantStore store(fresh());
        store.load();
        QCOMPARE(store.plantList, QStringList{"LOCAL"});
        QVERIFY(store.invList.isEmpty());
        QCOMPARE(store.version, QString("1.1.0"));
        settings->sync();
        QSettings file(settings->fileName(), QSettings::IniFormat);
        const QStringList keys = {"app/Version",
                                  "app/Inverters/InvList",
                                  "app/Inverters/InvListNames",
                                  "app/Inverters/InvListDnsNames",
                                  "app/Inverters/InvListVers",
                                  "app/Inverters/InvListPorts",
                                  "app/Inverters/InvListFtpPorts",
                                  "app/ProbeIp",
                                  "app/ProbeProbe",
                                  "app/ChosenInterface",
                                  "app/PlantList"};
        for (const QString& k : keys)
            QVERIFY2(file.contains(k), qPrintable(k));
        QCOMPARE(file.value("app/Version").toString(), QString("1.3.1"));
        QCOMPARE(file.value("app/PlantList").toString(), QString("LOCAL"));
    }

    void plantMatchAndMisalignedLists()
    {
        QSettings* s = fresh();
        s->setValue("/app/Inverters/InvList",
                    "127.0.0.5-502-LOCAL,127.0.0.6-502-XLOCAL,127.0.0.7-502-LOCAL,");
        s->setValue("/app/Inverters/InvListNames", "a,b,c,");
        s->setValue("/app/Inverters/InvListDnsNames", "NO_DNS_NAME,NO_DNS_NAME,NO_DNS_NAME,");
        s->setValue("/app/Inverters/InvListVers", "1.5.0,1.5.0,1.5.0,");
        s->setValue("/app/Inverters/InvListPorts", "502,502,");
        s->setValue("/app/Inverters/InvListFtpPorts", "21,21,21,");
        PlantStore store(s);
        store.load();
        // The third entry lacks a port: it is not read.
        const QVector<StoredEquipment> local = store.equipmentsOf("LOCAL");
        QCOMPARE(local.size(), 1);
        QCOMPARE(local[0].key, QString("127.0.0.5-502-LOCAL"));
        QCOMPARE(store.equipmentsOf("XLOCAL").size(), 1);
        // Writing keeps the store consistent: all six lists equally long.
        store.merge({equipment("127.0.0.9-502-LOCAL", "d")});
        for (const char* k :
             {"/app/Inverters/InvList", "/app/Inverters/InvListNames", "/app/Inverters/InvListDnsNames",
              "/app/Inverters/InvListVers", "/app/Inverters/InvListPorts", "/app/Inverters/InvListFtpPorts"})
            QCOMPARE(s->value(k).toString().count(','), 3);
    }

    void mergeTwiceStoresOnceAndKeepsPlaces()
    {
        PlantStore store(fresh());
        store.load();
        const QVector<StoredEquipment> shown = {equipment("127.0.0.5-502-LOCAL", "a"),
                                                equipment("127.0.0.5-1502-LOCAL", "b", 1502)};
        store.merge(shown);
        store.merge(shown);
        QCOMPARE(settings->value("/app/Inverters/InvList").toString(),
                 QString("127.0.0.5-502-LOCAL,127.0.0.5-1502-LOCAL,"));
        QCOMPARE(settings->value("/app/Inverters/InvListPorts").toString(), QString("502,1502,"));
        QCOMPARE(store.invList.size(), 2);
    }

    void removeAndPortChangeTouchOnlyTheirEntry()
    {
        PlantStore store(fresh());
        store.load();
        store.merge({equipment("127.0.0.5-502-LOCAL", "a"), equipment("127.0.0.6-502-Farm", "b"),
                     equipment("127.0.0.7-502-LOCAL", "c")});
        store.setPort("127.0.0.7-502-LOCAL", 1502);
        QCOMPARE(settings->value("/app/Inverters/InvListPorts").toString(), QString("502,502,1502,"));
        QVERIFY(store.remove("127.0.0.5-502-LOCAL"));
        QVERIFY(!store.remove("127.0.0.5-502-LOCAL"));
        QCOMPARE(settings->value("/app/Inverters/InvList").toString(),
                 QString("127.0.0.6-502-Farm,127.0.0.7-502-LOCAL,"));
        QCOMPARE(settings->value("/app/Inverters/InvListNames").toString(), QString("b,c,"));
        QCOMPARE(settings->value("/app/Inverters/InvListPorts").toString(), QString("502,1502,"));
        QVERIFY(store.rename("127.0.0.7-502-LOCAL", "renamed"));
        QCOMPARE(settings->value("/app/Inverters/InvListNames").toString(), QString("b,renamed,"));
    }

    void firstUseKeys()
    {
        PlantStore store(fresh());
        store.load();
        store.writeFirstUse({"LOCAL", "Farm"}, "eth0");
        QCOMPARE(settings->value("/app/PlantList").toString(), QString("LOCAL,Farm,"));
        QCOMPARE(settings->value("/app/ChosenInterface").toString(), QString("eth0"));
        QCOMPARE(settings->value("/app/FirstUse").toBool(), false);
        QVERIFY(settings->contains("/app/FirstUse"));
    }
};

QTEST_GUILESS_MAIN(TestPlantStore)
#include "tst_plantstore.moc"
