#pragma once
// Modbus TCP frames of the equipment link: the requests the tile sends and
// the checks it makes on a reply.

#include <QByteArray>
#include <QDateTime>
#include <QtGlobal>

namespace modbusframes {

constexpr quint16 TransactionId = 0x0001;
constexpr unsigned char UnitId = 0xFF;
constexpr unsigned char ReadHolding = 0x03;
constexpr unsigned char WriteSingle = 0x06;
constexpr unsigned char WriteMultiple = 0x10;

// Reply lengths: a read carries a 9-byte header and two bytes per register.
constexpr int readReplyLength(int registers)
{
    return 9 + 2 * registers;
}
constexpr int WriteReplyLength = 12;

// 0x03 request for `count` registers from `start` (12 bytes).
QByteArray readRequest(quint16 start, quint16 count);
// 0x06 request writing `value` into `reg` (12 bytes).
QByteArray writeSingleRequest(quint16 reg, quint16 value);
// 0x06 request whose value bytes are taken as they are stored (wire order).
QByteArray writeSingleRawRequest(quint16 reg, const unsigned char* wireWord);
// 0x10 request of `registers` words taken as stored (wire order).
QByteArray writeMultipleRequest(quint16 start, const unsigned char* wireWords, int registers);
// Clock setting: registers 160 to 165, year (less 2000 after 2000), month,
// day, hour, minute, second, each in the low byte of its register.
QByteArray timeSyncRequest(const QDateTime& local);

// True when the function code of a reply has its top bit set.
inline bool isExceptionReply(const unsigned char* reply)
{
    return (reply[7] & 0x80) != 0;
}

} // namespace modbusframes
