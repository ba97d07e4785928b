#pragma once
// One day of an equipment's daily log laid out on the daily graph's time
// slots: slot i is 05:00 + 5 min * i, 204 slots from 05:00 to 21:55, the time
// axis running from 05:00 to 22:00.

#include <QDate>
#include <QString>
#include <QVector>

class QIODevice;

class GraphDay
{
public:
    static constexpr int SlotCount = 204;
    static constexpr int SlotSeconds = 300;
    static constexpr int FirstSlotHour = 5;
    static constexpr int RangeSeconds = 61200; // 05:00 to 22:00
    // Extremes before any sample is seen.
    static constexpr double NoMaximum = -350000.0;
    static constexpr double NoMinimum = 350000.0;

    GraphDay() { clear(false); }

    // Empties every series: 29 of them, 30 for a Zeta equipment.
    void clear(bool isZeta);

    // Reads a day file: the two header lines are skipped, blank lines too,
    // and every record fills the next slot after the leading zero samples
    // that put the first record on its slot. Reading stops when the 204 slots
    // are full; later lines are not read. Lines that are no record are
    // skipped. Returns false (and no samples) when the file cannot be opened.
    bool load(const QString& path, bool isZeta);
    // The same from an open device.
    bool load(QIODevice* device, bool isZeta);

    bool isZeta() const { return zeta; }
    int seriesCount() const { return columns.size(); }
    // Filled slots, the same for every series (at most 204).
    int sampleCount() const { return samples; }
    // Leading zero samples put before the first record.
    int leadingZeros() const { return zeros; }
    const QVector<double>& series(int s) const;
    // Extremes over the loaded samples; NoMinimum / NoMaximum while a series
    // has none. For equipments that are not Zeta, zero samples of the three
    // grid voltages (series 1 to 3) never lower their minimum.
    double minimum(int s) const { return minima.value(s, NoMinimum); }
    double maximum(int s) const { return maxima.value(s, NoMaximum); }

    // Time axis keys of the slots of a day, in seconds since the epoch
    // (local time): 05:00 + 300 s * i.
    static double slotKey(const QDate& day, int slot);
    static QVector<double> timeAxis(const QDate& day);

private:
    void addSample(const QVector<double>& values);

    bool zeta = false;
    int samples = 0;
    int zeros = 0;
    QVector<QVector<double>> columns;
    QVector<double> minima;
    QVector<double> maxima;
};
