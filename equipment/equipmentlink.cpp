#include "equipmentlink.h"

#include "invlog.h"
#include "logging.h"
#include "modbusframes.h"
#include "parameterblock.h"
#include "tiletexts.h"

#include "linksocket.h"

#include <QMetaMethod>
#include <QMutexLocker>
#include <QTimer>

#include <cerrno>
#include <cstring>

using namespace querytable;
using registerblocks::measuresMutex;

namespace {
// Shared by every link of the process: counts slow-timer ticks (5 minutes)
// up to the hourly clock setting.
int clockCounter = 1;
constexpr int ClockEveryTicks = 12;
constexpr int SilentAfterTicks = 9;
constexpr int MaxMissed = 10;
constexpr int MaxPollInterval = 1000;
constexpr int PollIntervalStep = 100;
constexpr int SlowTimerMs = 300000;
constexpr int ReconnectMs = 3000;
// An unanswered request is sent again only every this many ticks.
constexpr int ResendAfterTicks = 3;
// A parameter send without any reply for this long is given up.
constexpr int SendGiveUpMs = 10000;

// The steps of the parameter write sequence.
bool isWriteSequence(QueryState s)
{
    return s == ParametersWrite || s == ParameterWriteOne || s == CommandApply || s == CommandResult;
}

QString faultCode(int location, int error)
{
    return QString("invb - %1 (%2)").arg(location).arg(error);
}

// A whole block copied out, or copied under the measures mutex.
template <typename T, std::size_t N> void copyBlock(T* dest, const T (&block)[N])
{
    std::memcpy(dest, block, sizeof block);
}
template <typename T, std::size_t N> void copyLocked(T* dest, const T (&block)[N])
{
    QMutexLocker lock(&measuresMutex());
    copyBlock(dest, block);
}
} // namespace

EquipmentLink::EquipmentLink(QObject* parent) : QObject(parent)
{
    for (unsigned short& max : type.probeMax)
        max = 100;
    pollTimer.start(interval);
    slowTimer.start(SlowTimerMs);
}

EquipmentLink::~EquipmentLink()
{
    beingDeleted = true;
    if (socket) {
        disconnect(socket, nullptr, this, nullptr);
        socket->setReadHandler(nullptr);
    }
}

void EquipmentLink::setTarget(const QString& address, int port)
{
    addressText = address;
    tcpPort = port;
    unreachable = false;
}

void EquipmentLink::setPort(int port)
{
    tcpPort = port;
}

QueryState EquipmentLink::FirstState() const
{
    return tpx ? TpxBlockA : (stringBox ? StringBoxBlock : Identity);
}

void EquipmentLink::startCycleAt(QueryState state)
{
    queryStatus = state;
    savedQueryStatus = state;
}

querytable::LinkContext EquipmentLink::LinkContext() const
{
    querytable::LinkContext ctx;
    ctx.zeta = zeta;
    ctx.stringBox = stringBox;
    ctx.flags = flags;
    ctx.version = firmware;
    ctx.nominalPower = nominal;
    ctx.statusWord = rec.statusWord();
    ctx.parameterIndex = parameterIndex;
    ctx.savedState = savedQueryStatus;
    ctx.parameterWrite = rec.parameterWrite;
    // The clock is read only for the time sync frame (reading it costs a
    // time zone lookup, and the context is built several times per reply).
    return ctx;
}

void EquipmentLink::setStatus(const QString& text)
{
    if (beingDeleted || text == status)
        return;
    status = text;
    emit statusChanged(text);
}

void EquipmentLink::setReachable(bool on)
{
    if (reachable == on)
        return;
    reachable = on;
    emit reachableChanged(on);
}

void EquipmentLink::noteSeen()
{
    if (!connectedFlag)
        return;
    // The clock in milliseconds: turning it into local time costs a time
    // zone lookup, done only when the text is shown.
    lastSeenMs = QDateTime::currentMSecsSinceEpoch();
}

// --- Connection ---

void EquipmentLink::OpenSocket()
{
    if (!socket) {
        socket = new LinkSocket(this);
        // Without a chosen interface the system picks the local address.
        if (!hostAddress.isNull() && !socket->bind(hostAddress)) {
            const int error = errno;
            qCDebug(lcLink, "BIND FAIL!!!");
            emit fault(faultCode(4241, error ? error : -1));
        }
        connect(socket, &LinkSocket::connected, this, &EquipmentLink::connected);
        connect(socket, &LinkSocket::disconnected, this, &EquipmentLink::disconnected);
        socket->setReadHandler([this] { incomingdata(); });
        connect(socket, &LinkSocket::errorOccurred, this, &EquipmentLink::SocketError);
    }
    if (beingDeleted)
        return;
    socket->connectToHost(addressText, static_cast<quint16>(tcpPort));
    setStatus("Connecting...");
    emit connecting();
}

void EquipmentLink::DestroySocket()
{
    if (!socket)
        return;
    // Signals go first, so that closing does not run the disconnection path.
    disconnect(socket, nullptr, this, nullptr);
    socket->setReadHandler(nullptr);
    socket->close();
    socket->deleteLater();
    socket = nullptr;
}

void EquipmentLink::WriteToSocket(const unsigned char* data, int size)
{
    if (!socket) {
        emit fault("invb - 2443");
        return;
    }
    if (socket->state() != QAbstractSocket::ConnectedState) {
        connectedFlag = false;
        return;
    }
    if (!excluded && socket->write(reinterpret_cast<const char*>(data), size) == size) {
        awaitingReply = true;
        ticksAwaitingReply = 0;
    }
}

void EquipmentLink::connected()
{
    awaitingReply = false;
    connectedFlag = true;
    DropReconnectTimer();
    firstTick = true;
    setStatus("Ready.");
    missed = 0;
    emit linkConnected();
    if (!stringBox)
        emit logSyncDue();
}

void EquipmentLink::disconnected()
{
    rec.clearLinkBlocks();
    measuresTotal = 0.0;
    ++revision;
    plantMeasuresValid = false;
    plantPower = 0.0;
    setReachable(false);
    DropReconnectTimer();
    if (beingDeleted)
        return;
    setStatus("Disconnected.");
    emit linkDisconnected();
    RestartConnectionTimer();
}

void EquipmentLink::SocketError(QAbstractSocket::SocketError error)
{
    if (socket) {
        qCDebug(lcLink, "ERROR = %d", static_cast<int>(error));
        qCDebug(lcLink) << "Socket Error: " << socket->errorString();
    }
    connectedFlag = false;
    measuresValid = false;
    plantMeasuresValid = false;
    ++revision;
    setReachable(false);
    if (!beingDeleted) {
        if (error == QAbstractSocket::ConnectionRefusedError) {
            setStatus("Starting...");
            errorWaitCount = 10;
        } else {
            setStatus(lastSeenMs ? TileTexts::lastSeenText(QDateTime::fromMSecsSinceEpoch(lastSeenMs))
                                 : QString("Equipment disconnected or faulty connection."));
            errorWaitCount = 20;
        }
        errorWait = true;
        RestartConnectionTimer();
        emit linkFailed();
    }
    emit ftpJobMustClose(__LINE__);
}

void EquipmentLink::RestartConnectionTimer()
{
    SetTheInvAsUnreachable();
    DropReconnectTimer();
    reconnectTimer = new QTimer(this);
    reconnectTimer->setSingleShot(true);
    connect(reconnectTimer, &QTimer::timeout, this, &EquipmentLink::TryReconnect);
    reconnectTimer->start(ReconnectMs);
}

// The timer may be the one whose timeout is running: it is stopped now and
// deleted once control is back in the event loop.
void EquipmentLink::DropReconnectTimer()
{
    if (!reconnectTimer)
        return;
    reconnectTimer->stop();
    reconnectTimer->deleteLater();
    reconnectTimer = nullptr;
}

void EquipmentLink::SetTheInvAsUnreachable()
{
    measuresValid = false;
    ++revision;
    plantPower = 0.0;
    queryStatus = FirstState();
    unreachable = true;
    connectedFlag = false;
    versionKnown = false; // read again on connecting: it may be another board
    if (sendPending)
        FinishParameterSend(parameterblock::NoAnswer);
    emit madeUnreachable();
    commandsOpen = false; // the tile has closed the parameters dialog
    emit ftpJobMustClose(__LINE__);
}

void EquipmentLink::TryReconnect()
{
    if (connectedFlag) {
        WriteToLog("Try reconnect WHEN Connected.");
        return;
    }
    DestroySocket();
    OpenSocket();
}

void EquipmentLink::ForceReconnect()
{
    // A working connection is dropped first: reconnecting only when the
    // link is down would keep it on the old port until the next failure.
    if (connectedFlag)
        SetTheInvAsUnreachable();
    DropReconnectTimer();
    DestroySocket();
    OpenSocket();
}

void EquipmentLink::WriteToLog(const QString& message)
{
    qCDebug(lcLink, "%s: %s [%s]", "WriteToLog", qPrintable(message), qPrintable(addressText));
    InvLog::write(storageFolder, addressText, message);
}

// --- The request cycle ---

void EquipmentLink::setPollInterval(int ms)
{
    if (ms <= 0) {
        pollTimer.stop();
        return;
    }
    interval = ms;
    pollTimer.start(interval);
}

void EquipmentLink::SendState(QueryState state)
{
    // One request is outstanding at a time. A reply that is only late must
    // not meet a second copy of its request: the two would be read as one
    // reply of wrong length, or the late one judged against the next state
    // (status and house load replies have the same length). A board that
    // stays silent still gets the request again every few ticks.
    if (awaitingReply && ++ticksAwaitingReply < ResendAfterTicks)
        return;
    querytable::LinkContext ctx = LinkContext();
    if (state == TimeSync)
        ctx.now = QDateTime::currentDateTime();
    const QByteArray frame = request(state, ctx);
    if (!frame.isEmpty())
        WriteToSocket(reinterpret_cast<const unsigned char*>(frame.constData()), frame.size());
}

void EquipmentLink::SendQuery()
{
    if (sendPending && sendSilence.hasExpired(SendGiveUpMs))
        FinishParameterSend(parameterblock::NoAnswer);
    emit tickStarted();
    ++missed;
    if (dotsUp && ++dots >= 6)
        dotsUp = false;
    else if (!dotsUp && --dots <= 0)
        dotsUp = true;
    if (missed > MaxMissed)
        missed = MaxMissed;
    setReachable(missed <= SilentAfterTicks);

    if (!connectedFlag) {
        if (errorWait) {
            if (--errorWaitCount <= 0)
                errorWait = false;
            return;
        }
        setStatus("Connecting" + QString(dots, '.'));
        return;
    }

    if (firstTick) {
        firstTick = false;
        queryStatus = FirstState();
    }
    if (++sampleDivider >= 5) {
        sampleDivider = 0;
        if (++dailyValuesPeriod >= 121) {
            dailyValuesPeriod = 1;
            if (!stringBox && !tpx && !flags.legacy)
                queryStatus = DailyValues;
        }
    }

    if (tpx) {
        if (queryStatus == TpxBlockA || queryStatus == TpxBlockB || queryStatus == TpxBlockC)
            SendState(queryStatus);
        else
            qCDebug(lcLink, "DEF CASE: %d", queryStatus);
        return;
    }
    if (revision != announcedRevision) {
        announcedRevision = revision;
        emit valuesRefreshDue();
    }
    if (stringBox) {
        if (queryStatus == UpdateAvailable || queryStatus == StringBoxBlock)
            SendState(queryStatus);
        return;
    }

    // The write waits for the board's version: it decides the frames.
    if (sendConfigAsap && versionKnown) {
        sendConfigAsap = false;
        StartParameterWrite();
    }
    if (queryStatus == ParameterWriteOne)
        ReportToSetup(3);
    else if (queryStatus == ParametersWrite)
        ReportToSetup(0);
    else if (queryStatus == TypeBlock) {
        const int registers = typeBlockRegisters(LinkContext());
        if (!zeta) {
            qCDebug(lcLink, "Sending theVal %d...", registers);
        } else {
            qCDebug(lcLink, "ZETA: Sending theVal %d...", registers);
            qCDebug(lcLink, "%s", qPrintable(announcedVersion));
            qCDebug(lcLink, flags.legacy ? "ZETA: OLD MODBUS" : "ZETA: NEW MODBUS");
        }
    }
    SendState(queryStatus);

    if (missed > SilentAfterTicks) {
        missed = MaxMissed;
        if (excluded) {
            setStatus("EXCLUDED");
        } else if (!beingDeleted) {
            setStatus("TIMEOUT");
            emit ftpJobMustClose(__LINE__);
        }
        ShowSilence();
    } else if (excluded) {
        setStatus("EXCLUDED");
        ShowSilence();
    }
}

void EquipmentLink::ShowSilence()
{
    if (measuresValid)
        ++revision;
    measuresValid = false;
    if (sendPending)
        FinishParameterSend(parameterblock::NoAnswer);
    emit fellSilent();
    commandsOpen = false; // the tile has closed the parameters dialog
    queryStatus = Identity;
}

void EquipmentLink::StartParameterWrite()
{
    parameterblock::writeBlock(pendingBlock, zeta, flags.longParameters, rec.parameterWrite);
    if (flags.legacy) {
        queryStatus = ParameterWriteOne;
        parameterIndex = 0;
    } else {
        queryStatus = ParametersWrite;
    }
}

void EquipmentLink::ReportToSetup(int code)
{
    if (commandsOpen)
        emit commandStatus(code);
}

void EquipmentLink::ArmParameterSend()
{
    sendPending = true;
    sendSilence.restart();
}

// The sequence ends here, whatever ended it: nothing of it is sent any more,
// and a block that could not be sent is not sent later either.
void EquipmentLink::FinishParameterSend(int outcome)
{
    sendPending = false;
    sendOutcome = outcome;
    sendConfigAsap = false;
    setupWantsToSend = false;
    if (isWriteSequence(queryStatus))
        queryStatus = Measures;
    if (outcome == parameterblock::NoAnswer || outcome == parameterblock::ModbusError)
        ReportToSetup(parameterblock::Error);
    emit parameterSendFinished(outcome);
}

void EquipmentLink::TheSlowTimer()
{
    if (stringBox)
        return;
    if (connectedFlag)
        emit logSyncDue();
    if (!addressedByIp)
        return;
    if (++clockCounter > ClockEveryTicks) {
        savedQueryStatus = queryStatus;
        if (!tpx)
            queryStatus = TimeSync;
        clockCounter = 1;
    }
}

int EquipmentLink::SyncWanted()
{
    savedQueryStatus = queryStatus;
    queryStatus = TimeSync;
    return savedQueryStatus;
}

// --- Replies ---

void EquipmentLink::incomingdata()
{
    if (!socket)
        return;
    char reply[registerblocks::ReceiveBufferSize];
    const int received = socket->read(reply, sizeof reply);
    takeReply(reply, received);
}

void EquipmentLink::takeReply(const char* reply, int received)
{
    awaitingReply = false;
    rec.receive(reply, received);
    const QueryState state = queryStatus;
    const int expected = expectedLength(state, LinkContext());
    if (received != expected) {
        WrongLength(received, expected);
        ReportReply(state, received, false);
        return;
    }
    if (modbusframes::isExceptionReply(rec.receiveBuffer())) {
        qCDebug(lcLink, "MODBUS ERROR FROM %s", qPrintable(addressText));
        WriteToLog("Error MODBUS TCP!");
        // A board that refuses a step of the parameter write would be asked
        // the same again at every tick: the send is given up instead.
        if (sendPending && isWriteSequence(state))
            FinishParameterSend(parameterblock::ModbusError);
        ReportReply(state, received, false);
        return;
    }
    HandleReply(state);
    ReportReply(state, received, true);
}

// Every reply reaches here: emitting a signal costs even without receivers,
// so the signal is emitted only while something is connected to it.
void EquipmentLink::ReportReply(QueryState state, int bytes, bool handled)
{
    ++(handled ? handledCount : failedCount);
    if (replyListeners > 0)
        emit replyReceived(state, bytes, handled);
}

void EquipmentLink::connectNotify(const QMetaMethod& signal)
{
    if (signal == QMetaMethod::fromSignal(&EquipmentLink::replyReceived))
        ++replyListeners;
}

// Called with Qt's connection lock held (a receiver being destroyed): only
// counts. When everything is disconnected at once the signal is invalid and
// the count is kept: the signal may then be emitted for nobody, never missed.
void EquipmentLink::disconnectNotify(const QMetaMethod& signal)
{
    if (signal == QMetaMethod::fromSignal(&EquipmentLink::replyReceived) && replyListeners > 0)
        --replyListeners;
}

void EquipmentLink::WrongLength(int received, int expected)
{
    const QString read =
        QString::asprintf("READ %d bytes (expected %d) - STATUS = %d", received, expected, queryStatus);
    qCDebug(lcLink, "ERROR theSize (%d, %d) theQueryStatus = %d [%s]", expected, received, queryStatus,
            qPrintable(addressText));
    const bool running = pollTimer.isActive();
    pollTimer.stop();
    interval = qMin(interval + PollIntervalStep, MaxPollInterval);
    pollTimer.setInterval(interval);
    if (running)
        pollTimer.start();
    qCDebug(lcLink, "%s: %s [%s]", "incomingdata", qPrintable(read), qPrintable(addressText));
    DumpMem(rec.receiveBuffer(), qMin(received, registerblocks::ReceiveBufferSize));
}

void EquipmentLink::HandleReply(QueryState state)
{
    switch (state) {
    case Identity:
        setStatus("");
        rec.storeIdentity();
        CalcNominalPower();
        ++revision;
        emit identityRead();
        break;
    case Version:
        StoreVersion(rec.storeVersion());
        break;
    case TypeBlock: {
        qCDebug(lcLink, "QUERY_INVTYP for %s", qPrintable(addressText));
        DumpMem(rec.receiveBuffer(), 142);
        const int registers = typeBlockRegisters(LinkContext());
        rec.storeTypeBlock(registers);
        type = registerblocks::decodeTypeBlock(rec.typeBlock, registers);
        kvpacValue = type.kvpac;
        ++revision;
        emit typeInfoRead();
        break;
    }
    case DailyValues:
        rec.storeDailyValues();
        miniPlotFresh = true;
        break;
    case Measures: {
        QMutexLocker lock(&measuresMutex());
        rec.storeMeasures(firmware);
        daily = registerblocks::dailyEnergy(rec.measures);
        measuresTotal = registerblocks::totalEnergy(rec.measures);
        plantPower = registerblocks::instantPower(rec.measures);
        alarm = registerblocks::stateIsAlarm(rec.state());
        measuresValid = true;
        plantMeasuresValid = true;
        ++revision;
        break;
    }
    case HouseLoad: {
        QMutexLocker lock(&measuresMutex());
        rec.storeHouseLoad();
        break;
    }
    case Status: {
        const unsigned short before = rec.statusWord();
        {
            QMutexLocker lock(&measuresMutex());
            rec.storeStatus();
        }
        if (rec.statusWord() != before)
            ++revision;
        vnc = (rec.statusWord() & registerblocks::StatusVncConnected) != 0;
        selfConsumptionMeter = (rec.statusWord() & registerblocks::StatusSelfConsumption) != 0;
        emit statusWordsRead();
        break;
    }
    case AlarmWordsRead:
        rec.storeAlarmWords();
        emit alarmWordsRead();
        break;
    case ParametersRead: {
        QVector<quint16> host(registerblocks::ParameterWords);
        {
            QMutexLocker lock(&measuresMutex());
            rec.storeParameters(parameterRegisters(LinkContext()));
            std::memcpy(host.data(), rec.parameterRead, sizeof rec.parameterRead);
        }
        rec.toHost(host.data(), host.size());
        if (commandsOpen)
            emit parametersRead(host);
        break;
    }
    case ParametersWrite:
    case ParameterWriteOne:
        sendSilence.restart();
        if (commandsOpen)
            emit writeAcknowledged();
        break;
    case CommandApply:
        sendSilence.restart();
        break;
    case CommandResult:
        lastResult = registerblocks::resultCodeFromWord(rec.storeCommandResult());
        if (lastResult >= 0)
            ReportToSetup(lastResult);
        FinishParameterSend(lastResult >= 0 ? lastResult : int(parameterblock::UnknownResult));
        break;
    case TpxBlockA:
        rec.storeTpxA();
        for (int i = 0; i < registerblocks::TpxAWords; ++i)
            qCDebug(lcLink, "TPX_A[%d] = %04X", i, rec.tpxA[i]);
        emit tpxBlockARead();
        break;
    case TpxBlockB:
        rec.storeTpxB();
        emit tpxBlockBRead();
        break;
    case TpxBlockC:
        rec.storeTpxC();
        tpxCRead = true;
        DumpMem(reinterpret_cast<const unsigned char*>(rec.tpxC), sizeof rec.tpxC);
        emit tpxBlockCRead();
        break;
    case StringBoxBlock:
        rec.storeStringBox();
        ++revision;
        break;
    default: // the other writes: acknowledged by their reply
        break;
    }

    queryStatus = nextState(state, LinkContext());
    if (state == ParameterWriteOne)
        ++parameterIndex;

    if (state == Measures || state == Status || state == AlarmWordsRead || state == HouseLoad) {
        if (measuresWindowOpen) {
            if (!identSentToMeasures) {
                identSentToMeasures = true;
                emit identUpdated();
            }
            emit measuresUpdated();
        }
        if (commandsOpen)
            queryStatus = ParametersRead;
    }
    missed = 0;
    if (commandsOpen && setupWantsToSend && versionKnown) {
        setupWantsToSend = false;
        StartParameterWrite();
    }
}

void EquipmentLink::setMeasuresWindowOpen(bool open)
{
    measuresWindowOpen = open;
    if (!open)
        identSentToMeasures = false;
}

// --- Parameters ---

void EquipmentLink::SetPwConfig(const unsigned short* block)
{
    // Kept whole: how many words go out, and the Zeta's eighth, are decided
    // when the write starts, once the board's version is known.
    std::memcpy(pendingBlock, block, sizeof pendingBlock);
}

void EquipmentLink::setSendConfigAsSoonAsPossible(bool on)
{
    sendConfigAsap = on;
    if (on)
        ArmParameterSend();
    else if (sendPending && !isWriteSequence(queryStatus) && !setupWantsToSend)
        sendPending = false; // withdrawn before it started
}

void EquipmentLink::requestParameterSend(const unsigned short* wireBlock)
{
    SetPwConfig(wireBlock);
    setupWantsToSend = true;
    ArmParameterSend();
}

// --- Decoded values ---

void EquipmentLink::StoreVersion(short v)
{
    flags.applyVersion(v);
    firmware = v;
    versionKnown = true;
    firmwareText = registerblocks::versionText(v);
    ++revision;
    emit versionRead();
}

void EquipmentLink::CalcNominalPower()
{
    nominal = registerblocks::nominalPowerFromIdentity(rec.identity);
}

double EquipmentLink::InstantPower() const
{
    QMutexLocker lock(&measuresMutex());
    return registerblocks::instantPower(rec.measures);
}

unsigned short EquipmentLink::statusWord() const
{
    QMutexLocker lock(&measuresMutex());
    return rec.statusWord();
}

unsigned short EquipmentLink::equipmentState() const
{
    QMutexLocker lock(&measuresMutex());
    return rec.state();
}

registerblocks::AlarmGroups EquipmentLink::alarmGroups() const
{
    return registerblocks::alarmGroups(rec.alarmWords);
}

QVector<double> EquipmentLink::miniPlotX()
{
    if (miniPlotFresh) {
        const QVector<quint16> samples(rec.dailyValues, rec.dailyValues + registerblocks::DailyValuesWords);
        TileTexts::miniPlot(samples, zeta, &plotX, &plotY);
        miniPlotFresh = false;
    }
    return plotX;
}

QVector<double> EquipmentLink::miniPlotY()
{
    miniPlotX();
    return plotY;
}

void EquipmentLink::SwapMeasuresBytes()
{
    SwapBufferBytes(rec.measures, registerblocks::measuresStoredWords(firmware));
    measuresTotal = registerblocks::totalEnergy(rec.measures);
}

void EquipmentLink::DumpMem(const unsigned char* area, int size)
{
    if (!lcLink().isDebugEnabled())
        return;
    QString text = registerblocks::dumpText(area, size);
    text.chop(1); // the debug output ends the line itself
    qCDebug(lcLink, "%s", qPrintable(text));
}

void EquipmentLink::CopyIdentity(unsigned char* dest) const
{
    copyBlock(dest, rec.identity);
}
void EquipmentLink::CopyMeasures(unsigned short* dest) const
{
    copyLocked(dest, rec.measures);
}
void EquipmentLink::CopyHouseLoad(unsigned short* dest) const
{
    copyLocked(dest, rec.houseLoad);
}
void EquipmentLink::CopyStatus(unsigned short* dest) const
{
    copyLocked(dest, rec.status);
}
void EquipmentLink::CopyAlarmWords(unsigned short* dest) const
{
    copyBlock(dest, rec.alarmWords);
}
void EquipmentLink::CopyParameters(unsigned short* dest) const
{
    copyLocked(dest, rec.parameterRead);
}
void EquipmentLink::CopyStringBox(unsigned char* dest) const
{
    copyBlock(dest, rec.stringBox);
}
void EquipmentLink::CopyTpxA(unsigned short* dest) const
{
    copyBlock(dest, rec.tpxA);
}
void EquipmentLink::CopyTpxB(unsigned short* dest) const
{
    copyBlock(dest, rec.tpxB);
}
void EquipmentLink::CopyTpxC(unsigned short* dest) const
{
    copyBlock(dest, rec.tpxC);
}
