// The daily graph window driven as the tile drives it, against plantsim's
// FTP server (and pyftpdlib) on loopback.
#include "dailylog.h"
#include "dialoggraph.h"
#include "graphfetch.h"
#include "plantsimprocess.h"
#include "pyftpserver.h"
#include "storagepaths.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QCalendarWidget>
#include <QTcpServer>
#include <QtTest>
#include <memory>
#include <qcustomplot.h>

namespace {
using Buttons = QVector<int>;

QJsonObject board(const QString& id, const QString& kind, const QJsonArray& faults = {})
{
    return QJsonObject{{"id", id},        {"kind", kind}, {"firmware", 150},       {"name", id},
                       {"phases", 3},     {"state", 1},   {"nominalPower", 20000}, {"historyDays", 3},
                       {"faults", faults}};
}
QString status(DialogGraph* w)
{
    return testsupport::labelText(w, "labelStatus");
}
QAbstractButton* button(DialogGraph* w, const QString& name)
{
    return w->findChild<QAbstractButton*>(name);
}
QString shown(const QDate& d)
{
    return "Displaying data (" + graphfetch::dateText(d) + ")";
}

bool writeDay(const QString& path, int records)
{
    QByteArray text = "DATE;x\nTIME;kW\n";
    for (int i = 0; i < records; ++i)
        text += testsupport::logRecord(QTime(5, 5).addSecs(300 * i), QVector<double>(29, 1.5));
    QFile f(path);
    return QDir().mkpath(QFileInfo(path).path()) && f.open(QIODevice::WriteOnly) &&
           f.write(text) == text.size();
}
QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
// A folder name of its own for every test case.
QString plantName()
{
    QString name = QString(QTest::currentTestFunction()) + '_' + QTest::currentDataTag();
    return name.replace(QRegularExpression("[^A-Za-z0-9_]"), "_");
}
} // namespace

class TestDialogGraph : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    QTemporaryDir dir;
    PlantSimProcess sim;
    const QDate today = QDate::currentDate();

    // A window handed what the tile hands it at a Graphs click.
    std::unique_ptr<DialogGraph> open(const QString& id, const QString& lastSync, bool ftpPossible = true,
                                      quint16 ftpPort = 0)
    {
        auto w = std::make_unique<DialogGraph>();
        w->setTheAddress("127.0.0.1");
        w->setTheTcpPort(sim.board(id).modbus);
        w->setThePlantName(plantName());
        w->setTheStoragePath(sandbox.path() + "/");
        w->setTheFtpPort(ftpPort ? ftpPort : sim.board(id).ftp);
        w->setTheName(id);
        w->setTheFtpIsPossible(ftpPossible);
        w->setTheTemperatureCount(3);
        w->setTheProbeLabels({"Irradiance", "", "", ""});
        w->setTheLastSync(lastSync);
        w->show();
        return w;
    }
    QString dayPath(DialogGraph* w, const QDate& d) const
    {
        return w->getTheDayFolder() + "/" + StoragePaths::dailyLogName(d);
    }
    // From the date page to the graph page: date, quantities, Apply.
    static void showGraph(DialogGraph* w, const QDate& date, const Buttons& buttons)
    {
        QTRY_COMPARE(w->getTheState(), int(DialogGraph::StateDatePage));
        w->findChild<QCalendarWidget*>("calendarWidget")->setSelectedDate(date);
        button(w, "pushButtonApply")->click();
        for (int b : buttons) {
            button(w, QString("B_%1").arg(b))->click();
            w->BtnChk(); // the pending click is taken at the next check
        }
        button(w, "pushButtonApply")->click();
        QCOMPARE(w->getTheState(), int(DialogGraph::StateGraph));
    }
    int sent(const QString& id, const QDate& d, int from = 0) const
    {
        const QString line = QString("FTP %1 SENT applog/%2").arg(id, StoragePaths::dailyLogName(d));
        int n = 0;
        for (int i = from;
             (i = sim.indexOf(QRegularExpression("^" + QRegularExpression::escape(line)), i)) >= 0; ++i)
            ++n;
        return n;
    }

private slots:
    void initTestCase()
    {
        const QJsonArray boards = {board("inv", "inverter"), board("mute", "inverter", {"ftp-silent"}),
                                   board("stall", "inverter", {"ftp-stall"})};
        // Today's log as at noon whatever the hour, so that today has records to plot.
        QVERIFY(sim.start({"--scenario", writeScenario(dir, boards), "--loopback", "--no-udp", "--update-ms",
                           "3600000", "--solar-time", "12:00"}));
    }

    // An empty last sync: tst_viewrules; a catch-up of days the board has: tst_e2e_tilewindows.
    void catchUp_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("daysBack"); // of the last sync; the board keeps 3 past days
        QTest::addColumn<bool>("ftpPossible");
        QTest::addColumn<bool>("lostBeforeCheck");
        QTest::addColumn<QString>("status");
        QTest::newRow("behind, but no FTP possible") << "inv" << 2 << false << false << "";
        QTest::newRow("behind, board lost before the check")
            << "inv" << 2 << true << true << "(Disconnected)";
        QTest::newRow("two days the board no longer has") << "inv" << 5 << true << false << "In Sync.";
        QTest::newRow("silent server") << "mute" << 2 << true << false << "Ftp TIMEOUT";
    }
    void catchUp()
    {
        QFETCH(QString, id);
        QFETCH(int, daysBack);
        QFETCH(bool, ftpPossible);
        QFETCH(bool, lostBeforeCheck);
        QFETCH(QString, status);
        const int from = sim.lineCount();
        auto w = open(id, graphfetch::lastSyncText(today.addDays(-daysBack)), ftpPossible);
        if (lostBeforeCheck)
            w->setTheFtpIsPossible(false);
        const bool fetching = status == "In Sync.";
        if (fetching) // a short copy of yesterday is replaced by the full day
            QVERIFY(writeDay(dayPath(w.get(), today.addDays(-1)), 40));
        if (id == "mute")
            w->setTheLoginTimerInterval(20);
        QSignalSpy synced(w.get(), &DialogGraph::lastSyncChanged);
        QTRY_COMPARE_WITH_TIMEOUT(::status(w.get()), status, 30000);
        QTRY_COMPARE(w->getTheState(), int(DialogGraph::StateDatePage));
        QVERIFY(!w->getTheFtpIsRunning());
        QVERIFY(button(w.get(), "pushButtonApply")->isEnabled());
        QCOMPARE(synced.count(), fetching ? 1 : 0);
        if (id == "mute") {
            QVERIFY(sim.hasLine(QRegularExpression("^FTP mute SILENT"), from));
            QVERIFY(w->getTheFtpFailed());
            QCOMPARE(QDir(w->getTheDayFolder()).entryList(QDir::Files), QStringList());
            // Until the next opening check, chosen days are plotted from what is on disk.
            QCOMPARE(w->FtpGetForDate(today.addDays(-1)), 0);
            QVERIFY(!w->getTheFtpIsRunning());
            return;
        }
        if (!fetching) {
            QVERIFY(sim.barrier());
            QVERIFY(!sim.hasLine(QRegularExpression("^FTP inv LOGIN"), from));
            QVERIFY(!QDir(w->getTheDayFolder()).exists());
            return;
        }
        QCOMPARE(synced.first().first().toString(), graphfetch::lastSyncText(today));
        // Yesterday back to the last sync date, in that order, one request each; only the
        // days the board has end up in the folder, and nothing else.
        QStringList expected;
        int previous = -1;
        for (int d = 1; d <= daysBack; ++d) {
            const QString name = StoragePaths::dailyLogName(today.addDays(-d));
            const int at = sim.indexOf(QRegularExpression("^FTP inv RETR applog/" + name), from);
            QVERIFY2(at > previous, qPrintable(name));
            previous = at;
            QCOMPARE(sent("inv", today.addDays(-d), from), d <= 3 ? 1 : 0);
            if (d <= 3) {
                QVERIFY(DailyLog::isComplete(dayPath(w.get(), today.addDays(-d))));
                expected << name;
            }
        }
        expected.sort();
        QCOMPARE(QDir(w->getTheDayFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    }

    // The quantities of a Zeta board: tst_viewrules.
    void pastDayFetchedAndPaged()
    {
        const QString id = "inv";
        const QStringList names = {"kW ", "Vr", "Vs", "Vt"};
        const QDate yesterday = today.addDays(-1);
        auto w = open(id, graphfetch::lastSyncText(today));
        int from = sim.lineCount();
        showGraph(w.get(), yesterday, {1, 4, 2}); // a third quantity is ignored
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(status(w.get()), QString("Getting data..."));
        QTRY_COMPARE_WITH_TIMEOUT(status(w.get()), shown(yesterday), 20000);
        QCOMPARE(sent(id, yesterday, from), 1);
        QVERIFY(DailyLog::isComplete(dayPath(w.get(), yesterday)));
        QCustomPlot* plot = w->getThePlot();
        QVERIFY(plot && plot->isVisible());
        QCOMPARE(plot->graphCount(), names.size());
        for (int g = 0; g < plot->graphCount(); ++g) {
            QCOMPARE(plot->graph(g)->name(), names.at(g));
            QCOMPARE(plot->graph(g)->data()->size(), 204); // a past day runs 05:05 to 22:00
        }
        testsupport::saveGrab(w.get(), "dialoggraph_graph_" + plantName());

        // Day minus: the day before is missing locally and fetched too.
        from = sim.lineCount();
        button(w.get(), "pushButtonDayMinus")->click();
        QTRY_COMPARE_WITH_TIMEOUT(status(w.get()), shown(today.addDays(-2)), 20000);
        QCOMPARE(sent(id, today.addDays(-2), from), 1);
        // Day plus: yesterday's copy is complete, plotted from disk; then today, less
        // than 300 s after opening: the local copy; day plus on today does nothing.
        for (const QDate& d : {yesterday, today, today}) {
            button(w.get(), "pushButtonDayPlus")->click();
            QCOMPARE(w->getTheChosenDate(), d);
            QCOMPARE(status(w.get()), shown(d));
            QVERIFY(!w->getTheFtpIsRunning());
        }
        QVERIFY(sim.barrier());
        QCOMPARE(sent(id, yesterday, from), 0);
        QVERIFY(!sim.hasLine(QRegularExpression("RETR applog/" + StoragePaths::dailyLogName(today)), from));
    }

    void failedFetchKeepsOldCopy_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("dayOffset");
        QTest::addColumn<QString>("server"); // "plantsim", "refused" or "oversized" (pyftpdlib)
        QTest::addColumn<QString>("status");
        const auto noFile = [this](int offset) {
            return "No file for " + graphfetch::dateText(today.addDays(offset));
        };
        QTest::newRow("stalled download") << "stall" << -1 << "plantsim"
                                          << "Ftp TIMEOUT";
        QTest::newRow("day not on the board") << "inv" << -10 << "plantsim" << noFile(-10);
        QTest::newRow("connection refused, retried") << "inv" << -1 << "refused" << noFile(-1);
        QTest::newRow("oversized day file") << "inv" << -1 << "oversized" << noFile(-1);
    }
    void failedFetchKeepsOldCopy()
    {
        QFETCH(QString, id);
        QFETCH(int, dayOffset);
        QFETCH(QString, server);
        const QDate day = today.addDays(dayOffset);
        quint16 port = 0;
        PyFtpServer pyftp;
        QTemporaryDir served;
        if (server == "refused") {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort(); // closed again: nothing listens there
        } else if (server == "oversized") {
            QVERIFY(QDir(served.path()).mkpath("applog"));
            QFile big(served.filePath("applog/" + StoragePaths::dailyLogName(day)));
            QVERIFY(big.open(QIODevice::WriteOnly));
            QVERIFY(big.write(QByteArray("05:05;1;2;3\n").repeated(200000)) > DialogGraph::MaxDayFileBytes);
            big.close();
            QVERIFY(pyftp.start(served.path()));
            port = pyftp.port;
        }
        auto w = open(id, graphfetch::lastSyncText(today), true, port);
        w->setTheLoginTimerInterval(50);
        // An incomplete copy (150 records): fetched again, and kept when that fails.
        const QString path = dayPath(w.get(), day);
        QVERIFY(writeDay(path, 150));
        const QByteArray old = contents(path);
        showGraph(w.get(), day, {1});
        QVERIFY(!QTest::currentTestFailed());
        QTRY_VERIFY_WITH_TIMEOUT(!w->getTheFtpIsRunning(), 20000);
        QTEST(status(w.get()), "status");
        QCOMPARE(contents(path), old);
        QCOMPARE(QDir(w->getTheDayFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{StoragePaths::dailyLogName(day)});
        QVERIFY(!w->getThePlot() || !w->getThePlot()->isVisible());
    }

    void closeDuringCatchUp()
    {
        auto w = open("mute", graphfetch::lastSyncText(today.addDays(-1)));
        QTRY_VERIFY(w->getTheFtpIsRunning());
        QSignalSpy closed(w.get(), &DialogGraph::graphClosed);
        QPointer<DialogGraph> p = w.release();
        button(p, "pushButtonClose")->click();
        QCOMPARE(closed.count(), 1);
        QTRY_VERIFY(!p); // it deletes itself
    }
};

VELORA_CONSOLE_TEST_MAIN(TestDialogGraph)
#include "tst_dialoggraph.moc"
