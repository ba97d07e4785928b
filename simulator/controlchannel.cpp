#include "controlchannel.h"

#include "plant.h"
#include "simlog.h"

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onUnixSignal(int)
{
    const char c = 1;
    // Only async-signal-safe work here: wake the event loop through the pipe.
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

} // namespace

ControlChannel::ControlChannel(Plant* p, QObject* parent) : QObject(parent), plant(p) {}

ControlChannel::~ControlChannel()
{
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
}

bool ControlChannel::start(bool withSocket, quint16 port, QString* error)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        signalNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(signalNotifier, &QSocketNotifier::activated, this, &ControlChannel::onSignal);
        std::signal(SIGTERM, onUnixSignal);
        std::signal(SIGINT, onUnixSignal);
    }
    stdinNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(stdinNotifier, &QSocketNotifier::activated, this, &ControlChannel::readStdin);

    if (!withSocket)
        return true;
    server = new QTcpServer(this);
    if (!server->listen(QHostAddress(QHostAddress::LocalHost), port)) {
        *error = "control socket: " + server->errorString();
        return false;
    }
    connect(server, &QTcpServer::newConnection, this, &ControlChannel::acceptClient);
    simSay(QString("CONTROL 127.0.0.1:%1").arg(server->serverPort()));
    return true;
}

void ControlChannel::onSignal()
{
    char c;
    [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &c, 1);
    simSay("SIGNAL terminate");
    emit terminate();
}

void ControlChannel::readStdin()
{
    char buf[4096];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
        // End of input: keep running, controlled by signals or the socket.
        stdinNotifier->setEnabled(false);
        return;
    }
    stdinBuffer.append(buf, int(n));
    int nl;
    while ((nl = stdinBuffer.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(stdinBuffer.left(nl)).trimmed();
        stdinBuffer.remove(0, nl + 1);
        const QString answer = plant->command(line);
        if (!answer.isEmpty())
            simSay(answer);
    }
}

void ControlChannel::acceptClient()
{
    while (QTcpSocket* client = server->nextPendingConnection()) {
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QTcpSocket::readyRead, this, [this, client] {
            while (client->canReadLine()) {
                const QString line = QString::fromUtf8(client->readLine()).trimmed();
                const QString answer = plant->command(line);
                simLog("CTL " + line);
                client->write((answer.isEmpty() ? QString("OK") : answer).toUtf8() + '\n');
            }
        });
    }
}
