#pragma once
// Register blocks built from the bytes a board sends: a read reply (9-byte
// header, then the words big-endian) stored the way the tile stores it.
#include "registerblocks.h"

#include <QByteArray>
#include <QMap>
#include <QVector>

namespace testsupport {

inline QByteArray readReply(const QVector<quint16>& words)
{
    QByteArray r = QByteArray::fromHex("000100000000ff03");
    const int length = 3 + 2 * words.size(); // unit, function, byte count, data
    r[4] = static_cast<char>(length >> 8);
    r[5] = static_cast<char>(length & 0xFF);
    r.append(static_cast<char>(2 * words.size()));
    for (quint16 w : words)
        r.append(static_cast<char>(w >> 8)).append(static_cast<char>(w & 0xFF));
    return r;
}

// Puts the reply of `words` in the records' receive buffer; the caller then
// stores the block it expects (storeAlarmWords(), storeMeasures(), ...).
inline void receiveWords(EquipmentRecords& rec, const QVector<quint16>& words)
{
    const QByteArray r = readReply(words);
    rec.receive(r.constData(), r.size());
}

// A measures reply, every word 0 but the given ones (word -> value), stored
// as the tile stores it.
inline void storeMeasures(EquipmentRecords& rec, const QMap<int, int>& words)
{
    QVector<quint16> regs(registerblocks::MeasuresWords, 0);
    for (auto it = words.begin(); it != words.end(); ++it)
        regs[it.key()] = static_cast<quint16>(it.value());
    receiveWords(rec, regs);
    rec.storeMeasures(150);
}

} // namespace testsupport
