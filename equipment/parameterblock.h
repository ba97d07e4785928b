#pragma once
// The parameter block of grid-support settings and commands sent to an
// equipment (registers 140 to 147), and everything the parameters dialog and
// the plant commands compute from it without a widget: the encoding of the
// form, the cos(phi) rule, the read-back texts, the status texts and the
// summary of a plant-wide send.

#include <QString>
#include <QVector>
#include <QtGlobal>

#include <array>

namespace parameterblock {

constexpr int Words = 8;
// A word that is not being set.
constexpr quint16 NotSet = 0xFFFF;
using Block = std::array<quint16, Words>;

// Word 0 is the mask: bit (word - 1) tells that word is set.
enum Word
{
    MaskWord = 0,
    PowerWord = 1,    // power reduction, 0 to 100 %
    ReactiveWord = 2, // reactive power, -100 to 100 %, sent + 100
    CosPhiWord = 3,   // cos(phi), sent as 100 + 100 * value
    CommandWord = 4,  // 1 off, 2 on
    RampUpWord = 5,   // ramp up, 1 to 250 %Sn/min
    BatteryWord = 7,  // battery power, -100 to 100 %, sent + 100
};
constexpr quint16 maskBit(Word w)
{
    return quint16(1u << (int(w) - 1));
}

// Range of each value field (the dialog's validators use the same).
struct Range
{
    int bottom;
    int top;
};
Range rangeOf(Word w);

// What the parameters form holds: which boxes are checked and the texts of
// their fields (the cos(phi) spin box as its text).
struct Form
{
    bool power = false;
    QString powerText = QStringLiteral("100");
    bool reactive = false;
    QString reactiveText = QStringLiteral("0");
    bool cosPhi = false;
    QString cosPhiText = QStringLiteral("1.00");
    bool command = false;
    QString commandText = QStringLiteral("1");
    bool rampUp = false;
    QString rampUpText = QStringLiteral("50");
    bool battery = false;
    QString batteryText = QStringLiteral("100");
};

// Every word 0xFFFF and the mask 0, then each checked box sets its mask bit
// and its word from its text. An empty (or unreadable) field sends 0 (100
// for the words sent + 100); a number outside its field's range is held to
// the range, so the board never receives a value the form refuses.
Block encode(const Form& form);

// The cos(phi) spin box text as a number ("," read as ".").
double cosPhiFromText(const QString& text);
// Valid: -0.99 to -0.7, or 0.7 to 1.0.
bool cosPhiValid(double value);
// 100 + 100 * value, rounded: 0.95 -> 195, -0.7 -> 30, 1.0 -> 200.
quint16 cosPhiWord(double value);

// Apply button of the dialog: hidden and disabled while a checked cos(phi)
// is invalid; disabled when the equipment does not accept commands. In
// plant mode it is enabled in every case (and stays hidden while invalid).
struct ApplyState
{
    bool visible = true;
    bool enabled = true;
};
ApplyState applyState(bool cosPhiChecked, bool cosPhiIsValid, bool plantMode, bool commandsEnabled);

// Read-back texts of a block read from the equipment (host order); "---"
// for a word that is 0xFFFF.
QString powerReadBack(quint16 word1);    // "%1%"
QString reactiveReadBack(quint16 word2); // "%1%" of word - 100
QString cosPhiReadBack(quint16 word3);   // word / 100 - 1.0, two significant digits
// The power box after the first block read: bit 0 of the mask, a mask that
// was never set (0xFFFF) checking nothing.
bool powerBoxFromMask(quint16 mask);

// Status codes of the dialog and their texts; any other code shows "---".
enum Status
{
    Verifying = 0,
    Error = 1,
    CommandOk = 2,
    Sending = 3,
    LocalMode = 4,
    NotManaged = 5,
    Working = 6,
    ForcedLocally = 7,
};
QString statusText(int code);

// The block handed to the link, in wire order: eight words from firmware
// 1.5.0 on, else seven. A Zeta equipment's dialog fills words 0 to 6 only;
// from 1.5.0 on its eighth register is written as 0xFFFF (not being set).
// Returns the number of words to write; out holds eight words.
int writeBlock(const quint16* wireIn, bool zeta, bool longParameters, quint16* wireOut);

// How a tile's write sequence ended: a status code read from the result
// register (Status above), or one of these.
enum Outcome
{
    UnknownResult = -1, // the result word is not in the result table
    NoAnswer = -2,      // silence, a disconnection, never connected
    ModbusError = -3,   // an exception reply to a step of the sequence
};

// The plant dialog's text once every tile handed the block has ended:
// "Command Ok." when all returned Command Ok., else "Command Ok. on %1 of %2"
// followed by the other outcomes counted in brackets, e.g.
// "Command Ok. on 3 of 5 (1 Error, 1 no answer)".
QString plantSendText(const QVector<int>& outcomes);

// The communication window's port fields: a decimal number from 1 to 65535
// (blanks around it allowed); 0 for any other text.
int portFromText(const QString& text);

} // namespace parameterblock
