#pragma once
// A scripted FTP server on 127.0.0.1 that plays the broken and hostile
// servers no real server imitates: odd reply splits, replies that arrive
// together or before the data, bad PASV replies, hostile listings.

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

class FakeFtpServer : public QObject
{
public:
    // How the end of a RETR/LIST is told: 150, data, close, 226 (Normal);
    // data and close, then "150 ...\r\n226 ...\r\n" in one write (Together);
    // "150 ...\r\n226 ...\r\n" first, the data a moment later (RepliesFirst).
    enum Ending
    {
        Normal,
        Together,
        RepliesFirst
    };

    // Returns true when it answered the command itself.
    std::function<bool(const QByteArray& verb, const QByteArray& arg)> script;
    QList<QByteArray> greeting{"220 fake ready\r\n"}; // written piece by piece
    QByteArray payload;                               // RETR and LIST data
    Ending ending = Normal;
    QList<QByteArray> received; // the command lines, in order

    FakeFtpServer()
    {
        m_server.listen(QHostAddress(QHostAddress::LocalHost));
        m_dataServer.listen(QHostAddress(QHostAddress::LocalHost));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_control = m_server.nextPendingConnection();
            connect(m_control, &QTcpSocket::readyRead, this, [this] { readCommands(); });
            sendPaced(greeting);
        });
        connect(&m_dataServer, &QTcpServer::newConnection, this, [this] {
            m_data = m_dataServer.nextPendingConnection();
            tryTransfer();
        });
    }

    quint16 port() const { return m_server.serverPort(); }

    void send(const QByteArray& bytes)
    {
        if (m_control) {
            m_control->write(bytes);
            m_control->flush();
        }
    }

    // Writes each piece in its own segment, a few milliseconds apart.
    void sendPaced(const QList<QByteArray>& pieces)
    {
        int delay = 0;
        for (const QByteArray& piece : pieces) {
            QTimer::singleShot(delay, this, [this, piece] { send(piece); });
            delay += 15;
        }
    }

    void closeControl()
    {
        if (m_data)
            m_data->abort();
        if (m_control)
            m_control->disconnectFromHost();
    }

    QByteArray pasvReply() const
    {
        const quint16 p = m_dataServer.serverPort();
        return QByteArray("227 Entering Passive Mode (127,0,0,1,") + QByteArray::number(p / 256) + "," +
               QByteArray::number(p % 256) + ").\r\n";
    }

private:
    void readCommands()
    {
        m_in += m_control->readAll();
        int end;
        while ((end = m_in.indexOf("\r\n")) >= 0) {
            const QByteArray line = m_in.left(end);
            m_in.remove(0, end + 2);
            received << line;
            const int space = line.indexOf(' ');
            const QByteArray verb = (space < 0 ? line : line.left(space)).toUpper();
            const QByteArray arg = space < 0 ? QByteArray() : line.mid(space + 1);
            if (!script || !script(verb, arg))
                answer(verb);
            if (!m_control)
                return;
        }
    }

    void answer(const QByteArray& verb)
    {
        if (verb == "USER")
            send("331 Password required.\r\n");
        else if (verb == "PASS")
            send("230 Logged in.\r\n");
        else if (verb == "TYPE")
            send("200 Type set.\r\n");
        else if (verb == "SIZE")
            send("213 " + QByteArray::number(payload.size()) + "\r\n");
        else if (verb == "CWD")
            send("250 Directory changed.\r\n");
        else if (verb == "PASV")
            send(pasvReply());
        else if (verb == "RETR" || verb == "LIST") {
            m_transferWanted = true;
            tryTransfer();
        } else if (verb == "ABOR")
            send("225 No transfer to abort.\r\n");
        else if (verb == "QUIT") {
            send("221 Bye.\r\n");
            m_control->disconnectFromHost();
        } else
            send("502 Command not implemented.\r\n");
    }

    void tryTransfer()
    {
        if (!m_transferWanted || !m_data)
            return;
        m_transferWanted = false;
        QPointer<QTcpSocket> data = m_data;
        m_data = nullptr;
        const QByteArray replies = "150 Opening data connection.\r\n226 Transfer complete.\r\n";
        auto sendData = [data, this] {
            if (!data)
                return;
            data->write(payload);
            data->disconnectFromHost();
        };
        switch (ending) {
        case Normal:
            send("150 Opening data connection.\r\n");
            connect(data, &QTcpSocket::disconnected, this, [this] { send("226 Transfer complete.\r\n"); });
            sendData();
            break;
        case Together:
            connect(data, &QTcpSocket::disconnected, this, [this, replies] { send(replies); });
            sendData();
            break;
        case RepliesFirst:
            send(replies);
            QTimer::singleShot(100, this, sendData);
            break;
        }
    }

    QTcpServer m_server;
    QTcpServer m_dataServer;
    QPointer<QTcpSocket> m_control;
    QPointer<QTcpSocket> m_data;
    QByteArray m_in;
    bool m_transferWanted = false;
};
