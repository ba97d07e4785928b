// The setup form's rules: the addresses, ports and texts it accepts, and how
// the boards' visible networks are listed.
#include "setupform.h"

#include <QtTest>

class TestSetupForm : public QObject
{
    Q_OBJECT
    // The field a text is typed into.
    static constexpr int Address = 0, Port = 1, Name = 2, WiFiText = 3; // WiFiText: an ESSID or a key

private slots:
    void accepts_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("address") << Address << "10.0.0.1" << true;
        QTest::newRow("widest address") << Address << "255.255.255.255" << true;
        QTest::newRow("empty parts dropped") << Address << "1..2.3.4" << true;
        QTest::newRow("part over 255") << Address << "192.168.1.300" << false;
        QTest::newRow("three parts") << Address << "192.168.1" << false;
        QTest::newRow("five parts") << Address << "1.2.3.4.5" << false;
        QTest::newRow("empty address") << Address << "" << false;
        QTest::newRow("letters") << Address << "a.b.c.d" << false;
        QTest::newRow("sign") << Address << "-1.2.3.4" << false;
        QTest::newRow("blank") << Address << " 1.2.3.4" << false;
        QTest::newRow("other digits") << Address << QString::fromUtf8("\xd9\xa1.2.3.4") << false;
        // Four valid parts that do not fit the 16-byte field with its NUL.
        QTest::newRow("address too long") << Address << "1.2.3.4........." << false;
        QTest::newRow("empty port") << Port << "" << true;
        QTest::newRow("highest port") << Port << "65535" << true;
        QTest::newRow("port over 16 bits") << Port << "65536" << false;
        QTest::newRow("port far over") << Port << "4294967297" << false;
        QTest::newRow("negative port") << Port << "-1" << false;
        QTest::newRow("port name") << Port << "ftp" << false;
        QTest::newRow("31-character name") << Name << QString(31, 'a') << true;
        QTest::newRow("32-character name") << Name << QString(32, 'a') << false;
        QTest::newRow("latin-1 name") << Name << QString::fromUtf8("Caf\xc3\xa9") << true;
        QTest::newRow("name beyond latin-1") << Name << QString::fromUtf8("\xe2\x82\xac") << false;
        QTest::newRow("64-byte key") << WiFiText << QString(64, 'k') << true;
        QTest::newRow("65-byte key") << WiFiText << QString(65, 'k') << false;
        QTest::newRow("32 two-byte characters") << WiFiText << QString(32, QChar(0xE9)) << true;
        QTest::newRow("33 two-byte characters") << WiFiText << QString(33, QChar(0xE9)) << false;
    }
    void accepts()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        switch (field) {
        case Address:
            QCOMPARE(netsetup::isValidAddress(text), accepted);
            break;
        case Port:
            QCOMPARE(netsetup::portFromText(text).has_value(), accepted);
            break;
        case Name:
            QCOMPARE(netsetup::fitsName(text), accepted);
            break;
        default:
            QCOMPARE(netsetup::fitsWiFiText(text), accepted);
        }
    }

    void portValues()
    {
        QCOMPARE(netsetup::portFromText(""), std::optional<quint16>(0)); // the board's default
        QCOMPARE(netsetup::portFromText("33001"), std::optional<quint16>(33001));
    }

    void networks_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("item");
        const auto row = [](const char* tag, const char* line, const char* item) {
            QTest::newRow(tag) << QString(line) << QString(item);
        };
        row("wep", "home,wep", "home (insecure, WEP)");
        row("open", "Cafe,none", "Cafe (insecure, no password!)");
        row("protected", "PlantNet,wpa2", "PlantNet ");
        row("empty part dropped", "home,,wep", "home (insecure, WEP)");
        row("three parts", "odd,wep,x", "odd ");
        row("no security word", "bare", "bare ");
        row("case kept", "loud,WEP", "loud ");
    }
    void networks()
    {
        QFETCH(QString, line);
        QFETCH(QString, item);
        QCOMPARE(netsetup::networkItemText(line), item);
        QCOMPARE(netsetup::networkEssid(line), line.section(',', 0, 0));
    }
};

QTEST_GUILESS_MAIN(TestSetupForm)
#include "tst_setupform.moc"
