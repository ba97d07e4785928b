#pragma once
// Control of a running plantsim: command lines from standard input and,
// optionally, from clients of a small TCP socket on 127.0.0.1; SIGTERM and
// SIGINT end the event loop cleanly (so child processes are stopped).

#include <QByteArray>
#include <QObject>

class Plant;
class QSocketNotifier;
class QTcpServer;

class ControlChannel : public QObject
{
    Q_OBJECT
public:
    explicit ControlChannel(Plant* plant, QObject* parent = nullptr);
    ~ControlChannel() override;

    // withSocket: also listen on 127.0.0.1:port (0 lets the system choose);
    // the line "CONTROL 127.0.0.1:<port>" tells where.
    bool start(bool withSocket, quint16 port, QString* error);

signals:
    void terminate();

private:
    void readStdin();
    void acceptClient();
    void onSignal();

    Plant* plant;
    QSocketNotifier* stdinNotifier = nullptr;
    QSocketNotifier* signalNotifier = nullptr;
    QTcpServer* server = nullptr;
    QByteArray stdinBuffer;
};
