// The console and plantsim on loopback: a plant with every kind of
// equipment is entered, connects, is summed, and comes back from the store.
#include "dialogaddmanually.h"
#include "invbutton.h"
#include "maindialog.h"
#include "plantsimprocess.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>


namespace {
QJsonObject board(const QString& id, const QString& kind, int firmware, const QString& name, int power)
{
    return QJsonObject{{"id", id},     {"kind", kind}, {"firmware", firmware},
                       {"name", name}, {"phases", 3},  {"nominalPower", power},
                       {"state", 1}};
}

QString kw(double watts)
{
    return QString::number(watts / 1000.0, 'f', 2);
}
} // namespace

class TestE2eLoopback : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    QTemporaryDir dir;
    PlantSimProcess sim;
    const QStringList ids = {"inv", "legacy", "zeta", "sb", "tpx"};

    // The plant's power as the boards serve it: phases' active power (10 W)
    // of every board that is summed (inverters and Zeta).
    double boardsPower()
    {
        double total = 0;
        for (const char* id : {"inv", "legacy", "zeta"}) {
            const QVector<quint16> w = mbpollRead(sim.board(id).modbus, 24, 3);
            if (w.size() != 3)
                return -1;
            total += (w[0] + w[1] + w[2]) * 10.0;
        }
        return total;
    }

    static bool allConnected(const MainDialog& w, int count)
    {
        if (w.tiles().size() != count)
            return false;
        for (InvButton* t : w.tiles())
            if (!t->getTheServerIsConnected())
                return false;
        return true;
    }

private slots:
    void initTestCase()
    {
        const QJsonArray boards = {
            board("inv", "inverter", 150, "Roof", 10000), board("legacy", "inverter", 122, "Old", 6000),
            board("zeta", "zeta", 150, "Barn", 50000), board("sb", "stringbox", 130, "Strings", 0),
            board("tpx", "tpx", 150, "Storage", 8000)};
        const QString scenario = writeScenario(dir, boards);
        QVERIFY(sim.start({"--scenario", scenario, "--loopback", "--no-ftp", "--no-udp", "--update-ms",
                           "3600000", "--solar-time", "12:00"}));
    }

    void plantConnectsAndIsSummed()
    {
        {
            MainDialog w;
            w.resize(930, 668);
            w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Sim"}, "Sim");
            w.AddEquipment("127.0.0.1", "Roof", "1.5.0", sim.board("inv").modbus, 21, false, false, false,
                           "NO_DNS_NAME", "Sim");
            w.AddEquipment("127.0.0.1", "Old", "1.2.2", sim.board("legacy").modbus, 21, false, false, false,
                           "NO_DNS_NAME", "Sim");
            w.AddEquipment("127.0.0.1", "Barn", "1.5.0", sim.board("zeta").modbus, 21, true, false, false,
                           "NO_DNS_NAME", "Sim");
            w.AddEquipment("127.0.0.1", "Strings", "SB_1.3.0", sim.board("sb").modbus, 21, true, true, false,
                           "NO_DNS_NAME", "Sim");
            w.SaveEquipmentList();

            // The TPX unit is entered by hand, as discovery never reports one.
            QMetaObject::invokeMethod(&w, "on_ButtonAdd_clicked");
            DialogAddManually* d = w.addManuallyDialog();
            QVERIFY(d);
            d->findChild<QLineEdit*>("theIp")->setText("127.0.0.1");
            d->findChild<QLineEdit*>("thePort")->setText(QString::number(sim.board("tpx").modbus));
            d->findChild<QLineEdit*>("theFtpPort")->setText("21");
            d->findChild<QLineEdit*>("theName")->setText("Storage");
            d->findChild<QCheckBox*>("IsTPX")->click();
            d->ChkTimeout();
            d->on_ButtonAdd_clicked();
            w.BackgroundActivity();
            QCOMPARE(w.tiles().size(), 5);
            QVERIFY(w.tiles()[4]->getTheInvIsTPX());
            QVERIFY(w.tpxPresent());

            QTRY_VERIFY_WITH_TIMEOUT(allConnected(w, 5), 30000);
            const double expected = boardsPower();
            QVERIFY(expected > 0);
            auto* total = w.findChild<QLabel*>("TotalPower");
            QTRY_COMPARE_WITH_TIMEOUT(
                total->text(), QString("Total power: %1 kW, 5 equipments. No alarms.").arg(kw(expected)),
                30000);
            QTRY_VERIFY_WITH_TIMEOUT(!w.tiles()[0]->title().contains("---"), 10000);
            testsupport::saveGrab(&w, "plant-every-kind-of-tile");
        }

        // The same plant from the store: kinds come back from each equipment's settings.
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Sim"}, "Sim");
        QCOMPARE(w.tiles().size(), 5);
        int zeta = 0, tpx = 0, sb = 0;
        for (InvButton* t : w.tiles()) {
            zeta += t->getTheInvIsZETA() && !t->getIsStringBox();
            tpx += t->getTheInvIsTPX();
            sb += t->getIsStringBox();
        }
        QCOMPARE(zeta, 1);
        QCOMPARE(tpx, 1);
        QCOMPARE(sb, 1);
        QTRY_VERIFY_WITH_TIMEOUT(allConnected(w, 5), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(
            w.findChild<QLabel*>("TotalPower")->text(),
            QString("Total power: %1 kW, 5 equipments. No alarms.").arg(kw(boardsPower())), 30000);
    }
};

VELORA_CONSOLE_TEST_MAIN(TestE2eLoopback)
#include "tst_e2e_loopback.moc"
