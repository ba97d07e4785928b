#pragma once
// The equipment tile: the visible face of one equipment on the plant window,
// and the owner of that equipment's link, settings and log copies.

#include <QGroupBox>
#include <QHostAddress>
#include <QString>
#include <QVector>

class InvButton : public QGroupBox
{
    Q_OBJECT
public:
    explicit InvButton(QWidget* parent = nullptr);
    ~InvButton() override;

    // Identity and settings.
    void SetInvInfo(const QString& ip, const QString& name, const QString& dnsName, const QString& version,
                    int port, int ftpPort, const QString& plant);
    QString GetIp() const;     // equipment key
    QString GetRealIp() const; // address text the link connects to
    QString getTheInvName() const;
    void setTheInvName(const QString& name);
    QString getTheInvDnsName() const;
    void setTheInvDnsName(const QString& dnsName);
    void setTheInvIsZETA(bool on);
    bool getTheInvIsZETA() const;
    void setTheInvIsTPX(bool on);
    bool getTheInvIsTPX() const;
    void setIsStringBox(bool on);
    bool getIsStringBox() const;
    QString getTheLastSync() const;
    void setTheLastSync(const QString& date);
    void setTheStoragePath(const QString& root, int line = 0);
    QString getTheStoragePath() const;

    // Link.
    void setTheHostAddress(const QHostAddress& address);
    QHostAddress getTheHostAddress() const;
    void setTheHostAddressHasChanged(bool changed);
    bool getTheHostAddressHasChanged() const;
    bool getTheServerIsConnected() const;
    void setTheServerIsConnected(bool on);
    int getThePort() const;
    void setThePort(int port);
    int getTheFtpPort() const;
    void setTheFtpPort(int port);
    bool theInvWantsToChangeTcpPort();
    bool theInvWantsToChangeFtpPort();
    void ForceReconnect();
    void SetPwConfig(unsigned short* block);
    void setTheSendConfigAsSoonAsPossible(bool on);
    bool getTheSendConfigAsSoonAsPossible() const;

    // Values for the plant summary.
    double InstantPowerForPlant() const;
    double getTheNominalPower() const;
    void setTheNominalPower(double watts);
    int getTheKVPAC() const;
    void setTheKVPAC(int kvpac);
    long getTheDailyEnergy() const;
    void setTheDailyEnergy(long tenthsOfKwh);
    double getTheTotalEnergy();
    void setTheTotalEnergy(double kwh);
    double getMonthlyEnergy(unsigned int year, unsigned int month) const;
    bool theInvIsInAlarm() const;
    bool getTheInvGetsCommands() const;
    QVector<double> getTheMiniPlotDataX();
    QVector<double> getTheMiniPlotDataY();
    QVector<double> getTheMiniPlotDataYExtra();

    // Probes.
    int getTheChosenProbe() const;
    void setTheChosenProbe(int probe);
    bool getTheObjectWantsToChangeChosenProbe() const;
    void setTheObjectWantsToChangeChosenProbe(bool on);
    QString GetTheProbeLabel(int probe) const;
    double getTheProbeMax(int probe) const;

    // Tile.
    void Palesati();
    void SetDeletable(bool on);
    bool getTheInvIsBeingDeleted() const;
    void CloseCommandWindow();

private:
    QString name;
    QString dnsName = "NO_DNS_NAME";
    QString addressText;
    QString key;
    QString versionText;
    QString plant;
    QString lastSync;
    QString storageRoot;
    QHostAddress hostAddress;
    int tcpPort = 502;
    int ftpPort = 21;
    bool isZeta = false;
    bool isTpx = false;
    bool isStringBox = false;
    bool connectedFlag = false;
    bool beingDeleted = false;
    bool hostAddressChanged = false;
    bool tcpPortChanged = false;
    bool ftpPortChanged = false;
    bool sendConfigAsap = false;
    bool wantsProbeChange = false;
    int chosenProbe = 0;
    double nominalPower = 0.0;
    double instantPowerForPlant = 0.0;
    double totalEnergy = 0.0;
    long dailyEnergy = 0;
    int kvpac = 100;
    bool inAlarm = false;
    bool getsCommands = false;
    QVector<double> miniPlotX, miniPlotY, miniPlotYExtra;
    unsigned short pwConfig[8] = {};
};
