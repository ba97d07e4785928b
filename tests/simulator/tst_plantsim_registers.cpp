// plantsim's register server, checked with mbpoll, the Modbus client from
// Debian: identity, version and measures as the scenario says, parameter
// writes with the apply command and its result word, and the request log.

#include "plantsimprocess.h"

class TestPlantsimRegisters : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    PlantSimProcess sim;
    QJsonArray boards;

    QJsonObject boardJson(const QString& id) const { return boardOf(boards, id); }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("mbpoll").isEmpty())
            QSKIP("mbpoll is not installed");
        auto board = [](const QString& id, const QString& kind, int fw, int phases, int power,
                        const QString& result) {
            QJsonObject b = loopbackBoard(id, kind, fw, phases, power);
            b["resultWord"] = result;
            return b;
        };
        QJsonObject alarmed = board("alarmed", "inverter", 133, 3, 6000, "0x0F32");
        alarmed["state"] = 5;
        alarmed["alarms"] = QJsonArray{0, 0x10, 0, 0, 0x0100, 0x0002, 0, 0, 0, 0x8000};
        alarmed["statusBits"] = QJsonArray{7, 9};
        boards = {board("three", "inverter", 122, 3, 10000, "0x0F32"),
                  board("single", "inverter", 150, 1, 3000, "0x0132"),
                  board("zeta", "zeta", 133, 3, 250000, "0x0232"), alarmed};
        QVERIFY2(sim.start({"--scenario", writeScenario(dir, boards), "--no-ftp", "--no-udp", "--update-ms",
                            "100", "--control-port", "0"}),
                 "plantsim did not print READY");
    }

    void identity_data()
    {
        QTest::addColumn<QString>("id");
        for (const QJsonValue& v : boards)
            QTest::newRow(qPrintable(v.toObject().value("id").toString()))
                << v.toObject().value("id").toString();
    }

    void identity()
    {
        QFETCH(QString, id);
        const QJsonObject cfg = boardJson(id);
        const int from = sim.lineCount();
        const QVector<quint16> ident = mbpollRead(sim.board(id).modbus, 79, 32);
        QCOMPARE(ident.size(), 32);
        // Register 79: a zero byte, then the phase count character.
        QCOMPARE(ident.at(0), quint16('0' + cfg.value("phases").toInt()));
        QByteArray power;
        for (int i = 1; i <= 3; ++i)
            power.append(char(ident.at(i) >> 8)).append(char(ident.at(i) & 0xFF));
        QCOMPARE(power.toInt(), cfg.value("nominalPower").toInt());
        QCOMPARE(power.size(), 6);

        const QVector<quint16> version = mbpollRead(sim.board(id).modbus, 128, 1);
        QCOMPARE(version.value(0), quint16(cfg.value("firmware").toInt()));
        QVERIFY(sim.waitForLine(QRegularExpression(QString("^REQ %1 fc=3 reg=79 count=32$").arg(id)), from));
        QVERIFY(sim.waitForLine(QRegularExpression(QString("^REQ %1 fc=3 reg=128 count=1$").arg(id)), from));
    }

    void measures_data() { identity_data(); }

    void measures()
    {
        QFETCH(QString, id);
        const QJsonObject cfg = boardJson(id);
        const QVector<quint16> m = mbpollRead(sim.board(id).modbus, 10, 42);
        QCOMPARE(m.size(), 42);
        const double power = (m.at(14) + m.at(15) + m.at(16)) * 10.0;
        QVERIFY2(power <= cfg.value("nominalPower").toInt(), qPrintable(QString::number(power)));
        if (cfg.value("phases").toInt() == 1)
            QCOMPARE(m.at(15) + m.at(16), 0);
        const quint32 total = quint32(m.at(20)) << 16 | m.at(21);
        const quint32 daily = quint32(m.at(38)) << 16 | m.at(39);
        QVERIFY(total > 0);
        QVERIFY(daily <= total);
        QCOMPARE(m.at(24), quint16(cfg.value("state").toInt(1))); // 1 running unless the scenario says
        QVERIFY(m.at(0) > 100 && m.at(0) < 900);                  // 10 to 90 degrees
        QVERIFY(m.at(13) > 4900 && m.at(13) < 5100);              // about 50 Hz
    }

    void alarmsAndStatus_data() { identity_data(); }

    void alarmsAndStatus()
    {
        QFETCH(QString, id);
        const QJsonObject cfg = boardJson(id);
        const QVector<quint16> alarms = mbpollRead(sim.board(id).modbus, 1000, 10);
        QCOMPARE(alarms.size(), 10);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(int(alarms.at(i)), cfg.value("alarms").toArray().at(i).toInt(0));
        const quint16 status = mbpollRead(sim.board(id).modbus, 8, 1).value(0);
        QVERIFY(status & 0x40); // commands accepted
        for (int bit : {7, 9})
            QCOMPARE(bool(status >> bit & 1), cfg.value("statusBits").toArray().contains(bit));
    }

    void applyParameters_data() { identity_data(); }

    void applyParameters()
    {
        QFETCH(QString, id);
        const quint16 port = sim.board(id).modbus;
        const QVector<quint16> params{0x0005, 80, 0xFFFF, 190, 0xFFFF, 0xFFFF, 0xFFFF, 150};
        const int from = sim.lineCount();
        QVERIFY(mbpollWrite(port, 140, params));
        QCOMPARE(mbpollRead(port, 140, 8), params);
        QVERIFY(mbpollWrite(port, 112, {50}));
        const quint16 expected = quint16(boardJson(id).value("resultWord").toString().toUInt(nullptr, 16));
        QCOMPARE(mbpollRead(port, 116, 1).value(0), expected);
        QVERIFY(sim.waitForLine(
            QRegularExpression(
                QString("^REQ %1 fc=16 reg=140 count=8 values=5,80,65535,190,65535,65535,65535,150$")
                    .arg(id)),
            from));
        QVERIFY(
            sim.waitForLine(QRegularExpression(QString("^APPLY %1 params=5,80,65535,190").arg(id)), from));
    }

    void controlCommands()
    {
        const quint16 port = sim.board("three").modbus;
        int from = sim.lineCount();
        sim.send("set three state 5");
        QVERIFY(sim.waitForLine(QRegularExpression("^OK set three state 5"), from));
        QTRY_COMPARE(mbpollRead(port, 34, 1).value(0), quint16(5));
        sim.send("set three alarm 4 0x1234");
        QVERIFY(sim.waitForLine(QRegularExpression("^OK set three alarm"), from));
        QCOMPARE(mbpollRead(port, 1004, 1).value(0), quint16(0x1234));
        sim.send("set three status-bit 2 on");
        QVERIFY(sim.waitForLine(QRegularExpression("^OK set three status-bit"), from));
        QVERIFY(mbpollRead(port, 8, 1).value(0) & 0x4);
        // Reading the type block answers the request to read it again.
        QCOMPARE(mbpollRead(port, 800, 71).size(), 71);
        QCOMPARE(mbpollRead(port, 8, 1).value(0) & 0x4, 0);
        sim.send("bogus");
        QVERIFY(sim.waitForLine(QRegularExpression("^ERR "), from));
        sim.send("set three state 1");
        QVERIFY(sim.waitForLine(QRegularExpression("^OK set three state 1"), from));
    }

    void clockSetting()
    {
        const int from = sim.lineCount();
        QVERIFY(mbpollWrite(sim.board("single").modbus, 160, {26, 3, 5, 14, 3, 9}));
        QVERIFY(sim.waitForLine(QRegularExpression("^CLOCK single 2026-03-05 14:03:09$"), from));
    }

    void controlSocket()
    {
        const QString where = sim.lineMatching(QRegularExpression("^CONTROL 127\\.0\\.0\\.1:\\d+$"));
        QVERIFY2(!where.isEmpty(), "no CONTROL line");
        QTcpSocket s;
        s.connectToHost(QHostAddress(QHostAddress::LocalHost), quint16(where.section(':', 1).toUInt()));
        QSignalSpy connected(&s, &QTcpSocket::connected);
        QVERIFY(connected.wait(5000));
        s.write("set zeta state 3\n");
        QTRY_VERIFY(s.canReadLine());
        QCOMPARE(s.readLine().trimmed(), QByteArray("OK set zeta state 3"));
        QTRY_COMPARE(mbpollRead(sim.board("zeta").modbus, 34, 1).value(0), quint16(3));
        s.write("set zeta state\n");
        QTRY_VERIFY(s.canReadLine());
        QVERIFY(s.readLine().startsWith("ERR "));
        s.write("set zeta state 1\n");
        QTRY_VERIFY(s.canReadLine());
        QCOMPARE(s.readLine().trimmed(), QByteArray("OK set zeta state 1"));
    }

    void dailyValuesInOneRead()
    {
        // The 204 daily samples come in one reply of 417 bytes, beyond the
        // usual register limit that mbpoll keeps to: checked on a raw socket.
        const QByteArray reply = modbusExchange("127.0.0.1", sim.board("zeta").modbus,
                                                QByteArray::fromHex("000100000006ff0301f400cc"), 417);
        QCOMPARE(reply.size(), 417);
        QCOMPARE(quint8(reply.at(7)), quint8(3));
    }
};

QTEST_GUILESS_MAIN(TestPlantsimRegisters)
#include "tst_plantsim_registers.moc"
