#include "plantlists.h"

#include <QtTest>

class TestPlantLists : public QObject
{
    Q_OBJECT
private slots:
    void listText_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QStringList() << QString();
        QTest::newRow("one") << QStringList{"a"} << QString("a,");
        QTest::newRow("three") << QStringList{"a", "b", "c"} << QString("a,b,c,");
    }
    void listText()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, text);
        QCOMPARE(plantlists::toListText(items), text);
        QCOMPARE(plantlists::fromListText(text), items);
    }
    void readDropsEmptyParts() { QCOMPARE(plantlists::fromListText(",a,,b,"), (QStringList{"a", "b"})); }
    void keys_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("dns");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QString>("key");
        QTest::newRow("ip") << "192.168.0.21"
                            << "NO_DNS_NAME" << 502 << "LOCAL"
                            << "192.168.0.21-502-LOCAL";
        QTest::newRow("dns") << "10.0.0.2"
                             << "inv.example" << 1502 << "Farm"
                             << "inv.example-1502-Farm";
    }
    void keys()
    {
        QFETCH(QString, ip);
        QFETCH(QString, dns);
        QFETCH(int, port);
        QFETCH(QString, plant);
        QFETCH(QString, key);
        QCOMPARE(plantlists::equipmentKey(ip, dns, port, plant), key);
        QCOMPARE(plantlists::keyAddress(key), dns == "NO_DNS_NAME" ? ip : dns);
        QVERIFY(plantlists::keyBelongsToPlant(key, plant));
    }
    void plantMatchIncludesSeparator()
    {
        QVERIFY(!plantlists::keyBelongsToPlant("10.0.0.1-502-XLOCAL", "LOCAL"));
        QVERIFY(plantlists::keyBelongsToPlant("10.0.0.1-502-XLOCAL", "XLOCAL"));
    }
};

QTEST_GUILESS_MAIN(TestPlantLists)
#include "tst_plantlists.moc"
