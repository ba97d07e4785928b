// The views' rules without widgets: measures texts, full-screen summary,
// probes, and the daily graph's day layout, choices and fetch decisions.
#include "fullscreensummary.h"
#include "graphchoice.h"
#include "graphday.h"
#include "graphfetch.h"
#include "measurestexts.h"
#include "probes.h"
#include "registerblocks.h"
#include "registerreply.h"
#include "storagepaths.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDateTime>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace measurestexts;
using Words = QMap<int, int>;         // measures word -> value
using Texts = QMap<QString, QString>; // label -> text; "(kept)" for a label left alone

namespace {
const QString Kept = "(kept)";

// A 42-register measures reply stored as the tile stores it, with status word 8 and the house words.
Inputs inputsOf(const Words& words, int phases, bool extended, double nominal, int status2,
                const QVector<int>& house)
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
// "1,2,nan" for a curve, so table rows read as the plot's slots.
QString slotText(const QVector<double>& curve)
{
    QStringList out;
    for (double v : curve)
        out << (std::isnan(v) ? QString("nan") : QString::number(v));
    return out.join(',');
}
// A daily log record at the time with probe p's column holding probe[p - 1] and every other column 7.
QByteArray record(const char* time, const QVector<double>& probe, int values = 29)
{
    QVector<double> v(values, 7.0);
    for (int p = 1; p <= probes::Count; ++p)
        v[probes::FirstLogColumn + p - 1] = probe.value(p - 1);
    return testsupport::logRecord(QTime::fromString(time, "hh:mm"), v);
}
using Lines = QList<QByteArray>;
const QByteArray headers = "Header;a;b\n05:00;9;9;9\n"; // the second header looks like a record

// Records every 5 minutes from hh:mm; column c of record i holds (i + 1) * 100 + c.
Lines records(int hours, int minutes, int count, int valueCount = 29)
{
    Lines lines;
    for (int i = 0; i < count; ++i) {
        QVector<double> values;
        for (int c = 0; c < valueCount; ++c)
            values << (i + 1) * 100 + c;
        lines << testsupport::logRecord(QTime(hours, minutes).addSecs(300 * i), values);
    }
    return lines;
}
GraphDay loaded(const QByteArray& content, bool isZeta)
{
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    GraphDay day;
    day.load(&buffer, isZeta);
    return day;
}
// A day whose records hold the given value rows (column order), from 05:05.
GraphDay dayOf(const QList<QVector<double>>& rows, bool isZeta)
{
    QByteArray text = "h1\nh2\n";
    for (int i = 0; i < rows.size(); ++i)
        text += testsupport::logRecord(QTime(5, 5).addSecs(300 * i), rows[i]);
    return loaded(text, isZeta);
}
// A row of 30 values, all 0 but the given columns.
QVector<double> row(std::initializer_list<std::pair<int, double>> values)
{
    QVector<double> r(30, 0.0);
    for (const auto& v : values)
        r[v.first] = v.second;
    return r;
}
} // namespace

using Series = QVector<int>;
using Dates = QVector<QDate>;
using graphchoice::AxisRange;
using namespace FullScreenSummary;

// One request of the throttle: seconds after its creation, days to move, what is expected.
struct ThrottleStep
{
    qint64 at;
    int days;
    bool wanted;
    QDate displayed;
};
Q_DECLARE_METATYPE(QList<ThrottleStep>)

class TestViewRules : public QObject
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
        QTest::addColumn<int>("status2"); // status register 8
        QTest::addColumn<QVector<int>>("house");
        QTest::addColumn<int>("mode");
        const auto row = [](const char* tag, const Words& words, const Texts& texts, int phases = 3,
                            double nominal = 20000.0, bool extended = true, int status2 = 0,
                            const QVector<int>& house = {12, 34, 5}, House mode = House::Hidden) {
            QTest::newRow(tag) << words << texts << phases << nominal << extended << status2 << house
                               << int(mode);
        };
        // 3 * 65535^2 does not fit in 32 bits.
        row("words near 0xFFFF", {{10, 0xFFFE}, {11, 0xFFFE}, {12, 0xFFFE}},
            {{"theGridV1", "11350.8Vrs"}, {"theGridV3", "11350.8Vtr"}});
        const Texts singleKept{{"theGridV1", "230.0V"}, {"theGridI1", "12.30A"}, {"theGridI2", Kept},
                               {"theGridI3", Kept},     {"theGridV2", Kept},     {"theGridV3", Kept}};
        row("single phase", {{7, 123}, {10, 2300}, {11, 0}}, singleKept, 1, 3000.0);
        row("phases not yet known", {{7, 123}, {10, 2300}, {11, 0}}, singleKept, 0, 3000.0);
        row("DC inputs, two absent", {{1, 6120}, {2, 0xFFFF}, {3, 0}, {5, 0xFFFF}, {6, 0xFFFE}},
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
        const int meter = registerblocks::StatusSelfConsumption;
        const Texts none{{"theL_1", Kept}, {"theL_2", Kept}, {"theL_3", Kept}, {"theL_Total", Kept}};
        row("no house meter", {}, none);
        row("no house data", {}, none, 3, 20000.0, true, meter, {0xFFFF, 34, 5});
        row("wide house rows", {}, {{"theL_1", "L1 =   6500.0KW"}, {"theL_Total", "Tot=  13000.0KW"}}, 3,
            20000.0, true, meter, {65000, 65000, 0}, House::Rows);
        row("house meter silent", {},
            {{"theL_1", "Timeout"}, {"theL_2", Kept}, {"theL_3", Kept}, {"theL_Total", Kept}}, 3, 20000.0,
            true, meter | registerblocks::StatusMeterSilent, {12, 34, 5}, House::Timeout);
    }
    void values()
    {
        QFETCH(Words, words);
        QFETCH(int, phases);
        QFETCH(double, nominal);
        QFETCH(bool, extended);
        QFETCH(int, status2);
        QFETCH(QVector<int>, house);
        QFETCH(Texts, texts);
        const Refresh r = refresh(inputsOf(words, phases, extended, nominal, status2, house));
        QTEST(int(r.house), "mode");
        compareTexts(r, texts);
    }

    // Texts longer than their field, extreme readings, empty axes, probes out of range.
    void edges()
    {
        QCOMPARE(houseRow("L1 =", 1234567.8), QString("L1 =1234567.8KW"));
        QCOMPARE(co2Text(1538.0), QString("= 999.70 kg"));
        QCOMPARE(co2Text(1539.0), QString("= 1.00 t"));
        for (int none : {0, -3})
            QVERIFY(FullScreenSummary::timeAxis(none, QDate(2026, 6, 21)).isEmpty());
        QCOMPARE(probes::valueText(short(32767), "W/m2"), QString("3276.70  W/m2"));
        QCOMPARE(probes::valueText(short(-32768), "m/s"), QString("-3276.80  m/s"));
        const unsigned short maxima[probes::Count] = {1200, 90, 50, 30};
        QCOMPARE(probes::probeMax(maxima, 4), 30.0);
        for (int outside : {-1, 0, 5})
            QCOMPARE(probes::probeMax(maxima, outside), 100.0);
        unsigned short measures[registerblocks::MeasuresWords] = {};
        measures[34] = 0xFFE7; // -25
        measures[36] = 123;
        measures[33] = measures[38] = 0xAAAA; // neighbours are not probes
        probes::ProbeSet set;
        set.setReadings(measures);
        QCOMPARE(QVector<short>(set.readings, set.readings + 4), (QVector<short>{-25, 0, 123, 0}));
        // Bits above probe 4 count for nothing on the tile's button.
        const int count = probes::GetNumberOfProbesConfigured(0xFFF2, false);
        QCOMPARE(probes::buttonImage(count, true), QString("Uno1.png"));
        QCOMPARE(probes::buttonHoverImage(count), QString("Uno2.png"));
    }

    void axisTops_data()
    {
        QTest::addColumn<double>("nominal");
        QTest::addColumn<QVector<double>>("curve");
        QTest::addColumn<double>("top");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("nominal power") << 10000.0 << QVector<double>{50} << 11.0;
        QTest::newRow("no nominal power: the curve, nan skipped")
            << 0.0 << QVector<double>{1, 4, nan, 2} << 4.4;
        QTest::newRow("no nominal power, no curve") << 0.0 << QVector<double>{} << 1.0;
        QTest::newRow("nominal not a number") << nan << QVector<double>{3} << 3.3;
    }
    void axisTops()
    {
        QFETCH(double, nominal);
        QFETCH(QVector<double>, curve);
        QFETCH(double, top);
        QCOMPARE(powerAxisTop(nominal, curve), top);
        // The probe axis: the same fallback for a full scale of 0.
        QCOMPARE(extraAxisTop(0, curve), nominal > 0 ? 1.1 * 50 : top);
    }

    void curveFromTheDailyLog_data()
    {
        QTest::addColumn<QByteArray>("log"); // after the two header lines
        QTest::addColumn<int>("probe");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<QString>("curve");
        const QVector<double> p = {1.5, 2, 3, 4};
        const auto row = [](const char* tag, const QByteArray& log, int probe, const QString& curve,
                            bool zeta = false) { QTest::newRow(tag) << log << probe << zeta << curve; };
        row("gap inside the day", record("05:05", {1}) + record("05:10", {2}) + record("05:25", {5}), 1,
            "1,2,nan,nan,5");
        row("time off the 5-minute grid", record("05:07", {5}), 1, "nan,5");
        row("probe 4 reads its own column", record("05:05", p), 4, "4");
        row("before 05:05 and after 22:00 left out",
            record("04:55", {9}) + record("05:00", {9}) + record("05:05", {1}) + record("22:05", {9}), 1,
            "1");
        row("22:00 is the last slot", record("05:05", {1}) + record("22:00", {2}), 1,
            "1," + QString("nan,").repeated(202) + "2");
        row("empty log", QByteArray(), 1, "");
        row("Zeta log has no probe column", record("05:05", p, 30), 1, "", true);
        row("probe 0", record("05:05", p), 0, "");
        row("probe 5", record("05:05", p), 5, "");
    }
    void curveFromTheDailyLog()
    {
        QFETCH(QByteArray, log);
        QFETCH(int, probe);
        QFETCH(bool, zeta);
        QTemporaryDir folder;
        const QDate day(2026, 3, 7);
        QFile f(folder.filePath(StoragePaths::dailyLogName(day)));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("header one\nheader two\n" + log) > 0);
        f.close();
        QTEST(slotText(probes::UpdateLocalMeasure(folder.path(), probe, zeta, day)), "curve");
        // Yesterday's log is not today's; a missing log leaves its trace.
        QLoggingCategory::setFilterRules("velora.views.debug=true");
        QTest::ignoreMessage(QtDebugMsg, "UpdateLocalMeasure: LOG IS NOT THERE");
        QVERIFY(probes::UpdateLocalMeasure(folder.path(), probe, zeta, day.addDays(1)).isEmpty());
        QLoggingCategory::setFilterRules("velora.views.debug=false");
    }

    void slotLayout_data()
    {
        QTest::addColumn<QByteArray>("body"); // after the two headers
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<int>("zeros");
        QTest::addColumn<int>("records"); // records that got a slot, in file order
        const auto row = [](const char* tag, const Lines& lines, bool zeta, int zeros, int recs) {
            QTest::newRow(tag) << lines.join() << zeta << zeros << recs;
        };
        row("first record at 06:00: 11 zeros", records(6, 0, 193), false, 11, 193);
        row("first record at 05:07: one", records(5, 7, 10), false, 1, 10);
        row("more than 204 records: the rest unread", records(5, 5, 260), false, 0, 204);
        row("late first record fills the last slots", records(21, 55, 30), false, 202, 2);
        row("first record after the last slot", records(23, 55, 1), false, 204, 0);
        row("Zeta, 30 values", records(6, 0, 5, 30), true, 11, 5);
        row("empty", Lines(), false, 0, 0);
        Lines noise = records(5, 5, 3);
        noise.insert(1, "\n");
        noise.insert(2, "\r\n");
        noise.insert(3, "not a record\n");
        noise.insert(4, "25:00;1;2\n");
        noise.insert(5, "07:00" + QByteArray(3000, ';') + "\n"); // over 1023 characters
        row("blank, malformed and overlong lines take no slot", noise, false, 0, 3);
        row("CRLF line ends", {records(6, 0, 4).join().replace("\n", "\r\n")}, false, 11, 4);
    }
    void slotLayout()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, zeta);
        QFETCH(int, zeros);
        QFETCH(int, records);
        const GraphDay day = loaded(headers + body, zeta);
        QCOMPARE(day.seriesCount(), zeta ? 30 : 29);
        QCOMPARE(day.leadingZeros(), zeros);
        QCOMPARE(day.sampleCount(), zeros + records);
        QVERIFY(day.sampleCount() <= GraphDay::SlotCount);
        for (int s = 0; s < day.seriesCount(); ++s) {
            const QVector<double>& v = day.series(s);
            QCOMPARE(v.size(), day.sampleCount());
            for (int i = 0; i < zeros; ++i)
                QCOMPARE(v.at(i), 0.0);
            for (int r = 0; r < records; ++r) // the records keep their file order
                QCOMPARE(v.at(zeros + r), (r + 1) * 100.0 + s);
        }
    }
    void extremes_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<int>("series");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        // Columns 0 and 1: two leading zeros (05:15 is two slots late), 0 at night, then 231 and 229 V.
        const QByteArray day = "05:15;0;0\n05:20;5;231\n05:25;2;229\n";
        QTest::newRow("grid voltage: zeros never lower the minimum") << day << false << 1 << 229.0 << 231.0;
        QTest::newRow("Zeta column 1: zeros count") << day << true << 1 << 0.0 << 231.0;
        QTest::newRow("no samples") << QByteArray() << false << 0 << GraphDay::NoMinimum
                                    << GraphDay::NoMaximum;
    }
    void extremes()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, zeta);
        QFETCH(int, series);
        const GraphDay day = loaded(headers + body, zeta);
        QTEST(day.minimum(series), "minimum");
        QTEST(day.maximum(series), "maximum");
        QVERIFY(day.series(99).isEmpty());
        GraphDay missing;
        QVERIFY(!missing.load(QTemporaryDir().filePath("missing.log"), false) && missing.sampleCount() == 0);
    }

    void buttons_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<int>("temperatures");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<Series>("series");
        QTest::newRow("B_8 Tinv, 6") << 8 << false << 6 << "Tinv" << true << Series{19, 20, 21, 22, 23, 24};
        QTest::newRow("B_8 Zeta W") << 8 << true << 6 << "W" << true << Series{7, 8, 9};
        QTest::newRow("B_12 hidden") << 12 << false << 1 << "" << false << Series{};
        QTest::newRow("B_13 probe 1") << 13 << false << 1 << "1" << true << Series{15};
        QTest::newRow("B_14 Zeta TBoost, hidden") << 14 << true << 1 << "TBoost" << false << Series{};
        QTest::newRow("no B_17") << 17 << false << 1 << "" << false << Series{};
    }
    void buttons()
    {
        QFETCH(int, button);
        QFETCH(bool, zeta);
        QFETCH(int, temperatures);
        QTEST(graphchoice::buttonText(button, zeta), "text");
        QTEST(graphchoice::buttonShown(button, zeta), "shown");
        QTEST(graphchoice::seriesOf(button, zeta, temperatures), "series");
    }
    void names_data()
    {
        QTest::addColumn<int>("series");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("axis");
        const auto row = [](const char* tag, int series, bool zeta, const char* name, const char* axis) {
            QTest::newRow(tag) << series << zeta << QString::fromUtf8(name) << QString::fromUtf8(axis);
        };
        row("probe with a label", 15, false, "Irradiance", "Irradiance");
        row("probe without a label", 16, false, "P2 ", "P2");
        row("Zeta 15 is no probe", 15, true, "Vt", "V");
    }
    void names()
    {
        QFETCH(int, series);
        QFETCH(bool, zeta);
        const QStringList probes = {"Irradiance", "", "Wind", "Tamb"};
        QTEST(graphchoice::seriesName(series, zeta, probes), "name");
        QTEST(graphchoice::axisLabel(series, zeta, probes), "axis");
    }
    void selection_data()
    {
        QTest::addColumn<Series>("clicks");
        QTest::addColumn<Series>("chosen");
        // A third while two are chosen: tst_dialoggraph.
        QTest::newRow("two, listed in button order") << Series{8, 1} << Series{1, 8};
        QTest::newRow("a chosen one deselects at two") << Series{1, 4, 1} << Series{4};
        QTest::newRow("then a third may come") << Series{1, 4, 1, 8} << Series{4, 8};
        QTest::newRow("out of range ignored") << Series{0, 17, -3, 16} << Series{16};
    }
    void selection()
    {
        QFETCH(Series, clicks);
        graphchoice::Selection s;
        for (int b : clicks)
            s.click(b);
        QTEST(s.chosen(), "chosen");
        QCOMPARE(s.count(), s.chosen().size());
        QVERIFY(s.count() <= graphchoice::Selection::MaxChosen);
    }
    void yRanges_data()
    {
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("temperatures");
        QTest::addColumn<QList<QVector<double>>>("rows");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        using Rows = QList<QVector<double>>;
        const Rows grid = {row({{1, 0}, {10, 0}}), row({{1, 230}, {2, 200}, {10, 50.1}}),
                           row({{1, 240}, {2, 250}, {10, 49.9}, {0, 8}})};
        QTest::newRow("Hz") << false << 7 << 1 << grid << 45.0 << 55.0;
        // Phase r only, its zero left out: 0.9 x 230 to 1.1 x 240.
        QTest::newRow("Vac by its first phase") << false << 4 << 1 << grid << 207.0 << 264.0;
        QTest::newRow("kW: 0 to 1.1 x the maximum") << false << 1 << 1 << grid << 0.0 << 8.8;
        const Rows hot = {row({{19, 150}, {20, 60}, {24, -40}})};
        for (int t : {1, 6})
            QTest::addRow("Tinv, %d temperatures", t) << false << 8 << t << hot << -20.0 << 100.0;
        // The three W series from 7: lowest minimum to highest maximum.
        QTest::newRow("Zeta W group")
            << true << 8 << 1 << Rows{row({{7, 100}, {8, -20}, {9, 300}}), row({{7, 50}})} << -20.0 << 300.0;
        QTest::newRow("Zeta Vdc spans 19 to 21")
            << true << 12 << 1 << Rows{row({{19, 400}, {20, 380}, {21, 500}})} << 380.0 << 500.0;
        QTest::newRow("night: all zero") << false << 1 << 1 << Rows{row({})} << 0.0 << 1.0;
        QTest::newRow("no samples") << false << 4 << 1 << Rows{} << 0.0 << 1.0;
        QTest::newRow("negative only")
            << false << 9 << 1 << Rows{row({{25, -5}}), row({{25, -2}})} << -5.0 << 0.0;
    }
    void yRanges()
    {
        QFETCH(bool, zeta);
        QFETCH(int, button);
        QFETCH(int, temperatures);
        QFETCH(QList<QVector<double>>, rows);
        const GraphDay day = dayOf(rows, zeta);
        const AxisRange r =
            graphchoice::yRange(graphchoice::seriesOf(button, zeta, temperatures).first(), day);
        QTEST(r.lower, "lower");
        QTEST(r.upper, "upper");
    }

    void catchUp_data()
    {
        QTest::addColumn<QString>("lastSync");
        QTest::addColumn<Dates>("days"); // today is 2016-03-07
        QTest::newRow("empty never catches up") << "" << Dates{};
        QTest::newRow("in the future") << "2016-03-09" << Dates{};
        QTest::newRow("three days, yesterday first")
            << "2016-03-04" << Dates{{2016, 3, 6}, {2016, 3, 5}, {2016, 3, 4}};
        QTest::newRow("unpadded, as written at quit") << "2016-3-5" << Dates{{2016, 3, 6}, {2016, 3, 5}};
        QTest::newRow("over February 29")
            << "2016-02-28" << Dates{{2016, 3, 6}, {2016, 3, 5}, {2016, 3, 4},  {2016, 3, 3},
                                     {2016, 3, 2}, {2016, 3, 1}, {2016, 2, 29}, {2016, 2, 28}};
        QTest::newRow("no such date") << "2016-02-30" << Dates{};
        QTest::newRow("trailing text") << "2016-03-05x" << Dates{};
    }
    void catchUp()
    {
        QFETCH(QString, lastSync);
        QFETCH(Dates, days);
        const QDate today(2016, 3, 7);
        QCOMPARE(graphfetch::catchUpDays(lastSync, today), days);
        QCOMPARE(graphfetch::catchUpDayCount(lastSync, today), days.size());
        // However far behind, the catch-up is bounded.
        const Dates bounded = graphfetch::catchUpDays("1999-01-01", today);
        QCOMPARE(bounded.size(), graphfetch::MaxCatchUpDays);
        QCOMPARE(bounded.last(), today.addDays(-graphfetch::MaxCatchUpDays));
    }
    void decide_data()
    {
        QTest::addColumn<int>("dayOffset"); // from today
        QTest::addColumn<bool>("complete"); // the local copy
        QTest::addColumn<bool>("ftpPossible");
        QTest::addColumn<bool>("ftpWanted");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("fetch");
        QTest::newRow("past, incomplete: fetched again") << -1 << false << true << true << 0 << true;
        QTest::newRow("past, complete: plotted from disk") << -1 << true << true << true << 0 << false;
        QTest::newRow("past, incomplete, no FTP: no file") << -2 << false << false << true << -2 << false;
        QTest::newRow("today, complete: fetched anyway") << 0 << true << true << true << 0 << true;
        QTest::newRow("today within 300 s") << 0 << false << true << false << 0 << false;
        QTest::newRow("tomorrow") << 1 << false << true << true << -1 << false;
    }
    void decide()
    {
        QFETCH(int, dayOffset);
        QFETCH(bool, complete);
        QFETCH(bool, ftpPossible);
        QFETCH(bool, ftpWanted);
        const QDate today(2016, 3, 7);
        const graphfetch::Decision d =
            graphfetch::decide(today.addDays(dayOffset), today, complete, ftpPossible, ftpWanted);
        QTEST(int(d.result), "result");
        QTEST(d.fetch, "fetch");
    }
    void throttle_data()
    {
        QTest::addColumn<QDateTime>("created");
        QTest::addColumn<QList<ThrottleStep>>("steps");
        const QDateTime noon({2016, 3, 7}, {12, 0});
        const QDate today(2016, 3, 7), yesterday(2016, 3, 6);
        const auto row = [](const char* tag, const QDateTime& created, const QList<ThrottleStep>& steps) {
            QTest::newRow(tag) << created << steps;
        };
        // Day plus on today: tst_dialoggraph.
        row("today, 299 s after creation: local copy", noon, {{299, 0, false, today}});
        row("today, 300 s after creation: fetched", noon, {{300, 0, true, today}});
        // A refused request moves the reference; a fetch does not.
        row("refusals push the reference", noon,
            {{200, 0, false, today},
             {450, 0, false, today},
             {749, 0, false, today},
             {1049, 0, true, today},
             {1050, 0, true, today}});
        row("past days are always wanted", noon,
            {{0, -1, true, yesterday}, {1, -1, true, today.addDays(-2)}});
        row("back to today from yesterday", noon,
            {{10, -1, true, yesterday},
             {20, 1, false, today},
             {400, -1, true, yesterday},
             {700, 1, true, today}});
        // A window kept open over midnight: the new today is not held back by yesterday's reference.
        row("over midnight", QDateTime(yesterday, {23, 58}),
            {{60, 0, false, yesterday}, {720, 1, true, today}});
    }
    void throttle()
    {
        QFETCH(QDateTime, created);
        QFETCH(QList<ThrottleStep>, steps);
        QDateTime now = created;
        TodayFetchThrottle t([&now] { return now; });
        QCOMPARE(t.displayed(), created);
        for (const ThrottleStep& s : steps) {
            now = created.addSecs(s.at);
            QCOMPARE(t.request(s.days), s.wanted);
            QCOMPARE(t.displayed().date(), s.displayed);
        }
    }
};

QTEST_GUILESS_MAIN(TestViewRules)
#include "tst_viewrules.moc"
