#include "ftpclient.h"
#include "logging.h"

#include "ftplistparser.h"

#include <QIODevice>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>

namespace {

const int ChunkSize = 256 * 1024;

bool hasLineBreakOrNul(const QString& s)
{
    return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n')) || s.contains(QChar(0));
}

} // namespace

FtpClient::FtpClient(QObject* parent)
    : QObject(parent), m_control(new QTcpSocket(this)), m_listLines(FtpListParser::MaxLineLength),
      m_errorString(tr("Unknown error"))
{
    // Entries may also travel through queued connections.
    qRegisterMetaType<FtpEntry>("FtpEntry");
    connect(m_control, &QTcpSocket::hostFound, this, &FtpClient::onControlHostFound);
    connect(m_control, &QTcpSocket::connected, this, &FtpClient::onControlConnected);
    connect(m_control, &QTcpSocket::readyRead, this, &FtpClient::onControlReadyRead);
    connect(m_control, &QTcpSocket::disconnected, this, &FtpClient::onControlDisconnected);
    connect(m_control, &QTcpSocket::errorOccurred, this, &FtpClient::onControlError);
}

FtpClient::~FtpClient()
{
    // Sockets go with their parent; no signal of theirs may reach us now.
    if (m_data)
        m_data->disconnect(this);
    m_control->disconnect(this);
}

// ---- queue -----------------------------------------------------------------

int FtpClient::addCommand(Pending c)
{
    c.id = ++m_lastId;
    m_queue.append(c);
    if (!m_running)
        scheduleStart();
    return c.id;
}

int FtpClient::connectToHost(const QString& host, quint16 port)
{
    Pending c;
    c.command = ConnectToHost;
    c.arg1 = host;
    c.port = port;
    return addCommand(c);
}

int FtpClient::login(const QString& user, const QString& password)
{
    Pending c;
    c.command = Login;
    c.arg1 = user.isEmpty() ? QStringLiteral("anonymous") : user;
    c.arg2 = user.isEmpty() && password.isEmpty() ? QStringLiteral("anonymous@") : password;
    return addCommand(c);
}

int FtpClient::cd(const QString& dir)
{
    Pending c;
    c.command = Cd;
    c.arg1 = dir;
    return addCommand(c);
}

int FtpClient::list(const QString& dir)
{
    Pending c;
    c.command = List;
    c.arg1 = dir;
    c.type = Ascii;
    return addCommand(c);
}

int FtpClient::get(const QString& file, QIODevice* dev, TransferType type)
{
    Pending c;
    c.command = Get;
    c.arg1 = file;
    c.device = dev;
    c.type = type;
    return addCommand(c);
}

int FtpClient::put(const QByteArray& data, const QString& file, TransferType type)
{
    Pending c;
    c.command = Put;
    c.arg1 = file;
    c.data = data;
    c.type = type;
    return addCommand(c);
}

int FtpClient::close()
{
    Pending c;
    c.command = Close;
    return addCommand(c);
}

int FtpClient::currentId() const
{
    return m_running ? m_queue.first().id : 0;
}

FtpClient::Command FtpClient::currentCommand() const
{
    return m_running ? m_queue.first().command : None;
}

bool FtpClient::hasPendingCommands() const
{
    return m_queue.size() > (m_running ? 1 : 0);
}

void FtpClient::clearPendingCommands()
{
    while (m_queue.size() > (m_running ? 1 : 0))
        m_queue.removeLast();
}

void FtpClient::scheduleStart()
{
    if (m_startScheduled)
        return;
    m_startScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_startScheduled = false;
        startNext();
    });
}

void FtpClient::startNext()
{
    // After an ABOR the stale replies must be read before anything new is
    // sent; a close does not wait for them (a server may never send them all).
    if (m_running || m_queue.isEmpty() || (m_discardReplies > 0 && m_queue.first().command != Close))
        return;
    m_running = true;
    m_error = NoError;
    m_errorString = tr("Unknown error");
    const Pending c = m_queue.first();

    QPointer<FtpClient> self(this);
    emit commandStarted(c.id);
    if (!self || !m_running || m_queue.isEmpty() || m_queue.first().id != c.id)
        return;

    if (hasLineBreakOrNul(c.arg1) || hasLineBreakOrNul(c.arg2)) {
        fail(failurePrefix() + tr("Invalid character in argument"));
        return;
    }
    if (c.command == ConnectToHost) {
        if (m_control->state() != QAbstractSocket::UnconnectedState)
            closeControl();
        m_replies.reset();
        m_serverType = 0;
        m_step = StepConnecting;
        setState(HostLookup);
        if (!self || m_step != StepConnecting)
            return;
        m_control->connectToHost(c.arg1, c.port);
        return;
    }
    if (c.command == Close) {
        if (!isControlConnected() || m_discardReplies > 0) {
            closeControl();
            setState(Unconnected);
            if (self)
                finishCurrent(false);
            return;
        }
        setState(Closing);
        if (self && m_running)
            send(StepQuit, QStringLiteral("QUIT"));
        return;
    }
    if (!isControlConnected()) {
        fail(failurePrefix() + tr("Not connected"), NotConnected);
        return;
    }
    switch (c.command) {
    case Login:
        send(StepUser, QStringLiteral("USER ") + c.arg1);
        break;
    case Cd:
        send(StepCwd, QStringLiteral("CWD ") + c.arg1);
        break;
    case List:
    case Get:
    case Put:
        startTransfer();
        break;
    default:
        fail(tr("Command not supported"));
        break;
    }
}

void FtpClient::send(Step step, const QString& line)
{
    m_step = step;
    m_awaitingReply = true;
    m_control->write(line.toUtf8() + "\r\n");
}

bool FtpClient::isControlConnected() const
{
    return m_control->state() == QAbstractSocket::ConnectedState && m_state != Unconnected;
}

void FtpClient::finishCurrent(bool error, Error code, const QString& text, bool clearQueue)
{
    if (!m_running)
        return;
    const int id = m_queue.first().id;
    m_step = StepIdle;
    closeData();
    if (error) {
        m_error = code;
        m_errorString = text;
        m_doneError = true;
        if (clearQueue)
            clearPendingCommands();
    }
    QPointer<FtpClient> self(this);
    emit commandFinished(id, error);
    if (!self)
        return;
    if (!m_queue.isEmpty() && m_queue.first().id == id)
        m_queue.removeFirst();
    m_running = false;
    if (m_queue.isEmpty()) {
        const bool doneError = m_doneError;
        m_doneError = false;
        emit done(doneError);
    } else {
        startNext();
    }
}

QString FtpClient::failurePrefix() const
{
    switch (currentCommand()) {
    case ConnectToHost:
        return tr("Connecting to host failed:\n");
    case Login:
        return tr("Login failed:\n");
    case List:
        return tr("Listing directory failed:\n");
    case Cd:
        return tr("Changing directory failed:\n");
    case Get:
        return tr("Downloading file failed:\n");
    case Put:
        return tr("Uploading file failed:\n");
    default:
        return QString();
    }
}

void FtpClient::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged(s);
}

// ---- abort and connection loss -----------------------------------------------

void FtpClient::abort()
{
    if (m_queue.isEmpty())
        return;
    if (!m_running) {
        // Nothing has started yet: nothing to stop, nothing to report.
        m_queue.clear();
        return;
    }
    clearPendingCommands();
    const int id = m_queue.first().id;
    if (m_step == StepConnecting || m_step == StepGreeting) {
        closeControl();
        m_step = StepIdle;
    } else if (m_awaitingReply || m_data) {
        sendAbort();
    }
    m_step = StepIdle;
    // Report from the event loop, never from inside the caller's abort().
    QTimer::singleShot(0, this, [this, id] {
        if (!m_running || m_queue.first().id != id)
            return;
        if (m_control->state() == QAbstractSocket::UnconnectedState) {
            QPointer<FtpClient> self(this);
            setState(Unconnected);
            if (!self)
                return;
        }
        finishCurrent(true, UnknownError, tr("Aborted"), false);
    });
}

void FtpClient::sendAbort()
{
    closeData();
    if (m_control->state() != QAbstractSocket::ConnectedState)
        return;
    // Replies still due: the one of the running command, if any, then the
    // one of ABOR. "225" (nothing to abort) is always the last of them.
    m_discardReplies = (m_awaitingReply ? 1 : 0) + 1;
    m_awaitingReply = false;
    m_control->write("ABOR\r\n");
}

void FtpClient::failTransfer(const QString& text)
{
    sendAbort();
    fail(failurePrefix() + text);
}

void FtpClient::closeData()
{
    if (!m_data)
        return;
    m_data->disconnect(this);
    m_data->abort();
    m_data->deleteLater();
    m_data = nullptr;
    m_listLines.clear();
}

void FtpClient::closeControl()
{
    const QSignalBlocker blocker(m_control);
    // What was queued (an ABOR before a close) still goes out if it can.
    if (m_control->state() == QAbstractSocket::ConnectedState)
        m_control->flush();
    m_control->abort();
    m_replies.reset();
    m_awaitingReply = false;
    m_discardReplies = 0;
    m_serverType = 0;
}

void FtpClient::connectionLost(const QString& text)
{
    if (m_state == Unconnected)
        return;
    const bool closing = currentCommand() == Close;
    closeData();
    closeControl();
    m_step = StepIdle;
    QPointer<FtpClient> self(this);
    setState(Unconnected);
    if (!self)
        return;
    if (!m_running) {
        // Commands held back behind an unanswered ABOR may go now.
        if (!m_queue.isEmpty())
            scheduleStart();
        return;
    }
    if (closing)
        finishCurrent(false);
    else
        fail(failurePrefix() + text);
}

// ---- control connection ----------------------------------------------------

void FtpClient::onControlHostFound()
{
    if (m_step == StepConnecting)
        setState(Connecting);
}

void FtpClient::onControlConnected()
{
    if (m_step != StepConnecting)
        return;
    QPointer<FtpClient> self(this);
    setState(Connecting);
    if (self)
        setState(Connected);
    // Commands are short lines each waiting for its reply: send them at once.
    if (self)
        m_control->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // The greeting completes the connection.
    if (self && m_step == StepConnecting) {
        m_step = StepGreeting;
        m_awaitingReply = true;
    }
}

void FtpClient::onControlReadyRead()
{
    QPointer<FtpClient> self(this);
    m_replies.append(m_control->readAll());
    for (;;) {
        FtpReply reply;
        const FtpReplyParser::Result r = m_replies.next(&reply);
        if (r == FtpReplyParser::NeedMore)
            return;
        if (r == FtpReplyParser::Error) {
            qCDebug(lcFtp, "FtpClient: %s", qPrintable(m_replies.errorString()));
            connectionLost(tr("Protocol error: %1").arg(m_replies.errorString()));
            return;
        }
        handleReply(reply);
        if (!self || m_control->state() != QAbstractSocket::ConnectedState)
            return;
    }
}

void FtpClient::onControlDisconnected()
{
    // Replies that arrived with the close still count (a 221 or a 421).
    if (m_control->bytesAvailable() > 0) {
        QPointer<FtpClient> self(this);
        onControlReadyRead();
        if (!self)
            return;
    }
    connectionLost(tr("Connection closed by the server"));
}

void FtpClient::onControlError()
{
    const QAbstractSocket::SocketError e = m_control->error();
    if (m_step != StepConnecting) {
        if (e != QAbstractSocket::RemoteHostClosedError &&
            m_control->state() == QAbstractSocket::UnconnectedState)
            connectionLost(m_control->errorString());
        return;
    }
    const QString host = m_queue.isEmpty() ? QString() : m_queue.first().arg1;
    Error code = UnknownError;
    QString text = m_control->errorString();
    if (e == QAbstractSocket::HostNotFoundError) {
        code = HostNotFound;
        text = tr("Host %1 not found").arg(host);
    } else if (e == QAbstractSocket::ConnectionRefusedError) {
        code = ConnectionRefused;
        text = tr("Connection refused to host %1").arg(host);
    }
    closeControl();
    m_step = StepIdle;
    QPointer<FtpClient> self(this);
    setState(Unconnected);
    if (self)
        fail(failurePrefix() + text, code);
}

void FtpClient::handleReply(const FtpReply& reply)
{
    if (m_discardReplies > 0) {
        if (!reply.isPreliminary())
            m_discardReplies = reply.code == 225 ? 0 : m_discardReplies - 1;
        if (m_discardReplies == 0 && !m_running && !m_queue.isEmpty())
            scheduleStart();
        return;
    }
    if (reply.isPreliminary()) {
        if (m_step == StepTransfer) {
            m_transferStarted = true;
            if (m_bytesTotal == 0) {
                // "150 Opening BINARY mode data connection for f (1234 bytes)"
                static const QRegularExpression sizeRx(QStringLiteral("\\((\\d+) bytes\\)"));
                const QRegularExpressionMatch m = sizeRx.match(reply.text);
                if (m.hasMatch())
                    m_bytesTotal = m.captured(1).toLongLong();
            }
            if (currentCommand() == Put)
                startUpload();
        }
        return;
    }
    if (!m_awaitingReply || m_step == StepIdle) {
        qCDebug(lcFtp, "FtpClient: unexpected reply %d %s", reply.code, qPrintable(reply.text));
        return;
    }
    m_awaitingReply = false;
    const Pending& c = m_queue.first();
    QPointer<FtpClient> self(this);

    switch (m_step) {
    case StepGreeting:
        if (reply.isPositive()) {
            finishCurrent(false);
        } else {
            closeControl();
            m_step = StepIdle;
            setState(Unconnected);
            if (self)
                fail(failurePrefix() + reply.text);
        }
        break;
    case StepUser:
        if (reply.code == 331) {
            send(StepPass, QStringLiteral("PASS ") + c.arg2);
            break;
        }
        Q_FALLTHROUGH();
    case StepPass:
        if (reply.isPositive()) {
            setState(LoggedIn);
            if (self)
                finishCurrent(false);
        } else {
            fail(failurePrefix() + reply.text);
        }
        break;
    case StepCwd:
        if (reply.isPositive())
            finishCurrent(false);
        else
            fail(failurePrefix() + reply.text);
        break;
    case StepType:
        if (reply.isPositive()) {
            m_serverType = c.type == Binary ? 'I' : 'A';
            if (c.command == Get && c.type == Binary)
                send(StepSize, QStringLiteral("SIZE ") + c.arg1);
            else
                sendPasv();
        } else {
            fail(failurePrefix() + reply.text);
        }
        break;
    case StepSize:
        // A refused SIZE only means the total is unknown.
        m_bytesTotal = reply.code == 213 ? qMax<qint64>(0, reply.text.trimmed().toLongLong()) : 0;
        sendPasv();
        break;
    case StepPasv:
        handlePasvReply(reply);
        break;
    case StepTransfer:
        handleTransferReply(reply);
        break;
    case StepQuit:
        closeControl();
        m_step = StepIdle;
        setState(Unconnected);
        if (self)
            finishCurrent(false);
        break;
    case StepIdle:
    case StepConnecting:
        break;
    }
}

// ---- transfers -------------------------------------------------------------

void FtpClient::startTransfer()
{
    Pending& c = m_queue.first();
    m_bytesDone = 0;
    m_bytesTotal = c.command == Put ? c.data.size() : 0;
    m_transferStarted = false;
    m_uploadStarted = false;
    m_replyDone = false;
    m_dataEnded = false;
    m_readBuffer.clear();
    m_listLines.clear();
    if (c.command == Get && c.device && !c.device->isOpen() && !c.device->open(QIODevice::WriteOnly)) {
        fail(failurePrefix() + tr("Cannot open the device: %1").arg(c.device->errorString()));
        return;
    }
    const char wanted = c.type == Binary ? 'I' : 'A';
    if (m_serverType != wanted) {
        send(StepType, wanted == 'I' ? QStringLiteral("TYPE I") : QStringLiteral("TYPE A"));
    } else if (c.command == Get && c.type == Binary) {
        send(StepSize, QStringLiteral("SIZE ") + c.arg1);
    } else {
        sendPasv();
    }
}

void FtpClient::sendPasv()
{
    send(StepPasv, QStringLiteral("PASV"));
}

void FtpClient::handlePasvReply(const FtpReply& reply)
{
    if (reply.code != 227) {
        fail(failurePrefix() + reply.text);
        return;
    }
    static const QRegularExpression rx(
        QStringLiteral("(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3})"));
    const QRegularExpressionMatch m = rx.match(reply.text);
    int v[6] = {};
    bool ok = m.hasMatch();
    for (int i = 0; ok && i < 6; ++i) {
        v[i] = m.captured(i + 1).toInt();
        ok = v[i] <= 255;
    }
    const quint16 port = quint16(v[4] * 256 + v[5]);
    if (!ok || port == 0) {
        fail(failurePrefix() + tr("Malformed PASV reply: %1").arg(reply.text));
        return;
    }
    QHostAddress address(quint32((v[0] << 24) | (v[1] << 16) | (v[2] << 8) | v[3]));
    const QHostAddress peer = m_control->peerAddress();
    if (!address.isEqual(peer, QHostAddress::ConvertV4MappedToIPv4)) {
        // Boards behind address translation announce an address the console
        // cannot reach; the host we talk to is the one that listens.
        qCDebug(lcFtp, "LS: host address in PASV differ.");
        address = peer;
    }

    m_data = new QTcpSocket(this);
    connect(m_data, &QTcpSocket::connected, this, &FtpClient::onDataConnected);
    connect(m_data, &QTcpSocket::readyRead, this, &FtpClient::onDataReadyRead);
    connect(m_data, &QTcpSocket::disconnected, this, &FtpClient::onDataDisconnected);
    connect(m_data, &QTcpSocket::errorOccurred, this, &FtpClient::onDataError);
    connect(m_data, &QTcpSocket::bytesWritten, this, &FtpClient::onDataBytesWritten);
    m_data->connectToHost(address, port);

    const Pending& c = m_queue.first();
    switch (c.command) {
    case List:
        send(StepTransfer, c.arg1.isEmpty() ? QStringLiteral("LIST") : QStringLiteral("LIST ") + c.arg1);
        break;
    case Get:
        send(StepTransfer, QStringLiteral("RETR ") + c.arg1);
        break;
    default:
        send(StepTransfer, QStringLiteral("STOR ") + c.arg1);
        break;
    }
}

void FtpClient::handleTransferReply(const FtpReply& reply)
{
    if (!reply.isPositive()) {
        fail(failurePrefix() + reply.text);
        return;
    }
    m_replyDone = true;
    checkTransferDone();
}

void FtpClient::checkTransferDone()
{
    if (m_step != StepTransfer || !m_replyDone)
        return;
    // A download is complete when both the data connection has closed and the
    // server has confirmed, in whichever order they come.
    if (currentCommand() != Put && !m_dataEnded)
        return;
    if (currentCommand() == List) {
        const QByteArray rest = m_listLines.takeRest();
        QPointer<FtpClient> self(this);
        if (!rest.isEmpty())
            processListLine(rest);
        if (!self || m_step != StepTransfer)
            return;
    }
    finishCurrent(false);
}

void FtpClient::startUpload()
{
    if (m_uploadStarted || !m_transferStarted || !m_data ||
        m_data->state() != QAbstractSocket::ConnectedState)
        return;
    m_uploadStarted = true;
    const QByteArray& data = m_queue.first().data;
    if (!data.isEmpty())
        m_data->write(data);
    // The server sees the end of the file when the data connection closes,
    // which happens once everything written has gone out.
    m_data->disconnectFromHost();
}

void FtpClient::onDataConnected()
{
    if (currentCommand() == Put)
        startUpload();
}

void FtpClient::onDataBytesWritten(qint64 bytes)
{
    if (currentCommand() != Put || m_step != StepTransfer)
        return;
    m_bytesDone += bytes;
    emit dataTransferProgress(m_bytesDone, m_bytesTotal);
}

void FtpClient::onDataReadyRead()
{
    if (!m_data || m_step != StepTransfer)
        return;
    const Command command = currentCommand();
    if (command == List) {
        m_listLines.append(m_data->readAll());
        QPointer<FtpClient> self(this);
        for (;;) {
            QByteArray line;
            const FtpLineBuffer::Result r = m_listLines.takeLine(&line);
            if (r == FtpLineBuffer::NeedMore)
                return;
            if (r == FtpLineBuffer::TooLong) {
                failTransfer(tr("Listing line longer than %1 bytes").arg(FtpListParser::MaxLineLength));
                return;
            }
            processListLine(line);
            if (!self || m_step != StepTransfer)
                return;
        }
    }
    if (command != Get) {
        m_data->readAll(); // nothing is expected on an upload's data connection
        return;
    }
    // Downloads pass through one buffer kept for the client's lifetime: no
    // allocation per chunk, which is what large files are sensitive to.
    QIODevice* device = m_queue.first().device;
    m_chunk.resize(ChunkSize);
    qint64 got = 0;
    for (;;) {
        const qint64 n = m_data->read(m_chunk.data(), m_chunk.size());
        if (n <= 0)
            break;
        got += n;
        if (!device) {
            m_readBuffer.append(m_chunk.constData(), int(n));
        } else if (device->write(m_chunk.constData(), n) != n) {
            failTransfer(tr("Writing failed: %1").arg(device->errorString()));
            return;
        }
    }
    if (got == 0)
        return;
    m_bytesDone += got;
    if (!device) {
        QPointer<FtpClient> self(this);
        emit readyRead();
        if (!self || m_step != StepTransfer)
            return;
    }
    emit dataTransferProgress(m_bytesDone, m_bytesTotal);
}

void FtpClient::processListLine(const QByteArray& raw)
{
    FtpEntry entry;
    // Never hand out a name that could lead a caller outside its folder.
    if (!FtpListParser::parseListingLine(raw, &entry)) {
        if (!entry.name().isEmpty())
            qCDebug(lcFtp) << "FtpClient: skipping listed name" << entry.name();
        return;
    }
    emit listInfo(entry);
}

void FtpClient::onDataDisconnected()
{
    QPointer<FtpClient> self(this);
    if (m_data && m_data->bytesAvailable() > 0)
        onDataReadyRead();
    if (!self || m_step != StepTransfer)
        return;
    m_dataEnded = true;
    checkTransferDone();
}

void FtpClient::onDataError()
{
    if (!m_data || m_step != StepTransfer)
        return;
    if (m_data->error() == QAbstractSocket::RemoteHostClosedError)
        return; // the end of the data, handled by onDataDisconnected()
    failTransfer(tr("Data connection failed: %1").arg(m_data->errorString()));
}

qint64 FtpClient::read(char* data, qint64 maxlen)
{
    const qint64 n = qMin<qint64>(maxlen, m_readBuffer.size());
    memcpy(data, m_readBuffer.constData(), size_t(n));
    m_readBuffer.remove(0, int(n));
    return n;
}

QByteArray FtpClient::readAll()
{
    QByteArray out;
    out.swap(m_readBuffer);
    return out;
}
