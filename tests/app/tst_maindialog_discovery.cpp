// The plant window's discovery against hostile senders: replies that name
// another address than their sender's, more new boards than a scan takes,
// and the socket replaced while its datagrams are being read. Runs in a
// network namespace with only loopback, as the plant "LOCAL" broadcasts.
#include "appinfo.h"
#include "dialogaddmanually.h"
#include "discoverydatagram.h"
#include "invbutton.h"
#include "maindialog.h"
#include "testsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QUdpSocket>
#include <QtTest>

namespace {

QString stored(const char* key)
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                     appinfo::ApplicationName)
        .value(key)
        .toString();
}

// The plant "LOCAL" on loopback with the scan timer stopped: the test ticks it.
void startLocalPlant(MainDialog& w)
{
    w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL"}, "LOCAL");
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
        const QString outside = testsupport::interfaceOutside({"lo"});
        if (!outside.isEmpty())
            QFAIL(qPrintable("interface " + outside + " present; run through scripts/in-empty-netns.sh"));
    }
    void init() { sandbox = std::make_unique<testsupport::SandboxSettings>(); }

    // A known board 127.0.0.12 named "Known"; one reply from the given sender.
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
        MainDialog w;
        startLocalPlant(w);
        w.AddEquipment("127.0.0.12", "Known", "1.5.0", 502, 21, false, false, false, "NO_DNS_NAME", "LOCAL");
        w.SaveEquipmentList();
        QByteArray datagram = reply(advertised);
        w.ProcessTheDatagram(datagram, QHostAddress(sender));
        QCOMPARE(::keys(w), keys);
        QFETCH(QString, knownName);
        QCOMPARE(w.tiles()[0]->getTheInvName(), knownName);
        QCOMPARE(stored("/app/Inverters/InvListNames"), knownName + ",");
        QTEST(w.unconfiguredPresent(), "unconfigured");
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

        QMetaObject::invokeMethod(&w, "on_ButtonAdd_clicked");
        DialogAddManually* d = w.addManuallyDialog();
        d->findChild<QLineEdit*>("theIp")->setText("127.0.2.1");
        d->findChild<QLineEdit*>("thePort")->setText("502");
        d->findChild<QLineEdit*>("theFtpPort")->setText("21");
        d->ChkTimeout();
        d->on_ButtonAdd_clicked();
        w.BackgroundActivity();
        QCOMPARE(w.tiles().size(), DiscoveryScanFilter::MaxNewPerScan + 1);
        QVERIFY(discoveryLog.lines().isEmpty()); // nothing told while the scan runs

        tickToNextScan(w);
        QCOMPARE(discoveryLog.lines(),
                 QStringList{"Discovery scan: dropped 0 replies sent from another address than the one they "
                             "advertise and 16 new equipments over the limit of 32 per scan (0 other "
                             "datagrams ignored)"});
        QCOMPARE(stored("/app/Inverters/InvList").count(','), DiscoveryScanFilter::MaxNewPerScan + 1);
        answerAll();
        QCOMPARE(w.tiles().size(), boards + 1);
        tickToNextScan(w);
        QCOMPARE(discoveryLog.lines().size(), 1); // a scan that dropped nothing tells nothing
        QCOMPARE(stored("/app/Inverters/InvList").count(','), boards + 1);
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
