#pragma once
// The boards' file servers: one pyftpdlib process (Debian's python3-pyftpdlib)
// serves every board on its own address and port from a temporary folder per
// board that plantsim fills with the board's files: "snapshot.png" in the
// login folder, "applog" with the daily logs, the totals logs and "INV_"
// files, "hisram" with history files. Today's log is rewritten as the day
// goes on. The child process ends with plantsim.

#include "boardmodel.h"

#include <QDateTime>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QVector>

#include <functional>

class FileServer : public QObject
{
    Q_OBJECT
public:
    // `clock` gives the plant's time of day (the PC clock, or the time the
    // plant is told to follow): today's log holds the records up to it.
    FileServer(const QVector<BoardModel*>& models, std::function<QDateTime()> clock,
               QObject* parent = nullptr);
    ~FileServer() override;

    // Writes the files and starts the server process; ready() follows once
    // every board's server listens (the ports are then in the models' configs).
    bool start(QString* error);
    void stop();
    // Passes the FTP faults of a board's current fault set to the server.
    void faultsChanged(BoardModel* model);
    QString rootOf(const BoardModel* model) const;

signals:
    void ready();
    void failed(const QString& message);

private:
    void writeFiles(BoardModel* model, bool todayOnly);
    void refreshToday();
    void readOutput();

    QVector<BoardModel*> models;
    std::function<QDateTime()> clock;
    QTemporaryDir root;
    QProcess process;
    QTimer refresh;
    QByteArray pending;
    bool stopping = false;
};
