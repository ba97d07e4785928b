// The FTP client against a real server (Debian's pyftpdlib on 127.0.0.1) and
// a scripted one for broken and hostile servers.
#include "ftpclient.h"
#include "pyftpserver.h"

#include <QLoggingCategory>
#include <QtNetwork>
#include <QtTest>
namespace {
using B = QByteArray;
using S = QStringList;
using Q = QString;
B randomBytes(int size, quint32 seed)
{
    QVector<quint32> words(size / 4 + 1);
    QRandomGenerator(seed).fillRange(words.data(), words.size());
    return B(reinterpret_cast<const char*>(words.constData()), size);
}
bool writeFile(const QString& path, const B& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}
// Records the client's signals in order: "state N", "start ID", "finish ID ERR", "done ERR".
struct Recorder : QObject
{
    QStringList log;
    QMap<int, QString> errors; // empty for the commands that worked
    QMap<int, QPair<qint64, qint64>> progress;
    QStringList listed;
    B readData;
    explicit Recorder(FtpClient* c)
    {
        connect(c, &FtpClient::stateChanged, [this](int s) { log << QString("state %1").arg(s); });
        connect(c, &FtpClient::commandStarted, [this](int i) { log << QString("start %1").arg(i); });
        connect(c, &FtpClient::commandFinished, [=](int id, bool e) {
            log << QString("finish %1 %2").arg(id).arg(e);
            errors[id] = e ? c->errorString() : "";
        });
        connect(c, &FtpClient::done, [this](bool e) { log << QString("done %1").arg(e); });
        connect(c, &FtpClient::listInfo, [this](const FtpEntry& e) {
            listed << e.name() + (e.isDir() ? "/" : " " + Q::number(e.size()));
        });
        connect(c, &FtpClient::dataTransferProgress, [=](qint64 d, qint64 t) {
            progress[c->currentId()] = {d, t};
        });
        connect(c, &FtpClient::readyRead, [this, c] { readData += c->readAll(); });
    }
    bool done(int n = 1) const { return log.filter("done ").size() >= n; }
    bool doneError() const { return log.last() == "done 1"; }
    bool started(int id) const { return log.contains(QString("start %1").arg(id)); }
};
// A scripted FTP server on 127.0.0.1: replies by verb ("" is the greeting), "200 ok" by default. RETR
// and LIST send the payload on the data connection, close it, and reply ("150" and "226" in one write).
struct FakeFtpServer : QObject
{
    QHash<B, B> replies;
    B payload;
    QList<B> verbs; // as received
    FakeFtpServer()
    {
        m_control.listen(QHostAddress::LocalHost);
        m_data.listen(QHostAddress::LocalHost);
        const quint16 p = m_data.serverPort();
        replies["PASV"] = QString("227 Passive (127,0,0,1,%1,%2)\r\n").arg(p / 256).arg(p % 256).toLatin1();
        connect(&m_control, &QTcpServer::newConnection, this, [this] {
            m_c = m_control.nextPendingConnection();
            m_c->write(replies.value("", "220 hi\r\n"));
            connect(m_c, &QTcpSocket::readyRead, this, [this] {
                while (m_c && m_c->canReadLine()) {
                    verbs << m_c->readLine().split(' ').first().trimmed();
                    if (verbs.last() == "RETR" || verbs.last() == "LIST")
                        m_transfer = verbs.last();
                    else
                        m_c->write(replies.value(verbs.last(), "200 ok\r\n"));
                    transfer();
                }
            });
        });
        connect(&m_data, &QTcpServer::newConnection, this, [this] {
            m_d = m_data.nextPendingConnection();
            transfer();
        });
    }
    quint16 port() const { return m_control.serverPort(); }
    void transfer()
    {
        if (m_transfer.isEmpty() || !m_d)
            return;
        m_d->write(payload);
        m_d->disconnectFromHost();
        m_c->write(replies.value(m_transfer, "150 go\r\n226 done\r\n"));
        m_transfer.clear();
        m_d = nullptr;
    }
    QTcpServer m_control, m_data;
    QPointer<QTcpSocket> m_c, m_d;
    B m_transfer;
};
} // namespace

class TestFtpClient : public QObject
{
    Q_OBJECT
    QTemporaryDir m_root;
    QString root(const QString& file = {}) const { return m_root.filePath(file); }
private slots:
    void init() { QVERIFY(QDir(root()).removeRecursively() && QDir().mkpath(root())); }
    void pyftpd_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("error"); // empty: the get works
        QTest::addColumn<FtpClient::State>("state");
        const QString pw = "kvtrmzn";
        QTest::newRow("login failure")
            << S() << Q("wrong") << Q("/") << Q("Login failed:\nAuth") << FtpClient::Connected;
        QTest::newRow("cd to a missing folder")
            << S() << pw << Q("nowhere") << Q("Changing directory") << FtpClient::LoggedIn;
        // Announces 127.0.0.2 but listens on 127.0.0.1 only: the client must connect to the peer.
        QTest::newRow("PASV address differs")
            << S{"--masquerade", "127.0.0.2"} << pw << "/" << Q() << FtpClient::LoggedIn;
    }
    void pyftpd()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, password);
        QFETCH(QString, dir);
        QFETCH(QString, error);
        const B content = randomBytes(50000, 4);
        QVERIFY(writeFile(root("snapshot.png"), content));
        PyFtpServer server;
        QVERIFY(server.start(root(), options));
        FtpClient ftp;
        Recorder rec(&ftp);
        if (!options.isEmpty()) { // the trace is the client's debug output, off by default
            QLoggingCategory::setFilterRules("velora.ftp.debug=true");
            QTest::ignoreMessage(QtDebugMsg, "LS: host address in PASV differ.");
        }
        ftp.connectToHost("127.0.0.1", server.port);
        ftp.login("ftpuser", password);
        ftp.cd(dir);
        const int getId = ftp.get("snapshot.png");
        QTRY_VERIFY_WITH_TIMEOUT(rec.done(), 30000);
        const QString failures = rec.errors.values().join(""); // empty when every command worked
        QVERIFY2(error.isEmpty() ? failures.isEmpty() : failures.startsWith(error), qPrintable(failures));
        QCOMPARE(rec.started(getId), error.isEmpty()); // a failed command drops the ones queued behind it
        QCOMPARE(rec.readData, error.isEmpty() ? content : B());
        QTEST(ftp.state(), "state");
    }
    void session()
    {
        const B small = randomBytes(20000, 1), big = randomBytes(6 * 1024 * 1024 + 123, 2),
                upload = randomBytes(3 * 1024 * 1024 + 11, 3);
        QVERIFY(QDir().mkpath(root("applog/sub")));
        QVERIFY(writeFile(root("applog/DP_2026_1_1.log"), small) && writeFile(root("applog/big.bin"), big));
        PyFtpServer server;
        QVERIFY(server.start(root()));
        FtpClient ftp;
        Recorder rec(&ftp);
        QBuffer sink;
        const int c = ftp.connectToHost("127.0.0.1", server.port), l = ftp.login("ftpuser", "kvtrmzn");
        const QList<int> ids{ftp.cd("applog"), ftp.list(), ftp.get("DP_2026_1_1.log", &sink),
                             ftp.get("big.bin"), ftp.put(upload, "Update.tgz")};
        const int q = ftp.close();
        QTRY_VERIFY_WITH_TIMEOUT(rec.done(), 30000);
        auto state = [](FtpClient::State s) { return Q("state %1").arg(int(s)); };
        auto start = [](int id) { return Q("start %1").arg(id); };
        auto fin = [](int id) { return Q("finish %1 0").arg(id); };
        S expected{start(c), state(FtpClient::HostLookup), state(FtpClient::Connecting)};
        expected << state(FtpClient::Connected) << fin(c) << start(l) << state(FtpClient::LoggedIn) << fin(l);
        for (int id : ids)
            expected << start(id) << fin(id);
        expected << start(q) << state(FtpClient::Closing) << state(FtpClient::Unconnected) << fin(q)
                 << "done 0";
        QCOMPARE(rec.log, expected);
        rec.listed.sort();
        QCOMPARE(rec.listed, (S{"DP_2026_1_1.log 20000", Q("big.bin %1").arg(big.size()), "sub/"}));
        QCOMPARE(sink.data(), small);
        QCOMPARE(rec.readData, big);
        QFile uploaded(root("applog/Update.tgz"));
        QVERIFY(uploaded.open(QIODevice::ReadOnly));
        QCOMPARE(uploaded.readAll(), upload);
        QCOMPARE(rec.progress.value(ids[3]), qMakePair(qint64(big.size()), qint64(big.size())));
        QCOMPARE(rec.progress.value(ids[4]), qMakePair(qint64(upload.size()), qint64(upload.size())));
    }
    void interruptedGet_data()
    {
        QTest::addColumn<bool>("kill");
        QTest::newRow("abort") << false;
        QTest::newRow("server killed") << true;
    }
    void interruptedGet()
    {
        QFETCH(bool, kill);
        QVERIFY(writeFile(root("big.bin"), B(4 * 1024 * 1024, 'x')));
        PyFtpServer server;
        QVERIFY(server.start(root(), {"--throttle", "262144"}));
        FtpClient ftp;
        Recorder rec(&ftp);
        ftp.connectToHost("127.0.0.1", server.port);
        ftp.login("ftpuser", "kvtrmzn");
        const int getId = ftp.get("big.bin"), listId = ftp.list();
        // From inside the progress signal, as the console aborts from its slots.
        connect(&ftp, &FtpClient::dataTransferProgress, this,
                [&] { kill ? server.process.kill() : ftp.abort(); });
        QTRY_VERIFY_WITH_TIMEOUT(rec.done(), 30000);
        QVERIFY(!rec.errors.value(getId).isEmpty() && !rec.started(listId));
        QVERIFY(rec.readData.size() < 4 * 1024 * 1024);
        if (kill) {
            QCOMPARE(ftp.state(), FtpClient::Unconnected);
            QVERIFY(rec.log.indexOf("state 0") < rec.log.indexOf(QString("finish %1 1").arg(getId)));
            return;
        }
        QCOMPARE(rec.errors.value(getId), QString("Aborted"));
        ftp.list(); // the connection is still in step with the server
        QTRY_VERIFY_WITH_TIMEOUT(rec.done(2), 30000);
        QVERIFY(!rec.doneError());
        QCOMPARE(rec.listed, QStringList{"big.bin 4194304"});
    }
    void brokenServer_data()
    {
        QTest::addColumn<B>("script"); // "VERB reply"
        QTest::addColumn<B>("payload");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QString>("error"); // empty: success
        QTest::addColumn<B>("result");      // the data got, or the names listed
        const B data = randomBytes(200000, 5), row = "-rw-r--r--   1 u g 10 Dec 06 09:46 ";
        const B hostile = row + "DP_1.log\r\n" + row + "../etc/passwd\r\n" + row + "nul" + B(1, '\0') +
                          "x\r\n" + row + "TOTALS_2026.log";
        const QString f = "f", ok;
        QTest::newRow("150 and 226 in one read") << B("RETR") << data << f << ok << data;
        QTest::newRow("bad 227") << B("PASV 227 Passive (127,0,0,1,300,7)\r\n") << B() << f
                                 << "Malformed PASV" << B();
        QTest::newRow("150 then 425")
            << B("RETR 150 go\r\n425 No data.\r\n") << B() << f << "No data." << B();
        QTest::newRow("endless empty lines in the greeting")
            << " 220-start\r\n" + B("\r\n").repeated(40000) << B() << f
            << "Connecting to host failed:\nProtocol error" << B();
        QTest::newRow("never-ending listing line")
            << B("LIST") << row + B(70000, 'x') << ok << "Listing line" << B();
        QTest::newRow("hostile listing")
            << B("LIST") << hostile << ok << ok << B("DP_1.log 10|TOTALS_2026.log 10");
        QTest::newRow("line break in a name") << B("RETR") << B() << "a\r\nDELE b"
                                              << "Invalid character" << B();
        QTest::newRow("226 and ABOR unanswered") << B("RETR 150 go\r\n") << B() << f << "Aborted" << B();
    }
    void brokenServer()
    {
        QFETCH(B, script);
        QFETCH(B, payload);
        QFETCH(QString, arg);
        QFETCH(QString, error);
        FakeFtpServer fake;
        const B verb = script.split(' ').first();
        if (verb.size() < script.size())
            fake.replies[verb] = script.mid(verb.size() + 1);
        fake.payload = payload;
        FtpClient ftp;
        Recorder rec(&ftp);
        ftp.connectToHost("127.0.0.1", fake.port());
        ftp.login("ftpuser", "kvtrmzn");
        verb == "LIST" ? ftp.list(arg) : ftp.get(arg);
        if (error == "Aborted") { // abort and close must end the job though the server stays silent
            QTRY_VERIFY_WITH_TIMEOUT(fake.verbs.contains("RETR"), 30000);
            fake.replies["ABOR"] = "";
            ftp.abort();
            ftp.close();
        }
        QTRY_VERIFY_WITH_TIMEOUT(rec.done(), 30000);
        QCOMPARE(rec.doneError(), !error.isEmpty());
        const QString failures = rec.errors.values().join(""); // empty when every command worked
        QVERIFY2(error.isEmpty() ? failures.isEmpty() : failures.contains(error), qPrintable(failures));
        const bool dropped = verb.isEmpty() || error == "Aborted";
        QCOMPARE(ftp.state(), dropped ? FtpClient::Unconnected : FtpClient::LoggedIn);
        QTEST(verb == "LIST" ? rec.listed.join('|').toUtf8() : rec.readData, "result");
        QVERIFY(!fake.verbs.contains("DELE"));
    }
};

QTEST_GUILESS_MAIN(TestFtpClient)
#include "tst_ftpclient.moc"
