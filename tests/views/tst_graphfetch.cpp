// When the daily graph fetches a day: complete and incomplete local copies,
// the catch-up since the last sync, and the 300 s throttle of today's
// fetches on an injected clock.
#include "dailylog.h"
#include "graphfetch.h"

#include <QTemporaryDir>
#include <QtTest>

using Dates = QVector<QDate>;

// One request of the throttle: seconds after its creation, days to move, what is expected.
struct ThrottleStep
{
    qint64 at;
    int days;
    bool wanted;
    QDate displayed;
};
Q_DECLARE_METATYPE(QList<ThrottleStep>)

class TestGraphFetch : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void catchUp_data()
    {
        QTest::addColumn<QString>("lastSync");
        QTest::addColumn<Dates>("days"); // today is 2016-03-07
        QTest::newRow("empty never catches up") << "" << Dates{};
        QTest::newRow("in the future") << "2016-03-09" << Dates{};
        QTest::newRow("three days, yesterday first")
            << "2016-03-04" << Dates{{2016, 3, 6}, {2016, 3, 5}, {2016, 3, 4}};
        QTest::newRow("unpadded, as written at quit") << "2016-3-5" << Dates{{2016, 3, 6}, {2016, 3, 5}};
        QTest::newRow("over February 29")
            << "2016-02-28" << Dates{{2016, 3, 6}, {2016, 3, 5}, {2016, 3, 4},  {2016, 3, 3},
                                     {2016, 3, 2}, {2016, 3, 1}, {2016, 2, 29}, {2016, 2, 28}};
        QTest::newRow("no such date") << "2016-02-30" << Dates{};
        QTest::newRow("garbage") << "yesterday" << Dates{};
        QTest::newRow("trailing text") << "2016-03-05x" << Dates{};
    }
    void catchUp()
    {
        QFETCH(QString, lastSync);
        QFETCH(Dates, days);
        const QDate today(2016, 3, 7);
        QCOMPARE(graphfetch::catchUpDays(lastSync, today), days);
        QCOMPARE(graphfetch::catchUpDayCount(lastSync, today), days.size());
        // However far behind, the catch-up is bounded.
        const Dates bounded = graphfetch::catchUpDays("1999-01-01", today);
        QCOMPARE(bounded.size(), graphfetch::MaxCatchUpDays);
        QCOMPARE(bounded.last(), today.addDays(-graphfetch::MaxCatchUpDays));
    }
    void decide_data()
    {
        QTest::addColumn<int>("dayOffset"); // from today
        QTest::addColumn<int>("lines");     // after the headers; -1: no local file
        QTest::addColumn<bool>("ftpPossible");
        QTest::addColumn<bool>("ftpWanted");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("fetch");
        QTest::newRow("past, 202 lines: fetched again") << -1 << 202 << true << true << 0 << true;
        QTest::newRow("past, 203 lines: plotted from disk") << -1 << 203 << true << true << 0 << false;
        QTest::newRow("past, missing") << -2 << -1 << true << true << 0 << true;
        QTest::newRow("past, empty file") << -2 << 0 << true << true << 0 << true;
        QTest::newRow("past, missing, no FTP: no file") << -2 << -1 << false << true << -2 << false;
        QTest::newRow("past, 202 lines, no FTP: no file") << -1 << 202 << false << true << -2 << false;
        QTest::newRow("today, complete: fetched anyway") << 0 << 204 << true << true << 0 << true;
        QTest::newRow("today within 300 s") << 0 << 100 << true << false << 0 << false;
        QTest::newRow("tomorrow") << 1 << -1 << true << true << -1 << false;
    }
    void decide()
    {
        QFETCH(int, dayOffset);
        QFETCH(int, lines);
        QFETCH(bool, ftpPossible);
        QFETCH(bool, ftpWanted);
        const QDate today(2016, 3, 7);
        const QString path = dir.filePath(QString("day%1.log").arg(QTest::currentDataTag()));
        QFile::remove(path);
        if (lines >= 0) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (lines > 0)
                f.write("header 1\nheader 2\n");
            for (int i = 0; i < lines; ++i)
                f.write("12:00;1;2;3\n");
        }
        const QDate date = today.addDays(dayOffset);
        const graphfetch::Decision d = graphfetch::decide(
            date, today, date < today && DailyLog::isComplete(path), ftpPossible, ftpWanted);
        QTEST(int(d.result), "result");
        QTEST(d.fetch, "fetch");
    }
    void throttle_data()
    {
        QTest::addColumn<QDateTime>("created");
        QTest::addColumn<QList<ThrottleStep>>("steps");
        const QDateTime noon({2016, 3, 7}, {12, 0});
        const QDate today(2016, 3, 7), yesterday(2016, 3, 6);
        using Steps = QList<ThrottleStep>;
        QTest::newRow("today, 299 s after creation: local copy") << noon << Steps{{299, 0, false, today}};
        QTest::newRow("today, 300 s after creation: fetched") << noon << Steps{{300, 0, true, today}};
        // A refused request moves the reference; a fetch does not.
        QTest::newRow("refusals push the reference") << noon
                                                     << Steps{{200, 0, false, today},
                                                              {450, 0, false, today},
                                                              {749, 0, false, today},
                                                              {1049, 0, true, today},
                                                              {1050, 0, true, today}};
        QTest::newRow("past days are always wanted")
            << noon << Steps{{0, -1, true, yesterday}, {1, -1, true, today.addDays(-2)}};
        QTest::newRow("back to today from yesterday") << noon
                                                      << Steps{{10, -1, true, yesterday},
                                                               {20, 1, false, today},
                                                               {400, -1, true, yesterday},
                                                               {700, 1, true, today}};
        QTest::newRow("day plus on today does nothing")
            << noon << Steps{{400, 1, false, today}, {401, 0, true, today}};
        // A window kept open over midnight: the new today is not held back by yesterday's reference.
        QTest::newRow("over midnight")
            << QDateTime(yesterday, {23, 58}) << Steps{{60, 0, false, yesterday}, {720, 1, true, today}};
    }
    void throttle()
    {
        QFETCH(QDateTime, created);
        QFETCH(QList<ThrottleStep>, steps);
        QDateTime now = created;
        TodayFetchThrottle t([&now] { return now; });
        QCOMPARE(t.displayed(), created);
        for (const ThrottleStep& s : steps) {
            now = created.addSecs(s.at);
            QCOMPARE(t.request(s.days), s.wanted);
            QCOMPARE(t.displayed().date(), s.displayed);
        }
    }
};

QTEST_GUILESS_MAIN(TestGraphFetch)
#include "tst_graphfetch.moc"
