#pragma once
// Runs plantsim for a test: collects its event lines, waits for READY and
// knows each board's address and ports from the BOARD lines.
#include "testsupport.h"
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

struct SimBoard
{
    QString address;
    quint16 modbus = 0, ftp = 0, discovery = 0, config = 0;
    QString mac;
};

class PlantSimProcess : public QObject
{
public:
    static QString program() { return testsupport::binaryDir() + "/simulator/plantsim"; }
    ~PlantSimProcess() override { stop(); }
    // Starts plantsim with the arguments and waits for READY; false on failure.
    bool start(const QStringList& args, int timeoutMs = 20000)
    {
        connect(&proc, &QProcess::readyReadStandardOutput, this, [this] { collect(); });
        proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc.start(program(), args);
        return proc.waitForStarted(5000) && waitForLine(QRegularExpression("^(READY|ERROR)"), 0, timeoutMs) &&
               hasLine(QRegularExpression("^READY"));
    }
    void stop()
    {
        send("quit");
        if (!proc.waitForFinished(5000))
            proc.kill();
    }
    void send(const QString& command) { proc.write(command.toUtf8() + '\n'); }
    // Waits until a line matching the pattern has been printed at or after line from.
    bool waitForLine(const QRegularExpression& re, int from = 0, int timeoutMs = 10000)
    {
        (void)QTest::qWaitFor([&] { return hasLine(re, from) || proc.state() != QProcess::Running; },
                              timeoutMs);
        return hasLine(re, from);
    }
    bool hasLine(const QRegularExpression& re, int from = 0) const { return indexOf(re, from) >= 0; }
    QString lineMatching(const QRegularExpression& re, int from = 0) const
    {
        return lines.value(indexOf(re, from));
    }
    int indexOf(const QRegularExpression& re, int from = 0) const
    {
        for (int i = from; i < lines.size(); ++i)
            if (re.match(lines.at(i)).hasMatch())
                return i;
        return -1;
    }
    // Sends a control command; true when its answer is OK.
    bool command(const QString& line) { return ask(line, "^(OK|ERR)").startsWith("OK"); }
    // Waits until everything printed before this call has been read ("list"
    // is answered after everything logged before it).
    bool barrier() { return !ask("list", "^READY").isEmpty(); }
    // Sends a line and returns the first answer matching the pattern, empty when none came.
    QString ask(const QString& line, const QString& pattern)
    {
        const int from = lines.size();
        send(line);
        waitForLine(QRegularExpression(pattern), from);
        return lineMatching(QRegularExpression(pattern), from);
    }
    // Requests to one board logged since the last clearRequests(), as
    // "fc=3 reg=79 count=32" (values left out).
    QStringList requests(const QString& id) const
    {
        QStringList out;
        for (const QString& l : lines.mid(requestsFrom.value(id)))
            if (l.startsWith("REQ " + id + ' '))
                out << l.section(' ', 2, 4);
        return out;
    }
    void clearRequests(const QString& id) { requestsFrom[id] = lines.size(); }
    QStringList linesStartingWith(const QString& prefix) const
    {
        return lines.filter(QRegularExpression("^" + QRegularExpression::escape(prefix)));
    }
    int lineCount() const { return lines.size(); }
    SimBoard board(const QString& id) const { return boards.value(id); }

private:
    void collect()
    {
        buffer += proc.readAllStandardOutput();
        for (int nl; (nl = buffer.indexOf('\n')) >= 0; buffer.remove(0, nl + 1)) {
            lines << QString::fromUtf8(buffer.left(nl));
            if (!lines.last().startsWith("BOARD ")) // "BOARD <id> kind=... addr=... modbus=... mac=..."
                continue;
            QHash<QString, QString> v;
            for (const QString& p : lines.last().split(' '))
                v.insert(p.section('=', 0, 0), p.section('=', 1));
            const auto port = [&](const char* key) { return quint16(v.value(key).toUInt()); };
            boards.insert(lines.last().section(' ', 1, 1),
                          {v.value("addr"), port("modbus"), port("ftp"), port("discovery"), port("config"),
                           v.value("mac")});
        }
    }
    QProcess proc;
    QByteArray buffer;
    QStringList lines;
    QMap<QString, SimBoard> boards;
    QHash<QString, int> requestsFrom;
};

// n ticks of an equipment's cycle against plantsim (the object's SendQuery()),
// each awaiting the object's reply signal; false when a reply did not come.
template <typename Object, typename... Args>
bool repliedTicks(Object& object, void (Object::*replied)(Args...), int n)
{
    for (int i = 0; i < n; ++i) {
        QSignalSpy spy(&object, replied);
        object.SendQuery();
        if (!spy.wait(5000))
            return false;
    }
    return true;
}

// Runs an external tool to completion and returns its standard output.
inline QByteArray runTool(const QString& program, const QStringList& args, int* exitCode = nullptr,
                          int timeoutMs = 30000)
{
    QProcess p;
    p.start(program, args);
    const bool done = QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, timeoutMs);
    if (exitCode)
        *exitCode = done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput();
}

// Reads holding registers with mbpoll (the Modbus client from Debian), unit
// 255, zero-based register numbers; empty when the read failed.
inline QVector<quint16> mbpollRead(quint16 port, int reg, int count, const QString& host = "127.0.0.1")
{
    int rc = -1;
    const QString args =
        QString::asprintf("-m tcp -a 255 -p %d -0 -1 -t 4:hex -r %d -c %d -o 2 ", port, reg, count);
    const QByteArray out = runTool("mbpoll", (args + host).split(' '), &rc);
    QVector<quint16> words; // lines "[79]: 	0x0033"
    for (const QByteArray& l : out.split('\n'))
        if (l.startsWith('[') && l.contains("0x"))
            words << quint16(l.mid(l.indexOf("0x") + 2).trimmed().toUInt(nullptr, 16));
    return rc == 0 && words.size() == count ? words : QVector<quint16>();
}

// Writes a scenario file with the given boards into dir; returns its path.
inline QString writeScenario(const QTemporaryDir& dir, const QJsonArray& boards)
{
    QFile f(dir.filePath("plant.json"));
    const QByteArray json = QJsonDocument(QJsonObject{{"boards", boards}}).toJson();
    return f.open(QIODevice::WriteOnly) && f.write(json) == json.size() ? f.fileName() : QString();
}

// The console's discovery (16) or configuration (17) request.
inline QByteArray discoveryRequest(quint8 command)
{
    return char(command) + QByteArray::fromHex("000100000001001600000000000000") + "**0100";
}
