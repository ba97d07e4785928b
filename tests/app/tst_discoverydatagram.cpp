// The discovery datagrams: the request, the replies the console accepts or
// drops, and what one scan accepts of the replies it hears.
#include "discoverydatagram.h"

#include <QtTest>

namespace dd = DiscoveryDatagram;
Q_DECLARE_METATYPE(DiscoveryScanFilter::Verdict)

class TestDiscoveryDatagram : public QObject
{
    Q_OBJECT
    static QByteArray reply(const QByteArray& ip = "192.168.0.21", const QByteArray& version = "1.3.0",
                            const QByteArray& name = "Roof", quint8 kind = 2)
    {
        return dd::buildReply(version, ip, name, kind);
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
    void scanFilter_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<DiscoveryScanFilter::Verdict>("verdict");
        QTest::newRow("from its own address") << reply() << "192.168.0.21" << DiscoveryScanFilter::Accepted;
        QTest::newRow("leading zeros advertised")
            << reply("192.168.000.021") << "192.168.0.21" << DiscoveryScanFilter::Accepted;
        QTest::newRow("IPv4-mapped sender")
            << reply() << "::ffff:192.168.0.21" << DiscoveryScanFilter::Accepted;
        QTest::newRow("from another board") << reply() << "192.168.0.22" << DiscoveryScanFilter::Spoofed;
        QTest::newRow("factory address from elsewhere")
            << reply("192.168.1.100") << "192.168.1.20" << DiscoveryScanFilter::Spoofed;
        QTest::newRow("no sender") << reply() << QString() << DiscoveryScanFilter::Spoofed;
        QTest::newRow("malformed, from its own address")
            << reply().left(263) << "192.168.0.21" << DiscoveryScanFilter::Malformed;
    }
    void scanFilter()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, sender);
        QFETCH(DiscoveryScanFilter::Verdict, verdict);
        DiscoveryScanFilter filter;
        DiscoveryReply r;
        QCOMPARE(filter.check(datagram, QHostAddress(sender), &r), verdict);
        QCOMPARE(r.ip.isEmpty(), verdict != DiscoveryScanFilter::Accepted);
        QCOMPARE(filter.spoofed(), int(verdict == DiscoveryScanFilter::Spoofed));
        QCOMPARE(filter.malformed(), int(verdict == DiscoveryScanFilter::Malformed));
        // A malformed datagram alone is not worth a line; a spoofed reply is.
        QCOMPARE(filter.closeScan().isEmpty(), verdict != DiscoveryScanFilter::Spoofed);
    }
    void scanAllowance()
    {
        DiscoveryScanFilter filter;
        for (int i = 0; i < DiscoveryScanFilter::MaxNewPerScan; ++i)
            QVERIFY(filter.takeNewEquipment());
        QVERIFY(!filter.takeNewEquipment());
        QVERIFY(!filter.takeNewEquipment());
        DiscoveryReply r;
        filter.check(reply(), QHostAddress("10.0.0.1"), &r);
        filter.check(QByteArray(22, 'x'), QHostAddress("10.0.0.1"), &r);
        QCOMPARE(
            filter.closeScan(),
            QString("Discovery scan: dropped 1 replies sent from another address than the one they advertise "
                    "and 2 new equipments over the limit of 32 per scan (1 other datagrams ignored)"));
        // The next scan starts with its whole allowance and nothing to tell.
        QVERIFY(filter.takeNewEquipment());
        QCOMPARE(filter.added(), 1);
        QCOMPARE(filter.closeScan(), QString());
    }
};

QTEST_GUILESS_MAIN(TestDiscoveryDatagram)
#include "tst_discoverydatagram.moc"
