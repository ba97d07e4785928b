#include "graphchoice.h"

#include "graphday.h"

#include <QtMath>

#include <iterator>

namespace graphchoice {

namespace {

struct ButtonEntry
{
    const char* text;
    QVector<int> series; // empty: computed (temperatures) or not shown
};

const ButtonEntry kButtons[ButtonCount] = {
    {"kW", {0}},        {"kWh", {14}}, {"Aac", {4, 5, 6}},
    {"Vac", {1, 2, 3}}, {"Adc", {9}},  {"Vdc", {8}},
    {"Hz", {10}},       {"Tinv", {}},  {"kVar(%)", {25, 26, 27}},
    {"Tsys", {28}},     {"Ext", {7}},  {"", {}},
    {"1", {15}},        {"2", {16}},   {"3", {17}},
    {"4", {18}},
};

const ButtonEntry kZetaButtons[ButtonCount] = {
    {"kW", {0}},
    {"Var", {1}},
    {"kVA", {2}},
    {"Ext", {3}},
    {"C", {4}},
    {"kWh", {5}},
    {"Hz", {6}},
    {"W", {7, 8, 9}},
    {"Var", {10, 11, 12}},
    {"Vac", {13, 14, 15}},
    {"Iac", {16, 17, 18}},
    {"Vdc", {19, 20}},
    {"Idc", {22, 23}},
    {"TBoost", {}},
    {"3", {}},
    {"4", {}},
};

constexpr int TinvButton = 8;
constexpr int HiddenButton = 12; // not shown for equipments that are not Zeta
constexpr int LastZetaButton = 13;

bool validButton(int button)
{
    return button >= 1 && button <= ButtonCount;
}

const ButtonEntry& entry(int button, bool isZeta)
{
    return (isZeta ? kZetaButtons : kButtons)[button - 1];
}

// First series of each phase group, r s t.
bool isPhaseGroupStart(int first, bool isZeta)
{
    return isZeta ? (first == 13 || first == 16) : (first == 1 || first == 4 || first == 25);
}

// The probe label naming a probe series of an equipment that is not Zeta, or "".
QString probeLabel(int series, bool isZeta, const QStringList& probeLabels)
{
    return !isZeta && series >= 15 && series <= 18 ? probeLabels.value(series - 15) : QString();
}

} // namespace

QString buttonText(int button, bool isZeta)
{
    return validButton(button) ? QString::fromLatin1(entry(button, isZeta).text) : QString();
}

bool buttonShown(int button, bool isZeta)
{
    if (!validButton(button))
        return false;
    return isZeta ? button <= LastZetaButton : button != HiddenButton;
}

QVector<int> seriesOf(int button, bool isZeta, int temperatureCount)
{
    if (!buttonShown(button, isZeta))
        return {};
    if (!isZeta && button == TinvButton) {
        if (temperatureCount <= 1)
            return {20};
        if (temperatureCount <= 3)
            return {19, 20, 21};
        return {19, 20, 21, 22, 23, 24};
    }
    return entry(button, isZeta).series;
}

QString seriesUnit(int series, bool isZeta)
{
    static const char* const units[] = {"kW", "V",  "V",  "V",  "A",   "A",  "A",  "--", "V",  "A",
                                        "Hz", "kW", "kW", "kW", "kWh", "P1", "P2", "P3", "P4", "°C",
                                        "°C", "°C", "°C", "°C", "°C",  "%",  "%",  "%",  "°C"};
    static const char* const zetaUnits[] = {"W", "Var", "kVA", "-",   "°C", "kWh", "Hz", "W", "W",
                                            "W", "Var", "Var", "Var", "V",  "V",   "V",  "I", "I",
                                            "I", "V",   "V",   "V",   "I",  "I",   "I"};
    if (series < 0)
        return QString();
    if (isZeta)
        return series < int(std::size(zetaUnits)) ? QString::fromUtf8(zetaUnits[series]) : QString();
    return series < int(std::size(units)) ? QString::fromUtf8(units[series]) : QString();
}

QString seriesName(int series, bool isZeta, const QStringList& probeLabels)
{
    const QString probe = probeLabel(series, isZeta, probeLabels);
    if (!probe.isEmpty())
        return probe;
    static const char phases[] = {'r', 's', 't'};
    for (int k = 0; k < 3; ++k)
        if (isPhaseGroupStart(series - k, isZeta))
            return seriesUnit(series, isZeta) + QLatin1Char(phases[k]);
    return seriesUnit(series, isZeta) + QLatin1Char(' ');
}

QString axisLabel(int firstSeries, bool isZeta, const QStringList& probeLabels)
{
    const QString probe = probeLabel(firstSeries, isZeta, probeLabels);
    return probe.isEmpty() ? seriesUnit(firstSeries, isZeta) : probe;
}

AxisRange yRange(int firstSeries, const GraphDay& day)
{
    const bool isZeta = day.isZeta();
    const double minimum = day.minimum(firstSeries);
    const double maximum = day.maximum(firstSeries);
    AxisRange r{0.0, maximum * 1.1};
    const int hzSeries = isZeta ? 6 : 10;
    if (firstSeries == hzSeries) {
        r = {45.0, 55.0};
    } else if (!isZeta && firstSeries == 1) {
        r = {minimum * 0.9, maximum * 1.1};
    } else if (!isZeta && firstSeries >= 19 && firstSeries <= 24) {
        r = {-20.0, 100.0};
    } else if (isZeta && firstSeries >= 7 && firstSeries <= 22 && (firstSeries - 7) % 3 == 0) {
        r = {GraphDay::NoMinimum, GraphDay::NoMaximum};
        for (int s = firstSeries; s < firstSeries + 3; ++s) {
            r.lower = qMin(r.lower, day.minimum(s));
            r.upper = qMax(r.upper, day.maximum(s));
        }
    }
    if (qIsFinite(r.lower) && qIsFinite(r.upper) && r.upper > r.lower)
        return r;
    // No extent: what the samples span around 0, or one unit.
    r.lower = qMin(0.0, minimum <= maximum ? minimum : 0.0);
    r.upper = qMax(0.0, minimum <= maximum ? maximum : 0.0);
    if (!(r.upper > r.lower))
        r.upper = r.lower + 1.0;
    return r;
}

bool Selection::click(int button)
{
    if (!validButton(button))
        return false;
    bool& flag = flags[size_t(button - 1)];
    if (!flag && count() >= MaxChosen)
        return false;
    flag = !flag;
    return true;
}

bool Selection::isSelected(int button) const
{
    return validButton(button) && flags[size_t(button - 1)];
}

int Selection::count() const
{
    int n = 0;
    for (bool f : flags)
        n += f ? 1 : 0;
    return n;
}

QVector<int> Selection::chosen() const
{
    QVector<int> buttons;
    for (int b = 1; b <= ButtonCount; ++b)
        if (flags[size_t(b - 1)])
            buttons.append(b);
    return buttons;
}

} // namespace graphchoice
