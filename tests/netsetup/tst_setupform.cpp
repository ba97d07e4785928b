// The setup form's rules: addresses, ports and texts it accepts, and how the
// boards' visible networks are listed.
#include "setupform.h"

#include <QtTest>

class TestSetupForm : public QObject
{
    Q_OBJECT
private slots:
    void addresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "10.0.0.1" << true;
        QTest::newRow("widest") << "255.255.255.255" << true;
        QTest::newRow("empty parts dropped") << "1..2.3.4" << true;
        QTest::newRow("trailing dot") << "1.2.3.4." << true;
        QTest::newRow("part over 255") << "192.168.1.300" << false;
        QTest::newRow("three parts") << "192.168.1" << false;
        QTest::newRow("five parts") << "1.2.3.4.5" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("letters") << "a.b.c.d" << false;
        QTest::newRow("sign") << "-1.2.3.4" << false;
        QTest::newRow("blank") << " 1.2.3.4" << false;
        QTest::newRow("other digits") << QString::fromUtf8("\xd9\xa1.2.3.4") << false;
        // Four valid parts that do not fit the 16-byte field with its NUL.
        QTest::newRow("too long") << "1.2.3.4........." << false;
    }
    void addresses()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(netsetup::isValidAddress(text), valid);
    }

    void ports_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port"); // -1: refused
        QTest::newRow("empty is the default") << "" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("plain") << "33001" << 33001;
        QTest::newRow("highest") << "65535" << 65535;
        QTest::newRow("over 16 bits") << "65536" << -1;
        QTest::newRow("far over") << "4294967297" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("not a number") << "ftp" << -1;
        QTest::newRow("blank") << " 21" << -1;
    }
    void ports()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        const std::optional<quint16> p = netsetup::portFromText(text);
        QCOMPARE(p ? int(*p) : -1, port);
    }

    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("name"); // fits the name field
        QTest::addColumn<bool>("wifi"); // fits an ESSID or key field
        QTest::newRow("31 characters") << QString(31, 'a') << true << true;
        QTest::newRow("32 characters") << QString(32, 'a') << false << true;
        QTest::newRow("latin-1") << QString::fromUtf8("Caf\xc3\xa9") << true << true;
        QTest::newRow("beyond latin-1") << QString::fromUtf8("\xe2\x82\xac") << false << true;
        QTest::newRow("64 bytes") << QString(64, 'k') << false << true;
        QTest::newRow("65 bytes") << QString(65, 'k') << false << false;
        QTest::newRow("32 two-byte characters") << QString(32, QChar(0xE9)) << false << true;
        QTest::newRow("33 two-byte characters") << QString(33, QChar(0xE9)) << false << false;
    }
    void texts()
    {
        QFETCH(QString, text);
        QFETCH(bool, name);
        QFETCH(bool, wifi);
        QCOMPARE(netsetup::fitsName(text), name);
        QCOMPARE(netsetup::fitsWiFiText(text), wifi);
    }

    void networks_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("essid");
        QTest::newRow("wep") << "home,wep"
                             << "home (insecure, WEP)"
                             << "home";
        QTest::newRow("open") << "Cafe,none"
                              << "Cafe (insecure, no password!)"
                              << "Cafe";
        QTest::newRow("protected") << "PlantNet,wpa2"
                                   << "PlantNet "
                                   << "PlantNet";
        QTest::newRow("empty part dropped") << "home,,wep"
                                            << "home (insecure, WEP)"
                                            << "home";
        QTest::newRow("three parts") << "odd,wep,x"
                                     << "odd "
                                     << "odd";
        QTest::newRow("no security word") << "bare"
                                          << "bare "
                                          << "bare";
        QTest::newRow("case kept") << "loud,WEP"
                                   << "loud "
                                   << "loud";
    }
    void networks()
    {
        QFETCH(QString, line);
        QFETCH(QString, item);
        QFETCH(QString, essid);
        QCOMPARE(netsetup::networkItemText(line), item);
        QCOMPARE(netsetup::networkEssid(line), essid);
    }

    void interfaceItems()
    {
        QCOMPARE(netsetup::interfaceOfItem("eth0 | 10.0.0.1"), QString("eth0"));
        QCOMPARE(netsetup::addressOfItem("eth0 | 10.0.0.1"), QString("10.0.0.1"));
        // Loopback is never offered, and an unknown name has no address.
        QVERIFY(netsetup::localAddressOf("lo").isNull());
        QVERIFY(netsetup::localAddressOf("no-such-interface", "10.0.0.1").isNull());
    }
};

QTEST_GUILESS_MAIN(TestSetupForm)
#include "tst_setupform.moc"
