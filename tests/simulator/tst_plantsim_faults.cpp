// Every fault mode of plantsim as a client sees it on the wire: switched on at
// run time for board "a", then probed with a raw Modbus exchange, curl or a
// discovery datagram (board "b" stays healthy for comparison).
#include "plantsimprocess.h"

#include <QMetaEnum>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

class TestPlantsimFaults : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    PlantSimProcess sim;
    // Identity reads on one connection: the reply's size, function code, transaction
    // and whether it came in pieces, or the socket error that ended the link.
    QString modbus(const QString& fault)
    {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, sim.board("a").modbus);
        QByteArray reply;
        int reads = 0;
        const auto ask = [&](const char* transaction) { // true once a reply is whole or the link is gone
            const int from = sim.lineCount();
            reply.clear(), reads = 0;
            s.write(QByteArray::fromHex(QByteArray("00") + transaction + "00000006ff03004f0020"));
            return QTest::qWaitFor([&] {
                if (s.bytesAvailable())
                    reply += s.readAll(), ++reads;
                return s.error() >= 0 || sim.hasLine(QRegularExpression("^FAULT a silent"), from) ||
                       (reply.size() > 5 && reply.size() >= 6 + quint8(reply.at(5))); // length in the header
            });
        };
        // A busy machine may read both pieces of a split reply at once: a few tries.
        for (int tries = 0; ask("01") && fault == "split" && reads < 2 && tries < 3; ++tries) {
        }
        if (fault == "silent" && reply.isEmpty()) // nothing came; once switched off, the next one is answered
            sim.command("fault a silent off"), ask("02");
        if (reply.isEmpty())
            return QMetaEnum::fromType<QAbstractSocket::SocketError>().valueToKey(s.error());
        return QString::asprintf("%d bytes fc=%d transaction=%d%s", reply.size(), quint8(reply.at(7)),
                                 int(reply.at(1)), reads > 1 ? " in pieces" : "");
    }
    // Yesterday's log by curl in passive mode: the address in the passive reply, curl's status.
    QString ftp()
    {
        int rc = -1;
        const QString args =
            QString::asprintf("-vs --stderr - --max-time 5 --disable-epsv --ftp-skip-pasv-ip "
                              "--user ftpuser:kvtrmzn -o %s ftp://127.0.0.1:%d/applog/",
                              qPrintable(dir.filePath("d")), sim.board("a").ftp);
        const QString day = QDate::currentDate().addDays(-1).toString("'DP_'yyyy'_'MM'_'dd'.log'");
        const QString out = runTool("curl", (args + day).split(' '), &rc);
        const auto m = QRegularExpression("227 [^(]*\\(([\\d,]+),\\d+,\\d+\\)").match(out);
        return QString("pasv %1 curl %2").arg(m.captured(1)).arg(rc);
    }
    // Discovery requests to "a" then "b": how many replies "a" gave.
    QString udp()
    {
        QUdpSocket s;
        s.bind(QHostAddress(QHostAddress::LocalHost));
        QList<int> senders;
        for (const char* id : {"a", "b"})
            s.writeDatagram(discoveryRequest(16), QHostAddress::LocalHost, sim.board(id).discovery);
        const auto drain = [&] {
            while (s.hasPendingDatagrams())
                senders << s.receiveDatagram().senderPort();
            return senders.contains(sim.board("b").discovery);
        };
        (void)QTest::qWaitFor(drain);
        sim.barrier(); // whatever plantsim sent for "a" has arrived by now
        drain();
        return QString("a answered %1").arg(senders.count(sim.board("a").discovery));
    }
    static constexpr int Modbus = 0, Ftp = 1, Udp = 2, FtpTwice = 3;
private slots:
    void initTestCase()
    {
        const QJsonArray boards{QJsonObject{{"id", "a"}, {"ftpMasquerade", "10.99.99.99"}},
                                QJsonObject{{"id", "b"}}};
        QVERIFY(sim.start({"--loopback", "--scenario", writeScenario(dir, boards)}));
    }
    // Rows are named after the fault switched on for board "a", or "no fault".
    void fault_data()
    {
        QTest::addColumn<int>("probe");
        QTest::addColumn<QString>("seen");
        QTest::newRow("no fault: modbus") << Modbus << "73 bytes fc=3 transaction=1";
        QTest::newRow("wrong-length") << Modbus << "74 bytes fc=3 transaction=1";
        QTest::newRow("split") << Modbus << "73 bytes fc=3 transaction=1 in pieces";
        QTest::newRow("exception") << Modbus << "9 bytes fc=131 transaction=1";
        QTest::newRow("exception-full") << Modbus << "73 bytes fc=131 transaction=1";
        QTest::newRow("refuse") << Modbus << "ConnectionRefusedError";
        QTest::newRow("drop") << Modbus << "RemoteHostClosedError";
        QTest::newRow("silent") << Modbus << "73 bytes fc=3 transaction=2";
        QTest::newRow("no fault: ftp") << Ftp << "pasv 127,0,0,1 curl 0";
        QTest::newRow("ftp-stall") << Ftp << "pasv 127,0,0,1 curl 28";
        QTest::newRow("ftp-stall-once") << FtpTwice << "pasv 127,0,0,1 curl 28, then pasv 127,0,0,1 curl 0";
        QTest::newRow("ftp-pasv-address") << Ftp << "pasv 10,99,99,99 curl 0";
        QTest::newRow("no fault: udp") << Udp << "a answered 1";
        QTest::newRow("udp-silent") << Udp << "a answered 0";
    }
    void fault()
    {
        QFETCH(int, probe);
        const QString fault =
            QString(QTest::currentDataTag()).startsWith("no fault") ? "" : QTest::currentDataTag();
        if (!fault.isEmpty())
            QVERIFY(sim.command("fault a " + fault + " on"));
        QString seen = probe == Ftp || probe == FtpTwice ? ftp() : probe == Udp ? udp() : modbus(fault);
        if (probe == FtpTwice) // the fault is used up by the first download
            seen += ", then " + ftp();
        if (!fault.isEmpty())
            QVERIFY(sim.command("fault a " + fault + " off"));
        QTEST(seen, "seen");
    }
};

QTEST_GUILESS_MAIN(TestPlantsimFaults)
#include "tst_plantsim_faults.moc"
