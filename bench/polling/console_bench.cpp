// Runs the console's plant window offscreen with a stored plant "Bench" of the first COUNT boards
// served by plantsim, waits until every tile is connected, then measures for a fixed time the
// process CPU time and the replies the tiles handled.
// usage: console_bench BOARDS-FILE COUNT SECONDS
#include "appinfo.h"
#include "benchsupport.h"
#include "invbutton.h"
#include "maindialog.h"
#include "plantstore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

int main(int argc, char** argv)
{
    double seconds = 0;
    const bench::Boards boards = bench::parse(argc, argv, &seconds);
    const int n = int(boards.size());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(appinfo::ApplicationName);
    QTemporaryDir home;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    {
        // plantsim runs without FTP servers: the log sync each tile starts is refused at once.
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                           appinfo::ApplicationName);
        QVector<StoredEquipment> plant;
        for (int i = 0; i < n; ++i) {
            const QString address = QString::fromStdString(boards[i].first);
            plant.append({QString("%1-%2-Bench").arg(address).arg(boards[i].second),
                          QString("Bench %1").arg(i + 1), "NO_DNS_NAME", "1.5.0", boards[i].second, 21});
        }
        PlantStore(&settings).merge(plant);
    }
    MainDialog window;
    window.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Bench"}, "Bench");

    // The links count handled and failed replies themselves, so that counting adds nothing per reply.
    const auto replies = [&](bool handled) {
        long sum = 0;
        for (InvButton* tile : window.tiles())
            sum += long(handled ? tile->getTheLink()->repliesHandled() : tile->getTheLink()->repliesFailed());
        return sum;
    };
    QElapsedTimer waiting, clock;
    waiting.start();
    long startHandled = 0, startFailed = 0;
    double startCpu = 0;
    QTimer connectPoll;
    QObject::connect(&connectPoll, &QTimer::timeout, [&] {
        int up = 0;
        for (InvButton* tile : window.tiles())
            up += tile->getTheServerIsConnected();
        if (up < n) {
            if (waiting.elapsed() > 60000)
                std::fprintf(stderr, "only %d of %d tiles connected after 60 s\n", up, n), app.exit(1);
            return;
        }
        connectPoll.stop();
        startHandled = replies(true), startFailed = replies(false), startCpu = bench::cpuSeconds();
        clock.start();
        QTimer::singleShot(int(seconds * 1000), Qt::PreciseTimer, &app, [&] {
            const double cpu = bench::cpuSeconds() - startCpu;
            bench::printResult("console", n, clock.nsecsElapsed() / 1e9, replies(true) - startHandled,
                               replies(false) - startFailed, cpu);
            app.quit();
        });
    });
    connectPoll.start(50);
    return app.exec();
}
