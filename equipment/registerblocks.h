#pragma once
// Register blocks read from an equipment's board and the values derived from
// them. Plain code without sockets or widgets: the tile stores each reply
// here and reads the decoded values back.

#include <QMutex>
#include <QString>
#include <QtGlobal>

namespace registerblocks {

// Every reply is collected in a zero-filled buffer of this size.
constexpr int ReceiveBufferSize = 1024;
// Data of a read reply start after the 9-byte header (byte count included).
constexpr int ReplyDataOffset = 9;

constexpr int IdentityBytes = 64;   // registers 79 to 110
constexpr int TypeBlockWords = 111; // registers 800 to 910 (71 in the short form)
constexpr int TypeBlockShortWords = 71;
constexpr int DailyValuesWords = 204; // registers 500 to 703
constexpr int MeasuresWords = 42;     // registers 10 to 51
constexpr int StatusWords = 3;        // registers 6 to 8
constexpr int HouseLoadWords = 3;     // registers 200 to 202
constexpr int AlarmWords = 10;        // registers 1000 to 1009
constexpr int ParameterWords = 8;     // registers 140 to 147
constexpr int StringBoxBytes = 16;    // registers 20 to 27
constexpr int TpxAWords = 4;          // registers 0 to 3
constexpr int TpxBWords = 75;         // registers 11 to 85
constexpr int TpxCWords = 9;          // registers 120 to 128

// Measures block words.
enum MeasuresWord
{
    MeasTemperature = 0,
    MeasPowerPhase1 = 14,
    MeasTotalEnergyHigh = 20,
    MeasTotalEnergyLow = 21,
    MeasState = 24,
    MeasDailyEnergyHigh = 38,
    MeasDailyEnergyLow = 39,
};

// Status word (register 8) bits.
enum StatusBit
{
    StatusReadTypeAgain = 1 << 2,
    StatusAcceptsCommands = 1 << 6,
    StatusVncConnected = 1 << 7,
    StatusSelfConsumption = 1 << 8,
    StatusMeterSilent = 1 << 9,
};

// True when the host stores the 32-bit value 0x01234567 with 0x67 first.
bool hostIsLittleEndian();

// Converts words from wire order to host order in place: each word becomes
// its first byte * 256 + its second byte.
void swapBufferBytes(unsigned short* words, int count);

// Copies `bytes` bytes of a reply's data field (from offset 9 of the receive
// buffer) into a block; the buffer must hold ReceiveBufferSize bytes.
void copyReplyData(void* block, const unsigned char* receiveBuffer, int bytes);

// Nominal power in W from identity bytes 2 to 7 (six decimal characters;
// leading blanks skipped, optional sign, stops at the first non-digit).
double nominalPowerFromIdentity(const unsigned char* identity);

// Splits a version number (major * 100 + medium * 10 + minor).
void splitVersion(short version, int* major, int* medium, int* minor);
// "%1.%2.%3" of the three parts.
QString versionText(short version);

// Protocol generation of an equipment, derived from its firmware version.
struct ProtocolFlags
{
    bool legacy = true;          // up to 122: short reads, one-by-one parameter writes
    bool upTo123 = false;        // 123 or below: the measures window shows type 1
    bool alarmWords = false;     // 126 and above: alarm words read after the status
    bool longAlarmWords = false; // 133 and above: ten alarm registers
    bool longParameters = false; // 150 and above: eight parameter registers

    // A version read only ever sets the alarm, long-alarm and long-parameter
    // flags, only ever clears the legacy flag, and sets or clears upTo123.
    void applyVersion(short version);
};

// 130 and above: 42 measures registers.
inline bool longMeasures(short version)
{
    return version >= 130;
}
// Registers requested by the measures query: 31 (legacy), 40 or 42.
int measuresRegisters(bool legacy, short version);
// Words of the measures block stored and converted per reply: 40 or 42.
int measuresStoredWords(short version);

// Derived measures (the block in host order).
double instantPower(const unsigned short* measures);
long dailyEnergy(const unsigned short* measures);
double totalEnergy(const unsigned short* measures);
inline bool stateIsAlarm(unsigned short state)
{
    return state == 3 || state == 5;
}

// Decoded type block (host order).
struct TypeInfo
{
    unsigned short typeCode = 0;   // bits 0-12
    bool alternativeImage = false; // bit 13
    bool easy = false;             // bit 14
    unsigned short probeMask = 0;
    QString probeNames[4];
    QString probeUnits[4];
    unsigned short probeMax[4] = {};
    int kvpac = 0;
};
TypeInfo decodeTypeBlock(const unsigned short* words, int count);

// Alarm groups formed from the alarm words (host order, except word 5,
// register 1005, which stays in wire order).
struct AlarmGroups
{
    quint32 s = 0, c = 0, b = 0, i = 0, a = 0, x = 0;
};
AlarmGroups alarmGroups(const unsigned short* alarmWords);

// Status code for the parameters dialog from the command result word
// (high byte * 256 + low byte); -1 when the word gives no code.
int resultCodeFromWord(unsigned short word);

// Hexadecimal dump: address and ": ", "%02X " per byte, an extra blank after
// every 8 bytes, a new line with the address after every 16, final line break.
QString dumpText(const unsigned char* area, int size);

// The process-wide lock over every tile's measures, status and parameter
// read blocks.
QMutex& measuresMutex();

} // namespace registerblocks

// All register blocks of one equipment, zeroed at construction, with the
// receive buffer every reply is collected in.
class EquipmentRecords
{
public:
    EquipmentRecords();

    // Zero-fills the receive buffer and copies at most its size from the reply.
    void receive(const char* data, int size);
    const unsigned char* receiveBuffer() const { return rx; }

    // Host order is found once, at construction.
    bool littleEndian() const { return hostLittle; }
    // Wire to host order when the host is little-endian.
    void toHost(unsigned short* words, int count) const;

    // Storing: each copies its stated length from the receive buffer.
    void storeIdentity();
    short storeVersion();
    void storeTypeBlock(int registers);
    void storeDailyValues();
    void storeMeasures(short version); // caller holds the measures mutex
    void storeHouseLoad();
    void storeStatus(); // caller holds the measures mutex
    void storeAlarmWords();
    void storeParameters(int registers); // caller holds the measures mutex
    unsigned short storeCommandResult();
    void storeStringBox();
    void storeTpxA();
    void storeTpxB();
    void storeTpxC();

    // Cleared on a disconnection.
    void clearLinkBlocks();

    unsigned short statusWord() const { return status[2]; }
    unsigned short state() const { return measures[registerblocks::MeasState]; }

    unsigned char identity[registerblocks::IdentityBytes];
    unsigned short typeBlock[registerblocks::TypeBlockWords];
    unsigned short dailyValues[registerblocks::DailyValuesWords];
    unsigned short measures[registerblocks::MeasuresWords];
    unsigned short status[registerblocks::StatusWords];
    unsigned short houseLoad[registerblocks::HouseLoadWords];
    unsigned short alarmWords[registerblocks::AlarmWords];
    unsigned short parameterRead[registerblocks::ParameterWords];
    unsigned short parameterWrite[registerblocks::ParameterWords];
    unsigned short commandResult = 0;
    unsigned char stringBox[registerblocks::StringBoxBytes];
    unsigned short tpxA[registerblocks::TpxAWords];
    unsigned short tpxB[registerblocks::TpxBWords];
    unsigned short tpxC[registerblocks::TpxCWords];

private:
    bool hostLittle;
    unsigned char rx[registerblocks::ReceiveBufferSize];
    int rxUsed = 0; // bytes of rx that may be nonzero
};
