// Times the FTP client fetching a year of day logs (365 files of 20 400 bytes, one login, one cd,
// one get each) and one 50 MiB file from pyftpdlib on 127.0.0.1, against curl and Python's ftplib.
// Usage: bench_ftp [rounds]
#include "ftpclient.h"
#include "pyftpserver.h"

#include <QtCore>

namespace {
using Timing = std::array<double, 2>; // seconds for the day files, for the 50 MiB file

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

Timing runOurs(quint16 port, const QStringList& names, const QString& out, bool* ok)
{
    FtpClient ftp;
    QHash<int, QFile*> files;
    QEventLoop loop;
    QElapsedTimer clock;
    Timing t{};
    int lastDayId = 0;
    QObject::connect(&ftp, &FtpClient::commandFinished, [&](int id, bool error) {
        delete files.take(id); // closes the file
        if (id == lastDayId && !error)
            t[0] = clock.nsecsElapsed() / 1e9;
    });
    QObject::connect(&ftp, &FtpClient::done, [&](bool error) { *ok = !error, loop.quit(); });
    clock.start();
    ftp.connectToHost("127.0.0.1", port);
    ftp.login("ftpuser", "kvtrmzn");
    ftp.cd("applog");
    const auto get = [&](const QString& name) {
        auto* f = new QFile(out + "/" + name);
        const int id = ftp.get(name, f);
        files.insert(id, f);
        return id;
    };
    for (const QString& n : names)
        lastDayId = get(n);
    ftp.cd("/");
    get("big.bin");
    ftp.close();
    loop.exec();
    t[1] = clock.nsecsElapsed() / 1e9 - t[0];
    qDeleteAll(files);
    return t;
}

// Runs a reference client to its end; returns its wall time in seconds and leaves its output.
double run(const QString& program, const QStringList& args, bool* ok, QByteArray* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    *ok = p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 && *ok;
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (output)
        *output = p.readAllStandardOutput();
    return seconds;
}

// curl without any proxy, the files of one call over one connection ({a,b,...} globbing).
double runCurl(quint16 port, const QString& files, const QString& out, bool* ok)
{
    return run("curl",
               {"-q", "-sS", "--noproxy", "*", "-u", "ftpuser:kvtrmzn", "-o", out + "/#1",
                QString("ftp://127.0.0.1:%1/%2").arg(port).arg(files)},
               ok);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int rounds = qMax(1, app.arguments().value(1, "3").toInt());
    QTemporaryDir root, work;
    QStringList names; // DP_2026_M_D.log: 204 lines of 100 bytes, different for every day
    QDir(root.path()).mkpath("applog");
    for (QDate d(2026, 1, 1); d.year() == 2026; d = d.addDays(1)) {
        names << QString("DP_%1_%2_%3.log").arg(d.year()).arg(d.month()).arg(d.day());
        QByteArray day;
        for (int line = 0; line < 204; ++line)
            day += QByteArray::number(d.dayOfYear() * 1000 + line).rightJustified(98, '0') + ";\n";
        writeFile(root.filePath("applog/" + names.last()), day);
    }
    QByteArray big(50 << 20, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(big.data()), big.size() / 4);
    writeFile(root.filePath("big.bin"), big);
    PyFtpServer server;
    if (!server.start(root.path())) {
        out << "could not start the FTP server (needs python3-pyftpdlib)\n";
        return 1;
    }
    const char* const client[3] = {"ours", "curl", "ftplib"};
    QVector<double> times[3][3]; // [client][day files, 50 MiB file, total]
    for (int round = 1; round <= rounds; ++round) {
        Timing t[3];
        bool ok[3] = {false, true, true};
        QString dir[3];
        for (int k = 0; k < 3; ++k)
            dir[k] = work.filePath(client[k]), QDir(dir[k]).removeRecursively(), QDir().mkpath(dir[k]);
        t[0] = runOurs(server.port, names, dir[0], &ok[0]);
        t[1] = {runCurl(server.port, "applog/{" + names.join(',') + "}", dir[1], &ok[1]),
                runCurl(server.port, "{big.bin}", dir[1], &ok[1])};
        QByteArray py; // ftplib_fetch.py prints its own times: "days <s> big <s>"
        run("/usr/bin/python3",
            QStringList{FTPLIB_FETCH_SCRIPT, QString::number(server.port), dir[2]} + names, &ok[2], &py);
        const QStringList f = QString::fromLatin1(py).split(' ', Qt::SkipEmptyParts);
        t[2] = {f.value(1).toDouble(), f.value(3).toDouble()};
        out << "round " << round;
        for (int k = 0; k < 3; ++k) {
            // Every copy equals its original.
            for (const QString& n : names + QStringList{"big.bin"}) {
                QFile a(root.filePath(n == "big.bin" ? n : "applog/" + n)), b(dir[k] + "/" + n);
                ok[k] = ok[k] && a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) &&
                        a.readAll() == b.readAll();
            }
            if (!ok[k] || (k == 2 && f.size() != 4)) {
                out << ": " << client[k] << " failed or copied wrongly\n";
                return 1;
            }
            const double part[3] = {t[k][0], t[k][1], t[k][0] + t[k][1]};
            for (int i = 0; i < 3; ++i)
                times[k][i] << part[i];
            out << (k ? ", " : ": ") << client[k]
                << QString::asprintf(" %.3f s (days %.3f s, 50 MiB %.3f s)", part[2], part[0], part[1]);
        }
        out << "\n";
        out.flush();
    }
    out << "median of " << rounds << " rounds          ours      curl    ftplib  ours/curl  ours/ftplib\n";
    const char* const parts[3] = {"365 day files", "50 MiB file", "total"};
    for (int i = 0; i < 3; ++i) {
        for (auto& v : times)
            std::sort(v[i].begin(), v[i].end());
        auto m = [&](int k) { return times[k][i][rounds / 2]; };
        out << QString::asprintf("%-24s %7.3f s %7.3f s %7.3f s %10.2f %12.2f\n", parts[i], m(0), m(1), m(2),
                                 m(0) / m(1), m(0) / m(2));
    }
    return 0;
}
