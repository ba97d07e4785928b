#include "linksocket.h"

#include "logging.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QVector>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

// The epoll set of every LinkSocket of the process, watched through one notifier.
class LinkPoller : public QObject
{
public:
    // Lives with the application object, like the sockets it serves.
    static LinkPoller& shared()
    {
        static QPointer<LinkPoller> poller;
        if (!poller)
            poller = new LinkPoller(QCoreApplication::instance());
        return *poller;
    }

    void watch(int fd, quint32 events, LinkSocket* socket)
    {
        const quint32 generation = ++lastGeneration;
        if (fd >= sockets.size())
            sockets.resize(fd + 1);
        sockets[fd] = {socket, generation};
        epoll_event ev{};
        ev.events = events;
        ev.data.u64 = quint64(generation) << 32 | quint32(fd);
        if (epoll_ctl(epfd, EPOLL_CTL_ADD, fd, &ev) != 0)
            qCWarning(lcLink, "epoll_ctl ADD %d: %s", fd, std::strerror(errno));
    }

    void modify(int fd, quint32 events)
    {
        const Entry* e = find(fd);
        if (!e)
            return;
        epoll_event ev{};
        ev.events = events;
        ev.data.u64 = quint64(e->generation) << 32 | quint32(fd);
        epoll_ctl(epfd, EPOLL_CTL_MOD, fd, &ev);
    }

    // Before the descriptor is closed.
    void unwatch(int fd)
    {
        if (!find(fd))
            return;
        sockets[fd] = {};
        epoll_ctl(epfd, EPOLL_CTL_DEL, fd, nullptr);
    }

private:
    // Indexed by descriptor (descriptors are small numbers).
    struct Entry
    {
        LinkSocket* socket = nullptr;
        quint32 generation = 0; // tells a reused descriptor from the one an event was for
    };
    const Entry* find(int fd) const
    {
        return fd >= 0 && fd < sockets.size() && sockets[fd].socket ? &sockets[fd] : nullptr;
    }

    explicit LinkPoller(QObject* parent) : QObject(parent), epfd(epoll_create1(EPOLL_CLOEXEC))
    {
        if (epfd < 0) {
            qCWarning(lcLink, "epoll_create1: %s", std::strerror(errno));
            return;
        }
        notifier = new QSocketNotifier(epfd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            // Replies to a tick's requests come within milliseconds of each
            // other: gather them and serve them together, in one wake-up.
            notifier->setEnabled(false);
            gathering.start();
        });
        gathering.setSingleShot(true);
        gathering.setInterval(GatherMs);
        gathering.setTimerType(Qt::PreciseTimer);
        connect(&gathering, &QTimer::timeout, this, [this] {
            serve();
            notifier->setEnabled(true);
        });
    }
    ~LinkPoller() override
    {
        if (epfd >= 0)
            ::close(epfd);
    }

    // Serves every socket that is ready. A socket may close or delete any
    // socket while it is served; events of a descriptor no longer watched,
    // or watched anew since, are dropped.
    void serve()
    {
        epoll_event events[128];
        const int n = epoll_wait(epfd, events, 128, 0);
        for (int i = 0; i < n; ++i) {
            const Entry* e = find(int(events[i].data.u64 & 0xFFFFFFFFu));
            if (!e || e->generation != quint32(events[i].data.u64 >> 32))
                continue;
            e->socket->handleEvents(events[i].events);
        }
    }

    static constexpr int GatherMs = 10;
    int epfd = -1;
    QSocketNotifier* notifier = nullptr;
    QTimer gathering;
    QVector<Entry> sockets;
    quint32 lastGeneration = 0;
};

namespace {
QAbstractSocket::SocketError socketError(int errorNumber)
{
    switch (errorNumber) {
    case ECONNREFUSED:
        return QAbstractSocket::ConnectionRefusedError;
    case ECONNRESET:
    case EPIPE:
        return QAbstractSocket::RemoteHostClosedError;
    case ETIMEDOUT:
        return QAbstractSocket::SocketTimeoutError;
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ENETDOWN:
        return QAbstractSocket::NetworkError;
    case EACCES:
    case EPERM:
        return QAbstractSocket::SocketAccessError;
    case EADDRINUSE:
        return QAbstractSocket::AddressInUseError;
    case EADDRNOTAVAIL:
        return QAbstractSocket::SocketAddressNotAvailableError;
    default:
        return QAbstractSocket::UnknownSocketError;
    }
}

// The socket address of a host address and port; its length, 0 for no address.
socklen_t socketAddress(const QHostAddress& address, quint16 port, sockaddr_storage* out)
{
    std::memset(out, 0, sizeof *out);
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto* in = reinterpret_cast<sockaddr_in*>(out);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(address.toIPv4Address());
        return sizeof(sockaddr_in);
    }
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(out);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR a = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, a.c, 16);
        in6->sin6_scope_id = address.scopeId().toUInt();
        return sizeof(sockaddr_in6);
    }
    return 0;
}

int newDescriptor(const QHostAddress& address)
{
    const int family = address.protocol() == QAbstractSocket::IPv6Protocol ? AF_INET6 : AF_INET;
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0) {
        const int on = 1; // requests are small and wait for their reply: send at once
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    return fd;
}
} // namespace

LinkSocket::LinkSocket(QObject* parent) : QObject(parent) {}

LinkSocket::~LinkSocket()
{
    close();
}

bool LinkSocket::bind(const QHostAddress& address)
{
    release();
    local = address;
    fd = newDescriptor(address);
    if (fd < 0)
        return false;
    sockaddr_storage sa;
    const socklen_t length = socketAddress(address, 0, &sa);
    if (length == 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&sa), length) != 0) {
        const int errorNumber = length == 0 ? EAFNOSUPPORT : errno;
        release();
        local.clear();
        errno = errorNumber;
        return false;
    }
    return true;
}

void LinkSocket::connectToHost(const QString& host, quint16 p)
{
    if (socketState != QAbstractSocket::UnconnectedState)
        return;
    port = p;
    socketState = QAbstractSocket::HostLookupState;
    QHostAddress address;
    if (address.setAddress(host)) {
        candidates = {address};
        connectNext();
        return;
    }
    lookupId = QHostInfo::lookupHost(host, this, &LinkSocket::lookedUp);
}

void LinkSocket::lookedUp(const QHostInfo& info)
{
    lookupId = -1;
    if (socketState != QAbstractSocket::HostLookupState)
        return;
    candidates = info.addresses();
    if (info.error() != QHostInfo::NoError || candidates.isEmpty()) {
        socketState = QAbstractSocket::UnconnectedState;
        error = info.errorString();
        emit errorOccurred(QAbstractSocket::HostNotFoundError);
        return;
    }
    connectNext();
}

// Connects to the next candidate address; the last failure is reported when
// none is left.
void LinkSocket::connectNext()
{
    while (!candidates.isEmpty()) {
        const QHostAddress address = candidates.takeFirst();
        if (!local.isNull() && address.protocol() != local.protocol())
            continue;
        // A descriptor of its own for each address tried, bound as asked.
        if (fd < 0 && !(local.isNull() ? (fd = newDescriptor(address)) >= 0 : bind(local)))
            break;
        sockaddr_storage sa;
        const socklen_t length = socketAddress(address, port, &sa);
        socketState = QAbstractSocket::ConnectingState;
        int r;
        do
            r = ::connect(fd, reinterpret_cast<sockaddr*>(&sa), length);
        while (r != 0 && errno == EINTR);
        if (r == 0 || errno == EINPROGRESS) {
            // The outcome comes from the event loop, even when already known.
            LinkPoller::shared().watch(fd, EPOLLOUT, this);
            return;
        }
        const int errorNumber = errno;
        if (candidates.isEmpty()) {
            failLater(socketError(errorNumber), errorNumber);
            return;
        }
        release();
    }
    failLater(QAbstractSocket::HostNotFoundError, EADDRNOTAVAIL);
}

void LinkSocket::handleEvents(quint32 events)
{
    if (socketState == QAbstractSocket::ConnectingState) {
        int errorNumber = 0;
        socklen_t length = sizeof errorNumber;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &errorNumber, &length) != 0)
            errorNumber = errno;
        if (errorNumber == 0 && !(events & (EPOLLERR | EPOLLHUP))) {
            socketState = QAbstractSocket::ConnectedState;
            LinkPoller::shared().modify(fd, EPOLLIN);
            emit connected();
        } else {
            connectFailed(errorNumber ? errorNumber : ECONNREFUSED);
        }
        return;
    }
    if (socketState == QAbstractSocket::ConnectedState)
        receive();
}

void LinkSocket::connectFailed(int errorNumber)
{
    release();
    if (candidates.isEmpty()) {
        fail(socketError(errorNumber), errorNumber);
        return;
    }
    connectNext();
}

void LinkSocket::receive()
{
    bool closedByPeer = false;
    int errorNumber = 0;
    const int before = received;
    char chunk[4096];
    for (;;) {
        const ssize_t r = ::recv(fd, chunk, sizeof chunk, 0);
        if (r > 0) {
            const int room = MaxKept - keptSize;
            if (room > 0) {
                std::memcpy(kept + keptSize, chunk, size_t(qMin(int(r), room)));
                keptSize += qMin(int(r), room);
            }
            received += int(qMin<ssize_t>(r, INT_MAX - received));
            if (r < ssize_t(sizeof chunk))
                break; // all there was; what comes later wakes the poller again
            continue;
        }
        if (r == 0)
            closedByPeer = true;
        else if (errno == EINTR)
            continue;
        else if (errno != EAGAIN && errno != EWOULDBLOCK)
            errorNumber = errno;
        break;
    }
    if (received > before) {
        if (readHandler)
            readHandler();
        if (socketState != QAbstractSocket::ConnectedState)
            return;
    }
    if (closedByPeer || errorNumber)
        fail(QAbstractSocket::RemoteHostClosedError, errorNumber ? errorNumber : ECONNRESET);
}

int LinkSocket::read(char* dest, int capacity)
{
    const int count = received;
    std::memcpy(dest, kept, size_t(qMin(capacity, keptSize)));
    keptSize = 0;
    received = 0;
    return count;
}

qint64 LinkSocket::write(const char* data, qint64 size)
{
    if (socketState != QAbstractSocket::ConnectedState)
        return -1;
    ssize_t r;
    do
        r = ::send(fd, data, size_t(size), MSG_NOSIGNAL);
    while (r < 0 && errno == EINTR);
    if (r >= 0)
        return r;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
        return 0;
    failLater(socketError(errno), errno);
    return -1;
}

// Reports a failure: the error, then, for a connection that was up, the
// disconnection; the socket is closed in between, as QTcpSocket does.
void LinkSocket::fail(QAbstractSocket::SocketError code, int errorNumber)
{
    error = code == QAbstractSocket::RemoteHostClosedError
                ? QStringLiteral("The remote host closed the connection")
                : qt_error_string(errorNumber);
    if (socketState != QAbstractSocket::ConnectedState) {
        release();
        socketState = QAbstractSocket::UnconnectedState;
        emit errorOccurred(code);
        return;
    }
    const QPointer<LinkSocket> alive(this);
    emit errorOccurred(code);
    if (!alive)
        return;
    if (socketState != QAbstractSocket::ConnectedState)
        return; // closed meanwhile
    release();
    socketState = QAbstractSocket::UnconnectedState;
    emit disconnected();
}

void LinkSocket::failLater(QAbstractSocket::SocketError code, int errorNumber)
{
    QMetaObject::invokeMethod(
        this,
        [this, code, errorNumber] {
            if (socketState != QAbstractSocket::UnconnectedState)
                fail(code, errorNumber);
        },
        Qt::QueuedConnection);
}

void LinkSocket::release()
{
    if (fd < 0)
        return;
    LinkPoller::shared().unwatch(fd);
    ::close(fd);
    fd = -1;
}

void LinkSocket::close()
{
    if (lookupId >= 0) {
        QHostInfo::abortHostLookup(lookupId);
        lookupId = -1;
    }
    release();
    candidates.clear();
    keptSize = 0;
    received = 0;
    socketState = QAbstractSocket::UnconnectedState;
}
