#pragma once
// What a TPX tile's synoptic shows, computed from the unit's blocks without
// any widget: the image of each part, the colour of each line segment, the
// four value labels and the blinking battery-direction arrow.

#include <QString>
#include <QtGlobal>

namespace TpxSynoptic {

// Line segments are labels painted with a background colour.
enum class Bar
{
    None,     // no style: the tile shows through (only the output junction)
    Blue,     // power flowing
    DarkBlue, // the bypass line
    Grey,     // nothing flowing
    Red,      // overload on the bypass
};
// The style sheet of a segment: "background-color: rgb(...);", empty for None.
QString barStyle(Bar bar);

// The look of every synoptic part. Images are resource names (":/...png");
// an empty junction image means no image.
struct Look
{
    QString rectifier;
    QString inverter;
    QString battery;
    QString bypass;
    Bar input = Bar::Grey;
    Bar rectifierInverter = Bar::Grey;
    Bar batteryLine = Bar::Grey;
    Bar bypassInput = Bar::Grey;
    Bar bypassLine = Bar::Grey;
    Bar bypassDrop = Bar::Grey;
    Bar inverterOutput = Bar::Grey;
    Bar output = Bar::Grey;
    QString bypassCorner;
    QString junction;
    Bar junctionBar = Bar::None;
    QString outputArrow;

    bool operator==(const Look& o) const;
    bool operator!=(const Look& o) const { return !(*this == o); }
};

// The synoptic coloured by the status bits of block C and, for the output
// path, by the load-on-bypass bit of block A (word 0, bit 11).
Look look(const unsigned short* blockA, const unsigned short* blockC);
// Before the first status: the parts in their plain look, lines grey.
Look initialLook();
// While the unit is not connected: every part and line grey.
Look disconnectedLook();

// The four value labels of the tile.
struct Values
{
    QString ratedPower;      // "%1KVA" of w68 / 10, integer division
    QString batteryCapacity; // "%1%" of w40
    QString outputLoad;      // "%1%" of the mean of w26..w28 (signed), one decimal
    QString inputLoad;       // "%1%" of the mean input current against the rated one, one decimal
};
Values values(const unsigned short* blockB);
// "---" in each label: shown while the link connects.
Values unknownValues();

// Input load in percent: the mean input current (w3 + w4 + w5) / 30 A over
// the rated input current w68 * 100 / (w66 * 3) A (integer division).
// False when the rated current is 0 (no rated voltage, or a rated power too
// small for it): the load is unknown then.
bool inputLoadPercent(const unsigned short* blockB, double* percent);

// Battery-direction arrow: ":/AD.png" while the battery discharges (block A
// word 0, bit 6), else ":/AU.png".
QString batteryDirectionImage(const unsigned short* blockA);

// The blink phase of the battery-direction arrows. One phase is shared by
// every TPX tile of the process, so their arrows blink together. Each tile
// asks for the phase on its own half-second tick: the first tick of a new
// period turns the phase over, the other tiles' ticks in that period read
// it. A tile alone therefore sees the phase alternate on every tick, and
// several tiles do not stop each other's blinking by turning it twice.
class BlinkPhase
{
public:
    // True: show the arrow; false: show nothing. `nowMs` is a monotonic time.
    bool next(qint64 nowMs);
    // The process-wide phase and its clock.
    static BlinkPhase& shared();
    static qint64 monotonicMs();

private:
    bool phase = false;
    bool started = false;
    qint64 turnedAt = 0;
};

} // namespace TpxSynoptic
