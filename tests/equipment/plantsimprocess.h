#pragma once
// Runs plantsim on loopback for the link tests: starts it with a scenario,
// reads the board ports from its BOARD lines, keeps its request log and sends
// it control commands on standard input.

#include "testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class PlantSimProcess : public QObject
{
    Q_OBJECT
public:
    static QString program() { return testsupport::binaryDir() + "/simulator/plantsim"; }

    // Starts plantsim with the given boards; true once it reports READY.
    bool start(const QJsonArray& boards)
    {
        const QString file = dir.filePath("scenario.json");
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(QJsonDocument(QJsonObject{{"boards", boards}}).toJson());
        f.close();
        connect(&proc, &QProcess::readyReadStandardOutput, this, &PlantSimProcess::readLines);
        proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc.start(program(),
                   {"--scenario", file, "--loopback", "--no-ftp", "--no-udp", "--update-ms", "200"});
        if (!proc.waitForStarted(10000))
            return false;
        return QTest::qWaitFor([this] { return readyCount > 0; }, 20000);
    }

    ~PlantSimProcess() override
    {
        if (proc.state() != QProcess::NotRunning) {
            command("quit");
            if (!proc.waitForFinished(5000))
                proc.kill();
            proc.waitForFinished(2000);
        }
    }

    quint16 modbusPort(const QString& id) const { return ports.value(id); }

    // Sends a control command and waits for its answer line.
    bool command(const QString& line)
    {
        const int before = answers;
        proc.write((line + "\n").toUtf8());
        return QTest::qWaitFor([&] { return answers > before; }, 10000) && lastAnswer.startsWith("OK");
    }

    // Waits until every line plantsim wrote before this call has been read
    // ("list" is answered after everything logged before it).
    bool barrier()
    {
        const int before = readyCount;
        proc.write("list\n");
        return QTest::qWaitFor([&] { return readyCount > before; }, 10000);
    }

    // Requests seen by one board, as "fc=3 reg=79 count=32" (values left out).
    QStringList requests(const QString& id) const { return reqs.value(id); }
    void clearRequests(const QString& id) { reqs[id].clear(); }
    QStringList lines(const QString& prefix) const
    {
        QStringList out;
        for (const QString& l : all)
            if (l.startsWith(prefix))
                out << l;
        return out;
    }

private slots:
    void readLines()
    {
        while (proc.canReadLine()) {
            const QString l = QString::fromUtf8(proc.readLine()).trimmed();
            all << l;
            const QStringList w = l.split(' ');
            if (l.startsWith("BOARD ")) {
                const QRegularExpressionMatch m = QRegularExpression("modbus=(\\d+)").match(l);
                ports[w.value(1)] = quint16(m.captured(1).toUInt());
            } else if (l.startsWith("READY")) {
                ++readyCount;
            } else if (l.startsWith("REQ ")) {
                reqs[w.value(1)] << w.mid(2, 3).join(' ');
            } else if (l.startsWith("OK") || l.startsWith("ERR")) {
                lastAnswer = l;
                ++answers;
            }
        }
    }

private:
    QTemporaryDir dir;
    QProcess proc;
    QHash<QString, quint16> ports;
    QHash<QString, QStringList> reqs;
    QStringList all;
    QString lastAnswer;
    int readyCount = 0;
    int answers = 0;
};
