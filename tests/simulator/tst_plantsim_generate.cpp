// plantsim's generated plants for benchmarks: N boards come up, each with a
// register server of its own that answers for its own board.

#include "plantsimprocess.h"

#include <unistd.h>

namespace {

// Reads the version register over a raw Modbus TCP exchange.
int readVersion(const QString& address, quint16 port)
{
    const QByteArray r = modbusExchange(address, port, QByteArray::fromHex("000100000006ff0300800001"), 11);
    return r.size() == 11 ? (quint8(r.at(9)) << 8 | quint8(r.at(10))) : -1;
}

} // namespace

class TestPlantsimGenerate : public QObject
{
    Q_OBJECT

private slots:
    void boardsComeUp_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("count");
        QTest::newRow("50 on loopback ports") << QStringList{"--generate", "50", "--loopback"} << 50;
        // Fixed ports below the system's range for ephemeral ports.
        QTest::newRow("20 on consecutive ports")
            << QStringList{"--generate", "20", "--base", "127.0.0.1", "--port-base", "24100"} << 20;
        QTest::newRow("30 on their own addresses")
            << QStringList{"--generate", "30", "--base", "127.0.3.1"} << 30;
    }

    void boardsComeUp()
    {
        QFETCH(QStringList, args);
        QFETCH(int, count);
        if (!args.contains("--loopback") && !args.contains("--port-base") && ::geteuid() != 0)
            QSKIP("the standard ports 502 and 21 need root");
        PlantSimProcess sim;
        QVERIFY2(sim.start(args + QStringList{"--no-ftp"}, 60000), "plantsim did not print READY");
        QVERIFY(sim.hasLine(QRegularExpression(QString("^READY %1$").arg(count))));
        QSet<QString> endpoints;
        for (int i = 1; i <= count; ++i) {
            const SimBoard b = sim.board(QString("b%1").arg(i));
            QVERIFY(b.modbus != 0);
            endpoints.insert(QString("%1:%2").arg(b.address).arg(b.modbus));
        }
        QCOMPARE(endpoints.size(), count); // every board is reached on its own
        if (args.contains("--port-base"))
            QCOMPARE(int(sim.board("b2").modbus - sim.board("b1").modbus), 4);
        // The generator alternates firmware 122 and 150 (every third board on 122).
        for (int i : {1, 2, count}) {
            const SimBoard b = sim.board(QString("b%1").arg(i));
            QCOMPARE(readVersion(b.address, b.modbus), (i - 1) % 3 == 0 ? 122 : 150);
            QVERIFY(sim.waitForLine(QRegularExpression(QString("^REQ b%1 fc=3 reg=128 count=1$").arg(i))));
        }
    }

    void quietKeepsAnswersOnly()
    {
        PlantSimProcess sim;
        QVERIFY2(sim.start({"--generate", "3", "--loopback", "--no-ftp", "--quiet"}),
                 "plantsim did not print READY");
        const SimBoard b = sim.board("b2");
        QCOMPARE(readVersion(b.address, b.modbus), 150);
        const int from = sim.lineCount();
        sim.send("list");
        QVERIFY(sim.waitForLine(QRegularExpression("^READY 3$"), from));
        QVERIFY(!sim.hasLine(QRegularExpression("^(REQ|CONNECT|DISCONNECT) ")));
    }
};

QTEST_GUILESS_MAIN(TestPlantsimGenerate)
#include "tst_plantsim_generate.moc"
