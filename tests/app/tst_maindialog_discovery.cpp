// The plant window's discovery against hostile senders: spoofed replies, more new boards than a
// scan takes, and the socket replaced while its datagrams are being read.
#include "discoverydatagram.h"
#include "maindialogtest.h"

#include <QPointer>
#include <QUdpSocket>

namespace {
// The plant "LOCAL" on loopback; the test ticks the scan timer itself.
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

QByteArray reply(const QString& ip)
{
    return DiscoveryDatagram::buildReply("1.5.0", ip.toLatin1(), "Board", 2);
}
} // namespace

class TestMainDialogDiscovery : public MainDialogTest
{
    Q_OBJECT
private slots:
    // A known board 127.0.0.12 "Known" behind another plant's equipment; one reply heard and saved twice.
    // Replies sent from another address than the one they advertise change nothing.
    void repliesFromTheirOwnAddressOnly_data()
    {
        QTest::addColumn<QString>("advertised");
        QTest::addColumn<QString>("sender");
        QTest::newRow("new board") << "127.0.0.13"
                                   << "127.0.0.13";
        QTest::newRow("spoofed new board") << "127.0.0.13"
                                           << "127.0.0.99";
        QTest::newRow("spoofed rename") << "127.0.0.12"
                                        << "127.0.0.99";
        QTest::newRow("spoofed factory board") << "192.168.1.100"
                                               << "127.0.0.99";
    }
    void repliesFromTheirOwnAddressOnly()
    {
        QFETCH(QString, advertised);
        QFETCH(QString, sender);
        storeEquipments({"127.0.0.11-502-Farm"});
        MainDialog w;
        startLocalPlant(w);
        addInverter(w, "127.0.0.12", "LOCAL", false, "Known");
        w.SaveEquipmentList();
        for (int i = 0; i < 2; ++i) {
            QByteArray datagram = reply(advertised);
            w.ProcessTheDatagram(datagram, QHostAddress(sender));
            w.SaveEquipmentList();
        }
        const bool added = advertised == sender;
        QStringList keys{"127.0.0.12-502-LOCAL"}, names{"Inv0", "Known"};
        if (added)
            keys << "127.0.0.13-502-LOCAL", names << "Board";
        QCOMPARE(w.equipmentKeys().toList(), keys);
        QCOMPARE(w.tiles()[0]->getTheInvName(), QString("Known"));
        QCOMPARE(storedSetting("/app/Inverters/InvListNames"), names.join(',') + ',');
        QVERIFY(!w.unconfiguredPresent());
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
        answerAll(), answerAll();
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

    // A scan tick delivered by the settings writes of a reply replaces the socket whose readyRead()
    // is still being emitted: the old socket must go only once that has returned (a use after free
    // that the sanitizer pass catches).
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
        // Posted while the reply makes its tile, delivered by the settings writes that follow.
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

        const auto answer = [](QUdpSocket& board, const char* ip) {
            QVERIFY(board.bind(QHostAddress(ip), 0));
            board.writeDatagram(reply(ip), QHostAddress::LocalHost, DiscoveryDatagram::ReplyPort);
        };
        QUdpSocket board, other;
        answer(board, "127.0.0.13");
        QTRY_COMPARE(w.tiles().size(), 1);
        QVERIFY(tickedWhileReading);
        QTRY_VERIFY(!first);
        QVERIFY(!deletedWhileEmitting); // deleted only once its signal had returned
        auto* second = w.findChild<QUdpSocket*>();
        QVERIFY(second && second->state() == QAbstractSocket::BoundState);

        answer(other, "127.0.0.14");
        QTRY_COMPARE(w.tiles().size(), 2);
        QCOMPARE(w.equipmentKeys().toList(), (QStringList{"127.0.0.13-502-LOCAL", "127.0.0.14-502-LOCAL"}));
    }
};

VELORA_CONSOLE_TEST_MAIN(TestMainDialogDiscovery)
#include "tst_maindialog_discovery.moc"
