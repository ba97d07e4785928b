// The TPX synoptic's colouring rules, value labels and blink phase, from
// blocks built out of the bytes a board sends.
#include "tpxblocks.h"
#include "tpxsynoptic.h"
#include "tpxtestblocks.h"

#include <QtTest>

using namespace TpxSynoptic;

namespace {
// Every part of a look as "part=value": images without ":/" and ".png", bars by colour.
QMap<QString, QString> describe(const Look& l)
{
    const char* const bars[] = {"none", "blue", "navy", "grey", "red"}; // in the order of Bar
    QMap<QString, QString> out;
    const QPair<const char*, Bar> barParts[] = {{"input", l.input},
                                                {"rectInv", l.rectifierInverter},
                                                {"battLine", l.batteryLine},
                                                {"bypassInput", l.bypassInput},
                                                {"bypassLine", l.bypassLine},
                                                {"bypassDrop", l.bypassDrop},
                                                {"invOut", l.inverterOutput},
                                                {"output", l.output},
                                                {"junctionBar", l.junctionBar}};
    for (const auto& p : barParts)
        out[p.first] = bars[int(p.second)];
    const QPair<const char*, QString> imageParts[] = {
        {"rectifier", l.rectifier}, {"inverter", l.inverter}, {"battery", l.battery},  {"bypass", l.bypass},
        {"corner", l.bypassCorner}, {"junction", l.junction}, {"arrow", l.outputArrow}};
    for (const auto& p : imageParts)
        out[p.first] = p.second.isEmpty() ? "-" : QString(p.second).remove(":/").remove(".png");
    return out;
}
const char* const Normal =
    "rectifier=raddr_nero inverter=inv_nero battery=batt_nero bypass=byp_nero input=blue "
    "rectInv=blue battLine=blue bypassInput=navy bypassLine=grey bypassDrop=grey "
    "invOut=blue output=blue corner=L_DOWN_G junction=- junctionBar=blue "
    "arrow=TriangoloAzzurro";
const char* const InverterStopped =
    "invOut=grey output=grey junction=SQ_GRAY junctionBar=none arrow=TriangoloGrigio";
const char* const OnBypass = "bypassInput=navy bypassLine=navy bypassDrop=navy corner=L_DOWN junction=UP_R_B "
                             "junctionBar=none output=navy invOut=grey arrow=TriangoloBlu";
const char* const Overload = "bypassInput=red bypassLine=red bypassDrop=red corner=L_DOWN_R junction=UP_R_R "
                             "junctionBar=none output=red invOut=grey arrow=TriangoloRosso";
} // namespace

class TestTpxSynoptic : public QObject
{
    Q_OBJECT
private slots:
    // Status bits of block C (and block A word 0) against the look each part must take.
    void look_data()
    {
        QTest::addColumn<quint16>("a0");
        QTest::addColumn<QStringList>("bits");
        QTest::addColumn<QString>("expected"); // the parts the row is about
        const quint16 bypass = tpxblocks::LoadOnBypassBit;
        const auto row = [](const char* name, quint16 a0, const QString& bits, const QString& expected) {
            QTest::newRow(name) << a0 << bits.split(' ', Qt::SkipEmptyParts) << expected;
        };
        row("all clear", 0, "", Normal);
        row("input inactive 6.3", 0, "6.3", "input=grey rectInv=blue");
        row("input inactive 6.5", 0, "6.5", "input=grey");
        row("rectifier off, battery on", 0, "7.7", "rectifier=raddr_grigio rectInv=blue battLine=blue");
        row("rectifier off, battery inactive", 0, "7.7 12.6",
            "rectifier=raddr_grigio battery=batt_grigio rectInv=grey battLine=grey");
        row("battery inactive, rectifier on", 0, "12.6", "battery=batt_grigio rectInv=blue battLine=blue");
        row("rectifier warning wins over off", 0, "13.5 7.7 12.6",
            "rectifier=raddr_arancio rectInv=blue battLine=blue");
        for (const char* bit : {"9.0", "10.7", "11.7"})
            row(qPrintable(QString("inverter warning %1").arg(bit)), 0, bit,
                QString("inverter=inv_arancio rectInv=blue ") + InverterStopped);
        // Neighbours of the input, rectifier and warning bits; overload without load on bypass.
        row("bits outside every rule", 0, "6.2 6.6 7.6 9.6 10.1 11.6 12.1", Normal);
        row("inverter fault", 0, "13.3 9.0", QString("inverter=inv_rosso ") + InverterStopped);
        row("bypass inactive on inverter", 0, "12.2",
            "bypass=byp_grigio bypassInput=grey bypassLine=grey bypassDrop=grey corner=L_DOWN_G output=blue");
        row("load on bypass", bypass, "", QString(OnBypass) + " inverter=inv_nero bypass=byp_nero");
        row("load on bypass, inverter warning", bypass, "9.3", QString(OnBypass) + " inverter=inv_arancio");
        row("load on bypass, overload", bypass, "12.1", Overload);
        row("overload wins over everything", bypass, "12.1 12.2 13.3 6.3 7.7 12.6",
            QString(Overload) + " inverter=inv_rosso bypass=byp_grigio input=grey rectInv=grey");
        row("load on an inactive bypass", bypass, "12.2",
            QString("bypassInput=grey bypassLine=grey bypassDrop=grey corner=L_DOWN_G bypass=byp_grigio ") +
                InverterStopped);
        row("other bits of word 0 keep the inverter path", quint16(0xFFFF & ~bypass), "", Normal);
    }
    void look()
    {
        QFETCH(quint16, a0);
        QFETCH(QStringList, bits);
        QFETCH(QString, expected);
        TpxTestBlocks blocks;
        blocks.setA(0, a0);
        blocks.setStatusBits(bits);
        const QMap<QString, QString> shown = describe(TpxSynoptic::look(blocks.blockA(), blocks.blockC()));
        for (const QString& part : expected.split(' ')) {
            const QString name = part.section('=', 0, 0);
            QVERIFY2(shown.contains(name), qPrintable(name));
            QCOMPARE(name + '=' + shown.value(name), part);
        }
    }

    // The four value labels from block B words, the battery arrow from block A.
    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto labels = [](const QMap<int, quint16>& words) {
            TpxTestBlocks blocks;
            blocks.setB(words);
            const Values v = TpxSynoptic::values(blocks.blockB());
            return QStringList{v.ratedPower, v.batteryCapacity, v.outputLoad, v.inputLoad}.join(' ');
        };
        // Rated, capacity, output load, input load, at their bounds.
        QTest::newRow("signed loads, one decimal")
            << labels({{26, 0xFFF6}, {27, 20}, {28, 21}}) << "0KVA 0% 10.3% ---";
        QTest::newRow("large input currents")
            << labels({{3, 60000}, {4, 60000}, {5, 60000}, {66, 230}, {68, 100}}) << "10KVA 0% 0.0% 42857.1%";
        QTest::newRow("rated current of 0") << labels({{3, 100}, {66, 230}, {68, 6}}) << "0KVA 0% 0.0% ---";
        QTest::newRow("unknown") << QStringList{unknownValues().ratedPower, unknownValues().inputLoad}.join(
                                        ' ')
                                 << "--- ---";
        TpxTestBlocks a, b;
        a.setA(0, 0xFFFF & ~(1 << 6));
        b.setA(0, 1 << 6);
        QTest::newRow("charging, other bits set") << batteryDirectionImage(a.blockA()) << ":/AU.png";
        QTest::newRow("discharging") << batteryDirectionImage(b.blockA()) << ":/AD.png";
    }
    void texts()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
    }

    // Tiles tick every 500 ms, each from its own start: the phase must
    // alternate for each of them and be the same for ticks of one half second.
    void blinkPhase_data()
    {
        QTest::addColumn<QList<int>>("offsets"); // start of each tile's ticks, ms
        QTest::newRow("two tiles 450 ms apart") << QList<int>{0, 450};
        QTest::newRow("three tiles in one instant") << QList<int>{40, 40, 40};
        QTest::newRow("three tiles spread") << QList<int>{0, 170, 340};
    }
    void blinkPhase()
    {
        QFETCH(QList<int>, offsets);
        BlinkPhase phase;
        QVector<QList<bool>> seen(offsets.size());
        QMap<qint64, bool> atTime;
        for (int tick = 0; tick < 8; ++tick) {
            QMultiMap<qint64, int> order; // ticks of all tiles in time order
            for (int t = 0; t < offsets.size(); ++t)
                order.insert(offsets[t] + tick * 500 + (tick % 3), t); // a few ms of jitter
            for (auto it = order.cbegin(); it != order.cend(); ++it) {
                const bool on = phase.next(it.key());
                if (atTime.contains(it.key()))
                    QCOMPARE(on, atTime.value(it.key()));
                atTime.insert(it.key(), on);
                seen[it.value()].append(on);
            }
        }
        for (const QList<bool>& tile : qAsConst(seen))
            for (int i = 1; i < tile.size(); ++i)
                QVERIFY2(tile[i] != tile[i - 1], "a tick without a blink");
    }
};

QTEST_APPLESS_MAIN(TestTpxSynoptic)
#include "tst_tpxsynoptic.moc"
