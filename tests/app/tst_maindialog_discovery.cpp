// The plant window's discovery: the boards' replies, and hostile senders:
// replies that name another address than their sender's, more new boards
// than a scan takes, and the socket replaced while its datagrams are being
// read. Runs in a network namespace with only loopback, as the plant
// "LOCAL" broadcasts.
#include "consoletest.h"
#include "dialogaddmanually.h"
#include "discoverydatagram.h"
#include "maindialog.h"

#include <QPointer>
#include <QUdpSocket>

using namespace consoletest;

namespace {

// The plant "LOCAL" on loopback with the scan timer stopped: the test ticks it.
void startLocalPlant(MainDialog& w)
{
    startOnLoopback(w, "LOCAL");
    for (QTimer* t : w.findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (t->interval() == 1000)
            t->stop();
    }
}

// Ticks the scan timer until the next scan has sent its first broadcast.
void tickToNextScan(MainDialog& w)
{
    auto* status = w.findChild<QLabel*>("StatusLine");
    do
        w.scanTimerF();
    while (status->text() != "Scanning... [1]");
}

QByteArray reply(const QString& ip, const QByteArray& name = "Board")
{
    return DiscoveryDatagram::buildReply("1.5.0", ip.toLatin1(), name, 2);
}

QStringList keys(const MainDialog& w)
{
    return w.equipmentKeys().toList();
}
} // namespace

class TestMainDialogDiscovery : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;

private slots:
    void initTestCase()
    {
        QVERIFY2(testsupport::unexpectedInterface().isEmpty(), "run through scripts/in-empty-netns.sh");
    }
    void init() { sandbox = std::make_unique<testsupport::SandboxSettings>(); }

    // A known board 127.0.0.12 named "Known", stored behind another plant's
    // equipment; one reply from the given sender.
    void repliesFromTheirOwnAddressOnly_data()
    {
        QTest::addColumn<QString>("advertised");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("knownName");
        QTest::addColumn<bool>("unconfigured");
        const QString known = "127.0.0.12-502-LOCAL";
        QTest::newRow("new board") << "127.0.0.13"
                                   << "127.0.0.13" << QStringList{known, "127.0.0.13-502-LOCAL"} << "Known"
                                   << false;
        QTest::newRow("known board renamed") << "127.0.0.12"
                                             << "127.0.0.12" << QStringList{known} << "Board" << false;
        QTest::newRow("factory board") << "192.168.1.100"
                                       << "192.168.1.100" << QStringList{known} << "Known" << true;
        QTest::newRow("spoofed new board") << "127.0.0.13"
                                           << "127.0.0.99" << QStringList{known} << "Known" << false;
        QTest::newRow("spoofed rename") << "127.0.0.12"
                                        << "127.0.0.99" << QStringList{known} << "Known" << false;
        QTest::newRow("spoofed factory board") << "192.168.1.100"
                                               << "127.0.0.99" << QStringList{known} << "Known" << false;
    }
    void repliesFromTheirOwnAddressOnly()
    {
        QFETCH(QString, advertised);
        QFETCH(QString, sender);
        QFETCH(QStringList, keys);
        storeEquipments({"127.0.0.11-502-Farm"});
        MainDialog w;
        startLocalPlant(w);
        w.AddEquipment("127.0.0.12", "Known", "1.5.0", 502, 21, false, false, false, "NO_DNS_NAME", "LOCAL");
        w.SaveEquipmentList();
        QByteArray datagram = reply(advertised);
        w.ProcessTheDatagram(datagram, QHostAddress(sender));
        QCOMPARE(::keys(w), keys);
        QFETCH(QString, knownName);
        QCOMPARE(w.tiles()[0]->getTheInvName(), knownName);
        QCOMPARE(storedSetting("/app/Inverters/InvListNames"), "Inv0," + knownName + ",");
        QTEST(w.unconfiguredPresent(), "unconfigured");
    }

    // New boards of every kind from their replies, each from its own
    // address: a reply heard twice makes one equipment, an empty name is
    // stored as "????", the factory address marks the plant; saving twice
    // stores each once.
    void newBoardsFromReplies()
    {
        storeEquipments({"127.0.0.11-502-Farm", "127.0.0.12-502-LOCAL"});
        MainDialog w;
        startLocalPlant(w);
        using DiscoveryDatagram::buildReply;
        QList<QByteArray> replies = {
            buildReply("1.5.0", "127.0.0.13", "North", 2),      buildReply("1.5.0", "127.0.0.13", "North", 2),
            buildReply("SB_1.2.0", "127.0.0.14", "Box", 3),     buildReply("1.0.0", "127.0.0.15", "", 3),
            buildReply("1.5.0", "192.168.1.100", "Factory", 2), buildReply("1.5.0", "127.0.0.12", "Inv1", 2)};
        for (QByteArray& r : replies)
            w.ProcessTheDatagram(r, QHostAddress(DiscoveryDatagram::parseReply(r)->ip));
        QCOMPARE(keys(w), (QStringList{"127.0.0.12-502-LOCAL", "127.0.0.13-502-LOCAL", "127.0.0.14-502-LOCAL",
                                       "127.0.0.15-502-LOCAL"}));
        QVERIFY(w.tiles()[2]->getIsStringBox() && w.tiles()[2]->getTheInvIsZETA());
        QVERIFY(w.tiles()[3]->getTheInvIsZETA() && !w.tiles()[1]->getTheInvIsZETA());
        w.SaveEquipmentList();
        w.SaveEquipmentList();
        QCOMPARE(storedSetting("/app/Inverters/InvListNames"), QString("Inv0,Inv1,North,Box,????,"));
        w.setScanning(false);
        w.BackgroundActivity();
        QVERIFY(labelText(&w, "TotalPower").endsWith(" [Unconfigured equip. present]"));
    }

    // 40 boards answer every scan; each scan adds at most 32 of them, tells
    // once what it dropped, and leaves manual entry alone.
    void newEquipmentsPerScan()
    {
        testsupport::CategoryWarnings discoveryLog("velora.discovery");
        MainDialog w;
        startLocalPlant(w);
        tickToNextScan(w);
        const int boards = DiscoveryScanFilter::MaxNewPerScan + 8;
        auto answerAll = [&] {
            for (int i = 1; i <= boards; ++i) {
                const QString ip = QString("127.0.1.%1").arg(i);
                QByteArray datagram = reply(ip);
                w.ProcessTheDatagram(datagram, QHostAddress(ip));
            }
        };
        answerAll();
        answerAll();
        QCOMPARE(w.tiles().size(), DiscoveryScanFilter::MaxNewPerScan);

        QCOMPARE(addByHand(w, "127.0.2.1", "502"), DiscoveryScanFilter::MaxNewPerScan + 1);
        QVERIFY(discoveryLog.lines().isEmpty()); // nothing told while the scan runs

        tickToNextScan(w);
        QCOMPARE(discoveryLog.lines(),
                 QStringList{"Discovery scan: dropped 0 replies sent from another address than the one they "
                             "advertise and 16 new equipments over the limit of 32 per scan (0 other "
                             "datagrams ignored)"});
        QCOMPARE(storedSetting("/app/Inverters/InvList").count(','), DiscoveryScanFilter::MaxNewPerScan + 1);
        answerAll();
        QCOMPARE(w.tiles().size(), boards + 1);
        tickToNextScan(w);
        QCOMPARE(discoveryLog.lines().size(), 1); // a scan that dropped nothing tells nothing
        QCOMPARE(storedSetting("/app/Inverters/InvList").count(','), boards + 1);
        QVERIFY(!w.faultDialog());
    }

    // Settings writes made while a reply is handled process pending events;
    // a scan tick among them replaces the socket whose readyRead() is still
    // being emitted. The old socket must go only once that has returned: in
    // the sanitizer pass (freed memory filled) a socket deleted under its own
    // signal crashes Qt's code that runs after the slot.
    void socketReplacedWhileReading()
    {
        MainDialog w;
        startLocalPlant(w);
        w.scanTimerF(); // binds the socket and sends broadcast 1
        QPointer<QUdpSocket> first = w.findChild<QUdpSocket*>();
        QVERIFY(first && first->state() == QAbstractSocket::BoundState);
        for (int i = 0; i < 3; ++i)
            w.scanTimerF(); // the next tick binds a new socket

        bool reading = false, tickedWhileReading = false, deletedWhileEmitting = false;
        // Connected after the window's slot, so it runs once that has returned.
        connect(first, &QUdpSocket::readyRead, this, [&] { reading = false; });
        connect(first, &QObject::destroyed, this, [&] { deletedWhileEmitting = reading; });
        struct TickOnNewTile : QObject
        {
            std::function<void()> tick;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::ChildAdded && tick &&
                    static_cast<QChildEvent*>(e)->child()->isWidgetType())
                    std::exchange(tick, nullptr)();
                return false;
            }
        } filter;
        // The tile is made inside the reply's handling; the tick is posted
        // then and delivered by the settings writes that follow.
        filter.tick = [&] {
            reading = true;
            QMetaObject::invokeMethod(
                &w,
                [&] {
                    tickedWhileReading = reading;
                    w.scanTimerF();
                },
                Qt::QueuedConnection);
        };
        w.installEventFilter(&filter);

        QUdpSocket board;
        QVERIFY(board.bind(QHostAddress("127.0.0.13"), 0));
        board.writeDatagram(reply("127.0.0.13"), QHostAddress::LocalHost, DiscoveryDatagram::ReplyPort);
        QTRY_COMPARE(w.tiles().size(), 1);
        QVERIFY(tickedWhileReading);
        QTRY_VERIFY(!first);
        QVERIFY(!deletedWhileEmitting); // deleted only once its signal had returned
        auto* second = w.findChild<QUdpSocket*>();
        QVERIFY(second && second->state() == QAbstractSocket::BoundState);

        // The new socket reads the next board's reply.
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress("127.0.0.14"), 0));
        other.writeDatagram(reply("127.0.0.14"), QHostAddress::LocalHost, DiscoveryDatagram::ReplyPort);
        QTRY_COMPARE(w.tiles().size(), 2);
        QCOMPARE(keys(w), (QStringList{"127.0.0.13-502-LOCAL", "127.0.0.14-502-LOCAL"}));
    }
};

VELORA_CONSOLE_TEST_MAIN(TestMainDialogDiscovery)
#include "tst_maindialog_discovery.moc"
