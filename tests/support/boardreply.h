#pragma once
// The 788-byte record of the network setup exchange laid out byte by byte,
// the way a board sends its reply: texts NUL-padded at their offsets, ports
// little-endian. Tests build replies and expected configurations with it.
#include <QByteArray>
#include <QtEndian>

struct BoardBytes
{
    QByteArray r = QByteArray(788, '\0');
    BoardBytes(quint8 type, const QByteArray& mac)
    {
        r[0] = char(type);
        put(2, mac);
    }
    explicit BoardBytes(const QByteArray& bytes) : r(bytes) {}
    BoardBytes& put(int offset, const QByteArray& bytes)
    {
        r.replace(offset, bytes.size(), bytes);
        return *this;
    }
    BoardBytes& set(int offset, char value)
    {
        r[offset] = value;
        return *this;
    }
    BoardBytes& word(int offset, quint16 value)
    {
        qToLittleEndian<quint16>(value, r.data() + offset);
        return *this;
    }
    // The five 16-byte address fields from offset (IP, netmask, gateway, DNS 1 and 2).
    template <typename List> BoardBytes& addresses(int offset, const List& texts)
    {
        for (int i = 0; i < texts.size(); ++i)
            put(offset + 16 * i, texts[i].toLatin1());
        return *this;
    }
};
