#pragma once
// The equipment tile: the visible face of one equipment on the plant window.
// The tile draws; its link (EquipmentLink) talks to the board and decodes
// the replies, its settings (EquipmentSettings) keep the per-equipment file,
// and TileTexts computes what the labels show. The tile's operations that
// belong to the link or the settings forward to them.
//
// invbutton.cpp builds and draws the widgets; invbutton_identity.cpp gives
// the tile its identity and keeps its settings and storage folder;
// invbutton_windows.cpp opens the equipment's windows and feeds them from the
// link.

#include "equipmentlink.h"
#include "equipmentsettings.h"
#include "logsync.h"
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

#include <functional>

class QLabel;
class QFrame;
class QProgressBar;
class QPushButton;
class QTimer;
class TalvoObject;
class DialogFault;
class DialogCommParams;
class DialogAlarms;
class DialogGraph;
class DialogTPXMeasures;
class Measures;
class ProbesChoose;
class TpxSynopticView;

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
    // After a TCP port change: the equipment key follows the port, and the
    // settings file and storage folder named after it move with it (a
    // restart then finds them under the key the plant stores). False when
    // the settings could not be moved; the old key then stays.
    bool FollowPortChange();
    int getTheFtpPort() const { return ftpPort; }
    void setTheFtpPort(int port);
    bool theInvWantsToChangeTcpPort();
    bool theInvWantsToChangeFtpPort();
    void ForceReconnect() { link->ForceReconnect(); }
    void SetPwConfig(unsigned short* block) { link->SetPwConfig(block); }
    void setTheSendConfigAsSoonAsPossible(bool on) { link->setSendConfigAsSoonAsPossible(on); }
    bool getTheSendConfigAsSoonAsPossible() const { return link->sendConfigAsSoonAsPossible(); }
    // The parameter write sequence asked for has not ended yet; how the last
    // one ended (a status code or a parameterblock::Outcome).
    bool getTheParameterSendPending() const { return link->parameterSendPending(); }
    int getTheLastSendOutcome() const { return link->lastSendOutcome(); }
    int SyncWanted() { return link->SyncWanted(); }
    void WriteToSocket(unsigned char* data, int size) { link->WriteToSocket(data, size); }
    void OpenSocket() { link->OpenSocket(); }
    void DestroySocket() { link->DestroySocket(); }
    void RestartConnectionTimer() { link->RestartConnectionTimer(); }
    void SetTheInvAsUnreachable() { link->SetTheInvAsUnreachable(); }

    // Log synchronisation and upgrade upload over FTP, run by LogSync.
    LogSync* getTheLogSync() const { return logSync; }
    void StartFtpActivity(int kind) { logSync->StartFtpActivity(kind); }
    void StartFtpActivityTimer() { logSync->StartFtpActivityTimer(); }
    void StopFtpActivityTimer(int line) { logSync->StopFtpActivityTimer(line); }
    void RestartFtpActivityTimer() { logSync->RestartFtpActivityTimer(); }
    void CloseFtp(int line) { logSync->CloseFtp(line); }
    void CloseOpenFileAndFtp(int line) { logSync->CloseOpenFileAndFtp(line); }
    static bool fileExists(const QString& path) { return LogSync::fileExists(path); }
    void ManageFtpGetOfLogs() { logSync->ManageFtpGetOfLogs(); }
    void ManageFtpGetOfHisRam() { logSync->ManageFtpGetOfHisRam(); }
    void SaveTodaySync() { logSync->SaveTodaySync(); }
    void SetLastSync(int day, int month, int year) { logSync->SetLastSync(day, month, year); }
    bool getTheTodayLogIsFetched() const { return logSync->todayLogFetched(); }
    // The communication window's requests: a log sync or a history sync when
    // connected (true when it started), and "Stop download".
    bool RequestLogSync() { return logSync->startIfConnected(LogSync::LogFilesSync); }
    bool RequestHisRamSync() { return logSync->startIfConnected(LogSync::HistorySync); }
    void StopFtpDownload() { logSync->StopDownload(); }
    // The Update button's file choice; the file dialog unless replaced.
    void setUpgradeFileChooser(std::function<QString()> chooser) { upgradeFileChooser = std::move(chooser); }
    // Uploads the chosen upgrade file; false when it was refused.
    bool StartUpgrade(const QString& path) { return logSync->StartUpgrade(path); }

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
    // Stores the choice, asks the plant window to record it, refreshes the
    // button picture and, for a probe, re-reads today's probe curve.
    void setTheChosenProbe(int probe);
    bool getTheObjectWantsToChangeChosenProbe() const { return wantsProbeChange; }
    void setTheObjectWantsToChangeChosenProbe(bool on) { wantsProbeChange = on; }
    QString GetTheProbeLabel(int probe) const;
    QString GetTheProbeUnit(int probe) const;
    double getTheProbeMax(int probe) const;
    // Shows the probe button when the equipment has probes; the count.
    int GetNumberOfProbesConfigured();
    void SetProbesIconAccordingly();
    // Names and readings of the probes into an open probe window.
    void UpdateProbeValuesInDialog();
    // The chosen probe's curve of today from the daily log (the extra Y vector).
    void UpdateLocalMeasure();

    // TPX synoptic: created once, then shown in place of the ordinary drawing.
    void CreateObjectsForTPX();
    void ShowObjectsForTPX();

    // Tile.
    void Palesati();
    void Posizione(int x, int y);
    void setTheStatus(const QString& text);
    void UpdateValues();
    void TitleBlue();
    void TitleGray();
    void SetEnabledButtons(bool on);
    bool getTheEnabledButtonsFlag() const { return enabledButtons; }
    // Size of the title's font: smaller for a long title.
    int getTheTitlePointSize() const { return titlePointSize; }
    void setTheEnabledButtonsFlag(bool on) { enabledButtons = on; }
    void SetDeletable(bool on);
    bool getTheInvIsBeingDeleted() const { return beingDeleted; }
    int GetFsForSB() const { return 0; }
    // The communication window, while it exists.
    DialogCommParams* getTheCommWindow() const;

signals:
    // The measures window's feed, from the link.
    void IdentUpdated();
    void MeasuresUpdated();
    // A log or history sync has ended or been stopped: the communication
    // window, when open, shows its sync buttons again.
    void FtpSyncEnded();

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
    void HalfSecondActivity();
    void DeleteButton();
    void ExcludeButton();
    // The communication window: opened by a click on the icon, served every
    // 150 ms, closed before plant-wide commands.
    void InvClicked();
    void PollEvents();
    void CloseCommandWindow();

    // The equipment's windows: opened by the tile's buttons, forgotten when
    // they close.
    void AlarmsButton();
    void AlarmsDialogIsClosed();
    void MeasuresClicked();
    void ChildClosing();
    void GraphsButton();
    void GraphIsClosed();
    void ProbesClicked();
    void TPXMeasuresClicked();
    void UpdateButton();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool IsInSight() const;
    void ShowStatus(const QString& text);
    void BuildWidgets();
    void BuildStringBoxView();
    void ConnectLink();
    void ConnectLogSync();
    void ShowSnapshot(const QString& path);
    void SetIcon(const QString& image);
    void ShowExcluded();
    void DashValues(bool energyToo);
    // Shows no power bar and no percentage: the tile has no live data.
    void ClearPowerBar();
    // The title, elided (whole in the tooltip) where it would run under the
    // buttons of the title row.
    void ShowTitle(const QString& text);
    void FitTitle();
    void ApplyTileStyle();
    void ShowFault(const QString& code);
    void BuildStorage();
    void ConnectCommWindow();
    void DeleteCommWindow();

    // The windows' feeds from the link.
    void ConnectWindows();
    void SetUpMeasuresWindow();
    void FeedIdentity();
    void FeedMeasures();
    void FeedStatusWords();
    void FeedAlarmWords();
    void FeedTpxBlockA();
    void FeedTpxBlockB();
    void WindowsTick();
    void CloseLiveWindows();
    void RefreshTpxView(const unsigned short* blockA, const unsigned short* blockC);
    bool FtpIsPossible() const;

    // Read by the plant's supervision for every tile four times a second:
    // kept together at the front.
    EquipmentLink* link = nullptr;
    bool beingDeleted = false;
    bool tcpPortChanged = false;
    bool ftpPortChanged = false;
    bool wantsProbeChange = false;

    LogSync* logSync = nullptr;
    std::function<QString()> upgradeFileChooser;
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
    QString fullTitle;
    QString titleColour;
    static constexpr int TitlePointSize = 9;
    static constexpr int MinTitlePointSize = 7;
    int titlePointSize = TitlePointSize;
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
    QPointer<DialogCommParams> commWindow;
    QTimer* pollEventsTimer = nullptr;

    // The equipment's windows, each at most one.
    QTimer* halfSecondTimer = nullptr;
    TpxSynopticView* tpxView = nullptr;
    QPointer<DialogAlarms> alarmWindow;
    QPointer<Measures> measuresWindow;
    QPointer<DialogTPXMeasures> tpxMeasuresWindow;
    QPointer<DialogGraph> graphWindow;
    QPointer<ProbesChoose> probesWindow;
};
