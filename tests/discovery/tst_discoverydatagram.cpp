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
        QFETCH(QByteArray, bytes);
        QCOMPARE(dd::request(quint16(command)), bytes);
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
        const QStringList plain{"1.3.0", "192.168.0.21", "Roof"};
        QTest::newRow("plain") << reply() << plain << false << false;
        QTest::newRow("zeta") << reply("1.3.0", "10.1.2.3", "Z", 3) << QStringList{"1.3.0", "10.1.2.3", "Z"}
                              << false << true;
        QTest::newRow("string box") << reply("SB_1.0", "10.1.2.4", "Box", 3)
                                    << QStringList{"SB_1.0", "10.1.2.4", "Box"} << true << true;
        QTest::newRow("sb lower case")
            << reply("sb_1.0") << QStringList{"sb_1.0", plain[1], plain[2]} << false << false;
        QTest::newRow("empty name") << reply("1.3.0", "192.168.0.21", "")
                                    << QStringList{plain[0], plain[1], "????"} << false << false;
        QTest::newRow("name starting with NUL") << reply("1.3.0", "192.168.0.21", QByteArray("\0XYZ", 4))
                                                << QStringList{plain[0], plain[1], "????"} << false << false;
        QTest::newRow("empty version")
            << reply("") << QStringList{"---", plain[1], plain[2]} << false << false;
        QTest::newRow("comma in name") << reply("1.3.0", "192.168.0.21", "East,West")
                                       << QStringList{plain[0], plain[1], "East West"} << false << false;
        QTest::newRow("leading zeros") << reply("1.3.0", "192.168.000.021") << plain << false << false;

        // Fields filled to the end of their span without NUL stay in their span.
        const QByteArray fullVersion(104, 'V');
        const QByteArray fullName(20, 'N');
        QTest::newRow("unterminated version and name")
            << reply(fullVersion, "192.168.0.21", fullName)
            << QStringList{QString(fullVersion), plain[1], QString(fullName)} << false << false;
        QTest::newRow("unterminated address") << reply("1.3.0", "00001.0002.0003.0004")
                                              << QStringList{plain[0], "1.2.3.4", plain[2]} << false << false;
    }
    void accepted()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QStringList, texts);
        QFETCH(bool, stringBox);
        QFETCH(bool, zeta);
        const std::optional<DiscoveryReply> r = dd::parseReply(datagram);
        QVERIFY(r.has_value());
        QCOMPARE((QStringList{r->version, r->ip, r->name}), texts);
        QCOMPARE(r->isStringBox, stringBox);
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
        for (const char* ip : {"1.2.3", "1.2.3.4.5", "a.b.c.d", "1-2.3.4", "1,2.3.4", "300.1.1.1", "",
                               "1..3.4", "77777777777777777777"})
            QTest::addRow("address '%s'", ip) << reply("1.3.0", ip);
    }
    void rejected()
    {
        QFETCH(QByteArray, datagram);
        QVERIFY(!dd::parseReply(datagram).has_value());
    }

    void bytesOutsideFieldsIgnored()
    {
        QByteArray r = reply();
        for (int i = 0; i < 8; ++i)
            r[i] = char(0xEE);
        for (int i = 161; i < 264; ++i)
            r[i] = char(0x55);
        const std::optional<DiscoveryReply> parsed = dd::parseReply(r);
        QVERIFY(parsed.has_value());
        QCOMPARE(parsed->name, QString("Roof"));
    }
};

QTEST_GUILESS_MAIN(TestDiscoveryDatagram)
#include "tst_discoverydatagram.moc"
