#include "dailylog.h"
#include "logging.h"

#include "logtext.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtDebug>

int DailyLogData::leadingZeroSlots() const
{
    return records.isEmpty() ? 0 : DailyLog::leadingZeroSlots(records.first().minutes);
}

QVector<QVector<double>> DailyLogData::series() const
{
    const int zeros = leadingZeroSlots();
    QVector<QVector<double>> columns(valueCount);
    for (int c = 0; c < valueCount; ++c) {
        QVector<double>& column = columns[c];
        column.reserve(zeros + records.size());
        column.fill(0.0, zeros);
        for (const DailyLogRecord& record : records)
            column.append(record.values.value(c));
    }
    return columns;
}

DailyLogData DailyLog::read(const QString& path, bool isZeta)
{
    QFile file(path);
    if (!file.exists()) {
        DailyLogData none;
        none.valueCount = valueCount(isZeta);
        return none;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcLogs, "ops");
        DailyLogData none;
        none.valueCount = valueCount(isZeta);
        return none;
    }
    return read(&file, isZeta);
}

DailyLogData DailyLog::read(QIODevice* device, bool isZeta)
{
    DailyLogData data;
    data.valueCount = valueCount(isZeta);
    data.opened = device && device->isReadable();
    if (!data.opened)
        return data;
    QByteArray bytes;
    bool overlong = false;
    int lineNumber = 0;
    while (LogText::readLine(device, MaxLineChars, &bytes, &overlong)) {
        if (++lineNumber <= HeaderLines)
            continue;
        const QString line = QString::fromUtf8(bytes);
        if (!overlong && line.trimmed().isEmpty())
            continue;
        DailyLogRecord record;
        if (!overlong && parseRecord(line, data.valueCount, &record))
            data.records.append(record);
        else
            ++data.skippedLines;
    }
    return data;
}

bool DailyLog::parseRecord(const QString& line, int valueCount, DailyLogRecord* record)
{
    const QVector<QStringRef> fields = line.splitRef(QLatin1Char(';'));
    const QVector<QStringRef> time = fields.first().split(QLatin1Char(':'));
    if (time.size() != 2)
        return false;
    bool hoursOk = false;
    bool minutesOk = false;
    const int hours = LogText::leadingInt(time.at(0), &hoursOk);
    const int minutes = LogText::leadingInt(time.at(1), &minutesOk);
    if (!hoursOk || !minutesOk || hours < 0 || hours > 23 || minutes < 0 || minutes > 59)
        return false;
    record->minutes = hours * 60 + minutes;
    record->values.fill(0.0, qMax(valueCount, 0));
    const int available = qMin(valueCount, fields.size() - 1);
    for (int i = 0; i < available; ++i)
        record->values[i] = LogText::leadingDouble(fields.at(i + 1));
    return true;
}

int DailyLog::leadingZeroSlots(int firstRecordMinutes)
{
    const int late = firstRecordMinutes - FirstRecordMinutes;
    return late > 0 ? (late + SlotMinutes - 1) / SlotMinutes : 0;
}

int DailyLog::linesAfterHeaders(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    QByteArray bytes;
    bool overlong = false;
    int lines = 0;
    while (LogText::readLine(&file, MaxLineChars, &bytes, &overlong))
        ++lines;
    return qMax(lines - HeaderLines, 0);
}

bool DailyLog::isComplete(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0 && linesAfterHeaders(path) > CompleteLineCount;
}
