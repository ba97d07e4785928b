#include "boardmodel.h"

#include <QtEndian>

#include "simlog.h"

#include <QtMath>

namespace {

// Register map of the board.
constexpr int kStatus = 6;
constexpr int kMeasures = 10;
constexpr int kStringBox = 20;
constexpr int kIdentity = 79;
constexpr int kCommand = 112;
constexpr int kResult = 116;
constexpr int kVersion = 128;
constexpr int kParameters = 140;
constexpr int kClock = 160;
constexpr int kHouseLoad = 200;
constexpr int kDaily = 500;
constexpr int kDailySamples = 204;
constexpr int kType = 800;
constexpr int kAlarms = 1000;

// TPX unit: block A flags (register 0) and hold word (3), block B measures
// (11 to 85, word n at 11 + n), block C status bits (120 to 127).
constexpr int kTpxFlags = 0;
constexpr int kTpxHold = 3;
constexpr int kTpxMeasures = 11;
constexpr int kTpxStatus = 120;
constexpr quint16 kTpxDischarging = 1 << 6;
constexpr quint16 kTpxHeld = 1 << 15;
constexpr double kTpxVolts = 230.0;
constexpr double kTpxBatteryVolts = 240.0;

constexpr quint16 kApply = 50;
constexpr quint16 kUpgradeApplied = 60;

// Production runs from 06:00 to 20:00 on a half sine; the peak is this share
// of the nominal power on a clear day.
constexpr double kSunrise = 6.0;
constexpr double kDayLength = 14.0;
constexpr double kPeakShare = 0.85;

double hourOf(const QDateTime& t)
{
    return t.time().msecsSinceStartOfDay() / 3600000.0;
}

} // namespace

BoardModel::BoardModel(const BoardConfig& config)
    : cfg(config), regs(kRegisterCount, 0), appliedParams(8, 0xFFFF)
{
    seed = quint32(qHash(cfg.id) ^ qHash(cfg.mac));
    buildStatic();
    update(QDateTime::currentDateTime());
}

void BoardModel::setReg(int r, quint16 v)
{
    if (r >= 0 && r < regs.size())
        regs[r] = v;
}

void BoardModel::setText(int reg, int registers, const QByteArray& text)
{
    for (int i = 0; i < registers; ++i) {
        const quint8 hi = quint8(2 * i < text.size() ? text.at(2 * i) : 0);
        const quint8 lo = quint8(2 * i + 1 < text.size() ? text.at(2 * i + 1) : 0);
        regs[reg + i] = quint16(hi << 8 | lo);
    }
}

void BoardModel::setLowByteText(int reg, int registers, const QByteArray& text)
{
    for (int i = 0; i < registers; ++i)
        regs[reg + i] = quint16(i < text.size() ? quint8(text.at(i)) : 0);
}

void BoardModel::setLong(int reg, quint32 value)
{
    regs[reg] = quint16(value >> 16);
    regs[reg + 1] = quint16(value & 0xFFFF);
}

void BoardModel::buildStatic()
{
    // Identity: phase count character after a zero byte, then the nominal power
    // as six digits, then the model text.
    QByteArray ident;
    ident.append('\0').append(cfg.phases == 1 ? '1' : '3');
    ident.append(QByteArray::number(cfg.nominalPower).rightJustified(6, '0'));
    ident.append(QString("VLR-%1 %2").arg(kindName(cfg.kind).toUpper(), cfg.id).toLatin1());
    setText(kIdentity, 32, ident);
    regs[kVersion] = quint16(cfg.firmware);

    // Type block: type code, probe mask, names, maxima, power rating, units.
    const quint16 typeCode = cfg.kind == BoardKind::Zeta ? 40 : (cfg.phases == 1 ? 2 : 12);
    regs[kType] = typeCode;
    regs[kType + 1] = quint16(cfg.probes & 0xF);
    const char* names[] = {"Irradiance", "Module temp", "Ambient temp", "Wind"};
    const char* units[] = {"W/m2", "C", "C", "m/s"};
    const quint16 maxima[] = {1200, 90, 50, 30};
    for (int p = 0; p < 4; ++p) {
        setLowByteText(kType + 2 + 16 * p, 16, names[p]);
        regs[kType + 66 + p] = maxima[p];
        setLowByteText(kType + 71 + 10 * p, 10, units[p]);
    }
    regs[kType + 70] = 100;

    for (int i = 0; i < 8; ++i)
        regs[kParameters + i] = 0xFFFF;
    regs[kResult] = 0;
    regs[kStatus + 2] =
        quint16((cfg.acceptsCommands ? 1 << 6 : 0) | (cfg.selfConsumption ? 1 << 8 : 0) | cfg.statusExtra);
    for (int i = 0; i < cfg.alarms.size() && i < 10; ++i)
        regs[kAlarms + i] = cfg.alarms.at(i);
    regs[kMeasures + 24] = quint16(cfg.state);
    if (!cfg.selfConsumption)
        regs[kHouseLoad] = 0xFFFF;
    if (cfg.kind == BoardKind::Tpx)
        buildTpxStatic();
}

// What a TPX unit's updates leave alone: the load-on-bypass flag of block A
// word 0, the hold bit of word 3 and the status bits of block C start clear
// (a unit running on its inverter, data shown) and keep what `set reg` puts
// there; the ratings of block B are fixed.
void BoardModel::buildTpxStatic()
{
    regs[kTpxFlags] = 0;
    regs[kTpxHold] = quint16((cfg.refreshHeld ? kTpxHeld : 0) | 0x0001);
    for (int i = 0; i < 8; ++i)
        regs[kTpxStatus + i] = 0;
    regs[kTpxMeasures + 66] = quint16(kTpxVolts);              // rated voltage
    regs[kTpxMeasures + 68] = quint16(cfg.nominalPower / 100); // rated power, 0.1 kVA
}

// A TPX unit feeds a load of about half its rating and charges or
// discharges its battery over a ten-minute swing; block A word 0 bit 6
// follows the battery's direction.
void BoardModel::updateTpx(double hour, double secs)
{
    quint16* b = regs.data() + kTpxMeasures;
    const double rated = qMax(cfg.nominalPower, 1000);
    const double load = rated * (0.45 + 0.08 * qSin(secs / 300.0) + 0.05 * qSin(M_PI * hour / 24.0));
    const double battery = 600.0 * qSin(secs / 600.0); // W, positive while charging
    const double input = qMax(0.0, load / 0.95 + battery);
    for (int i = 0; i < 3; ++i) {
        const double wobble = qSin(secs / 17.0 + i);
        const double phaseLoad = load / 3.0 * (1.0 + 0.04 * qSin(secs / 41.0 + 2 * i));
        b[0 + i] = quint16(qRound(kTpxVolts + wobble));                       // input voltage
        b[3 + i] = quint16(qRound(input / 3.0 / kTpxVolts * 10));             // input current
        b[10 + i] = quint16(qRound(kTpxVolts + 0.5 * wobble));                // bypass voltage
        b[14 + i] = quint16(kTpxVolts);                                       // output voltage
        b[20 + i] = quint16(qRound(phaseLoad / kTpxVolts * 10));              // output current
        b[23 + i] = quint16(qRound(phaseLoad / kTpxVolts * 14));              // peak current
        b[26 + i] = quint16(qint16(qRound(phaseLoad / (rated / 3.0) * 100))); // load, %
        b[29 + i] = quint16(qint16(qRound(phaseLoad / 100.0)));               // active power, 0.1 kW
    }
    b[6] = quint16(500 + qRound(qSin(secs / 23.0))); // input frequency
    b[13] = 500;                                     // bypass frequency
    b[32] = 500;                                     // output frequency
    const double capacity = qBound(20.0, 70.0 - 25.0 * qCos(secs / 600.0), 100.0);
    b[36] = quint16(qRound(kTpxBatteryVolts * 10 + 40 * qSin(secs / 600.0))); // battery voltage
    b[39] = quint16(qRound(qAbs(battery) / kTpxBatteryVolts * 10));           // battery current
    b[40] = quint16(qRound(capacity));                                        // capacity, %
    b[42] = quint16(qRound(capacity * 0.6));                                  // autonomy
    b[50] = quint16(qRound(24 + qSin(secs / 900.0)));                         // environment
    b[51] = quint16(qRound(30 + 15 * load / rated));                          // inverter
    b[52] = quint16(qRound(29 + 12 * input / rated));                         // rectifier
    if (battery < 0)
        regs[kTpxFlags] |= kTpxDischarging;
    else
        regs[kTpxFlags] &= quint16(~kTpxDischarging);
    regs[1] = quint16(qint16(qRound(battery / 10)));
    regs[2] = quint16(qRound(load / 10));
}

void BoardModel::setState(int state)
{
    cfg.state = state;
    regs[kMeasures + 24] = quint16(state);
}

void BoardModel::setName(const QString& name)
{
    cfg.name = name;
}

void BoardModel::setStatusBit(int bit, bool on)
{
    if (on)
        regs[kStatus + 2] |= quint16(1 << bit);
    else
        regs[kStatus + 2] &= quint16(~(1 << bit));
}

double BoardModel::cloudFactor(const QDate& day) const
{
    // A fixed "weather" per board and day, between 0.6 and 1.0.
    const quint32 h = quint32(qHash(day.toJulianDay()) ^ seed);
    return 0.6 + (h % 401) / 1000.0;
}

double BoardModel::powerAt(const QDateTime& t) const
{
    return powerAtHour(t.date(), hourOf(t));
}

double BoardModel::dayEnergyAt(const QDateTime& t) const
{
    return dayEnergyAtHour(t.date(), hourOf(t));
}

double BoardModel::powerAtHour(const QDate& day, double hour) const
{
    if (cfg.kind == BoardKind::StringBox)
        return 0.0;
    const double x = (hour - kSunrise) / kDayLength;
    if (x <= 0.0 || x >= 1.0)
        return 0.0;
    return cfg.nominalPower * kPeakShare * cloudFactor(day) * qSin(M_PI * x);
}

double BoardModel::dayEnergyAtHour(const QDate& day, double hour) const
{
    const double x = qBound(0.0, (hour - kSunrise) / kDayLength, 1.0);
    const double peak = cfg.nominalPower * kPeakShare * cloudFactor(day);
    return peak * kDayLength / M_PI * (1.0 - qCos(M_PI * x)) / 1000.0;
}

double BoardModel::energyBefore(const QDate& day) const
{
    // Total before the given day: the configured base, which stands for the
    // energy up to the oldest day kept, plus the full days since then.
    double e = cfg.totalEnergyBase;
    const QDate today = QDate::currentDate();
    for (QDate d = today.addDays(-cfg.historyDays); d < day; d = d.addDays(1))
        e += dayEnergyAtHour(d, 24.0);
    return e;
}

void BoardModel::update(const QDateTime& now)
{
    const QDate date = now.date();
    const double hour = hourOf(now);
    const double secs = double(now.toSecsSinceEpoch());
    const double p = powerAtHour(date, hour);
    const double share = cfg.nominalPower > 0 ? p / cfg.nominalPower : 0.0;
    // Temperature follows the load slowly, with a small wobble.
    const double target = 22.0 + 30.0 * share + 1.5 * qSin(secs / 97.0 + seed % 7);
    temperature += (target - temperature) * 0.05;

    if (cfg.kind == BoardKind::StringBox) {
        // Eight string currents in 0.1 A, from the plant's irradiance. The
        // board keeps this block low byte first within each register, unlike
        // the rest of the map.
        const double irr = qMax(0.0, qSin(M_PI * (hour - kSunrise) / kDayLength));
        for (int i = 0; i < 8; ++i)
            regs[kStringBox + i] = qbswap(quint16(irr * (78 + 3 * i)));
        regs[kMeasures] = quint16(temperature * 10);
        return;
    }
    if (cfg.kind == BoardKind::Tpx) {
        updateTpx(hour, secs);
        return;
    }

    const int phases = cfg.phases == 1 ? 1 : 3;
    const double perPhase = p / phases;
    regs[kMeasures + 0] = quint16(temperature * 10);
    const double vdc = p > 0 ? 350.0 + 150.0 * share : 0.0;
    const int inputs = cfg.nominalPower > 10000 ? 3 : 2;
    for (int i = 0; i < 3; ++i) {
        regs[kMeasures + 1 + i] = i < inputs ? quint16(vdc * 10) : 0xFFFF;
        regs[kMeasures + 4 + i] = i < inputs ? quint16(vdc > 0 ? p / inputs / vdc * 10 : 0) : 0xFFFF;
    }
    for (int i = 0; i < 3; ++i) {
        const bool on = i < phases;
        const double vac = on ? 230.0 + 2.0 * qSin(secs / 13.0 + i) : 0.0;
        regs[kMeasures + 7 + i] = on ? quint16(perPhase / vac * 10) : 0;
        regs[kMeasures + 10 + i] = quint16(vac * 10);
        regs[kMeasures + 14 + i] = on ? quint16(perPhase / 10) : 0;
        regs[kMeasures + 31 + i] = 0;
    }
    regs[kMeasures + 13] = quint16(5000 + int(3 * qSin(secs / 7.0)));
    const double today = dayEnergyAtHour(date, hour);
    setLong(kMeasures + 20, quint32((energyBefore(date) + today) * 10));
    regs[kMeasures + 24] = quint16(cfg.state);
    for (int i = 0; i < 4; ++i)
        regs[kMeasures + 34 + i] =
            (cfg.probes >> i & 1) ? quint16(i == 0 ? share * 10000 : temperature * 10) : 0;
    setLong(kMeasures + 38, quint32(today * 10));

    if (cfg.selfConsumption)
        for (int i = 0; i < 3; ++i)
            regs[kHouseLoad + i] = quint16(8 + 4 * qSin(secs / 300.0 + i) + 4);

    // Today's curve as far as it has come, sampled from 05:00 to 22:00.
    const int scale = cfg.kind == BoardKind::Zeta ? 100 : 10; // W per unit
    for (int i = 0; i < kDailySamples; ++i) {
        const double at = (5 * 60 + i * 17 * 60 / (kDailySamples - 1)) / 60.0;
        regs[kDaily + i] = at <= hour ? quint16(powerAtHour(date, at) / scale) : 0;
    }
}

bool BoardModel::read(int start, int count, QVector<quint16>* out)
{
    if (start < 0 || count < 0 || start + count > regs.size())
        return false;
    *out = regs.mid(start, count);
    // Reading the type block answers the board's request to read it again.
    if (start <= kType && start + count > kType)
        setStatusBit(2, false);
    return true;
}

bool BoardModel::write(int reg, quint16 value)
{
    return writeBlock(reg, QVector<quint16>{value});
}

bool BoardModel::writeBlock(int start, const QVector<quint16>& values)
{
    if (start < 0 || start + values.size() > regs.size())
        return false;
    for (int i = 0; i < values.size(); ++i)
        regs[start + i] = values.at(i);
    afterWrite(start, values.size());
    return true;
}

void BoardModel::afterWrite(int start, int count)
{
    const int end = start + count;
    if (start <= kCommand && end > kCommand) {
        const quint16 command = regs[kCommand];
        if (command == kApply) {
            appliedParams = regs.mid(kParameters, 8);
            regs[kResult] = cfg.resultWord;
            ++applied;
            QStringList words;
            for (quint16 w : appliedParams)
                words << QString::number(w);
            simLog(QString("APPLY %1 params=%2 result=0x%3")
                       .arg(cfg.id, words.join(','))
                       .arg(cfg.resultWord, 4, 16, QChar('0')));
        } else if (command == kUpgradeApplied) {
            ++upgrades;
            simLog(QString("UPGRADE %1 applied").arg(cfg.id));
        }
    }
    if (start <= kClock && end >= kClock + 6) {
        const int year = regs[kClock] & 0xFF;
        clock = QDateTime(QDate(2000 + year, regs[kClock + 1] & 0xFF, regs[kClock + 2] & 0xFF),
                          QTime(regs[kClock + 3] & 0xFF, regs[kClock + 4] & 0xFF, regs[kClock + 5] & 0xFF));
        simLog(
            QString("CLOCK %1 %2")
                .arg(cfg.id, clock.isValid() ? clock.toString("yyyy-MM-dd hh:mm:ss") : QString("invalid")));
    }
}

QString BoardModel::dailyLogName(const QDate& day)
{
    return QString("DP_%1_%2_%3.log")
        .arg(day.year())
        .arg(day.month(), 2, 10, QChar('0'))
        .arg(day.day(), 2, 10, QChar('0'));
}

QString BoardModel::totalsLogName(int year)
{
    return QString("TOTALS_%1.log").arg(year);
}

QByteArray BoardModel::dailyLog(const QDate& day, const QDateTime& now) const
{
    const bool zeta = cfg.kind == BoardKind::Zeta;
    QByteArray out;
    out += QString("%1 %2 %3\n").arg(cfg.id, cfg.versionText, day.toString("yyyy-MM-dd")).toUtf8();
    out += zeta ? "Time;kW;Var;kVA;Ext;C;kWh;Hz;W1;W2;W3;Var1;Var2;Var3;Vr;Vs;Vt;Ir;Is;It;Vdc1;Vdc2;-;Idc1;"
                  "Idc2;-;-;-;-;-\n"
                : "Time;kW;Vr;Vs;Vt;Ir;Is;It;Ext;Vdc;Adc;Hz;-;-;-;kWh;P1;P2;P3;P4;T1;T2;T3;T4;T5;T6;Q1;Q2;Q3;"
                  "Tsys\n";
    const int phases = cfg.phases == 1 ? 1 : 3;
    for (QTime t(5, 5); t.isValid() && t <= QTime(22, 0); t = t.addSecs(300)) {
        if (day > now.date() || (day == now.date() && t > now.time()))
            break;
        const double hour = t.msecsSinceStartOfDay() / 3600000.0;
        const double p = powerAtHour(day, hour);
        const double share = cfg.nominalPower > 0 ? p / cfg.nominalPower : 0.0;
        const double kw = p / 1000.0;
        const double kwh = dayEnergyAtHour(day, hour);
        const double vac = 230.0;
        const double iac = p / phases / vac;
        const double vdc = p > 0 ? 350.0 + 150.0 * share : 0.0;
        const double adc = vdc > 0 ? p / vdc : 0.0;
        const double tinv = 22.0 + 30.0 * share;
        QStringList v;
        auto num = [&v](double x, int decimals) { v << QString::number(x, 'f', decimals); };
        if (zeta) {
            num(kw, 2), num(0, 0), num(kw, 2), num(share * 1000, 0), num(tinv, 1), num(kwh, 1), num(50.0, 2);
            for (int i = 0; i < 3; ++i)
                num(p / 3, 0);
            for (int i = 0; i < 3; ++i)
                num(0, 0);
            for (int i = 0; i < 3; ++i)
                num(vac, 1);
            for (int i = 0; i < 3; ++i)
                num(iac, 1);
            num(vdc, 1), num(vdc, 1), num(0, 0), num(adc / 2, 1), num(adc / 2, 1), num(0, 0);
            while (v.size() < 30)
                num(0, 0);
        } else {
            num(kw, 2);
            for (int i = 0; i < 3; ++i)
                num(i < phases ? vac : 0.0, 1);
            for (int i = 0; i < 3; ++i)
                num(i < phases ? iac : 0.0, 1);
            num(share * 1000, 0), num(vdc, 1), num(adc, 1), num(50.0, 2);
            num(0, 0), num(0, 0), num(0, 0), num(kwh, 1);
            for (int i = 0; i < 4; ++i)
                num((cfg.probes >> i & 1) ? (i == 0 ? share * 1000 : tinv) : 0.0, 1);
            for (int i = 0; i < 6; ++i)
                num(tinv + i, 1);
            for (int i = 0; i < 3; ++i)
                num(0, 0);
            num(tinv - 5, 1);
        }
        out += t.toString("hh:mm").toUtf8() + ';' + v.join(';').toUtf8() + '\n';
    }
    return out;
}

QByteArray BoardModel::totalsLog(int year, const QDateTime& now) const
{
    QByteArray out;
    for (QDate d = now.date().addDays(-cfg.historyDays); d <= now.date(); d = d.addDays(1)) {
        if (d.year() != year)
            continue;
        const double e = d == now.date() ? dayEnergyAt(now) : dayEnergyAtHour(d, 24.0);
        out += d.toString("yyyy-MM-dd").toUtf8() + ';' + QByteArray::number(e, 'f', 1) + '\n';
    }
    return out;
}
