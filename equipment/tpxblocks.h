#pragma once
// The words and bits of a TPX unit's three register blocks as the tile keeps
// them: block A (registers 0 to 3) and block B (registers 11 to 85) in host
// order, block C (registers 120 to 128) with its first 16 bytes in wire order.

#include <QtGlobal>

namespace tpxblocks {

// Block A, word 0.
constexpr quint16 BatteryDischargingBit = 1 << 6; // the battery current flows out
constexpr quint16 LoadOnBypassBit = 1 << 11;      // the load is fed through the bypass
// Block A, word 3: while set the unit's data are not shown (title, synoptic).
constexpr quint16 RefreshHeldBit = 1 << 15;

// Block B words (word n is register 11 + n).
enum BlockBWord
{
    InputVoltageL1 = 0,          // V
    InputCurrentL1 = 3,          // 0.1 A
    InputFrequency = 6,          // 0.1 Hz
    BypassVoltageL1 = 10,        // V
    BypassFrequency = 13,        // 0.1 Hz
    OutputVoltageL1 = 14,        // V
    OutputCurrentL1 = 20,        // 0.1 A
    OutputPeakCurrentL1 = 23,    // 0.1 A
    OutputLoadL1 = 26,           // %, signed
    OutputPowerL1 = 29,          // 0.1 kW, signed
    OutputFrequency = 32,        // 0.1 Hz
    BatteryVoltage = 36,         // 0.1 V
    BatteryCurrent = 39,         // 0.1 A, magnitude
    BatteryCapacity = 40,        // %
    BatteryAutonomy = 42,        // shown as a percentage
    EnvironmentTemperature = 50, // degC
    InverterTemperature = 51,    // degC
    RectifierTemperature = 52,   // degC
    RatedVoltage = 66,           // V, for the input load
    RatedPower = 68,             // 0.1 kVA
};

inline bool loadOnBypass(const unsigned short* blockA)
{
    return (blockA[0] & LoadOnBypassBit) != 0;
}
inline bool batteryDischarging(const unsigned short* blockA)
{
    return (blockA[0] & BatteryDischargingBit) != 0;
}
inline bool refreshHeld(const unsigned short* blockA)
{
    return (blockA[3] & RefreshHeldBit) != 0;
}

// Bit `bit` of byte `byte` (0 to 15, wire order) of block C.
bool statusBit(const unsigned short* blockC, int byte, int bit);

// The status bits the synoptic is coloured by.
struct Status
{
    bool inputInactive = false;    // any of 6.3 to 6.5
    bool rectifierOff = false;     // 7.7
    bool inverterWarning = false;  // byte 9 & 0x3F, byte 10 & 0xF9, byte 11 & 0x9B
    bool overload = false;         // 12.1
    bool bypassInactive = false;   // 12.2
    bool batteryInactive = false;  // 12.6
    bool inverterFault = false;    // 13.3
    bool rectifierWarning = false; // 13.5
};
Status decodeStatus(const unsigned short* blockC);

} // namespace tpxblocks
