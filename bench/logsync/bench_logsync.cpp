// Times the log sync (LogSync, job kind 2) against our bare FtpClient fetching the same files from
// the same plantsim file servers on loopback, in the same run: one board serving a year of day logs,
// then twenty boards syncing at once, while a 10 ms timer measures how late the event loop serves it.
// Usage: bench_logsync [rounds] [board-days]
#include "boardftp.h"
#include "downloadfile.h"
#include "equipmentlink.h"
#include "ftpclient.h"
#include "logsync.h"
#include "plantsimprocess.h"
#include "storagepaths.h"

#include <QtCore>

#include <ctime>
#include <memory>

namespace {

struct Board
{
    QString id;
    quint16 modbus = 0, ftp = 0;
};

struct Finish
{
    QElapsedTimer clock;
    double seconds = 0.0;
    bool finished = false, failed = false;
};

// One board's log sync, from the start of the job to "End sync.".
struct SyncRun : Finish
{
    SyncRun(const Board& b, const QString& root)
    {
        link.setTarget("127.0.0.1", b.modbus);
        sync.setFtpPort(b.ftp);
        StoragePaths paths(root, "127.0.0.1", b.modbus, "Bench");
        paths.create();
        sync.setStorage(paths);
        QObject::connect(&sync, &LogSync::statusChanged, &sync, [this](const QString& s) {
            if (s.startsWith("End sync.")) {
                seconds = clock.nsecsElapsed() / 1e9;
                // The totals fetch that follows is not part of the sync.
                QTimer::singleShot(0, &sync, [this] {
                    sync.StopFtpActivityTimer(__LINE__);
                    sync.CloseOpenFileAndFtp(__LINE__);
                    finished = true;
                });
            } else if (s.startsWith("Transfer failed")) {
                failed = true;
                finished = finished || s == "Transfer failed."; // the job has ended
            }
        });
    }
    void start() { clock.start(), sync.StartFtpActivity(LogSync::LogFilesSync); }
    EquipmentLink link;
    LogSync sync{&link};
};

// The same with the bare client: one login, cd, list, then every listed log file queued at once,
// written as the sync writes it (beside its name, renamed when complete).
struct BareRun : Finish
{
    BareRun(const Board& b, const QString& root) : folder(root + "/" + b.id), ftpPort(b.ftp)
    {
        QDir().mkpath(folder);
        QObject::connect(&ftp, &FtpClient::listInfo, [this](const FtpEntry& e) {
            if (StoragePaths::isHistoryFileName(e.name()))
                names << e.name();
        });
        QObject::connect(&ftp, &FtpClient::commandFinished, [this](int id, bool error) {
            failed = failed || error;
            if (id == listId) {
                for (const QString& n : names) {
                    auto* f = new DownloadFile(folder + "/" + n);
                    f->open();
                    files.insert(ftp.get(n, f->device()), f);
                }
                ftp.close();
            } else if (DownloadFile* f = files.take(id)) {
                failed = failed || (!error && !f->commit());
                delete f;
            }
        });
        QObject::connect(&ftp, &FtpClient::done, [this](bool error) {
            failed = failed || error;
            seconds = clock.nsecsElapsed() / 1e9;
            finished = true;
        });
    }
    void start()
    {
        clock.start();
        ftp.connectToHost("127.0.0.1", ftpPort);
        ftp.login(boardftp::User, boardftp::Password);
        ftp.cd(boardftp::LogFolder);
        listId = ftp.list();
    }
    ~BareRun() { qDeleteAll(files); }
    QString folder;
    quint16 ftpPort;
    FtpClient ftp;
    QStringList names;
    QHash<int, DownloadFile*> files;
    int listId = -1;
};

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Measure
{
    double wall = 0.0;     // from the first start to the last end, seconds
    double lateness = 0.0; // worst lateness of the 10 ms timer, ms
    double cpu = 0.0;      // CPU time of the thread in that worst interval, ms (our work, not waiting)
    int files = 0;
};

// Runs one kind of run on every board at once, into a fresh folder; false in ok when one failed.
template <typename Run> Measure runAll(const QVector<Board>& boards, const QString& base, bool* ok)
{
    QTemporaryDir root(base + "/run-XXXXXX");
    std::vector<std::unique_ptr<Run>> runs;
    for (const Board& b : boards)
        runs.push_back(std::make_unique<Run>(b, root.path()));
    Measure m;
    QElapsedTimer wall;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    double last = 0.0, lastCpu = threadCpuMs();
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double now = wall.nsecsElapsed() / 1e6, cpu = threadCpuMs();
        if (now - last - 10.0 > m.lateness)
            m.lateness = now - last - 10.0, m.cpu = cpu - lastCpu;
        last = now, lastCpu = cpu;
    });
    probe.start(10);
    wall.start();
    for (auto& r : runs)
        r->start();
    const auto all = [&](auto pred) { return std::all_of(runs.begin(), runs.end(), pred); };
    while (!all([](const auto& r) { return r->finished; }) && wall.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    m.wall = wall.nsecsElapsed() / 1e9;
    probe.stop();
    *ok = *ok && all([](const auto& r) { return r->finished && !r->failed; });
    for (QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
        ++m.files;
    runs.clear();
    QCoreApplication::processEvents(); // deferred deletions
    return m;
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = qMax(1, app.arguments().value(1, "3").toInt());
    const int boardDays = app.arguments().value(2, "30").toInt();
    QTextStream out(stdout);
    QTemporaryDir work;
    bool ok = true;
    for (const auto& [name, count, days] :
         {std::tuple{"1 board", 1, 365}, {"20 boards at once", 20, boardDays}}) {
        PlantSimProcess sim;
        QTemporaryDir scenario;
        QJsonArray list;
        for (int i = 1; i <= count; ++i)
            list << QJsonObject{{"id", QString("b%1").arg(i)}, {"historyDays", days}, {"nominalPower", 6000}};
        if (!sim.start({"--scenario", writeScenario(scenario, list), "--loopback", "--no-udp", "--quiet",
                        "--update-ms", "3600000"},
                       300000)) {
            out << "plantsim did not start\n";
            return 1;
        }
        QVector<Board> boards;
        for (int i = 1; i <= count; ++i) {
            const SimBoard b = sim.board(QString("b%1").arg(i));
            boards << Board{QString("b%1").arg(i), b.modbus, b.ftp};
        }
        QVector<double> syncs, bares, syncLate, bareLate;
        for (int r = 0; r < rounds; ++r) {
            // Alternate which goes first, so that load changes favour neither.
            Measure s, b;
            if (r % 2 == 0)
                s = runAll<SyncRun>(boards, work.path(), &ok), b = runAll<BareRun>(boards, work.path(), &ok);
            else
                b = runAll<BareRun>(boards, work.path(), &ok), s = runAll<SyncRun>(boards, work.path(), &ok);
            syncs << s.wall, bares << b.wall, syncLate << s.lateness, bareLate << b.lateness;
            ok = ok && s.files == b.files; // the sync's extra "hisram" folder holds no file
            out << QString::asprintf(
                "%s, %d days, round %d: log sync %.3f s (%d files, timer late %.1f ms, %.1f ms "
                "CPU), bare client %.3f s (%d files, timer late %.1f ms, %.1f ms CPU)\n",
                name, days, r + 1, s.wall, s.files, s.lateness, s.cpu, b.wall, b.files, b.lateness, b.cpu);
            out.flush();
        }
        out << QString::asprintf(
            "%s: median of %d rounds: log sync %.3f s, bare client %.3f s, ratio %.2f; worst "
            "timer lateness during the syncs %.1f ms (bare %.1f ms)\n",
            name, rounds, median(syncs), median(bares), median(syncs) / median(bares),
            *std::max_element(syncLate.begin(), syncLate.end()),
            *std::max_element(bareLate.begin(), bareLate.end()));
        out.flush();
    }
    if (!ok)
        out << "SOME TRANSFERS FAILED OR DIFFERED\n";
    return ok ? 0 : 1;
}
