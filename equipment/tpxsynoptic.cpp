#include "tpxsynoptic.h"
#include "tpxblocks.h"

#include <QElapsedTimer>

namespace TpxSynoptic {

using namespace tpxblocks;

namespace {
const QString RectifierNormal = QStringLiteral(":/raddr_nero.png");
const QString RectifierOff = QStringLiteral(":/raddr_grigio.png");
const QString RectifierWarning = QStringLiteral(":/raddr_arancio.png");
const QString InverterNormal = QStringLiteral(":/inv_nero.png");
const QString InverterOff = QStringLiteral(":/inv_grigio.png");
const QString InverterWarning = QStringLiteral(":/inv_arancio.png");
const QString InverterFault = QStringLiteral(":/inv_rosso.png");
const QString BatteryNormal = QStringLiteral(":/batt_nero.png");
const QString BatteryOff = QStringLiteral(":/batt_grigio.png");
const QString BypassNormal = QStringLiteral(":/byp_nero.png");
const QString BypassOff = QStringLiteral(":/byp_grigio.png");
const QString CornerNavy = QStringLiteral(":/L_DOWN.png");
const QString CornerGrey = QStringLiteral(":/L_DOWN_G.png");
const QString CornerRed = QStringLiteral(":/L_DOWN_R.png");
const QString JunctionNavy = QStringLiteral(":/UP_R_B.png");
const QString JunctionRed = QStringLiteral(":/UP_R_R.png");
const QString JunctionGrey = QStringLiteral(":/SQ_GRAY.png");
const QString ArrowGrey = QStringLiteral(":/TriangoloGrigio.png");
const QString ArrowBlue = QStringLiteral(":/TriangoloAzzurro.png");
const QString ArrowNavy = QStringLiteral(":/TriangoloBlu.png");
const QString ArrowRed = QStringLiteral(":/TriangoloRosso.png");

// Nothing reaches the load: the output path grey from the inverter on.
void outputNotFed(Look& l)
{
    l.junction = JunctionGrey;
    l.junctionBar = Bar::None;
    l.inverterOutput = Bar::Grey;
    l.output = Bar::Grey;
    l.outputArrow = ArrowGrey;
}

void bypassSide(Look& l, Bar bar, const QString& corner)
{
    l.bypassInput = bar;
    l.bypassLine = bar;
    l.bypassDrop = bar;
    l.bypassCorner = corner;
}

// The load fed through the bypass: one colour from the bypass input to the
// output, the inverter's output line idle.
void bypassFeedsLoad(Look& l, Bar bar, const QString& corner, const QString& junction, const QString& arrow)
{
    bypassSide(l, bar, corner);
    l.junction = junction;
    l.junctionBar = Bar::None;
    l.inverterOutput = Bar::Grey;
    l.output = bar;
    l.outputArrow = arrow;
}

QString oneDecimalPercent(double value)
{
    return QStringLiteral("%1%").arg(value, 0, 'f', 1);
}
} // namespace

QString barStyle(Bar bar)
{
    switch (bar) {
    case Bar::Blue:
        return QStringLiteral("background-color: rgb(0, 174, 240);");
    case Bar::DarkBlue:
        return QStringLiteral("background-color: rgb(0, 56, 117);");
    case Bar::Grey:
        return QStringLiteral("background-color: rgb(208, 208, 208);");
    case Bar::Red:
        return QStringLiteral("background-color: rgb(233, 33, 0);");
    case Bar::None:
        break;
    }
    return QString();
}

bool Look::operator==(const Look& o) const
{
    return rectifier == o.rectifier && inverter == o.inverter && battery == o.battery && bypass == o.bypass &&
           input == o.input && rectifierInverter == o.rectifierInverter && batteryLine == o.batteryLine &&
           bypassInput == o.bypassInput && bypassLine == o.bypassLine && bypassDrop == o.bypassDrop &&
           inverterOutput == o.inverterOutput && output == o.output && bypassCorner == o.bypassCorner &&
           junction == o.junction && junctionBar == o.junctionBar && outputArrow == o.outputArrow;
}

Look look(const unsigned short* blockA, const unsigned short* blockC)
{
    const Status s = decodeStatus(blockC);
    Look l;
    l.rectifier = s.rectifierWarning ? RectifierWarning : (s.rectifierOff ? RectifierOff : RectifierNormal);
    const bool rectifierActive = l.rectifier != RectifierOff;
    l.inverter = s.inverterFault ? InverterFault : (s.inverterWarning ? InverterWarning : InverterNormal);
    const bool inverterRunning = l.inverter == InverterNormal;
    l.battery = s.batteryInactive ? BatteryOff : BatteryNormal;
    const bool batteryActive = !s.batteryInactive;
    l.bypass = s.bypassInactive ? BypassOff : BypassNormal;

    l.input = s.inputInactive ? Bar::Grey : Bar::Blue;
    l.rectifierInverter = rectifierActive || batteryActive ? Bar::Blue : Bar::Grey;
    l.batteryLine = l.rectifierInverter;

    if (!loadOnBypass(blockA)) {
        // The load is fed through the inverter; the bypass only stands by.
        bypassSide(l, Bar::Grey, CornerGrey);
        l.bypassInput = s.bypassInactive ? Bar::Grey : Bar::DarkBlue;
        if (inverterRunning) {
            l.junction.clear();
            l.junctionBar = Bar::Blue;
            l.inverterOutput = Bar::Blue;
            l.output = Bar::Blue;
            l.outputArrow = ArrowBlue;
        } else {
            outputNotFed(l);
        }
    } else if (s.overload) {
        // On bypass and overloaded: the whole bypass path red, whatever else is set.
        bypassFeedsLoad(l, Bar::Red, CornerRed, JunctionRed, ArrowRed);
    } else if (!s.bypassInactive) {
        bypassFeedsLoad(l, Bar::DarkBlue, CornerNavy, JunctionNavy, ArrowNavy);
    } else {
        // Switched to a bypass that is not active: no path feeds the load.
        bypassSide(l, Bar::Grey, CornerGrey);
        outputNotFed(l);
    }
    return l;
}

Look initialLook()
{
    Look l;
    l.rectifier = RectifierNormal;
    l.inverter = InverterNormal;
    l.battery = BatteryNormal;
    l.bypass = BypassNormal;
    bypassSide(l, Bar::Grey, CornerGrey);
    outputNotFed(l);
    return l;
}

Look disconnectedLook()
{
    Look l = initialLook();
    l.rectifier = RectifierOff;
    l.inverter = InverterOff;
    l.battery = BatteryOff;
    l.bypass = BypassOff;
    return l;
}

bool inputLoadPercent(const unsigned short* blockB, double* percent)
{
    const int ratedVoltage = blockB[RatedVoltage];
    if (ratedVoltage == 0)
        return false;
    const int ratedCurrent = int(blockB[RatedPower]) * 100 / (ratedVoltage * 3);
    if (ratedCurrent == 0)
        return false;
    const int sum = int(blockB[InputCurrentL1]) + blockB[InputCurrentL1 + 1] + blockB[InputCurrentL1 + 2];
    *percent = sum / 30.0 / ratedCurrent * 100.0;
    return true;
}

Values values(const unsigned short* blockB)
{
    Values v;
    v.ratedPower = QStringLiteral("%1KVA").arg(blockB[RatedPower] / 10);
    v.batteryCapacity = QStringLiteral("%1%").arg(blockB[BatteryCapacity]);
    const int loads =
        qint16(blockB[OutputLoadL1]) + qint16(blockB[OutputLoadL1 + 1]) + qint16(blockB[OutputLoadL1 + 2]);
    v.outputLoad = oneDecimalPercent(loads / 3.0);
    double input = 0.0;
    v.inputLoad = inputLoadPercent(blockB, &input) ? oneDecimalPercent(input) : QStringLiteral("---");
    return v;
}

Values unknownValues()
{
    const QString unknown = QStringLiteral("---");
    return {unknown, unknown, unknown, unknown};
}

QString batteryDirectionImage(const unsigned short* blockA)
{
    return batteryDischarging(blockA) ? QStringLiteral(":/AD.png") : QStringLiteral(":/AU.png");
}

bool BlinkPhase::next(qint64 nowMs)
{
    // Each tile ticks every 500 ms. A tick at least 400 ms after the last
    // turn starts a new phase; earlier ticks read the phase already turned.
    // With the turns that far apart, every tile sees exactly one turn between
    // two of its own ticks (two tiles at any offset, 500 ms +/- 20% apart).
    constexpr qint64 MinTurnMs = 400;
    if (!started || nowMs - turnedAt >= MinTurnMs) {
        phase = !phase;
        turnedAt = nowMs;
        started = true;
    }
    return phase;
}

BlinkPhase& BlinkPhase::shared()
{
    static BlinkPhase phase;
    return phase;
}

qint64 BlinkPhase::monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

} // namespace TpxSynoptic
