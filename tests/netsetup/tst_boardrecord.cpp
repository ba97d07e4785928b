// The board query and the 788-byte board record: the configuration built from
// the operator's settings, and the boards' replies read back, short, long and
// unterminated ones included.
#include "boardrecord.h"
#include "boardreply.h"

#include <QtTest>

namespace br = BoardRecord;

namespace {

const QByteArray Mac = QByteArray::fromHex("020a4cff0010");

// A reply of a board at 192.168.1.20 with WiFi, as a board would send it.
QByteArray wifiReply()
{
    return BoardBytes(0xAB, Mac)
        .addresses(8, QStringList{"192.168.1.20", "255.255.255.0", "192.168.1.1"})
        .word(88, 0)
        .word(90, 5901)
        .word(92, 50000)
        .word(94, 50100)
        .put(96, "Roof East")
        .put(129, "Caf\xc3\xa9")
        .put(257, "secret")
        .put(321, "home,wep\n\nCafe,none\nPlantNet,wpa2\n")
        .put(577, "Signal -50 dBm,,Channel 6")
        .put(705, "192.168.1.200")
        .set(785, 1)
        .set(786, 1)
        .r;
}

} // namespace

class TestBoardRecord : public QObject
{
    Q_OBJECT
private slots:
    void queryBytes()
    {
        QCOMPARE(br::query(), QByteArray::fromHex("110001000000010016000000000000002A2A30313030"));
    }

    // The whole record is compared: every byte not named below stays zero
    // (networks and diagnostics belong to replies).
    void configuration_data()
    {
        QTest::addColumn<bool>("ethDhcp");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<int>("udp");
        QTest::addColumn<int>("vnc");
        QTest::addColumn<bool>("wifi");
        QTest::addColumn<bool>("wifiDhcp");
        QTest::addColumn<QStringList>("sentEthernet"); // empty: all five fields zero
        QTest::addColumn<int>("sentUdp");
        QTest::addColumn<int>("sentVnc");
        QTest::addColumn<QStringList>("sentWifi"); // empty: the five fields zero

        const QStringList typed = {"10.0.0.5", "255.0.0.0", "10.0.0.1", "10.0.0.2", "10.0.0.3"};
        const QStringList defaults = {"192.168.1.100", "255.255.0.0", "192.168.1.1", "192.168.1.1",
                                      "192.168.1.1"};
        const QStringList wifi = {"10.1.0.5", "255.255.0.0", "10.1.0.1", "10.1.0.2", "10.1.0.3"};
        QTest::newRow("static") << false << "10.0.0.5" << 33001 << 5901 << false << false << typed << 33001
                                << 5901 << QStringList();
        QTest::newRow("dhcp sends no address") << true << "10.0.0.5" << 33001 << 5901 << false << false
                                               << QStringList() << 33001 << 5901 << QStringList();
        QTest::newRow("empty address sends the defaults")
            << false << "" << 33001 << 5901 << false << false << defaults << 33001 << 5901 << QStringList();
        QTest::newRow("empty ports") << false << "10.0.0.5" << 0 << 0 << false << false << typed << 33000
                                     << 5900 << QStringList();
        QTest::newRow("wifi static") << false << "10.0.0.5" << 0 << 0 << true << false << typed << 33000
                                     << 5900 << wifi;
        QTest::newRow("wifi dhcp") << false << "10.0.0.5" << 0 << 0 << true << true << typed << 33000 << 5900
                                   << QStringList();
    }
    void configuration()
    {
        QFETCH(bool, ethDhcp);
        QFETCH(QString, ip);
        QFETCH(int, udp);
        QFETCH(int, vnc);
        QFETCH(bool, wifi);
        QFETCH(bool, wifiDhcp);
        QFETCH(QStringList, sentEthernet);
        QFETCH(int, sentUdp);
        QFETCH(int, sentVnc);
        QFETCH(QStringList, sentWifi);

        BoardSettings s;
        s.mac = Mac;
        s.ethernetDhcp = ethDhcp;
        s.ethernet = {ip, "255.0.0.0", "10.0.0.1", "10.0.0.2", "10.0.0.3"};
        s.udpPort = quint16(udp);
        s.vncPort = quint16(vnc);
        s.ftpLowerPort = 0;
        s.ftpUpperPort = 50100;
        s.name = QString("N").repeated(31); // fills its field but for the NUL
        s.wifi = wifi;
        s.essid = QString::fromUtf8("Caf\xc3\xa9");
        s.key = QString("k").repeated(64); // fills its field exactly
        s.wifiDhcp = wifiDhcp;
        s.wifiAddresses = {"10.1.0.5", "255.255.0.0", "10.1.0.1", "10.1.0.2", "10.1.0.3"};

        BoardBytes expected(18, Mac); // command 18, little-endian
        expected.addresses(8, sentEthernet)
            .word(88, quint16(sentUdp))
            .word(90, quint16(sentVnc))
            .word(94, 50100)
            .put(96, QByteArray(31, 'N'))
            .set(128, ethDhcp);
        if (wifi)
            expected.put(129, "Caf\xc3\xa9")
                .put(257, QByteArray(64, 'k'))
                .addresses(705, sentWifi)
                .set(785, wifiDhcp);
        QCOMPARE(br::configuration(s).toHex(), expected.r.toHex());
    }

    void replies_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("row"); // the board's list text
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("essid");
        QTest::addColumn<QStringList>("networks");
        QTest::addColumn<QStringList>("diagnostics");

        const QByteArray full = wifiReply();
        const QString cafe = QString::fromUtf8("Caf\xc3\xa9");
        const QStringList nets = {"home,wep", "Cafe,none", "PlantNet,wpa2"};
        const QStringList diag = {"Signal -50 dBm", "Channel 6"};
        QTest::newRow("wifi, reached through wifi") << full << true << "02:0a:4c:ff:00:10 (192.168.1.200)"
                                                    << "Roof East" << cafe << nets << diag;

        QByteArray ethernet = full;
        ethernet[0] = char(0xAA);
        ethernet[786] = 0;
        QTest::newRow("ethernet") << ethernet << true << "02:0a:4c:ff:00:10 (192.168.1.20)"
                                  << "Roof East" << cafe << nets << diag;

        // Cut inside the name: the rest reads as zero bytes.
        QTest::newRow("short") << full.left(100) << true << "02:0a:4c:ff:00:10 (192.168.1.20)"
                               << "Roof"
                               << "" << QStringList() << QStringList();
        QTest::newRow("type byte only") << QByteArray(1, char(0xAA)) << true << "00:00:00:00:00:00 ()"
                                        << ""
                                        << "" << QStringList() << QStringList();

        // Every text filled to its end without NUL stays within its width.
        QByteArray unterminated = BoardBytes(ethernet)
                                      .put(8, "1111111111111111")
                                      .put(96, QByteArray(32, 'n'))
                                      .set(128, 1)
                                      .put(129, QByteArray(64, 'e') + "zz")
                                      .put(321, QByteArray(255, 'x') + '\n')
                                      .put(577, QByteArray(128, 'd'))
                                      .r;
        QTest::newRow("unterminated")
            << unterminated << true << "02:0a:4c:ff:00:10 (1111111111111111)" << QString(32, 'n')
            << QString(64, 'e') << QStringList{QString(255, 'x')} << QStringList{QString(128, 'd')};

        const auto rejected = [](const char* tag, const QByteArray& d) {
            QTest::newRow(tag) << d << false << QString() << QString() << QString() << QStringList()
                               << QStringList();
        };
        rejected("too long", full + '\0');
        rejected("empty", QByteArray());
        QByteArray own = full;
        own[0] = 0x12; // a configuration record, not a reply
        rejected("not a reply", own);
        rejected("discovery reply", QByteArray::fromHex("1000010000000100f8000000") + QByteArray(252, 'x'));
    }
    void replies()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, accepted);
        const std::optional<BoardSettings> b = br::parseReply(datagram);
        QCOMPARE(b.has_value(), accepted);
        if (!accepted)
            return;
        QTEST(br::listText(*b), "row");
        QTEST(b->name, "name");
        QTEST(b->essid, "essid");
        QTEST(b->networks, "networks");
        QTEST(b->diagnostics, "diagnostics");
        QCOMPARE(b->wifi, quint8(datagram.at(0)) == 0xAB);
        QCOMPARE(b->ethernetDhcp, datagram.size() > 128 && datagram.at(128) == 1);
    }
};

QTEST_GUILESS_MAIN(TestBoardRecord)
#include "tst_boardrecord.moc"
