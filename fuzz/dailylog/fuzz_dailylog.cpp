// The day log reader on a copied "DP_yyyy_mm_dd.log": the first byte picks
// a Zeta equipment or not, the rest is the file. Every record holds the
// day's value count and the day's series line up with the records.
#include "dailylog.h"
#include "fuzzinput.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const bool zeta = in.byte() & 1;
    QByteArray file = in.rest();
    QBuffer device(&file);
    device.open(QIODevice::ReadOnly | QIODevice::Text);
    const DailyLogData day = DailyLog::read(&device, zeta);
    FUZZ_CHECK(day.opened && day.valueCount == DailyLog::valueCount(zeta));
    for (const DailyLogRecord& r : day.records) {
        FUZZ_CHECK(r.values.size() == day.valueCount);
        FUZZ_CHECK(r.minutes >= 0 && r.minutes < 24 * 60);
    }
    const int zeros = day.leadingZeroSlots();
    FUZZ_CHECK(zeros >= 0 && zeros < 24 * 60 / DailyLog::SlotMinutes);
    const QVector<QVector<double>> series = day.series();
    FUZZ_CHECK(series.size() == day.valueCount);
    for (const QVector<double>& column : series)
        FUZZ_CHECK(column.size() == zeros + day.records.size());
    return 0;
}
