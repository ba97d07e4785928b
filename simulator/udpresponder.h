#pragma once
// The boards' UDP services: the discovery responder (answers the 22-byte
// request with a 264-byte reply) and the configuration responder (answers the
// query with the 788-byte board record and adopts a record sent to its MAC).
// Boards on loopback listen on their own address and port; boards on other
// addresses share one socket per port bound to any address, so that a
// broadcast to 255.255.255.255 reaches them all.

#include "boardmodel.h"

#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QVector>

class QNetworkDatagram;
class QUdpSocket;

class UdpResponder : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDiscoveryReplySize = 264;
    static constexpr int kRecordSize = 788;

    explicit UdpResponder(const QVector<BoardModel*>& models, QObject* parent = nullptr);
    ~UdpResponder() override;

    bool start(QString* error);

    // The reply a board gives now (exposed for the tests of the formats).
    QByteArray discoveryReply(int board) const;
    QByteArray boardRecord(int board) const;
    // The board's network settings as last adopted (the record's fields).
    QByteArray settings(int board) const { return records.value(board); }

    static QByteArray discoveryRequest();
    static QByteArray configQuery();

private:
    struct Listener
    {
        QUdpSocket* socket = nullptr;
        bool any = false;    // bound to any address: check the destination
        bool config = false; // configuration port, else discovery
        QVector<int> boards;
        QByteArray lastData; // the last datagram, to drop its second copy
        QString lastSender;
        qint64 lastAt = 0;
    };

    bool listen(const QHostAddress& address, quint16 port, bool config, int board, QString* error);
    void receive(Listener* l);
    void answerDiscovery(Listener* l, int board, const QHostAddress& to, quint16 port);
    void answerQuery(Listener* l, int board, const QHostAddress& to, quint16 port);
    void adopt(int board, const QByteArray& record);

    void send(Listener* l, int board, const QByteArray& data, const QHostAddress& to, quint16 port);
    bool isRepeat(Listener* l, const QNetworkDatagram& d);

    QVector<BoardModel*> models;
    QVector<QUdpSocket*> senders; // per board, on its own address, for boards on shared sockets
    QVector<QByteArray> records;  // per board: the 788-byte settings record
    QList<Listener*> listeners;
};
