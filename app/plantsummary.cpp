#include "plantsummary.h"

#include <algorithm>
#include <cmath>

namespace plantsummary {

PlantTotals sum(const QVector<TileReading>& tiles)
{
    PlantTotals t;
    for (const TileReading& r : tiles) {
        if (r.stringBox || !r.connected)
            continue;
        t.power += r.power;
        t.dailyEnergy += r.dailyEnergy;
        t.monthlyEnergy += r.monthlyEnergy;
        t.totalEnergy += r.totalEnergy;
        t.ratingSum += r.nominal / 1000.0 * r.kvpac;
        t.nominalPower += r.nominal;
        t.alarm = t.alarm || r.inAlarm;
    }
    return t;
}

QString dateTimeText(const QDateTime& now)
{
    const QDate d = now.date();
    const QTime t = now.time();
    return QString("%1/%2/%3 - %4:%5:%6")
        .arg(d.day())
        .arg(d.month())
        .arg(d.year())
        .arg(t.hour())
        .arg(t.minute(), 2, 10, QChar('0'))
        .arg(t.second(), 2, 10, QChar('0'));
}

QString totalPowerText(const PlantTotals& totals, int equipments, bool unconfiguredPresent)
{
    const QString count = totals.alarm
                              ? QString("%1 equipments. At least one equipment is in alarm.").arg(equipments)
                              : QString("%1 equipments. No alarms.").arg(equipments);
    QString text = QString("Total power: %1 kW, %2").arg(totals.power / 1000.0, 0, 'f', 2).arg(count);
    if (unconfiguredPresent)
        text += " [Unconfigured equip. present]";
    return text;
}

QString totPowText(const PlantTotals& totals)
{
    return QString("%1 kW").arg(totals.power / 1000.0, 0, 'f', 2);
}

void addCurve(QVector<double>& sum, const QVector<double>& curve)
{
    if (sum.size() != SumCapacity)
        sum.resize(SumCapacity);
    const int n = std::min(int(curve.size()), SumCapacity);
    for (int i = 0; i < n; ++i)
        sum[i] += curve[i];
}

FullScreenValues fullScreenValues(const PlantTotals& t)
{
    FullScreenValues v;
    v.monthKWh = t.monthlyEnergy;
    const double share = t.power * 10.0 / t.ratingSum;
    v.percentOfNominal = t.ratingSum > 0.0 && std::isfinite(share) ? share : 0.0;
    v.dayKWh = t.dailyEnergy / 10.0;
    v.powerKW = t.power / 1000.0;
    v.totalKWh = t.totalEnergy;
    return v;
}

MiniPlotFeed miniPlotFeed(const QVector<MiniPlotTile>& tiles, const QString& probeIp, int probeProbe)
{
    MiniPlotFeed feed;
    QVector<double> sum(SumCapacity, 0.0);
    int n = 0;
    bool timeAxisTaken = false;
    for (int i = 0; i < tiles.size(); ++i) {
        const MiniPlotTile& t = tiles[i];
        const bool carriesProbe = probeProbe != 0 && t.key == probeIp;
        if (!t.connected) {
            if (carriesProbe)
                feed.probeUsable = false;
            continue;
        }
        if (!t.y.isEmpty())
            n = std::min(int(t.y.size()), SumCapacity);
        if (!timeAxisTaken && !t.stringBox) {
            feed.x = t.x;
            timeAxisTaken = true;
        }
        if (carriesProbe)
            feed.probeTile = i;
        addCurve(sum, t.y);
    }
    feed.sum = sum.mid(0, n);
    return feed;
}

} // namespace plantsummary
