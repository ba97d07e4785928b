#include "fileserver.h"

#include "simlog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QtEndian>

namespace {

const char* const kUser = "ftpuser";
const char* const kPassword = "kvtrmzn"; // the boards' fixed FTP password
const char* const kPython = "/usr/bin/python3";
constexpr int kRefreshMs = 60000;

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const char* type, const QByteArray& body)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(body.size()), reinterpret_cast<uchar*>(out.data()));
    const QByteArray typed = QByteArray(type) + body;
    out += typed;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(typed), reinterpret_cast<uchar*>(crc.data()));
    return out + crc;
}

// A small RGB picture standing in for the board's screen snapshot, tinted per board.
QByteArray snapshotPng(quint8 tint)
{
    const int w = 160, h = 96;
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(w, reinterpret_cast<uchar*>(header.data()));
    qToBigEndian<quint32>(h, reinterpret_cast<uchar*>(header.data() + 4));
    header[8] = 8; // bit depth
    header[9] = 2; // RGB
    QByteArray pixels;
    for (int y = 0; y < h; ++y) {
        pixels.append('\0'); // no filter
        for (int x = 0; x < w; ++x)
            pixels.append(char(x * 255 / w)).append(char(y * 255 / h)).append(char(tint));
    }
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", qCompress(pixels).mid(4)) + pngChunk("IEND", QByteArray());
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QSaveFile f(path); // renamed into place, so a download never sees half a file
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size() && f.commit();
}

} // namespace

FileServer::FileServer(const QVector<BoardModel*>& m, std::function<QDateTime()> c, QObject* parent)
    : QObject(parent), models(m), clock(std::move(c))
{
    refresh.setInterval(kRefreshMs);
    connect(&refresh, &QTimer::timeout, this, &FileServer::refreshToday);
    connect(&process, &QProcess::readyReadStandardOutput, this, &FileServer::readOutput);
    connect(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, [this](int code) {
        if (!stopping)
            emit failed(QString("FTP server process ended (status %1)").arg(code));
    });
    connect(&process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (!stopping && e == QProcess::FailedToStart)
            emit failed(QString("cannot start %1: %2").arg(kPython, process.errorString()));
    });
}

FileServer::~FileServer()
{
    stop();
}

QString FileServer::rootOf(const BoardModel* model) const
{
    return root.filePath(model->config().id);
}

void FileServer::writeFiles(BoardModel* model, bool todayOnly)
{
    const QDateTime now = clock();
    const QDir dir(rootOf(model));
    const QString applog = dir.filePath("applog");
    const QString hisram = dir.filePath("hisram");
    QDir().mkpath(applog);
    QDir().mkpath(hisram);
    if (!todayOnly)
        for (const QString& extra : model->config().ftpExtraFiles) {
            QDir().mkpath(QFileInfo(dir.filePath(extra)).absolutePath());
            writeFile(dir.filePath(extra), extra.toUtf8() + "\n");
        }
    if (!model->config().ftpLogs) {
        if (!todayOnly)
            writeFile(dir.filePath("snapshot.png"), snapshotPng(quint8(qHash(model->config().id))));
        return;
    }
    writeFile(applog + "/" + BoardModel::dailyLogName(now.date()), model->dailyLog(now.date(), now));
    writeFile(applog + "/" + BoardModel::totalsLogName(now.date().year()),
              model->totalsLog(now.date().year(), now));
    if (todayOnly)
        return;
    writeFile(dir.filePath("snapshot.png"), snapshotPng(quint8(qHash(model->config().id))));
    for (int d = 1; d <= model->config().historyDays; ++d) {
        const QDate day = now.date().addDays(-d);
        const QByteArray log = model->dailyLog(day, now);
        writeFile(applog + "/" + BoardModel::dailyLogName(day), log);
        writeFile(hisram + "/" + BoardModel::dailyLogName(day), log);
    }
    const int firstYear = now.date().addDays(-model->config().historyDays).year();
    for (int year = firstYear; year < now.date().year(); ++year)
        writeFile(applog + "/" + BoardModel::totalsLogName(year), model->totalsLog(year, now));
    writeFile(hisram + "/" + BoardModel::totalsLogName(now.date().year()),
              model->totalsLog(now.date().year(), now));
    const QByteArray events = now.toString("yyyy-MM-dd hh:mm:ss").toUtf8() + ";board start;" +
                              model->config().versionText.toUtf8() + "\n";
    writeFile(applog + "/INV_events.log", events);
    writeFile(applog + "/INV_info.txt", QString("id=%1\nkind=%2\nfirmware=%3\n")
                                            .arg(model->config().id, kindName(model->config().kind))
                                            .arg(model->config().firmware)
                                            .toUtf8());
    writeFile(hisram + "/INV_events.log", events);
}

void FileServer::refreshToday()
{
    for (BoardModel* m : models)
        writeFiles(m, true);
}

bool FileServer::start(QString* error)
{
    if (!root.isValid()) {
        *error = "cannot create a temporary folder for the FTP files";
        return false;
    }
    QJsonArray boards;
    for (BoardModel* m : models) {
        QDir().mkpath(rootOf(m));
        writeFiles(m, false);
        const BoardConfig& c = m->config();
        boards << QJsonObject{{"id", c.id},
                              {"address", c.address.toString()},
                              {"port", c.ftpPort},
                              {"root", rootOf(m)},
                              {"user", kUser},
                              {"password", kPassword},
                              {"masquerade", c.ftpMasquerade},
                              {"stall", c.faults.contains(Fault::FtpStall)},
                              {"stall_once", c.faults.contains(Fault::FtpStallOnce)},
                              {"extra_names", QJsonArray::fromStringList(c.ftpListExtra)},
                              {"pasv_address", c.faults.contains(Fault::FtpPasvAddress)},
                              {"silent", c.faults.contains(Fault::FtpSilent)}};
    }
    const QString config = root.filePath("ftp.json");
    const QString script = root.filePath("ftpserver.py");
    QFile resource(":/plantsim/ftpserver.py");
    if (!writeFile(config, QJsonDocument(QJsonObject{{"boards", boards}}).toJson()) ||
        !resource.open(QIODevice::ReadOnly) || !writeFile(script, resource.readAll())) {
        *error = "cannot write the FTP server files in " + root.path();
        return false;
    }
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The Debian interpreter, which sees python3-pyftpdlib, whatever comes first on PATH.
    process.start(kPython, {"-u", script, config});
    refresh.start();
    return true;
}

void FileServer::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    stopping = true;
    process.closeWriteChannel(); // the server stops at the end of its input
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
    }
}

void FileServer::faultsChanged(BoardModel* model)
{
    const BoardConfig& c = model->config();
    const auto onOff = [&c](Fault f) { return c.faults.contains(f) ? "on" : "off"; };
    process.write(QString("stall %1 %2\npasv %1 %3\nsilent %1 %4\nstallonce %1 %5\n")
                      .arg(c.id, onOff(Fault::FtpStall), onOff(Fault::FtpPasvAddress),
                           onOff(Fault::FtpSilent), onOff(Fault::FtpStallOnce))
                      .toUtf8());
}

void FileServer::readOutput()
{
    pending += process.readAllStandardOutput();
    int nl;
    while ((nl = pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(pending.left(nl)).trimmed();
        pending.remove(0, nl + 1);
        const QStringList parts = line.split(' ');
        if (parts.value(0) == "FTPPORT") {
            for (BoardModel* m : models)
                if (m->config().id == parts.value(1))
                    m->config().ftpPort = quint16(parts.value(2).toUInt());
        } else if (parts.value(0) == "FTPONCE") {
            // The one-shot stall has been used: the fault is off again.
            for (BoardModel* m : models)
                if (m->config().id == parts.value(1))
                    m->config().faults.remove(Fault::FtpStallOnce);
        } else if (parts.value(0) == "FTPREADY") {
            emit ready();
        } else if (!line.isEmpty()) {
            simLog(line);
        }
    }
}
