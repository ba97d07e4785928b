#pragma once
// The TCP connection of an equipment link. The I/O of every link of the
// process sits in one place: each LinkSocket's non-blocking descriptor is in
// one epoll set, which the event loop watches through a single notifier, so
// a wake-up serves every socket that is ready and the event loop does not
// poll each socket on every wake-up. Replies that come close together (those
// to one tick's requests) are gathered for a few milliseconds and served in
// one pass. Writes go to the socket at once, without a buffer to flush on a
// later pass of the event loop.
//
// The signals and their order are QTcpSocket's: connected(); on a close or
// reset by the board errorOccurred(RemoteHostClosedError) and then
// disconnected(); errorOccurred(error) when connecting fails. The arrival of
// data, the hot path, calls the read handler directly instead. Connecting
// never blocks: a host name is looked up with QHostInfo, and the connection
// completes in the event loop; every address found is tried in turn.
//
// Everything available when the socket becomes readable is read at once and
// forms one reply. At most MaxKept bytes of it are kept, whatever the board
// sends; read() reports the count of all bytes received.

#include <QAbstractSocket>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QHostInfo;

class LinkSocket : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxKept = 2048;

    explicit LinkSocket(QObject* parent = nullptr);
    ~LinkSocket() override;

    // Binds to a local address (port 0) before connecting; false, with errno
    // set, when that fails. Only addresses of the same family are then tried.
    bool bind(const QHostAddress& local);
    void connectToHost(const QString& host, quint16 port);
    QAbstractSocket::SocketState state() const { return socketState; }
    // Sends at once; the number of bytes sent (0 when the socket cannot take
    // them now), -1 when not connected or on an error, which errorOccurred()
    // then reports.
    qint64 write(const char* data, qint64 size);
    // The bytes received since the last read: copies at most `capacity` of
    // them into dest and returns how many were received (possibly more).
    int read(char* dest, int capacity);
    QString errorString() const { return error; }
    // Called when data has arrived (read() takes it). It may close the
    // socket; deleting it must wait for the event loop (deleteLater()).
    void setReadHandler(std::function<void()> handler) { readHandler = std::move(handler); }
    // Closes without signals.
    void close();

signals:
    void connected();
    void disconnected();
    void errorOccurred(QAbstractSocket::SocketError error);

private:
    friend class LinkPoller;
    void handleEvents(quint32 events);
    void lookedUp(const QHostInfo& info);
    void connectNext();
    void connectFailed(int errorNumber);
    void receive();
    void fail(QAbstractSocket::SocketError code, int errorNumber);
    void release();
    void failLater(QAbstractSocket::SocketError code, int errorNumber);

    int fd = -1;
    QHostAddress local;
    QList<QHostAddress> candidates;
    quint16 port = 0;
    int lookupId = -1;
    QAbstractSocket::SocketState socketState = QAbstractSocket::UnconnectedState;
    QString error;
    std::function<void()> readHandler;
    char kept[MaxKept];
    int keptSize = 0;
    int received = 0;
};
