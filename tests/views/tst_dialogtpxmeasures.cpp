// The TPX measures window: its form, the copies it is fed with, its close
// flag, and the values of a simulated TPX board read over loopback.
#include "dialogtpxmeasures.h"
#include "modbusframes.h"
#include "plantsimprocess.h"
#include "testsupport.h"
#include "tpxtestblocks.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTcpSocket>
#include <QtTest>

namespace {
QString text(const QWidget& w, const QString& name)
{
    const QLabel* l = w.findChild<QLabel*>(name);
    return l ? l->text() : QString("<no %1>").arg(name);
}

// One read of `count` registers from a board; the reply bytes, empty on failure.
QByteArray readRegisters(QTcpSocket& socket, quint16 start, quint16 count)
{
    socket.write(modbusframes::readRequest(start, count));
    QByteArray reply;
    const int expected = modbusframes::readReplyLength(count);
    (void)QTest::qWaitFor(
        [&] {
            reply += socket.readAll();
            return reply.size() >= expected;
        },
        5000);
    return reply.size() == expected ? reply : QByteArray();
}
} // namespace

class TestDialogTpxMeasures : public QObject
{
    Q_OBJECT
private slots:
    void form()
    {
        DialogTPXMeasures d;
        QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(qRound(d.windowOpacity() * 100), 95); // kept in steps of 1/255
        QCOMPARE(text(d, "CommandsTitle"), "TPX Measures");
        QStringList groups;
        for (const QGroupBox* g : d.findChildren<QGroupBox*>())
            groups << g->title();
        groups.sort();
        QCOMPARE(groups, QStringList({"Battery", "Bypass", "Input", "Output", "Temperatures"}));
        QCOMPARE(d.findChild<QPushButton*>("pushButtonClose")->toolTip(), "Close this window");
    }

    // Before the first copy every value shows a zero with its unit.
    void initialTexts_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("expected");
        const char* const rows[][2] = {{"inputV_1", "0V"},  {"inputA_3", "0A"},    {"inputF", "0Hz"},
                                       {"inputBV_2", "0V"}, {"BypF", "0Hz"},       {"outputPA_1", "0A"},
                                       {"Load_2", "0%"},    {"outputAP_3", "0KW"}, {"OutF", "0Hz"},
                                       {"BattV", "0V"},     {"BattA", "0A"},       {"BattC", "0%"},
                                       {"BattT", "0Min"},   {"UPS_T", "0C"},       {"SensT_2", "0C"}};
        for (const auto& r : rows)
            QTest::newRow(r[0]) << r[0] << r[1];
    }
    void initialTexts()
    {
        DialogTPXMeasures d;
        QFETCH(QString, label);
        QTEST(text(d, label), "expected");
    }

    // Each copy of a block redraws the window; block A alone turns the
    // battery current's sign.
    void fedWithBlocks()
    {
        TpxTestBlocks blocks;
        blocks.setB({{0, 231},
                     {1, 232},
                     {2, 229},
                     {5, 125},
                     {6, 500},
                     {13, 499},
                     {16, 230},
                     {24, 1234},
                     {26, 0xFFF6},
                     {28, 45},
                     {30, 0xFF85},
                     {32, 501},
                     {36, 5432},
                     {39, 125},
                     {40, 80},
                     {42, 35},
                     {50, 25},
                     {52, 0xFFFB}});
        DialogTPXMeasures d;
        d.setTheTPXBlockA(blocks.blockA());
        d.setTheTPXBlockB(blocks.blockB());
        const QStringList shown{text(d, "inputV_1"),   text(d, "inputV_2"), text(d, "inputA_3"),
                                text(d, "inputF"),     text(d, "BypF"),     text(d, "outputV_3"),
                                text(d, "outputPA_2"), text(d, "Load_1"),   text(d, "Load_3"),
                                text(d, "outputAP_2"), text(d, "OutF"),     text(d, "BattV"),
                                text(d, "BattA"),      text(d, "BattC"),    text(d, "BattT"),
                                text(d, "UPS_T"),      text(d, "SensT_2")};
        QCOMPARE(shown, QStringList({"231V", "232V", "12.50A", "50.00Hz", "49.90Hz", "230V", "123.40A",
                                     "(-10%)", "(45%)", "-12.30KW", "50.10Hz", "543.20V", "12.50A", "80%",
                                     "35%", "25C", "-5C"}));
        blocks.setA(0, 1 << 6);
        d.setTheTPXBlockA(blocks.blockA());
        QCOMPARE(text(d, "BattA"), "-12.50A");
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        testsupport::saveGrab(&d, "tpx_measures_window");
        blocks.setA(0, 0);
        d.setTheTPXBlockA(blocks.blockA());
        QCOMPARE(text(d, "BattA"), "12.50A");
    }

    // The close button only raises the flag the tile polls, and hides the window.
    void closeButton()
    {
        DialogTPXMeasures d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(!d.getTheCloseRequested());
        QTest::mouseClick(d.findChild<QPushButton*>("pushButtonClose"), Qt::LeftButton);
        QVERIFY(d.getTheCloseRequested());
        QVERIFY(d.isHidden());
    }

    // A TPX board of plantsim: registers set by hand, blocks read over
    // loopback and stored as the tile stores them, shown by the window.
    void valuesOfASimulatedBoard()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath("plant.json"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"boards": [{"id": "tpx1", "kind": "tpx", "firmware": 150, "name": "Storage"}]})");
        f.close();
        PlantSimProcess sim;
        // Values move only on updates: none comes during the test.
        QVERIFY(sim.start({"--scenario", f.fileName(), "--loopback", "--no-ftp", "--no-udp", "--quiet",
                           "--update-ms", "3600000"}));
        QVERIFY(sim.command("set tpx1 reg 0 0x40"));    // block A word 0: discharging
        QVERIFY(sim.command("set tpx1 reg 13 236"));    // w2: input voltage L3
        QVERIFY(sim.command("set tpx1 reg 41 0xFFEC")); // w30: active power L2, -2.0 kW
        QVERIFY(sim.command("set tpx1 reg 50 321"));    // w39: battery current
        QVERIFY(sim.command("set tpx1 reg 63 0xFFFE")); // w52: rectifier temperature

        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, sim.board("tpx1").modbus);
        QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::ConnectedState, 5000);
        EquipmentRecords rec;
        const QByteArray a = readRegisters(socket, 0, 4);
        const QByteArray b = readRegisters(socket, 11, 75);
        QVERIFY(!a.isEmpty() && !b.isEmpty());
        rec.receive(a.constData(), a.size());
        rec.storeTpxA();
        rec.receive(b.constData(), b.size());
        rec.storeTpxB();

        DialogTPXMeasures d;
        d.setTheTPXBlockA(rec.tpxA);
        d.setTheTPXBlockB(rec.tpxB);
        QCOMPARE(text(d, "inputV_3"), "236V");
        QCOMPARE(text(d, "outputAP_2"), "-2.00KW");
        QCOMPARE(text(d, "BattA"), "-32.10A");
        QCOMPARE(text(d, "SensT_2"), "-2C");
    }
};

QTEST_MAIN(TestDialogTpxMeasures)
#include "tst_dialogtpxmeasures.moc"
