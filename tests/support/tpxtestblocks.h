#pragma once
// A TPX unit's blocks A, B and C built the way the tile builds them: read
// replies as a board sends them (big-endian words after a 9-byte header),
// stored through EquipmentRecords. Tests that include this link velora_equipment.
#include "registerreply.h"

#include <QMap>
#include <QStringList>
#include <QVector>

class TpxTestBlocks
{
public:
    TpxTestBlocks() { store(); }

    void setA(int word, quint16 value)
    {
        a[word] = value;
        store();
    }
    void setB(const QMap<int, quint16>& words)
    {
        for (auto it = words.cbegin(); it != words.cend(); ++it)
            b[it.key()] = it.value();
        store();
    }
    // Status bits of block C written "byte.bit" ("12.6"); byte 2n is the
    // high byte of register 120 + n on the wire.
    void setStatusBits(const QStringList& bits)
    {
        for (const QString& bit : bits) {
            const int byte = bit.section('.', 0, 0).toInt();
            c[byte / 2] |= quint16(1 << bit.section('.', 1, 1).toInt() << (byte % 2 ? 0 : 8));
        }
        store();
    }
    const unsigned short* blockA() const { return rec.tpxA; }
    const unsigned short* blockB() const { return rec.tpxB; }
    const unsigned short* blockC() const { return rec.tpxC; }

private:
    void store()
    {
        testsupport::receiveWords(rec, a);
        rec.storeTpxA();
        testsupport::receiveWords(rec, b);
        rec.storeTpxB();
        testsupport::receiveWords(rec, c);
        rec.storeTpxC();
    }

    EquipmentRecords rec;
    QVector<quint16> a = QVector<quint16>(registerblocks::TpxAWords);
    QVector<quint16> b = QVector<quint16>(registerblocks::TpxBWords);
    QVector<quint16> c = QVector<quint16>(registerblocks::TpxCWords);
};
