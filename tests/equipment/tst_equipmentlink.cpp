// The equipment link against plantsim on loopback, its cycle driven tick by tick.
#include "equipmentlink.h"
#include "parameterblock.h"
#include "plantsimprocess.h"
#include "testsupport.h"

#include <QtEndian>
#include <QtTest>

#include <memory>

using namespace querytable;

namespace {
bool ticks(EquipmentLink& link, int n = 1)
{
    return repliedTicks(link, &EquipmentLink::replyReceived, n);
}
// Ticks until a reply is handled (an unanswered request is repeated every third
// tick, late replies may come first); false after six.
bool ticksUntilHandled(EquipmentLink& link)
{
    for (int i = 0; i < 6; ++i) {
        QSignalSpy spy(&link, &EquipmentLink::replyReceived);
        link.SendQuery();
        if (spy.wait(3000) && spy.last().at(2).toBool())
            return true;
    }
    return false;
}

// The reads a board is expected to log, "79:32 128:1" as "fc=3 reg=79 count=32", ...
QStringList reads(const QString& blocks)
{
    QStringList out;
    for (const QString& b : blocks.split(' '))
        out << QString("fc=3 reg=%1 count=%2").arg(b.section(':', 0, 0), b.section(':', 1));
    return out;
}
} // namespace

class TestEquipmentLink : public QObject
{
    Q_OBJECT
    std::unique_ptr<PlantSimProcess> sim;
    QTemporaryDir dir;

    // A link to one board, its cycle stopped, not yet connected.
    std::unique_ptr<EquipmentLink> makeLink(const QString& id)
    {
        auto link = std::make_unique<EquipmentLink>();
        link->setPollInterval(0);
        link->setHostAddress(QHostAddress::LocalHost);
        link->setStringBox(id == "sb");
        link->setTpx(id == "tpx");
        link->setTarget("127.0.0.1", sim->board(id).modbus);
        link->setStorageFolder(dir.filePath(id));
        QDir().mkpath(dir.filePath(id));
        return link;
    }
    bool connectLink(EquipmentLink& link, const QString& id)
    {
        link.OpenSocket();
        if (!QTest::qWaitFor([&] { return link.isConnected(); }, 10000))
            return false;
        sim->barrier();
        sim->clearRequests(id);
        return true;
    }
    std::unique_ptr<EquipmentLink> connectLink(const QString& id)
    {
        auto link = makeLink(id);
        return connectLink(*link, id) ? std::move(link) : nullptr;
    }
    // Requests that reached the board, answered or not.
    int requestsSeen(const QString& id) const
    {
        return sim->linesStartingWith("REQ " + id + ' ').size() +
               sim->linesStartingWith("FAULT " + id + " silent").size() +
               sim->linesStartingWith("FAULT " + id + " drop").size();
    }

private slots:
    void initTestCase()
    {
        QJsonArray boards;
        const auto board = [](const char* id, const char* kind, int firmware) {
            return QJsonObject{{"id", id},
                               {"kind", kind},
                               {"firmware", firmware},
                               {"name", id},
                               {"nominalPower", 6000},
                               {"selfConsumption", true},
                               {"resultWord", "0x0F32"}};
        };
        boards << board("inv", "inverter", 150) << board("leg", "inverter", 122)
               << board("sb", "stringbox", 130) << board("tpx", "tpx", 150);
        sim = std::make_unique<PlantSimProcess>();
        QVERIFY(sim->start({"--scenario", writeScenario(dir, boards), "--loopback", "--no-ftp", "--no-udp",
                            "--update-ms", "200"}));
    }
    void cleanupTestCase() { sim.reset(); }

    // Each kind of equipment walks its own cycle from the first tick.
    void kindSequences_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<bool>("logSync"); // a log synchronisation is due on connecting
        // clang-format off
        QTest::newRow("inverter") << "inv" << reads("79:32 128:1 800:71 500:204 10:42 6:3 1000:10 10:42 200:3 6:3") << true;
        QTest::newRow("legacy inverter") << "leg" << reads("79:32 128:1 10:31 6:2 10:31 6:2") << true;
        QTest::newRow("string box") << "sb" << reads("20:8 20:8 20:8") << false;
        QTest::newRow("tpx") << "tpx" << reads("0:4 11:75 120:9 0:4") << true;
        // clang-format on
    }
    void kindSequences()
    {
        QFETCH(QString, board);
        QFETCH(QStringList, requests);
        auto link = makeLink(board);
        QSignalSpy logSync(link.get(), &EquipmentLink::logSyncDue);
        QVERIFY(connectLink(*link, board));
        QCOMPARE(link->statusText(), QString("Ready."));
        QTEST(logSync.size() == 1, "logSync");
        QVERIFY(ticks(*link, requests.size()));
        QVERIFY(sim->barrier());
        QCOMPARE(sim->requests(board), requests);
        QCOMPARE(link->missedReplies(), 0);
        QCOMPARE(link->tpxBlockCWasRead(), board == "tpx");
        link->TheSlowTimer();
        QTEST(logSync.size() == 2, "logSync");
    }

    // Replies not taken: the request is repeated, wrong lengths slow the cycle, silence shows
    // TIMEOUT on the tenth tick; the connection is kept and the next whole reply recovers.
    void faultyReplies_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("ticksBefore");
        QTest::addColumn<int>("faultTicks");
        QTest::addColumn<int>("requests");       // requests that reach the board meanwhile
        QTest::addColumn<QList<int>>("replies"); // sizes of the replies received meanwhile
        QTest::addColumn<int>("interval");
        QTest::addColumn<QueryState>("state");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("silent"); // measures invalid, not reachable, FTP job closed
        QTest::addColumn<QString>("logged");
        QTest::addColumn<QueryState>("after");
        // clang-format off
        QTest::newRow("wrong length") << "wrong-length" << 2 << 1 << 1 << QList<int>{152} << 400 << TypeBlock << "" << false << "" << DailyValues;
        QTest::newRow("exception of full length") << "exception-full" << 0 << 1 << 1 << QList<int>{73} << 300 << Identity << "Ready." << false << "-127.0.0.1: Error MODBUS TCP!" << Version;
        QTest::newRow("short exception") << "exception" << 0 << 1 << 1 << QList<int>{9} << 400 << Identity << "Ready." << false << "" << Version;
        QTest::newRow("reply split over two reads") << "split" << 0 << 1 << 1 << QList<int>{36, 37} << 500 << Identity << "Ready." << false << "" << Version;
        // Unanswered, a request goes out again only every third tick.
        QTest::newRow("silent board") << "silent" << 5 << 10 << 4 << QList<int>{} << 300 << Identity << "TIMEOUT" << true << "" << Version;
        // clang-format on
    }
    void faultyReplies()
    {
        QFETCH(QString, fault);
        QFETCH(int, ticksBefore);
        QFETCH(int, faultTicks);
        QFETCH(QList<int>, replies);
        QFETCH(QString, logged);
        auto link = connectLink("inv");
        QVERIFY(link);
        QVERIFY(ticks(*link, ticksBefore));
        QCOMPARE(link->measuresAreValid(), ticksBefore >= 5);
        QFile log(dir.filePath("inv/Inv.Log"));
        log.remove();
        QSignalSpy ftpClosed(link.get(), &EquipmentLink::ftpJobMustClose);
        QSignalSpy spy(link.get(), &EquipmentLink::replyReceived);
        const quint64 failedBefore = link->repliesFailed(), handledBefore = link->repliesHandled();
        const int requestsBefore = requestsSeen("inv");
        QVERIFY(sim->command("fault inv " + fault + " on"));
        const QString statusBefore = link->statusText();
        QString statusBeforeLastTick;
        for (int i = 0; i < faultTicks; ++i) {
            statusBeforeLastTick = link->statusText();
            link->SendQuery();
        }
        QTRY_COMPARE(spy.size(), replies.size());
        QVERIFY(sim->barrier());
        QTEST(requestsSeen("inv") - requestsBefore, "requests");
        for (int i = 0; i < replies.size(); ++i)
            QVERIFY(spy.at(i).at(1).toInt() == replies[i] && !spy.at(i).at(2).toBool());
        QCOMPARE(link->repliesFailed() - failedBefore, quint64(replies.size()));
        QCOMPARE(link->repliesHandled(), handledBefore);
        QTEST(link->pollInterval(), "interval");
        QTEST(link->queryState(), "state");
        QTEST(link->statusText(), "status");
        if (faultTicks > 1) // shown at the last tick, not before
            QCOMPARE(statusBeforeLastTick, statusBefore);
        QVERIFY(link->isConnected()); // the connection is kept
        QTEST(!link->measuresAreValid() && !link->isReachable() && !ftpClosed.isEmpty(), "silent");
        QCOMPARE(log.open(QIODevice::ReadOnly) ? QString(log.readAll().trimmed()).right(logged.size()) : "",
                 logged);

        QVERIFY(sim->command("fault inv " + fault + " off") && ticksUntilHandled(*link));
        QCOMPARE(link->missedReplies(), 0);
        QTEST(link->queryState(), "after");
        QVERIFY(ticks(*link));
        QVERIFY(link->isReachable());
    }

    // Closed or refused: the link reconnects until the board takes it, and starts its cycle anew.
    void lostConnection_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("ticksBefore");
        QTest::addColumn<QString>("statusWhileDown");
        QTest::newRow("refused") << "refuse" << 0 << "Starting...";
        QTest::newRow("dropped mid-cycle") << "drop" << 3 << "Disconnected.";
    }
    void lostConnection()
    {
        QFETCH(QString, fault);
        QFETCH(int, ticksBefore);
        QFETCH(QString, statusWhileDown);
        auto link = connectLink("inv");
        QVERIFY(link);
        QVERIFY(ticks(*link, ticksBefore));
        QSignalSpy unreachable(link.get(), &EquipmentLink::madeUnreachable);
        QVERIFY(sim->command("fault inv " + fault + " on"));
        if (ticksBefore > 0) // the drop acts on the next request
            link->SendQuery();
        QTRY_VERIFY(!link->isConnected());
        QTRY_COMPARE_WITH_TIMEOUT(link->statusText(), statusWhileDown, 10000);
        QVERIFY(link->isUnreachable());
        QVERIFY(!unreachable.isEmpty());
        QCOMPARE(link->queryState(), Identity);
        QCOMPARE(link->instantPowerForPlant(), 0.0);
        QVERIFY(sim->command("fault inv " + fault + " off"));
        QTRY_VERIFY_WITH_TIMEOUT(link->isConnected(), 10000);
        QCOMPARE(link->statusText(), QString("Ready."));
        QVERIFY(ticks(*link));
        QCOMPARE(link->queryState(), Version);
    }

    // A send asked for before the version is known waits for it (which decides how the registers
    // go out); a result word outside the table ends it as unknown.
    void writeWaitsForTheVersion()
    {
        QVERIFY(sim->command("set leg result 52"));
        auto link = connectLink("leg");
        QVERIFY(link);
        QSignalSpy finished(link.get(), &EquipmentLink::parameterSendFinished);
        const quint16 host[8] = {0x0003, 80, 150, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 120};
        unsigned short wire[8];
        qToBigEndian<quint16>(host, 8, wire);
        link->SetPwConfig(wire);
        link->setSendConfigAsSoonAsPossible(true);
        QVERIFY(link->parameterSendPending());
        QStringList sequence = reads("79:32 128:1"); // identity and version first
        for (int i = 0; i < 7; ++i)
            sequence << QString("fc=6 reg=%1 count=1").arg(140 + i);
        sequence << "fc=6 reg=112 count=1"
                 << "fc=3 reg=116 count=1";
        QVERIFY(ticks(*link, sequence.size()));
        QVERIFY(sim->barrier());
        QCOMPARE(sim->requests("leg"), sequence);
        QCOMPARE(link->queryState(), Measures);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), -1);
        QVERIFY(!link->parameterSendPending());
    }

    // A send that cannot end is given up, and its block is not written later. A silent board
    // gives up the same way (NoAnswer, nothing applied): the plant-wide send covers it end to end.
    void sendGivenUp_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("excluded");
        QTest::addColumn<int>("stepsFirst"); // steps of the sequence answered before the fault
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("applies"); // apply commands that reached the board
        const int error = parameterblock::ModbusError, none = parameterblock::NoAnswer;
        QTest::newRow("exception to the write") << "exception-full" << false << 0 << error << 0;
        QTest::newRow("exception to the result") << "exception-full" << false << 2 << error << 1;
        QTest::newRow("connection dropped") << "drop" << false << 0 << none << 0;
        QTest::newRow("excluded") << "" << true << 0 << none << 0;
    }
    void sendGivenUp()
    {
        QFETCH(QString, fault);
        QFETCH(bool, excluded);
        QFETCH(int, stepsFirst);
        auto link = connectLink("inv");
        QVERIFY(link);
        QVERIFY(ticks(*link, 2)); // the version is known
        QSignalSpy finished(link.get(), &EquipmentLink::parameterSendFinished);
        const int writesBefore = sim->linesStartingWith("REQ inv fc=16 reg=140 ").size();
        const int appliesBefore = sim->linesStartingWith("APPLY inv ").size();
        unsigned short wire[8] = {0x0100, 0x3200, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
        link->SetPwConfig(wire);
        link->setSendConfigAsSoonAsPossible(true);
        link->setExcluded(excluded);
        QVERIFY(ticks(*link, stepsFirst));
        if (!fault.isEmpty())
            QVERIFY(sim->command("fault inv " + fault + " on"));
        link->SendQuery();
        QTRY_COMPARE(finished.size(), 1);
        QTEST(finished.at(0).at(0).toInt(), "outcome");
        QVERIFY(!link->parameterSendPending());
        QVERIFY(!link->sendConfigAsSoonAsPossible());
        const QueryState after = link->queryState();
        QVERIFY(after != ParametersWrite && after != CommandApply && after != CommandResult);

        QVERIFY(sim->barrier()); // the fault's requests are taken before it ends
        if (!fault.isEmpty())
            QVERIFY(sim->command("fault inv " + fault + " off"));
        link->setExcluded(false);
        QTRY_VERIFY_WITH_TIMEOUT(link->isConnected(), 10000);
        QVERIFY(ticksUntilHandled(*link));
        QVERIFY(ticks(*link, 3));
        QVERIFY(sim->barrier());
        QCOMPARE(sim->linesStartingWith("REQ inv fc=16 reg=140 ").size() - writesBefore,
                 stepsFirst > 0 || fault == "exception-full" ? 1 : 0);
        QTEST(int(sim->linesStartingWith("APPLY inv ").size()) - appliesBefore, "applies");
        QCOMPARE(finished.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestEquipmentLink)
#include "tst_equipmentlink.moc"
