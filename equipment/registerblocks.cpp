#include "registerblocks.h"
#include "logging.h"

#include <QtEndian>

#include <cstring>

namespace registerblocks {

bool hostIsLittleEndian()
{
    const quint32 probe = 0x01234567;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 0x67;
}

void swapBufferBytes(unsigned short* words, int count)
{
    // First byte * 256 + second byte is the big-endian reading on any host.
    qFromBigEndian<quint16>(words, qMax(0, count), words);
}

void copyReplyData(void* block, const unsigned char* receiveBuffer, int bytes)
{
    const int room = ReceiveBufferSize - ReplyDataOffset;
    std::memcpy(block, receiveBuffer + ReplyDataOffset, static_cast<size_t>(qBound(0, bytes, room)));
}

double nominalPowerFromIdentity(const unsigned char* identity)
{
    const unsigned char* p = identity + 2;
    const unsigned char* end = identity + 8;
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    long value = 0;
    while (p < end && *p >= '0' && *p <= '9')
        value = value * 10 + (*p++ - '0');
    return static_cast<double>(negative ? -value : value);
}

void splitVersion(short version, int* major, int* medium, int* minor)
{
    const int maj = version / 100;
    const int rest = version - maj * 100;
    if (major)
        *major = maj;
    if (medium)
        *medium = rest / 10;
    if (minor)
        *minor = rest % 10;
}

QString versionText(short version)
{
    int maj = 0, med = 0, min = 0;
    splitVersion(version, &maj, &med, &min);
    return QString("%1.%2.%3").arg(maj).arg(med).arg(min);
}

void ProtocolFlags::applyVersion(short version)
{
    if (version > 122)
        legacy = false;
    upTo123 = version <= 123;
    if (version >= 126)
        alarmWords = true;
    if (version >= 133)
        longAlarmWords = true;
    if (version >= 150)
        longParameters = true;
}

int measuresRegisters(bool legacy, short version)
{
    if (legacy)
        return 31;
    return longMeasures(version) ? 42 : 40;
}

int measuresStoredWords(short version)
{
    return longMeasures(version) ? 42 : 40;
}

double instantPower(const unsigned short* m)
{
    return (static_cast<double>(m[MeasPowerPhase1]) + m[MeasPowerPhase1 + 1] + m[MeasPowerPhase1 + 2]) * 10.0;
}

long dailyEnergy(const unsigned short* m)
{
    return static_cast<long>(m[MeasDailyEnergyHigh]) * 65536L + m[MeasDailyEnergyLow];
}

double totalEnergy(const unsigned short* m)
{
    const quint32 raw = (static_cast<quint32>(m[MeasTotalEnergyHigh]) << 16) | m[MeasTotalEnergyLow];
    return static_cast<qint32>(raw) / 10.0;
}

// Characters carried one per word in the low byte, up to `count` words or a zero.
static QString lowByteText(const unsigned short* words, int count)
{
    QString text;
    for (int i = 0; i < count; ++i) {
        const char c = static_cast<char>(words[i] & 0xFF);
        if (c == 0)
            break;
        text.append(QLatin1Char(c));
    }
    return text;
}

TypeInfo decodeTypeBlock(const unsigned short* words, int count)
{
    TypeInfo info;
    info.typeCode = words[0] & 0x1FFF;
    info.alternativeImage = (words[0] & (1 << 13)) != 0;
    info.easy = (words[0] & (1 << 14)) != 0;
    info.probeMask = words[1];
    for (int p = 0; p < 4; ++p) {
        info.probeNames[p] = lowByteText(words + 2 + 16 * p, 16);
        info.probeMax[p] = words[66 + p];
        if (count >= TypeBlockWords)
            info.probeUnits[p] = lowByteText(words + 71 + 10 * p, 10);
        qCDebug(lcLink, "%s: probe %d [%s] [%s]", "decodeTypeBlock", p + 1, qPrintable(info.probeNames[p]),
                qPrintable(info.probeUnits[p]));
    }
    info.kvpac = words[70];
    return info;
}

AlarmGroups alarmGroups(const unsigned short* w)
{
    AlarmGroups g;
    g.s = w[1];
    g.c = w[2];
    g.b = w[3];
    // Register 1005 is kept as received: its low byte is its second byte.
    const unsigned char low1005 = reinterpret_cast<const unsigned char*>(&w[5])[1];
    g.i = (static_cast<quint32>(w[4]) << 8) | low1005;
    g.a = (static_cast<quint32>(w[6]) << 16) | w[7];
    g.x = (static_cast<quint32>(w[9]) << 16) | w[8];
    return g;
}

int resultCodeFromWord(unsigned short word)
{
    switch (word) {
    case 0x0032:
        return 6;
    case 0x0132:
        return 1;
    case 0x0232:
        return 5;
    case 0x0432:
        return 7;
    case 0x0F32:
        return 2;
    case 0x8032:
        return 4;
    default:
        return -1;
    }
}

QString dumpText(const unsigned char* area, int size)
{
    QString out = QString::asprintf("%p: ", static_cast<const void*>(area));
    // Eight bytes at a time: "XX " each, and one more blank after a full eight.
    for (int i = 0; i < size; i += 8) {
        const int n = qMin(8, size - i);
        out += QLatin1String(
            QByteArray::fromRawData(reinterpret_cast<const char*>(area + i), n).toHex(' ').toUpper());
        out += n == 8 ? QLatin1String("  ") : QLatin1String(" ");
        if ((i + 8) % 16 == 0 && i + 8 < size)
            out += QString::asprintf("\n%p: ", static_cast<const void*>(area + i + 8));
    }
    out += '\n';
    return out;
}

QMutex& measuresMutex()
{
    static QMutex mutex;
    return mutex;
}

} // namespace registerblocks

using namespace registerblocks;

EquipmentRecords::EquipmentRecords() : hostLittle(hostIsLittleEndian())
{
    std::memset(identity, 0, sizeof identity);
    std::memset(typeBlock, 0, sizeof typeBlock);
    std::memset(dailyValues, 0, sizeof dailyValues);
    std::memset(measures, 0, sizeof measures);
    std::memset(status, 0, sizeof status);
    std::memset(houseLoad, 0, sizeof houseLoad);
    std::memset(alarmWords, 0, sizeof alarmWords);
    std::memset(parameterRead, 0, sizeof parameterRead);
    std::memset(parameterWrite, 0, sizeof parameterWrite);
    std::memset(stringBox, 0, sizeof stringBox);
    std::memset(tpxA, 0, sizeof tpxA);
    std::memset(tpxB, 0, sizeof tpxB);
    std::memset(tpxC, 0, sizeof tpxC);
    std::memset(rx, 0, sizeof rx);
}

void EquipmentRecords::receive(const char* data, int size)
{
    // Zero-filled beyond the reply: only what the previous reply wrote needs clearing.
    const int n = qBound(0, size, ReceiveBufferSize);
    std::memcpy(rx, data, static_cast<size_t>(n));
    if (rxUsed > n)
        std::memset(rx + n, 0, static_cast<size_t>(rxUsed - n));
    rxUsed = n;
}

void EquipmentRecords::toHost(unsigned short* words, int count) const
{
    if (hostLittle)
        swapBufferBytes(words, count);
}

void EquipmentRecords::storeIdentity()
{
    copyReplyData(identity, rx, IdentityBytes);
}

short EquipmentRecords::storeVersion()
{
    return qFromBigEndian<qint16>(rx + ReplyDataOffset);
}

void EquipmentRecords::storeTypeBlock(int registers)
{
    // The whole area is copied so that the short form leaves the unit words zero.
    copyReplyData(typeBlock, rx, sizeof typeBlock);
    toHost(typeBlock, qBound(0, registers, TypeBlockWords));
}

void EquipmentRecords::storeDailyValues()
{
    copyReplyData(dailyValues, rx, sizeof dailyValues);
    toHost(dailyValues, DailyValuesWords);
}

void EquipmentRecords::storeMeasures(short version)
{
    const int words = measuresStoredWords(version);
    copyReplyData(measures, rx, 2 * words);
    toHost(measures, words);
}

void EquipmentRecords::storeHouseLoad()
{
    copyReplyData(houseLoad, rx, sizeof houseLoad);
    toHost(houseLoad, HouseLoadWords);
}

void EquipmentRecords::storeStatus()
{
    copyReplyData(status, rx, sizeof status);
    toHost(status, StatusWords);
}

void EquipmentRecords::storeAlarmWords()
{
    copyReplyData(alarmWords, rx, sizeof alarmWords);
    toHost(alarmWords, 5);
    toHost(alarmWords + 6, AlarmWords - 6);
}

void EquipmentRecords::storeParameters(int registers)
{
    copyReplyData(parameterRead, rx, 2 * qBound(0, registers, ParameterWords));
}

unsigned short EquipmentRecords::storeCommandResult()
{
    commandResult = qFromBigEndian<quint16>(rx + ReplyDataOffset);
    return commandResult;
}

void EquipmentRecords::storeStringBox()
{
    copyReplyData(stringBox, rx, StringBoxBytes);
}

void EquipmentRecords::storeTpxA()
{
    copyReplyData(tpxA, rx, sizeof tpxA);
    toHost(tpxA, TpxAWords);
}

void EquipmentRecords::storeTpxB()
{
    copyReplyData(tpxB, rx, sizeof tpxB);
    toHost(tpxB, TpxBWords);
}

void EquipmentRecords::storeTpxC()
{
    copyReplyData(tpxC, rx, sizeof tpxC);
    toHost(tpxC + 8, 1);
}

void EquipmentRecords::clearLinkBlocks()
{
    std::memset(measures, 0, sizeof measures);
    std::memset(identity, 0, sizeof identity);
    std::memset(stringBox, 0, sizeof stringBox);
}
