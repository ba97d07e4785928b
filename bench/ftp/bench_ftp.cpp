// Times the FTP client fetching a year of day logs (365 files of 20 400 bytes,
// one login, one cd, one get each) and one 50 MiB file from pyftpdlib on
// 127.0.0.1, against curl (one connection for the day files) and Python's ftplib.
// Usage: bench_ftp [rounds] [--big-only]

#include "ftpclient.h"
#include "pyftpserver.h"

#include <QtCore>
namespace {
struct Timing
{
    double days = 0, big = 0; // seconds for the day files, for the 50 MiB file
    double part(int i) const { return i == 0 ? days : i == 1 ? big : days + big; }
};
bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}
// Every copy in out (day files and big.bin) equals its original under root.
bool copiesMatch(const QString& root, const QString& out, const QStringList& names)
{
    for (const QString& n : names + QStringList{"big.bin"}) {
        QFile a(root + (n == "big.bin" ? "/" : "/applog/") + n), b(out + "/" + n);
        if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.readAll() != b.readAll())
            return false;
    }
    return true;
}
Timing runOurs(quint16 port, const QStringList& names, const QString& out, bool* ok)
{
    FtpClient ftp;
    QHash<int, QFile*> files;
    QEventLoop loop;
    QElapsedTimer clock;
    Timing t;
    int lastDayId = 0;
    QObject::connect(&ftp, &FtpClient::commandFinished, [&](int id, bool error) {
        delete files.take(id); // closes the file
        if (id == lastDayId && !error)
            t.days = clock.nsecsElapsed() / 1e9;
    });
    QObject::connect(&ftp, &FtpClient::done, [&](bool error) { *ok = !error, loop.quit(); });
    clock.start();
    ftp.connectToHost("127.0.0.1", port);
    ftp.login("ftpuser", "kvtrmzn");
    ftp.cd("applog");
    for (const QString& n : names) {
        auto* f = new QFile(out + "/" + n);
        files.insert(lastDayId = ftp.get(n, f), f);
    }
    ftp.cd("/");
    auto* big = new QFile(out + "/big.bin");
    files.insert(ftp.get("big.bin", big), big);
    ftp.close();
    loop.exec();
    t.big = clock.nsecsElapsed() / 1e9 - t.days;
    qDeleteAll(files);
    return t;
}
// Runs a reference client to its end; returns its wall time in seconds.
double run(QProcess& p, const QString& program, const QStringList& args, bool* ok)
{
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    *ok = p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 && *ok;
    return clock.nsecsElapsed() / 1e9;
}
// curl without proxies over one connection, from a -K config of url/output pairs.
double runCurl(quint16 port, const QStringList& files, const QString& out, bool* ok)
{
    QString pairs, url = QString("url = \"ftp://127.0.0.1:%1/").arg(port);
    for (const QString& f : files)
        pairs += url + f + "\"\noutput = \"" + out + "/" + f.section('/', -1) + "\"\n";
    writeFile(out + ".curl", pairs.toUtf8());
    QProcess curl;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* proxy : {"ftp_proxy", "FTP_PROXY", "all_proxy", "ALL_PROXY"})
        env.remove(proxy);
    curl.setProcessEnvironment(env);
    curl.setProcessChannelMode(QProcess::ForwardedChannels);
    return run(curl, "curl", {"-q", "-sS", "--noproxy", "*", "-u", "ftpuser:kvtrmzn", "-K", out + ".curl"},
               ok);
}
} // namespace
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments().mid(1);
    const int rounds = args.value(0).toInt() > 0 ? args[0].toInt() : 3;
    QTemporaryDir root, work;
    QStringList names, remote; // DP_2026_M_D.log: 204 lines of 100 bytes, different for every day
    QDir(root.path()).mkpath("applog");
    for (QDate d(2026, 1, 1); d.year() == 2026 && !args.contains("--big-only"); d = d.addDays(1)) {
        names << QString("DP_%1_%2_%3.log").arg(d.year()).arg(d.month()).arg(d.day());
        remote << "applog/" + names.last();
        QByteArray day;
        for (int line = 0; line < 204; ++line)
            day += QByteArray::number(d.dayOfYear() * 1000 + line).rightJustified(98, '0') + ";\n";
        writeFile(root.filePath(remote.last()), day);
    }
    QByteArray big(50 << 20, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(big.data()), big.size() / 4);
    writeFile(root.filePath("big.bin"), big);
    PyFtpServer server;
    if (!server.start(root.path())) {
        out << "could not start the FTP server (needs python3-pyftpdlib)\n";
        return 1;
    }
    const QString client[3] = {"ours", "curl", "ftplib"};
    const QString dir[3] = {work.filePath(client[0]), work.filePath(client[1]), work.filePath(client[2])};
    QVector<double> times[3][3]; // [client][day files, 50 MiB file, total]
    for (int round = 1; round <= rounds; ++round) {
        Timing t[3];
        bool ok[3] = {false, true, true};
        for (const QString& d : dir)
            QDir(d).removeRecursively(), QDir().mkpath(d);
        t[0] = runOurs(server.port, names, dir[0], &ok[0]);
        if (!names.isEmpty())
            t[1].days = runCurl(server.port, remote, dir[1], &ok[1]);
        t[1].big = runCurl(server.port, {"big.bin"}, dir[1], &ok[1]);
        QProcess py; // prints its own times: "days <s> big <s>"
        py.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run(py, "/usr/bin/python3",
            QStringList{FTPLIB_FETCH_SCRIPT, QString::number(server.port), dir[2]} + names, &ok[2]);
        const QStringList f = QString::fromLatin1(py.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
        t[2] = {f.value(1).toDouble(), f.value(3).toDouble()};
        ok[2] = ok[2] && f.size() == 4;
        out << "round " << round;
        for (int k = 0; k < 3; ++k) {
            if (!ok[k] || !copiesMatch(root.path(), dir[k], names)) {
                out << ": " << client[k] << " failed or copied wrongly\n";
                return 1;
            }
            for (int i = 0; i < 3; ++i)
                times[k][i] << t[k].part(i);
            out << (k ? ", " : ": ") << client[k];
            out << QString::asprintf(" %.3f s (days %.3f s, 50 MiB %.3f s)", t[k].part(2), t[k].days,
                                     t[k].big);
        }
        out << "\n";
        out.flush();
    }
    out << "median of " << rounds << " rounds          ours      curl    ftplib  ours/curl  ours/ftplib\n";
    const char* const parts[3] = {"365 day files", "50 MiB file", "total"};
    for (int i = names.isEmpty() ? 1 : 0; i < 3; ++i) {
        for (auto& v : times)
            std::sort(v[i].begin(), v[i].end());
        auto m = [&](int k) { return times[k][i][rounds / 2]; };
        out << QString::asprintf("%-24s %7.3f s %7.3f s %7.3f s %10.2f %12.2f\n", parts[i], m(0), m(1), m(2),
                                 m(0) / m(1), m(0) / m(2));
    }
    return 0;
}
