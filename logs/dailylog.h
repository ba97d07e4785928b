#pragma once
// The board's daily log "DP_yyyy_mm_dd.log" as copied into the storage
// folder: two header lines, then one record every 5 minutes, "hh:mm" followed
// by the values of the day's columns, all separated by ";".

#include <QString>
#include <QVector>

class QIODevice;

// One record of the daily log.
struct DailyLogRecord
{
    int minutes = 0;        // hours * 60 + minutes of the record's time
    QVector<double> values; // always exactly the log's value count
};

// What a daily log holds, as read.
struct DailyLogData
{
    bool opened = false;             // the file could be opened (a missing file is not)
    int valueCount = 0;              // values per record: 29, or 30 for a Zeta equipment
    QVector<DailyLogRecord> records; // good records, in file order
    int skippedLines = 0;            // lines that were not records (blank lines excluded)

    bool isEmpty() const { return records.isEmpty(); }
    // Zero samples put before the first record so that it lands on its slot
    // of the 05:00 + 5 min * i grid.
    int leadingZeroSlots() const;
    // The day's samples, one vector per value column, each starting with the
    // leading zero slots and then one sample per record in file order.
    QVector<QVector<double>> series() const;
};

class DailyLog
{
public:
    static constexpr int ValueCount = 29;     // equipments that are not Zeta
    static constexpr int ZetaValueCount = 30; // Zeta equipments
    static constexpr int HeaderLines = 2;
    static constexpr int MaxLineChars = 1023;
    // A day's log counts as complete when it has more lines than this after
    // its headers (a day from 05:00 to 22:00 has 204 records).
    static constexpr int CompleteLineCount = 202;
    static constexpr int FirstSlotMinutes = 5 * 60;       // 05:00, slot 0
    static constexpr int FirstRecordMinutes = 5 * 60 + 5; // 05:05, lands on slot 0
    static constexpr int SlotMinutes = 5;

    static int valueCount(bool isZeta) { return isZeta ? ZetaValueCount : ValueCount; }

    // Reads the file at path. A missing file, one that cannot be opened and an
    // empty one give no records.
    static DailyLogData read(const QString& path, bool isZeta);
    // Reads an open device the same way.
    static DailyLogData read(QIODevice* device, bool isZeta);

    // Parses one line without its line end. A record needs a time "hh:mm"
    // (00:00 to 23:59) before the first ";"; values that cannot be read, and
    // those missing at the end of a short record, read as 0; values beyond
    // valueCount are ignored. Returns false for anything that is no record.
    static bool parseRecord(const QString& line, int valueCount, DailyLogRecord* record);

    // One zero sample for every started 5-minute step by which the first
    // record's time lies after 05:05.
    static int leadingZeroSlots(int firstRecordMinutes);

    // Lines after the two header lines (blank lines included), or -1 when the
    // file cannot be opened.
    static int linesAfterHeaders(const QString& path);
    // The file exists, opens, is not empty and has more than 202 lines after
    // its headers: a day's copy that needs no new fetch.
    static bool isComplete(const QString& path);
};
