// The setup form's rules: the addresses, ports and texts it accepts, and how
// the boards' network lines are listed.
#include "setupform.h"

#include <QtTest>

class TestSetupForm : public QObject
{
    Q_OBJECT
    enum Field
    {
        Address,
        Port,
        Name,
        WiFiText
    }; // WiFiText: an ESSID or a key

private slots:
    void accepts_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        const auto row = [](const char* tag, Field f, const QString& text, bool ok) {
            QTest::newRow(tag) << int(f) << text << ok;
        };
        row("widest address", Address, "255.255.255.255", true);
        row("empty parts dropped", Address, "1..2.3.4", true);
        row("part over 255", Address, "192.168.1.300", false);
        row("three parts", Address, "192.168.1", false);
        row("five parts", Address, "1.2.3.4.5", false);
        row("sign", Address, "-1.2.3.4", false);
        row("other digits", Address, QString::fromUtf8("\xd9\xa1.2.3.4"), false);
        row("address over its 16-byte field", Address, "1.2.3.4.........", false);
        row("highest port", Port, "65535", true);
        row("port over 16 bits", Port, "65536", false);
        row("port far over", Port, "4294967297", false);
        row("negative port", Port, "-1", false);
        row("31-character name", Name, QString(31, 'a'), true);
        row("32-character name", Name, QString(32, 'a'), false);
        row("name beyond latin-1", Name, QString::fromUtf8("\xe2\x82\xac"), false);
        row("64-byte key", WiFiText, QString(64, 'k'), true);
        row("65-byte key", WiFiText, QString(65, 'k'), false);
        row("33 two-byte characters", WiFiText, QString(33, QChar(0xE9)), false);
    }
    void accepts()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        const bool ok = field == Address ? netsetup::isValidAddress(text)
                        : field == Port  ? netsetup::portFromText(text).has_value()
                        : field == Name  ? netsetup::fitsName(text)
                                         : netsetup::fitsWiFiText(text);
        QTEST(ok, "accepted");
    }
    void networks_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("item");
        QTest::newRow("empty part dropped") << QString("home,,wep") << QString("home (insecure, WEP)");
        QTest::newRow("three parts") << QString("odd,wep,x") << QString("odd ");
        QTest::newRow("case kept") << QString("loud,WEP") << QString("loud ");
    }
    void networks()
    {
        QFETCH(QString, line);
        QTEST(netsetup::networkItemText(line), "item");
        QCOMPARE(netsetup::networkEssid(line), line.section(',', 0, 0));
    }
};

QTEST_GUILESS_MAIN(TestSetupForm)
#include "tst_setupform.moc"
