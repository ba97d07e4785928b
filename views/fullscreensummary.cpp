#include "fullscreensummary.h"

#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace FullScreenSummary {

QString waitText()
{
    return QStringLiteral("Wait...");
}

QString equivalentWaitText()
{
    return QStringLiteral("= Wait...");
}

QString powerText(double kW)
{
    return QString("%1 kW").arg(kW, 0, 'f', 2);
}

QString shareText(double percent)
{
    return QString("%1 %").arg(std::isfinite(percent) ? percent : 0.0, 0, 'f', 2);
}

QString energyText(double dayKWh, double monthKWh)
{
    return QString("%1 kWh (%2 kWh this month)").arg(dayKWh, 0, 'f', 2).arg(monthKWh + dayKWh, 0, 'f', 2);
}

QString totalText(double kWh)
{
    return QString("Total Plant Energy: %1 kWh").arg(kWh, 0, 'f', 2);
}

QString treeText(double kWh)
{
    return QString("= %1").arg(kWh / KwhPerTree, 0, 'f', 1);
}

QString oilText(double kWh)
{
    return QString("= %1").arg(kWh * OilPerKwh, 0, 'f', 2);
}

QString co2Text(double kWh)
{
    const double kg = kWh * Co2KgPerKwh;
    if (kg <= Co2KgShownAsTonnes)
        return QString("= %1 kg").arg(kg, 0, 'f', 2);
    return QString("= %1 t").arg(kg / 1000.0, 0, 'f', 2);
}

double dayStart(const QDate& day)
{
    return double(QDateTime(day, QTime(5, 0)).toSecsSinceEpoch());
}

QVector<double> timeAxis(int points, const QDate& day)
{
    const double start = dayStart(day);
    QVector<double> x(std::max(points, 0));
    for (int i = 0; i < x.size(); ++i)
        x[i] = start + double(SlotSeconds) * i;
    return x;
}

namespace {
// Highest finite value of a curve plus 10 %, or 1 when there is none above 0.
double curveTop(const QVector<double>& curve)
{
    double top = 0.0;
    for (double v : curve) {
        if (std::isfinite(v))
            top = std::max(top, v);
    }
    return top > 0.0 ? top * 1.1 : 1.0;
}
} // namespace

double powerAxisTop(double nominalW, const QVector<double>& curve)
{
    const double top = nominalW / 1000.0 * 1.1;
    return std::isfinite(top) && top > 0.0 ? top : curveTop(curve);
}

double extraAxisTop(unsigned short maximum, const QVector<double>& curve)
{
    return maximum > 0 ? maximum * 1.1 : curveTop(curve);
}

Layout layoutFor(const QSize& screen)
{
    const int w = screen.width();
    const int h = screen.height();
    Layout l;
    l.scale = std::min({1.0, w / 1920.0, h / 1080.0});
    const auto px = [&l](double pixels) { return int(std::lround(pixels * l.scale)); };
    const int margin = std::max(px(20), 4);

    l.plot = QRect(int(w * 0.40), int(h * 0.55), int(w / 1.8), int(h / 2.6));

    l.exitButton = QRect(w - margin - 40, margin, 40, 40);
    const QSize logo(px(320), px(96));
    l.logo = QRect(QPoint(l.exitButton.left() - margin - logo.width(), margin), logo);

    // Equivalence rows: 120 px apart from a fifth of the height down, the
    // 100 px icon 600 px from the right edge and its value on its right.
    const int iconX = w - px(600);
    const int icon = px(100);
    for (int k = 0; k < 3; ++k) {
        const int top = h / 5 + k * px(120);
        l.icons[k] = QRect(iconX, top, icon, icon);
        const int valueX = iconX + icon + margin;
        l.values[k] = QRect(valueX, top, w - margin - valueX, icon);
    }

    // Left column: power in a twelfth of the width, the other values in a
    // fortieth. On screens wider than tall the column shrinks so it ends
    // above the plot.
    const int left = 2 * margin;
    const int width = iconX - 2 * margin - left;
    const int top = std::max(margin, int(h * 0.05));
    const int bottom = l.plot.top() - margin;
    double power = w / 12.0;
    double value = w / 40.0;
    const auto height = [margin](double p, double v) { return p * 1.3 + 3 * (v * 1.5 + margin / 2.0); };
    const double needed = height(power, value);
    if (needed > bottom - top) {
        const double f = (bottom - top) / needed;
        power *= f;
        value *= f;
    }
    l.powerFontPx = std::max(int(power), 1);
    l.valueFontPx = std::max(int(value), 1);
    const int powerH = int(l.powerFontPx * 1.3);
    const int lineH = int(l.valueFontPx * 1.5);
    l.power = QRect(left, top, width, powerH);
    l.share = QRect(left, l.power.bottom() + 1 + margin / 2, width, lineH);
    l.energy = QRect(left, l.share.bottom() + 1 + margin / 2, width, lineH);
    l.total = QRect(left, l.energy.bottom() + 1 + margin / 2, width, lineH);

    // The earth, up to 300 px, centred in what is left below the column and
    // left of the plot.
    const QRect room(margin, l.total.bottom() + 1 + margin, l.plot.left() - 2 * margin,
                     h - margin - (l.total.bottom() + 1 + margin));
    const int earth = std::max(0, std::min({px(300), room.width(), room.height()}));
    l.earth = QRect(0, 0, earth, earth);
    l.earth.moveCenter(room.center());
    return l;
}

} // namespace FullScreenSummary
