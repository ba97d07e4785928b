// Daily graph benchmark: opening the graph page of a full day (204 records, two quantities of three
// series each) against a bare QCustomPlot replot of the same points, side by side in one run.
#include "dialoggraph.h"
#include "graphday.h"
#include "storagepaths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtMath>
#include <qcustomplot.h>

#include <algorithm>
#include <ctime>
#include <functional>

namespace {

// A day from 05:05 to 22:00: power on a half sine, grid voltages and currents per phase, the other
// columns moving a little.
QByteArray fullDay()
{
    QByteArray text = "DATE;2016-03-07\nTIME;kW;Vr;Vs;Vt;Ar;As;At\n";
    for (int i = 0; i < GraphDay::SlotCount; ++i) {
        const int t = 5 * 60 + 5 + 5 * i;
        const double sun = qMax(0.0, qSin(M_PI * (t - 360) / 840.0));
        text += QString::asprintf("%02d:%02d", t / 60, t % 60).toLatin1();
        for (int c = 0; c < 29; ++c) {
            const double v = c >= 1 && c <= 3   ? 228.0 + c + 3.0 * qSin(i / 7.0 + c)
                             : c >= 4 && c <= 6 ? 14.5 * sun + 0.1 * c
                                                : 10.0 * sun + c;
            text += ';' + QByteArray::number(v, 'f', 2);
        }
        text += '\n';
    }
    return text;
}

// Median CPU time of the thread (other processes do not count) and wall time, in ms, of a call.
struct Cost
{
    QVector<double> cpu, wall;
    void measure(const std::function<void()>& call)
    {
        QElapsedTimer clock;
        clock.start();
        timespec before{}, after{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
        call();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
        cpu << (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
        wall << clock.nsecsElapsed() / 1e6;
    }
    static double median(QVector<double> v)
    {
        std::sort(v.begin(), v.end());
        return v.at(v.size() / 2);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int calls = argc > 1 ? qMax(1, atoi(argv[1])) : 500;
    QTextStream out(stdout);
    QTemporaryDir storage;
    const QDate day = QDate::currentDate().addDays(-1);
    const QString folder = StoragePaths::storageFolderFor(storage.path() + "/", "127.0.0.1", 502, "Bench");
    QFile file(folder + "/" + StoragePaths::dailyLogName(day));
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || file.write(fullDay()) < 0 ||
        !file.flush())
        return 1;

    // The window as the tile opens it, the board out of reach (no FTP),
    // then Aac and Vac of yesterday, a complete copy plotted from disk.
    DialogGraph w;
    w.setTheAddress("127.0.0.1");
    w.setTheTcpPort(502);
    w.setThePlantName("Bench");
    w.setTheStoragePath(storage.path() + "/");
    w.setTheFtpPort(21);
    w.setTheInvIsZeta(false);
    w.setTheName("Bench");
    w.setTheFtpIsPossible(false);
    w.setTheTemperatureCount(3);
    w.show();
    w.BtnChk();
    w.findChild<QCalendarWidget*>("calendarWidget")->setSelectedDate(day);
    auto* apply = w.findChild<QAbstractButton*>("pushButtonApply");
    apply->click();
    for (const char* b : {"B_3", "B_4"}) {
        w.findChild<QAbstractButton*>(b)->click();
        w.BtnChk();
    }
    apply->click();
    app.processEvents();
    QCustomPlot* ours = w.getThePlot();
    if (w.getTheState() != DialogGraph::StateGraph || !ours || ours->graphCount() != 6 ||
        ours->graph(0)->data()->size() != GraphDay::SlotCount) {
        out << "the graph page did not show the day\n";
        return 1;
    }

    // The bare plot: the same points on the same two value axes, same size.
    QCustomPlot bare;
    bare.resize(ours->size());
    bare.yAxis2->setVisible(true);
    for (int g = 0; g < ours->graphCount(); ++g)
        bare.addGraph(bare.xAxis, g < 3 ? bare.yAxis : bare.yAxis2)->data()->set(*ours->graph(g)->data());
    bare.rescaleAxes();
    bare.show();
    app.processEvents();

    // One call of each in turn, so that load changes on the machine touch all three alike.
    Cost page, plotOnly, reference;
    for (int i = 0; i < 20; ++i) // warm-up
        w.PageGraph(), bare.replot(), app.processEvents();
    for (int i = 0; i < calls; ++i) {
        page.measure([&] { w.PageGraph(); });
        plotOnly.measure([&] { w.PlotGraph(); });
        reference.measure([&] { bare.replot(); });
        app.processEvents(); // the queued repaints, outside the measures
    }
    const auto line = [&](const char* what, const Cost& c) {
        const double cpu = Cost::median(c.cpu), wall = Cost::median(c.wall);
        out << QString::asprintf("%-44s %8.3f ms %8.3f ms %7.2f %7.2f\n", what, cpu, wall,
                                 cpu / Cost::median(reference.cpu), wall / Cost::median(reference.wall));
    };
    out << QString::asprintf(
        "medians of %d calls each, interleaved       CPU        wall     ratio (CPU, wall)\n", calls);
    line("LoadData + PlotGraph + one replot", plotOnly);
    line("graph page (PageGraph: also the copy check)", page);
    line("bare QCustomPlot replot, same 1224 points", reference);
    return 0;
}
