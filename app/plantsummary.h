#pragma once
// Plant-wide sums and the summary texts of the plant window.

#include <QDateTime>
#include <QString>
#include <QVector>

// What the summary needs from one tile.
struct TileReading
{
    bool connected = false;
    bool stringBox = false;
    bool inAlarm = false;
    double power = 0.0;   // W
    double nominal = 0.0; // W
    int kvpac = 0;        // % of nominal
    long dailyEnergy = 0; // 0.1 kWh
    double monthlyEnergy = 0.0;
    double totalEnergy = 0.0; // kWh
};

struct PlantTotals
{
    double power = 0.0;         // P, W
    double dailyEnergy = 0.0;   // Ed, 0.1 kWh
    double monthlyEnergy = 0.0; // Em
    double totalEnergy = 0.0;   // Et, kWh
    double ratingSum = 0.0;     // K = sum of nominal/1000 x KVPAC
    double nominalPower = 0.0;  // W
    bool alarm = false;
};

namespace plantsummary {

// Sums over connected tiles that are not string boxes.
PlantTotals sum(const QVector<TileReading>& tiles);

// "d/m/yyyy - h:mm:ss" as shown on the plant window.
QString dateTimeText(const QDateTime& now);

// "Total power: %1 kW, %2", the equipment count and alarm summary, and the
// unconfigured marker when a board at the factory address was seen.
QString totalPowerText(const PlantTotals& totals, int equipments, bool unconfiguredPresent);

// "%1 kW" for the large power figure.
QString totPowText(const PlantTotals& totals);

// Adds a curve into the plant's sum, element by element, never beyond the
// sum's fixed capacity.
void addCurve(QVector<double>& sum, const QVector<double>& curve);

constexpr int SumCapacity = 3000;

// What the full-screen summary shows every cycle: this month's completed
// days, the share of the rated power P x 10 / K (0 for a plant without
// rating, never inf or nan), today's energy, the power and the total energy.
struct FullScreenValues
{
    double monthKWh = 0.0;
    double percentOfNominal = 0.0;
    double dayKWh = 0.0;
    double powerKW = 0.0;
    double totalKWh = 0.0;
};
FullScreenValues fullScreenValues(const PlantTotals& totals);

// One tile's part of the plant's mini plot.
struct MiniPlotTile
{
    bool connected = false;
    bool stringBox = false;
    QString key;
    QVector<double> x; // the tile's time axis
    QVector<double> y; // its power curve of today, kW
};

// The plant's mini plot: the time axis of the first connected tile that is
// not a string box, the sum of the connected tiles' curves (at most
// SumCapacity points, as long as the last non-empty curve), and the tile
// that carries the chosen probe.
struct MiniPlotFeed
{
    QVector<double> x;
    QVector<double> sum;
    int probeTile = -1;      // index of the connected tile with the chosen probe
    bool probeUsable = true; // false when that tile is not connected
    bool showsProbe() const { return probeTile >= 0 && probeUsable; }
};
MiniPlotFeed miniPlotFeed(const QVector<MiniPlotTile>& tiles, const QString& probeIp, int probeProbe);

} // namespace plantsummary
