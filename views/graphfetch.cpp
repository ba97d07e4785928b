#include "graphfetch.h"
#include "logging.h"

#include <QStringList>

namespace graphfetch {

QString dateText(const QDate& day)
{
    return QStringLiteral("%1-%2-%3").arg(day.day()).arg(day.month()).arg(day.year());
}

QString catchUpDateText(const QDate& day)
{
    return QStringLiteral("%1-%2-%3")
        .arg(day.day(), 2, 10, QLatin1Char('0'))
        .arg(day.month(), 2, 10, QLatin1Char('0'))
        .arg(day.year(), 4, 10, QLatin1Char('0'));
}

QString lastSyncText(const QDate& day)
{
    return QStringLiteral("%1-%2-%3")
        .arg(day.year(), 4, 10, QLatin1Char('0'))
        .arg(day.month(), 2, 10, QLatin1Char('0'))
        .arg(day.day(), 2, 10, QLatin1Char('0'));
}

QDate parseLastSync(const QString& lastSync)
{
    const QStringList parts = lastSync.trimmed().split(QLatin1Char('-'));
    if (parts.size() != 3)
        return QDate();
    int numbers[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        numbers[i] = parts.at(i).toInt(&ok);
        if (!ok || numbers[i] <= 0)
            return QDate();
    }
    return QDate(numbers[0], numbers[1], numbers[2]);
}

int catchUpDayCount(const QString& lastSync, const QDate& today)
{
    const QDate last = parseLastSync(lastSync);
    if (!last.isValid() || !today.isValid() || last >= today)
        return 0;
    return int(qMin<qint64>(last.daysTo(today), MaxCatchUpDays));
}

QVector<QDate> catchUpDays(const QString& lastSync, const QDate& today)
{
    QVector<QDate> days;
    const int count = catchUpDayCount(lastSync, today);
    for (int i = 1; i <= count; ++i)
        days.append(today.addDays(-i));
    return days;
}

Decision decide(const QDate& date, const QDate& today, bool localComplete, bool ftpPossible, bool ftpWanted)
{
    if (date > today)
        return {FutureDate, false};
    if (date == today)
        return {PlotLocal, ftpPossible && ftpWanted};
    if (localComplete)
        return {PlotLocal, false};
    if (!ftpPossible)
        return {NoFile, false};
    return {PlotLocal, ftpWanted};
}

} // namespace graphfetch

TodayFetchThrottle::TodayFetchThrottle(Clock c)
{
    setClock(std::move(c));
}

void TodayFetchThrottle::setClock(Clock c)
{
    clock = std::move(c);
    shown = ref = now();
}

QDateTime TodayFetchThrottle::now() const
{
    return clock ? clock() : QDateTime::currentDateTime();
}

void TodayFetchThrottle::setDisplayedDate(const QDate& day)
{
    shown = QDateTime(day, now().time());
}

bool TodayFetchThrottle::request(int days)
{
    const QDateTime current = now();
    const QDate candidate = shown.date().addDays(days);
    if (candidate > current.date())
        return false;
    shown = QDateTime(candidate, current.time());
    if (candidate != current.date())
        return true;
    const qint64 secs = ref.secsTo(shown);
    qCDebug(lcViews, "old secs to now: %lld", static_cast<long long>(secs));
    if (secs >= MinimumSeconds)
        return true;
    ref = shown;
    return false;
}
