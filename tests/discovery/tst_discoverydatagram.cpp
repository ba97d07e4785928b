#include "discoverydatagram.h"

#include <QtEndian>
#include <QtTest>

namespace dd = DiscoveryDatagram;

class TestDiscoveryDatagram : public QObject
{
    Q_OBJECT

    // A board's reply, changed by the row's mutation.
    static QByteArray reply(const QByteArray& version = "1.3.0", const QByteArray& ip = "192.168.0.21",
                            const QByteArray& name = "Roof", quint8 kind = 2)
    {
        return dd::buildReply(version, ip, name, kind);
    }

private slots:
    void requestBytes_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("discovery") << 16
                                   << QByteArray::fromHex("10000100000001001600000000000000"
                                                          "2A2A30313030");
        QTest::newRow("board query") << 17
                                     << QByteArray::fromHex("11000100000001001600000000000000"
                                                            "2A2A30313030");
    }
    void requestBytes()
    {
        QFETCH(int, command);
        QTEST(dd::request(quint16(command)), "bytes");
        QCOMPARE(dd::request(quint16(command)).size(), dd::RequestSize);
    }

    void builtReplyLayout()
    {
        const QByteArray r = reply();
        QCOMPARE(r.size(), 264);
        QCOMPARE(qFromLittleEndian<quint32>(r.constData() + 8), 248u);
        QCOMPARE(qFromLittleEndian<quint16>(r.constData() + 12), quint16(0));
        QCOMPARE(qFromLittleEndian<quint16>(r.constData() + 14), quint16(1));
        QCOMPARE(r.mid(120, 13), QByteArray("192.168.0.21\0", 13));
        QCOMPARE(quint8(r.at(160)), quint8(2));
    }

    void accepted_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QStringList>("texts"); // version, address, name
        QTest::addColumn<bool>("stringBox");
        QTest::addColumn<bool>("zeta");
        const QByteArray ip = "192.168.0.21", full(104, 'V'), fullName(20, 'N');
        const struct
        {
            const char* row;
            QByteArray version, ip, name;
            quint8 kind;
            QString texts;
            bool stringBox, zeta;
        } rows[] = {
            {"plain", "1.3.0", ip, "Roof", 2, "1.3.0|192.168.0.21|Roof", false, false},
            {"zeta", "1.3.0", "10.1.2.3", "Z", 3, "1.3.0|10.1.2.3|Z", false, true},
            {"string box", "SB_1.0", "10.1.2.4", "Box", 3, "SB_1.0|10.1.2.4|Box", true, true},
            {"sb lower case", "sb_1.0", ip, "Roof", 2, "sb_1.0|192.168.0.21|Roof", false, false},
            {"empty name", "1.3.0", ip, "", 2, "1.3.0|192.168.0.21|????", false, false},
            {"name starting with NUL", "1.3.0", ip, QByteArray("\0XYZ", 4), 2, "1.3.0|192.168.0.21|????",
             false, false},
            {"empty version", "", ip, "Roof", 2, "---|192.168.0.21|Roof", false, false},
            {"comma in name", "1.3.0", ip, "East,West", 2, "1.3.0|192.168.0.21|East West", false, false},
            {"leading zeros", "1.3.0", "192.168.000.021", "Roof", 2, "1.3.0|192.168.0.21|Roof", false, false},
            // Fields filled to the end of their span without NUL stay in their span.
            {"unterminated version and name", full, ip, fullName, 2, full + "|192.168.0.21|" + fullName,
             false, false},
            {"unterminated address", "1.3.0", "00001.0002.0003.0004", "Roof", 2, "1.3.0|1.2.3.4|Roof", false,
             false},
        };
        for (const auto& r : rows)
            QTest::newRow(r.row) << reply(r.version, r.ip, r.name, r.kind) << r.texts.split('|')
                                 << r.stringBox << r.zeta;
        QByteArray padded = reply(); // bytes outside the fields are not looked at
        padded.replace(0, 8, QByteArray(8, char(0xEE))).replace(161, 103, QByteArray(103, 0x55));
        QTest::newRow("bytes outside fields") << padded << rows[0].texts.split('|') << false << false;
    }
    void accepted()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, zeta);
        const std::optional<DiscoveryReply> r = dd::parseReply(datagram);
        QVERIFY(r.has_value());
        QTEST((QStringList{r->version, r->ip, r->name}), "texts");
        QTEST(r->isStringBox, "stringBox");
        QCOMPARE(r->isZeta, zeta);
        QCOMPARE(r->kind, zeta ? 3 : 2);
    }

    void rejected_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::newRow("size 263") << reply().left(263);
        QTest::newRow("size 265") << reply() + '\0';
        QTest::newRow("empty") << QByteArray();
        const struct
        {
            const char* row;
            int offset;
            char value;
        } headerFaults[] = {{"length 249", 8, char(249)}, {"length high byte", 11, 1}, {"reserved 1", 12, 1},
                            {"reserved high", 13, 1},     {"direction 0", 14, 0},      {"direction 2", 14, 2},
                            {"direction high", 15, 1}};
        for (const auto& f : headerFaults) {
            QByteArray r = reply();
            r[f.offset] = f.value;
            QTest::newRow(f.row) << r;
        }
        for (int kind : {0, 1, 4, 255})
            QTest::addRow("kind %d", kind) << reply("1.3.0", "192.168.0.21", "Roof", quint8(kind));
        for (const char* ip : {"1.2.3", "a.b.c.d", "300.1.1.1", "", "77777777777777777777"})
            QTest::addRow("address '%s'", ip) << reply("1.3.0", ip);
    }
    void rejected()
    {
        QFETCH(QByteArray, datagram);
        QVERIFY(!dd::parseReply(datagram).has_value());
    }
};

QTEST_GUILESS_MAIN(TestDiscoveryDatagram)
#include "tst_discoverydatagram.moc"
