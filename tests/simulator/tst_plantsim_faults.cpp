// Every fault mode of plantsim, seen on the wire: switched on at run time over
// standard input, then shown with a raw Modbus TCP exchange, curl or UDP.

#include "plantsimprocess.h"

#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

namespace {

// Identity read, 32 registers from 79, unit 0xFF; the reply is 73 bytes.
QByteArray identityRequest(quint8 transaction)
{
    QByteArray r = QByteArray::fromHex("000100000006ff03004f0020");
    r[1] = char(transaction);
    return r;
}
constexpr int kIdentityReply = 73;

} // namespace

class TestPlantsimFaults : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    PlantSimProcess sim;

    bool setFault(const QString& fault, bool on, const QString& board = "a")
    {
        const int from = sim.lineCount();
        const QString cmd = QString("fault %1 %2 %3").arg(board, fault, on ? "on" : "off");
        sim.send(cmd);
        return sim.waitForLine(QRegularExpression("^OK " + QRegularExpression::escape(cmd)), from);
    }

    bool connectTo(QTcpSocket& s, const QString& board = "a")
    {
        s.connectToHost(QHostAddress(QHostAddress::LocalHost), sim.board(board).modbus);
        QSignalSpy connected(&s, &QTcpSocket::connected);
        return s.state() == QAbstractSocket::ConnectedState || connected.wait(5000);
    }

private slots:
    void initTestCase()
    {
        QJsonObject a = loopbackBoard("a", "inverter", 150, 3, 6000);
        a["ftpMasquerade"] = "10.99.99.99";
        a["historyDays"] = 1;
        QVERIFY2(
            sim.start({"--scenario", writeScenario(dir, {a, loopbackBoard("b", "inverter", 150, 3, 6000)})}),
            "plantsim did not print READY");
    }

    void replyShape_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("size");     // total reply bytes
        QTest::addColumn<int>("function"); // function code byte of the reply
        QTest::addColumn<int>("pieces");   // writes the reply came in, at least
        QTest::newRow("none") << "" << kIdentityReply << 0x03 << 1;
        QTest::newRow("wrong-length") << "wrong-length" << kIdentityReply + 1 << 0x03 << 1;
        QTest::newRow("split") << "split" << kIdentityReply << 0x03 << 2;
        QTest::newRow("exception") << "exception" << 9 << 0x83 << 1;
        QTest::newRow("exception-full") << "exception-full" << kIdentityReply << 0x83 << 1;
    }

    void replyShape()
    {
        QFETCH(QString, fault);
        QFETCH(int, size);
        QFETCH(int, pieces);
        if (!fault.isEmpty())
            QVERIFY(setFault(fault, true));
        QTcpSocket s;
        QVERIFY(connectTo(s));
        QByteArray reply;
        int reads = 0;
        // A busy machine may read both pieces of a split reply at once: the
        // split must show in one of a few attempts.
        for (int attempt = 0; attempt < 4 && (attempt == 0 || reads < pieces); ++attempt) {
            reply.clear();
            reads = 0;
            s.write(identityRequest(7));
            QSignalSpy ready(&s, &QTcpSocket::readyRead);
            while (reply.size() < size && (s.bytesAvailable() || ready.wait(5000))) {
                reply += s.readAll();
                ++reads;
            }
        }
        if (!fault.isEmpty())
            QVERIFY(setFault(fault, false));
        QCOMPARE(reply.size(), size);
        QCOMPARE(int(quint8(reply.at(1))), 7); // transaction echoed
        QTEST(int(quint8(reply.at(7))), "function");
        QVERIFY2(reads >= pieces, qPrintable(QString::number(reads)));
        if (fault == "split")
            QVERIFY(sim.hasLine(QRegularExpression("^FAULT a split bytes=36\\+37$")));
    }

    void silent()
    {
        QVERIFY(setFault("silent", true));
        QTcpSocket s;
        QVERIFY(connectTo(s));
        const int from = sim.lineCount();
        s.write(identityRequest(1));
        QVERIFY(sim.waitForLine(QRegularExpression("^FAULT a silent fc=3 reg=79 count=32$"), from));
        QVERIFY(setFault("silent", false));
        // The next request is answered; nothing came for the first one.
        s.write(identityRequest(2));
        QTRY_VERIFY(s.bytesAvailable() >= kIdentityReply);
        const QByteArray reply = s.readAll();
        QCOMPARE(reply.size(), kIdentityReply);
        QCOMPARE(int(reply.at(1)), 2);
    }

    void drop()
    {
        QVERIFY(setFault("drop", true));
        QTcpSocket s;
        QVERIFY(connectTo(s));
        QSignalSpy gone(&s, &QTcpSocket::disconnected);
        s.write(identityRequest(1));
        QVERIFY(gone.count() > 0 || gone.wait(5000));
        QCOMPARE(s.readAll().size(), 0);
        QVERIFY(setFault("drop", false));
    }

    void refuse()
    {
        QTcpSocket open;
        QVERIFY(connectTo(open));
        QSignalSpy cut(&open, &QTcpSocket::disconnected);
        QVERIFY(setFault("refuse", true));
        QVERIFY(cut.count() > 0 || cut.wait(5000)); // open links are cut
        QTcpSocket s;
        QSignalSpy error(&s, &QAbstractSocket::errorOccurred);
        s.connectToHost(QHostAddress(QHostAddress::LocalHost), sim.board("a").modbus);
        QVERIFY(error.count() > 0 || error.wait(5000));
        QCOMPARE(s.error(), QAbstractSocket::ConnectionRefusedError);
        QVERIFY(setFault("refuse", false));
        QTcpSocket again;
        QVERIFY(connectTo(again)); // listening again on the same port
    }

    void ftpStall()
    {
        QVERIFY(setFault("ftp-stall", true));
        const QString day = QDate::currentDate().addDays(-1).toString("'DP_'yyyy'_'MM'_'dd'.log'");
        int rc = -1;
        const QString url = QString("ftp://127.0.0.1:%1/applog/%2").arg(sim.board("a").ftp).arg(day);
        const QByteArray part =
            runTool("curl", {"-s", "--max-time", "4", "--user", "ftpuser:kvtrmzn", url}, &rc, 30000);
        QCOMPARE(rc, 28); // curl gave up waiting: the transfer stalled
        QVERIFY(part.size() >= 512);
        QVERIFY(sim.hasLine(QRegularExpression("^FTP a STALL after=")));
        QVERIFY(setFault("ftp-stall", false));
        const QByteArray whole =
            runTool("curl", {"-s", "--max-time", "20", "--user", "ftpuser:kvtrmzn", url}, &rc);
        QCOMPARE(rc, 0);
        QVERIFY(whole.size() > part.size());
        QVERIFY(whole.startsWith(part));
    }

    void ftpPassiveAddress_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("fault") << true;
        QTest::newRow("normal") << false;
    }

    void ftpPassiveAddress()
    {
        QFETCH(bool, on);
        QVERIFY(setFault("ftp-pasv-address", on));
        int rc = -1;
        const QString out = QString::fromLatin1(runTool(
            "curl",
            {"-v", "-s", "--stderr", "-", "--max-time", "20", "--disable-epsv", "--ftp-skip-pasv-ip",
             "--user", "ftpuser:kvtrmzn", QString("ftp://127.0.0.1:%1/snapshot.png").arg(sim.board("a").ftp),
             "-o", dir.filePath("snap.png")},
            &rc, 30000));
        const QRegularExpressionMatch m =
            QRegularExpression("227 Entering passive mode \\((\\d+,\\d+,\\d+,\\d+),",
                               QRegularExpression::CaseInsensitiveOption)
                .match(out);
        QVERIFY2(m.hasMatch(), qPrintable(out));
        QCOMPARE(m.captured(1), on ? QString("10,99,99,99") : QString("127,0,0,1"));
        QCOMPARE(rc, 0); // a client that ignores the address still gets the file
        QVERIFY(setFault("ftp-pasv-address", false));
    }

    void udpSilent()
    {
        QVERIFY(setFault("udp-silent", true));
        QUdpSocket s;
        QVERIFY(s.bind(QHostAddress(QHostAddress::LocalHost), 0));
        const QByteArray request = discoveryRequest(16);
        s.writeDatagram(request, QHostAddress::LocalHost, sim.board("a").discovery);
        s.writeDatagram(request, QHostAddress::LocalHost, sim.board("b").discovery);
        QTRY_VERIFY(s.hasPendingDatagrams());
        QCOMPARE(s.receiveDatagram().senderPort(), int(sim.board("b").discovery));
        QVERIFY(!s.hasPendingDatagrams());
        QVERIFY(setFault("udp-silent", false));
        s.writeDatagram(request, QHostAddress::LocalHost, sim.board("a").discovery);
        QTRY_VERIFY(s.hasPendingDatagrams());
        QCOMPARE(s.receiveDatagram().data().size(), 264);
    }

    void badCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("unknown fault") << "fault a sulky on";
        QTest::newRow("unknown board") << "fault zz silent on";
        QTest::newRow("no state") << "set a state";
        QTest::newRow("unknown verb") << "explode a";
    }

    void badCommands()
    {
        QFETCH(QString, command);
        const int from = sim.lineCount();
        sim.send(command);
        QVERIFY(sim.waitForLine(QRegularExpression("^(ERR|OK)"), from));
        QVERIFY(sim.hasLine(QRegularExpression("^ERR "), from));
    }
};

QTEST_GUILESS_MAIN(TestPlantsimFaults)
#include "tst_plantsim_faults.moc"
