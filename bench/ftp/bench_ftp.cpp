// Times the FTP client fetching a year of day logs (365 files of about 20 KB,
// one login, one cd, one get each) and one 50 MiB file from pyftpdlib on
// 127.0.0.1, against curl fetching the same files over one connection.

#include "ftpclient.h"
#include "pyftpserver.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

const char* const User = "ftpuser";
const char* const Password = "kvtrmzn";
const qint64 BigSize = 50LL * 1024 * 1024;

struct Timing
{
    double days = 0; // seconds for the 365 day files
    double big = 0;  // seconds for the 50 MiB file
    double total() const { return days + big; }
};

QStringList dayNames()
{
    QStringList names;
    for (QDate d(2026, 1, 1); d.year() == 2026; d = d.addDays(1))
        names << QStringLiteral("DP_%1_%2_%3.log").arg(d.year()).arg(d.month()).arg(d.day());
    return names;
}

// A day log of about 20 KB: 204 lines of 100 bytes, different for every day.
QByteArray dayContent(int day)
{
    QByteArray out;
    for (int i = 0; i < 204; ++i) {
        QByteArray line = QByteArray::number(day * 1000 + i).rightJustified(8, '0') + ';';
        while (line.size() < 99)
            line += QByteArray::number((day * 31 + i * 7 + line.size()) % 97) + ';';
        out += line.left(99) + '\n';
    }
    return out;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

bool sameFile(const QString& a, const QString& b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        if (fa.read(1 << 20) != fb.read(1 << 20))
            return false;
    }
    return true;
}

bool checkCopies(const QString& root, const QString& out, const QStringList& names)
{
    for (const QString& n : names) {
        if (!sameFile(root + "/applog/" + n, out + "/" + n))
            return false;
    }
    return sameFile(root + "/big.bin", out + "/big.bin");
}

Timing runOurs(quint16 port, const QStringList& names, const QString& out, bool* ok)
{
    FtpClient ftp;
    QHash<int, QFile*> files;
    QEventLoop loop;
    QElapsedTimer clock;
    Timing t;
    int lastDayId = 0;
    *ok = false;
    QObject::connect(&ftp, &FtpClient::commandFinished, [&](int id, bool error) {
        if (QFile* f = files.take(id)) {
            f->close();
            delete f;
        }
        if (id == lastDayId && !error)
            t.days = clock.nsecsElapsed() / 1e9;
    });
    QObject::connect(&ftp, &FtpClient::done, [&](bool error) {
        t.big = clock.nsecsElapsed() / 1e9 - t.days;
        *ok = !error;
        loop.quit();
    });
    clock.start();
    ftp.connectToHost("127.0.0.1", port);
    ftp.login(User, Password);
    ftp.cd("applog");
    for (const QString& n : names) {
        auto* f = new QFile(out + "/" + n);
        lastDayId = ftp.get(n, f, FtpClient::Binary);
        files.insert(lastDayId, f);
    }
    ftp.cd("/");
    auto* big = new QFile(out + "/big.bin");
    files.insert(ftp.get("big.bin", big, FtpClient::Binary), big);
    ftp.close();
    loop.exec();
    qDeleteAll(files);
    return t;
}

double runCurl(const QString& config, bool* ok)
{
    QProcess curl;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* proxy : {"ftp_proxy", "FTP_PROXY", "all_proxy", "ALL_PROXY"})
        env.remove(proxy);
    curl.setProcessEnvironment(env);
    curl.setProcessChannelMode(QProcess::ForwardedChannels);
    QEventLoop loop;
    QObject::connect(&curl, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                     &QEventLoop::quit);
    QObject::connect(&curl, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    curl.start("curl", {"-q", "-s", "-S", "--noproxy", "*", "--user", QString("%1:%2").arg(User, Password),
                        "-K", config});
    loop.exec();
    const double secs = clock.nsecsElapsed() / 1e9;
    *ok = curl.state() == QProcess::NotRunning && curl.exitStatus() == QProcess::NormalExit &&
          curl.exitCode() == 0;
    return secs;
}

// Python's ftplib over one login, the same way as ours; it prints its own times.
Timing runFtplib(quint16 port, const QString& outDir, const QString& namesFile, bool* ok)
{
    QProcess py;
    py.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    QObject::connect(&py, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                     &QEventLoop::quit);
    QObject::connect(&py, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    py.start(PyFtpServer::python(),
             {QStringLiteral(FTPLIB_FETCH_SCRIPT), QString::number(port), outDir, namesFile});
    loop.exec();
    const QStringList f = QString::fromLatin1(py.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
    *ok = py.exitStatus() == QProcess::NormalExit && py.exitCode() == 0 && f.size() == 4;
    Timing t;
    if (*ok) {
        t.days = f.at(1).toDouble();
        t.big = f.at(3).toDouble();
    }
    return t;
}

// One curl config per part: url/output pairs fetched over one connection.
bool writeCurlConfig(const QString& path, quint16 port, const QStringList& remote, const QStringList& local)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream s(&f);
    for (int i = 0; i < remote.size(); ++i)
        s << "url = \"ftp://127.0.0.1:" << port << "/" << remote.at(i) << "\"\noutput = \"" << local.at(i)
          << "\"\n";
    return true;
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    // bench_ftp [rounds] [--big-only]
    const QStringList args = app.arguments().mid(1);
    const bool bigOnly = args.contains("--big-only");
    int rounds = 3;
    for (const QString& a : args) {
        if (a.toInt() > 0)
            rounds = a.toInt();
    }
    if (!PyFtpServer::available()) {
        out << "needs /usr/bin/python3 with python3-pyftpdlib\n";
        return 1;
    }
    QTemporaryDir root;
    QTemporaryDir work;
    const QStringList names = bigOnly ? QStringList() : dayNames();
    QDir(root.path()).mkpath("applog");
    for (int i = 0; i < names.size(); ++i)
        writeFile(root.filePath("applog/" + names.at(i)), dayContent(i));
    {
        QFile big(root.filePath("big.bin"));
        big.open(QIODevice::WriteOnly);
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (int i = 0; i < BigSize / block.size(); ++i) {
            for (int j = 0; j < block.size(); ++j)
                block[j] = char((i * 131 + j * 7 + (j >> 9)) & 0xff);
            big.write(block);
        }
    }

    PyFtpServer server;
    if (!server.start(QStringLiteral(FTP_TEST_SERVER_SCRIPT), root.path())) {
        out << "could not start the FTP server\n";
        return 1;
    }
    const quint16 port = server.port();

    const QString namesFile = work.filePath("names.txt");
    {
        QFile f(namesFile);
        f.open(QIODevice::WriteOnly | QIODevice::Text);
        f.write(names.join('\n').toUtf8() + '\n');
    }
    QVector<Timing> oursT, curlT, pyT;
    for (int round = 1; round <= rounds; ++round) {
        const QString oursDir = work.filePath(QString("ours%1").arg(round));
        const QString curlDir = work.filePath(QString("curl%1").arg(round));
        const QString pyDir = work.filePath(QString("ftplib%1").arg(round));
        QDir().mkpath(oursDir);
        QDir().mkpath(curlDir);
        QDir().mkpath(pyDir);

        bool ok = false;
        const Timing ours = runOurs(port, names, oursDir, &ok);
        if (!ok || !checkCopies(root.path(), oursDir, names)) {
            out << "our client failed or copied wrongly in round " << round << "\n";
            return 1;
        }

        QStringList remote, local;
        for (const QString& n : names) {
            remote << "applog/" + n;
            local << curlDir + "/" + n;
        }
        const QString daysConfig = work.filePath(QString("days%1.curl").arg(round));
        const QString bigConfig = work.filePath(QString("big%1.curl").arg(round));
        writeCurlConfig(daysConfig, port, remote, local);
        writeCurlConfig(bigConfig, port, {"big.bin"}, {curlDir + "/big.bin"});
        bool okDays = false, okBig = false;
        Timing c;
        c.days = names.isEmpty() ? (okDays = true, 0.0) : runCurl(daysConfig, &okDays);
        c.big = runCurl(bigConfig, &okBig);
        if (!okDays || !okBig || !checkCopies(root.path(), curlDir, names)) {
            out << "curl failed or copied wrongly in round " << round << "\n";
            return 1;
        }
        bool okPy = false;
        const Timing py = runFtplib(port, pyDir, namesFile, &okPy);
        if (!okPy || !checkCopies(root.path(), pyDir, names)) {
            out << "ftplib failed or copied wrongly in round " << round << "\n";
            return 1;
        }
        auto fmt = [](const Timing& t) {
            return QString("%1 s (days %2 s, 50 MiB %3 s)")
                .arg(t.total(), 0, 'f', 3)
                .arg(t.days, 0, 'f', 3)
                .arg(t.big, 0, 'f', 3);
        };
        out << "round " << round << ": ours " << fmt(ours) << ", curl " << fmt(c) << ", ftplib " << fmt(py)
            << "\n";
        out.flush();
        oursT << ours;
        curlT << c;
        pyT << py;
        QDir(oursDir).removeRecursively();
        QDir(curlDir).removeRecursively();
        QDir(pyDir).removeRecursively();
    }

    out << QString("median of %1 rounds          ours      curl    ftplib  ours/curl  ours/ftplib\n")
               .arg(rounds);
    auto row = [&](const char* what, double (*pick)(const Timing&)) {
        QVector<double> a, b, p;
        for (int i = 0; i < rounds; ++i) {
            a << pick(oursT.at(i));
            b << pick(curlT.at(i));
            p << pick(pyT.at(i));
        }
        out << QString("%1 %2 s %3 s %4 s %5 %6\n")
                   .arg(QString(what), -24)
                   .arg(median(a), 7, 'f', 3)
                   .arg(median(b), 7, 'f', 3)
                   .arg(median(p), 7, 'f', 3)
                   .arg(median(a) / median(b), 10, 'f', 2)
                   .arg(median(a) / median(p), 12, 'f', 2);
    };
    if (!names.isEmpty())
        row("365 day files", [](const Timing& t) { return t.days; });
    row("50 MiB file", [](const Timing& t) { return t.big; });
    row("total", [](const Timing& t) { return t.total(); });
    return 0;
}
