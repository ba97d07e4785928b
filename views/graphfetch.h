#pragma once
// When the daily graph fetches a day's log from the board: the date texts of
// its labels, the catch-up of the days since the equipment's last sync, the
// choice between the local copy and a fetch, and the throttle that keeps a
// request for today from fetching again within 300 s.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>

#include <functional>

namespace graphfetch {

// "%1-%2-%3" of day, month and year, unpadded: 7-3-2016.
QString dateText(const QDate& day);
// The same with day and month on two digits and the year on four: 07-03-2016.
QString catchUpDateText(const QDate& day);
// The last sync as stored: year, month and day, zero-padded: 2016-03-07.
QString lastSyncText(const QDate& day);

// The date of a last sync "year-month-day", padded or not (2016-03-07,
// 2016-3-7); invalid for an empty or malformed text.
QDate parseLastSync(const QString& lastSync);

// A catch-up fetches at most this many days, the most recent ones.
constexpr int MaxCatchUpDays = 366;
// Days from the last sync to today when it lies before today (at most
// MaxCatchUpDays), else 0: an empty or malformed last sync never catches up.
int catchUpDayCount(const QString& lastSync, const QDate& today);
// The days a catch-up fetches, in the order it fetches them: yesterday back
// to the last sync date.
QVector<QDate> catchUpDays(const QString& lastSync, const QDate& today);

enum Result
{
    FutureDate = -1, // a date after today
    NoFile = -2,     // no usable local copy and no FTP possible
    PlotLocal = 0,   // plot the local copy (a fetch may still be wanted)
    Fetching = 1,    // a fetch was started; the plot comes when it ends
};

struct Decision
{
    Result result = PlotLocal;
    bool fetch = false;
};
// Today is fetched whenever FTP is possible and wanted; a past day only when
// its local copy is not complete (missing, or 202 lines or fewer after its
// headers) and FTP is wanted; without FTP such a day has no file.
Decision decide(const QDate& date, const QDate& today, bool localComplete, bool ftpPossible, bool ftpWanted);

} // namespace graphfetch

// The displayed day of the graph and the reference time that throttles
// fetches of today: a request for today made less than 300 s after the
// reference is served from the local copy and moves the reference to now; a
// later one fetches. The reference starts at the throttle's creation.
class TodayFetchThrottle
{
public:
    using Clock = std::function<QDateTime()>;
    static constexpr qint64 MinimumSeconds = 300;

    // Without a clock the system's local time is used.
    explicit TodayFetchThrottle(Clock clock = Clock());
    // Another clock; the displayed time and the reference restart from it.
    void setClock(Clock clock);
    QDateTime now() const;

    // The displayed day becomes day, at the current time.
    void setDisplayedDate(const QDate& day);
    // Moves the displayed day by days and tells whether a fetch is wanted.
    // A day after today is refused: nothing moves and no fetch is wanted.
    bool request(int days);

    QDateTime displayed() const { return shown; }
    QDateTime reference() const { return ref; }

private:
    Clock clock;
    QDateTime shown;
    QDateTime ref;
};
