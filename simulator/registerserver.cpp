#include "registerserver.h"

#include "simlog.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>

namespace {

constexpr int kHeaderSize = 7;     // transaction, protocol, length, unit
constexpr quint8 kUnitId = 0xFF;   // the unit identifier the console sends
constexpr int kSplitDelayMs = 250; // gap between the two pieces of a split reply
constexpr int kMaxFrame = 4096;    // a length field above this is garbage

// Takes one complete Modbus TCP frame off the front of buf; empty when the
// frame is not complete yet.
QByteArray takeFrame(QByteArray& buf)
{
    if (buf.size() < kHeaderSize)
        return QByteArray();
    const int length = qFromBigEndian<quint16>(reinterpret_cast<const uchar*>(buf.constData() + 4));
    if (length < 2 || length > kMaxFrame) {
        buf.clear(); // not Modbus: throw it away rather than wait forever
        return QByteArray();
    }
    const int total = 6 + length;
    if (buf.size() < total)
        return QByteArray();
    const QByteArray frame = buf.left(total);
    buf.remove(0, total);
    return frame;
}

quint16 wordAt(const QByteArray& data, int offset)
{
    if (offset + 2 > data.size())
        return 0;
    return qFromBigEndian<quint16>(reinterpret_cast<const uchar*>(data.constData() + offset));
}

// "fc=3 reg=79 count=32" for a request frame, as seen on the wire.
QString describeFrame(const QByteArray& frame)
{
    if (frame.size() < 12)
        return QString("bytes=%1").arg(frame.size());
    return QString("fc=%1 reg=%2 count=%3")
        .arg(quint8(frame.at(7)))
        .arg(wordAt(frame, 8))
        .arg(wordAt(frame, 10));
}

QString joinWords(const QVector<quint16>& words)
{
    QStringList out;
    for (quint16 w : words)
        out << QString::number(w);
    return out.join(',');
}

} // namespace

BoardModbusServer::BoardModbusServer(BoardModel* m, QObject* parent) : QModbusTcpServer(parent), model(m)
{
    setServerAddress(kUnitId);
}

QModbusResponse BoardModbusServer::processRequest(const QModbusPdu& request)
{
    const QByteArray data = request.data();
    const auto fc = request.functionCode();
    const QString id = model->config().id;
    const quint16 reg = wordAt(data, 0);
    const quint16 count = wordAt(data, 2);

    if (fc == QModbusPdu::ReadHoldingRegisters) {
        simLog(QString("REQ %1 fc=3 reg=%2 count=%3").arg(id).arg(reg).arg(count));
        QVector<quint16> words;
        if (exceptionFault)
            return QModbusExceptionResponse(fc, QModbusExceptionResponse::ServerDeviceFailure);
        // The console reads the 204 daily samples in one request, beyond the
        // usual 125-register limit; the byte count then keeps its low byte.
        if (count == 0 || !model->read(reg, count, &words))
            return QModbusExceptionResponse(fc, QModbusExceptionResponse::IllegalDataAddress);
        QByteArray payload(1 + 2 * count, '\0');
        payload[0] = char((2 * count) & 0xFF);
        for (int i = 0; i < count; ++i)
            qToBigEndian<quint16>(words.at(i), reinterpret_cast<uchar*>(payload.data() + 1 + 2 * i));
        return QModbusResponse(fc, payload);
    }
    if (fc == QModbusPdu::WriteSingleRegister) {
        simLog(QString("REQ %1 fc=6 reg=%2 count=1 values=%3").arg(id).arg(reg).arg(count));
        if (exceptionFault)
            return QModbusExceptionResponse(fc, QModbusExceptionResponse::ServerDeviceFailure);
        if (!model->write(reg, count))
            return QModbusExceptionResponse(fc, QModbusExceptionResponse::IllegalDataAddress);
        return QModbusResponse(fc, data.left(4));
    }
    if (fc == QModbusPdu::WriteMultipleRegisters) {
        QVector<quint16> values;
        for (int i = 0; i < count; ++i)
            values << wordAt(data, 5 + 2 * i);
        simLog(QString("REQ %1 fc=16 reg=%2 count=%3 values=%4")
                   .arg(id)
                   .arg(reg)
                   .arg(count)
                   .arg(joinWords(values)));
        if (exceptionFault)
            return QModbusExceptionResponse(fc, QModbusExceptionResponse::ServerDeviceFailure);
        if (count == 0 || data.size() < 5 + 2 * count || !model->writeBlock(reg, values))
            return QModbusExceptionResponse(fc, QModbusExceptionResponse::IllegalDataAddress);
        return QModbusResponse(fc, data.left(4));
    }
    simLog(QString("REQ %1 fc=%2 unsupported").arg(id).arg(int(fc)));
    return QModbusExceptionResponse(fc, QModbusExceptionResponse::IllegalFunction);
}

RegisterServer::RegisterServer(BoardModel* m, QObject* parent) : QObject(parent), model(m)
{
    modbus = new BoardModbusServer(model, this);
    front = new QTcpServer(this);
    connect(front, &QTcpServer::newConnection, this, &RegisterServer::accept);
}

RegisterServer::~RegisterServer()
{
    for (Link* link : qAsConst(links)) {
        if (link->client)
            link->client->disconnect(this);
        if (link->upstream)
            link->upstream->disconnect(this);
    }
    qDeleteAll(links);
}

bool RegisterServer::has(Fault f) const
{
    return model->config().faults.contains(f);
}

bool RegisterServer::start(QString* error)
{
    modbus->setConnectionParameter(QModbusDevice::NetworkAddressParameter, "127.0.0.1");
    modbus->setConnectionParameter(QModbusDevice::NetworkPortParameter, 0);
    if (!modbus->connectDevice()) {
        *error = "register server: " + modbus->errorString();
        return false;
    }
    const auto* inner = modbus->findChild<QTcpServer*>();
    innerPort = inner ? inner->serverPort() : 0;
    if (!innerPort) {
        *error = "register server: no port";
        return false;
    }
    boardAddress = model->config().address;
    boardPort = model->config().modbusPort;
    modbus->exceptionFault = has(Fault::Exception);
    if (!listen(error))
        return false;
    if (has(Fault::Refuse))
        front->close(); // the port is known now; connections are refused until the fault is cleared
    return true;
}

bool RegisterServer::listen(QString* error)
{
    if (!front->listen(boardAddress, boardPort)) {
        *error = QString("register server %1:%2: %3")
                     .arg(boardAddress.toString())
                     .arg(boardPort)
                     .arg(front->errorString());
        return false;
    }
    boardPort = front->serverPort(); // the system's choice when asked for port 0
    return true;
}

bool RegisterServer::rebind(const QHostAddress& address, quint16 port, QString* error)
{
    front->close();
    boardAddress = address;
    boardPort = port;
    if (has(Fault::Refuse))
        return true;
    return listen(error);
}

void RegisterServer::faultsChanged()
{
    modbus->exceptionFault = has(Fault::Exception);
    if (has(Fault::Refuse) && front->isListening()) {
        front->close();
        const auto current = links;
        for (Link* link : current)
            closeLink(link);
    } else if (!has(Fault::Refuse) && !front->isListening() && boardPort) {
        QString error;
        if (!listen(&error))
            simSay("ERROR " + error);
    }
}

void RegisterServer::accept()
{
    while (QTcpSocket* client = front->nextPendingConnection()) {
        auto* link = new Link;
        link->client = client;
        link->upstream = new QTcpSocket(this);
        links << link;
        simLog(QString("CONNECT %1 from %2:%3")
                   .arg(model->config().id, client->peerAddress().toString())
                   .arg(client->peerPort()));
        connect(client, &QTcpSocket::readyRead, this, [this, link] { fromClient(link); });
        connect(client, &QTcpSocket::disconnected, this, [this, link] { closeLink(link); });
        connect(link->upstream, &QTcpSocket::readyRead, this, [this, link] { fromUpstream(link); });
        connect(link->upstream, &QTcpSocket::connected, this, [link] {
            link->upstream->write(link->pending);
            link->pending.clear();
        });
        connect(link->upstream, &QTcpSocket::disconnected, this, [this, link] { closeLink(link); });
        link->upstream->connectToHost(QHostAddress(QHostAddress::LocalHost), innerPort);
    }
}

void RegisterServer::fromClient(Link* link)
{
    if (!link->client)
        return;
    link->request += link->client->readAll();
    const QString id = model->config().id;
    for (QByteArray frame = takeFrame(link->request); !frame.isEmpty(); frame = takeFrame(link->request)) {
        if (has(Fault::Drop)) {
            simLog(QString("FAULT %1 drop %2").arg(id, describeFrame(frame)));
            closeLink(link);
            return;
        }
        if (has(Fault::Silent)) {
            simLog(QString("FAULT %1 silent %2").arg(id, describeFrame(frame)));
            continue;
        }
        if (link->upstream && link->upstream->state() == QAbstractSocket::ConnectedState)
            link->upstream->write(frame);
        else
            link->pending += frame;
    }
}

void RegisterServer::fromUpstream(Link* link)
{
    if (!link->upstream)
        return;
    link->reply += link->upstream->readAll();
    for (QByteArray frame = takeFrame(link->reply); !frame.isEmpty(); frame = takeFrame(link->reply))
        sendReply(link, frame);
}

void RegisterServer::sendReply(Link* link, QByteArray frame)
{
    if (!link->client)
        return;
    const QString id = model->config().id;
    if (has(Fault::ExceptionFull) && frame.size() > 7) {
        frame[7] = char(quint8(frame.at(7)) | 0x80);
        simLog(QString("FAULT %1 exception-full bytes=%2").arg(id).arg(frame.size()));
    }
    if (has(Fault::WrongLength)) {
        frame.append('\0');
        simLog(QString("FAULT %1 wrong-length bytes=%2").arg(id).arg(frame.size()));
    }
    if (has(Fault::Split) && frame.size() > 1) {
        const int half = frame.size() / 2;
        link->client->write(frame.left(half));
        link->client->flush();
        QPointer<QTcpSocket> client = link->client;
        const QByteArray rest = frame.mid(half);
        QTimer::singleShot(kSplitDelayMs, this, [client, rest] {
            if (client)
                client->write(rest);
        });
        simLog(QString("FAULT %1 split bytes=%2+%3").arg(id).arg(half).arg(rest.size()));
        return;
    }
    link->client->write(frame);
}

void RegisterServer::closeLink(Link* link)
{
    if (!links.removeOne(link))
        return;
    simLog(QString("DISCONNECT %1").arg(model->config().id));
    if (link->client) {
        link->client->disconnect(this);
        link->client->abort();
        link->client->deleteLater();
    }
    if (link->upstream) {
        link->upstream->disconnect(this);
        link->upstream->abort();
        link->upstream->deleteLater();
    }
    delete link;
}
