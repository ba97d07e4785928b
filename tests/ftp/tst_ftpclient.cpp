// The FTP client against a real server (Debian's pyftpdlib on 127.0.0.1) and
// against a scripted fake server for the broken and hostile cases.

#include "fakeftpserver.h"
#include "ftpclient.h"
#include "pyftpserver.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const int Wait = 30000;

QString serverScript()
{
    return QStringLiteral(FTP_TEST_SERVER_SCRIPT);
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray out(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        out[i] = char(gen.generate() & 0xff);
    return out;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Debug lines seen while a capture is alive.
QStringList* g_captured = nullptr;
QtMessageHandler g_previousHandler = nullptr;
void captureMessage(QtMsgType type, const QMessageLogContext& ctx, const QString& msg)
{
    if (g_captured)
        *g_captured << msg;
    if (g_previousHandler)
        g_previousHandler(type, ctx, msg);
}
struct MessageCapture
{
    QStringList lines;
    MessageCapture()
    {
        g_captured = &lines;
        g_previousHandler = qInstallMessageHandler(captureMessage);
    }
    ~MessageCapture()
    {
        qInstallMessageHandler(g_previousHandler);
        g_captured = nullptr;
    }
};

// Records every signal of a client in order.
struct Recorder
{
    QStringList log; // "state N", "start ID", "finish ID ERR", "done ERR"
    QList<FtpEntry> entries;
    QMap<int, bool> finished;
    QList<int> started;
    qint64 lastDone = -1;
    qint64 lastTotal = -1;
    int progressCount = 0;
    int doneCount = 0;
    bool doneError = false;
    QByteArray readData;

    explicit Recorder(FtpClient* c)
    {
        QObject::connect(c, &FtpClient::stateChanged,
                         [this](int s) { log << QStringLiteral("state %1").arg(s); });
        QObject::connect(c, &FtpClient::commandStarted, [this](int id) {
            started << id;
            log << QStringLiteral("start %1").arg(id);
        });
        QObject::connect(c, &FtpClient::commandFinished, [this](int id, bool e) {
            finished[id] = e;
            log << QStringLiteral("finish %1 %2").arg(id).arg(int(e));
        });
        QObject::connect(c, &FtpClient::done, [this](bool e) {
            ++doneCount;
            doneError = e;
            log << QStringLiteral("done %1").arg(int(e));
        });
        QObject::connect(c, &FtpClient::listInfo, [this](const FtpEntry& e) { entries << e; });
        QObject::connect(c, &FtpClient::dataTransferProgress, [this](qint64 d, qint64 t) {
            ++progressCount;
            lastDone = d;
            lastTotal = t;
        });
        QObject::connect(c, &FtpClient::readyRead, [this, c] { readData += c->readAll(); });
    }
    bool waitDone(int count = 1)
    {
        return QTest::qWaitFor([&] { return doneCount >= count; }, Wait);
    }
};

} // namespace

class TestFtpClient : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_root;
    PyFtpServer m_server;

    // Serves m_root (with the given extra options) and logs in.
    bool startServer(const QStringList& extra = {})
    {
        return m_server.start(serverScript(), m_root.path(), extra);
    }
    void connectAndLogin(FtpClient& ftp, quint16 port, const QString& user = "ftpuser",
                         const QString& password = "kvtrmzn")
    {
        ftp.connectToHost("127.0.0.1", port);
        ftp.login(user, password);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(PyFtpServer::available(), "needs /usr/bin/python3 with python3-pyftpdlib");
    }

    void init()
    {
        QVERIFY(m_root.isValid());
        QDir(m_root.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_root.path()));
    }
    void cleanup() { m_server.stop(); }

    // ---- against pyftpdlib ------------------------------------------------

    void login_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("good") << "ftpuser"
                              << "kvtrmzn" << true;
        QTest::newRow("wrong password") << "ftpuser"
                                        << "kvtrmzX" << false;
        QTest::newRow("unknown user") << "nobody"
                                      << "kvtrmzn" << false;
    }
    void login()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        QVERIFY(startServer());
        FtpClient ftp;
        Recorder rec(&ftp);
        const int connectId = ftp.connectToHost("127.0.0.1", m_server.port());
        const int loginId = ftp.login(user, password);
        const int cdId = ftp.cd("/");
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(connectId, true), false);
        QCOMPARE(rec.finished.value(loginId, accepted), !accepted);
        QCOMPARE(rec.doneError, !accepted);
        QCOMPARE(ftp.state(), accepted ? FtpClient::LoggedIn : FtpClient::Connected);
        // A failed login drops the commands queued behind it.
        QCOMPARE(rec.started.contains(cdId), accepted);
        if (!accepted) {
            QVERIFY2(ftp.errorString().startsWith("Login failed") &&
                         ftp.errorString().contains("Authentication failed"),
                     qPrintable(ftp.errorString()));
            QCOMPARE(ftp.error(), FtpClient::UnknownError);
        }
    }

    void missingRemotePath_data()
    {
        QTest::addColumn<bool>("isCd");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("cd to a missing folder") << true << "Changing directory failed";
        QTest::newRow("get of a missing file") << false << "Downloading file failed";
    }
    void missingRemotePath()
    {
        QFETCH(bool, isCd);
        QFETCH(QString, prefix);
        QVERIFY(startServer());
        FtpClient ftp;
        Recorder rec(&ftp);
        connectAndLogin(ftp, m_server.port());
        const int id = isCd ? ftp.cd("no_such_folder") : ftp.get("DP_1999_01_01.log");
        const int listId = ftp.list();
        QVERIFY(rec.waitDone());
        QVERIFY(rec.doneError);
        QCOMPARE(rec.finished.value(id), true);
        QVERIFY(!rec.started.contains(listId));
        // The server's own words reach the caller.
        QVERIFY2(ftp.errorString().startsWith(prefix) && ftp.errorString().contains("No such file"),
                 qPrintable(ftp.errorString()));
        QCOMPARE(ftp.state(), FtpClient::LoggedIn);
    }

    void listFolder()
    {
        QDir root(m_root.path());
        QVERIFY(root.mkpath("applog/sub"));
        QMap<QString, qint64> files{
            {"DP_2026_1_1.log", 20480}, {"TOTALS_2026.log", 0}, {"name with space", 7}};
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            QVERIFY(writeFile(root.filePath("applog/" + it.key()), QByteArray(int(it.value()), 'x')));
        QVERIFY(startServer());
        FtpClient ftp;
        Recorder rec(&ftp);
        connectAndLogin(ftp, m_server.port());
        ftp.cd("applog");
        const int listId = ftp.list();
        QVERIFY(rec.waitDone());
        QVERIFY(!rec.doneError);
        QCOMPARE(rec.finished.value(listId, true), false);
        QCOMPARE(rec.entries.size(), files.size() + 1);
        for (const FtpEntry& e : rec.entries) {
            QVERIFY(e.isValid());
            QVERIFY(e.lastModified().isValid());
            if (e.name() == "sub") {
                QVERIFY(e.isDir());
                QVERIFY(!e.isFile());
                continue;
            }
            QVERIFY2(files.contains(e.name()), qPrintable(e.name()));
            QCOMPARE(e.size(), files.value(e.name()));
            QVERIFY(e.isFile());
            QVERIFY(!e.isDir());
        }
    }

    void getFile_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("toDevice");
        QTest::newRow("empty, device") << 0 << true;
        QTest::newRow("one byte, device") << 1 << true;
        QTest::newRow("day file, device") << 20000 << true;
        QTest::newRow("6 MiB, device") << 6 * 1024 * 1024 + 123 << true;
        QTest::newRow("day file, no device") << 20000 << false;
        QTest::newRow("3 MiB, no device") << 3 * 1024 * 1024 + 7 << false;
    }
    void getFile()
    {
        QFETCH(int, size);
        QFETCH(bool, toDevice);
        const QByteArray content = randomBytes(size, quint32(size) + 17);
        QVERIFY(writeFile(m_root.filePath("remote.bin"), content));
        QVERIFY(startServer());
        QTemporaryDir local;
        QFile out(local.filePath("copy.bin"));
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));

        FtpClient ftp;
        Recorder rec(&ftp);
        connectAndLogin(ftp, m_server.port());
        const int getId = ftp.get("remote.bin", toDevice ? &out : nullptr, FtpClient::Binary);
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(getId, true), false);
        QVERIFY(!rec.doneError);
        out.close();
        QCOMPARE(toDevice ? readFile(out.fileName()) : rec.readData, content);
        if (size > 0) {
            QCOMPARE(rec.lastDone, qint64(size));
            QCOMPARE(rec.lastTotal, qint64(size));
        }
    }

    void putFile()
    {
        const QByteArray content = randomBytes(3 * 1024 * 1024 + 11, 5);
        QVERIFY(startServer());
        FtpClient ftp;
        Recorder rec(&ftp);
        connectAndLogin(ftp, m_server.port());
        const int putId = ftp.put(content, "Update.tgz", FtpClient::Binary);
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(putId, true), false);
        QCOMPARE(readFile(m_root.filePath("Update.tgz")), content);
        QCOMPARE(rec.lastDone, qint64(content.size()));
        QCOMPARE(rec.lastTotal, qint64(content.size()));
    }

    void abortDuringGet()
    {
        QVERIFY(writeFile(m_root.filePath("big.bin"), randomBytes(4 * 1024 * 1024, 9)));
        QVERIFY(startServer({"--throttle", "262144"}));
        FtpClient ftp;
        Recorder rec(&ftp);
        QSignalSpy finishedSpy(&ftp, &FtpClient::commandFinished);
        connectAndLogin(ftp, m_server.port());
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        const int getId = ftp.get("big.bin", &sink);
        const int cdId = ftp.cd("/");
        // Abort from inside the progress signal, as the console does from its slots.
        QObject::connect(&ftp, &FtpClient::dataTransferProgress, &ftp, [&ftp] { ftp.abort(); });
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(getId), true);
        QVERIFY(rec.doneError);
        QVERIFY(!rec.started.contains(cdId));
        QVERIFY(!ftp.hasPendingCommands());
        QVERIFY(sink.size() < 4 * 1024 * 1024);
        QCOMPARE(ftp.errorString(), QString("Aborted"));
        QCOMPARE(ftp.state(), FtpClient::LoggedIn);

        // The connection is still in step with the server afterwards.
        QObject::disconnect(&ftp, &FtpClient::dataTransferProgress, &ftp, nullptr);
        QVERIFY(writeFile(m_root.filePath("small.txt"), "after abort"));
        const int listId = ftp.list();
        const int closeId = ftp.close();
        QVERIFY(rec.waitDone(2));
        QCOMPARE(rec.finished.value(listId, true), false);
        QCOMPARE(rec.finished.value(closeId, true), false);
        QVERIFY(!rec.doneError);
        QCOMPARE(ftp.state(), FtpClient::Unconnected);
        QVERIFY(std::any_of(rec.entries.cbegin(), rec.entries.cend(),
                            [](const FtpEntry& e) { return e.name() == "small.txt"; }));
    }

    void serverKilledDuringGet()
    {
        QVERIFY(writeFile(m_root.filePath("big.bin"), randomBytes(4 * 1024 * 1024, 3)));
        QVERIFY(startServer({"--throttle", "262144"}));
        FtpClient ftp;
        Recorder rec(&ftp);
        connectAndLogin(ftp, m_server.port());
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        const int getId = ftp.get("big.bin", &sink);
        const int listId = ftp.list();
        QTRY_VERIFY_WITH_TIMEOUT(rec.progressCount > 0, Wait);
        m_server.kill();
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(getId), true);
        QVERIFY(!rec.started.contains(listId));
        QVERIFY(rec.doneError);
        QCOMPARE(ftp.state(), FtpClient::Unconnected);
        QVERIFY(rec.log.indexOf("state 0") < rec.log.indexOf(QString("finish %1 1").arg(getId)));
    }

    void connectionRefused()
    {
        // A port nobody listens on: take a free one and release it.
        quint16 port;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        FtpClient ftp;
        Recorder rec(&ftp);
        const int connectId = ftp.connectToHost("127.0.0.1", port);
        ftp.login("ftpuser", "kvtrmzn");
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(connectId), true);
        QCOMPARE(ftp.error(), FtpClient::ConnectionRefused);
        QCOMPARE(ftp.state(), FtpClient::Unconnected);
        QCOMPARE(rec.started.size(), 1);
    }

    void signalOrder()
    {
        QVERIFY(QDir(m_root.path()).mkpath("applog"));
        QVERIFY(writeFile(m_root.filePath("applog/DP_2026_1_1.log"), randomBytes(30000, 1)));
        QVERIFY(startServer());
        FtpClient ftp;
        Recorder rec(&ftp);
        QBuffer sink;
        const int c = ftp.connectToHost("127.0.0.1", m_server.port());
        const int l = ftp.login("ftpuser", "kvtrmzn");
        const int d = ftp.cd("applog");
        const int g = ftp.get("DP_2026_1_1.log", &sink);
        const int q = ftp.close();
        QCOMPARE(ftp.state(), FtpClient::Unconnected);
        QCOMPARE(ftp.currentCommand(), FtpClient::None);
        QVERIFY(rec.waitDone());
        auto S = [](FtpClient::State s) { return QStringLiteral("state %1").arg(int(s)); };
        auto B = [](int id) { return QStringLiteral("start %1").arg(id); };
        auto F = [](int id) { return QStringLiteral("finish %1 0").arg(id); };
        const QStringList expected{B(c),
                                   S(FtpClient::HostLookup),
                                   S(FtpClient::Connecting),
                                   S(FtpClient::Connected),
                                   F(c),
                                   B(l),
                                   S(FtpClient::LoggedIn),
                                   F(l),
                                   B(d),
                                   F(d),
                                   B(g),
                                   F(g),
                                   B(q),
                                   S(FtpClient::Closing),
                                   S(FtpClient::Unconnected),
                                   F(q),
                                   "done 0"};
        QCOMPARE(rec.log, expected);
        QCOMPARE(sink.data().size(), 30000);
    }

    void currentCommandInsideFinished()
    {
        QVERIFY(startServer());
        FtpClient ftp;
        QList<FtpClient::Command> seen;
        connect(&ftp, &FtpClient::commandFinished, this, [&] { seen << ftp.currentCommand(); });
        Recorder rec(&ftp);
        connectAndLogin(ftp, m_server.port());
        ftp.list();
        QVERIFY(rec.waitDone());
        QCOMPARE(seen,
                 (QList<FtpClient::Command>{FtpClient::ConnectToHost, FtpClient::Login, FtpClient::List}));
    }

    void passiveAddress_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("differ");
        QTest::newRow("same address") << QStringList() << false;
        // The server announces 127.0.0.2 but listens on 127.0.0.1 only: the
        // transfer works only when the client goes to the peer address.
        QTest::newRow("announced address differs") << QStringList{"--masquerade", "127.0.0.2"} << true;
    }
    void passiveAddress()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, differ);
        const QByteArray content = randomBytes(50000, 77);
        QVERIFY(writeFile(m_root.filePath("snapshot.png"), content));
        QVERIFY(startServer(options));
        FtpClient ftp;
        Recorder rec(&ftp);
        MessageCapture messages;
        connectAndLogin(ftp, m_server.port());
        const int getId = ftp.get("snapshot.png");
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(getId, true), false);
        QCOMPARE(rec.readData, content);
        QCOMPARE(messages.lines.contains("LS: host address in PASV differ."), differ);
    }

    // ---- against the scripted fake server ------------------------------------

    void splitAndMultiLineReplies()
    {
        FakeFtpServer fake;
        fake.greeting = {"2", "20-Welcome", " to the board\r\n220-", "second line\r\n22", "0 ready\r\n"};
        fake.payload = "day log contents";
        fake.script = [&fake](const QByteArray& verb, const QByteArray&) {
            if (verb == "PASS") {
                fake.sendPaced({"230-Hello\r\n", "230-", "you are in\r", "\n230 OK\r\n"});
                return true;
            }
            return false;
        };
        FtpClient ftp;
        Recorder rec(&ftp);
        connectAndLogin(ftp, fake.port());
        const int getId = ftp.get("DP_2026_1_1.log");
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(getId, true), false);
        QCOMPARE(ftp.state(), FtpClient::LoggedIn);
        QCOMPARE(rec.readData, fake.payload);
    }

    void transferEndOrder_data()
    {
        QTest::addColumn<int>("ending");
        QTest::newRow("150, data, 226") << int(FakeFtpServer::Normal);
        QTest::newRow("150 and 226 in one read after the data") << int(FakeFtpServer::Together);
        QTest::newRow("226 before the data") << int(FakeFtpServer::RepliesFirst);
    }
    void transferEndOrder()
    {
        QFETCH(int, ending);
        FakeFtpServer fake;
        fake.ending = FakeFtpServer::Ending(ending);
        fake.payload = randomBytes(200000, 4);
        FtpClient ftp;
        Recorder rec(&ftp);
        connectAndLogin(ftp, fake.port());
        QBuffer sink;
        const int getId = ftp.get("f.bin", &sink);
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(getId, true), false);
        QCOMPARE(sink.data(), fake.payload);
    }

    void failedGet_data()
    {
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<QList<QByteArray>>("replies");
        QTest::addColumn<QString>("reason");
        // No replies: the server drops the control connection instead.
        QTest::newRow("server closes the connection")
            << QByteArray("RETR") << QList<QByteArray>{} << "Connection closed by the server";
        QTest::newRow("PASV without numbers")
            << QByteArray("PASV") << QList<QByteArray>{"227 Entering Passive Mode.\r\n"}
            << "Malformed PASV reply";
        QTest::newRow("PASV number out of range")
            << QByteArray("PASV") << QList<QByteArray>{"227 Entering Passive Mode (127,0,0,1,300,7)\r\n"}
            << "Malformed PASV reply";
        QTest::newRow("PASV with five numbers")
            << QByteArray("PASV") << QList<QByteArray>{"227 Entering Passive Mode (127,0,0,1,7)\r\n"}
            << "Malformed PASV reply";
        QTest::newRow("PASV port zero")
            << QByteArray("PASV") << QList<QByteArray>{"227 Entering Passive Mode (127,0,0,1,0,0)\r\n"}
            << "Malformed PASV reply";
        QTest::newRow("PASV refused")
            << QByteArray("PASV") << QList<QByteArray>{"502 PASV not allowed\r\n"} << "PASV not allowed";
        QTest::newRow("150 then 425") << QByteArray("RETR")
                                      << QList<QByteArray>{"150 Opening BINARY mode data connection.\r\n",
                                                           "425 Can't open data connection.\r\n"}
                                      << "Can't open data connection.";
        QTest::newRow("unexpected TYPE reply")
            << QByteArray("TYPE") << QList<QByteArray>{"504 Type not supported by this board.\r\n"}
            << "Type not supported by this board.";
    }
    void failedGet()
    {
        QFETCH(QByteArray, verb);
        QFETCH(QList<QByteArray>, replies);
        QFETCH(QString, reason);
        FakeFtpServer fake;
        fake.script = [&](const QByteArray& v, const QByteArray&) {
            if (v != verb)
                return false;
            if (replies.isEmpty())
                fake.closeControl();
            fake.sendPaced(replies);
            return true;
        };
        FtpClient ftp;
        Recorder rec(&ftp);
        connectAndLogin(ftp, fake.port());
        const int getId = ftp.get("f.bin");
        const int cdId = ftp.cd("applog");
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(getId), true);
        QVERIFY(!rec.started.contains(cdId));
        QVERIFY(rec.doneError);
        QVERIFY2(ftp.errorString().startsWith("Downloading file failed") &&
                     ftp.errorString().contains(reason),
                 qPrintable(ftp.errorString()));
        QCOMPARE(fake.received.contains("RETR f.bin"), verb == "RETR");
        if (!replies.isEmpty()) {
            // The control connection stays usable.
            QCOMPARE(ftp.state(), FtpClient::LoggedIn);
            return;
        }
        QCOMPARE(ftp.state(), FtpClient::Unconnected);
        // Later commands fail at once: there is no connection.
        const int lateId = ftp.cd("applog");
        QVERIFY(rec.waitDone(2));
        QCOMPARE(rec.finished.value(lateId), true);
        QCOMPARE(ftp.error(), FtpClient::NotConnected);
    }

    void hostileListing()
    {
        FakeFtpServer fake;
        const QByteArray row = "-rw-r--r--   1 u g 10 Dec 06 09:46 ";
        fake.payload = row + "DP_2026_1_1.log\r\n" + row + "../../etc/cron.d/evil\r\n" + row +
                       "/etc/passwd\r\n" + row + "..\\..\\evil.log\r\n" + row + "..\r\n" + row + ".\r\n" +
                       row + "a\rb.log\r\n" + row + QByteArray(300, 'n') + "\r\n" + row + "nul" +
                       QByteArray(1, '\0') + "x\r\n" + row + "C:evil\r\n" +
                       "drwxr-xr-x 2 u g 0 Dec 06 09:46 applog\n" + row + "TOTALS_2026.log";
        FtpClient ftp;
        Recorder rec(&ftp);
        connectAndLogin(ftp, fake.port());
        ftp.list();
        QVERIFY(rec.waitDone());
        QVERIFY(!rec.doneError);
        QStringList names;
        for (const FtpEntry& e : rec.entries)
            names << e.name();
        QCOMPARE(names, (QStringList{"DP_2026_1_1.log", "applog", "TOTALS_2026.log"}));
    }

    void endlessLine_data()
    {
        QTest::addColumn<bool>("inListing");
        QTest::newRow("control reply") << false;
        QTest::newRow("listing line") << true;
    }
    void endlessLine()
    {
        QFETCH(bool, inListing);
        FakeFtpServer fake;
        const QByteArray endless = "-rw-r--r-- 1 u g 10 Dec 06 09:46 " + QByteArray(64 * 1024, 'x');
        if (inListing)
            fake.payload = endless;
        else
            fake.greeting = {"220 " + endless};
        FtpClient ftp;
        Recorder rec(&ftp);
        const int connectId = ftp.connectToHost("127.0.0.1", fake.port());
        ftp.login("ftpuser", "kvtrmzn");
        const int listId = ftp.list();
        QVERIFY(rec.waitDone());
        QVERIFY(rec.doneError);
        QCOMPARE(rec.finished.value(inListing ? listId : connectId), true);
        QCOMPARE(ftp.state(), inListing ? FtpClient::LoggedIn : FtpClient::Unconnected);
        QVERIFY(rec.entries.isEmpty());
    }

    void closeAfterAbortWithSilentServer()
    {
        // A server that starts a download, then never sends data nor answers
        // ABOR: the caller's abort() and close() must still end the job.
        FakeFtpServer fake;
        fake.script = [&](const QByteArray& verb, const QByteArray&) {
            if (verb == "RETR")
                fake.send("150 Opening BINARY mode data connection.\r\n");
            return verb == "RETR" || verb == "ABOR";
        };
        FtpClient ftp;
        Recorder rec(&ftp);
        connectAndLogin(ftp, fake.port());
        const int getId = ftp.get("f.bin");
        QTRY_VERIFY_WITH_TIMEOUT(fake.received.contains("RETR f.bin"), Wait);
        ftp.abort();
        const int closeId = ftp.close();
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(getId), true);
        QCOMPARE(rec.finished.value(closeId, true), false);
        QCOMPARE(ftp.state(), FtpClient::Unconnected);
        QTRY_VERIFY_WITH_TIMEOUT(fake.received.contains("ABOR"), Wait);
    }

    void namesWithLineBreaksAreRefused()
    {
        FakeFtpServer fake;
        FtpClient ftp;
        Recorder rec(&ftp);
        connectAndLogin(ftp, fake.port());
        const int getId = ftp.get("a\r\nDELE b");
        QVERIFY(rec.waitDone());
        QCOMPARE(rec.finished.value(getId), true);
        QVERIFY(!std::any_of(fake.received.cbegin(), fake.received.cend(),
                             [](const QByteArray& l) { return l.startsWith("DELE"); }));
    }

    void deleteInsideSignal()
    {
        FakeFtpServer fake;
        auto* ftp = new FtpClient;
        QPointer<FtpClient> guard(ftp);
        connect(ftp, &FtpClient::commandFinished, ftp, [ftp](int, bool) { delete ftp; });
        connectAndLogin(*ftp, fake.port());
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), Wait);
    }
};

QTEST_GUILESS_MAIN(TestFtpClient)
#include "tst_ftpclient.moc"
