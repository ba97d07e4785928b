// plantsim against independent clients: mbpoll on the register server, curl
// on the file server and raw datagrams on the discovery responder.
#include "plantsimprocess.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtEndian>

static const char* kPlant = R"([
    {"id": "inv", "kind": "inverter", "firmware": 122, "nominalPower": 10000, "resultWord": "0x0F32", "name": "inv"},
    {"id": "zeta", "kind": "zeta", "firmware": 133, "nominalPower": 50000, "resultWord": "0x0232", "name": "zeta"},
    {"id": "tpx", "kind": "tpx", "firmware": 150, "nominalPower": 8000, "name": "tpx"},
    {"id": "held", "kind": "tpx", "firmware": 150, "nominalPower": 8000, "refreshHeld": true}])";

class TestPlantsimTools : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    PlantSimProcess sim;
    QString ftp(const QString& id, const QString& path, int* rc)
    {
        const QString url = QString("ftp://127.0.0.1:%1/%2").arg(sim.board(id).ftp).arg(path);
        return runTool("curl", {"-s", "--max-time", "20", "--user", "ftpuser:kvtrmzn", url}, rc);
    }
private slots:
    void initTestCase()
    {
        for (const char* tool : {"mbpoll", "curl"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP("mbpoll or curl is not installed");
        const QJsonArray boards = QJsonDocument::fromJson(kPlant).array();
        QVERIFY(sim.start({"--loopback", "--update-ms", "100", "--scenario", writeScenario(dir, boards)}));
    }
    void board_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("power");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("result");      // register 116 after an apply
        QTest::addColumn<int>("values");      // per daily log record
        QTest::addColumn<QString>("version"); // announced by discovery
        QTest::addColumn<int>("kind");
        QTest::newRow("inverter") << "inv" << 10000 << 122 << 0x0F32 << 29 << "1.2.2" << 2;
        QTest::newRow("zeta") << "zeta" << 50000 << 133 << 0x0232 << 30 << "1.3.3" << 3;
    }
    void board()
    {
        QFETCH(QString, id);
        QFETCH(int, power);
        QFETCH(int, values);
        const quint16 port = sim.board(id).modbus;
        const QVector<quint16> ident = mbpollRead(port, 79, 4);
        QCOMPARE(ident.value(0), quint16('3')); // a zero byte, then the phase count
        QByteArray digits;
        for (int i = 1; i <= 3; ++i)
            digits.append(char(ident.value(i) >> 8)).append(char(ident.value(i)));
        QCOMPARE(digits, QByteArray::number(power).rightJustified(6, '0'));
        QTEST(int(mbpollRead(port, 128, 1).value(0)), "firmware");
        const int from = sim.lineCount();
        const QString params = "5 80 65535 190 65535 65535 65535 150";
        const QString write = QString("-m tcp -a 255 -o 2 -p %1 -0 -1 -t 4 -r ").arg(port);
        runTool("mbpoll", (write + "140 127.0.0.1 " + params).split(' '));
        runTool("mbpoll", (write + "112 127.0.0.1 50").split(' ')); // apply
        QTEST(int(mbpollRead(port, 116, 1).value(0)), "result");
        const QString applied = "^APPLY " + id + " params=" + QString(params).replace(' ', ',') + " result=";
        QVERIFY(sim.waitForLine(QRegularExpression(applied), from)); // the parameters written above
        const QString name = QDate::currentDate().addDays(-1).toString("'DP_'yyyy'_'MM'_'dd'.log'");
        int rc = -1;
        QVERIFY(ftp(id, "applog/", &rc).contains(name));
        const QStringList records = ftp(id, "applog/" + name, &rc).split('\n', Qt::SkipEmptyParts).mid(2);
        QCOMPARE(rc, 0);
        QCOMPARE(records.size(), 204); // a past day: every 5 minutes from 05:05 to 22:00
        for (int i = 0; i < records.size(); ++i) {
            const QString time = QTime(5, 5).addSecs(300 * i).toString("hh:mm");
            const QRegularExpression format("^" + time + QString("(;-?\\d+(\\.\\d+)?){%1}$").arg(values));
            QVERIFY2(format.match(records.at(i)).hasMatch(), qPrintable(records.at(i)));
        }
        QUdpSocket s;
        QVERIFY(s.bind(QHostAddress(QHostAddress::LocalHost)));
        s.writeDatagram(discoveryRequest(16), QHostAddress::LocalHost, sim.board(id).discovery);
        QTRY_VERIFY(s.hasPendingDatagrams());
        const QByteArray d = s.receiveDatagram().data();
        QCOMPARE(qFromLittleEndian<quint32>(d.constData() + 8),
                 248u); // length, as the size of the broadcast replies
        QTEST(QString(d.mid(16).constData()), "version");
        QTEST(int(d.at(160)), "kind");
        QCOMPARE(d.mid(161, 6).toHex(':'), sim.board(id).mac.toLatin1());
    }

    // A TPX unit shows its data unless its scenario holds them; updates keep
    // the bypass flag, the hold bit and the status bits that were set.
    void tpxUnit_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("held"); // bit 15 of register 3
        QTest::newRow("data shown by default") << "tpx" << false;
        QTest::newRow("data held by the scenario") << "held" << true;
    }
    void tpxUnit()
    {
        QFETCH(QString, id);
        const quint16 port = sim.board(id).modbus;
        QTEST(bool(mbpollRead(port, 3, 1).value(0) & 0x8000), "held");
        QCOMPARE(mbpollRead(port, 120, 8), QVector<quint16>(8, 0)); // no status bit set
        for (const char* reg : {"0 0x0800", "126 0x0028", "3 0x8001", "11 1"})
            QVERIFY(sim.command(QString("set %1 reg %2").arg(id, reg)));
        QTRY_VERIFY(mbpollRead(port, 11, 1).value(0) != 1); // updated since
        QCOMPARE(mbpollRead(port, 0, 1).value(0) & 0x0800, 0x0800);
        QCOMPARE(mbpollRead(port, 126, 1).value(0), quint16(0x0028));
        QCOMPARE(mbpollRead(port, 3, 1).value(0), quint16(0x8001));
    }
};

QTEST_GUILESS_MAIN(TestPlantsimTools)
#include "tst_plantsim_tools.moc"
