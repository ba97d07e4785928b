#include "parameterblock.h"

#include <QMap>
#include <QStringList>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace parameterblock {

namespace {
// An integer field's word: empty or unreadable text reads 0; a number is
// held to the field's range.
quint16 fieldWord(Word w, const QString& text, int offset)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return quint16(offset);
    const Range r = rangeOf(w);
    return quint16(qBound(r.bottom, value, r.top) + offset);
}

QString notSetOr(quint16 word, const QString& text)
{
    return word == NotSet ? QStringLiteral("---") : text;
}
} // namespace

Range rangeOf(Word w)
{
    switch (w) {
    case PowerWord:
        return {0, 100};
    case ReactiveWord:
    case BatteryWord:
        return {-100, 100};
    case CommandWord:
        return {1, 2};
    case RampUpWord:
        return {1, 250};
    default:
        return {0, 0};
    }
}

Block encode(const Form& f)
{
    Block b;
    b.fill(NotSet);
    b[MaskWord] = 0;
    const auto set = [&b](Word w, quint16 value) {
        b[MaskWord] |= maskBit(w);
        b[w] = value;
    };
    if (f.power)
        set(PowerWord, fieldWord(PowerWord, f.powerText, 0));
    if (f.reactive)
        set(ReactiveWord, fieldWord(ReactiveWord, f.reactiveText, 100));
    if (f.cosPhi)
        set(CosPhiWord, cosPhiWord(cosPhiFromText(f.cosPhiText)));
    if (f.command)
        set(CommandWord, fieldWord(CommandWord, f.commandText, 0));
    if (f.rampUp)
        set(RampUpWord, fieldWord(RampUpWord, f.rampUpText, 0));
    if (f.battery)
        set(BatteryWord, fieldWord(BatteryWord, f.batteryText, 100));
    return b;
}

double cosPhiFromText(const QString& text)
{
    QString t = text.trimmed();
    t.replace(',', '.');
    return t.toDouble();
}

bool cosPhiValid(double v)
{
    // Two decimals are all the spin box shows: compare in hundredths.
    const long h = std::lround(v * 100.0);
    return (h >= -99 && h <= -70) || (h >= 70 && h <= 100);
}

quint16 cosPhiWord(double v)
{
    return quint16(qBound(0L, 100 + std::lround(v * 100.0), 200L));
}

ApplyState applyState(bool cosPhiChecked, bool cosPhiIsValid, bool plantMode, bool commandsEnabled)
{
    ApplyState s;
    s.visible = !(cosPhiChecked && !cosPhiIsValid);
    s.enabled = plantMode || (s.visible && commandsEnabled);
    return s;
}

QString powerReadBack(quint16 word1)
{
    return notSetOr(word1, QString("%1%").arg(word1));
}

QString reactiveReadBack(quint16 word2)
{
    return notSetOr(word2, QString("%1%").arg(int(word2) - 100));
}

QString cosPhiReadBack(quint16 word3)
{
    return notSetOr(word3, QString("%1").arg(word3 / 100.0 - 1.0, 0, 'g', 2));
}

bool powerBoxFromMask(quint16 mask)
{
    return mask != NotSet && (mask & maskBit(PowerWord)) != 0;
}

QString statusText(int code)
{
    switch (code) {
    case Verifying:
        return "Verifying...";
    case Error:
        return "Error";
    case CommandOk:
        return "Command Ok.";
    case Sending:
        return "Sending...";
    case LocalMode:
        return "Inverter is in local mode.";
    case NotManaged:
        return "Command not managed.";
    case Working:
        return "Working...";
    case ForcedLocally:
        return "Command ok, but some parameters forced locally.";
    default:
        return "---";
    }
}

int writeBlock(const quint16* wireIn, bool zeta, bool longParameters, quint16* wireOut)
{
    const int words = longParameters ? Words : Words - 1;
    std::memcpy(wireOut, wireIn, sizeof(quint16) * size_t(words));
    if (zeta && longParameters)
        wireOut[Words - 1] = NotSet; // the same in either byte order
    return words;
}

QString plantSendText(const QVector<int>& outcomes)
{
    if (outcomes.isEmpty())
        return "No equipment to send to.";
    const int ok = int(outcomes.count(CommandOk));
    if (ok == outcomes.size())
        return statusText(CommandOk);
    // The other outcomes, counted in this order; a code that never ends a
    // sequence counts as an unknown result.
    const std::pair<int, const char*> kinds[] = {{Error, "Error"},
                                                 {ForcedLocally, "forced locally"},
                                                 {LocalMode, "local mode"},
                                                 {NotManaged, "not managed"},
                                                 {Working, "still working"},
                                                 {UnknownResult, "unknown result"},
                                                 {ModbusError, "Modbus error"},
                                                 {NoAnswer, "no answer"}};
    QMap<int, int> counts;
    for (int o : outcomes) {
        const bool known =
            std::any_of(std::begin(kinds), std::end(kinds), [o](const auto& k) { return k.first == o; });
        if (o != CommandOk)
            ++counts[known ? o : int(UnknownResult)];
    }
    QStringList parts;
    for (const auto& k : kinds)
        if (counts.value(k.first) > 0)
            parts << QString("%1 %2").arg(counts.value(k.first)).arg(k.second);
    return QString("%1 on %2 of %3 (%4)")
        .arg(statusText(CommandOk))
        .arg(ok)
        .arg(outcomes.size())
        .arg(parts.join(", "));
}

int portFromText(const QString& text)
{
    const QString t = text.trimmed();
    for (const QChar c : t)
        if (!c.isDigit() || c.unicode() > '9')
            return 0;
    bool ok = false;
    const int port = t.toInt(&ok);
    return ok && port >= 1 && port <= 65535 ? port : 0;
}

} // namespace parameterblock
