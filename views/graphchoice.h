#pragma once
// What the daily graph's choice buttons B_1 to B_16 plot: their texts, the
// series (value columns of the daily log) each one selects, the names and
// units of the series, the y range of a quantity, and the rule that at most
// two quantities are chosen at a time.

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

class GraphDay;

namespace graphchoice {

constexpr int ButtonCount = 16;

// Button numbers count from 1 (B_1) to 16 (B_16).
QString buttonText(int button, bool isZeta);
// All but B_12 for equipments that are not Zeta; B_1 to B_13 for Zeta ones.
bool buttonShown(int button, bool isZeta);
// The series a button selects; "Tinv" takes column 20 alone for a
// temperature count of 1, 19 to 21 for 3 and 19 to 24 for 6. Empty for a
// button that is not shown.
QVector<int> seriesOf(int button, bool isZeta, int temperatureCount);

// Unit of a series ("" for columns that are never plotted).
QString seriesUnit(int series, bool isZeta);
// Legend name: the unit followed by the phase letter "r", "s" or "t" for the
// three series of a phase group, a blank for the others. The probe series 15
// to 18 of an equipment that is not Zeta take the probe labels (index 0 to
// 3) instead, their unit when a label is empty.
QString seriesName(int series, bool isZeta, const QStringList& probeLabels);
// Axis label of a quantity: the unit of its first series, or its probe label.
QString axisLabel(int firstSeries, bool isZeta, const QStringList& probeLabels);

struct AxisRange
{
    double lower = 0.0;
    double upper = 1.0;
};
// Y range of the quantity whose first series is given: "Hz" 45 to 55; the
// grid voltages of an equipment that is not Zeta from 0.9 x the minimum to
// 1.1 x the maximum of that first series; its temperatures -20 to 100; the
// three-series groups of a Zeta equipment (from 7, 10, 13, 16, 19, 22) from
// the lowest minimum to the highest maximum of the three; any other 0 to 1.1
// x the maximum. A range without extent (no samples, or nothing above 0)
// falls back to the data's extent around 0, and to one unit when that is
// empty too, so the axis always shows.
AxisRange yRange(int firstSeries, const GraphDay& day);

// The 16 button flags: a click toggles a button while fewer than two are
// selected; with two selected, a click on one of them deselects it and a
// click on a third is ignored.
class Selection
{
public:
    static constexpr int MaxChosen = 2;
    // True when the click changed the selection.
    bool click(int button);
    bool isSelected(int button) const;
    int count() const;
    // The selected buttons in increasing order: the first one plots on the
    // left axis, the second on the right.
    QVector<int> chosen() const;
    void clear() { flags.fill(false); }

private:
    std::array<bool, ButtonCount> flags{};
};

} // namespace graphchoice
