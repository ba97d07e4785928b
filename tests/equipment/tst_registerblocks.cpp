// Decoding of the equipment's register blocks, without a socket.
#include "modbusframes.h"
#include "registerblocks.h"

#include <QtTest>

using namespace registerblocks;

namespace {
// A read reply as the board sends it: 9-byte header, then the words big-endian.
QByteArray readReply(const QVector<quint16>& words)
{
    QByteArray r = QByteArray::fromHex("000100000000ff03");
    r[5] = static_cast<char>(3 + 2 * words.size());
    r.append(static_cast<char>(2 * words.size()));
    for (quint16 w : words) {
        r.append(static_cast<char>(w >> 8));
        r.append(static_cast<char>(w & 0xFF));
    }
    return r;
}

void receive(EquipmentRecords& rec, const QByteArray& reply)
{
    rec.receive(reply.constData(), reply.size());
}

QVector<quint16> numbered(int count, quint16 first)
{
    QVector<quint16> w(count);
    for (int i = 0; i < count; ++i)
        w[i] = static_cast<quint16>(first + i);
    return w;
}
} // namespace

class TestRegisterBlocks : public QObject
{
    Q_OBJECT
private slots:
    void hostOrder()
    {
        QCOMPARE(hostIsLittleEndian(), Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
        unsigned char bytes[4] = {0x12, 0x34, 0xAB, 0xCD};
        unsigned short words[2];
        memcpy(words, bytes, 4);
        swapBufferBytes(words, 2);
        QCOMPARE(words[0], quint16(0x1234));
        QCOMPARE(words[1], quint16(0xABCD));
    }

    void nominalPower_data()
    {
        QTest::addColumn<QByteArray>("chars");
        QTest::addColumn<double>("watts");
        QTest::newRow("zero padded") << QByteArray("003000") << 3000.0;
        QTest::newRow("leading blanks") << QByteArray("  5000") << 5000.0;
        QTest::newRow("all blanks") << QByteArray("      ") << 0.0;
        QTest::newRow("sign") << QByteArray(" +0120") << 120.0;
        QTest::newRow("stops at non-digit") << QByteArray("12ab34") << 12.0;
        QTest::newRow("six digits") << QByteArray("250000") << 250000.0;
    }
    void nominalPower()
    {
        QFETCH(QByteArray, chars);
        EquipmentRecords rec;
        QByteArray reply = readReply(QVector<quint16>(32, 0));
        reply[9] = 0;
        reply[10] = '3';
        reply.replace(11, 6, chars);
        receive(rec, reply);
        rec.storeIdentity();
        QTEST(nominalPowerFromIdentity(rec.identity), "watts");
        // Identity kept in wire order: the phase pair reads 0x3300 little-endian.
        QCOMPARE(rec.identity[1], static_cast<unsigned char>('3'));
    }

    void version_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("legacy");
        QTest::addColumn<bool>("upTo123");
        QTest::addColumn<bool>("alarm");
        QTest::addColumn<bool>("longAlarm");
        QTest::addColumn<bool>("longParams");
        QTest::addColumn<int>("measuresRegs");
        QTest::newRow("99") << 99 << "0.9.9" << true << true << false << false << false << 31;
        QTest::newRow("122") << 122 << "1.2.2" << true << true << false << false << false << 31;
        QTest::newRow("123") << 123 << "1.2.3" << false << true << false << false << false << 40;
        QTest::newRow("126") << 126 << "1.2.6" << false << false << true << false << false << 40;
        QTest::newRow("130") << 130 << "1.3.0" << false << false << true << false << false << 42;
        QTest::newRow("133") << 133 << "1.3.3" << false << false << true << true << false << 42;
        QTest::newRow("150") << 150 << "1.5.0" << false << false << true << true << true << 42;
    }
    void version()
    {
        QFETCH(int, version);
        const auto v = static_cast<short>(version);
        int maj = -1, med = -1, min = -1;
        splitVersion(v, &maj, &med, &min);
        QCOMPARE(maj * 100 + med * 10 + min, version);
        QTEST(versionText(v), "text");
        ProtocolFlags f;
        f.applyVersion(v);
        QTEST(f.legacy, "legacy");
        QTEST(f.upTo123, "upTo123");
        QTEST(f.alarmWords, "alarm");
        QTEST(f.longAlarmWords, "longAlarm");
        QTEST(f.longParameters, "longParams");
        QTEST(measuresRegisters(f.legacy, v), "measuresRegs");
    }

    void flagsAreOnlySetByLaterVersions()
    {
        ProtocolFlags f;
        f.applyVersion(150);
        f.applyVersion(99);
        QVERIFY(!f.legacy);
        QVERIFY(f.upTo123);
        QVERIFY(f.alarmWords && f.longAlarmWords && f.longParameters);
        f.applyVersion(124);
        QVERIFY(!f.upTo123);
    }

    void versionRegisterIsSigned()
    {
        EquipmentRecords rec;
        receive(rec, readReply({0xFF85}));
        QCOMPARE(rec.storeVersion(), short(-123));
        receive(rec, readReply({133}));
        QCOMPARE(rec.storeVersion(), short(133));
    }

    void measuresValues()
    {
        EquipmentRecords rec;
        QVector<quint16> w(42, 0);
        w[0] = 456;
        w[14] = 0xFFFF; // unsigned: 655350 W
        w[15] = 2;
        w[16] = 3;
        w[20] = 0x0001;
        w[21] = 0x0002;
        w[24] = 5;
        w[38] = 1;
        w[39] = 0;
        receive(rec, readReply(w));
        rec.storeMeasures(133);
        QCOMPARE(instantPower(rec.measures), 655400.0);
        QCOMPARE(dailyEnergy(rec.measures), 65536L);
        QCOMPARE(totalEnergy(rec.measures), 65538 / 10.0);
        QCOMPARE(rec.measures[0], quint16(456));
        QVERIFY(stateIsAlarm(rec.state()));
        w[20] = 0xFFFF;
        w[21] = 0xFFF6;
        receive(rec, readReply(w));
        rec.storeMeasures(133);
        QCOMPARE(totalEnergy(rec.measures), -1.0);
    }

    void shortMeasuresReplyZeroesTheTail_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("registers");
        QTest::addColumn<bool>("tailKept");
        QTest::newRow("legacy 31 below 130") << 100 << 31 << true;
        QTest::newRow("40 below 130") << 125 << 40 << true;
        QTest::newRow("42 from 130") << 130 << 42 << false;
    }
    void shortMeasuresReplyZeroesTheTail()
    {
        QFETCH(int, version);
        QFETCH(int, registers);
        QFETCH(bool, tailKept);
        EquipmentRecords rec;
        receive(rec, readReply(numbered(42, 100)));
        rec.storeMeasures(130);
        receive(rec, readReply(numbered(registers, 500)));
        rec.storeMeasures(static_cast<short>(version));
        for (int i = 0; i < registers; ++i)
            QCOMPARE(int(rec.measures[i]), 500 + i);
        for (int i = registers; i < 40; ++i)
            QCOMPARE(int(rec.measures[i]), 0);
        QCOMPARE(int(rec.measures[40]), tailKept ? 140 : (registers > 40 ? 540 : 0));
        if (registers == 31)
            QCOMPARE(dailyEnergy(rec.measures), 0L);
    }

    void statusAndHouseLoad()
    {
        EquipmentRecords rec;
        receive(rec, readReply({0x2002, 7, StatusSelfConsumption | StatusVncConnected}));
        rec.storeStatus();
        QCOMPARE(rec.statusWord(), quint16(StatusSelfConsumption | StatusVncConnected));
        receive(rec, readReply({0x1111, 0x2222}));
        rec.storeStatus();
        QCOMPARE(rec.status[0], quint16(0x1111));
        QCOMPARE(rec.statusWord(), quint16(0));
        receive(rec, readReply({12, 34, 0xFFFF}));
        rec.storeHouseLoad();
        QCOMPARE(rec.houseLoad[1], quint16(34));
        QCOMPARE(rec.houseLoad[2], quint16(0xFFFF));
    }

    void alarmGroups_data()
    {
        QTest::addColumn<int>("registers");
        QTest::addColumn<quint32>("x");
        QTest::newRow("ten registers") << 10 << quint32(0x99998888);
        QTest::newRow("eight registers") << 8 << quint32(0);
    }
    void alarmGroups()
    {
        QFETCH(int, registers);
        EquipmentRecords rec;
        QVector<quint16> w = {0x0F0F, 0x1111, 0x2222, 0x3333, 0xABCD, 0x12EF, 0x6666, 0x7777, 0x8888, 0x9999};
        receive(rec, readReply(w.mid(0, registers)));
        rec.storeAlarmWords();
        const AlarmGroups g = registerblocks::alarmGroups(rec.alarmWords);
        QCOMPARE(g.s, quint32(0x1111));
        QCOMPARE(g.c, quint32(0x2222));
        QCOMPARE(g.b, quint32(0x3333));
        // The high byte of register 1005 (0x12) never reaches the inverter group.
        QCOMPARE(g.i, quint32(0xABCDEF));
        QCOMPARE(g.a, quint32(0x66667777));
        QTEST(g.x, "x");
        // Register 1005 stays in wire order.
        QCOMPARE(reinterpret_cast<const unsigned char*>(&rec.alarmWords[5])[0],
                 static_cast<unsigned char>(0x12));
    }

    void typeBlock_data()
    {
        QTest::addColumn<int>("registers");
        QTest::addColumn<QString>("unit2");
        QTest::newRow("long form") << 111 << "W/m2";
        QTest::newRow("short form") << 71 << "";
    }
    void typeBlock()
    {
        QFETCH(int, registers);
        QVector<quint16> w(registers, 0);
        w[0] = 0x6000 | 0x0123;
        w[1] = 0x0005;
        const QByteArray name = "Irradiance";
        for (int i = 0; i < name.size(); ++i)
            w[18 + i] = static_cast<quint16>(0x4100 | quint8(name[i])); // high byte ignored
        for (int i = 0; i < 16; ++i)
            w[50 + i] = 'Z'; // no terminator inside
        w[66] = 1000;
        w[69] = 55;
        w[70] = 110;
        if (registers == 111) {
            const QByteArray unit = "W/m2";
            for (int i = 0; i < unit.size(); ++i)
                w[81 + i] = quint8(unit[i]);
        }
        EquipmentRecords rec;
        receive(rec, readReply(w));
        rec.storeTypeBlock(registers);
        const TypeInfo t = decodeTypeBlock(rec.typeBlock, registers);
        QCOMPARE(int(t.typeCode), 0x0123);
        QVERIFY(t.easy);
        QVERIFY(t.alternativeImage);
        QCOMPARE(int(t.probeMask), 5);
        QCOMPARE(t.probeNames[0], QString());
        QCOMPARE(t.probeNames[1], QString("Irradiance"));
        QCOMPARE(t.probeNames[3], QString(16, 'Z'));
        QTEST(t.probeUnits[1], "unit2");
        QCOMPARE(int(t.probeMax[0]), 1000);
        QCOMPARE(int(t.probeMax[3]), 55);
        QCOMPARE(t.kvpac, 110);
    }

    void resultWord_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("code");
        QTest::newRow("working") << 0x0032 << 6;
        QTest::newRow("error") << 0x0132 << 1;
        QTest::newRow("not managed") << 0x0232 << 5;
        QTest::newRow("forced locally") << 0x0432 << 7;
        QTest::newRow("ok") << 0x0F32 << 2;
        QTest::newRow("local mode") << 0x8032 << 4;
        QTest::newRow("swapped bytes") << 0x3200 << -1;
        QTest::newRow("other") << 0x0034 << -1;
    }
    void resultWord()
    {
        QFETCH(int, word);
        EquipmentRecords rec;
        receive(rec, readReply({static_cast<quint16>(word)}));
        QCOMPARE(int(rec.storeCommandResult()), word);
        QTEST(resultCodeFromWord(rec.commandResult), "code");
    }

    void receiveBufferIsZeroFilledAndBounded()
    {
        EquipmentRecords rec;
        QByteArray big(1500, char(0x5A));
        receive(rec, big);
        QCOMPARE(rec.receiveBuffer()[ReceiveBufferSize - 1], static_cast<unsigned char>(0x5A));
        receive(rec, readReply({1}));
        QCOMPARE(rec.receiveBuffer()[11], static_cast<unsigned char>(0));
        QCOMPARE(rec.receiveBuffer()[ReceiveBufferSize - 1], static_cast<unsigned char>(0));
        // A full daily-values copy reads only inside the buffer.
        rec.storeDailyValues();
        QCOMPARE(int(rec.dailyValues[0]), 1);
        QCOMPARE(int(rec.dailyValues[203]), 0);
    }

    void tpxBlockC()
    {
        EquipmentRecords rec;
        receive(rec, readReply(numbered(9, 0x0102)));
        rec.storeTpxC();
        QCOMPARE(int(rec.tpxC[8]), 0x010A);
        QCOMPARE(reinterpret_cast<const unsigned char*>(rec.tpxC)[0], static_cast<unsigned char>(0x01));
        QCOMPARE(reinterpret_cast<const unsigned char*>(rec.tpxC)[1], static_cast<unsigned char>(0x02));
    }

    void clearOnDisconnection()
    {
        EquipmentRecords rec;
        receive(rec, readReply(numbered(42, 1)));
        rec.storeMeasures(133);
        rec.storeIdentity();
        rec.storeStringBox();
        rec.storeStatus();
        rec.clearLinkBlocks();
        QCOMPARE(instantPower(rec.measures), 0.0);
        QCOMPARE(int(rec.identity[1]), 0);
        QCOMPARE(int(rec.stringBox[0]), 0);
        QCOMPARE(int(rec.status[0]), 1);
    }

    void dump()
    {
        unsigned char area[20];
        for (int i = 0; i < 20; ++i)
            area[i] = static_cast<unsigned char>(i);
        const QStringList lines = dumpText(area, 20).split('\n');
        QCOMPARE(lines.size(), 3); // two lines and the final break
        QVERIFY(lines[0].endsWith(": 00 01 02 03 04 05 06 07  08 09 0A 0B 0C 0D 0E 0F  "));
        QVERIFY(lines[1].endsWith(": 10 11 12 13 "));
        QVERIFY(lines[2].isEmpty());
    }

    void timeSync()
    {
        const QByteArray f = modbusframes::timeSyncRequest(QDateTime(QDate(2026, 3, 5), QTime(14, 3, 9)));
        QCOMPARE(f.toHex(' '), QByteArray("00 01 00 00 00 13 ff 10 00 a0 00 06 0c "
                                          "00 1a 00 03 00 05 00 0e 00 03 00 09"));
        // Up to 2000 the year's low byte is sent as it is.
        QCOMPARE(quint8(modbusframes::timeSyncRequest(QDateTime(QDate(1999, 12, 31), QTime(0, 0)))[14]),
                 quint8(0xCF));
    }
};

QTEST_APPLESS_MAIN(TestRegisterBlocks)
#include "tst_registerblocks.moc"
