// The TPX measures window: the copies it is fed with, its close flag, and
// the values of a simulated TPX board read over loopback.
#include "dialogtpxmeasures.h"
#include "dialogtpxmeasurestexts.h"
#include "modbusframes.h"
#include "plantsimprocess.h"
#include "testsupport.h"
#include "tpxtestblocks.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTcpSocket>
#include <QtTest>

namespace {
using testsupport::labelText;

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
    // Every value label shows its text of the copies; a copy of block A
    // alone redraws the battery current's sign.
    void fedWithBlocks()
    {
        TpxTestBlocks blocks;
        QMap<int, quint16> numbered;
        for (int w = 0; w < 75; ++w)
            numbered.insert(w, quint16(w % 2 ? 0xFF00 + w : 200 + w));
        blocks.setB(numbered);
        blocks.setA(0, 1 << 6);
        DialogTPXMeasures d;
        d.setTheTPXBlockB(blocks.blockB());
        d.setTheTPXBlockA(blocks.blockA());
        const QMap<QString, QString> expected = TpxMeasuresTexts::texts(blocks.blockA(), blocks.blockB());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(labelText(&d, it.key()), it.value());
        QCOMPARE(labelText(&d, "BattA"), "-6531.90A");
        blocks.setA(0, 0);
        d.setTheTPXBlockA(blocks.blockA());
        QCOMPARE(labelText(&d, "BattA"), "6531.90A");
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        testsupport::saveGrab(&d, "tpx_measures_window_widest");
        // A unit running on its inverter, the battery discharging.
        blocks.setA(0, 1 << 6);
        blocks.setB({{0, 231},  {1, 229},  {2, 232},  {3, 102},  {4, 98},   {5, 105},    {6, 500},
                     {10, 230}, {11, 231}, {12, 229}, {13, 500}, {14, 230}, {15, 230},   {16, 230},
                     {20, 85},  {21, 90},  {22, 80},  {23, 170}, {24, 175}, {25, 160},   {26, 45},
                     {27, 48},  {28, 42},  {29, 19},  {30, 20},  {31, 18},  {32, 500},   {36, 4085},
                     {39, 125}, {40, 87},  {42, 64},  {50, 24},  {51, 41},  {52, 0xFFFE}});
        d.setTheTPXBlockA(blocks.blockA());
        d.setTheTPXBlockB(blocks.blockB());
        testsupport::saveGrab(&d, "tpx_measures_window");
    }

    // Closing only raises the flag the tile polls, and hides the window.
    void closeButton_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("close button") << false;
        QTest::newRow("Escape") << true;
    }
    void closeButton()
    {
        QFETCH(bool, escape);
        QPointer<DialogTPXMeasures> d = new DialogTPXMeasures;
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        QVERIFY(!d->getTheCloseRequested());
        if (escape)
            QTest::keyClick(d, Qt::Key_Escape);
        else
            QTest::mouseClick(d->findChild<QPushButton*>("pushButtonClose"), Qt::LeftButton);
        QVERIFY(d->getTheCloseRequested());
        QVERIFY(d->isHidden());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(d); // the tile deletes it
        delete d;
    }

    // A TPX board of plantsim: registers set by hand, blocks read over
    // loopback and stored as the tile stores them, shown by the window.
    void valuesOfASimulatedBoard()
    {
        QTemporaryDir dir;
        const QJsonObject tpx{{"id", "tpx1"}, {"kind", "tpx"}, {"firmware", 150}, {"name", "Storage"}};
        PlantSimProcess sim;
        // Values move only on updates: none comes during the test.
        QVERIFY(sim.start({"--scenario", writeScenario(dir, {tpx}), "--loopback", "--no-ftp", "--no-udp",
                           "--quiet", "--update-ms", "3600000"}));
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
        QCOMPARE(labelText(&d, "inputV_3"), "236V");
        QCOMPARE(labelText(&d, "outputAP_2"), "-2.00KW");
        QCOMPARE(labelText(&d, "BattA"), "-32.10A");
        QCOMPARE(labelText(&d, "SensT_2"), "-2C");
    }
};

QTEST_MAIN(TestDialogTpxMeasures)
#include "tst_dialogtpxmeasures.moc"
