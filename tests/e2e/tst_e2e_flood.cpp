// The console's discovery under a flood: a host of the segment sends 10 000
// datagrams a second for 10 seconds to the console's discovery port, half
// malformed, half replies advertising other addresses than their sender's,
// while one real board (plantsim) answers the scans. Runs only inside the
// isolated network of scripts/netns-run.sh.
#include "consoletest.h"
#include "discoverydatagram.h"
#include "maindialog.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
const char* const ConsoleAddress = "192.168.1.10";
const char* const RealBoard = "192.168.1.20";
const char* const FloodHost = "192.168.1.22"; // a host of the segment that is no board of the plant
constexpr int DatagramsPerSecond = 10000, FloodSeconds = 10;

// Sends the flood from its own thread with plain sockets, paced per millisecond.
class FloodSender : public QThread
{
public:
    std::atomic<int> sent{0}, failed{0};
    FloodSender()
    {
        QRandomGenerator random(12);
        for (int i = 0; i < 100; ++i) {
            QByteArray junk(int(random.bounded(600)), '\0');
            for (char& c : junk)
                c = char(random.bounded(256));
            data << junk;
        }
        // Malformed replies: short, long, a wrong kind, address text or header field.
        const QByteArray good = DiscoveryDatagram::buildReply("1.5.0", "192.168.1.30", "Bad", 2);
        data << good.left(263) << good + '\0'
             << DiscoveryDatagram::buildReply("1.5.0", "192.168.1.31", "Bad", 4)
             << DiscoveryDatagram::buildReply("1.5.0", "192.168.1", "Bad", 2)
             << QByteArray(good).replace(14, 1, QByteArray(1, '\0'));
        // Replies advertising other addresses: new boards, the factory one, the real board renamed.
        for (int i = 0; i < 100; ++i)
            data << DiscoveryDatagram::buildReply("1.5.0", "192.168.1." + QByteArray::number(150 + i),
                                                  "Spoofed", quint8(2 + i % 2));
        data << DiscoveryDatagram::buildReply("1.5.0", "192.168.1.100", "Factory", 2)
             << DiscoveryDatagram::buildReply("1.5.0", RealBoard, "Spoofed", 2);
    }

protected:
    void run() override
    {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in from{}, to{};
        from.sin_family = to.sin_family = AF_INET;
        inet_pton(AF_INET, FloodHost, &from.sin_addr);
        inet_pton(AF_INET, ConsoleAddress, &to.sin_addr);
        to.sin_port = htons(DiscoveryDatagram::ReplyPort);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
            failed = DatagramsPerSecond * FloodSeconds;
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        for (int ms = 0, n = 0; ms < FloodSeconds * 1000; ++ms) {
            for (int k = 0; k < DatagramsPerSecond / 1000; ++k, ++n) {
                const QByteArray& d = data.at((n * 7) % data.size()); // malformed and spoofed interleaved
                ++(::sendto(fd, d.constData(), size_t(d.size()), 0, reinterpret_cast<sockaddr*>(&to),
                            sizeof to) == d.size()
                       ? sent
                       : failed);
            }
            std::this_thread::sleep_until(start + std::chrono::milliseconds(ms + 1));
        }
        ::close(fd);
    }

private:
    QList<QByteArray> data;
};
} // namespace

class TestE2eFlood : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    PlantSimProcess sim;
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        QVERIFY2(testsupport::unexpectedInterface({"velora0", "velora1"}).isEmpty(),
                 "not inside the isolated network; run through scripts/netns-run.sh");
        const QJsonObject board = consoletest::simBoard(
            "real", "inverter", 150,
            {{"name", "Real"}, {"address", RealBoard}, {"modbusPort", 502}, {"discoveryPort", 33000}});
        QVERIFY(sim.start({"--scenario", writeScenario(dir, {board}), "--no-ftp", "--quiet"}));
    }
    void floodOfHostileDatagrams()
    {
        testsupport::CategoryWarnings discoveryLog("velora.discovery");
        MainDialog w;
        FloodSender flood;
        QSignalSpy floodDone(&flood, &QThread::finished);
        bool addedDuringFlood = false;
        qint64 worstLateMs = 0;
        QElapsedTimer sinceLast;
        QTimer probe; // the plant window's event loop keeps turning under the flood
        connect(&probe, &QTimer::timeout, &w, [&] {
            if (flood.isRunning() && sinceLast.isValid())
                worstLateMs = qMax(worstLateMs, sinceLast.elapsed() - probe.interval());
            sinceLast.start();
            addedDuringFlood |= flood.isRunning() && !w.tiles().isEmpty();
        });
        probe.start(10);
        flood.start();
        w.CompleteFirstUse("velora0", ConsoleAddress, {"LOCAL"}, "LOCAL"); // scans start under the flood
        QVERIFY(floodDone.wait((FloodSeconds + 10) * 1000));
        probe.stop();
        qInfo("Plant window under the flood: worst event-loop lateness %lld ms (10 ms timer), %d datagrams "
              "sent",
              worstLateMs, int(flood.sent));
        QVERIFY2(flood.sent > DatagramsPerSecond * FloodSeconds / 2,
                 qPrintable(QString::number(flood.failed)));
        QVERIFY(addedDuringFlood);
        QCOMPARE(w.equipmentKeys().toList(), QStringList{QString(RealBoard) + "-502-LOCAL"});
        QCOMPARE(w.tiles().first()->getTheInvName(), QString("Real"));
        QVERIFY(!w.unconfiguredPresent());
        // What was dropped is told once per scan: a few lines for 100 000 datagrams.
        QTRY_VERIFY_WITH_TIMEOUT(!discoveryLog.lines().isEmpty(), 15000);
        const QString log = discoveryLog.lines().join('\n');
        QVERIFY2(discoveryLog.lines().size() <= 3, qPrintable(log));
        QVERIFY2(log.startsWith("Discovery scan: dropped ") && !log.startsWith("Discovery scan: dropped 0 "),
                 qPrintable(log));
        QTRY_VERIFY_WITH_TIMEOUT(!w.scanning(), 10000);
        QCOMPARE(w.equipmentKeys().size(), 1);
        testsupport::saveGrab(&w, "plant-after-flood");
    }
};

VELORA_CONSOLE_TEST_MAIN(TestE2eFlood)
#include "tst_e2e_flood.moc"
