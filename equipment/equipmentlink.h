#pragma once
// The link to one equipment's board: the TCP connection, the request cycle
// of the query table (one request per tick, at most one outstanding, the
// next chosen by the reply), the checks made on every reply, silence,
// reconnection, and everything decoded from the replies.
//
// Widget-free: the tile draws what this class exposes through its signals
// and read-only accessors, and the equipment's windows are fed from the same
// signals. Block copies of the measures, status, house load and parameter
// read blocks are taken under the process-wide measures mutex.

#include "querytable.h"
#include "registerblocks.h"
#include "ticktimer.h"

#include <QAbstractSocket>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QVector>

class LinkSocket;
class QTimer;

class EquipmentLink : public QObject
{
    Q_OBJECT
public:
    explicit EquipmentLink(QObject* parent = nullptr);
    ~EquipmentLink() override;

    // --- Who the board is and how to reach it (set by the tile) ---
    // Address text (DNS name or IPv4 text) and TCP port the socket connects
    // to; a new target is no longer unreachable.
    void setTarget(const QString& address, int tcpPort);
    QString address() const { return addressText; }
    int port() const { return tcpPort; }
    void setPort(int tcpPort);
    // Local interface address the socket binds to (null: the system's choice).
    void setHostAddress(const QHostAddress& local) { hostAddress = local; }
    QHostAddress getHostAddress() const { return hostAddress; }
    // Version text announced by the plant configuration (traced with the type query).
    void setAnnouncedVersion(const QString& text) { announcedVersion = text; }
    // Storage folder whose event log "Inv.Log" receives the link's events.
    void setStorageFolder(const QString& folder) { storageFolder = folder; }
    // Equipment kind: each changes the cycle from the next tick on.
    void setZeta(bool on)
    {
        zeta = on;
        ++revision;
    }
    bool isZeta() const { return zeta; }
    void setTpx(bool on) { tpx = on; }
    bool isTpx() const { return tpx; }
    void setStringBox(bool on)
    {
        stringBox = on;
        ++revision;
    }
    bool isStringBox() const { return stringBox; }
    // No DNS name: the board's clock is set once an hour.
    void setAddressedByIp(bool on) { addressedByIp = on; }
    // Excluded: the link stays connected but sends nothing, status "EXCLUDED".
    void setExcluded(bool on) { excluded = on; }
    bool isExcluded() const { return excluded; }
    // The legacy protocol flag, set from the announced version of a Zeta board.
    void setLegacy(bool on)
    {
        flags.legacy = on;
        ++revision;
    }
    // The tile is being deleted: no connection is made any more and the
    // link's texts stop changing.
    void setBeingDeleted() { beingDeleted = true; }

    // --- Connection ---
    void OpenSocket();
    void DestroySocket();
    void WriteToSocket(const unsigned char* data, int size);
    void TryReconnect();
    // Drops a working connection and connects again (a new port is taken).
    void ForceReconnect();
    void RestartConnectionTimer();
    void SetTheInvAsUnreachable();
    bool isConnected() const { return connectedFlag; }
    void setConnected(bool on) { connectedFlag = on; }
    bool isUnreachable() const { return unreachable; }
    // Reachable for the daily graph: a reply processed within the last 9 ticks.
    bool isReachable() const { return reachable; }
    // Status text of the equipment ("Connecting...", "Ready.", "TIMEOUT",
    // ...), set by the link and by the tile; statusChanged() when it changes.
    QString statusText() const { return status; }
    void setStatus(const QString& text);
    // Refreshes the last-seen time while connected (the tile's 2-second duty).
    void noteSeen();

    // --- The request cycle ---
    querytable::QueryState queryState() const { return queryStatus; }
    querytable::QueryState savedQueryState() const { return savedQueryStatus; }
    // Puts the cycle (and the state resumed after a clock setting) at a state.
    void startCycleAt(querytable::QueryState state);
    // Puts the cycle at a state, leaving the state resumed after a clock setting.
    void setQueryState(querytable::QueryState state) { queryStatus = state; }
    // Takes one reply of the board to the current state's request: `reply`
    // holds its first min(received, ReceiveBufferSize) bytes and `received`
    // counts all of them. Checked for length and exception, then stored and
    // decoded, and the cycle moves on. incomingdata() calls it with what the
    // socket read.
    void takeReply(const char* reply, int received);
    int missedReplies() const { return missed; }
    // Replies received since the link was made: handled (right length, no
    // exception) and not.
    quint64 repliesHandled() const { return handledCount; }
    quint64 repliesFailed() const { return failedCount; }
    // Poll timer period; replies of wrong length raise it by 100 ms up to 1000.
    int pollInterval() const { return interval; }
    // Sets the period and restarts the timer; 0 stops it, so that the cycle is
    // driven by calling SendQuery() (fast runs, tests).
    void setPollInterval(int ms);
    // Saves the state, goes to the clock setting and returns the saved state.
    int SyncWanted();

    // --- Parameters and commands (the parameters dialog) ---
    // Parameter write block, eight words in wire order. The write starts
    // once the board's version has been read, with eight registers from
    // 1.5.0 on, else seven (one by one on the legacy protocol); a Zeta board
    // from 1.5.0 on gets 0xFFFF as its eighth word.
    void SetPwConfig(const unsigned short* wireBlock);
    // Starts the write sequence at the next tick; a send is then pending
    // until it ends (see parameterSendFinished).
    void setSendConfigAsSoonAsPossible(bool on);
    bool sendConfigAsSoonAsPossible() const { return sendConfigAsap; }
    // While the parameters dialog is open the parameters are read after
    // every measures, status, house load or alarm reply, and the dialog is
    // told the write acknowledgements and result codes.
    void setCommandsOpen(bool open) { commandsOpen = open; }
    bool isCommandsOpen() const { return commandsOpen; }
    // The dialog asks for a send: the block (wire order) is written after the
    // next processed reply while the dialog is open.
    void requestParameterSend(const unsigned short* wireBlock);
    // Status code of the last command result read (register 116), -1 when none.
    int lastCommandResult() const { return lastResult; }
    // A write sequence asked for has not ended yet. It ends with the result
    // register read, or is given up: silence (10 ticks without a reply, or
    // 10 s without a reply while the send is pending), a disconnection, an
    // exception reply to one of its steps, or the equipment excluded.
    bool parameterSendPending() const { return sendPending; }
    // How the last sequence ended: a status code, or a parameterblock::Outcome.
    int lastSendOutcome() const { return sendOutcome; }

    // --- The measures window's feed ---
    // Open: after every measures, status, alarm or house load reply the link
    // emits identUpdated() (the first time) and measuresUpdated(). Closing
    // makes the next window receive the identity again.
    void setMeasuresWindowOpen(bool open);

    // --- Decoded values ---
    // Counts the changes of what the tile shows (measures, status word,
    // string box block, type, version, kind, validity): the tile redraws
    // only when it moved, not on every tick.
    quint64 valuesRevision() const { return revision; }
    void StoreVersion(short version);
    void CalcNominalPower();
    short version() const { return firmware; }
    QString versionText() const { return firmwareText; }
    const registerblocks::ProtocolFlags& protocolFlags() const { return flags; }
    double nominalPower() const { return nominal; }
    void setNominalPower(double watts) { nominal = watts; }
    double InstantPower() const;
    // Power as last read for the plant total: 0.0 before the first measures
    // reply and after a disconnection; a silent board keeps its last value.
    double instantPowerForPlant() const { return plantPower; }
    long dailyEnergy() const { return daily; }
    void setDailyEnergy(long tenthsOfKwh) { daily = tenthsOfKwh; }
    // The total energy of the measures block, remembered (setTotalEnergy()
    // overwrites the remembered value until the next call).
    double totalEnergy()
    {
        total = measuresTotal;
        return total;
    }
    void setTotalEnergy(double kwh) { total = kwh; }
    int kvpac() const { return kvpacValue; }
    void setKvpac(int value) { kvpacValue = value; }
    const registerblocks::TypeInfo& typeInfo() const { return type; }
    bool inAlarm() const { return alarm; }
    bool measuresAreValid() const { return measuresValid; }
    bool measuresValidForPlant() const { return plantMeasuresValid; }
    unsigned short statusWord() const;
    bool acceptsCommands() const { return statusWord() & registerblocks::StatusAcceptsCommands; }
    bool vncConnected() const { return vnc; }
    bool selfConsumption() const { return selfConsumptionMeter; }
    unsigned short equipmentState() const;
    registerblocks::AlarmGroups alarmGroups() const;
    // Mini plot of the day's samples (hours, kW), refreshed after a daily values read.
    QVector<double> miniPlotX();
    QVector<double> miniPlotY();

    // Copies of the blocks, each of the block's full size.
    void CopyIdentity(unsigned char* dest64) const;
    void CopyMeasures(unsigned short* dest42) const;
    void CopyHouseLoad(unsigned short* dest3) const;
    void CopyStatus(unsigned short* dest3) const;
    void CopyAlarmWords(unsigned short* dest10) const;
    void CopyParameters(unsigned short* dest8) const;
    void CopyStringBox(unsigned char* dest16) const;
    void CopyTpxA(unsigned short* dest4) const;
    void CopyTpxB(unsigned short* dest75) const;
    void CopyTpxC(unsigned short* dest9) const;
    bool tpxBlockCWasRead() const { return tpxCRead; }

    void SwapBufferBytes(unsigned short* words, int count) const { rec.toHost(words, count); }
    void SwapMeasuresBytes();
    // Hexadecimal dump of a byte area to the link's debug output.
    static void DumpMem(const unsigned char* area, int size);

public slots:
    // The poll timer's tick.
    void SendQuery();
    // The socket's signals.
    void incomingdata();
    void connected();
    void disconnected();
    void SocketError(QAbstractSocket::SocketError error);
    // The 5-minute timer: periodic log synchronisation and hourly clock setting.
    void TheSlowTimer();

signals:
    void statusChanged(const QString& text);
    // A tick of the poll timer begins (every equipment, connected or not):
    // the windows are served and a pending request to abandon the FTP job.
    void tickStarted();
    // A connection attempt starts (the TPX synoptic's values read "---").
    void connecting();
    // Connection events, after the link's own handling.
    void linkConnected();
    void linkDisconnected(); // by the board, while not being deleted
    void linkFailed();       // a socket error, while not being deleted
    // Unreachable after an error or a disconnection: the tile disables its
    // buttons and dashes its values; open windows close.
    void madeUnreachable();
    // Silent for 10 ticks, or excluded: values dashed, windows closed.
    void fellSilent();
    // A tick of an inverter or string box after the values the tile shows
    // changed (valuesRevision()): the tile refreshes them.
    void valuesRefreshDue();
    // Every reply: the state it was judged against, its length, and whether
    // it was handled (right length, no exception).
    void replyReceived(int queryState, int bytes, bool handled);
    void identityRead();
    void versionRead();
    void typeInfoRead();
    void statusWordsRead();
    void alarmWordsRead();
    void tpxBlockARead();
    void tpxBlockBRead();
    void tpxBlockCRead();
    // The measures window's feed (setMeasuresWindowOpen).
    void identUpdated();
    void measuresUpdated();
    // The daily graph's view of the board.
    void reachableChanged(bool reachable);
    // The parameters dialog's feed (setCommandsOpen): the parameter read
    // block in host order, a write acknowledged, a status code.
    void parametersRead(const QVector<quint16>& hostWords);
    void writeAcknowledged();
    void commandStatus(int code);
    // A write sequence ended (see parameterSendPending): a status code of the
    // result table or a parameterblock::Outcome.
    void parameterSendFinished(int outcome);
    // The FTP jobs: a log synchronisation is due (on connecting and every 5
    // minutes), or the running job must close (silence, errors, unreachable);
    // line: the caller's source line, for traces.
    void logSyncDue();
    void ftpJobMustClose(int line);
    // A fatal fault with its code ("invb - ...").
    void fault(const QString& code);

protected:
    void connectNotify(const QMetaMethod& signal) override;
    void disconnectNotify(const QMetaMethod& signal) override;

private:
    querytable::LinkContext LinkContext() const;
    void ReportReply(querytable::QueryState state, int bytes, bool handled);
    querytable::QueryState FirstState() const;
    void setReachable(bool on);
    void SendState(querytable::QueryState state);
    void HandleReply(querytable::QueryState state);
    void WrongLength(int received, int expected);
    void StartParameterWrite();
    void ReportToSetup(int code);
    void ArmParameterSend();
    void FinishParameterSend(int outcome);
    void ShowSilence();
    void DropReconnectTimer();
    void WriteToLog(const QString& message);

    // Read by the plant's supervision for every tile four times a second:
    // kept together, so that a tile costs one or two cache lines.
    bool connectedFlag = false;
    bool excluded = false;
    bool zeta = false;
    bool tpx = false;
    bool stringBox = false;
    bool alarm = false;
    int kvpacValue = 100;
    double plantPower = 0.0;
    double nominal = 0.0;
    long daily = 0;
    double total = 0.0;
    double measuresTotal = 0.0; // the total energy of the measures block as stored

    // Where and what.
    QString addressText;
    int tcpPort = 502;
    QHostAddress hostAddress;
    QString announcedVersion;
    QString storageFolder;
    bool addressedByIp = true;
    bool beingDeleted = false;

    // Connection and cycle.
    LinkSocket* socket = nullptr;
    // Both on the process's shared tick.
    TickTimer pollTimer{[this] { SendQuery(); }};
    TickTimer slowTimer{[this] { TheSlowTimer(); }};
    QTimer* reconnectTimer = nullptr;
    QString status;
    bool unreachable = false;
    bool reachable = false;
    querytable::QueryState queryStatus = querytable::Identity;
    querytable::QueryState savedQueryStatus = querytable::Identity;
    bool firstTick = false;
    int missed = 0;
    int interval = 300;
    bool errorWait = false;
    int errorWaitCount = 0;
    int dots = 0;
    bool dotsUp = true;
    int sampleDivider = 0;
    int dailyValuesPeriod = 1;
    int replyListeners = 0; // receivers of replyReceived(), emitted only when there are some
    quint64 handledCount = 0;
    quint64 failedCount = 0;
    bool awaitingReply = false; // a request was sent and no reply has come yet
    int ticksAwaitingReply = 0;
    qint64 lastSeenMs = 0; // 0: not seen since the program started

    // Parameters and commands.
    int parameterIndex = 0;
    bool sendConfigAsap = false;
    bool commandsOpen = false;
    bool setupWantsToSend = false;
    int lastResult = -1;
    bool sendPending = false;
    bool versionKnown = false; // read since the link last (re)connected
    unsigned short pendingBlock[registerblocks::ParameterWords] = {};
    int sendOutcome = -1;
    QElapsedTimer sendSilence; // since the send was asked for or its last reply

    // Measures window feed.
    bool measuresWindowOpen = false;
    bool identSentToMeasures = false;

    // Blocks and decoded values.
    quint64 revision = 0;
    quint64 announcedRevision = ~quint64(0); // revision of the last valuesRefreshDue()
    registerblocks::ProtocolFlags flags;
    short firmware = 0;
    QString firmwareText;
    bool vnc = false;
    bool selfConsumptionMeter = false;
    bool measuresValid = false;
    bool plantMeasuresValid = false;
    bool miniPlotFresh = false;
    bool tpxCRead = false;
    registerblocks::TypeInfo type;
    QVector<double> plotX, plotY;
    EquipmentRecords rec;
};
