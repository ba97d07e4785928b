// Times the log sync (LogSync, job kind 2) against our bare FtpClient
// fetching the same files from the same plantsim file servers on loopback,
// in the same run:
//   1. one board serving a year of day logs (and its totals and INV_ files);
//   2. twenty boards, each with its own FTP server, syncing at once, while a
//      10 ms timer measures how late the event loop serves it.
// Usage: bench_logsync [rounds] [--days N] [--boards M] [--board-days K]

#include "boardftp.h"
#include "downloadfile.h"
#include "equipmentlink.h"
#include "ftpclient.h"
#include "logsync.h"
#include "plantsimprocess.h"
#include "storagepaths.h"

#include <QtCore>

#include <algorithm>
#include <ctime>
#include <memory>

namespace {

struct Board
{
    QString id;
    quint16 modbus = 0, ftp = 0;
};

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// The worst lateness of a 10 ms timer while it runs, in ms, and the CPU time
// the thread spent in that worst interval (what our code took, as against
// time the thread waited for the processor or the disk).
class LatenessProbe : public QObject
{
public:
    LatenessProbe()
    {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, this, [this] {
            const double now = clock.nsecsElapsed() / 1e6, cpu = threadCpuMs();
            if (now - last - 10.0 > worst) {
                worst = now - last - 10.0;
                worstCpu = cpu - lastCpu;
            }
            last = now;
            lastCpu = cpu;
        });
    }
    void start()
    {
        worst = worstCpu = 0.0;
        clock.start();
        last = 0.0;
        lastCpu = threadCpuMs();
        timer.start();
    }
    void stop() { timer.stop(); }
    double worst = 0.0, worstCpu = 0.0;

private:
    QTimer timer;
    QElapsedTimer clock;
    double last = 0.0, lastCpu = 0.0;
};

// One board's log sync, from the start of the job to "End sync.".
class SyncRun : public QObject
{
public:
    SyncRun(const Board& b, const QString& root)
    {
        link.setTarget("127.0.0.1", b.modbus);
        sync = std::make_unique<LogSync>(&link);
        sync->setFtpPort(b.ftp);
        paths = StoragePaths(root, "127.0.0.1", b.modbus, "Bench");
        paths.create();
        sync->setStorage(paths);
        connect(sync.get(), &LogSync::statusChanged, this, [this](const QString& s) {
            if (s.startsWith("End sync.")) {
                seconds = clock.nsecsElapsed() / 1e9;
                files = s;
                // The totals fetch that follows is not part of the sync.
                QTimer::singleShot(0, this, [this] {
                    sync->StopFtpActivityTimer(__LINE__);
                    sync->CloseOpenFileAndFtp(__LINE__);
                    finished = true;
                });
            } else if (s.startsWith("Transfer failed")) {
                failed = true;
                finished = finished || s == "Transfer failed."; // the job has ended
            }
        });
    }
    void start()
    {
        clock.start();
        sync->StartFtpActivity(LogSync::LogFilesSync);
    }
    EquipmentLink link;
    std::unique_ptr<LogSync> sync;
    StoragePaths paths;
    QElapsedTimer clock;
    double seconds = 0.0;
    QString files;
    bool finished = false, failed = false;
};

// The same with the bare client: one login, cd, list, then every listed log
// file written as the sync writes it (beside its name, renamed when
// complete), all gets queued at once.
class BareRun : public QObject
{
public:
    BareRun(const Board& b, const QString& folderPath) : board(b), folder(folderPath)
    {
        QDir().mkpath(folder);
        connect(&ftp, &FtpClient::listInfo, this, [this](const FtpEntry& e) {
            if (StoragePaths::isHistoryFileName(e.name()))
                names << e.name();
        });
        connect(&ftp, &FtpClient::commandFinished, this, [this](int id, bool error) {
            if (error)
                failed = true;
            if (id == listId) {
                for (const QString& n : names) {
                    auto* f = new DownloadFile(folder + "/" + n);
                    f->open();
                    files.insert(ftp.get(n, f->device()), f);
                }
                ftp.close();
            } else if (DownloadFile* f = files.take(id)) {
                if (!error && !f->commit())
                    failed = true;
                delete f;
            }
        });
        connect(&ftp, &FtpClient::done, this, [this](bool error) {
            failed = failed || error;
            seconds = clock.nsecsElapsed() / 1e9;
            finished = true;
        });
    }
    ~BareRun() override { qDeleteAll(files); }
    void start()
    {
        clock.start();
        ftp.connectToHost("127.0.0.1", board.ftp);
        ftp.login(boardftp::User, boardftp::Password);
        ftp.cd(boardftp::LogFolder);
        listId = ftp.list();
    }
    Board board;
    QString folder;
    FtpClient ftp;
    QStringList names;
    QHash<int, DownloadFile*> files;
    int listId = -1;
    QElapsedTimer clock;
    double seconds = 0.0;
    bool finished = false, failed = false;
};

template <typename Run> bool waitAll(const std::vector<std::unique_ptr<Run>>& runs, int timeoutMs = 600000)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (std::all_of(runs.begin(), runs.end(), [](const auto& r) { return r->finished; }))
            return std::none_of(runs.begin(), runs.end(), [](const auto& r) { return r->failed; });
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return false;
}

struct Measure
{
    double wall = 0.0;     // from the first start to the last end, seconds
    double lateness = 0.0; // worst lateness of the 10 ms timer, ms
    double cpu = 0.0;      // CPU time of the thread in that interval, ms
    int files = 0;
};

// Runs one kind of run on every board at once (each into a fresh folder).
template <typename Run> Measure runAll(const QVector<Board>& boards, const QString& base, bool* ok)
{
    QTemporaryDir root(base + "/run-XXXXXX");
    std::vector<std::unique_ptr<Run>> runs;
    for (const Board& b : boards) {
        if constexpr (std::is_same_v<Run, SyncRun>)
            runs.push_back(std::make_unique<Run>(b, root.path()));
        else
            runs.push_back(std::make_unique<Run>(b, root.path() + "/" + b.id));
    }
    LatenessProbe probe;
    QElapsedTimer wall;
    probe.start();
    wall.start();
    for (auto& r : runs)
        r->start();
    *ok = waitAll(runs) && *ok;
    Measure m;
    m.wall = wall.nsecsElapsed() / 1e9;
    probe.stop();
    m.lateness = probe.worst;
    m.cpu = probe.worstCpu;
    // Files written: every regular file under the root.
    QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        it.next(), ++m.files;
    QCoreApplication::processEvents(); // deferred deletions
    return m;
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0.0 : v[v.size() / 2];
}

QVector<Board> startPlant(PlantSimProcess& sim, const QTemporaryDir& dir, int boards, int days)
{
    QJsonArray list;
    for (int i = 1; i <= boards; ++i)
        list << QJsonObject{{"id", QString("b%1").arg(i)}, {"historyDays", days}, {"nominalPower", 6000}};
    if (!sim.start({"--scenario", writeScenario(dir, list), "--loopback", "--no-udp", "--quiet",
                    "--update-ms", "3600000"},
                   300000))
        return {};
    QVector<Board> out;
    for (int i = 1; i <= boards; ++i) {
        const SimBoard b = sim.board(QString("b%1").arg(i));
        out << Board{QString("b%1").arg(i), b.modbus, b.ftp};
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name, int def) {
        const int i = args.indexOf(name);
        return i > 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : def;
    };
    const int rounds = args.size() > 1 && !args.at(1).startsWith("--") ? args.at(1).toInt() : 3;
    const int days = option("--days", 365);
    const int boardCount = option("--boards", 20);
    const int boardDays = option("--board-days", 30);
    QTextStream out(stdout);
    QTemporaryDir work;
    bool ok = true;

    struct Part
    {
        QString name;
        int boards, days;
    };
    for (const Part& part : {Part{"1 board", 1, days},
                             Part{QString("%1 boards at once").arg(boardCount), boardCount, boardDays}}) {
        PlantSimProcess sim;
        QTemporaryDir scenario;
        const QVector<Board> boards = startPlant(sim, scenario, part.boards, part.days);
        if (boards.isEmpty()) {
            out << "plantsim did not start\n";
            return 1;
        }
        QVector<double> syncs, bares, syncLate, bareLate;
        int syncFiles = 0, bareFiles = 0;
        for (int r = 0; r < rounds; ++r) {
            // Alternate which goes first, so that load changes favour neither.
            Measure s, b;
            if (r % 2 == 0) {
                s = runAll<SyncRun>(boards, work.path(), &ok);
                b = runAll<BareRun>(boards, work.path(), &ok);
            } else {
                b = runAll<BareRun>(boards, work.path(), &ok);
                s = runAll<SyncRun>(boards, work.path(), &ok);
            }
            syncs << s.wall, bares << b.wall, syncLate << s.lateness, bareLate << b.lateness;
            syncFiles = s.files, bareFiles = b.files;
            out << QString(
                       "%1, %2 days, round %3: log sync %4 s (%5 files, timer late %6 ms, %7 ms CPU), bare "
                       "client %8 s (%9 files, timer late %10 ms, %11 ms CPU)\n")
                       .arg(part.name)
                       .arg(part.days)
                       .arg(r + 1)
                       .arg(s.wall, 0, 'f', 3)
                       .arg(s.files)
                       .arg(s.lateness, 0, 'f', 1)
                       .arg(s.cpu, 0, 'f', 1)
                       .arg(b.wall, 0, 'f', 3)
                       .arg(b.files)
                       .arg(b.lateness, 0, 'f', 1)
                       .arg(b.cpu, 0, 'f', 1);
            out.flush();
        }
        // The sync also keeps the storage folder's "hisram" folder: same file count otherwise.
        if (syncFiles != bareFiles)
            ok = false;
        out << QString("%1: median of %2 rounds: log sync %3 s, bare client %4 s, ratio %5; worst timer "
                       "lateness during the syncs %6 ms (bare %7 ms)\n")
                   .arg(part.name)
                   .arg(rounds)
                   .arg(median(syncs), 0, 'f', 3)
                   .arg(median(bares), 0, 'f', 3)
                   .arg(median(syncs) / median(bares), 0, 'f', 2)
                   .arg(*std::max_element(syncLate.begin(), syncLate.end()), 0, 'f', 1)
                   .arg(*std::max_element(bareLate.begin(), bareLate.end()), 0, 'f', 1);
        out.flush();
    }
    if (!ok)
        out << "SOME TRANSFERS FAILED OR DIFFERED\n";
    return ok ? 0 : 1;
}
