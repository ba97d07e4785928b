// The plant window's discovery: the boards' replies, and hostile senders:
// replies that name another address than their sender's, more new boards
// than a scan takes, and the socket replaced while its datagrams are being read.
#include "discoverydatagram.h"
#include "maindialogtest.h"

#include <QPointer>
#include <QUdpSocket>

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
} // namespace

class TestMainDialogDiscovery : public MainDialogTest
{
    Q_OBJECT
private slots:
    // A known board 127.0.0.12 named "Known", stored behind another plant's
    // equipment; one reply from the given sender, heard twice, and saved twice.
    void repliesFromTheirOwnAddressOnly_data()
    {
        QTest::addColumn<QString>("advertised");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("added"); // the new equipment's stored name, empty: none
        QTest::addColumn<QString>("knownName");
        QTest::addColumn<bool>("unconfigured");
        const auto row = [](const char* tag, const char* advertised, const char* sender, const char* added,
                            const char* knownName, bool unconfigured) {
            QTest::newRow(tag) << QString(advertised) << QString(sender) << QString(added)
                               << QString(knownName) << unconfigured;
        };
        row("new board", "127.0.0.13", "127.0.0.13", "Board", "Known", false);
        row("new board, no name", "127.0.0.13", "127.0.0.13", "????", "Known", false);
        row("known board renamed", "127.0.0.12", "127.0.0.12", "", "Board", false);
        row("factory board", "192.168.1.100", "192.168.1.100", "", "Known", true);
        row("spoofed new board", "127.0.0.13", "127.0.0.99", "", "Known", false);
        row("spoofed rename", "127.0.0.12", "127.0.0.99", "", "Known", false);
        row("spoofed factory board", "192.168.1.100", "127.0.0.99", "", "Known", false);
    }
    void repliesFromTheirOwnAddressOnly()
    {
        QFETCH(QString, advertised);
        QFETCH(QString, sender);
        QFETCH(QString, added);
        QFETCH(QString, knownName);
        storeEquipments({"127.0.0.11-502-Farm"});
        MainDialog w;
        startLocalPlant(w);
        addInverter(w, "127.0.0.12", "LOCAL", false, "Known");
        w.SaveEquipmentList();
        for (int i = 0; i < 2; ++i) {
            QByteArray datagram = reply(advertised, added == "????" ? "" : "Board");
            w.ProcessTheDatagram(datagram, QHostAddress(sender));
            w.SaveEquipmentList();
        }
        QStringList keys{"127.0.0.12-502-LOCAL"}, names{"Inv0", knownName};
        if (!added.isEmpty())
            keys << "127.0.0.13-502-LOCAL", names << added;
        QCOMPARE(w.equipmentKeys().toList(), keys);
        QCOMPARE(w.tiles()[0]->getTheInvName(), knownName);
        QCOMPARE(storedSetting("/app/Inverters/InvListNames"), names.join(',') + ',');
        QTEST(w.unconfiguredPresent(), "unconfigured");
        w.setScanning(false);
        w.BackgroundActivity();
        QCOMPARE(labelText(&w, "TotalPower").endsWith(" [Unconfigured equip. present]"),
                 w.unconfiguredPresent());
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
        QCOMPARE(w.equipmentKeys().toList(), (QStringList{"127.0.0.13-502-LOCAL", "127.0.0.14-502-LOCAL"}));
    }
};

VELORA_CONSOLE_TEST_MAIN(TestMainDialogDiscovery)
#include "tst_maindialog_discovery.moc"
