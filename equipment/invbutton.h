#pragma once
// The equipment tile: the visible face of one equipment on the plant window.
// The tile draws; its link (EquipmentLink) talks to the board and decodes
// the replies, its settings (EquipmentSettings) keep the per-equipment file,
// and TileTexts computes what the labels show. The tile's operations that
// belong to the link or the settings forward to them.
//
// invbutton.cpp builds and draws the widgets; invbutton_identity.cpp gives
// the tile its identity and keeps its settings and storage folder.

#include "equipmentlink.h"
#include "equipmentsettings.h"
#include "querytable.h"
#include "registerblocks.h"
#include "storagepaths.h"
#include "ticktimer.h"
#include "totalslog.h"

#include <QGroupBox>
#include <QHostAddress>
#include <QPointer>
#include <QString>
#include <QVector>

class QLabel;
class QFrame;
class QProgressBar;
class QPushButton;
class TalvoObject;
class DialogFault;

class InvButton : public QGroupBox
{
    Q_OBJECT
public:
    explicit InvButton(QWidget* parent = nullptr);
    ~InvButton() override;

    // The link, for the equipment's windows to connect to its feeds.
    EquipmentLink* getTheLink() const { return link; }

    // Identity and settings.
    void SetInvInfo(const QString& ip, const QString& name, const QString& dnsName, const QString& version,
                    int port, int ftpPort, const QString& plant);
    void LoadSettings();
    QString GetIp() const { return key; }             // equipment key
    QString GetRealIp() const { return addressText; } // address text the link connects to
    QString getTheInvName() const { return name; }
    void setTheInvName(const QString& n) { name = n; }
    QString getTheInvDnsName() const { return dnsName; }
    void setTheInvDnsName(const QString& dnsName);
    void setTheInvIsZETA(bool on);
    bool getTheInvIsZETA() const { return link->isZeta(); }
    void setTheInvIsTPX(bool on);
    bool getTheInvIsTPX() const { return link->isTpx(); }
    void setIsStringBox(bool on) { link->setStringBox(on); }
    bool getIsStringBox() const { return link->isStringBox(); }
    bool getTheInvIsExcluded() const { return link->isExcluded(); }
    QString getTheLastSync() const { return settings.lastSync(); }
    void setTheLastSync(const QString& date) { settings.setLastSync(date); }
    void setTheStoragePath(const QString& root, int line = 0);
    QString getTheStoragePath() const { return storageRoot; }
    // Storage folder of this equipment (root + key-like suffix), "" before a root is set.
    QString getTheStorageFolder() const { return storageFolder; }
    QString getTheAnnouncedVersion() const { return versionText; }

    // Read key from the settings file (or the default), store it in the
    // destination and write it back, so that the file always holds the key.
    void SettingsSetDefaultIfCase__Int(const char* key, int def, int* dest);
    void SettingsSetDefaultIfCase__Double(const char* key, double def, double* dest);
    void SettingsSetDefaultIfCase__Bool(const char* key, bool def, bool* dest);
    void SettingsSetDefaultIfCase__String(const char* key, QString& def, QString& dest);

    // Link.
    void setTheHostAddress(const QHostAddress& address) { link->setHostAddress(address); }
    QHostAddress getTheHostAddress() const { return link->getHostAddress(); }
    void setTheHostAddressHasChanged(bool changed);
    bool getTheHostAddressHasChanged() const { return hostAddressChanged; }
    bool getTheServerIsConnected() const { return link->isConnected() && !link->isExcluded(); }
    void setTheServerIsConnected(bool on) { link->setConnected(on); }
    int getThePort() const { return link->port(); }
    void setThePort(int port);
    int getTheFtpPort() const { return ftpPort; }
    void setTheFtpPort(int port);
    bool theInvWantsToChangeTcpPort();
    bool theInvWantsToChangeFtpPort();
    void ForceReconnect() { link->TryReconnect(); }
    void SetPwConfig(unsigned short* block) { link->SetPwConfig(block); }
    void setTheSendConfigAsSoonAsPossible(bool on) { link->setSendConfigAsSoonAsPossible(on); }
    bool getTheSendConfigAsSoonAsPossible() const { return link->sendConfigAsSoonAsPossible(); }
    int SyncWanted() { return link->SyncWanted(); }
    void WriteToSocket(unsigned char* data, int size) { link->WriteToSocket(data, size); }
    void OpenSocket() { link->OpenSocket(); }
    void DestroySocket() { link->DestroySocket(); }
    void RestartConnectionTimer() { link->RestartConnectionTimer(); }
    void SetTheInvAsUnreachable() { link->SetTheInvAsUnreachable(); }

    // State of the request cycle, read by tools and tests.
    querytable::QueryState getTheQueryStatus() const { return link->queryState(); }
    querytable::QueryState getTheSavedQueryStatus() const { return link->savedQueryState(); }
    int getTheMissedReplies() const { return link->missedReplies(); }
    bool getTheInvIsUnreachable() const { return link->isUnreachable(); }
    int getThePollInterval() const { return link->pollInterval(); }
    void setThePollInterval(int ms) { link->setPollInterval(ms); }
    int getTheLastCommandResult() const { return link->lastCommandResult(); }
    registerblocks::AlarmGroups getTheAlarmGroups() const { return link->alarmGroups(); }
    void CopyIdentity(unsigned char* dest64) const { link->CopyIdentity(dest64); }
    void CopyMeasures(unsigned short* dest42) const { link->CopyMeasures(dest42); }
    void CopyHouseLoad(unsigned short* dest3) const { link->CopyHouseLoad(dest3); }
    void CopyStatus(unsigned short* dest3) const { link->CopyStatus(dest3); }
    void CopyAlarmWords(unsigned short* dest10) const { link->CopyAlarmWords(dest10); }
    void CopyParameters(unsigned short* dest8) const { link->CopyParameters(dest8); }

    // Values decoded from the register blocks.
    void StoreVersion(short version) { link->StoreVersion(version); }
    static void GetMajMedMinFromVersion(short version, int* major, int* medium, int* minor)
    {
        registerblocks::splitVersion(version, major, medium, minor);
    }
    void CalcNominalPower() { link->CalcNominalPower(); }
    double InstantPower() const { return link->InstantPower(); }
    double InstantPowerForPlant() const { return link->instantPowerForPlant(); }
    double getTheNominalPower() const { return link->nominalPower(); }
    void setTheNominalPower(double watts) { link->setNominalPower(watts); }
    int getTheKVPAC() const { return link->kvpac(); }
    void setTheKVPAC(int kvpac) { link->setKvpac(kvpac); }
    long getTheDailyEnergy() const { return link->dailyEnergy(); }
    void setTheDailyEnergy(long tenthsOfKwh) { link->setDailyEnergy(tenthsOfKwh); }
    double getTheTotalEnergy() { return link->totalEnergy(); }
    void setTheTotalEnergy(double kwh) { link->setTotalEnergy(kwh); }
    double getMonthlyEnergy(unsigned int year, unsigned int month) const;
    bool theInvIsInAlarm() const { return link->inAlarm(); }
    bool getTheInvGetsCommands() const { return link->acceptsCommands(); }
    bool getTheAutoconsumo() const { return link->selfConsumption(); }
    bool getTheVnc() const { return link->vncConnected(); }
    short getTheVersion() const { return link->version(); }
    QString getTheVersionText() const { return link->versionText(); }
    const registerblocks::ProtocolFlags& getTheProtocolFlags() const { return link->protocolFlags(); }
    int getTheInvType() const { return link->typeInfo().typeCode; }
    bool getTheInvIsEasy() const { return link->typeInfo().easy; }
    unsigned short getTheProbemask() const { return link->typeInfo().probeMask; }
    bool getTheMeasuresAreValid() const { return link->measuresAreValid(); }
    void SwapBufferBytes(unsigned short* words, int count) const { link->SwapBufferBytes(words, count); }
    void SwapMeasuresBytes() { link->SwapMeasuresBytes(); }
    static void DumpMem(unsigned char* area, int size) { EquipmentLink::DumpMem(area, size); }
    QVector<double> getTheMiniPlotDataX() { return link->miniPlotX(); }
    QVector<double> getTheMiniPlotDataY() { return link->miniPlotY(); }
    QVector<double> getTheMiniPlotDataYExtra() const { return miniPlotYExtra; }
    double GetTheDailyValueAtPos(int pos);

    // Probes.
    int getTheChosenProbe() const { return chosenProbe; }
    void setTheChosenProbe(int probe) { chosenProbe = probe; }
    bool getTheObjectWantsToChangeChosenProbe() const { return wantsProbeChange; }
    void setTheObjectWantsToChangeChosenProbe(bool on) { wantsProbeChange = on; }
    QString GetTheProbeLabel(int probe) const;
    QString GetTheProbeUnit(int probe) const;
    double getTheProbeMax(int probe) const;

    // Tile.
    void Palesati();
    void Posizione(int x, int y);
    void setTheStatus(const QString& text);
    void UpdateValues();
    void TitleBlue();
    void TitleGray();
    void SetEnabledButtons(bool on);
    bool getTheEnabledButtonsFlag() const { return enabledButtons; }
    void setTheEnabledButtonsFlag(bool on) { enabledButtons = on; }
    void SetDeletable(bool on);
    bool getTheInvIsBeingDeleted() const { return beingDeleted; }
    int GetFsForSB() const { return 0; }

signals:
    // The measures window's feed, from the link.
    void IdentUpdated();
    void MeasuresUpdated();

public slots:
    // The link's cycle and connection events, forwarded.
    void SendQuery() { link->SendQuery(); }
    void incomingdata() { link->incomingdata(); }
    void connected() { link->connected(); }
    void disconnected() { link->disconnected(); }
    void SocketError(QAbstractSocket::SocketError error) { link->SocketError(error); }
    void TryReconnect() { link->TryReconnect(); }
    void TheSlowTimer() { link->TheSlowTimer(); }
    void OneSecondActivity();
    void DeleteButton();
    void ExcludeButton();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool IsInSight() const;
    void ShowStatus(const QString& text);
    void BuildWidgets();
    void BuildStringBoxView();
    void ConnectLink();
    void SetIcon(const QString& image);
    void ShowExcluded();
    void DashValues(bool energyToo);
    void ShowFault(const QString& code);
    void BuildStorage();

    // Read by the plant's supervision for every tile four times a second:
    // kept together at the front.
    EquipmentLink* link = nullptr;
    bool beingDeleted = false;
    bool tcpPortChanged = false;
    bool ftpPortChanged = false;
    bool wantsProbeChange = false;

    EquipmentSettings settings;

    // Identity.
    QString name;
    QString dnsName = "NO_DNS_NAME";
    QString addressText;
    QString key;
    QString versionText; // announced by the plant configuration
    QString plant;
    bool addressedByIp = true;
    int ftpPort = 21;
    bool hostAddressChanged = false;
    QString storageRoot;
    QString storageFolder;                    // kept to be handed on by reference
    mutable MonthlyEnergyCache monthlyEnergy; // from the year's totals log
    QVector<double> miniPlotYExtra;
    int chosenProbe = 0;

    // Tile.
    TickTimer oneSecondTimer{[this] { OneSecondActivity(); }}; // on the shared tick, with every tile's
    QString titleVersion, titleName;                           // what the title was last built from
    bool enabledButtons = false;
    bool titlePhase = false;
    bool stringBoxViewBuilt = false;
    bool tpxViewBuilt = false;
    bool alternativeImageDone = false;
    bool drawWhenSeen = false; // values changed while the tile was out of sight
    QString stampShown;
    QFrame* line = nullptr;
    TalvoObject* theIcon = nullptr;
    QLabel* Stamp = nullptr;
    QProgressBar* thePowerBar = nullptr;
    QLabel* theValueOfBar = nullptr;
    QLabel* powerLabel = nullptr;
    QLabel* energyLabel = nullptr;
    QLabel* InvTemp = nullptr;
    QLabel* theVnc = nullptr;
    QLabel* Nominal = nullptr;
    QLabel* statusLabel = nullptr;
    QLabel* snapshotLabel = nullptr;
    QLabel* waitLabel = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QPushButton* ButtonExclude = nullptr;
    QPushButton* ButtonUpdate = nullptr;
    QPushButton* ButtonProbes = nullptr;
    QPushButton* theButtonAlarms = nullptr;
    QPushButton* theGraphsButton = nullptr;
    QPushButton* ButtonMeasures = nullptr;
    QVector<QProgressBar*> sbBars;
    QVector<QLabel*> sbLabels;

    QPointer<DialogFault> faultWindow;
};
