// Decoding of the equipment's register blocks and the link's query table, without a socket.
#include "modbusframes.h"
#include "querytable.h"
#include "registerblocks.h"

#include <QtTest>
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
    void resultWord_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("code");
        QTest::newRow("error") << 0x0132 << 1;
        QTest::newRow("ok") << 0x0F32 << 2;
        QTest::newRow("other") << 0x0034 << -1;
    }
    void resultWord()
    {
        QFETCH(int, word);
        EquipmentRecords rec;
        receive(rec, {static_cast<quint16>(word)});
        rec.storeCommandResult();
        QTEST(resultCodeFromWord(rec.commandResult), "code");
    }
    void timeSync()
    {
        const QByteArray f = modbusframes::timeSyncRequest(QDateTime(QDate(2026, 3, 5), QTime(14, 3, 9)));
        QCOMPARE(f.toHex(' '), QByteArray("00 01 00 00 00 13 ff 10 00 a0 00 06 0c "
                                          "00 1a 00 03 00 05 00 0e 00 03 00 09"));
    }
    // kind: v<version>, "zeta" (announced 1.0.0, version 100), "zl" (legacy zeta), "sb" (string box).
    void queryTable_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("status");
        QTest::addColumn<double>("nominal");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("next");
        const int meter = StatusSelfConsumption, typeAgain = StatusReadTypeAgain;
        QTest::newRow("identity without power") << "v133" << 1 << 0 << 0.0 << 73 << 1;
        QTest::newRow("identity with power") << "v133" << 1 << 0 << 3000.0 << 73 << 2;
        QTest::newRow("version legacy") << "v100" << 2 << 0 << 0.0 << 11 << 3;
        QTest::newRow("version zeta legacy") << "zl" << 2 << 0 << 0.0 << 11 << 12;
        QTest::newRow("type zeta") << "zeta" << 12 << 0 << 0.0 << 231 << 10;
        QTest::newRow("measures legacy") << "v100" << 3 << 0 << 0.0 << 71 << 4;
        QTest::newRow("measures 40") << "v125" << 3 << meter << 0.0 << 89 << 4;
        QTest::newRow("measures 130 meter") << "v130" << 3 << meter << 0.0 << 93 << 4;
        QTest::newRow("measures zeta meter") << "zeta" << 3 << meter << 0.0 << 89 << 15;
        QTest::newRow("measures zeta legacy meter") << "zl" << 3 << meter << 0.0 << 71 << 4;
        QTest::newRow("status legacy, type again") << "v100" << 4 << typeAgain << 0.0 << 13 << 12;
        QTest::newRow("status no alarms") << "v125" << 4 << 0 << 0.0 << 15 << 3;
        QTest::newRow("alarms 8") << "v126" << 14 << 0 << 0.0 << 25 << 3;
        QTest::newRow("params read 7") << "v133" << 5 << 0 << 0.0 << 23 << 3;
        QTest::newRow("params read 8") << "v150" << 5 << 0 << 0.0 << 25 << 3;
        QTest::newRow("update string box") << "sb" << 11 << 0 << 0.0 << 12 << 100;
        QTest::newRow("time sync resumes") << "v133" << 13 << 0 << 0.0 << 12 << 14;
    }
    void queryTable()
    {
        QFETCH(QString, kind);
        QFETCH(int, state);
        QFETCH(int, status);
        QFETCH(double, nominal);
        querytable::LinkContext c;
        c.zeta = kind.startsWith('z');
        c.stringBox = kind == "sb";
        c.version = static_cast<short>(kind == "zeta" ? 100 : kind.mid(1).toInt());
        if (c.version)
            c.flags.applyVersion(c.version);
        if (kind == "zeta")
            c.flags.legacy = false; // set from the announced "1.0.0"
        c.savedState = 14;
        c.statusWord = static_cast<unsigned short>(status);
        c.nominalPower = nominal;
        QTEST(querytable::expectedLength(state, c), "length");
        QTEST(querytable::nextState(state, c), "next");
    }
};

QTEST_APPLESS_MAIN(TestRegisterBlocks)
#include "tst_registerblocks.moc"
