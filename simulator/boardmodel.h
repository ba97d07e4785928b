#pragma once
// The registers of one simulated board and the plant behind them: power
// follows a day curve from the PC clock, energies integrate, temperature
// drifts; writes to the parameter, command and clock registers act as on a
// real board. Also renders the board's daily logs and totals log from the
// same curve so the files agree with the registers.

#include "scenario.h"

#include <QDateTime>
#include <QVector>

class BoardModel
{
public:
    static constexpr int kRegisterCount = 1024;

    explicit BoardModel(const BoardConfig& config);

    BoardConfig& config() { return cfg; }
    const BoardConfig& config() const { return cfg; }

    // Recomputes the moving values for the given local time.
    void update(const QDateTime& now);

    // Copies registers [start, start + count); false when outside the map.
    // Reading the type block clears the board's request to read it again.
    bool read(int start, int count, QVector<quint16>* out);
    // Stores one register and runs its side effects (apply, upgrade, clock).
    bool write(int reg, quint16 value);
    // Stores a block of registers, then runs the side effects once.
    bool writeBlock(int start, const QVector<quint16>& values);

    quint16 reg(int r) const { return regs.value(r); }
    void setReg(int r, quint16 v);

    void setState(int state);
    void setName(const QString& name);
    void setStatusBit(int bit, bool on);

    // Power in W and energy in kWh of the day curve.
    double powerAt(const QDateTime& t) const;
    double dayEnergyAt(const QDateTime& t) const;
    double powerAtHour(const QDate& day, double hour) const;
    double dayEnergyAtHour(const QDate& day, double hour) const;

    // File contents served over FTP.
    QByteArray dailyLog(const QDate& day, const QDateTime& now) const;
    QByteArray totalsLog(int year, const QDateTime& now) const;
    static QString dailyLogName(const QDate& day);
    static QString totalsLogName(int year);

    // What the board received, for the log and for tests.
    int applyCount() const { return applied; }
    int upgradeCount() const { return upgrades; }
    QVector<quint16> appliedParameters() const { return appliedParams; }
    QDateTime clockSetting() const { return clock; }

private:
    void buildStatic();
    void buildTpxStatic();
    void updateTpx(double hour, double secs);
    void setText(int reg, int registers, const QByteArray& text);
    void setLowByteText(int reg, int registers, const QByteArray& text);
    void setLong(int reg, quint32 value);
    void afterWrite(int start, int count);
    double cloudFactor(const QDate& day) const;
    double energyBefore(const QDate& day) const;

    BoardConfig cfg;
    QVector<quint16> regs;
    QVector<quint16> appliedParams;
    QDateTime clock;
    double temperature = 25.0;
    int applied = 0;
    int upgrades = 0;
    quint32 seed = 0;
};
