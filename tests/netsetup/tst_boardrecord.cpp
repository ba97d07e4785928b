// The board query and the 788-byte board record: the configuration built from
// the operator's settings, and the boards' replies read back, short, long and
// unterminated ones included.
#include "boardrecord.h"

#include <QtEndian>
#include <QtTest>

namespace br = BoardRecord;

namespace {

const QByteArray Mac = QByteArray::fromHex("020a4cff0010");

// Writes bytes at an offset of a record, the way a board lays them out.
void put(QByteArray& r, int offset, const QByteArray& bytes)
{
    r.replace(offset, bytes.size(), bytes);
}

QByteArray word(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(v, b.data());
    return b;
}

// A field's text up to its NUL, within its width.
QByteArray text(const QByteArray& r, int offset, int width)
{
    const QByteArray f = r.mid(offset, width);
    return f.left(f.indexOf('\0') < 0 ? width : f.indexOf('\0'));
}

quint16 wordAt(const QByteArray& r, int offset)
{
    return qFromLittleEndian<quint16>(r.constData() + offset);
}

bool allZero(const QByteArray& r, int from, int to)
{
    return r.mid(from, to - from).count('\0') == to - from;
}

// A reply of a board at 192.168.1.20 with WiFi, as a board would send it.
QByteArray wifiReply()
{
    QByteArray r(br::Size, '\0');
    r[0] = char(0xAB);
    put(r, 2, Mac);
    put(r, 8, "192.168.1.20");
    put(r, 24, "255.255.255.0");
    put(r, 40, "192.168.1.1");
    put(r, 88, word(0));
    put(r, 90, word(5901));
    put(r, 92, word(50000));
    put(r, 94, word(50100));
    put(r, 96, "Roof East");
    put(r, 129, "Caf\xc3\xa9");
    put(r, 257, "secret");
    put(r, 321, "home,wep\n\nCafe,none\nPlantNet,wpa2\n");
    put(r, 577, "Signal -50 dBm,,Channel 6");
    put(r, 705, "192.168.1.200");
    r[785] = 1;
    r[786] = 1;
    return r;
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
        s.name = QString("N").repeated(31);
        s.wifi = wifi;
        s.essid = QString::fromUtf8("Caf\xc3\xa9");
        s.key = QString("k").repeated(64);
        s.wifiDhcp = wifiDhcp;
        s.wifiAddresses = {"10.1.0.5", "255.255.0.0", "10.1.0.1", "10.1.0.2", "10.1.0.3"};

        const QByteArray r = br::configuration(s);
        QCOMPARE(r.size(), 788);
        QCOMPARE(r.left(2), QByteArray::fromHex("1200"));
        QCOMPARE(r.mid(2, 6), Mac);
        QCOMPARE(int(r.at(128)), ethDhcp ? 1 : 0);
        const int ethernet[] = {8, 24, 40, 56, 72};
        for (int i = 0; i < 5; ++i) {
            if (sentEthernet.isEmpty())
                QVERIFY(allZero(r, ethernet[i], ethernet[i] + 16));
            else
                QCOMPARE(text(r, ethernet[i], 16), sentEthernet[i].toLatin1());
        }
        QCOMPARE(int(wordAt(r, 88)), sentUdp);
        QCOMPARE(int(wordAt(r, 90)), sentVnc);
        QCOMPARE(int(wordAt(r, 92)), 0);
        QCOMPARE(int(wordAt(r, 94)), 50100);
        QCOMPARE(text(r, 96, 32), QByteArray(31, 'N'));
        QCOMPARE(r.at(127), '\0');
        if (!wifi) {
            QVERIFY(allZero(r, 129, 788));
            return;
        }
        QCOMPARE(text(r, 129, 64), QByteArray("Caf\xc3\xa9"));
        QCOMPARE(text(r, 257, 64), QByteArray(64, 'k')); // fills its field exactly
        QVERIFY(allZero(r, 193, 257));
        QVERIFY(allZero(r, 321, 705)); // networks and diagnostics belong to replies
        QCOMPARE(int(r.at(785)), wifiDhcp ? 1 : 0);
        QVERIFY(allZero(r, 786, 788));
        const int wifiFields[] = {705, 721, 737, 753, 769};
        for (int i = 0; i < 5; ++i) {
            if (sentWifi.isEmpty())
                QVERIFY(allZero(r, wifiFields[i], wifiFields[i] + 16));
            else
                QCOMPARE(text(r, wifiFields[i], 16), sentWifi[i].toLatin1());
        }
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
        QByteArray unterminated = ethernet;
        put(unterminated, 8, "1111111111111111");
        put(unterminated, 96, QByteArray(32, 'n'));
        unterminated[128] = 1;
        put(unterminated, 129, QByteArray(64, 'e') + "zz");
        put(unterminated, 321, QByteArray(255, 'x') + '\n');
        put(unterminated, 577, QByteArray(128, 'd'));
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
        QFETCH(QString, row);
        QFETCH(QString, name);
        QFETCH(QString, essid);
        QFETCH(QStringList, networks);
        QFETCH(QStringList, diagnostics);
        QCOMPARE(br::listText(*b), row);
        QCOMPARE(b->name, name);
        QCOMPARE(b->essid, essid);
        QCOMPARE(b->networks, networks);
        QCOMPARE(b->diagnostics, diagnostics);
        QCOMPARE(b->wifi, quint8(datagram.at(0)) == 0xAB);
        QCOMPARE(b->ethernetDhcp, datagram.size() > 128 && datagram.at(128) == 1);
    }
};

QTEST_GUILESS_MAIN(TestBoardRecord)
#include "tst_boardrecord.moc"
