#pragma once
// The whole simulated plant: one model and one set of services per board, the
// clock that moves the values, and the control commands.

#include "boardmodel.h"
#include "scenario.h"

#include <QDateTime>
#include <QObject>
#include <QTime>
#include <QTimer>
#include <memory>
#include <vector>

class RegisterServer;
class FileServer;
class UdpResponder;

struct PlantOptions
{
    bool ftp = true;
    bool udp = true;
    int updateMs = 1000;
    // Time of day the values follow; invalid: the PC clock. A fixed time
    // keeps the power curve away from the night for runs at any hour.
    QTime solarTime;
};

class Plant : public QObject
{
    Q_OBJECT
public:
    Plant(const Scenario& scenario, const PlantOptions& options, QObject* parent = nullptr);
    ~Plant() override;

    // Starts every service; when all listen, readyChanged() is emitted once.
    bool start(QString* error);
    bool isReady() const { return ready; }

    // Runs one control command line and returns its answer ("OK ..." or "ERR ...").
    QString command(const QString& line);

    // The READY block: one BOARD line per board, then READY.
    QStringList readyLines() const;

    int boardCount() const { return int(boards.size()); }
    BoardModel* model(const QString& id) const;

signals:
    void readyChanged();
    void quitRequested();

private:
    struct Board
    {
        std::unique_ptr<BoardModel> model;
        RegisterServer* registers = nullptr;
    };

    void tick();
    QDateTime now() const;
    void checkReady();
    Board* find(const QString& id);
    QString setValue(Board* b, const QStringList& args);
    QString setFault(const QString& id, const QStringList& args);

    PlantOptions opts;
    std::vector<Board> boards;
    FileServer* files = nullptr;
    UdpResponder* udp = nullptr;
    QTimer clock;
    bool ready = false;
};
