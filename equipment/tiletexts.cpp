#include "tiletexts.h"

#include <QCoreApplication>
#include <QtEndian>
#include <QtMath>

namespace TileTexts {

QString powerText(double instantPowerW, bool isZeta)
{
    if (isZeta)
        return QStringLiteral("%1 W").arg(instantPowerW, 0, 'f', 1);
    return QStringLiteral("%1 kW").arg(instantPowerW / 1000.0, 0, 'f', 1);
}

QString energyText(long dailyEnergyTenthsKwh)
{
    return QStringLiteral("%1 kWh").arg(QString::number(dailyEnergyTenthsKwh / 10.0, 'g', 6));
}

BarValue barPercent(double instantPowerW, double nominalPowerW, int kvpac)
{
    BarValue bar;
    const double fullScale = nominalPowerW * kvpac / 100.0;
    if (fullScale == 0.0 || !qIsFinite(fullScale))
        return bar;
    const double percent = instantPowerW / fullScale * 100.0;
    if (!qIsFinite(percent))
        return bar;
    bar.valid = true;
    bar.label = QStringLiteral("%1%").arg(percent, 0, 'f', 1);
    // A bar given a value outside its range would keep its old value.
    bar.value = int(qBound(0.0, percent, 100.0));
    return bar;
}

QString temperatureText(quint16 word0)
{
    const QString value = word0 == 0xFFFF ? QStringLiteral("---") : QString::number(word0 / 10.0, 'f', 1);
    return QStringLiteral("T = %1 ").arg(value) + QCoreApplication::translate("InvButton", "°C");
}

bool isAlarmState(int state)
{
    return state == 3 || state == 5;
}

QString stampImage(int state)
{
    if (isAlarmState(state))
        return QStringLiteral(":/no.png");
    if (state == 1)
        return QStringLiteral(":/yes.png");
    return QStringLiteral(":/wait.png");
}

QString iconForNominal(double nominalPowerW, bool alternativeImage)
{
    const bool big = nominalPowerW >= 200000.0;
    if (alternativeImage)
        return big ? QStringLiteral(":/centr2B.png") : QStringLiteral(":/centrB.png");
    return big ? QStringLiteral(":/centr2.png") : QStringLiteral(":/centr.png");
}

QString zetaIcon()
{
    return QStringLiteral(":/ZETA.png");
}

QString stringBoxIcon()
{
    return QStringLiteral(":/StringBox_01.png");
}

namespace {
// Truncates towards zero; values that are no number show as 0.
qint64 truncated(double v)
{
    if (!qIsFinite(v))
        return 0;
    return qint64(qBound(-9.0e18, v, 9.0e18));
}
} // namespace

QString nominalLabel(bool isZeta, bool isEasy, double nominalPowerW)
{
    if (isZeta)
        return (isEasy ? QStringLiteral("EASY %1") : QStringLiteral("ZETA %1")).arg(truncated(nominalPowerW));
    return QStringLiteral("K%1").arg(truncated(nominalPowerW / 1000.0));
}

QString titleText(const QString& address, const QString& name, const QString& version)
{
    return address + QStringLiteral(" - ") + name + QStringLiteral(" [") + version + QStringLiteral("]");
}

QString tpxTitleText(const QString& address, const QString& name, quint16 versionWord)
{
    const QString version = QStringLiteral("V-%1.%2")
                                .arg(versionWord / 100, 2, 10, QLatin1Char('0'))
                                .arg(versionWord % 100, 2, 10, QLatin1Char('0'));
    return titleText(address, name, version);
}

QString lastSeenText(const QDateTime& when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    const QLatin1Char zero('0');
    return QStringLiteral("Last seen: %1-%2-%3 %4:%5:%6")
        .arg(d.day(), 2, 10, zero)
        .arg(d.month(), 2, 10, zero)
        .arg(d.year())
        .arg(t.hour(), 2, 10, zero)
        .arg(t.minute(), 2, 10, zero)
        .arg(t.second(), 2, 10, zero);
}

QString vncToolTip(bool vncConnected)
{
    return vncConnected ? QStringLiteral("A VNC client is connected to this device") : QString();
}

quint16 stringBoxWord(const unsigned char* block, int index)
{
    if (!block || index < 0 || index > 7)
        return 0;
    return qFromLittleEndian<quint16>(block + 2 * index);
}

QString stringBoxCurrentText(quint16 word)
{
    return QStringLiteral("%1A").arg(word / 10.0, 0, 'f', 1);
}

int stringBoxBarValue(quint16 word)
{
    return qMin(word * 100 / 200, 100);
}

int graphPowerScale(double nominalPowerW)
{
    if (nominalPowerW <= 50000.0)
        return 1;
    if (nominalPowerW <= 250000.0)
        return 3;
    return 6;
}

void miniPlot(const QVector<quint16>& samples, bool isZeta, QVector<double>* x, QVector<double>* y)
{
    const double scale = isZeta ? 10.0 : 100.0;
    x->clear();
    y->clear();
    x->reserve(samples.size());
    y->reserve(samples.size());
    for (int i = 0; i < samples.size(); ++i) {
        x->append(5.0 + i * 17.0 / 203.0);
        y->append(samples.at(i) / scale);
    }
}

} // namespace TileTexts
