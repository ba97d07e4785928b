// The link's socket against a TCP peer on loopback.
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
        QTest::newRow("address") << "127.0.0.1"
                                 << "";
        QTest::newRow("name looked up") << "localhost"
                                        << "";
        QTest::newRow("from a bound address") << "127.0.0.1" << QString("127.0.0.2");
    }
    void exchange()
    {
        QFETCH(QString, host);
        QFETCH(QString, local);
        LinkSocket socket;
        QVERIFY(local.isEmpty() || socket.bind(QHostAddress(local)));
        QVERIFY(connectTo(socket, host));
        QVERIFY(local.isEmpty() || peer->peerAddress() == QHostAddress(local));
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

    // The board ends the connection: data sent before, the error, then the disconnection.
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
        const QString closedError = QString("error %1").arg(int(QAbstractSocket::RemoteHostClosedError));
        QTRY_COMPARE(events, (QStringList{"data", closedError, "disconnected"}));
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

    void bindFailure() // an address not this machine's
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
