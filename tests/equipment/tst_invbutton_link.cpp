// The tile's request cycle against plantsim on loopback: the requests each
// kind of equipment sends, the wire faults and their visible outcome, the
// parameter writes and the clock setting. The cycle is driven tick by tick
// (poll timer stopped, SendQuery() called, the reply awaited).
#include "invbutton.h"
#include "simulator/plantsimprocess.h"
#include "testsupport.h"
#include "tiletexts.h"

#include <QLabel>
#include <QSettings>
#include <QtEndian>
#include <QtTest>

#include <memory>

namespace {
QJsonObject board(const QString& id, const QString& kind, int firmware, const QJsonObject& extra = {})
{
    QJsonObject b{{"id", id}, {"kind", kind}, {"firmware", firmware}, {"nominalPower", 6000}, {"name", id}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        b.insert(it.key(), it.value());
    return b;
}

QString statusText(InvButton& t)
{
    return t.findChild<QLabel*>("Disconnected_Label")->text();
}

// "79/32 128/1" as the request log shows them.
QStringList reads(const QString& list)
{
    QStringList out;
    for (const QString& s : list.split(' '))
        out << QString("fc=3 reg=%1 count=%2").arg(s.section('/', 0, 0), s.section('/', 1));
    return out;
}
} // namespace

class TestInvButtonLink : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;
    std::unique_ptr<PlantSimProcess> sim;
    QTemporaryDir dir;

    std::unique_ptr<InvButton> connectTile(const QString& id, const QString& version, bool zeta = false,
                                           bool tpx = false)
    {
        const quint16 port = sim->board(id).modbus;
        {
            QSettings s(QSettings::IniFormat, QSettings::UserScope, "KESTRELSunwerk",
                        QString("127.0.0.1-%1-Sim").arg(port));
            s.setValue("/inv/IsZETA", zeta);
            s.setValue("/inv/IsTPX", tpx);
            s.setValue("/inv/IsExcluded", false);
        }
        auto tile = std::make_unique<InvButton>();
        tile->setThePollInterval(0);
        tile->setTheHostAddress(QHostAddress::LocalHost);
        tile->SetInvInfo("127.0.0.1", id, "NO_DNS_NAME", version, port, 0, "Sim");
        tile->setTheStoragePath(sandbox->path() + "/", __LINE__);
        tile->Palesati();
        if (!QTest::qWaitFor([&] { return tile->getTheServerIsConnected(); }, 10000))
            return nullptr;
        sim->barrier();
        sim->clearRequests(id);
        return tile;
    }

    // One tick of the cycle and its reply; false when none came.
    static bool tick(InvButton& t)
    {
        QSignalSpy spy(&t, &InvButton::ReplyReceived);
        t.SendQuery();
        return spy.wait(5000);
    }

    static bool ticks(InvButton& t, int n)
    {
        for (int i = 0; i < n; ++i)
            if (!tick(t))
                return false;
        return true;
    }

private slots:
    void initTestCase()
    {
        sandbox = std::make_unique<testsupport::SandboxSettings>();
        QVERIFY2(QFile::exists(PlantSimProcess::program()), qPrintable(PlantSimProcess::program()));
        sim = std::make_unique<PlantSimProcess>();
        const QJsonArray boards = {
            board("inv", "inverter", 150,
                  {{"probes", 1}, {"selfConsumption", true}, {"resultWord", "0x0F32"}}),
            board("leg", "inverter", 122),
            board("zeta", "zeta", 100, {{"versionText", "1.0.0"}, {"selfConsumption", true}}),
            board("zeta2", "zeta", 150, {{"selfConsumption", true}}),
            board("sb", "stringbox", 130),
            board("tpx", "tpx", 150),
            board("drop", "inverter", 150),
        };
        QVERIFY(sim->start({"--scenario", writeScenario(dir, boards), "--loopback", "--no-ftp", "--no-udp",
                            "--update-ms", "200"}));
    }

    void cleanupTestCase() { sim.reset(); }

    void kindSequences_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<bool>("tpx");
        QTest::addColumn<QStringList>("expected");
        const struct
        {
            const char *row, *id, *version;
            bool zeta, tpx;
            const char* reads;
        } rows[] = {
            {"inverter", "inv", "1.5.0", false, false,
             "79/32 128/1 800/71 500/204 10/42 6/3 1000/10 10/42 200/3 6/3 1000/10 10/42"},
            {"legacy inverter", "leg", "1.2.2", false, false, "79/32 128/1 10/31 6/2 10/31 6/2"},
            {"zeta 1.0.0", "zeta", "1.0.0", true, false, "79/32 128/1 800/71 500/204 10/31 6/2 10/31 6/2"},
            {"zeta 1.5.0", "zeta2", "1.5.0", true, false,
             "79/32 128/1 800/111 500/204 10/42 6/3 1000/10 10/42 200/3 6/3"},
            {"string box", "sb", "SB_1.3.0", false, false, "20/8 20/8 20/8 20/8"},
            {"tpx", "tpx", "1.5.0", false, true, "0/4 11/75 120/9 0/4 11/75 120/9"},
        };
        for (const auto& r : rows)
            QTest::newRow(r.row) << QString(r.id) << QString(r.version) << r.zeta << r.tpx << reads(r.reads);
    }
    void kindSequences()
    {
        QFETCH(QString, id);
        QFETCH(QString, version);
        QFETCH(bool, zeta);
        QFETCH(bool, tpx);
        QFETCH(QStringList, expected);
        auto tile = connectTile(id, version, zeta, tpx);
        QVERIFY(tile);
        QCOMPARE(statusText(*tile), QString("Ready."));
        QVERIFY(ticks(*tile, expected.size()));
        QVERIFY(sim->barrier());
        QCOMPARE(sim->requests(id), expected);
        QCOMPARE(tile->getTheMissedReplies(), 0);
        if (!tile->getIsStringBox() && !tile->getTheInvIsTPX()) {
            QCOMPARE(tile->getTheNominalPower(), 6000.0);
            QVERIFY(tile->getTheMeasuresAreValid());
            tile->UpdateValues();
            QCOMPARE(tile->findChildren<QLabel*>("theInstantPower")[0]->text(),
                     TileTexts::powerText(tile->InstantPower(), zeta));
        }
        testsupport::saveGrab(tile.get(), "link-" + id);
    }

    void wrongLengthRepeatsAndSlowsDown()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 2)); // identity, version
        QCOMPARE(tile->getTheQueryStatus(), 12);
        QVERIFY(sim->command("fault inv wrong-length on"));
        QCOMPARE(tile->getThePollInterval(), 300);
        for (int i = 1; i <= 8; ++i) {
            if (i == 1) {
                QTest::ignoreMessage(QtDebugMsg, "ERROR theSize (151, 152) theQueryStatus = 12 [127.0.0.1]");
                QTest::ignoreMessage(QtDebugMsg,
                                     "incomingdata: READ 152 bytes (expected 151) - STATUS = 12 [127.0.0.1]");
            }
            QSignalSpy spy(tile.get(), &InvButton::ReplyReceived);
            tile->SendQuery();
            QVERIFY(spy.wait(5000));
            QCOMPARE(spy.at(0).at(1).toInt(), 152);
            QCOMPARE(spy.at(0).at(2).toBool(), false);
            QCOMPARE(tile->getTheQueryStatus(), 12);
            QCOMPARE(tile->getThePollInterval(), qMin(300 + 100 * i, 1000));
        }
        QVERIFY(sim->command("fault inv wrong-length off"));
        QVERIFY(tick(*tile));
        QCOMPARE(tile->getTheQueryStatus(), 10);
        QVERIFY(sim->barrier());
        QStringList repeated;
        for (int i = 0; i < 9; ++i)
            repeated << "fc=3 reg=800 count=71";
        QCOMPARE(sim->requests("inv").mid(2), repeated);
        QCOMPARE(tile->getThePollInterval(), 1000); // never shrinks
    }

    void splitReplyCountsTwice()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        QVERIFY(sim->command("fault inv split on"));
        QSignalSpy spy(tile.get(), &InvButton::ReplyReceived);
        tile->SendQuery();
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, 5000);
        QCOMPARE(spy.at(0).at(1).toInt() + spy.at(1).at(1).toInt(), 73);
        QVERIFY(!spy.at(0).at(2).toBool() && !spy.at(1).at(2).toBool());
        QCOMPARE(tile->getThePollInterval(), 500);
        QCOMPARE(tile->getTheQueryStatus(), 1);
        QVERIFY(sim->command("fault inv split off"));
        QVERIFY(tick(*tile));
        QCOMPARE(tile->getTheQueryStatus(), 2);
    }

    void exceptionReplies_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("logged");
        QTest::newRow("short exception") << "exception" << 9 << false;
        QTest::newRow("exception of expected length") << "exception-full" << 73 << true;
    }
    void exceptionReplies()
    {
        QFETCH(QString, fault);
        QFETCH(bool, logged);
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        const QString logPath = tile->getTheStorageFolder() + "/Inv.Log";
        QFile::remove(logPath);
        QVERIFY(sim->command("fault inv " + fault + " on"));
        QSignalSpy spy(tile.get(), &InvButton::ReplyReceived);
        tile->SendQuery();
        QVERIFY(spy.wait(5000));
        QTEST(spy.at(0).at(1).toInt(), "bytes");
        QVERIFY(!spy.at(0).at(2).toBool());
        QCOMPARE(tile->getTheQueryStatus(), 1);
        QCOMPARE(tile->getThePollInterval(), logged ? 300 : 400);
        QFile log(logPath);
        QCOMPARE(log.open(QIODevice::ReadOnly), logged);
        if (logged)
            QVERIFY(log.readAll().trimmed().endsWith("-127.0.0.1: Error MODBUS TCP!"));
        QVERIFY(sim->command("fault inv " + fault + " off"));
        QVERIFY(tick(*tile));
        QCOMPARE(tile->getTheQueryStatus(), 2);
    }

    void silenceShowsTimeoutAndRecovers()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 5)); // up to the first measures
        tile->UpdateValues();
        QVERIFY(tile->getTheMeasuresAreValid());
        QVERIFY(sim->command("fault inv silent on"));
        for (int i = 0; i < 9; ++i)
            tile->SendQuery();
        QCOMPARE(statusText(*tile), QString(""));
        tile->SendQuery();
        QCOMPARE(statusText(*tile), QString("TIMEOUT"));
        QCOMPARE(tile->findChildren<QLabel*>("theInstantPower")[0]->text(), QString("P = ----"));
        QCOMPARE(tile->findChildren<QLabel*>("theInstantPower")[1]->text(), QString("E = ----"));
        QCOMPARE(tile->findChild<QLabel*>("InvTemp")->text(), QString("----"));
        QVERIFY(!tile->getTheMeasuresAreValid());
        QCOMPARE(tile->getTheQueryStatus(), 1);
        QCOMPARE(tile->getTheMissedReplies(), 10);
        QVERIFY(tile->getTheServerIsConnected()); // the connection is kept
        QVERIFY(sim->command("fault inv silent off"));
        // Requests still in flight when the board wakes up may be answered
        // together with the next one; the link recovers at the first whole reply.
        bool handled = false;
        for (int i = 0; i < 6 && !handled; ++i) {
            QSignalSpy spy(tile.get(), &InvButton::ReplyReceived);
            tile->SendQuery();
            handled = spy.wait(3000) && spy.last().at(2).toBool();
        }
        QVERIFY(handled);
        QCOMPARE(tile->getTheMissedReplies(), 0);
        QCOMPARE(tile->getTheQueryStatus(), 2);
    }

    void lateReplyIsNotRequestedTwice()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 2));
        QVERIFY(sim->command("fault inv silent on"));
        const int before = sim->linesStartingWith("FAULT inv silent").size();
        for (int i = 0; i < 7; ++i)
            tile->SendQuery();
        QVERIFY(sim->barrier());
        // Sent at the first tick, then again every third tick while unanswered.
        QTRY_COMPARE(sim->linesStartingWith("FAULT inv silent").size() - before, 3);
        QVERIFY(sim->command("fault inv silent off"));
    }

    void refusedThenBack()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 2));
        QVERIFY(sim->command("fault inv refuse on"));
        QTRY_VERIFY(!tile->getTheServerIsConnected());
        QCOMPARE(statusText(*tile), QString("Disconnected."));
        QVERIFY(tile->getTheInvIsUnreachable());
        QCOMPARE(tile->getTheQueryStatus(), 1);
        QCOMPARE(tile->InstantPowerForPlant(), 0.0);
        // The reconnect, 3 s later, is refused.
        QTRY_COMPARE_WITH_TIMEOUT(statusText(*tile), QString("Starting..."), 10000);
        QVERIFY(tile->findChild<QWidget*>("ButtonCancel")->isEnabled());
        QVERIFY(sim->command("fault inv refuse off"));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        QCOMPARE(statusText(*tile), QString("Ready."));
        QVERIFY(!tile->findChild<QWidget*>("ButtonCancel")->isEnabled());
        QVERIFY(tick(*tile));
        QCOMPARE(tile->getTheQueryStatus(), 2);
    }

    void droppedConnectionReconnects()
    {
        auto tile = connectTile("drop", "1.5.0");
        QVERIFY(tile);
        QVERIFY(sim->command("fault drop drop on"));
        tile->SendQuery();
        QTRY_VERIFY(!tile->getTheServerIsConnected());
        QCOMPARE(statusText(*tile), QString("Disconnected."));
        QVERIFY(sim->command("fault drop drop off"));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        QVERIFY(ticks(*tile, 2));
        QCOMPARE(tile->getTheQueryStatus(), 12);
    }

    void reconnectWhileConnectedIsOnlyLogged()
    {
        auto tile = connectTile("leg", "1.2.2");
        QVERIFY(tile);
        tile->ForceReconnect();
        QVERIFY(tile->getTheServerIsConnected());
        QFile log(tile->getTheStorageFolder() + "/Inv.Log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().trimmed().endsWith("-127.0.0.1: Try reconnect WHEN Connected."));
        QVERIFY(tick(*tile));
    }

    void socketErrorTexts()
    {
        auto tile = connectTile("leg", "1.2.2");
        QVERIFY(tile);
        tile->SocketError(QAbstractSocket::NetworkError);
        QCOMPARE(statusText(*tile), QString("Equipment disconnected or faulty connection."));
        QVERIFY(tile->getTheInvIsUnreachable());
        tile->setTheServerIsConnected(true);
        tile->OneSecondActivity(); // seen now
        const QDateTime before = QDateTime::currentDateTime();
        tile->SocketError(QAbstractSocket::NetworkError);
        const QString text = statusText(*tile);
        QVERIFY2(text.startsWith("Last seen: "), qPrintable(text));
        const QDateTime shown = QDateTime::fromString(text.mid(11), "dd-MM-yyyy hh:mm:ss");
        QVERIFY(shown.isValid());
        QVERIFY(qAbs(shown.secsTo(before)) <= 2);
    }

    void statusBit2ReadsTheTypeBlockAgain()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 8));
        sim->barrier();
        sim->clearRequests("inv");
        QVERIFY(sim->command("set inv status-bit 2 on"));
        QVERIFY(ticks(*tile, 8));
        QVERIFY(sim->barrier());
        const QStringList r = sim->requests("inv");
        const int status = r.indexOf("fc=3 reg=6 count=3");
        QVERIFY(status >= 0);
        QCOMPARE(r.mid(status + 1, 3), reads("800/71 500/204 10/42"));
    }

    void parameterWrite_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("code");
        // One result word each way: every word's meaning is checked on the decoder alone.
        QTest::addRow("current ok") << "inv" << 0x0F32 << 2;
        QTest::addRow("current unknown") << "inv" << 0x0034 << -1;
        QTest::addRow("legacy ok") << "leg" << 0x0F32 << 2;
    }
    void parameterWrite()
    {
        QFETCH(QString, id);
        QFETCH(int, word);
        auto tile = connectTile(id, id == "leg" ? "1.2.2" : "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 3));
        QVERIFY(sim->command(QString("set %1 result %2").arg(id).arg(word)));
        const quint16 host[8] = {0x0003, 80, 150, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 120};
        unsigned short wire[8];
        for (int i = 0; i < 8; ++i)
            wire[i] = qToBigEndian(host[i]);
        tile->SetPwConfig(wire);
        tile->setTheSendConfigAsSoonAsPossible(true);
        sim->barrier();
        sim->clearRequests(id);
        const bool legacy = tile->getTheProtocolFlags().legacy;
        const int writes = legacy ? 7 : 1;
        QVERIFY(ticks(*tile, writes + 2));
        QVERIFY(!tile->getTheSendConfigAsSoonAsPossible());
        QTEST(tile->getTheLastCommandResult(), "code");
        QCOMPARE(tile->getTheQueryStatus(), 3);
        QVERIFY(sim->barrier());
        QStringList expected;
        if (legacy) {
            for (int i = 0; i < 7; ++i)
                expected << QString("fc=6 reg=%1 count=1").arg(140 + i);
        } else {
            expected << "fc=16 reg=140 count=8";
        }
        expected << "fc=6 reg=112 count=1"
                 << "fc=3 reg=116 count=1";
        QCOMPARE(sim->requests(id), expected);
        const QStringList written =
            sim->linesStartingWith(QString("REQ %1 fc=%2 reg=14").arg(id).arg(legacy ? 6 : 16));
        QVERIFY(!written.isEmpty());
        if (legacy)
            QVERIFY(written.last().endsWith("values=65535")); // word 6 of the block
        else
            QVERIFY(written.last().endsWith("values=3,80,150,65535,65535,65535,65535,120"));
    }

    void hourlyClockSetting()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 5));
        const int before = tile->getTheQueryStatus();
        int calls = 0;
        while (tile->getTheQueryStatus() != 13 && calls < 12) {
            tile->TheSlowTimer();
            ++calls;
        }
        QCOMPARE(tile->getTheQueryStatus(), 13);
        QCOMPARE(tile->getTheSavedQueryStatus(), before);
        sim->barrier();
        sim->clearRequests("inv");
        QVERIFY(tick(*tile));
        QCOMPARE(tile->getTheQueryStatus(), before);
        QVERIFY(sim->barrier());
        QCOMPARE(sim->requests("inv"), QStringList{"fc=16 reg=160 count=6"});
        const QStringList clock = sim->linesStartingWith("CLOCK inv ");
        QVERIFY(!clock.isEmpty());
        QCOMPARE(clock.last().mid(10, 10), QDate::currentDate().toString("yyyy-MM-dd"));
        // The next one comes twelve slow ticks later.
        for (int i = 0; i < 11; ++i)
            tile->TheSlowTimer();
        QCOMPARE(tile->getTheQueryStatus(), before);
        tile->TheSlowTimer();
        QCOMPARE(tile->getTheQueryStatus(), 13);
    }

    void dailyValuesEvery600Ticks()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 600));
        QVERIFY(sim->barrier());
        const QStringList r = sim->requests("inv");
        QCOMPARE(r.size(), 600);
        QList<int> daily;
        for (int i = 0; i < r.size(); ++i)
            if (r[i] == "fc=3 reg=500 count=204")
                daily << i + 1;
        QCOMPARE(daily, (QList<int>{4, 600}));
    }

    void excludedSendsNothing()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        tile->ExcludeButton();
        QVERIFY(!tile->getTheServerIsConnected());
        for (int i = 0; i < 5; ++i)
            tile->SendQuery();
        QCOMPARE(statusText(*tile), QString("EXCLUDED"));
        QCOMPARE(tile->getTheQueryStatus(), 1);
        QVERIFY(sim->barrier());
        QVERIFY(sim->requests("inv").isEmpty());
        tile->ExcludeButton();
        QVERIFY(tick(*tile));
        QCOMPARE(tile->getTheQueryStatus(), 2);
    }
};

QTEST_MAIN(TestInvButtonLink)
#include "tst_invbutton_link.moc"
