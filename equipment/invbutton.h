#pragma once
// The equipment tile: the visible face of one equipment on the plant window,
// and the owner of that equipment's link, settings and log copies.
//
// The tile is split by concern over several files: invbutton.cpp (widgets
// and their refresh), invbutton_link.cpp (the Modbus TCP request cycle),
// invbutton_settings.cpp (identity and the per-equipment settings file) and
// invbutton_values.cpp (values decoded from the register blocks).

#include "querytable.h"
#include "registerblocks.h"
#include "storagepaths.h"
#include "totalslog.h"

#include <QAbstractSocket>
#include <QDateTime>
#include <QGroupBox>
#include <QHostAddress>
#include <QPointer>
#include <QString>
#include <QVector>

class QLabel;
class QFrame;
class QProgressBar;
class QPushButton;
class QSettings;
class QTcpSocket;
class QTimer;
class TalvoObject;
class DialogFault;

class InvButton : public QGroupBox
{
    Q_OBJECT
public:
    explicit InvButton(QWidget* parent = nullptr);
    ~InvButton() override;

    // Identity and settings.
    void SetInvInfo(const QString& ip, const QString& name, const QString& dnsName, const QString& version,
                    int port, int ftpPort, const QString& plant);
    void LoadSettings();
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
    bool getTheInvIsExcluded() const { return excluded; }
    QString getTheLastSync() const;
    void setTheLastSync(const QString& date);
    void setTheStoragePath(const QString& root, int line = 0);
    QString getTheStoragePath() const;
    // Storage folder of this equipment (root + key-like suffix), "" before a root is set.
    QString getTheStorageFolder() const { return storage.storageFolder(); }
    QString getTheAnnouncedVersion() const { return versionText; }

    // Read key from the settings file (or the default), store it in the
    // destination and write it back, so that the file always holds the key.
    void SettingsSetDefaultIfCase__Int(const char* key, int def, int* dest);
    void SettingsSetDefaultIfCase__Double(const char* key, double def, double* dest);
    void SettingsSetDefaultIfCase__Bool(const char* key, bool def, bool* dest);
    void SettingsSetDefaultIfCase__String(const char* key, QString& def, QString& dest);

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
    int SyncWanted();
    void WriteToSocket(unsigned char* data, int size);
    void OpenSocket();
    void DestroySocket();
    void RestartConnectionTimer();
    void SetTheInvAsUnreachable();

    // State of the request cycle, read by tools and tests.
    int getTheQueryStatus() const { return queryStatus; }
    int getTheSavedQueryStatus() const { return savedQueryStatus; }
    int getTheMissedReplies() const { return missedReplies; }
    bool getTheInvIsUnreachable() const { return unreachable; }
    // Poll timer period; replies of wrong length raise it by 100 ms up to 1000.
    int getThePollInterval() const { return pollInterval; }
    // Sets the period and restarts the poll timer; 0 stops it, so that the
    // cycle can be driven by calling SendQuery() (fast runs, tests).
    void setThePollInterval(int ms);
    // Status code of the last command result read (register 116), -1 when none.
    int getTheLastCommandResult() const { return lastCommandResult; }
    // Last alarm groups read (register 1000 block).
    registerblocks::AlarmGroups getTheAlarmGroups() const;
    // Copies of the blocks for the windows that show them.
    void CopyIdentity(unsigned char* dest64) const;
    void CopyMeasures(unsigned short* dest42) const;
    void CopyHouseLoad(unsigned short* dest3) const;
    void CopyStatus(unsigned short* dest3) const;
    void CopyAlarmWords(unsigned short* dest10) const;
    void CopyParameters(unsigned short* dest8) const;

    // Values decoded from the register blocks.
    void StoreVersion(short version);
    static void GetMajMedMinFromVersion(short version, int* major, int* medium, int* minor);
    void CalcNominalPower();
    double InstantPower() const;
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
    bool getTheAutoconsumo() const { return selfConsumption; }
    bool getTheVnc() const { return vnc; }
    short getTheVersion() const { return version; }
    QString getTheVersionText() const { return versionNumberText; }
    const registerblocks::ProtocolFlags& getTheProtocolFlags() const { return flags; }
    int getTheInvType() const { return typeCode; }
    bool getTheInvIsEasy() const { return easy; }
    unsigned short getTheProbemask() const { return probeMask; }
    bool getTheMeasuresAreValid() const { return measuresValid; }
    void SwapBufferBytes(unsigned short* words, int count) const;
    void SwapMeasuresBytes();
    static void DumpMem(unsigned char* area, int size);
    QVector<double> getTheMiniPlotDataX();
    QVector<double> getTheMiniPlotDataY();
    QVector<double> getTheMiniPlotDataYExtra();
    double GetTheDailyValueAtPos(int pos);

    // Probes.
    int getTheChosenProbe() const;
    void setTheChosenProbe(int probe);
    bool getTheObjectWantsToChangeChosenProbe() const;
    void setTheObjectWantsToChangeChosenProbe(bool on);
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
    bool getTheInvIsBeingDeleted() const;
    void CloseCommandWindow();
    void ChildClosing();
    void GraphIsClosed();
    void AlarmsDialogIsClosed();
    int GetFsForSB() const { return 0; }

signals:
    void IdentUpdated();
    void MeasuresUpdated();
    // Every reply that reaches the tile: the query state it was judged
    // against, its length, and whether it was handled (right length, no
    // exception).
    void ReplyReceived(int queryState, int bytes, bool handled);

public slots:
    void SendQuery();
    void incomingdata();
    void connected();
    void disconnected();
    void SocketError(QAbstractSocket::SocketError error);
    void TryReconnect();
    void TheSlowTimer();
    void OneSecondActivity();
    void HalfSecondActivity();
    void PollEvents();
    void DeleteButton();
    void ExcludeButton();
    void UpdateButton();
    void GraphsButton();
    void AlarmsButton();
    void ProbesClicked();
    void MeasuresClicked();
    void InvClicked();

private:
    // Widgets.
    void BuildWidgets();
    void BuildStringBoxView();
    void SetIcon(const QString& image);
    void ShowSilence();
    void RefreshMiniPlot();

    // Link.
    querytable::LinkContext LinkContext() const;
    void SendState(int state);
    void HandleReply(int state);
    void WrongLength(int received, int expected);
    void StartParameterWrite();
    void DropReconnectTimer();

    // Hooks towards the parts that plug into the tile: the event log, the
    // fault window, the FTP jobs and the equipment's own windows.
    void WriteToLog(const QString& message);
    void ShowFault(const QString& code);
    void CloseFtp(int line);
    void StartLogSync();
    void CloseChildWindows();
    void ReportToSetup(int resultCode);

    void WriteSetting(const char* key, const QVariant& value);
    void BuildStorage();

    // Identity.
    QString name;
    QString dnsName = "NO_DNS_NAME";
    QString addressText;
    QString key;
    QString versionText; // announced by the plant configuration
    QString plant;
    QString lastSync;
    bool addressedByIp = true;
    QString storageRoot;
    StoragePaths storage;
    void UpdateIdleTimers();
    bool awaitingReply = false; // a request was sent and no reply has come yet
    int ticksAwaitingReply = 0;
    static constexpr int ResendAfterTicks = 3;
    QString stampShown;
    mutable MonthlyEnergyCache monthlyEnergy; // from the year's totals log
    QSettings* settings = nullptr;
    QHostAddress hostAddress;
    int tcpPort = 502;
    int ftpPort = 21;
    bool isZeta = false;
    bool isTpx = false;
    bool isStringBox = false;
    bool excluded = false;

    // Link state.
    QTcpSocket* socket = nullptr;
    QTimer* pollTimer = nullptr;
    QTimer* slowTimer = nullptr;
    QTimer* reconnectTimer = nullptr;
    QTimer* oneSecondTimer = nullptr;
    QTimer* halfSecondTimer = nullptr;
    QTimer* pollEventsTimer = nullptr;
    bool connectedFlag = false;
    bool beingDeleted = false;
    bool unreachable = false;
    bool hostAddressChanged = false;
    bool tcpPortChanged = false;
    bool ftpPortChanged = false;
    bool sendConfigAsap = false;
    int queryStatus = querytable::Identity;
    int savedQueryStatus = querytable::Identity;
    bool firstTick = false;
    int missedReplies = 0;
    int pollInterval = 300;
    bool errorWait = false;
    int errorWaitCount = 0;
    int dots = 0;
    bool dotsUp = true;
    int sampleDivider = 0;
    int dailyValuesPeriod = 1;
    int parameterIndex = 0;
    bool seen = false;
    QDateTime lastSeen;
    int lastCommandResult = -1;

    // Register blocks and decoded values.
    EquipmentRecords rec;
    registerblocks::ProtocolFlags flags;
    short version = 0;
    QString versionNumberText;
    double nominalPower = 0.0;
    double instantPowerForPlant = 0.0;
    double totalEnergy = 0.0;
    long dailyEnergy = 0;
    int kvpac = 100;
    int typeCode = 0;
    bool easy = false;
    bool alternativeImage = false;
    bool alternativeImageDone = false;
    unsigned short probeMask = 0;
    QString probeNames[4];
    QString probeUnits[4];
    double probeMax[4] = {100.0, 100.0, 100.0, 100.0};
    bool inAlarm = false;
    bool getsCommands = false;
    bool vnc = false;
    bool selfConsumption = false;
    bool measuresValid = false;
    bool measuresValidForPlant = false;
    bool miniPlotFresh = false;
    QVector<double> miniPlotX, miniPlotY, miniPlotYExtra;
    int chosenProbe = 0;
    bool wantsProbeChange = false;

    // Tile.
    bool enabledButtons = false;
    bool titlePhase = false;
    bool stringBoxViewBuilt = false;
    bool tpxViewBuilt = false;
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

    // The equipment's own windows plug in here as they are written; until
    // then the pointers stay null and the flags false.
    QPointer<QWidget> measuresWindow;
    QPointer<QWidget> tpxMeasuresWindow;
    QPointer<QWidget> alarmWindow;
    QPointer<QWidget> graphWindow;
    QPointer<QWidget> commParamsWindow;
    QPointer<DialogFault> faultWindow;
    bool commandsOpen = false;     // the parameters dialog is open
    bool setupWantsToSend = false; // the parameters dialog asks for a write
    bool measuresWantData = false; // the measures window asks for the blocks
    bool identSentToMeasures = false;
    bool tpxBlockCRead = false;
};
