#include "probes.h"

#include "dailylog.h"
#include "logging.h"
#include "registerblocks.h"
#include "storagepaths.h"

#include <QFileInfo>

#include <limits>

namespace probes {

void ProbeSet::setFromTypeBlock(const registerblocks::TypeInfo& type)
{
    mask = type.probeMask;
    for (int i = 0; i < Count; ++i) {
        names[i] = type.probeNames[i];
        units[i] = type.probeUnits[i];
        maxima[i] = type.probeMax[i];
    }
}

void ProbeSet::setReadings(const unsigned short* measures)
{
    for (int i = 0; i < Count; ++i)
        readings[i] = short(measures[FirstReadingWord + i]);
}

bool isConfigured(unsigned short mask, int probe)
{
    return probe >= 1 && probe <= Count && (mask >> (probe - 1) & 1) != 0;
}

int configuredCount(unsigned short mask)
{
    int n = 0;
    for (int p = 1; p <= Count; ++p)
        n += isConfigured(mask, p);
    return n;
}

int GetNumberOfProbesConfigured(unsigned short mask, bool zetaOnLegacyProtocol)
{
    return zetaOnLegacyProtocol ? 0 : configuredCount(mask);
}

double probeMax(const unsigned short maxima[Count], int probe)
{
    return probe >= 1 && probe <= Count ? double(maxima[probe - 1]) : DefaultMax;
}

namespace {
QString countName(int count)
{
    static const char* const names[] = {"Zero", "Uno", "Due", "Tre", "Quattro"};
    return QString::fromLatin1(names[qBound(0, count, Count)]);
}
} // namespace

QString buttonImage(int count, bool selected)
{
    return countName(count) + QString("%1.png").arg(selected ? 1 : 0);
}

QString buttonHoverImage(int count)
{
    return countName(count) + "2.png";
}

QString probeButtonStyleSheet(int selected, int count)
{
    const QString normal = buttonImage(count, selected != 0);
    return QString("QPushButton#ButtonProbes\n{\n    background-color: transparent;\n    background-image: "
                   "url(\":/%1\");\n    background-repeat: none;    \n    border: none;\n}\n\n"
                   "QPushButton#ButtonProbes:hover\n{\n   background-image: url(\":/%2\");\n}\n\n"
                   "QPushButton#ButtonProbes:pressed\n{\n   background-image: url(\":/%3\")\n}")
        .arg(normal, buttonHoverImage(count), normal);
}

QString valueText(short reading, const QString& unit)
{
    return QString("%1 ").arg(reading / 10.0, 0, 'f', 2) + " " + unit;
}

QVector<double> UpdateLocalMeasure(const QString& storageFolder, int probe, bool isZeta, const QDate& day)
{
    const QString path = storageFolder + "/" + StoragePaths::dailyLogName(day);
    if (storageFolder.isEmpty() || !QFileInfo::exists(path)) {
        qCDebug(lcViews, "%s: LOG IS NOT THERE", "UpdateLocalMeasure");
        return {};
    }
    if (isZeta || probe < 1 || probe > Count)
        return {};
    const DailyLogData log = DailyLog::read(path, isZeta);
    const int column = FirstLogColumn + probe - 1;
    const double gap = std::numeric_limits<double>::quiet_NaN();
    QVector<double> curve;
    for (const DailyLogRecord& record : log.records) {
        // A record closes the 5 minutes before its time: one stamped 05:00
        // or earlier lies before the plot's first slot.
        if (record.minutes <= DailyLog::FirstSlotMinutes)
            continue;
        const int slot = DailyLog::leadingZeroSlots(record.minutes);
        if (slot >= DaySlots)
            continue;
        while (curve.size() <= slot)
            curve.append(gap);
        curve[slot] = record.values.value(column);
    }
    return curve;
}

} // namespace probes
