// The board record: the configuration built from the operator's settings, and
// the boards' replies read back, short, long and unterminated ones included.
#include "boardrecord.h"
#include "boardreply.h"

#include <QtTest>

namespace br = BoardRecord;
using S = QStringList;
using Q = QString;

static const QByteArray Mac = QByteArray::fromHex("020a4cff0010");

class TestBoardRecord : public QObject
{
    Q_OBJECT
private slots:
    // The whole record is compared: every byte not named stays zero.
    void configuration_data()
    {
        QTest::addColumn<bool>("ethDhcp");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<bool>("wifi");
        QTest::addColumn<S>("sentEthernet"); // empty: all five fields zero
        QTest::addColumn<S>("sentWifi");
        const S typed = {"10.0.0.5", "255.0.0.0", "10.0.0.1", "10.0.0.2", "10.0.0.3"};
        const S defaults = {"192.168.1.100", "255.255.0.0", "192.168.1.1", "192.168.1.1", "192.168.1.1"};
        const S wifi = {"10.1.0.5", "255.255.0.0", "10.1.0.1", "10.1.0.2", "10.1.0.3"};
        QTest::newRow("dhcp sends no address") << true << "10.0.0.5" << false << S() << S();
        QTest::newRow("empty address sends the defaults") << false << "" << false << defaults << S();
        QTest::newRow("wifi static") << false << "10.0.0.5" << true << typed << wifi;
    }
    void configuration()
    {
        QFETCH(bool, ethDhcp);
        QFETCH(QString, ip);
        QFETCH(bool, wifi);
        QFETCH(S, sentEthernet);
        QFETCH(S, sentWifi);
        BoardSettings s;
        s.mac = Mac;
        s.ethernetDhcp = ethDhcp;
        s.ethernet = {ip, "255.0.0.0", "10.0.0.1", "10.0.0.2", "10.0.0.3"};
        s.udpPort = 33001;
        s.vncPort = 5901;
        s.ftpUpperPort = 50100;
        s.name = QString(31, 'N'); // fills its field but for the NUL
        s.wifi = wifi;
        s.essid = QString::fromUtf8("Caf\xc3\xa9");
        s.key = QString(64, 'k'); // fills its field exactly
        s.wifiAddresses = {"10.1.0.5", "255.255.0.0", "10.1.0.1", "10.1.0.2", "10.1.0.3"};
        BoardBytes expected(18, Mac);
        expected.addresses(8, sentEthernet).word(88, 33001).word(90, 5901).word(94, 50100);
        expected.put(96, QByteArray(31, 'N')).set(128, ethDhcp);
        if (wifi)
            expected.put(129, "Caf\xc3\xa9").put(257, QByteArray(64, 'k')).addresses(705, sentWifi);
        QCOMPARE(br::configuration(s).toHex(), expected.r.toHex());
    }

    void replies_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("row"); // the board's list text; empty: rejected
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("essid");
        QTest::addColumn<S>("networks");
        QTest::addColumn<S>("diagnostics");
        const QByteArray full = BoardBytes(0xAB, Mac)
                                    .addresses(8, S{"192.168.1.20", "255.255.255.0", "192.168.1.1"})
                                    .put(96, "Roof East")
                                    .put(129, "Caf\xc3\xa9")
                                    .put(321, "home,wep\n\nCafe,none\n")
                                    .put(577, "Signal -50 dBm,,Channel 6")
                                    .put(705, "192.168.1.200")
                                    .set(786, 1)
                                    .r;
        const QByteArray ethernet = BoardBytes(full).set(0, char(0xAA)).set(786, 0).r;
        const QString cafe = QString::fromUtf8("Caf\xc3\xa9"), mac = "02:0a:4c:ff:00:10 ";
        const S nets = {"home,wep", "Cafe,none"}, diag = {"Signal -50 dBm", "Channel 6"};
        const QString roof = "Roof East";
        QTest::newRow("wifi, reached through wifi")
            << full << mac + "(192.168.1.200)" << roof << cafe << nets << diag;
        QTest::newRow("ethernet") << ethernet << mac + "(192.168.1.20)" << roof << cafe << nets << diag;
        const QString none;
        // Cut inside the name: the rest reads as zero bytes.
        QTest::newRow("short") << full.left(100) << mac + "(192.168.1.20)" << Q("Roof") << none << S() << S();
        QTest::newRow("type byte only")
            << QByteArray(1, char(0xAA)) << Q("00:00:00:00:00:00 ()") << none << none << S() << S();
        // Every text filled to its end without NUL stays within its width.
        const QByteArray unterminated = BoardBytes(ethernet)
                                            .put(8, "1111111111111111")
                                            .put(96, QByteArray(32, 'n'))
                                            .set(128, 1)
                                            .put(129, QByteArray(64, 'e') + "zz")
                                            .put(321, QByteArray(255, 'x') + '\n')
                                            .put(577, QByteArray(128, 'd'))
                                            .r;
        QTest::newRow("unterminated") << unterminated << mac + "(1111111111111111)" << QString(32, 'n')
                                      << QString(64, 'e') << S{QString(255, 'x')} << S{QString(128, 'd')};
        const QByteArray discovery = QByteArray::fromHex("1000010000000100f8000000") + QByteArray(252, 'x');
        for (const auto& [tag, d] :
             {std::pair{"too long", full + '\0'}, {"empty", QByteArray()}, {"discovery reply", discovery}})
            QTest::newRow(tag) << d << none << none << none << S() << S();
    }
    void replies()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, row);
        const std::optional<BoardSettings> b = br::parseReply(datagram);
        QCOMPARE(b.has_value(), !row.isEmpty());
        if (!b)
            return;
        QCOMPARE(br::listText(*b), row);
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
