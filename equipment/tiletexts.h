#pragma once
// The texts, images and bar values that the equipment tile shows, computed
// from the equipment's values without any widget.

#include <QDateTime>
#include <QString>
#include <QVector>

namespace TileTexts {

// Power label: "%1 W" of the instant power for a Zeta equipment, "%1 kW" of
// the power / 1000 for the others, one decimal.
QString powerText(double instantPowerW, bool isZeta);

// Energy label: "%1 kWh" of the daily energy (in 0.1 kWh) / 10, general
// notation with six significant digits.
QString energyText(long dailyEnergyTenthsKwh);

// Power bar: the percentage of the full scale (nominal power * KVPAC / 100).
struct BarValue
{
    int value = 0;                          // bar value: the percentage truncated, held to 0..100
    QString label = QStringLiteral("---%"); // "%1%" of the percentage, one decimal
    bool valid = false;                     // false when no percentage exists
};
// A nominal power or KVPAC of 0 (or any input giving no finite percentage)
// yields value 0 and the label "---%".
BarValue barPercent(double instantPowerW, double nominalPowerW, int kvpac);

// "T = %1 " of the internal temperature word (0.1 degC) / 10, one decimal,
// followed by the translated "°C"; a word of 0xFFFF shows "---".
QString temperatureText(quint16 word0);

// State stamp: state 3 or 5 is an alarm (":/no.png"), 1 running
// (":/yes.png"), any other waiting (":/wait.png").
QString stampImage(int state);
bool isAlarmState(int state);

// Icons.
QString iconForNominal(double nominalPowerW, bool alternativeImage);
QString zetaIcon();      // ":/ZETA.png"
QString stringBoxIcon(); // ":/StringBox_01.png"

// Nominal label: "EASY %1" or "ZETA %1" of the power in W (Zeta), else "K%1"
// of the power in kW, truncated to integers.
QString nominalLabel(bool isZeta, bool isEasy, double nominalPowerW);

// Tile titles: "address - name [version]", and for a TPX
// "address - name [V-xx.yy]" of its version word (word / 100, word % 100).
QString titleText(const QString& address, const QString& name, const QString& version);
QString tpxTitleText(const QString& address, const QString& name, quint16 versionWord);

// "Last seen: dd-mm-yyyy hh:mm:ss".
QString lastSeenText(const QDateTime& when);

// Tooltip of the VNC mark: "A VNC client is connected to this device" or "".
QString vncToolTip(bool vncConnected);

// String box: word i of the 16-byte block, its first stored byte taken as
// the low byte; the current label "%1A" of word / 10 with one decimal; the bar
// value word * 100 / 200 (full at 20.0 A), held to 0..100.
quint16 stringBoxWord(const unsigned char* block, int index);
QString stringBoxCurrentText(quint16 word);
int stringBoxBarValue(quint16 word);

// Temperature count / power scale handed to the daily graph: 1 up to
// 50000 W, 3 up to 250000 W, 6 above.
int graphPowerScale(double nominalPowerW);

// Mini plot of the day's power samples: X = 5.0 + i * 17 / 203 (hours),
// Y = sample / 10 (Zeta) or / 100 (others).
void miniPlot(const QVector<quint16>& samples, bool isZeta, QVector<double>* x, QVector<double>* y);

} // namespace TileTexts
