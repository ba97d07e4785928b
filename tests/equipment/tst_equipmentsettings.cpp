// The per-equipment settings file.
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
    static QSettings* file()
    {
        return new QSettings(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation, Key);
    }

private slots:
    void init() { sandbox = std::make_unique<testsupport::SandboxSettings>(); }

    // A first start writes every key (DNS name or NO_DNS_NAME); values set survive a restart.
    void firstStartAndRestart_data()
    {
        QTest::addColumn<QString>("dnsName");
        QTest::addColumn<QString>("written");
        QTest::newRow("no DNS name") << QString() << "NO_DNS_NAME";
        QTest::newRow("DNS name") << "roof.plant" << QString("roof.plant");
    }
    void firstStartAndRestart()
    {
        QFETCH(QString, dnsName);
        {
            EquipmentSettings s;
            s.open(Key);
            s.load(dnsName);
            QVERIFY(s.lastSync().isEmpty() && !s.excluded() && !s.zeta() && !s.tpx());
            std::unique_ptr<QSettings> f(file());
            QCOMPARE(f->fileName(), s.fileName());
            QCOMPARE(f->value("inv/LastSync").toString(), QString());
            for (const char* flag : {"inv/IsExcluded", "inv/IsZETA", "inv/IsTPX"})
                QCOMPARE(f->value(flag).toString(), QString("false"));
            QTEST(f->value("inv/DnsName").toString(), "written");
            s.setExcluded(true);
            s.setTpx(true);
            s.setLastSync("2026-3-5");
        }
        EquipmentSettings s;
        s.open(Key);
        s.load(dnsName);
        QVERIFY(s.excluded() && s.tpx() && !s.zeta());
        QCOMPARE(s.lastSync(), QString("2026-3-5"));
    }

    // A read takes the stored value or the default, which is then written; without a file nothing is.
    void readBack_data()
    {
        QTest::addColumn<bool>("open");
        QTest::newRow("file") << true;
        QTest::newRow("no file") << false;
    }
    void readBack()
    {
        QFETCH(bool, open);
        if (open) {
            std::unique_ptr<QSettings> f(file());
            f->setValue("inv/Count", "12");
            f->setValue("inv/Scale", "2.5");
        }
        EquipmentSettings s;
        if (open)
            s.open(Key);
        QCOMPARE(s.readBackInt("/inv/Count", 3), open ? 12 : 3);
        QCOMPARE(s.readBackDouble("/inv/Scale", 1.0), open ? 2.5 : 1.0);
        QCOMPARE(s.readBackBool("/inv/Missing", true), true);
        QCOMPARE(s.readBackString("/inv/Name", "x"), QString("x"));
        s.load("");
        s.setExcluded(true);
        QVERIFY(s.excluded());
        std::unique_ptr<QSettings> f(file());
        QCOMPARE(QFile::exists(f->fileName()), open);
        if (open) {
            QCOMPARE(f->value("inv/Missing").toString(), QString("true"));
            QCOMPARE(f->value("inv/Name").toString(), QString("x"));
            QCOMPARE(f->value("inv/Count").toInt(), 12);
        }
    }
};

QTEST_GUILESS_MAIN(TestEquipmentSettings)
#include "tst_equipmentsettings.moc"
