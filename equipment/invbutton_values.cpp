// Values the tile decodes from its register blocks, and copies of the blocks
// for the windows that show them.
#include "invbutton.h"

#include <QMutexLocker>
#include <QPushButton>

#include <cstdio>
#include <cstring>

using registerblocks::measuresMutex;

void InvButton::StoreVersion(short v)
{
    flags.applyVersion(v);
    version = v;
    versionNumberText = registerblocks::versionText(v);
    if (!isZeta && flags.legacy && !beingDeleted)
        ButtonUpdate->setToolTip(
            "The update function is enabled from 1.2.3\n software version. Please update "
            "manually.");
}

void InvButton::GetMajMedMinFromVersion(short v, int* major, int* medium, int* minor)
{
    registerblocks::splitVersion(v, major, medium, minor);
}

void InvButton::CalcNominalPower()
{
    nominalPower = registerblocks::nominalPowerFromIdentity(rec.identity);
}

double InvButton::InstantPower() const
{
    QMutexLocker lock(&measuresMutex());
    return registerblocks::instantPower(rec.measures);
}

double InvButton::InstantPowerForPlant() const
{
    return instantPowerForPlant;
}
double InvButton::getTheNominalPower() const
{
    return nominalPower;
}
void InvButton::setTheNominalPower(double w)
{
    nominalPower = w;
}
int InvButton::getTheKVPAC() const
{
    return kvpac;
}
void InvButton::setTheKVPAC(int k)
{
    kvpac = k;
}
long InvButton::getTheDailyEnergy() const
{
    return dailyEnergy;
}
void InvButton::setTheDailyEnergy(long e)
{
    dailyEnergy = e;
}

double InvButton::getTheTotalEnergy()
{
    QMutexLocker lock(&measuresMutex());
    totalEnergy = registerblocks::totalEnergy(rec.measures);
    return totalEnergy;
}

void InvButton::setTheTotalEnergy(double kwh)
{
    totalEnergy = kwh;
}
double InvButton::getMonthlyEnergy(unsigned int year, unsigned int month) const
{
    return monthlyEnergy.energy(storage.storageFolder(), year, month);
}
bool InvButton::theInvIsInAlarm() const
{
    return inAlarm;
}
bool InvButton::getTheInvGetsCommands() const
{
    return getsCommands;
}

void InvButton::SwapBufferBytes(unsigned short* words, int count) const
{
    rec.toHost(words, count);
}

void InvButton::SwapMeasuresBytes()
{
    SwapBufferBytes(rec.measures, registerblocks::measuresStoredWords(version));
}

void InvButton::DumpMem(unsigned char* area, int size)
{
    const QByteArray text = registerblocks::dumpText(area, size).toLatin1();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
}

void InvButton::SetPwConfig(unsigned short* block)
{
    const int words =
        flags.longParameters ? registerblocks::ParameterWords : registerblocks::ParameterWords - 1;
    std::memcpy(rec.parameterWrite, block, sizeof(unsigned short) * static_cast<size_t>(words));
}

registerblocks::AlarmGroups InvButton::getTheAlarmGroups() const
{
    return registerblocks::alarmGroups(rec.alarmWords);
}

void InvButton::CopyIdentity(unsigned char* dest) const
{
    std::memcpy(dest, rec.identity, sizeof rec.identity);
}

void InvButton::CopyMeasures(unsigned short* dest) const
{
    QMutexLocker lock(&measuresMutex());
    std::memcpy(dest, rec.measures, sizeof rec.measures);
}

void InvButton::CopyHouseLoad(unsigned short* dest) const
{
    QMutexLocker lock(&measuresMutex());
    std::memcpy(dest, rec.houseLoad, sizeof rec.houseLoad);
}

void InvButton::CopyStatus(unsigned short* dest) const
{
    QMutexLocker lock(&measuresMutex());
    std::memcpy(dest, rec.status, sizeof rec.status);
}

void InvButton::CopyAlarmWords(unsigned short* dest) const
{
    std::memcpy(dest, rec.alarmWords, sizeof rec.alarmWords);
}

void InvButton::CopyParameters(unsigned short* dest) const
{
    QMutexLocker lock(&measuresMutex());
    std::memcpy(dest, rec.parameterRead, sizeof rec.parameterRead);
}

QVector<double> InvButton::getTheMiniPlotDataX()
{
    if (miniPlotFresh)
        RefreshMiniPlot();
    return miniPlotX;
}

QVector<double> InvButton::getTheMiniPlotDataY()
{
    if (miniPlotFresh)
        RefreshMiniPlot();
    return miniPlotY;
}

QVector<double> InvButton::getTheMiniPlotDataYExtra()
{
    return miniPlotYExtra;
}

double InvButton::GetTheDailyValueAtPos(int pos)
{
    const QVector<double> y = getTheMiniPlotDataY();
    return pos >= 0 && pos < y.size() ? y[pos] : 0.0;
}

int InvButton::getTheChosenProbe() const
{
    return chosenProbe;
}
void InvButton::setTheChosenProbe(int probe)
{
    chosenProbe = probe;
}
bool InvButton::getTheObjectWantsToChangeChosenProbe() const
{
    return wantsProbeChange;
}
void InvButton::setTheObjectWantsToChangeChosenProbe(bool on)
{
    wantsProbeChange = on;
}

QString InvButton::GetTheProbeLabel(int probe) const
{
    return probe >= 1 && probe <= 4 ? probeNames[probe - 1] : QString();
}

QString InvButton::GetTheProbeUnit(int probe) const
{
    return probe >= 1 && probe <= 4 ? probeUnits[probe - 1] : QString();
}

double InvButton::getTheProbeMax(int probe) const
{
    return probe >= 1 && probe <= 4 ? probeMax[probe - 1] : 100.0;
}
