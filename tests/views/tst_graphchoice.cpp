// The daily graph's choice buttons: what each one plots for Zeta and other
// equipments, the series names, at most two quantities, and the y ranges.
#include "graphchoice.h"
#include "graphday.h"
#include "testsupport.h"

#include <QBuffer>
#include <QtTest>

using Series = QVector<int>;
using graphchoice::AxisRange;

namespace {
// A day whose records hold the given value rows (column order), from 05:05.
GraphDay dayOf(const QList<QVector<double>>& rows, bool isZeta)
{
    QByteArray text = "h1\nh2\n";
    for (int i = 0; i < rows.size(); ++i)
        text += testsupport::logRecord(QTime(5, 5).addSecs(300 * i), rows[i]);
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    GraphDay day;
    day.load(&buffer, isZeta);
    return day;
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

class TestGraphChoice : public QObject
{
    Q_OBJECT
private slots:
    void buttons_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<int>("temperatures");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<Series>("series");
        QTest::newRow("B_8 Tinv, 1 temperature") << 8 << false << 1 << "Tinv" << true << Series{20};
        QTest::newRow("B_8 Tinv, 6") << 8 << false << 6 << "Tinv" << true << Series{19, 20, 21, 22, 23, 24};
        QTest::newRow("B_8 Zeta W") << 8 << true << 6 << "W" << true << Series{7, 8, 9};
        QTest::newRow("B_12 hidden") << 12 << false << 1 << "" << false << Series{};
        QTest::newRow("B_13 probe 1") << 13 << false << 1 << "1" << true << Series{15};
        QTest::newRow("B_14 Zeta TBoost, hidden") << 14 << true << 1 << "TBoost" << false << Series{};
        QTest::newRow("B_16 Zeta hidden") << 16 << true << 1 << "4" << false << Series{};
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
        row("Ext", 7, false, "-- ", "--");
        row("temperature", 21, false, "°C ", "°C");
        row("probe with a label", 15, false, "Irradiance", "Irradiance");
        row("probe without a label", 16, false, "P2 ", "P2");
        row("Zeta W of three, no phase", 8, true, "W ", "W");
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
        QTest::newRow("two, listed in button order") << Series{8, 1} << Series{1, 8};
        QTest::newRow("a third is ignored") << Series{1, 4, 8} << Series{1, 4};
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
        for (int t : {1, 3, 6})
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
};

QTEST_GUILESS_MAIN(TestGraphChoice)
#include "tst_graphchoice.moc"
