#pragma once
// The texts of the measures window, computed without widgets from the copies
// of an equipment's blocks that the window holds: DC inputs, grid currents,
// line voltages and frequency, P, Q, S and power factor, total energy and the
// house load rows.

#include "registerblocks.h"

#include <QMap>
#include <QString>

namespace measurestexts {

// Identity word 0 (bytes 0 and 1 read as a little-endian number).
constexpr quint16 ThreePhaseWord = 0x3300;  // byte 1 is "3"
constexpr quint16 SinglePhaseWord = 0x3100; // byte 1 is "1"
constexpr quint16 Absent = 0xFFFF;          // a word without a value

// What the window holds when it refreshes.
struct Inputs
{
    unsigned short measures[registerblocks::MeasuresWords] = {};
    unsigned short houseLoad[registerblocks::HouseLoadWords] = {Absent, 0, 0};
    unsigned short status[registerblocks::StatusWords] = {};
    int numPhases = 0;         // 0 until the identity is read, then 1 or 3
    bool showExtended = false; // not on the legacy protocol: energy, Q, S and PF
    double nominalPower = 0.0; // W; 0 while unknown
    QString title;             // the equipment name
};

// How the house rows are shown.
enum class House
{
    Hidden,  // no self-consumption meter, or no house data yet: rows, house and name hidden
    Timeout, // the meter does not answer: "Timeout" in the first row, the others unchanged
    Rows,    // the four rows written and shown
};

struct Refresh
{
    // New text per label (object name); a label not listed keeps its text.
    QMap<QString, QString> texts;
    House house = House::Hidden;
};

// Everything one refresh of the window writes.
Refresh refresh(const Inputs& in);

// The phase count an identity gives: 3 for 0x3300, 1 for 0x3100, otherwise
// the current count (false in `known`).
int phasesFromIdentity(const unsigned char* identity, int current, bool* known = nullptr);

// A single-phase equipment has no inputs 2 and 3: their voltage and current
// words (2, 3, 5 and 6) become 0xFFFF.
void singlePhaseOverwrite(unsigned short* measures);

// sqrt(a^2 + b^2 + a*b) / 10 of two phase voltages (0.1 V), the sum taken in
// 64-bit integers before the root; one decimal followed by the unit.
QString lineVoltageText(quint16 a, quint16 b, const QString& unit);

// P = (w14 + w15 + w16) / 100 kW, the words unsigned.
double activePowerKw(const unsigned short* measures);
// Q = (w31 + w32 + w33) / 100 kVAR, the words signed.
double reactivePowerKvar(const unsigned short* measures);

// "PF=%1" (one decimal) of cos(atan(Q% / P%)), negative when Q is; "---"
// when P is below 5 % of the nominal power, and when the nominal power is 0
// or unknown.
QString powerFactorText(double pKw, double qKvar, double nominalW);

// A house row: the head, then "%1KW" (one decimal) right-aligned in 11
// characters (no padding when longer).
QString houseRow(const QString& head, double kw);

// Image of the equipment: ":/ZETA.png" for a Zeta, ":/centr2.png" from
// 200000 W, else ":/centr.png".
QString imageFor(bool zeta, double nominalW);

} // namespace measurestexts
