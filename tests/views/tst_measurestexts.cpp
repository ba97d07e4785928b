// The measures window's texts from blocks built from the bytes a board
// sends: word overflows, absent inputs, signs, the power factor's limits,
// the legacy protocol and the house rows.
#include "measurestexts.h"
#include "registerreply.h"

#include <QtTest>

using namespace measurestexts;
using Words = QMap<int, int>;         // measures word -> value
using Texts = QMap<QString, QString>; // label -> text; "(kept)" for a label left alone

namespace {
const QString Kept = "(kept)";

// A 42-register measures reply stored as the tile stores it, with status word 8 and the house words.
Inputs inputsOf(const Words& words, int phases, bool extended, double nominal, int status2 = 0,
                const QVector<int>& house = {0, 0, 0})
{
    EquipmentRecords rec;
    testsupport::storeMeasures(rec, words);
    testsupport::receiveWords(rec, {0, 0, quint16(status2)});
    rec.storeStatus();
    testsupport::receiveWords(rec, {quint16(house[0]), quint16(house[1]), quint16(house[2])});
    rec.storeHouseLoad();
    Inputs in;
    std::copy(rec.measures, rec.measures + registerblocks::MeasuresWords, in.measures);
    std::copy(rec.status, rec.status + 3, in.status);
    std::copy(rec.houseLoad, rec.houseLoad + 3, in.houseLoad);
    in.numPhases = phases;
    in.showExtended = extended;
    in.nominalPower = nominal;
    in.title = "Roof West";
    return in;
}
void compareTexts(const Refresh& r, const Texts& expected)
{
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        if (it.value() == Kept)
            QVERIFY2(!r.texts.contains(it.key()),
                     qPrintable(it.key() + " written: " + r.texts.value(it.key())));
        else
            QCOMPARE(r.texts.value(it.key(), "(not written)"), it.value());
    }
    for (const QString& text : r.texts)
        QVERIFY2(!text.contains("nan") && !text.contains("inf"), qPrintable(text));
}
} // namespace

class TestMeasuresTexts : public QObject
{
    Q_OBJECT
private slots:
    void values_data()
    {
        QTest::addColumn<Words>("words");
        QTest::addColumn<Texts>("texts");
        QTest::addColumn<int>("phases");
        QTest::addColumn<double>("nominal");
        QTest::addColumn<bool>("extended");
        const auto row = [](const char* tag, const Words& words, const Texts& texts, int phases = 3,
                            double nominal = 20000.0, bool extended = true) {
            QTest::newRow(tag) << words << texts << phases << nominal << extended;
        };
        // 3 * 65535^2 does not fit in 32 bits.
        row("words near 0xFFFF", {{10, 0xFFFE}, {11, 0xFFFE}, {12, 0xFFFE}},
            {{"theGridV1", "11350.8Vrs"}, {"theGridV3", "11350.8Vtr"}});
        const Texts singleKept{{"theGridV1", "230.0V"}, {"theGridI1", "12.30A"}, {"theGridI2", Kept},
                               {"theGridI3", Kept},     {"theGridV2", Kept},     {"theGridV3", Kept}};
        row("single phase", {{7, 123}, {10, 2300}, {11, 0}}, singleKept, 1, 3000.0);
        row("phases not yet known", {{7, 123}, {10, 2300}, {11, 0}}, singleKept, 0, 3000.0);
        row("DC inputs, two absent", {{1, 6120}, {2, 0xFFFF}, {3, 0}, {4, 105}, {5, 0xFFFF}, {6, 0xFFFE}},
            {{"theVin2", "612.0V"},
             {"theVin1", "---"},
             {"theVin0", "0.0V"},
             {"theIin1", "---"},
             {"theIin2", "6553.4A"}});
        row("P words unsigned", {{14, 0xFFFF}, {15, 0xFFFF}, {16, 0}}, {{"theInstPow", "P=1310.7KW   "}});
        row("total energy high word", {{20, 2}, {21, 100}}, {{"TotE", "Total Energy = 13117.2 kWh"}});
        row("Q signed, S", {{14, 300}, {15, 300}, {16, 300}, {31, 0xFF9C}, {32, 0xFF9C}, {33, 0xFF9C}},
            {{"theKVAR", "Q=-3.0KVAR"}, {"theKVA", "S=9.5kVA"}});
        row("PF, Q negative", {{14, 1000}, {31, 0xFE0C}}, {{"thePF", "PF=-0.9"}});
        row("PF at 5 %", {{14, 100}}, {{"thePF", "PF=1.0"}});
        row("PF below 5 %", {{14, 99}, {31, 50}}, {{"thePF", "---"}});
        row("PF nominal 0", {{14, 500}, {31, 100}}, {{"thePF", "---"}, {"theKVA", "S=5.1kVA"}}, 3, 0.0);
        row("legacy protocol", {{14, 500}, {20, 1}, {21, 1}, {31, 100}},
            {{"TotE", Kept}, {"theKVAR", Kept}, {"theKVA", Kept}, {"thePF", Kept}}, 3, 20000.0, false);
    }
    void values()
    {
        QFETCH(Words, words);
        QFETCH(int, phases);
        QFETCH(double, nominal);
        QFETCH(bool, extended);
        QFETCH(Texts, texts);
        compareTexts(refresh(inputsOf(words, phases, extended, nominal)), texts);
    }

    // status2: status register 8; house: the three house load words.
    void houseRows_data()
    {
        QTest::addColumn<int>("status2");
        QTest::addColumn<QVector<int>>("house");
        QTest::addColumn<int>("mode");
        QTest::addColumn<Texts>("texts");
        const int meter = registerblocks::StatusSelfConsumption, silent = registerblocks::StatusMeterSilent;
        const Texts none{{"theL_1", Kept}, {"theL_2", Kept}, {"theL_3", Kept}, {"theL_Total", Kept}};
        QTest::newRow("no meter") << 0 << QVector<int>{12, 34, 5} << int(House::Hidden) << none;
        QTest::newRow("no house data") << meter << QVector<int>{0xFFFF, 34, 5} << int(House::Hidden) << none;
        QTest::newRow("wide rows") << meter << QVector<int>{65000, 65000, 0} << int(House::Rows)
                                   << Texts{{"theL_1", "L1 =   6500.0KW"}, {"theL_Total", "Tot=  13000.0KW"}};
        QTest::newRow("meter silent")
            << (meter | silent) << QVector<int>{12, 34, 5} << int(House::Timeout)
            << Texts{{"theL_1", "Timeout"}, {"theL_2", Kept}, {"theL_3", Kept}, {"theL_Total", Kept}};
        QTest::newRow("silent without meter")
            << silent << QVector<int>{12, 34, 5} << int(House::Hidden) << none;
    }
    void houseRows()
    {
        QFETCH(int, status2);
        QFETCH(QVector<int>, house);
        QFETCH(Texts, texts);
        const Refresh r = refresh(inputsOf({}, 3, true, 20000.0, status2, house));
        QTEST(int(r.house), "mode");
        compareTexts(r, texts);
        QCOMPARE(houseRow("L1 =", 1234567.8), QString("L1 =1234567.8KW")); // longer than its field
    }
};

QTEST_GUILESS_MAIN(TestMeasuresTexts)
#include "tst_measurestexts.moc"
