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

    bool hasLine(const QRegularExpression& re, int from = 0) const
    {
        for (int i = from; i < lines.size(); ++i)
            if (re.match(lines.at(i)).hasMatch())
                return true;
        return false;
    }

    QString lineMatching(const QRegularExpression& re, int from = 0) const
    {
        for (int i = from; i < lines.size(); ++i)
            if (re.match(lines.at(i)).hasMatch())
                return lines.at(i);
        return QString();
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

    void parseBoard(const QString& line)
    {
        if (!line.startsWith("BOARD "))
            return;
        const QStringList parts = line.split(' ');
        SimBoard b;
        for (const QString& p : parts) {
            const QString key = p.section('=', 0, 0), value = p.section('=', 1);
            if (key == "addr")
                b.address = value;
            else if (key == "modbus")
                b.modbus = quint16(value.toUInt());
            else if (key == "ftp")
                b.ftp = quint16(value.toUInt());
            else if (key == "discovery")
                b.discovery = quint16(value.toUInt());
            else if (key == "config")
                b.config = quint16(value.toUInt());
            else if (key == "mac")
                b.mac = value;
        }
        boards.insert(parts.value(1), b);
    }

    QProcess proc;
    QByteArray buffer;
    QStringList lines;
    QMap<QString, SimBoard> boards;
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
