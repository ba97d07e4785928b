// The discovery datagrams, the address and port checks, and the manual entry dialog.
#include "addressvalidation.h"
#include "dialogaddmanually.h"
#include "discoverydatagram.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace dd = DiscoveryDatagram;
namespace av = addressvalidation;

class TestDiscovery : public QObject
{
    Q_OBJECT
    static QByteArray reply(const QByteArray& ip = "192.168.0.21", const QByteArray& version = "1.3.0",
                            const QByteArray& name = "Roof", quint8 kind = 2)
    {
        return dd::buildReply(version, ip, name, kind);
    }
    template <typename T> static T* child(DialogAddManually& d, const char* n) { return d.findChild<T*>(n); }
    static bool shownValid(DialogAddManually& d, const char* l)
    {
        return child<QLabel>(d, l)->property("valid").toBool();
    }
    // Types the three fields and runs the dialog's check once.
    static void fill(DialogAddManually& d, const QString& ip, const QString& port = "502")
    {
        child<QLineEdit>(d, "theIp")->setText(ip);
        child<QLineEdit>(d, "thePort")->setText(port);
        child<QLineEdit>(d, "theFtpPort")->setText("21");
        d.ChkTimeout();
    }

private slots:
    void requestBytes()
    {
        QCOMPARE(dd::request(16), QByteArray::fromHex("100001000000010016000000000000002A2A30313030"));
    }
    void accepted_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("texts"); // version|address|name
        QTest::addColumn<bool>("stringBox");
        QTest::addColumn<int>("kind");
        const QByteArray ip = "192.168.0.21", v(104, 'V'), n(20, 'N');
        QTest::newRow("plain") << reply() << "1.3.0|192.168.0.21|Roof" << false << 2;
        QTest::newRow("zeta") << reply("10.1.2.3", "1.3.0", "Z", 3) << "1.3.0|10.1.2.3|Z" << false << 3;
        QTest::newRow("string box") << reply(ip, "SB_1.0") << "SB_1.0|192.168.0.21|Roof" << true << 2;
        QTest::newRow("empty name") << reply(ip, "1.3.0", "") << "1.3.0|192.168.0.21|????" << false << 2;
        // Fields filled to the end of their span without NUL stay in their span.
        QTest::newRow("no NUL") << reply("00001.0002.0003.0004", v, n) << QString(v + "|1.2.3.4|" + n)
                                << false << 2;
    }
    void accepted()
    {
        QFETCH(QByteArray, datagram);
        const std::optional<DiscoveryReply> r = dd::parseReply(datagram);
        QVERIFY(r.has_value());
        QTEST(QStringList({r->version, r->ip, r->name}).join('|'), "texts");
        QTEST(r->isStringBox, "stringBox");
        QTEST(r->kind, "kind");
        QCOMPARE(r->isZeta, r->kind == 3);
    }
    void rejected_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        const auto patched = [](int at, char value) { return reply().replace(at, 1, QByteArray(1, value)); };
        QTest::newRow("size 263") << reply().left(263);
        QTest::newRow("size 265") << reply() + '\0';
        QTest::newRow("length 249") << patched(8, char(249));
        QTest::newRow("direction 0") << patched(14, 0);
        QTest::newRow("kind 4") << reply("192.168.0.21", "1.3.0", "Roof", 4);
        QTest::newRow("address 1.2.3") << reply("1.2.3");
        QTest::newRow("address 1-2.3.4") << reply("1-2.3.4");
    }
    void rejected()
    {
        QFETCH(QByteArray, datagram);
        QVERIFY(!dd::parseReply(datagram).has_value());
    }
    void validation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isPort");
        QTest::addColumn<bool>("valid");
        const auto rows = [](bool isPort, bool valid, std::initializer_list<const char*> texts) {
            for (const char* t : texts)
                QTest::addRow("%s %s", isPort ? "port" : "address", t) << QString(t) << isPort << valid;
        };
        rows(false, true, {"192.168.1.1"});
        rows(false, false, {"192.168.1", "192.168.1.1.1", "192..1.1", "192.168.1.256", "1abc"});
        rows(true, true, {"1", "65534"});
        rows(true, false, {"0", "65535", "abc"});
    }
    void validation()
    {
        QFETCH(QString, text);
        QFETCH(bool, isPort);
        QTEST(isPort ? av::isValidPort(av::parsePort(text)) : av::isValidIpv4(text), "valid");
    }
    // Ticks and crosses after a check; "Add object" raises the request only when all are valid.
    void dialogCheck_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("address"); // kept address, empty when invalid
        QTest::addColumn<bool>("checkShown"); // the lookup button, for host names
        const auto row = [](const char* ip, const char* port, const char* address, bool checkShown) {
            QTest::addRow("%s:%s", ip, port)
                << QString(ip) << QString(port) << QString(address) << checkShown;
        };
        row("010.000.001.009", "1502", "10.0.1.9", false);
        row("192.168.1.256", "502", "", false);
        row("1abc", "502", "", false);
        row("inverter", "502", "", true);
        row("10.0.0.1", "0", "10.0.0.1", false);
    }
    void dialogCheck()
    {
        QFETCH(QString, ip);
        QFETCH(QString, port);
        QFETCH(QString, address);
        DialogAddManually d;
        d.show();
        fill(d, ip, port);
        QCOMPARE(shownValid(d, "Ipvalid"), !address.isEmpty());
        QCOMPARE(shownValid(d, "PortValid"), port != "0");
        QTEST(child<QPushButton>(d, "ButtonCheck")->isVisible(), "checkShown");
        QVERIFY(child<QCheckBox>(d, "IsTPX")->isVisible());
        if (d.getFieldsValid())
            QCOMPARE(d.getTheAddress() + ":" + QString::number(d.getThePort()), address + ":" + port);
        QCOMPARE(d.getFieldsValid(), !address.isEmpty() && port != "0");
        child<QPushButton>(d, "ButtonAdd")->click();
        QCOMPARE(d.getAddRequested(), d.getFieldsValid());
        child<QPushButton>(d, "ButtonCancel")->click();
        QVERIFY(d.getFinished());
    }
    void dialogKindBoxes()
    {
        DialogAddManually d;
        d.show();
        fill(d, "10.0.0.9");
        for (const char* box : {"IsTPX", "IsTL", "IsSB", "IsSB"})
            child<QCheckBox>(d, box)->click();
        for (const char* box : {"IsTL", "IsSB", "IsTPX"}) // the last click cleared the only ticked box
            QVERIFY(!child<QCheckBox>(d, box)->isChecked());
        child<QCheckBox>(d, "IsTPX")->click();
        child<QCheckBox>(d, "IsTL")->click();
        d.ChkTimeout();
        QVERIFY(d.getTransformerless() && !d.getStringBox() && !d.getTpx());
        d.setTpxPresent(true);
        d.ChkTimeout();
        QVERIFY(!child<QCheckBox>(d, "IsTPX")->isVisible());
        QVERIFY(child<QCheckBox>(d, "IsSB")->isVisible());
    }
    void dialogLocalhostLookup()
    {
        DialogAddManually d;
        d.show();
        fill(d, "localhost");
        QVERIFY(!shownValid(d, "Ipvalid"));
        child<QPushButton>(d, "ButtonCheck")->click();
        d.ChkTimeout();
        QVERIFY(shownValid(d, "Ipvalid") && d.getFieldsValid() && d.getHasDnsName());
        QCOMPARE(d.getTheAddress() + " " + d.getTheDnsName(), QString("127.0.0.1 localhost"));
        testsupport::saveGrab(&d, "dialogaddmanually");
        fill(d, "localhostx"); // another text no longer carries the lookup's result
        QVERIFY(!shownValid(d, "Ipvalid") && !d.getFieldsValid() && !d.getHasDnsName());
    }
};

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
