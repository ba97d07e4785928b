// The link's plain pieces without a socket: register block decoding, the
// query table's lengths and next states, Modbus frames and the tile's texts.
// The plain cycles and writes run against plantsim in tst_equipmentlink.
#include "modbusframes.h"
#include "querytable.h"
#include "registerblocks.h"
#include "tiletexts.h"

#include <QtTest>
#include <numeric>
using namespace registerblocks;
using namespace querytable;

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
    // Dump: "%02X " per byte, a blank more after every 8, a new line with the address after 16.
    void dump_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QStringList>("lines"); // without the address
        QTest::newRow("empty") << 0 << QStringList{""};
        QTest::newRow("one line and a half")
            << 20 << QStringList{"00 01 02 03 04 05 06 07  08 09 0A 0B 0C 0D 0E 0F  ", "10 11 12 13 "};
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

    // Branches and version bounds a board's cycle does not walk in tst_equipmentlink.
    void queryTable_data()
    {
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<bool>("stringBox");
        QTest::addColumn<int>("version"); // 0: not read yet
        QTest::addColumn<bool>("legacy");
        QTest::addColumn<QueryState>("state");
        QTest::addColumn<int>("status"); // status word, host order
        QTest::addColumn<int>("length");
        QTest::addColumn<QueryState>("next");
        const auto row = [](const char* name, bool zeta, bool stringBox, int version, bool legacy,
                            QueryState state, int status, int length, QueryState next) {
            QTest::newRow(name) << zeta << stringBox << version << legacy << state << status << length
                                << next;
        };
        const int meter = StatusSelfConsumption, typeAgain = StatusReadTypeAgain;
        row("identity without power", false, false, 133, false, Identity, 0, 73, Identity);
        row("version zeta legacy", true, false, 0, true, Version, 0, 11, TypeBlock);
        row("type zeta", true, false, 100, false, TypeBlock, 0, 231, DailyValues);
        row("measures 40", false, false, 125, false, Measures, meter, 89, Status);
        row("measures 130 meter", false, false, 130, false, Measures, meter, 93, Status);
        row("measures 133 meter", false, false, 133, false, Measures, meter, 93, HouseLoad);
        row("measures zeta meter", true, false, 100, false, Measures, meter, 89, HouseLoad);
        row("measures zeta legacy meter", true, false, 0, true, Measures, meter, 71, Status);
        row("status legacy, type again", false, false, 100, true, Status, typeAgain, 13, TypeBlock);
        row("status no alarms", false, false, 125, false, Status, 0, 15, Measures);
        row("status, alarms", false, false, 126, false, Status, 0, 15, AlarmWordsRead);
        row("alarms 8", false, false, 126, false, AlarmWordsRead, 0, 25, Measures);
        row("alarms 10", false, false, 133, false, AlarmWordsRead, 0, 29, Measures);
        row("params read 7", false, false, 133, false, ParametersRead, 0, 23, Measures);
        row("params read 8", false, false, 150, false, ParametersRead, 0, 25, Measures);
        row("update string box", false, true, 0, true, UpdateAvailable, 0, 12, StringBoxBlock);
        row("update inverter", false, false, 150, false, UpdateAvailable, 0, 12, Measures);
        row("time sync resumes", false, false, 133, false, TimeSync, 0, 12, AlarmWordsRead);
    }
    void queryTable()
    {
        QFETCH(int, version);
        QFETCH(QueryState, state);
        LinkContext c;
        QFETCH(bool, zeta);
        QFETCH(bool, stringBox);
        QFETCH(bool, legacy);
        QFETCH(int, status);
        c.zeta = zeta;
        c.stringBox = stringBox;
        c.version = static_cast<short>(version);
        if (version)
            c.flags.applyVersion(c.version);
        c.flags.legacy = legacy; // a Zeta takes it from its announced version
        c.savedState = AlarmWordsRead;
        c.statusWord = static_cast<unsigned short>(status);
        QTEST(expectedLength(state, c), "length");
        QTEST(nextState(state, c), "next");
    }

    // Requests byte for byte; the writes carry the parameter block as stored (wire order).
    void requests_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("hex");
        using namespace modbusframes;
        const unsigned char wire[16] = {0xAB, 0xCD, 1, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8};
        LinkContext c;
        c.parameterWrite = reinterpret_cast<const unsigned short*>(wire);
        QTest::newRow("read") << readRequest(500, 204) << QByteArray("000100000006ff0301f400cc");
        QTest::newRow("single write")
            << writeSingleRequest(112, 50) << QByteArray("000100000006ff0600700032");
        QTest::newRow("single write as stored")
            << writeSingleRawRequest(141, wire) << QByteArray("000100000006ff06008dabcd");
        QTest::newRow("parameters, seven registers")
            << request(ParametersWrite, c)
            << QByteArray("000100000015ff10008c00070eabcd0102000300040005000600"
                          "07");
        QTest::newRow("update") << request(UpdateAvailable, c) << QByteArray("000100000006ff060070003c");
        // Each value in the low byte, the year less 2000.
        QTest::newRow("time sync") << timeSyncRequest(QDateTime(QDate(2026, 3, 5), QTime(14, 3, 9)))
                                   << QByteArray("000100000013ff1000a000060c001a00030005000e00030009");
        QTest::newRow("time sync before 2001")
            << timeSyncRequest(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 0)))
            << QByteArray("000100000013ff1000a000060c00cf000c001f0017003b0000");
    }
    void requests()
    {
        QFETCH(QByteArray, frame);
        QTEST(frame.toHex(), "hex");
    }
    void exceptionReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("exception");
        QTest::newRow("read") << QByteArray::fromHex("000100000005ff03020001") << false;
        QTest::newRow("read refused") << QByteArray::fromHex("000100000003ff8304") << true;
        QTest::newRow("write refused") << QByteArray::fromHex("000100000003ff9002") << true;
    }
    void exceptionReply()
    {
        QFETCH(QByteArray, reply);
        QTEST(modbusframes::isExceptionReply(reinterpret_cast<const unsigned char*>(reply.constData())),
              "exception");
    }

    // The tile's texts and bar at their edges; ordinary values are drawn in tst_invbutton.
    void tileTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("others in kW, one decimal") << TileTexts::powerText(1260, false) << "1.3 kW";
        QTest::newRow("five digits keep a decimal") << TileTexts::energyText(123456) << "12345.6 kWh";
        QTest::newRow("six significant digits") << TileTexts::energyText(1234567) << "123457 kWh";
        QTest::newRow("then the exponent") << TileTexts::energyText(12345678) << "1.23457e+06 kWh";
        const auto bar = [](double power, double nominal, int kvpac) {
            const TileTexts::BarValue b = TileTexts::barPercent(power, nominal, kvpac);
            return QString("%1 %2 %3").arg(b.value).arg(b.label).arg(b.valid);
        };
        QTest::newRow("bar truncates") << bar(2999, 3000, 100) << "99 100.0% 1";
        QTest::newRow("over full scale") << bar(3300, 3000, 100) << "100 110.0% 1";
        QTest::newRow("kvpac 0") << bar(1500, 3000, 0) << "0 ---% 0";
        QTest::newRow("nominal 0") << bar(1500, 0, 100) << "0 ---% 0";
    }
    void tileTexts()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
    }
};

QTEST_GUILESS_MAIN(TestRegisterBlocks)
#include "tst_registerblocks.moc"
