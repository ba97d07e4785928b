#pragma once
// The texts of the TPX measures window, computed from copies of the unit's
// blocks A and B (host order) without any widget.

#include <QMap>
#include <QString>

namespace TpxMeasuresTexts {

// Object name of every value label of the window and the text it shows:
// voltages "%1V" as received; currents, frequencies and the battery voltage
// divided by 10 with two decimals ("%1A", "%1Hz", "%1V"); loads "(%1%)" and
// active powers "%1KW" signed; the battery current "-%1A" while the battery
// discharges (block A word 0, bit 6); capacity and autonomy "%1%";
// temperatures "%1C", signed.
QMap<QString, QString> texts(const unsigned short* blockA, const unsigned short* blockB);

} // namespace TpxMeasuresTexts
