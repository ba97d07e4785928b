// The discovery datagrams: the request, the replies the console accepts or
// drops, and the replies one scan takes from their senders.
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
    void parse_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("texts"); // version|address|name, empty: rejected
        QTest::addColumn<int>("kind");
        const QByteArray ip = "192.168.0.21", v(104, 'V'), n(20, 'N');
        const auto patched = [](int at, char value) { return reply().replace(at, 1, QByteArray(1, value)); };
        QTest::newRow("plain") << reply() << "1.3.0|192.168.0.21|Roof" << 2;
        QTest::newRow("zeta") << reply("10.1.2.3", "1.3.0", "Z", 3) << "1.3.0|10.1.2.3|Z" << 3;
        QTest::newRow("string box") << reply(ip, "SB_1.0") << "SB_1.0|192.168.0.21|Roof" << 2;
        QTest::newRow("empty name") << reply(ip, "1.3.0", "") << "1.3.0|192.168.0.21|????" << 2;
        QTest::newRow("no NUL") << reply("00001.0002.0003.0004", v, n) << QString(v + "|1.2.3.4|" + n) << 2;
        QTest::newRow("size 263") << reply().left(263) << "" << 0;
        QTest::newRow("size 265") << reply() + '\0' << "" << 0;
        QTest::newRow("length 249") << patched(8, char(249)) << "" << 0;
        QTest::newRow("direction 0") << patched(14, 0) << "" << 0;
        QTest::newRow("kind 4") << reply(ip, "1.3.0", "Roof", 4) << "" << 0;
        QTest::newRow("address 1.2.3") << reply("1.2.3") << "" << 0;
    }
    void parse()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, texts);
        const std::optional<DiscoveryReply> r = dd::parseReply(datagram);
        QCOMPARE(r.has_value(), !texts.isEmpty());
        if (!r)
            return;
        QCOMPARE(QStringList({r->version, r->ip, r->name}).join('|'), texts);
        QCOMPARE(r->isStringBox, QByteArray(QTest::currentDataTag()) == "string box");
        QTEST(r->kind, "kind");
        QCOMPARE(r->isZeta, r->kind == 3);
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
};

QTEST_GUILESS_MAIN(TestDiscoveryDatagram)
#include "tst_discoverydatagram.moc"
