#pragma once
// Runs plantsim for a test: starts it, collects its event lines, waits for
// READY and knows each board's address and ports from the BOARD lines.

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "testsupport.h"

struct SimBoard
{
    QString address;
    quint16 modbus = 0;
    quint16 ftp = 0;
    quint16 discovery = 0;
    quint16 config = 0;
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
        QObject::connect(&proc, &QProcess::readyReadStandardOutput, this, [this] { collect(); });
        proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc.start(program(), args);
        if (!proc.waitForStarted(5000))
            return false;
        waitForLine(QRegularExpression("^(READY|ERROR)"), 0, timeoutMs);
        return hasLine(QRegularExpression("^READY"));
    }

    void stop()
    {
        if (proc.state() == QProcess::NotRunning)
            return;
        proc.write("quit\n");
        if (!proc.waitForFinished(5000)) {
            proc.kill();
            proc.waitForFinished(2000);
        }
    }

    void send(const QString& command) { proc.write(command.toUtf8() + '\n'); }

    // Waits until a line matching the pattern has been printed after position from.
    bool waitForLine(const QRegularExpression& re, int from = 0, int timeoutMs = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (!hasLine(re, from)) {
            if (t.elapsed() > timeoutMs || proc.state() != QProcess::Running)
                return false;
            QSignalSpy spy(&proc, &QProcess::readyReadStandardOutput);
            spy.wait(200);
            collect();
        }
        return true;
    }

    int indexOf(const QRegularExpression& re, int from = 0) const
    {
        for (int i = from; i < lines.size(); ++i)
            if (re.match(lines.at(i)).hasMatch())
                return i;
        return -1;
    }
    bool hasLine(const QRegularExpression& re, int from = 0) const { return indexOf(re, from) >= 0; }
    QString lineMatching(const QRegularExpression& re, int from = 0) const
    {
        return lines.value(indexOf(re, from));
    }

    // Sends a control command; true when its answer is OK.
    bool command(const QString& line)
    {
        const int from = lines.size();
        send(line);
        return waitForLine(QRegularExpression("^(OK|ERR)"), from) &&
               lineMatching(QRegularExpression("^(OK|ERR)"), from).startsWith("OK");
    }

    // Waits until everything printed before this call has been read ("list"
    // is answered after everything logged before it).
    bool barrier()
    {
        const int from = lines.size();
        send("list");
        return waitForLine(QRegularExpression("^READY"), from);
    }

    // Requests one board logged since the last clearRequests(), as
    // "fc=3 reg=79 count=32" (values left out).
    QStringList requests(const QString& id) const
    {
        QStringList out;
        for (int i = requestsFrom.value(id); i < lines.size(); ++i) {
            const QStringList w = lines.at(i).split(' ');
            if (w.value(0) == "REQ" && w.value(1) == id)
                out << w.mid(2, 3).join(' ');
        }
        return out;
    }
    void clearRequests(const QString& id) { requestsFrom[id] = lines.size(); }
    QStringList linesStartingWith(const QString& prefix) const
    {
        return lines.filter(QRegularExpression("^" + QRegularExpression::escape(prefix)));
    }

    int lineCount() const { return lines.size(); }
    SimBoard board(const QString& id) const { return boards.value(id); }
    QProcess& process() { return proc; }

private:
    void collect()
    {
        buffer += proc.readAllStandardOutput();
        int nl;
        while ((nl = buffer.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(buffer.left(nl));
            buffer.remove(0, nl + 1);
            lines << line;
            parseBoard(line);
        }
    }

    // "BOARD <id> addr=... modbus=... ftp=... discovery=... config=... mac=..."
    void parseBoard(const QString& line)
    {
        if (!line.startsWith("BOARD "))
            return;
        QHash<QString, QString> v;
        for (const QString& p : line.split(' '))
            v.insert(p.section('=', 0, 0), p.section('=', 1));
        const auto port = [&](const char* key) { return quint16(v.value(key).toUInt()); };
        boards.insert(line.section(' ', 1, 1), SimBoard{v.value("addr"), port("modbus"), port("ftp"),
                                                        port("discovery"), port("config"), v.value("mac")});
    }

    QProcess proc;
    QByteArray buffer;
    QStringList lines;
    QMap<QString, SimBoard> boards;
    QHash<QString, int> requestsFrom;
};

// Runs an external tool to completion and returns its standard output.
inline QByteArray runTool(const QString& program, const QStringList& args, int* exitCode = nullptr,
                          int timeoutMs = 20000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    qRegisterMetaType<QProcess::ExitStatus>("QProcess::ExitStatus");
    QSignalSpy finished(&p, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
    p.start(program, args);
    if (!finished.wait(timeoutMs)) {
        p.kill();
        p.waitForFinished(2000);
    }
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput();
}

// One raw Modbus TCP exchange on a fresh connection: the reply once it has at
// least minSize bytes, or what came before the wait ran out.
inline QByteArray modbusExchange(const QString& host, quint16 port, const QByteArray& request, int minSize)
{
    QTcpSocket s;
    QSignalSpy connected(&s, &QTcpSocket::connected);
    s.connectToHost(host, port);
    if (s.state() != QAbstractSocket::ConnectedState && !connected.wait(5000))
        return QByteArray();
    QSignalSpy ready(&s, &QTcpSocket::readyRead);
    s.write(request);
    QByteArray reply;
    while ((reply += s.readAll()).size() < minSize && ready.wait(5000)) {
    }
    return reply;
}

// The discovery (16) or configuration (17) request of the console.
inline QByteArray discoveryRequest(quint8 command)
{
    QByteArray r = QByteArray::fromHex("10000100000001001600000000000000") + "**0100";
    r[0] = char(command);
    return r;
}

// Reads holding registers with mbpoll (the Modbus client from Debian), unit
// 255, zero-based register numbers; empty when the read failed.
inline QVector<quint16> mbpollRead(quint16 port, int reg, int count, const QString& host = "127.0.0.1")
{
    int rc = -1;
    const QByteArray out =
        runTool("mbpoll",
                {"-m", "tcp", "-a", "255", "-p", QString::number(port), "-0", "-1", "-t", "4:hex", "-r",
                 QString::number(reg), "-c", QString::number(count), "-o", "2", host},
                &rc);
    QVector<quint16> words;
    const QRegularExpression re("^\\[(\\d+)\\]:\\s+0x([0-9A-Fa-f]{4})", QRegularExpression::MultilineOption);
    auto it = re.globalMatch(QString::fromLatin1(out));
    while (it.hasNext())
        words << quint16(it.next().captured(2).toUInt(nullptr, 16));
    return rc == 0 && words.size() == count ? words : QVector<quint16>();
}

// Writes holding registers with mbpoll; true on success.
inline bool mbpollWrite(quint16 port, int reg, const QVector<quint16>& values,
                        const QString& host = "127.0.0.1")
{
    QStringList args{"-m", "tcp", "-a", "255", "-p", QString::number(port),
                     "-0", "-1",  "-t", "4",   "-r", QString::number(reg),
                     "-o", "2",   host};
    for (quint16 v : values)
        args << QString::number(v);
    int rc = -1;
    runTool("mbpoll", args, &rc);
    return rc == 0;
}

// Writes a scenario file with the given boards into dir; returns its path.
inline QString writeScenario(const QTemporaryDir& dir, const QJsonArray& boards)
{
    const QString path = dir.filePath("plant.json");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(QJsonDocument(QJsonObject{{"boards", boards}}).toJson());
    return path;
}

// A board of a test scenario on loopback with system-chosen ports.
inline QJsonObject loopbackBoard(const QString& id, const QString& kind, int firmware, int phases, int power)
{
    return QJsonObject{
        {"id", id},         {"kind", kind},          {"firmware", firmware},   {"name", "N-" + id},
        {"phases", phases}, {"nominalPower", power}, {"address", "127.0.0.1"}, {"modbusPort", 0},
        {"ftpPort", 0},     {"discoveryPort", 0},    {"configPort", 0}};
}

// The board of a test scenario with the given id.
inline QJsonObject boardOf(const QJsonArray& boards, const QString& id)
{
    for (const QJsonValue& v : boards)
        if (v.toObject().value("id").toString() == id)
            return v.toObject();
    return QJsonObject();
}
