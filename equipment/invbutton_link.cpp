// The tile's Modbus TCP request cycle: one request per tick of the poll
// timer, at most one outstanding, the next chosen by the reply.
#include "invbutton.h"
#include "logging.h"

#include "dialogfault.h"
#include "modbusframes.h"
#include "tiletexts.h"

#include <QLabel>
#include <QMutexLocker>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>

using namespace querytable;
using registerblocks::measuresMutex;

namespace {
// Shared by every tile of the process: counts slow-timer ticks (5 minutes)
// up to the hourly clock setting.
int clockCounter = 1;
constexpr int ClockEveryTicks = 12;
constexpr int SilentAfterTicks = 9;
constexpr int MaxPollInterval = 1000;
} // namespace

querytable::LinkContext InvButton::LinkContext() const
{
    querytable::LinkContext ctx;
    ctx.zeta = isZeta;
    ctx.stringBox = isStringBox;
    ctx.flags = flags;
    ctx.version = version;
    ctx.nominalPower = nominalPower;
    ctx.statusWord = rec.statusWord();
    ctx.parameterIndex = parameterIndex;
    ctx.savedState = savedQueryStatus;
    ctx.parameterWrite = rec.parameterWrite;
    // The clock is read only for the time sync frame (reading it costs a
    // time zone lookup, and the context is built several times per reply).
    return ctx;
}

void InvButton::OpenSocket()
{
    if (!socket) {
        socket = new QTcpSocket(this);
        // Without a chosen interface the system picks the local address.
        if (!hostAddress.isNull() && !socket->bind(hostAddress, 0)) {
            qCDebug(lcLink, "BIND FAIL!!!");
            ShowFault(DialogFault::FormatCode("invb - ", 4241, errno ? errno : -1));
        }
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::connected, this, &InvButton::connected);
        connect(socket, &QTcpSocket::disconnected, this, &InvButton::disconnected);
        connect(socket, &QTcpSocket::readyRead, this, &InvButton::incomingdata);
        connect(socket, &QTcpSocket::errorOccurred, this, &InvButton::SocketError);
    }
    if (beingDeleted)
        return;
    socket->connectToHost(addressText, static_cast<quint16>(tcpPort), QIODevice::ReadWrite,
                          QAbstractSocket::AnyIPProtocol);
    setTheStatus("Connecting...");
    statusLabel->show();
}

void InvButton::DestroySocket()
{
    if (!socket)
        return;
    // Signals go first, so that closing does not run the disconnection path.
    disconnect(socket, nullptr, this, nullptr);
    socket->flush();
    socket->close();
    socket->deleteLater();
    socket = nullptr;
}

void InvButton::WriteToSocket(unsigned char* data, int size)
{
    if (!socket) {
        ShowFault("invb - 2443");
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

void InvButton::SendState(int state)
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
    QByteArray frame = request(state, ctx);
    if (!frame.isEmpty())
        WriteToSocket(reinterpret_cast<unsigned char*>(frame.data()), frame.size());
}

void InvButton::SendQuery()
{
    if (tpxMeasuresWindow && tpxMeasuresWindow->isHidden())
        tpxMeasuresWindow->deleteLater();

    ++missedReplies;
    if (dotsUp && ++dots >= 6)
        dotsUp = false;
    else if (!dotsUp && --dots <= 0)
        dotsUp = true;
    if (missedReplies > 10)
        missedReplies = 10;

    if (!connectedFlag) {
        if (errorWait) {
            if (--errorWaitCount <= 0)
                errorWait = false;
            return;
        }
        setTheStatus("Connecting" + QString(dots, '.'));
        return;
    }

    if (firstTick) {
        firstTick = false;
        queryStatus = isTpx ? TpxBlockA : (isStringBox ? StringBoxBlock : Identity);
    }
    if (++sampleDivider >= 5) {
        sampleDivider = 0;
        if (++dailyValuesPeriod >= 121) {
            dailyValuesPeriod = 1;
            if (!isStringBox && !isTpx && !flags.legacy)
                queryStatus = DailyValues;
        }
    }

    if (isTpx) {
        if (queryStatus == TpxBlockA || queryStatus == TpxBlockB || queryStatus == TpxBlockC)
            SendState(queryStatus);
        else
            qCDebug(lcLink, "DEF CASE: %d", queryStatus);
        return;
    }
    if (isStringBox) {
        UpdateValues();
        if (queryStatus == UpdateAvailable || queryStatus == StringBoxBlock)
            SendState(queryStatus);
        return;
    }

    UpdateValues();
    if (sendConfigAsap) {
        sendConfigAsap = false;
        StartParameterWrite();
    }
    if (queryStatus == ParameterWriteOne)
        ReportToSetup(3);
    else if (queryStatus == ParametersWrite)
        ReportToSetup(0);
    else if (queryStatus == TypeBlock) {
        const int registers = typeBlockRegisters(LinkContext());
        if (!isZeta) {
            qCDebug(lcLink, "Sending theVal %d...", registers);
        } else {
            qCDebug(lcLink, "ZETA: Sending theVal %d...", registers);
            qCDebug(lcLink, "%s", qPrintable(versionText));
            qCDebug(lcLink, flags.legacy ? "ZETA: OLD MODBUS" : "ZETA: NEW MODBUS");
        }
    }
    SendState(queryStatus);

    if (missedReplies > SilentAfterTicks) {
        missedReplies = 10;
        if (!beingDeleted) {
            if (excluded) {
                setTheStatus("EXCLUDED");
            } else {
                setTheStatus("TIMEOUT");
                CloseFtp(__LINE__);
            }
            statusLabel->show();
        }
        ShowSilence();
    } else if (excluded) {
        if (!beingDeleted) {
            setTheStatus("EXCLUDED");
            statusLabel->show();
        }
        ShowSilence();
    }
    // Otherwise the daily graph window is told that the equipment answers.
}

void InvButton::ShowSilence()
{
    if (!beingDeleted) {
        powerLabel->setText("P = ----");
        energyLabel->setText("E = ----");
        InvTemp->setText("----");
    }
    measuresValid = false;
    CloseChildWindows();
    queryStatus = Identity;
}

void InvButton::StartParameterWrite()
{
    if (flags.legacy) {
        queryStatus = ParameterWriteOne;
        parameterIndex = 0;
    } else {
        queryStatus = ParametersWrite;
    }
}

void InvButton::incomingdata()
{
    if (!socket)
        return;
    const QByteArray reply = socket->readAll();
    awaitingReply = false;
    const int received = reply.size();
    rec.receive(reply.constData(), received);
    const int state = queryStatus;
    const int expected = expectedLength(state, LinkContext());
    if (received != expected) {
        WrongLength(received, expected);
        emit ReplyReceived(state, received, false);
        return;
    }
    if (modbusframes::isExceptionReply(rec.receiveBuffer())) {
        qCDebug(lcLink, "MODBUS ERROR FROM %s", qPrintable(addressText));
        WriteToLog("Error MODBUS TCP!");
        emit ReplyReceived(state, received, false);
        return;
    }
    HandleReply(state);
    emit ReplyReceived(state, received, true);
}

void InvButton::WrongLength(int received, int expected)
{
    const QString read =
        QString::asprintf("READ %d bytes (expected %d) - STATUS = %d", received, expected, queryStatus);
    qCDebug(lcLink, "ERROR theSize (%d, %d) theQueryStatus = %d [%s]", expected, received, queryStatus,
            qPrintable(addressText));
    const bool running = pollTimer->isActive();
    pollTimer->stop();
    pollInterval = qMin(pollInterval + 100, MaxPollInterval);
    pollTimer->setInterval(pollInterval);
    if (running)
        pollTimer->start();
    qCDebug(lcLink, "%s: %s [%s]", "incomingdata", qPrintable(read), qPrintable(addressText));
    DumpMem(const_cast<unsigned char*>(rec.receiveBuffer()),
            qMin(received, registerblocks::ReceiveBufferSize));
}

void InvButton::HandleReply(int state)
{
    switch (state) {
    case Identity:
        setTheStatus("");
        rec.storeIdentity();
        CalcNominalPower();
        if (!isZeta)
            SetIcon(TileTexts::iconForNominal(nominalPower, false));
        break;
    case Version:
        StoreVersion(rec.storeVersion());
        break;
    case TypeBlock: {
        qCDebug(lcLink, "QUERY_INVTYP for %s", qPrintable(addressText));
        DumpMem(const_cast<unsigned char*>(rec.receiveBuffer()), 142);
        const int registers = typeBlockRegisters(LinkContext());
        rec.storeTypeBlock(registers);
        const registerblocks::TypeInfo t = registerblocks::decodeTypeBlock(rec.typeBlock, registers);
        typeCode = t.typeCode;
        easy = t.easy;
        alternativeImage = t.alternativeImage;
        probeMask = t.probeMask;
        for (int p = 0; p < 4; ++p) {
            probeNames[p] = t.probeNames[p];
            probeUnits[p] = t.probeUnits[p];
            probeMax[p] = t.probeMax[p];
        }
        kvpac = t.kvpac;
        if (!beingDeleted)
            Nominal->setText(TileTexts::nominalLabel(isZeta, easy, nominalPower));
        if (alternativeImage && !alternativeImageDone) {
            alternativeImageDone = true;
            SetIcon(TileTexts::iconForNominal(nominalPower, true));
        }
        break;
    }
    case DailyValues:
        rec.storeDailyValues();
        miniPlotFresh = true;
        break;
    case Measures: {
        QMutexLocker lock(&measuresMutex());
        rec.storeMeasures(version);
        dailyEnergy = registerblocks::dailyEnergy(rec.measures);
        measuresValid = true;
        measuresValidForPlant = true;
        break;
    }
    case HouseLoad:
        rec.storeHouseLoad();
        break;
    case Status: {
        {
            QMutexLocker lock(&measuresMutex());
            rec.storeStatus();
        }
        vnc = (rec.statusWord() & registerblocks::StatusVncConnected) != 0;
        selfConsumption = (rec.statusWord() & registerblocks::StatusSelfConsumption) != 0;
        break;
    }
    case AlarmWordsRead:
        rec.storeAlarmWords(); // the alarm window takes them from here
        break;
    case ParametersRead: {
        QMutexLocker lock(&measuresMutex());
        rec.storeParameters(parameterRegisters(LinkContext()));
        break;
    }
    case CommandResult:
        lastCommandResult = registerblocks::resultCodeFromWord(rec.storeCommandResult());
        if (lastCommandResult >= 0)
            ReportToSetup(lastCommandResult);
        break;
    case TpxBlockA:
        rec.storeTpxA();
        for (int i = 0; i < registerblocks::TpxAWords; ++i)
            qCDebug(lcLink, "TPX_A[%d] = %04X", i, rec.tpxA[i]);
        break;
    case TpxBlockB:
        rec.storeTpxB();
        break;
    case TpxBlockC:
        rec.storeTpxC();
        tpxBlockCRead = true;
        DumpMem(reinterpret_cast<unsigned char*>(rec.tpxC), sizeof rec.tpxC);
        break;
    case StringBoxBlock:
        rec.storeStringBox();
        break;
    default: // writes: acknowledged by their reply
        break;
    }

    const querytable::LinkContext ctx = LinkContext();
    queryStatus = nextState(state, ctx);
    if (state == ParameterWriteOne)
        ++parameterIndex;

    if (state == Measures || state == Status || state == AlarmWordsRead || state == HouseLoad) {
        if (measuresWindow) {
            if (!identSentToMeasures) {
                identSentToMeasures = true;
                emit IdentUpdated();
            }
            emit MeasuresUpdated();
            if (!measuresWantData)
                measuresWindow = nullptr;
        }
        if (commandsOpen)
            queryStatus = ParametersRead;
    }
    missedReplies = 0;
    if (commandsOpen && setupWantsToSend) {
        setupWantsToSend = false;
        StartParameterWrite();
    }
}

void InvButton::ReportToSetup(int resultCode)
{
    // The parameters dialog shows the code once it is open (commands-open flag).
    if (commandsOpen)
        qCDebug(lcLink, "%s: %d", "ReportToSetup", resultCode);
}

void InvButton::TheSlowTimer()
{
    if (isStringBox)
        return;
    if (connectedFlag)
        StartLogSync();
    if (!addressedByIp)
        return;
    if (++clockCounter > ClockEveryTicks) {
        savedQueryStatus = queryStatus;
        if (!isTpx)
            queryStatus = TimeSync;
        clockCounter = 1;
    }
}

int InvButton::SyncWanted()
{
    savedQueryStatus = queryStatus;
    queryStatus = TimeSync;
    return savedQueryStatus;
}

void InvButton::connected()
{
    awaitingReply = false;
    connectedFlag = true;
    DropReconnectTimer();
    firstTick = true;
    if (!excluded)
        SetEnabledButtons(true);
    setTheStatus("Ready.");
    missedReplies = 0;
    if (!beingDeleted) {
        SetDeletable(false);
        TitleBlue();
    }
    if (socket)
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!isStringBox)
        StartLogSync();
}

void InvButton::disconnected()
{
    rec.clearLinkBlocks();
    measuresValidForPlant = false;
    instantPowerForPlant = 0.0;
    DropReconnectTimer();
    if (beingDeleted)
        return;
    setTheStatus("Disconnected.");
    TitleGray();
    SetEnabledButtons(false);
    RestartConnectionTimer();
}

void InvButton::SocketError(QAbstractSocket::SocketError error)
{
    if (socket) {
        qCDebug(lcLink, "ERROR = %d", static_cast<int>(error));
        qCDebug(lcLink) << "Socket Error: " << socket->errorString();
    }
    connectedFlag = false;
    measuresValid = false;
    measuresValidForPlant = false;
    if (!beingDeleted) {
        if (error == QAbstractSocket::ConnectionRefusedError) {
            setTheStatus("Starting...");
            errorWaitCount = 10;
        } else {
            setTheStatus(seen ? TileTexts::lastSeenText(lastSeen)
                              : QString("Equipment disconnected or faulty connection."));
            errorWaitCount = 20;
        }
        errorWait = true;
        RestartConnectionTimer();
        SetDeletable(true);
    }
    CloseFtp(__LINE__);
}

void InvButton::RestartConnectionTimer()
{
    SetTheInvAsUnreachable();
    DropReconnectTimer();
    reconnectTimer = new QTimer(this);
    reconnectTimer->setSingleShot(true);
    connect(reconnectTimer, &QTimer::timeout, this, &InvButton::TryReconnect);
    reconnectTimer->start(3000);
}

// The timer may be the one whose timeout is running: it is stopped now and
// deleted once control is back in the event loop.
void InvButton::DropReconnectTimer()
{
    if (!reconnectTimer)
        return;
    reconnectTimer->stop();
    reconnectTimer->deleteLater();
    reconnectTimer = nullptr;
}

void InvButton::SetTheInvAsUnreachable()
{
    SetEnabledButtons(false);
    if (!beingDeleted) {
        powerLabel->setText("P = ----");
        InvTemp->setText("----");
    }
    measuresValid = false;
    instantPowerForPlant = 0.0;
    CloseChildWindows();
    queryStatus = isTpx ? TpxBlockA : (isStringBox ? StringBoxBlock : Identity);
    unreachable = true;
    connectedFlag = false;
    CloseFtp(__LINE__);
}

void InvButton::TryReconnect()
{
    if (connectedFlag) {
        WriteToLog("Try reconnect WHEN Connected.");
        return;
    }
    DestroySocket();
    OpenSocket();
}

void InvButton::ForceReconnect()
{
    TryReconnect();
}

void InvButton::setThePollInterval(int ms)
{
    if (ms <= 0) {
        pollTimer->stop();
        return;
    }
    pollInterval = ms;
    pollTimer->start(pollInterval);
}

void InvButton::CloseFtp(int line)
{
    qCDebug(lcLink, "%s: line %d", "CloseFtp", line);
}

void InvButton::StartLogSync()
{
    qCDebug(lcLink, "%s: %s", "StartLogSync", qPrintable(addressText));
}

void InvButton::setTheHostAddress(const QHostAddress& a)
{
    hostAddress = a;
}
QHostAddress InvButton::getTheHostAddress() const
{
    return hostAddress;
}
void InvButton::setTheHostAddressHasChanged(bool c)
{
    hostAddressChanged = c;
    TryReconnect();
}
bool InvButton::getTheHostAddressHasChanged() const
{
    return hostAddressChanged;
}
bool InvButton::getTheServerIsConnected() const
{
    return connectedFlag && !excluded;
}
void InvButton::setTheServerIsConnected(bool on)
{
    connectedFlag = on;
}
int InvButton::getThePort() const
{
    return tcpPort;
}
void InvButton::setThePort(int port)
{
    if (port != tcpPort)
        tcpPortChanged = true;
    tcpPort = port;
}
int InvButton::getTheFtpPort() const
{
    return ftpPort;
}
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
void InvButton::setTheSendConfigAsSoonAsPossible(bool on)
{
    sendConfigAsap = on;
}
bool InvButton::getTheSendConfigAsSoonAsPossible() const
{
    return sendConfigAsap;
}
