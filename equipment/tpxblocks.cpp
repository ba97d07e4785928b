#include "tpxblocks.h"

namespace tpxblocks {

namespace {
// Block C's words 0 to 7 are kept as received, so its bytes in memory are
// the bytes on the wire.
quint8 statusByte(const unsigned short* blockC, int byte)
{
    return reinterpret_cast<const quint8*>(blockC)[byte];
}
} // namespace

bool statusBit(const unsigned short* blockC, int byte, int bit)
{
    return (statusByte(blockC, byte) >> bit & 1) != 0;
}

Status decodeStatus(const unsigned short* blockC)
{
    Status s;
    s.inputInactive = (statusByte(blockC, 6) & 0x38) != 0;
    s.rectifierOff = statusBit(blockC, 7, 7);
    s.inverterWarning = (statusByte(blockC, 9) & 0x3F) != 0 || (statusByte(blockC, 10) & 0xF9) != 0 ||
                        (statusByte(blockC, 11) & 0x9B) != 0;
    s.overload = statusBit(blockC, 12, 1);
    s.bypassInactive = statusBit(blockC, 12, 2);
    s.batteryInactive = statusBit(blockC, 12, 6);
    s.inverterFault = statusBit(blockC, 13, 3);
    s.rectifierWarning = statusBit(blockC, 13, 5);
    return s;
}

} // namespace tpxblocks
