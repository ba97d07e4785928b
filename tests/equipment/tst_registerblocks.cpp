// Decoding of the equipment's register blocks, without a socket.
#include "registerblocks.h"

#include <QtTest>
#include <cstring>
#include <numeric>
using namespace registerblocks;

namespace {
// A read reply as the board sends it: 9-byte header, then the words big-endian.
void receive(EquipmentRecords& rec, const QVector<quint16>& words)
{
    QByteArray r = QByteArray::fromHex("000100000000ff03");
    r[5] = static_cast<char>(3 + 2 * words.size());
    r.append(static_cast<char>(2 * words.size()));
    for (quint16 w : words)
        r.append(static_cast<char>(w >> 8)).append(static_cast<char>(w & 0xFF));
    rec.receive(r.constData(), r.size());
}
QVector<quint16> numbered(int count, quint16 first)
{
    QVector<quint16> w(count);
    std::iota(w.begin(), w.end(), first);
    return w;
}
} // namespace

class TestRegisterBlocks : public QObject
{
    Q_OBJECT
private slots:
    void nominalPower_data()
    {
        QTest::addColumn<QByteArray>("chars");
        QTest::addColumn<double>("watts");
        QTest::newRow("zero padded") << QByteArray("003000") << 3000.0;
        QTest::newRow("leading blanks") << QByteArray("  5000") << 5000.0;
        QTest::newRow("all blanks") << QByteArray("      ") << 0.0;
    }
    void nominalPower()
    {
        QFETCH(QByteArray, chars);
        const auto pair = [&](int i) { return quint16(quint8(chars[i]) << 8 | quint8(chars[i + 1])); };
        EquipmentRecords rec;
        receive(rec, {'3', pair(0), pair(2), pair(4)}); // phases, then the power text
        rec.storeIdentity();
        QTEST(nominalPowerFromIdentity(rec.identity), "watts");
    }
    void version_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("measuresRegs");
        QTest::addColumn<int>("flags"); // legacy, up to 1.2.3, alarms, long alarms, long parameters
        QTest::newRow("99") << 99 << "0.9.9" << 31 << 0b11000;
        QTest::newRow("122") << 122 << "1.2.2" << 31 << 0b11000;
        QTest::newRow("123") << 123 << "1.2.3" << 40 << 0b01000;
        QTest::newRow("133") << 133 << "1.3.3" << 42 << 0b00110;
        QTest::newRow("150") << 150 << "1.5.0" << 42 << 0b00111;
    }
    void version()
    {
        QFETCH(int, version);
        const auto v = static_cast<short>(version);
        QTEST(versionText(v), "text");
        ProtocolFlags f;
        f.applyVersion(v);
        QTEST(f.legacy << 4 | f.upTo123 << 3 | f.alarmWords << 2 | f.longAlarmWords << 1 | f.longParameters,
              "flags");
        QTEST(measuresRegisters(f.legacy, v), "measuresRegs");
    }
    // A shorter measures reply zeroes the words it does not carry; energies come high word first.
    void measures_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("registers");
        QTest::addColumn<int>("word40");
        QTest::newRow("legacy 31 below 130") << 100 << 31 << 140;
        QTest::newRow("40 below 130") << 125 << 40 << 140;
        QTest::newRow("42 from 130") << 130 << 42 << 540;
    }
    void measures()
    {
        QFETCH(int, version);
        QFETCH(int, registers);
        EquipmentRecords rec;
        receive(rec, numbered(42, 100));
        rec.storeMeasures(130);
        receive(rec, numbered(registers, 500));
        rec.storeMeasures(static_cast<short>(version));
        for (int i = 0; i < 40; ++i)
            QCOMPARE(int(rec.measures[i]), i < registers ? 500 + i : 0);
        QTEST(int(rec.measures[40]), "word40");
        QCOMPARE(totalEnergy(rec.measures), (520 * 65536 + 521) / 10.0);
        QCOMPARE(dailyEnergy(rec.measures), registers < 40 ? 0L : 538L * 65536 + 539);
    }
    void inverterAlarmsIgnoreTheHighByteOf1005()
    {
        EquipmentRecords rec;
        receive(rec, {0x0F0F, 0x1111, 0x2222, 0x3333, 0xABCD, 0x12EF, 0x6666, 0x7777, 0x8888, 0x9999});
        rec.storeAlarmWords();
        const AlarmGroups g = alarmGroups(rec.alarmWords);
        QCOMPARE(g.i, quint32(0xABCDEF));
        QCOMPARE(g.a, quint32(0x66667777));
    }
    // Dump: address and ": ", "%02X " per byte, a blank more after every 8
    // bytes, a new line with the address after every 16, a final line break.
    void dump_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QStringList>("lines"); // without the address
        QTest::newRow("empty") << 0 << QStringList{""};
        QTest::newRow("five") << 5 << QStringList{"00 01 02 03 04 "};
        QTest::newRow("one line and a half")
            << 20 << QStringList{"00 01 02 03 04 05 06 07  08 09 0A 0B 0C 0D 0E 0F  ", "10 11 12 13 "};
        QTest::newRow("two whole lines") << 32
                                         << QStringList{"00 01 02 03 04 05 06 07  08 09 0A 0B 0C 0D 0E 0F  ",
                                                        "10 11 12 13 14 15 16 17  18 19 1A 1B 1C 1D 1E 1F  "};
    }
    void dump()
    {
        QFETCH(int, size);
        QFETCH(QStringList, lines);
        unsigned char area[32];
        std::iota(area, area + 32, 0);
        QString expected;
        for (int i = 0; i < lines.size(); ++i)
            expected += QString::asprintf("%p: ", static_cast<const void*>(area + 16 * i)) + lines[i] +
                        (i + 1 < lines.size() ? "\n" : "");
        QCOMPARE(dumpText(area, size), expected + "\n");
    }
    // Wire order to host order: each word becomes first byte * 256 + second byte.
    void swapBytes()
    {
        const unsigned char wire[4] = {0x12, 0x34, 0xAB, 0xCD};
        unsigned short words[2];
        std::memcpy(words, wire, 4);
        swapBufferBytes(words, 2);
        QCOMPARE(words[0], (unsigned short)0x1234);
        QCOMPARE(words[1], (unsigned short)0xABCD);
    }
};

QTEST_APPLESS_MAIN(TestRegisterBlocks)
#include "tst_registerblocks.moc"
