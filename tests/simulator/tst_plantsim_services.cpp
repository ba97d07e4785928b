// plantsim's file server checked with curl (the FTP client from Debian), and
// its discovery and configuration responders with raw UDP datagrams, all on
// loopback.

#include "plantsimprocess.h"

#include <QDate>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtEndian>

#include <csignal>

namespace {

// A NUL-terminated text field of a datagram (the copy always ends in NUL).
QByteArray field(const QByteArray& d, int from, int to)
{
    return QByteArray(d.mid(from, to - from).constData());
}

QString dayName(const QDate& d)
{
    return d.toString("'DP_'yyyy'_'MM'_'dd'.log'");
}

} // namespace

class TestPlantsimServices : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    PlantSimProcess sim;
    QJsonArray boards;

    QJsonObject cfg(const QString& id) const { return boardOf(boards, id); }

    QByteArray ftp(const QString& id, const QString& path, const QStringList& extra = {}, int* rc = nullptr,
                   const QString& password = "kvtrmzn")
    {
        return runTool("curl",
                       QStringList{"-s", "--max-time", "20", "--user", "ftpuser:" + password} + extra +
                           QStringList{QString("ftp://127.0.0.1:%1/%2").arg(sim.board(id).ftp).arg(path)},
                       rc);
    }

    QByteArray exchange(quint16 port, const QByteArray& request)
    {
        QUdpSocket s;
        if (!s.bind(QHostAddress(QHostAddress::LocalHost), 0))
            return QByteArray();
        s.writeDatagram(request, QHostAddress::LocalHost, port);
        QSignalSpy spy(&s, &QUdpSocket::readyRead);
        if (!s.hasPendingDatagrams() && !spy.wait(5000))
            return QByteArray();
        return s.receiveDatagram().data();
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("curl").isEmpty())
            QSKIP("curl is not installed");
        boards = {loopbackBoard("inv", "inverter", 150, 3, 10000),
                  loopbackBoard("zeta", "zeta", 150, 3, 50000), loopbackBoard("sb", "stringbox", 130, 3, 0),
                  loopbackBoard("tpx", "tpx", 150, 3, 8000)};
        QJsonObject zeta = boards.at(1).toObject();
        zeta["wifi"] = true;
        zeta["historyDays"] = 2;
        boards[1] = zeta;
        QVERIFY2(sim.start({"--scenario", writeScenario(dir, boards)}), "plantsim did not print READY");
    }

    void listing_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("days");
        QTest::newRow("inverter") << "inv" << 3;
        QTest::newRow("zeta") << "zeta" << 2;
    }

    void listing()
    {
        QFETCH(QString, id);
        QFETCH(int, days);
        int rc = -1;
        const QStringList names = QString::fromLatin1(ftp(id, "applog/", {"--list-only"}, &rc))
                                      .split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        QCOMPARE(rc, 0);
        const QDate today = QDate::currentDate();
        for (int d = 0; d <= days; ++d)
            QVERIFY2(names.contains(dayName(today.addDays(-d))), qPrintable(names.join(' ')));
        QVERIFY(!names.contains(dayName(today.addDays(-days - 1))));
        QVERIFY(names.contains(QString("TOTALS_%1.log").arg(today.year())));
        QVERIFY(!names.filter(QRegularExpression("^INV_")).isEmpty());
        const QStringList history = QString::fromLatin1(ftp(id, "hisram/", {"--list-only"}, &rc)).split('\n');
        QCOMPARE(rc, 0);
        QVERIFY(!history.filter(QRegularExpression("^DP_")).isEmpty());
        QVERIFY(sim.waitForLine(QRegularExpression(QString("^FTP %1 LIST applog").arg(id))));
    }

    void dailyLogFormat_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("values");
        QTest::newRow("inverter") << "inv" << 29;
        QTest::newRow("zeta") << "zeta" << 30;
    }

    void dailyLogFormat()
    {
        QFETCH(QString, id);
        QFETCH(int, values);
        const QDate yesterday = QDate::currentDate().addDays(-1);
        int rc = -1;
        const QStringList lines =
            QString::fromLatin1(ftp(id, "applog/" + dayName(yesterday), {}, &rc)).split('\n');
        QCOMPARE(rc, 0);
        QVERIFY(lines.size() > 3);
        QTime expected(5, 5);
        double lastEnergy = -1, peak = 0;
        const int energyColumn = id == "zeta" ? 5 : 14;
        for (int i = 2; i < lines.size(); ++i) {
            if (lines.at(i).isEmpty())
                continue;
            const QStringList parts = lines.at(i).split(';');
            QCOMPARE(parts.size(), values + 1);
            QCOMPARE(QTime::fromString(parts.first(), "hh:mm"), expected);
            expected = expected.addSecs(300);
            for (int v = 1; v <= values; ++v) {
                bool ok = false;
                parts.at(v).toDouble(&ok);
                QVERIFY2(ok, qPrintable(lines.at(i)));
            }
            const double energy = parts.at(energyColumn + 1).toDouble();
            QVERIFY(energy >= lastEnergy); // the day's energy only grows
            lastEnergy = energy;
            peak = qMax(peak, parts.at(1).toDouble());
        }
        QCOMPARE(expected, QTime(22, 5)); // a past day runs to 22:00
        QVERIFY(peak > 0 && peak * 1000 <= cfg(id).value("nominalPower").toInt());

        // The totals log names yesterday with the day's final energy.
        const QByteArray totals = ftp(id, QString("applog/TOTALS_%1.log").arg(yesterday.year()), {}, &rc);
        QCOMPARE(rc, 0);
        const QString line =
            QString::fromLatin1(totals).split('\n').filter(yesterday.toString("yyyy-MM-dd")).value(0);
        QVERIFY2(!line.isEmpty(), totals.constData());
        QVERIFY(qAbs(line.section(';', 1).toDouble() - lastEnergy) <= 0.2);
    }

    void registersAgreeWithTodaysLog()
    {
        if (QStandardPaths::findExecutable("mbpoll").isEmpty())
            QSKIP("mbpoll is not installed");
        int rc = -1;
        const QStringList lines =
            QString::fromLatin1(ftp("inv", "applog/" + dayName(QDate::currentDate()), {}, &rc)).split('\n');
        QCOMPARE(rc, 0);
        const QVector<quint16> m = mbpollRead(sim.board("inv").modbus, 10, 42);
        QCOMPARE(m.size(), 42);
        const double registerKwh = (quint32(m.at(38)) << 16 | m.at(39)) / 10.0;
        double logKwh = 0; // the last record so far, 0 before 05:05
        for (int i = 2; i < lines.size(); ++i)
            if (!lines.at(i).isEmpty())
                logKwh = lines.at(i).split(';').value(15).toDouble();
        // The log is written every 5 minutes (and refreshed every minute): it may
        // lag the registers by at most about six minutes at full power.
        const double slack = cfg("inv").value("nominalPower").toInt() / 1000.0 * 6 / 60 + 0.2;
        QVERIFY2(registerKwh + 0.1 >= logKwh && registerKwh - logKwh <= slack,
                 qPrintable(QString("registers %1 kWh, log %2 kWh").arg(registerKwh).arg(logKwh)));
    }

    void snapshotAndUpload()
    {
        int rc = -1;
        const QByteArray png = ftp("inv", "snapshot.png", {}, &rc);
        QCOMPARE(rc, 0);
        QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
        const QString upload = dir.filePath("package.tgz");
        QFile f(upload);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, 'x'));
        f.close();
        const int from = sim.lineCount();
        ftp("inv", "Update.tgz", {"-T", upload}, &rc);
        QCOMPARE(rc, 0);
        QVERIFY(sim.waitForLine(QRegularExpression("^FTP inv STOR Update.tgz bytes=5000$"), from));
        ftp("inv", "applog/", {"--list-only"}, &rc, "wrong");
        QCOMPARE(rc, 67); // login denied
    }

    void discovery_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("kind");
        QTest::newRow("inverter") << "inv"
                                  << "1.5.0" << 2;
        QTest::newRow("zeta") << "zeta"
                              << "1.5.0" << 3;
        QTest::newRow("string box") << "sb"
                                    << "SB_1.3.0" << 2;
    }

    void discovery()
    {
        QFETCH(QString, id);
        const QByteArray reply = exchange(sim.board(id).discovery, discoveryRequest(16));
        QCOMPARE(reply.size(), 264);
        QCOMPARE(qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(reply.constData() + 8)), 248u);
        QCOMPARE(reply.at(12) | reply.at(13), 0);
        QCOMPARE(qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(reply.constData() + 14)),
                 quint16(1));
        QTEST(QString(field(reply, 16, 120)), "version");
        QCOMPARE(QString(field(reply, 120, 140)), QString("127.0.0.1"));
        QCOMPARE(QString(field(reply, 140, 160)), cfg(id).value("name").toString());
        QTEST(int(reply.at(160)), "kind");
    }

    void tpxAndBadRequestsAreNotAnswered()
    {
        QUdpSocket s;
        QVERIFY(s.bind(QHostAddress(QHostAddress::LocalHost), 0));
        QByteArray wrong = discoveryRequest(16);
        wrong[20] = '9';
        s.writeDatagram(discoveryRequest(16), QHostAddress::LocalHost, sim.board("tpx").discovery);
        s.writeDatagram(wrong, QHostAddress::LocalHost, sim.board("inv").discovery);
        s.writeDatagram(discoveryRequest(16), QHostAddress::LocalHost, sim.board("zeta").discovery);
        QTRY_VERIFY(s.hasPendingDatagrams());
        const QNetworkDatagram d = s.receiveDatagram();
        QCOMPARE(d.senderPort(), int(sim.board("zeta").discovery));
        QVERIFY(!s.hasPendingDatagrams());
    }

    void configuration_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("type");
        QTest::newRow("wired") << "inv" << 0xAA;
        QTest::newRow("wifi") << "zeta" << 0xAB;
    }

    void configuration()
    {
        QFETCH(QString, id);
        QFETCH(int, type);
        const quint16 port = sim.board(id).config;
        const QByteArray record = exchange(port, discoveryRequest(17));
        QCOMPARE(record.size(), 788);
        QCOMPARE(int(quint8(record.at(0))), type);
        QCOMPARE(record.mid(2, 6).toHex(':'), sim.board(id).mac.toLatin1());
        QCOMPARE(QString(field(record, 8, 24)), QString("127.0.0.1"));
        QCOMPARE(QString(field(record, 96, 128)), cfg(id).value("name").toString());
        if (type == 0xAB)
            QVERIFY(field(record, 321, 577).contains(','));

        // A record for another MAC changes nothing; one for this MAC is adopted.
        QByteArray change(788, '\0');
        change[0] = 18;
        change.replace(2, 6, QByteArray::fromHex("0000000000ff"));
        change.replace(8, 12, "192.168.1.77");
        change.replace(96, 7, "Renamed");
        QUdpSocket s;
        s.writeDatagram(change, QHostAddress::LocalHost, port);
        const int from = sim.lineCount();
        change.replace(2, 6, record.mid(2, 6));
        s.writeDatagram(change, QHostAddress::LocalHost, port);
        QVERIFY(sim.waitForLine(
            QRegularExpression(QString("^CFGSET %1 addr=192.168.1.77 .*name=Renamed").arg(id)), from));
        QVERIFY(!sim.hasLine(QRegularExpression(QString("^CFGSET %1 .*name=N-").arg(id)), from));
        const QByteArray after = exchange(port, discoveryRequest(17));
        QCOMPARE(QString(field(after, 8, 24)), QString("192.168.1.77"));
        QCOMPARE(QString(field(after, 96, 128)), QString("Renamed"));
        const QByteArray disc = exchange(sim.board(id).discovery, discoveryRequest(16));
        QCOMPARE(QString(field(disc, 140, 160)), QString("Renamed"));
        sim.send(QString("rename %1 %2").arg(id, cfg(id).value("name").toString()));
        QVERIFY(sim.waitForLine(QRegularExpression("^OK rename"), from));
    }

    void childStopsWithPlantsim()
    {
        const qint64 pid = sim.process().processId();
        QVERIFY(pid > 0);
        const QString children = QString("/proc/%1/task/%1/children").arg(pid);
        QFile f(children);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString child = QString::fromLatin1(f.readAll()).trimmed().section(' ', 0, 0);
        QVERIFY2(!child.isEmpty(), "no FTP server process");
        QVERIFY(QFile::exists("/proc/" + child));
        ::kill(pid_t(pid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(sim.process().state() == QProcess::NotRunning, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists("/proc/" + child), 10000);
    }
};

QTEST_GUILESS_MAIN(TestPlantsimServices)
#include "tst_plantsim_services.moc"
