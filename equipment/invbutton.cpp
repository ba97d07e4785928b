#include "invbutton.h"

#include "plantlists.h"

InvButton::InvButton(QWidget* parent) : QGroupBox(parent)
{
    setFixedSize(350, 170);
    setTitle("---");
    hide();
}

InvButton::~InvButton() = default;

void InvButton::SetInvInfo(const QString& ip, const QString& n, const QString& dns, const QString& version,
                           int port, int ftp, const QString& p)
{
    name = n;
    dnsName = dns;
    tcpPort = port == 0 ? 502 : port;
    ftpPort = ftp == 0 ? 21 : ftp;
    versionText = version.startsWith("SB_") ? version.mid(3) : version;
    if (version.startsWith("SB_"))
        isStringBox = true;
    addressText = dns == QLatin1String(plantlists::NoDnsName) ? ip : dns;
    plant = p;
    key = addressText + QString("-%1-%2").arg(port).arg(plant);
    setTitle(addressText + " - " + name + " [" + versionText + "]");
}

QString InvButton::GetIp() const { return key; }
QString InvButton::GetRealIp() const { return addressText; }
QString InvButton::getTheInvName() const { return name; }
void InvButton::setTheInvName(const QString& n) { name = n; }
QString InvButton::getTheInvDnsName() const { return dnsName; }
void InvButton::setTheInvDnsName(const QString& d) { dnsName = d; }
void InvButton::setTheInvIsZETA(bool on) { isZeta = on; }
bool InvButton::getTheInvIsZETA() const { return isZeta; }
void InvButton::setTheInvIsTPX(bool on) { isTpx = on; }
bool InvButton::getTheInvIsTPX() const { return isTpx; }
void InvButton::setIsStringBox(bool on) { isStringBox = on; }
bool InvButton::getIsStringBox() const { return isStringBox; }
QString InvButton::getTheLastSync() const { return lastSync; }
void InvButton::setTheLastSync(const QString& date) { lastSync = date; }
void InvButton::setTheStoragePath(const QString& root, int) { storageRoot = root; }
QString InvButton::getTheStoragePath() const { return storageRoot; }

void InvButton::setTheHostAddress(const QHostAddress& a) { hostAddress = a; }
QHostAddress InvButton::getTheHostAddress() const { return hostAddress; }
void InvButton::setTheHostAddressHasChanged(bool c) { hostAddressChanged = c; }
bool InvButton::getTheHostAddressHasChanged() const { return hostAddressChanged; }
bool InvButton::getTheServerIsConnected() const { return connectedFlag; }
void InvButton::setTheServerIsConnected(bool on) { connectedFlag = on; }
int InvButton::getThePort() const { return tcpPort; }
void InvButton::setThePort(int port)
{
    if (port != tcpPort)
        tcpPortChanged = true;
    tcpPort = port;
}
int InvButton::getTheFtpPort() const { return ftpPort; }
void InvButton::setTheFtpPort(int port)
{
    if (port != ftpPort)
        ftpPortChanged = true;
    ftpPort = port;
}
bool InvButton::theInvWantsToChangeTcpPort()
{
    const bool was = tcpPortChanged;
    tcpPortChanged = false;
    return was;
}
bool InvButton::theInvWantsToChangeFtpPort()
{
    const bool was = ftpPortChanged;
    ftpPortChanged = false;
    return was;
}
void InvButton::ForceReconnect() {}
void InvButton::SetPwConfig(unsigned short* block)
{
    for (int i = 0; i < 8; ++i)
        pwConfig[i] = block[i];
}
void InvButton::setTheSendConfigAsSoonAsPossible(bool on) { sendConfigAsap = on; }
bool InvButton::getTheSendConfigAsSoonAsPossible() const { return sendConfigAsap; }

double InvButton::InstantPowerForPlant() const { return instantPowerForPlant; }
double InvButton::getTheNominalPower() const { return nominalPower; }
void InvButton::setTheNominalPower(double w) { nominalPower = w; }
int InvButton::getTheKVPAC() const { return kvpac; }
void InvButton::setTheKVPAC(int k) { kvpac = k; }
long InvButton::getTheDailyEnergy() const { return dailyEnergy; }
void InvButton::setTheDailyEnergy(long e) { dailyEnergy = e; }
double InvButton::getTheTotalEnergy() { return totalEnergy; }
void InvButton::setTheTotalEnergy(double kwh) { totalEnergy = kwh; }
double InvButton::getMonthlyEnergy(unsigned int, unsigned int) const { return 0.0; }
bool InvButton::theInvIsInAlarm() const { return inAlarm; }
bool InvButton::getTheInvGetsCommands() const { return getsCommands; }
QVector<double> InvButton::getTheMiniPlotDataX() { return miniPlotX; }
QVector<double> InvButton::getTheMiniPlotDataY() { return miniPlotY; }
QVector<double> InvButton::getTheMiniPlotDataYExtra() { return miniPlotYExtra; }

int InvButton::getTheChosenProbe() const { return chosenProbe; }
void InvButton::setTheChosenProbe(int probe) { chosenProbe = probe; }
bool InvButton::getTheObjectWantsToChangeChosenProbe() const { return wantsProbeChange; }
void InvButton::setTheObjectWantsToChangeChosenProbe(bool on) { wantsProbeChange = on; }
QString InvButton::GetTheProbeLabel(int) const { return QString(); }
double InvButton::getTheProbeMax(int) const { return 100.0; }

void InvButton::Palesati() { show(); }
void InvButton::SetDeletable(bool) {}
bool InvButton::getTheInvIsBeingDeleted() const { return beingDeleted; }
void InvButton::CloseCommandWindow() {}
