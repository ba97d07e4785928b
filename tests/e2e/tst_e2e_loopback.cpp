// The console and plantsim on loopback: a plant with every kind of
// equipment is entered, connects, is summed, and comes back from the store.
#include "consoletest.h"
#include "dialogaddmanually.h"
#include "maindialog.h"

using namespace consoletest;

class TestE2eLoopback : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    QTemporaryDir dir;
    PlantSimProcess sim;

    // The summary line from the phases' power (10 W) the summed boards serve (not the string box nor the
    // TPX).
    QString expectedTotal()
    {
        double total = 0;
        for (const char* id : {"inv", "legacy", "zeta"}) {
            const QVector<quint16> w = mbpollRead(sim.board(id).modbus, 24, 3);
            if (w.size() != 3)
                return "(no power read from " + QString(id) + ")";
            total += (w[0] + w[1] + w[2]) * 10.0;
        }
        if (total <= 0)
            return "(no power served)";
        return QString("Total power: %1 kW, 5 equipments. No alarms.").arg(total / 1000.0, 0, 'f', 2);
    }

private slots:
    void initTestCase()
    {
        const auto board = [](const char* id, const char* kind, int firmware, const char* name, int power) {
            return simBoard(id, kind, firmware,
                            {{"name", name}, {"phases", 3}, {"nominalPower", power}, {"state", 1}});
        };
        QVERIFY(startStillPlant(
            sim, dir,
            {board("inv", "inverter", 150, "Roof", 10000), board("legacy", "inverter", 122, "Old", 6000),
             board("zeta", "zeta", 150, "Barn", 50000), board("sb", "stringbox", 130, "Strings", 0),
             board("tpx", "tpx", 150, "Storage", 8000)},
            {"--no-ftp", "--no-udp", "--solar-time", "12:00"}));
    }

    void plantConnectsAndIsSummed()
    {
        {
            MainDialog w;
            w.resize(930, 668);
            startOnLoopback(w, "Sim");
            addBoard(w, sim, "inv", "Roof");
            addBoard(w, sim, "legacy", "Old", "1.2.2");
            addBoard(w, sim, "zeta", "Barn", "1.5.0", true);
            addBoard(w, sim, "sb", "Strings", "SB_1.3.0", true, true);
            w.SaveEquipmentList();

            QCOMPARE(addByHand(w, "127.0.0.1", QString::number(sim.board("tpx").modbus), "Storage", true), 5);
            QVERIFY(w.tiles()[4]->getTheInvIsTPX());

            QTRY_VERIFY_WITH_TIMEOUT(tilesConnected(w, 5), 30000);
            QTRY_COMPARE_WITH_TIMEOUT(labelText(&w, "TotalPower"), expectedTotal(), 30000);
            QTRY_VERIFY_WITH_TIMEOUT(!w.tiles()[0]->title().contains("---"), 10000);
            testsupport::saveGrab(&w, "plant-every-kind-of-tile");
        }

        // The same plant from the store, each equipment's kind included.
        MainDialog w;
        startOnLoopback(w, "Sim");
        QStringList kinds;
        for (InvButton* t : w.tiles())
            kinds << (t->getIsStringBox()    ? "sb"
                      : t->getTheInvIsTPX()  ? "tpx"
                      : t->getTheInvIsZETA() ? "zeta"
                                             : "");
        QCOMPARE(kinds, (QStringList{"", "", "zeta", "sb", "tpx"}));
        QTRY_VERIFY_WITH_TIMEOUT(tilesConnected(w, 5), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(labelText(&w, "TotalPower"), expectedTotal(), 30000);
    }
};

VELORA_CONSOLE_TEST_MAIN(TestE2eLoopback)
#include "tst_e2e_loopback.moc"
