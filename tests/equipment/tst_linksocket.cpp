// The link's socket against a TCP peer on loopback: connecting (by address,
// by name, from a bound local address), refusals, the board closing or
// resetting the connection, and input of any size kept bounded.
#include "linksocket.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

class TestLinkSocket : public QObject
{
    Q_OBJECT
    QTcpServer server;
    QPointer<QTcpSocket> peer; // the server's side of the last connection

    bool connectTo(LinkSocket& socket, const QString& host)
    {
        QSignalSpy connectedSpy(&socket, &LinkSocket::connected);
        socket.connectToHost(host, server.serverPort());
        if (!connectedSpy.wait(5000) || !QTest::qWaitFor([&] { return server.hasPendingConnections(); }))
            return false;
        peer = server.nextPendingConnection();
        return peer && socket.state() == QAbstractSocket::ConnectedState;
    }

private slots:
    void initTestCase() { QVERIFY(server.listen(QHostAddress::LocalHost)); }

    void exchange_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("local"); // bound local address, "" for none
        QTest::newRow("address") << "127.0.0.1" << QString();
        QTest::newRow("name looked up") << "localhost" << QString();
        QTest::newRow("from a bound address") << "127.0.0.1" << QString("127.0.0.2");
    }
    void exchange()
    {
        QFETCH(QString, host);
        QFETCH(QString, local);
        LinkSocket socket;
        if (!local.isEmpty())
            QVERIFY(socket.bind(QHostAddress(local)));
        QVERIFY(connectTo(socket, host));
        if (!local.isEmpty())
            QCOMPARE(peer->peerAddress(), QHostAddress(local));
        const QByteArray request = QByteArray::fromHex("000100000006ff03004f0020");
        QCOMPARE(socket.write(request.constData(), request.size()), qint64(request.size()));
        QTRY_COMPARE(peer->bytesAvailable(), qint64(request.size()));
        QCOMPARE(peer->readAll(), request);
        int calls = 0;
        socket.setReadHandler([&] { ++calls; });
        const QByteArray reply(73, '\x42');
        peer->write(reply);
        QTRY_COMPARE(calls, 1);
        char buffer[1024] = {};
        QCOMPARE(socket.read(buffer, sizeof buffer), 73);
        QCOMPARE(QByteArray(buffer, 73), reply);
        QCOMPARE(socket.read(buffer, sizeof buffer), 0); // taken
    }

    // The board ends the connection: the error, then the disconnection, as
    // QTcpSocket reports them; data sent before the end is read first.
    void peerEnds_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::newRow("closed") << false;
        QTest::newRow("reset") << true;
    }
    void peerEnds()
    {
        QFETCH(bool, reset);
        LinkSocket socket;
        QVERIFY(connectTo(socket, "127.0.0.1"));
        QStringList events;
        socket.setReadHandler([&] { events << "data"; });
        connect(&socket, &LinkSocket::errorOccurred, this,
                [&](QAbstractSocket::SocketError e) { events << QString("error %1").arg(int(e)); });
        connect(&socket, &LinkSocket::disconnected, this, [&] { events << "disconnected"; });
        peer->write("bye");
        peer->flush();
        if (reset) {
            QTRY_COMPARE(events, QStringList{"data"});
            char buffer[16];
            QCOMPARE(socket.read(buffer, sizeof buffer), 3);
            const linger abortive{1, 0};
            setsockopt(int(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        }
        peer->abort();
        QTRY_COMPARE(events.size(), 3);
        QCOMPARE(events,
                 (QStringList{"data", QString("error %1").arg(int(QAbstractSocket::RemoteHostClosedError)),
                              "disconnected"}));
        QCOMPARE(socket.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(socket.write("x", 1), qint64(-1));
    }

    void refused()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        LinkSocket socket;
        QSignalSpy errors(&socket, &LinkSocket::errorOccurred);
        QSignalSpy disconnects(&socket, &LinkSocket::disconnected);
        socket.connectToHost("127.0.0.1", port);
        QVERIFY(errors.wait(5000));
        QCOMPARE(errors.at(0).at(0).value<QAbstractSocket::SocketError>(),
                 QAbstractSocket::ConnectionRefusedError);
        QVERIFY(disconnects.isEmpty());
        QCOMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    }

    // An address that is not this machine's cannot be bound.
    void bindFailure()
    {
        LinkSocket socket;
        errno = 0;
        QVERIFY(!socket.bind(QHostAddress("192.0.2.1")));
        QCOMPARE(errno, EADDRNOTAVAIL);
    }

    // A flood is counted in full but kept within the bound.
    void floodIsBounded()
    {
        LinkSocket socket;
        QVERIFY(connectTo(socket, "127.0.0.1"));
        qint64 total = 0;
        bool withinBuffer = true;
        socket.setReadHandler([&] {
            char buffer[32];
            std::memset(buffer, 'C', sizeof buffer); // the second half must stay untouched
            total += socket.read(buffer, 16);
            withinBuffer =
                withinBuffer && buffer[0] == 'F' && QByteArray(buffer + 16, 16) == QByteArray(16, 'C');
        });
        const QByteArray flood(1 << 20, 'F');
        peer->write(flood);
        QTRY_COMPARE(total, qint64(flood.size()));
        QVERIFY(withinBuffer);
    }
};

QTEST_GUILESS_MAIN(TestLinkSocket)
#include "tst_linksocket.moc"
