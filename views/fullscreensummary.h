#pragma once
// What the full-screen plant summary shows, without widgets: the value
// texts and equivalents, the mini plot's time axis and ranges, and where
// everything sits on a screen of a given size.

#include <QDate>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

namespace FullScreenSummary {

// Equivalents of the plant's total energy.
constexpr double KwhPerTree = 230.73;       // trees
constexpr double OilPerKwh = 0.00058833;    // oil
constexpr double Co2KgPerKwh = 0.65;        // CO2, kg
constexpr double Co2KgShownAsTonnes = 1000; // above this many kg CO2 is shown in t

// Texts shown before the first values arrive.
QString waitText();           // "Wait..."
QString equivalentWaitText(); // "= Wait..."

// "%1 kW", 2 decimals.
QString powerText(double kW);
// "%1 %", 2 decimals; a share that is not a finite number (a plant without
// nominal power) reads 0.
QString shareText(double percent);
// "%1 kWh (%2 kWh this month)": today's energy, and this month's completed
// days plus today.
QString energyText(double dayKWh, double monthKWh);
// "Total Plant Energy: %1 kWh".
QString totalText(double kWh);
// "= %1" trees (1 decimal), oil (2 decimals); CO2 "= %1 kg" up to 1000 kg,
// else "= %1 t".
QString treeText(double kWh);
QString oilText(double kWh);
QString co2Text(double kWh);

// Mini plot. Slot i of a day is 05:00 + 5 min * i, in seconds since the
// epoch (local time); the x axis spans 05:00 to 22:00.
constexpr int SlotSeconds = 300;
constexpr int AxisSeconds = 61200;
constexpr int TickSeconds = 3600;
double dayStart(const QDate& day);
QVector<double> timeAxis(int points, const QDate& day);
// Top of the power axis: the nominal power in kW plus 10 %. A plant whose
// nominal power is not known yet (0) gets its curve's highest value plus
// 10 %, and 1 when that too is 0, so the axis never collapses.
double powerAxisTop(double nominalW, const QVector<double>& curve);
// Top of the probe axis: the probe's full scale plus 10 %, with the same
// fallback for a full scale of 0.
double extraAxisTop(unsigned short maximum, const QVector<double>& curve);

// Positions and font sizes for a screen of the given size. Positions and
// sizes given in pixels for a 1920 x 1080 screen shrink with smaller
// screens, so that nothing overlaps or leaves the screen down to 1024 x 600.
struct Layout
{
    double scale = 1.0;                // pixel measures relative to 1920 x 1080, at most 1
    int powerFontPx = 0;               // the power value
    int valueFontPx = 0;               // the other values
    QRect exitButton;                  // close button, top right
    QRect logo;                        // ":/Logo.png", left of the close button
    QRect power, share, energy, total; // left column, top down
    QRect earth;                       // ":/Earth.png", below the left column
    QRect icons[3];                    // trees, oil, CO2 icons
    QRect values[3];                   // their values, right of each icon
    QRect plot;                        // the mini plot
};
Layout layoutFor(const QSize& screen);

} // namespace FullScreenSummary
