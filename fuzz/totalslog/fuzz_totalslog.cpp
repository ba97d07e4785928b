// The totals log reader on a copied "TOTALS_yyyy.log": twelve monthly sums
// whatever the file holds, and every line it takes names a month.
#include "fuzzinput.h"
#include "totalslog.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray file(reinterpret_cast<const char*>(data), int(size));
    QBuffer device(&file);
    device.open(QIODevice::ReadOnly | QIODevice::Text);
    FUZZ_CHECK(TotalsLog::monthlySums(&device).size() == 12);
    for (const QByteArray& line : file.split('\n')) {
        int month = 0;
        double kwh = 0.0;
        if (TotalsLog::parseLine(QString::fromUtf8(line), &month, &kwh))
            FUZZ_CHECK(month >= 1 && month <= 12 && qIsFinite(kwh));
    }
    return 0;
}
