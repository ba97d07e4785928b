#pragma once
// The board's yearly totals log "TOTALS_yyyy.log" as copied into the storage
// folder: one line per day, "yyyy-mm-dd;kWh", further fields ignored, and the
// monthly energy sums derived from it.

#include <QString>
#include <QVector>

class QIODevice;

class TotalsLog
{
public:
    static constexpr int MaxLineChars = 127;

    // Month (1 to 12) and energy in kWh of one line without its line end.
    // False for a line without a second field, without a month part, with a
    // month outside 1 to 12 or with an energy that is no number.
    static bool parseLine(const QString& line, int* month, double* kwh);

    // Sums the energies of the file per month: 12 values, January first. The
    // year in the lines is not looked at: the file name alone selects the year.
    // A missing file gives 12 zeros; opened is false then, or when the file
    // exists but cannot be opened.
    static QVector<double> monthlySums(const QString& path, bool* opened = nullptr);
    static QVector<double> monthlySums(QIODevice* device);
};

// The tile's monthly energy cache: the 12 monthly sums of one year's totals
// log, read again only when another year is asked for or after invalidate().
class MonthlyEnergyCache
{
public:
    // Loads the sums of year from storageFolder + "/TOTALS_<year>.log" unless
    // the cache already holds that year.
    void fill(const QString& storageFolder, int year);
    // That month's energy in kWh (month 1 to 12), filling the cache first;
    // 0.0 for a month outside 1 to 12, without reading anything.
    double energy(const QString& storageFolder, unsigned int year, unsigned int month);
    // Forgets the cached year so that the next request reads the file again
    // (after a fresh copy of the totals log).
    void invalidate() { cachedYear = -1; }
    int year() const { return cachedYear; }
    QVector<double> sums() const { return monthSums; }

private:
    int cachedYear = -1;
    QVector<double> monthSums = QVector<double>(12, 0.0);
};
