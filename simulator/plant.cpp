#include "plant.h"

#include "fileserver.h"
#include "registerserver.h"
#include "simlog.h"
#include "udpresponder.h"

Plant::Plant(const Scenario& scenario, const PlantOptions& options, QObject* parent)
    : QObject(parent), opts(options)
{
    for (const BoardConfig& cfg : scenario.boards) {
        Board b;
        b.model = std::make_unique<BoardModel>(cfg);
        b.registers = new RegisterServer(b.model.get(), this);
        boards.push_back(std::move(b));
    }
    QVector<BoardModel*> models;
    for (Board& b : boards)
        models << b.model.get();
    if (opts.ftp) {
        files = new FileServer(
            models, [this] { return now(); }, this);
        connect(files, &FileServer::ready, this, &Plant::checkReady);
        connect(files, &FileServer::failed, this, [](const QString& message) { simSay("ERROR " + message); });
    }
    if (opts.udp)
        udp = new UdpResponder(models, this);
    clock.setInterval(opts.updateMs);
    connect(&clock, &QTimer::timeout, this, &Plant::tick);
    tick();
}

QDateTime Plant::now() const
{
    const QDateTime pc = QDateTime::currentDateTime();
    return opts.solarTime.isValid() ? QDateTime(pc.date(), opts.solarTime) : pc;
}

Plant::~Plant()
{
    if (files)
        files->stop();
}

bool Plant::start(QString* error)
{
    for (Board& b : boards)
        if (!b.registers->start(error))
            return false;
    if (udp && !udp->start(error))
        return false;
    clock.start();
    if (files)
        return files->start(error); // ready once its servers listen
    checkReady();
    return true;
}

void Plant::checkReady()
{
    if (ready)
        return;
    ready = true;
    emit readyChanged();
}

void Plant::tick()
{
    const QDateTime t = now();
    for (Board& b : boards)
        b.model->update(t);
}

Plant::Board* Plant::find(const QString& id)
{
    for (Board& b : boards)
        if (b.model->config().id == id)
            return &b;
    return nullptr;
}

BoardModel* Plant::model(const QString& id) const
{
    for (const Board& b : boards)
        if (b.model->config().id == id)
            return b.model.get();
    return nullptr;
}

QStringList Plant::readyLines() const
{
    QStringList out;
    for (const Board& b : boards) {
        const BoardConfig& c = b.model->config();
        out << QString(
                   "BOARD %1 kind=%2 fw=%3 addr=%4 modbus=%5 ftp=%6 discovery=%7 config=%8 mac=%9 name=%10")
                   .arg(c.id, kindName(c.kind))
                   .arg(c.firmware)
                   .arg(b.registers->address().toString())
                   .arg(b.registers->port())
                   .arg(c.ftpPort)
                   .arg(c.discoveryPort)
                   .arg(c.configPort)
                   .arg(QString(c.mac.toHex(':')), c.name);
    }
    out << QString("READY %1").arg(boards.size());
    return out;
}

QString Plant::command(const QString& line)
{
    const QStringList args = line.split(' ', Qt::SkipEmptyParts);
    if (args.isEmpty())
        return QString();
    const QString verb = args.first().toLower();
    if (verb == "quit") {
        emit quitRequested();
        return "OK quit";
    }
    if (verb == "list")
        return readyLines().join('\n');
    if (verb == "help")
        return "OK commands: fault <board|all> <mode> on|off; set <board> state|reg|alarm|status-bit|result "
               "...; "
               "rename <board> [name]; list; quit. Faults: " +
               allFaultNames().join(' ');
    if (verb == "fault")
        return setFault(args.value(1), args.mid(2));
    if (args.size() < 2)
        return "ERR missing board";
    Board* b = find(args.at(1));
    if (!b)
        return "ERR unknown board " + args.at(1);
    if (verb == "set")
        return setValue(b, args.mid(2));
    if (verb == "rename") {
        // Everything after the board id, spaces included, is the new name.
        const QString name = line.section(' ', 2, -1, QString::SectionSkipEmpty);
        b->model->setName(name);
        return QString("OK rename %1 %2").arg(args.at(1), name);
    }
    return "ERR unknown command " + verb;
}

QString Plant::setFault(const QString& id, const QStringList& args)
{
    Fault fault;
    if (args.size() != 2 || !faultFromName(args.at(0), &fault) || (args.at(1) != "on" && args.at(1) != "off"))
        return "ERR usage: fault <board|all> <" + allFaultNames().join('|') + "> on|off";
    const bool on = args.at(1) == "on";
    int changed = 0;
    for (Board& b : boards) {
        if (id != "all" && b.model->config().id != id)
            continue;
        if (on)
            b.model->config().faults.insert(fault);
        else
            b.model->config().faults.remove(fault);
        b.registers->faultsChanged();
        if (files)
            files->faultsChanged(b.model.get());
        ++changed;
    }
    if (!changed)
        return "ERR unknown board " + id;
    return QString("OK fault %1 %2 %3").arg(id, args.at(0), args.at(1));
}

QString Plant::setValue(Board* b, const QStringList& args)
{
    const QString what = args.value(0);
    bool ok1 = false, ok2 = true;
    const uint v1 = args.value(1).toUInt(&ok1, 0);
    const QString id = b->model->config().id;
    if (what == "state" && ok1) {
        b->model->setState(int(v1));
    } else if (what == "result" && ok1) {
        b->model->config().resultWord = quint16(v1);
    } else if (what == "reg" && ok1) {
        const uint v2 = args.value(2).toUInt(&ok2, 0);
        if (!ok2 || v1 >= uint(BoardModel::kRegisterCount))
            return "ERR usage: set <board> reg <register> <value>";
        b->model->setReg(int(v1), quint16(v2));
    } else if (what == "alarm" && ok1 && v1 < 10) {
        const uint v2 = args.value(2).toUInt(&ok2, 0);
        if (!ok2)
            return "ERR usage: set <board> alarm <0-9> <value>";
        b->model->setReg(1000 + int(v1), quint16(v2));
    } else if (what == "status-bit" && ok1 && v1 < 16 && (args.value(2) == "on" || args.value(2) == "off")) {
        b->model->setStatusBit(int(v1), args.value(2) == "on");
    } else {
        return "ERR usage: set <board> state <n> | result <word> | reg <r> <v> | alarm <0-9> <v> | "
               "status-bit <bit> on|off";
    }
    return QString("OK set %1 %2").arg(id, args.join(' '));
}
