// Runs the console's plant window offscreen with a stored plant of N boards
// served by plantsim, waits until every tile is connected, then measures for
// a fixed time the process CPU time and the replies the tiles handled.
//
// usage: console_bench --boards FILE --count N [--seconds S] [--sim-pid PID]
// FILE holds "address port" lines; the first N boards form the plant "Bench".
#include "benchsupport.h"
#include "invbutton.h"
#include "maindialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

namespace {
// The plant's six stored lists, as the plant window reads them at start.
void storePlant(const std::vector<bench::Board>& boards)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "KESTRELSunwerk",
                QCoreApplication::applicationName());
    QString keys, names, dns, vers, ports, ftp;
    for (size_t i = 0; i < boards.size(); ++i) {
        const QString address = QString::fromStdString(boards[i].address);
        keys += QString("%1-%2-Bench,").arg(address).arg(boards[i].port);
        names += QString("Bench %1,").arg(i + 1);
        dns += "NO_DNS_NAME,";
        vers += "1.5.0,";
        ports += QString("%1,").arg(boards[i].port);
        // plantsim runs without FTP servers, so the log sync started on
        // connection is refused at once on the board's address.
        ftp += "21,";
    }
    s.setValue("/app/Inverters/InvList", keys);
    s.setValue("/app/Inverters/InvListNames", names);
    s.setValue("/app/Inverters/InvListDnsNames", dns);
    s.setValue("/app/Inverters/InvListVers", vers);
    s.setValue("/app/Inverters/InvListPorts", ports);
    s.setValue("/app/Inverters/InvListFtpPorts", ftp);
    s.setValue("/app/PlantList", "LOCAL,Bench,");
}
} // namespace

int main(int argc, char** argv)
{
    bench::Options opt;
    if (!bench::parseOptions(argc, argv, &opt))
        return 2;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("VeloraDataControl");

    const std::vector<bench::Board> boards = bench::readBoards(opt.boards, opt.count);
    if (int(boards.size()) < opt.count) {
        std::fprintf(stderr, "only %d boards in %s\n", int(boards.size()), opt.boards);
        return 2;
    }
    QTemporaryDir home;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    storePlant(boards);

    MainDialog window;
    window.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Bench"}, "Bench");
    if (window.tiles().size() != opt.count) {
        std::fprintf(stderr, "%d tiles built, %d expected\n", int(window.tiles().size()), opt.count);
        return 1;
    }

    // The tiles report every reply they judge; a handled reply is one that
    // was stored and chose the next request.
    long handled = 0, failed = 0;
    for (InvButton* tile : window.tiles())
        QObject::connect(tile, &InvButton::ReplyReceived,
                         [&](int, int, bool ok) { ok ? ++handled : ++failed; });

    long startHandled = 0, startFailed = 0;
    double startCpu = 0, startSim = 0;
    QElapsedTimer clock, waiting;
    waiting.start();
    int status = 0;

    QTimer connectPoll;
    QObject::connect(&connectPoll, &QTimer::timeout, [&] {
        int up = 0;
        for (InvButton* tile : window.tiles())
            up += tile->getTheServerIsConnected() ? 1 : 0;
        if (up < opt.count) {
            if (waiting.elapsed() > 60000) {
                std::fprintf(stderr, "only %d of %d tiles connected after 60 s\n", up, opt.count);
                status = 1;
                app.quit();
            }
            return;
        }
        connectPoll.stop();
        std::fprintf(stderr, "all %d tiles connected after %lld ms\n", up, waiting.elapsed());
        startHandled = handled;
        startFailed = failed;
        startCpu = bench::selfCpuSeconds();
        startSim = bench::processCpuSeconds(opt.simPid);
        clock.start();
        QTimer::singleShot(int(opt.seconds * 1000), Qt::PreciseTimer, &app, [&] {
            const double seconds = clock.nsecsElapsed() / 1e9;
            bench::printResult("console", opt.count, seconds, handled - startHandled, failed - startFailed,
                               bench::selfCpuSeconds() - startCpu,
                               bench::processCpuSeconds(opt.simPid) - startSim, bench::peakRssKib());
            app.quit();
        });
    });
    connectPoll.start(50);
    app.exec();
    return status;
}
