#pragma once
// A TPX unit's blocks A, B and C built the way the tile builds them: read
// replies as a board sends them (big-endian words after a 9-byte header),
// stored through EquipmentRecords. Tests that include this link velora_equipment.
#include "registerblocks.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>
#include <QVector>

class TpxTestBlocks
{
public:
    TpxTestBlocks() { clear(); }

    // Every word and status bit back to 0.
    void clear()
    {
        a = QVector<quint16>(registerblocks::TpxAWords);
        b = QVector<quint16>(registerblocks::TpxBWords);
        c = QByteArray(2 * registerblocks::TpxCWords, '\0');
        store();
    }
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
    // Status bits of block C written "byte.bit" ("12.6"), bytes in wire order.
    void setStatusBits(const QStringList& bits)
    {
        for (const QString& bit : bits)
            c[bit.section('.', 0, 0).toInt()] =
                char(quint8(c[bit.section('.', 0, 0).toInt()]) | 1 << bit.section('.', 1, 1).toInt());
        store();
    }
    // The reply bytes a board sends for a block of words.
    static QByteArray readReply(const QByteArray& data)
    {
        QByteArray r = QByteArray::fromHex("000100000000ff03");
        r[5] = char(3 + data.size());
        r.append(char(data.size()));
        return r + data;
    }

    const unsigned short* blockA() const { return rec.tpxA; }
    const unsigned short* blockB() const { return rec.tpxB; }
    const unsigned short* blockC() const { return rec.tpxC; }

private:
    static QByteArray wire(const QVector<quint16>& words)
    {
        QByteArray d;
        for (quint16 w : words)
            d.append(char(w >> 8)).append(char(w & 0xFF));
        return d;
    }
    void store()
    {
        const QByteArray ra = readReply(wire(a)), rb = readReply(wire(b)), rc = readReply(c);
        rec.receive(ra.constData(), ra.size());
        rec.storeTpxA();
        rec.receive(rb.constData(), rb.size());
        rec.storeTpxB();
        rec.receive(rc.constData(), rc.size());
        rec.storeTpxC();
    }

    EquipmentRecords rec;
    QVector<quint16> a, b;
    QByteArray c;
};
