#include "dialogtpxmeasurestexts.h"
#include "tpxblocks.h"

namespace TpxMeasuresTexts {

using namespace tpxblocks;

namespace {
QString tenths(int value, const char* unit)
{
    return QString::number(value / 10.0, 'f', 2) + QLatin1String(unit);
}
} // namespace

QMap<QString, QString> texts(const unsigned short* blockA, const unsigned short* blockB)
{
    const auto word = [blockB](int n) { return int(blockB[n]); };
    const auto signedWord = [blockB](int n) { return int(qint16(blockB[n])); };
    QMap<QString, QString> t;
    for (int i = 0; i < 3; ++i) {
        const QString phase = QString::number(i + 1);
        t["inputV_" + phase] = QStringLiteral("%1V").arg(word(InputVoltageL1 + i));
        t["inputA_" + phase] = tenths(word(InputCurrentL1 + i), "A");
        t["inputBV_" + phase] = QStringLiteral("%1V").arg(word(BypassVoltageL1 + i));
        t["outputV_" + phase] = QStringLiteral("%1V").arg(word(OutputVoltageL1 + i));
        t["outputA_" + phase] = tenths(word(OutputCurrentL1 + i), "A");
        t["outputPA_" + phase] = tenths(word(OutputPeakCurrentL1 + i), "A");
        t["Load_" + phase] = QStringLiteral("(%1%)").arg(signedWord(OutputLoadL1 + i));
        t["outputAP_" + phase] = tenths(signedWord(OutputPowerL1 + i), "KW");
    }
    t["inputF"] = tenths(word(InputFrequency), "Hz");
    t["BypF"] = tenths(word(BypassFrequency), "Hz");
    t["OutF"] = tenths(word(OutputFrequency), "Hz");
    t["BattV"] = tenths(word(BatteryVoltage), "V");
    t["BattA"] =
        (batteryDischarging(blockA) ? QStringLiteral("-") : QString()) + tenths(word(BatteryCurrent), "A");
    t["BattC"] = QStringLiteral("%1%").arg(word(BatteryCapacity));
    t["BattT"] = QStringLiteral("%1%").arg(word(BatteryAutonomy));
    // A unit standing outdoors may report temperatures below zero.
    t["UPS_T"] = QStringLiteral("%1C").arg(signedWord(EnvironmentTemperature));
    t["SensT_1"] = QStringLiteral("%1C").arg(signedWord(InverterTemperature));
    t["SensT_2"] = QStringLiteral("%1C").arg(signedWord(RectifierTemperature));
    return t;
}

} // namespace TpxMeasuresTexts
