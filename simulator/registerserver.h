#pragma once
// The register server of one board: Qt's Modbus TCP server answers on a
// private loopback port, and a thin relay on the board's own address and port
// passes frames through to it. The relay is where the wire faults happen
// (silence, wrong length, split replies, dropped or refused connections); the
// Modbus server itself serves the board's registers.

#include "boardmodel.h"

#include <QHostAddress>
#include <QModbusTcpServer>
#include <QObject>
#include <QPointer>

class QTcpServer;
class QTcpSocket;

class BoardModbusServer : public QModbusTcpServer
{
    Q_OBJECT
public:
    BoardModbusServer(BoardModel* model, QObject* parent = nullptr);
    bool exceptionFault = false;

protected:
    QModbusResponse processRequest(const QModbusPdu& request) override;

private:
    BoardModel* model;
};

class RegisterServer : public QObject
{
    Q_OBJECT
public:
    RegisterServer(BoardModel* model, QObject* parent = nullptr);
    ~RegisterServer() override;

    // Starts both servers; false with a message when a port cannot be taken.
    bool start(QString* error);
    quint16 port() const { return boardPort; }
    QHostAddress address() const { return boardAddress; }
    // Moves the board's listener to another address and port (network setup).
    bool rebind(const QHostAddress& address, quint16 port, QString* error);

    // Applies the model's fault set (refused connections take effect at once).
    void faultsChanged();

private:
    struct Link
    {
        QPointer<QTcpSocket> client;
        QPointer<QTcpSocket> upstream;
        QByteArray request; // bytes from the client not yet framed
        QByteArray reply;   // bytes from the Modbus server not yet framed
        QByteArray pending; // complete requests waiting for the upstream connection
    };

    bool listen(QString* error);
    void accept();
    void fromClient(Link* link);
    void fromUpstream(Link* link);
    void sendReply(Link* link, QByteArray frame);
    void closeLink(Link* link);
    bool has(Fault f) const;

    BoardModel* model;
    BoardModbusServer* modbus = nullptr;
    QTcpServer* front = nullptr;
    quint16 innerPort = 0;
    QHostAddress boardAddress;
    quint16 boardPort = 0;
    QList<Link*> links;
};
