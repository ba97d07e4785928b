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
    // Branches and version bounds a board's cycle does not walk in tst_equipmentlink.
    void queryTable_data()
    {
        QTest::addColumn<int>("kind");    // Zeta, string box, legacy
        QTest::addColumn<int>("version"); // 0: not read yet
        QTest::addColumn<QueryState>("state");
        QTest::addColumn<int>("status"); // status word, host order
        QTest::addColumn<int>("length");
        QTest::addColumn<QueryState>("next");
        enum
        {
            Zeta = 1,
            Box = 2,
            Legacy = 4
        };
        const auto row = [](const char* name, int kind, int version, QueryState state, int status, int length,
                            QueryState next) {
            QTest::newRow(name) << kind << version << state << status << length << next;
        };
        const int meter = StatusSelfConsumption, typeAgain = StatusReadTypeAgain;
        row("identity without power", 0, 133, Identity, 0, 73, Identity);
        row("version zeta legacy", Zeta | Legacy, 0, Version, 0, 11, TypeBlock);
        row("type zeta", Zeta, 100, TypeBlock, 0, 231, DailyValues);
        row("measures 40", 0, 125, Measures, meter, 89, Status);
        row("measures 130 meter", 0, 130, Measures, meter, 93, Status);
        row("measures 133 meter", 0, 133, Measures, meter, 93, HouseLoad);
        row("measures zeta meter", Zeta, 100, Measures, meter, 89, HouseLoad);
        row("measures zeta legacy meter", Zeta | Legacy, 0, Measures, meter, 71, Status);
        row("status legacy, type again", Legacy, 100, Status, typeAgain, 13, TypeBlock);
        row("status no alarms", 0, 125, Status, 0, 15, Measures);
        row("status, alarms", 0, 126, Status, 0, 15, AlarmWordsRead);
        row("alarms 8", 0, 126, AlarmWordsRead, 0, 25, Measures);
        row("alarms 10", 0, 133, AlarmWordsRead, 0, 29, Measures);
        row("params read 7", 0, 133, ParametersRead, 0, 23, Measures);
        row("params read 8", 0, 150, ParametersRead, 0, 25, Measures);
        row("update string box", Box | Legacy, 0, UpdateAvailable, 0, 12, StringBoxBlock);
        row("update inverter", 0, 150, UpdateAvailable, 0, 12, Measures);
        row("time sync resumes", 0, 133, TimeSync, 0, 12, AlarmWordsRead);
    }
    void queryTable()
    {
        QFETCH(int, kind);
        QFETCH(int, version);
        QFETCH(QueryState, state);
        LinkContext c;
        c.zeta = kind & 1;
        c.stringBox = kind & 2;
        c.version = static_cast<short>(version);
        if (version)
            c.flags.applyVersion(c.version);
        c.flags.legacy = kind & 4; // a Zeta takes it from its announced version
        c.savedState = AlarmWordsRead;
        QFETCH(int, status);
        c.statusWord = static_cast<unsigned short>(status);
        QTEST(expectedLength(state, c), "length");
        QTEST(nextState(state, c), "next");
    }

    // Requests byte for byte, the nominal power, the dump; the tile's texts and
    // bar at their edges (ordinary values: tst_invbutton).
    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        using namespace modbusframes;
        const auto hex = [](const QByteArray& frame) { return QString(frame.toHex()); };
        const auto nominal = [](const QByteArray& chars) {
            const auto pair = [&](int i) { return quint16(quint8(chars[i]) << 8 | quint8(chars[i + 1])); };
            EquipmentRecords rec;
            receive(rec, {'3', pair(0), pair(2), pair(4)}); // phases, then the power text
            rec.storeIdentity();
            return QString::number(nominalPowerFromIdentity(rec.identity));
        };
        QTest::newRow("nominal power, leading blanks") << nominal("  5000") << "5000";
        QTest::newRow("nominal power, all blanks") << nominal("      ") << "0";
        // Dump: "%02X " per byte, a blank more after every 8, a new line with the address after 16.
        unsigned char area[32];
        std::iota(area, area + 32, 0);
        const auto at = [&](int line) {
            return QString::asprintf("%p: ", static_cast<const void*>(area + 16 * line));
        };
        QTest::newRow("dump empty") << dumpText(area, 0) << at(0) + "\n";
        QTest::newRow("dump of a line and a half")
            << dumpText(area, 20)
            << at(0) + "00 01 02 03 04 05 06 07  08 09 0A 0B 0C 0D 0E 0F  \n" + at(1) + "10 11 12 13 \n";
        QTest::newRow("read") << hex(readRequest(500, 204)) << "000100000006ff0301f400cc";
        QTest::newRow("update") << hex(request(UpdateAvailable, LinkContext())) << "000100000006ff060070003c";
        QTest::newRow("time sync") << hex(timeSyncRequest(QDateTime(QDate(2026, 3, 5), QTime(14, 3, 9))))
                                   << "000100000013ff1000a000060c001a00030005000e00030009";
        QTest::newRow("time sync before 2001")
            << hex(timeSyncRequest(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 0))))
            << "000100000013ff1000a000060c00cf000c001f0017003b0000";
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
    void texts()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
    }
};

QTEST_GUILESS_MAIN(TestRegisterBlocks)
#include "tst_registerblocks.moc"
