#include "measurestexts.h"

#include "tiletexts.h"

#include <QtEndian>
#include <cmath>

namespace measurestexts {

namespace {

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// "---" for an absent word, else word / 10 with one decimal and the unit.
QString dcText(quint16 word, const char* unit)
{
    return word == Absent ? QStringLiteral("---") : fixed(word / 10.0, 1) + QLatin1String(unit);
}

QString currentText(quint16 word)
{
    return fixed(word / 10.0, 2) + 'A';
}

void houseRows(const Inputs& in, Refresh* r)
{
    const bool meter = (in.status[2] & registerblocks::StatusSelfConsumption) != 0;
    if (!meter || in.houseLoad[0] == Absent) {
        r->house = House::Hidden;
        return;
    }
    if (in.status[2] & registerblocks::StatusMeterSilent) {
        r->house = House::Timeout;
        r->texts["theL_1"] = QStringLiteral("Timeout");
        return;
    }
    r->house = House::Rows;
    quint32 sum = 0;
    for (int i = 0; i < registerblocks::HouseLoadWords; ++i) {
        sum += in.houseLoad[i];
        r->texts[QString("theL_%1").arg(i + 1)] =
            houseRow(QString("L%1 =").arg(i + 1), in.houseLoad[i] / 10.0);
    }
    r->texts["theL_Total"] = houseRow(QStringLiteral("Tot="), sum / 10.0);
}

} // namespace

Refresh refresh(const Inputs& in)
{
    const unsigned short* w = in.measures;
    Refresh r;
    r.texts["theGridI1"] = currentText(w[7]);
    if (in.numPhases == 3) {
        r.texts["theGridI2"] = currentText(w[8]);
        r.texts["theGridI3"] = currentText(w[9]);
        r.texts["theGridV1"] = lineVoltageText(w[10], w[11], "Vrs");
        r.texts["theGridV2"] = lineVoltageText(w[12], w[11], "Vst");
        r.texts["theGridV3"] = lineVoltageText(w[12], w[10], "Vtr");
    } else {
        r.texts["theGridV1"] = lineVoltageText(w[10], w[11], "V");
    }
    r.texts["theGridFreq"] = fixed(w[13] / 100.0, 2) + " Hz";
    // Inputs 1, 2, 3 from the top: theVin2, theVin1, theVin0 and theIin0, theIin1, theIin2.
    r.texts["theVin2"] = dcText(w[1], "V");
    r.texts["theVin1"] = dcText(w[2], "V");
    r.texts["theVin0"] = dcText(w[3], "V");
    r.texts["theIin0"] = dcText(w[4], "A");
    r.texts["theIin1"] = dcText(w[5], "A");
    r.texts["theIin2"] = dcText(w[6], "A");

    const double p = activePowerKw(w);
    r.texts["InstantPower_Label"] = in.title + " - " + QString("Power: %1KW   ").arg(fixed(p, 1));
    r.texts["theInstPow"] = QString("P=%1KW   ").arg(fixed(p, 1));

    houseRows(in, &r);

    if (!in.showExtended)
        return r;
    const quint64 energy =
        quint64(w[registerblocks::MeasTotalEnergyHigh]) * 65536 + w[registerblocks::MeasTotalEnergyLow];
    r.texts["TotE"] = QString("Total Energy = %1 kWh").arg(fixed(energy / 10.0, 1));
    const double q = reactivePowerKvar(w);
    r.texts["theKVAR"] = QString("Q=%1KVAR").arg(fixed(q, 1));
    r.texts["theKVA"] = QString("S=%1kVA").arg(fixed(std::sqrt(p * p + q * q), 1));
    r.texts["thePF"] = powerFactorText(p, q, in.nominalPower);
    return r;
}

int phasesFromIdentity(const unsigned char* identity, int current, bool* known)
{
    const quint16 word = qFromLittleEndian<quint16>(identity);
    const int phases = word == ThreePhaseWord ? 3 : word == SinglePhaseWord ? 1 : current;
    if (known)
        *known = word == ThreePhaseWord || word == SinglePhaseWord;
    return phases;
}

void singlePhaseOverwrite(unsigned short* measures)
{
    for (int word : {2, 3, 5, 6})
        measures[word] = Absent;
}

QString lineVoltageText(quint16 a, quint16 b, const QString& unit)
{
    const qint64 x = a, y = b;
    const qint64 squared = x * x + y * y + x * y;
    return fixed(std::sqrt(static_cast<double>(squared)) / 10.0, 1) + unit;
}

double activePowerKw(const unsigned short* m)
{
    const quint32 sum = quint32(m[14]) + m[15] + m[16];
    return sum / 100.0;
}

double reactivePowerKvar(const unsigned short* m)
{
    const qint32 sum = qint32(qint16(m[31])) + qint16(m[32]) + qint16(m[33]);
    return sum / 100.0;
}

QString powerFactorText(double pKw, double qKvar, double nominalW)
{
    const QString none = QStringLiteral("---");
    const double pn = nominalW / 1000.0;
    if (!(pn > 0.0) || !std::isfinite(pn))
        return none;
    const double pPercent = pKw / pn * 100.0;
    if (!(pPercent >= 5.0) || !std::isfinite(pPercent))
        return none;
    const double qPercent = qKvar / pn * 100.0;
    double pf = std::cos(std::atan(qPercent / pPercent));
    if (qKvar < 0)
        pf = -pf;
    return std::isfinite(pf) ? QString("PF=%1").arg(fixed(pf, 1)) : none;
}

QString houseRow(const QString& head, double kw)
{
    return head + QString("%1KW").arg(fixed(kw, 1)).rightJustified(11, ' ');
}

QString imageFor(bool zeta, double nominalW)
{
    return zeta ? TileTexts::zetaIcon() : TileTexts::iconForNominal(nominalW, false);
}

} // namespace measurestexts
