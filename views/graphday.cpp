#include "graphday.h"

#include "dailylog.h"
#include "logtext.h"

#include <QDateTime>
#include <QFile>
#include <QTime>

namespace {

bool isBlank(const QByteArray& line)
{
    for (char c : line)
        if (c != ' ' && (c < '\t' || c > '\r'))
            return false;
    return true;
}

} // namespace

void GraphDay::clear(bool isZeta)
{
    zeta = isZeta;
    samples = 0;
    zeros = 0;
    const int count = DailyLog::valueCount(isZeta);
    columns = QVector<QVector<double>>(count);
    for (QVector<double>& column : columns)
        column.reserve(SlotCount);
    minima.fill(NoMinimum, count);
    maxima.fill(NoMaximum, count);
}

bool GraphDay::load(const QString& path, bool isZeta)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        clear(isZeta);
        return false;
    }
    return load(&file, isZeta);
}

bool GraphDay::load(QIODevice* device, bool isZeta)
{
    clear(isZeta);
    if (!device || !device->isReadable())
        return false;
    const int valueCount = columns.size();
    QByteArray bytes;
    bool overlong = false;
    int lineNumber = 0;
    bool firstRecord = true;
    DailyLogRecord record;
    // The slots bound what is read: a longer file is left unread past them.
    while (samples < SlotCount && LogText::readLine(device, DailyLog::MaxLineChars, &bytes, &overlong)) {
        if (++lineNumber <= DailyLog::HeaderLines || overlong || isBlank(bytes))
            continue;
        if (!DailyLog::parseRecord(QString::fromUtf8(bytes), valueCount, &record))
            continue;
        if (firstRecord) {
            firstRecord = false;
            zeros = qMin(DailyLog::leadingZeroSlots(record.minutes), int(SlotCount));
            const QVector<double> nothing(valueCount, 0.0);
            for (int i = 0; i < zeros; ++i)
                addSample(nothing);
            if (samples >= SlotCount)
                break;
        }
        addSample(record.values);
    }
    return true;
}

void GraphDay::addSample(const QVector<double>& values)
{
    for (int c = 0; c < columns.size(); ++c) {
        const double v = values.value(c);
        columns[c].append(v);
        // A grid voltage of 0 is the equipment asleep, not a low voltage.
        if (!zeta && c >= 1 && c <= 3 && v == 0.0)
            continue;
        minima[c] = qMin(minima[c], v);
        maxima[c] = qMax(maxima[c], v);
    }
    ++samples;
}

const QVector<double>& GraphDay::series(int s) const
{
    static const QVector<double> none;
    return s >= 0 && s < columns.size() ? columns.at(s) : none;
}

double GraphDay::slotKey(const QDate& day, int slot)
{
    const QDateTime start(day, QTime(FirstSlotHour, 0));
    return double(start.toSecsSinceEpoch()) + double(slot) * SlotSeconds;
}

QVector<double> GraphDay::timeAxis(const QDate& day)
{
    QVector<double> keys(SlotCount);
    const double start = slotKey(day, 0);
    for (int i = 0; i < SlotCount; ++i)
        keys[i] = start + double(i) * SlotSeconds;
    return keys;
}
