// The per-equipment settings file: its keys, their defaults and read-back,
// and values that survive a restart.
#include "appinfo.h"
#include "equipmentsettings.h"
#include "testsupport.h"

#include <QSettings>
#include <QtTest>

const char* const Key = "127.0.0.1-502-LOCAL";

class TestEquipmentSettings : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;

private slots:
    void init() { sandbox = std::make_unique<testsupport::SandboxSettings>(); }

    // A first start creates the file with every key; the DNS name written is
    // the tile's, or NO_DNS_NAME when it has none.
    void firstStart_data()
    {
        QTest::addColumn<QString>("dnsName");
        QTest::addColumn<QString>("written");
        QTest::newRow("no DNS name") << QString() << "NO_DNS_NAME";
        QTest::newRow("DNS name") << "roof.plant" << QString("roof.plant");
    }
    void firstStart()
    {
        QFETCH(QString, dnsName);
        EquipmentSettings s;
        s.open(Key);
        s.load(dnsName);
        QCOMPARE(s.lastSync(), QString());
        QVERIFY(!s.excluded() && !s.zeta() && !s.tpx());
        QSettings f(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation, Key);
        QCOMPARE(f.fileName(), s.fileName());
        QCOMPARE(f.value("inv/LastSync").toString(), QString());
        for (const char* flag : {"inv/IsExcluded", "inv/IsZETA", "inv/IsTPX"})
            QCOMPARE(f.value(flag).toString(), QString("false"));
        QTEST(f.value("inv/DnsName").toString(), "written");
    }

    void valuesSurviveARestart()
    {
        {
            EquipmentSettings s;
            s.open(Key);
            s.load("");
            s.setExcluded(true);
            s.setTpx(true);
            s.setLastSync("2026-3-5");
            s.setDnsName("roof.plant");
        }
        EquipmentSettings s;
        s.open(Key);
        s.load("roof.plant");
        QVERIFY(s.excluded());
        QVERIFY(s.tpx());
        QVERIFY(!s.zeta());
        QCOMPARE(s.lastSync(), QString("2026-3-5"));
    }

    // A key read takes the stored value, converted, or the default, and is
    // in the file afterwards either way.
    void readBack()
    {
        {
            QSettings f(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation, Key);
            f.setValue("inv/Count", "12");
            f.setValue("inv/Scale", "2.5");
        }
        EquipmentSettings s;
        s.open(Key);
        QCOMPARE(s.readBackInt("/inv/Count", 3), 12);
        QCOMPARE(s.readBackDouble("/inv/Scale", 1.0), 2.5);
        QCOMPARE(s.readBackBool("/inv/Missing", true), true);
        QCOMPARE(s.readBackString("/inv/Name", "x"), QString("x"));
        QSettings f(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation, Key);
        QCOMPARE(f.value("inv/Missing").toString(), QString("true"));
        QCOMPARE(f.value("inv/Name").toString(), QString("x"));
        QCOMPARE(f.value("inv/Count").toInt(), 12);
    }

    // Without a file the defaults are taken and nothing is written.
    void withoutAFile()
    {
        EquipmentSettings s;
        QVERIFY(!s.isOpen());
        s.load("");
        s.setExcluded(true);
        QVERIFY(s.excluded());
        QCOMPARE(s.readBackInt("/inv/Count", 7), 7);
        QVERIFY(!QFile::exists(
            QSettings(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation, Key)
                .fileName()));
    }
};

QTEST_GUILESS_MAIN(TestEquipmentSettings)
#include "tst_equipmentsettings.moc"
