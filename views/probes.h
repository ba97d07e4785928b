#pragma once
// An equipment's external probes, without widgets: which of the four are
// configured, their names, units, full scales and readings, the texts the
// probe window shows, the probe button's pictures, and the chosen probe's
// curve of today read from the equipment's daily log.

#include <QDate>
#include <QString>
#include <QVector>

namespace registerblocks {
struct TypeInfo;
}

namespace probes {

constexpr int Count = 4;
// Readings: measures words 34 to 37, signed, in tenths of the probe's unit.
constexpr int FirstReadingWord = 34;
// Daily log value columns 15 to 18 hold probes 1 to 4 (not on a Zeta).
constexpr int FirstLogColumn = 15;
// Full scale answered for a probe number outside 1 to 4.
constexpr double DefaultMax = 100.0;
// Slots of the plant's mini plot: 05:00 to 21:55 in 5-minute steps.
constexpr int DaySlots = 204;

// What an equipment tells about its probes (probe p is index p - 1).
struct ProbeSet
{
    unsigned short mask = 0; // bit i: probe i + 1 is configured
    QString names[Count];
    QString units[Count];
    unsigned short maxima[Count] = {};
    short readings[Count] = {};

    // Mask, names, units and full scales of a decoded type block.
    void setFromTypeBlock(const registerblocks::TypeInfo& type);
    // Readings from a measures block of 42 words in host order.
    void setReadings(const unsigned short* measures);
};

// Probe 1 to 4 is configured in the mask; false for any other number.
bool isConfigured(unsigned short mask, int probe);
// Set bits 0 to 3 of the mask.
int configuredCount(unsigned short mask);
// The count the probe button shows: 0 for a Zeta equipment on the legacy
// protocol (its button stays hidden), else the configured probes.
int GetNumberOfProbesConfigured(unsigned short mask, bool zetaOnLegacyProtocol);
// Full scale of probe 1 to 4, DefaultMax for any other number.
double probeMax(const unsigned short maxima[Count], int probe);

// Probe button pictures: the count's name ("Zero", "Uno", "Due", "Tre",
// "Quattro") followed by "1.png" with a probe chosen, "0.png" without, and
// "2.png" for the hover picture.
QString buttonImage(int count, bool selected);
QString buttonHoverImage(int count);
// Style sheet of the tile's "ButtonProbes" for the count and choice.
QString probeButtonStyleSheet(int selected, int count);

// Value label text: the reading in the probe's unit with 2 decimals and a
// blank, then one more blank and the unit ("-2.50  C").
QString valueText(short reading, const QString& unit);

// The chosen probe's curve of the day from the daily log "DP_yyyy_mm_dd.log"
// of the storage folder: one value per 5-minute slot of the mini plot
// (05:00 + 5 min * i), each record in the slot of its own time (a record
// stamped 05:05 fills the 05:00 slot), slots without a record NaN (a gap in
// the curve). No log, a Zeta log (it has no probe column) or a probe number
// outside 1 to 4 give no curve; a missing log traces "LOG IS NOT THERE".
QVector<double> UpdateLocalMeasure(const QString& storageFolder, int probe, bool isZeta, const QDate& day);

} // namespace probes
