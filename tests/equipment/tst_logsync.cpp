// An equipment's FTP jobs against plantsim's file servers on loopback, without widgets.
#include "boardftp.h"
#include "equipmentlink.h"
#include "equipmentsettings.h"
#include "ftpclient.h"
#include "logsync.h"
#include "plantsimprocess.h"
#include "storagepaths.h"
#include "testsupport.h"
#include "totalslog.h"

#include <QCryptographicHash>
#include <QSettings>
#include <QtTest>

#include <memory>

namespace {
constexpr int HistoryDays = 5;
const QByteArray LocalCopy = "local copy, kept\n";

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}
bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}
QString day(int offset)
{
    return StoragePaths::dailyLogName(QDate::currentDate().addDays(offset));
}
QString totalsNow()
{
    return StoragePaths::totalsLogName(QDate::currentDate().year());
}
// Every totals log a board serves in its log folder for the given past days.
QStringList totalsNames(int days)
{
    QStringList out;
    for (int y = QDate::currentDate().addDays(-days).year(); y <= QDate::currentDate().year(); ++y)
        out << StoragePaths::totalsLogName(y);
    return out;
}
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}
QStringList sorted(QStringList l)
{
    l.removeDuplicates();
    l.sort();
    return l;
}
// A file as our bare client fetches it from the board ("" on failure).
QByteArray remoteFile(quint16 port, const QString& folder, const QString& name)
{
    FtpClient ftp;
    QSignalSpy done(&ftp, &FtpClient::done);
    ftp.connectToHost("127.0.0.1", port);
    ftp.login(boardftp::User, boardftp::Password);
    if (!folder.isEmpty())
        ftp.cd(folder);
    ftp.get(name);
    ftp.close();
    return done.wait(10000) && !done.first().at(0).toBool() ? ftp.readAll() : QByteArray();
}

// One equipment's link (not connected unless asked) and FTP jobs, its own folder, short timeouts.
struct Equipment
{
    QTemporaryDir root;
    EquipmentLink link;
    LogSync sync{&link};
    StoragePaths paths;
    EquipmentSettings settings;
    MonthlyEnergyCache cache;
    QStringList statuses, events;
    quint16 ftpPort = 0;

    Equipment(PlantSimProcess& sim, const QString& board)
    {
        const SimBoard b = sim.board(board);
        ftpPort = b.ftp;
        link.setHostAddress(QHostAddress::LocalHost);
        link.setTarget("127.0.0.1", b.modbus);
        link.setStringBox(board == "sb");
        link.setTpx(board == "tpx");
        paths = StoragePaths(root.path(), "127.0.0.1", b.modbus, "Sim");
        paths.create();
        link.setStorageFolder(paths.storageFolder());
        settings.open(QString("127.0.0.1-%1-Sim").arg(b.modbus));
        settings.load("NO_DNS_NAME");
        settings.setLastSync(QString());
        sync.setFtpPort(b.ftp);
        sync.setStorage(paths);
        sync.setSettings(&settings);
        sync.setMonthlyEnergyCache(&cache);
        sync.setActivityTimeouts(1500, 3000);
        QObject::connect(&sync, &LogSync::statusChanged, [this](const QString& s) { statuses << s; });
        QObject::connect(&sync, &LogSync::buttonsEnabled,
                         [this](bool on) { events << (on ? "buttons on" : "buttons off"); });
        QObject::connect(&sync, &LogSync::syncEnded, [this] { events << "sync ended"; });
        QObject::connect(&sync, &LogSync::snapshotFetched, [this] { events << "snapshot"; });
    }
    QString folder() const { return paths.storageFolder(); }
    QString file(const QString& name) const { return paths.filePath(name); }
    bool connect()
    {
        return link.OpenSocket(), QTest::qWaitFor([&] { return link.isConnected(); }, 10000);
    }
    // Until the running job, and any job it chains to, has ended.
    bool idle()
    {
        return QTest::qWaitFor([&] { return sync.jobKind() == LogSync::NoJob; }, 15000);
    }
};
} // namespace

class TestLogSync : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;
    std::unique_ptr<PlantSimProcess> sim;
    QTemporaryDir dir;
    QString outside; // where a hostile absolute name points

    // Paths the board was asked for since line from ("applog/DP_....log"), in order.
    QStringList retrieved(const QString& board, int from) const
    {
        const QRegularExpression re("^FTP " + board + " RETR ");
        QStringList out;
        for (int i = sim->indexOf(re, from); i >= 0; i = sim->indexOf(re, i + 1))
            out << sim->lineMatching(re, i).section(' ', 3);
        return out;
    }
    bool switchFault(const QString& board, const QString& name, bool on)
    {
        return name.isEmpty() || sim->command(QString("fault %1 %2 %3").arg(board, name, on ? "on" : "off"));
    }
    // The line count once the lines of earlier transfers are in.
    int mark() { return sim->barrier() ? sim->lineCount() : -1; }

private slots:
    void initTestCase()
    {
        sandbox = std::make_unique<testsupport::SandboxSettings>();
        outside = dir.filePath("outside");
        QVERIFY(QDir().mkpath(outside));
        const auto board = [](const char* id, const char* kind, int days) {
            return QJsonObject{
                {"id", id}, {"kind", kind}, {"name", id}, {"nominalPower", 6000}, {"historyDays", days}};
        };
        QJsonObject inv = board("inv", "inverter", HistoryDays);
        // Lower case and foreign names stay on the board; TOTALS_ and INV_ files are copied.
        inv["ftpExtraFiles"] =
            QJsonArray{"applog/dp_2016_01_01.log", "applog/DATA", "applog/TOTALS_2015.log", "applog/INV_A1"};
        QJsonObject empty = board("empty", "inverter", 1);
        empty["ftpLogs"] = false;
        QJsonObject hostile = board("hostile", "inverter", 1);
        hostile["ftpListExtra"] =
            QJsonArray{"../DP_escape.log", outside + "/DP_abs.log", "..", "DP_a/../../x", "INV_..\\x"};
        QJsonArray boards{inv, empty, hostile};
        for (const char* id : {"stall", "up"})
            boards << board(id, "inverter", 1);
        boards << board("sb", "stringbox", 1) << board("tpx", "tpx", 1);
        sim = std::make_unique<PlantSimProcess>();
        // Today's log as at noon whatever the hour: long enough to stall in mid-file.
        QVERIFY(sim->start(
            {"--scenario", writeScenario(dir, boards), "--loopback", "--no-udp", "--solar-time", "12:00"}));
    }
    void cleanupTestCase() { sim.reset(); }

    // A manual sync copies every missing listed file and only those, whole; copies here stay;
    // nothing lands outside the equipment's folder.
    void syncCopiesWhatIsMissing_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("present"); // local copies before the sync
        QTest::addColumn<QStringList>("listed");  // names the board lists and the sync takes
        QStringList days;
        for (int d = -HistoryDays; d <= 0; ++d)
            days << day(d);
        const QStringList extra{"INV_events.log", "INV_info.txt"};
        const int sync = LogSync::LogFilesSync;
        // clang-format off
        QTest::newRow("log sync, some days here") << "inv" << sync << QStringList{day(-1), day(-3), "TOTALS_2015.log"} << days + totalsNames(HistoryDays) + extra + QStringList{"TOTALS_2015.log", "INV_A1"};
        QTest::newRow("history sync") << "inv" << int(LogSync::HistorySync) << QStringList{day(-2)} << days.mid(0, HistoryDays) + QStringList{totalsNow(), "INV_events.log"};
        QTest::newRow("empty listing") << "empty" << sync << QStringList() << QStringList();
        QTest::newRow("hostile listing") << "hostile" << sync << QStringList() << QStringList{day(-1), day(0)} + totalsNames(1) + extra;
        // clang-format on
    }
    void syncCopiesWhatIsMissing()
    {
        QFETCH(QString, board);
        QFETCH(int, kind);
        QFETCH(QStringList, present);
        QFETCH(QStringList, listed);
        const bool history = kind == LogSync::HistorySync;
        const QString remoteFolder = history ? "hisram" : "applog";
        Equipment e(*sim, board);
        const QString folder = history ? e.paths.historyFolder() : e.folder();
        for (const QString& name : present)
            QVERIFY(writeFile(folder + "/" + name, LocalCopy));
        const int from = mark();

        e.sync.StartFtpActivity(kind); // the tile test sees the buttons go off and "Contacting..."
        const QString end = QString(history ? "End HisRam sync. (%1 files)" : "End sync. (%1 files)");
        QTRY_VERIFY_WITH_TIMEOUT(e.statuses.contains(end.arg(listed.size())), 20000);
        QVERIFY(e.events.contains("sync ended"));
        QVERIFY(e.idle() && sim->barrier()); // a log sync goes on with the totals log and the snapshot

        QStringList missing; // travelled each once, then the chain of a log sync
        for (const QString& name : listed)
            if (!present.contains(name))
                missing << remoteFolder + "/" + name;
        const QStringList got = retrieved(board, from);
        const QStringList chain =
            history ? QStringList() : QStringList{"applog/" + totalsNow(), "snapshot.png"};
        QCOMPARE(sorted(got.mid(0, got.size() - chain.size())), sorted(missing));
        QCOMPARE(got.mid(got.size() - chain.size()), chain);

        for (const QString& name : present)
            QCOMPARE(readFile(folder + "/" + name), LocalCopy);
        for (const QString& name : listed) // today's figures move on the board
            if (!present.contains(name) && name != day(0) && name != totalsNow())
                QCOMPARE(readFile(folder + "/" + name), remoteFile(e.ftpPort, remoteFolder, name));
        QStringList expected = listed;
        if (!history) // a board without a totals log: logged, and the chain went on
            expected << "snapshot.png"
                     << "hisram" << (board == "empty" ? "Inv.Log" : totalsNow());
        QCOMPARE(entries(folder), sorted(expected));
        QCOMPARE(entries(e.root.path()), QStringList{QFileInfo(e.folder()).fileName()});
        QCOMPARE(entries(outside), QStringList());

        // The listing of a log sync records yesterday as the last sync, in the file only.
        QSettings stored(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                         QString("127.0.0.1-%1-Sim").arg(sim->board(board).modbus));
        QCOMPARE(stored.value("/inv/LastSync").toString(),
                 history ? QString() : QDate::currentDate().addDays(-1).toString("yyyy-MM-dd"));
        QCOMPARE(e.settings.lastSync(), QString());
        QCOMPARE(e.events.last(), QString(history ? "buttons on" : "snapshot"));
    }

    // Connecting fetches today's log, the totals log (both overwritten, the monthly energies
    // read again) and the snapshot.
    void periodicChainOverwrites()
    {
        Equipment e(*sim, "inv");
        QVERIFY(writeFile(e.file(day(0)), LocalCopy));
        QVERIFY(writeFile(e.file(totalsNow()), "2000-01-01;99999.0\n"));
        e.cache.fill(e.folder(), QDate::currentDate().year());
        QCOMPARE(e.cache.sums().at(0), 99999.0);
        // The board rewrites today's figures: ours is one of the copies taken around it.
        const QByteArray todayBefore = remoteFile(e.ftpPort, "applog", day(0));
        const QByteArray totalsBefore = remoteFile(e.ftpPort, "applog", totalsNow());
        const auto fromBoard = [&](const QString& name, const QByteArray& before) {
            const QByteArray local = readFile(e.file(name));
            return local == before || local == remoteFile(e.ftpPort, "applog", name);
        };
        const int from = mark();

        QVERIFY(e.connect()); // the link asks for the chain as it connects
        QTRY_VERIFY_WITH_TIMEOUT(e.events.contains("snapshot"), 15000);
        QVERIFY(e.idle() && sim->barrier());
        QCOMPARE(retrieved("inv", from),
                 (QStringList{"applog/" + day(0), "applog/" + totalsNow(), "snapshot.png"}));
        QVERIFY(e.sync.todayLogFetched());
        QCOMPARE(e.cache.year(), -1);
        QVERIFY(fromBoard(day(0), todayBefore));
        QVERIFY(fromBoard(totalsNow(), totalsBefore));
        QCOMPARE(readFile(e.file("snapshot.png")), remoteFile(e.ftpPort, QString(), "snapshot.png"));
        QVERIFY(e.statuses.contains("Ready."));
    }

    // Stalled, failed or stopped transfers leave no partial file and keep the copy here;
    // a stalled sync is retried to a whole copy.
    void interruptedTransfers_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("fault");    // switched on for board "stall" before the job
        QTest::addColumn<int>("dayOffset");    // of the "today" the job fetches
        QTest::addColumn<bool>("stop");        // "Stop download" once the transfer stalls
        QTest::addColumn<bool>("complete");    // the day's copy ends up whole
        QTest::addColumn<bool>("chainGoesOn"); // the totals log and snapshot follow
        QTest::addColumn<QString>("logged");   // in the event log
        const int sync = LogSync::LogFilesSync, today = LogSync::TodayFetch;
        // clang-format off
        QTest::newRow("sync stalls mid-file, retried") << sync << "ftp-stall-once" << 0 << false << true << true << "";
        QTest::newRow("sync stopped mid-file") << sync << "ftp-stall" << 0 << true << false << false << "";
        QTest::newRow("today stalls, dropped") << today << "ftp-stall-once" << 0 << false << false << false << "";
        QTest::newRow("today missing on the board") << today << "" << 3 << false << false << true << "ftpCommandFinished: error 1: Downloading file failed:";
        // clang-format on
    }
    void interruptedTransfers()
    {
        QFETCH(int, kind);
        QFETCH(QString, fault);
        QFETCH(bool, stop);
        QFETCH(bool, complete);
        QFETCH(bool, chainGoesOn);
        QFETCH(QString, logged);
        QFETCH(int, dayOffset);
        const QDate date = QDate::currentDate().addDays(dayOffset);
        const QString totals = StoragePaths::totalsLogName(date.year());
        Equipment e(*sim, "stall");
        e.sync.setDateSource([date] { return date; });
        // The sync lacks yesterday's log only (stalled after its first bytes);
        // the today fetch finds a good copy of its day here.
        const bool isSync = kind == LogSync::LogFilesSync;
        const QString target = isSync ? day(-1) : StoragePaths::dailyLogName(date);
        const QStringList here = isSync
                                     ? QStringList{day(0), "INV_events.log", "INV_info.txt"} + totalsNames(1)
                                     : QStringList{target};
        for (const QString& name : here)
            QVERIFY(writeFile(e.file(name), LocalCopy));
        QVERIFY(switchFault("stall", fault, true));
        const int from = mark();

        e.sync.StartFtpActivity(kind);
        if (!fault.isEmpty())
            QVERIFY(sim->waitForLine(QRegularExpression("^FTP stall STALL after="), from));
        if (stop) {
            e.sync.StopDownload();
            QCOMPARE(e.statuses.last(), QString("Ready."));
            QCOMPARE(e.events.mid(e.events.size() - 2), (QStringList{"sync ended", "buttons on"}));
        }
        QVERIFY(e.idle());
        QVERIFY(switchFault("stall", fault, false));
        if (isSync && !stop) {
            QVERIFY(e.statuses.contains("Transfer failed. Retrying..."));
            QVERIFY(e.statuses.contains(QString("End sync. (%1 files)").arg(4 + totalsNames(1).size())));
        }
        QVERIFY(sim->barrier());
        QCOMPARE(retrieved("stall", from).contains("snapshot.png"), chainGoesOn);

        for (const QString& name : here)
            if (!chainGoesOn || name != totals) // the chain's totals fetch overwrites
                QCOMPARE(readFile(e.file(name)), LocalCopy);
        if (complete)
            QCOMPARE(readFile(e.file(target)), remoteFile(e.ftpPort, "applog", target));
        QStringList expected = here + QStringList{"hisram"};
        if (complete)
            expected << target;
        if (chainGoesOn)
            expected << "snapshot.png" << totals;
        if (!logged.isEmpty())
            expected << "Inv.Log";
        if (date.year() != QDate::currentDate().year()) // no totals log for next year on the board
            expected.removeAll(totals);
        QCOMPARE(entries(e.folder()), sorted(expected));
        const QString eventLog = readFile(e.paths.eventLogPath());
        QVERIFY2(eventLog.contains(logged), qPrintable(eventLog));
    }

    // While a job runs a manual sync refuses requests, a background fetch gives way; the
    // window's requests need a connected board; a sync cut by the board's loss refuses until stopped.
    void startRequests()
    {
        Equipment e(*sim, "stall");
        QVERIFY(!e.sync.startIfConnected(LogSync::LogFilesSync)); // not connected
        QCOMPARE(e.sync.jobKind(), int(LogSync::NoJob));
        QVERIFY(e.connect()); // which starts the chain
        QVERIFY(e.sync.startIfConnected(LogSync::LogFilesSync));
        for (int kind : {LogSync::TodayFetch, LogSync::HistorySync, LogSync::SnapshotFetch})
            e.sync.StartFtpActivity(kind);
        e.link.TheSlowTimer();
        QCOMPARE(e.sync.jobKind(), int(LogSync::LogFilesSync));
        e.sync.StopDownload();
        QCOMPARE(e.sync.jobKind(), int(LogSync::NoJob));
        QVERIFY(!e.sync.hasConnection());
        e.sync.StartFtpActivity(LogSync::TotalsFetch);
        e.sync.StartFtpActivity(LogSync::SnapshotFetch);
        QCOMPARE(e.sync.jobKind(), int(LogSync::SnapshotFetch));
        QVERIFY(e.idle());
        e.sync.StartFtpActivity(LogSync::LogFilesSync);
        e.link.SetTheInvAsUnreachable();
        QVERIFY(!e.sync.hasConnection());
        e.sync.StartFtpActivity(LogSync::TodayFetch);
        QCOMPARE(e.sync.jobKind(), int(LogSync::LogFilesSync));
        e.sync.StopDownload();
        QCOMPARE(e.sync.jobKind(), int(LogSync::NoJob));
    }

    // A string box and a TPX never open an FTP connection, whatever asks.
    void noJobsFor_data()
    {
        QTest::addColumn<QString>("board");
        for (const char* board : {"sb", "tpx"})
            QTest::newRow(board) << QString(board);
    }
    void noJobsFor()
    {
        QFETCH(QString, board);
        Equipment e(*sim, board);
        QSignalSpy due(&e.link, &EquipmentLink::logSyncDue);
        QVERIFY(e.connect());
        e.link.TheSlowTimer();
        for (int kind = LogSync::Upgrade; kind <= LogSync::SnapshotFetch; ++kind) {
            e.sync.StartFtpActivity(kind);
            QVERIFY(!e.sync.startIfConnected(kind));
        }
        QCOMPARE(due.size(), board == "tpx" ? 2 : 0); // asked for, refused
        if (board == "tpx") {                         // its cycle has no update-available query
            QVERIFY(writeFile(e.root.filePath("fw.tgz"), "package"));
            QVERIFY(!e.sync.StartUpgrade(e.root.filePath("fw.tgz")));
        }
        QCOMPARE(e.sync.jobKind(), int(LogSync::NoJob));
        QVERIFY(!e.sync.hasConnection());
        QVERIFY(sim->barrier());
        QVERIFY(!sim->hasLine(QRegularExpression("^FTP " + board + " ")));
    }

    // The package reaches the board as "Update.tgz"; only then is the board asked to apply it.
    void upgrade_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("fileName"); // "" for a file that does not exist
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("outcome");
        QByteArray package;
        for (int i = 0; i < 300000; ++i)
            package += char(i * 7 % 251);
        // clang-format off
        QTest::newRow("package") << package << QString("firmware-1.6.0.tgz") << QString() << "uploaded";
        QTest::newRow("empty file") << QByteArray() << QString("empty.tgz") << QString() << "refused";
        QTest::newRow("missing file") << QByteArray() << QString() << QString() << "refused";
        QTest::newRow("board never answers") << package << QString("fw.tgz") << "ftp-silent" << "timed out";
        // clang-format on
    }
    void upgrade()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, fileName);
        QFETCH(QString, fault);
        QFETCH(QString, outcome);
        Equipment e(*sim, "up");
        QVERIFY(e.connect());
        QVERIFY(e.idle()); // the chain of the connection
        const QString path = e.root.filePath(fileName.isEmpty() ? "none.tgz" : fileName);
        if (!fileName.isEmpty())
            QVERIFY(writeFile(path, content));
        QVERIFY(switchFault("up", fault, true));
        bool appliedBeforeUpload = true;
        QObject::connect(&e.sync, &LogSync::upgradeUploaded, [&] {
            appliedBeforeUpload = sim->hasLine(QRegularExpression("^UPGRADE up applied"));
        });
        QSignalSpy uploaded(&e.sync, &LogSync::upgradeUploaded);
        const int from = mark();

        QCOMPARE(e.sync.StartUpgrade(path), outcome != "refused");
        if (outcome == "refused") {
            QVERIFY(e.statuses.last().startsWith("Upgrade refused: "));
            QCOMPARE(e.sync.jobKind(), int(LogSync::NoJob));
            e.link.TheSlowTimer(); // jobs go on as before
            QVERIFY(e.idle());
            QVERIFY(sim->barrier());
            QVERIFY(!sim->hasLine(QRegularExpression("^FTP up STOR"), from));
            return;
        }
        QCOMPARE(e.statuses.last(), QString("Contacting..."));
        e.link.TheSlowTimer(); // the periodic fetch waits for the upload
        QCOMPARE(e.sync.jobKind(), int(LogSync::Upgrade));
        if (outcome == "timed out") {
            QTRY_VERIFY_WITH_TIMEOUT(e.sync.timedOut() || e.sync.jobKind() == LogSync::NoJob, 10000);
            QVERIFY(e.idle()); // closed by the link's next tick
            QVERIFY(switchFault("up", fault, false));
            QVERIFY(sim->barrier());
            QCOMPARE(uploaded.size(), 0);
            QVERIFY(!sim->hasLine(QRegularExpression("^UPGRADE up applied"), from));
            return;
        }
        QVERIFY(uploaded.wait(15000));
        QVERIFY(!appliedBeforeUpload);
        const QString sha = QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex();
        const QString stored =
            QString("^FTP up STOR Update.tgz bytes=%1 sha256=%2$").arg(content.size()).arg(sha);
        QVERIFY(sim->waitForLine(QRegularExpression(stored), from));
        QVERIFY(sim->waitForLine(QRegularExpression("^UPGRADE up applied"), from));
        QVERIFY(e.statuses.contains("Update in progress..."));
        QCOMPARE(e.sync.jobKind(), int(LogSync::NoJob));
    }
};

QTEST_GUILESS_MAIN(TestLogSync)
#include "tst_logsync.moc"
