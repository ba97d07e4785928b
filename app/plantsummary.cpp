#include "plantsummary.h"

#include <algorithm>

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

} // namespace plantsummary
