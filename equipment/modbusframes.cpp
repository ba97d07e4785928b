#include "modbusframes.h"

#include <QtEndian>

namespace modbusframes {

static void putWord(QByteArray& frame, quint16 word)
{
    char wire[2];
    qToBigEndian(word, wire);
    frame.append(wire, 2);
}

// Header up to the function code; `length` counts the bytes after the length
// field. The frame is allocated once, at its full size (6 + length bytes).
static QByteArray header(quint16 length, unsigned char function)
{
    QByteArray frame;
    frame.reserve(6 + length);
    putWord(frame, TransactionId);
    putWord(frame, 0x0000);
    putWord(frame, length);
    frame.append(static_cast<char>(UnitId));
    frame.append(static_cast<char>(function));
    return frame;
}

QByteArray readRequest(quint16 start, quint16 count)
{
    QByteArray frame = header(6, ReadHolding);
    putWord(frame, start);
    putWord(frame, count);
    return frame;
}

QByteArray writeSingleRequest(quint16 reg, quint16 value)
{
    QByteArray frame = header(6, WriteSingle);
    putWord(frame, reg);
    putWord(frame, value);
    return frame;
}

QByteArray writeSingleRawRequest(quint16 reg, const unsigned char* wireWord)
{
    QByteArray frame = header(6, WriteSingle);
    putWord(frame, reg);
    frame.append(reinterpret_cast<const char*>(wireWord), 2);
    return frame;
}

QByteArray writeMultipleRequest(quint16 start, const unsigned char* wireWords, int registers)
{
    const int bytes = 2 * registers;
    QByteArray frame = header(static_cast<quint16>(7 + bytes), WriteMultiple);
    putWord(frame, start);
    putWord(frame, static_cast<quint16>(registers));
    frame.append(static_cast<char>(bytes));
    frame.append(reinterpret_cast<const char*>(wireWords), bytes);
    return frame;
}

QByteArray timeSyncRequest(const QDateTime& local)
{
    const QDate d = local.date();
    const QTime t = local.time();
    const int year = d.year() > 2000 ? d.year() - 2000 : d.year() & 0xFF;
    const int values[6] = {year, d.month(), d.day(), t.hour(), t.minute(), t.second()};
    unsigned char data[12];
    for (int i = 0; i < 6; ++i) {
        data[2 * i] = 0;
        data[2 * i + 1] = static_cast<unsigned char>(values[i]);
    }
    return writeMultipleRequest(160, data, 6);
}

} // namespace modbusframes
