// The console on the plant "LOCAL" discovers the simulator's demo plant. Runs only
// inside the isolated network of scripts/netns-run.sh: the broadcasts never leave it.
#include "consoletest.h"
#include "dialogfirstuse.h"
#include "maindialog.h"

#include <QComboBox>

using consoletest::storedSetting;

class TestE2eDiscovery : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    PlantSimProcess sim;

private slots:
    void initTestCase()
    {
        QVERIFY2(testsupport::unexpectedInterface({"velora0", "velora1"}).isEmpty(),
                 "not inside the isolated network; run through scripts/netns-run.sh");
        QVERIFY(QNetworkInterface::interfaceFromName("velora0").isValid());
        QVERIFY(sim.start({}));
    }

    void discoversTheDemoPlant()
    {
        MainDialog w;
        DialogFirstUse* first = w.firstUseDialog();
        QVERIFY(first);
        auto* interfaces = first->findChild<QComboBox*>("ComboInterface");
        const int item = interfaces->findText("192.168.1.10 [velora0]");
        QVERIFY(item >= 0);
        interfaces->setCurrentIndex(item);
        QTest::mouseClick(first->findChild<QPushButton*>("pushButtonApplyConfig"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.firstUsePending(), 5000);
        QCOMPARE(w.plantName(), QString("LOCAL"));

        const QStringList boards = {"192.168.1.20", "192.168.1.21", "192.168.1.22", "192.168.1.23",
                                    "192.168.1.24"};
        QTRY_COMPARE_WITH_TIMEOUT(w.tiles().size(), boards.size(), 20000);
        // Neither the TPX unit (silent) nor the board at the factory address makes a tile.
        QStringList addresses;
        for (InvButton* t : w.tiles())
            addresses << t->GetRealIp();
        addresses.sort();
        QCOMPARE(addresses, boards);

        // Stored once however many broadcasts each board answered.
        QTRY_VERIFY_WITH_TIMEOUT(!w.scanning(), 15000);
        QStringList keys = storedSetting("/app/Inverters/InvList").split(',', Qt::SkipEmptyParts);
        keys.sort();
        QStringList expected;
        for (const QString& b : boards)
            expected << b + "-502-LOCAL";
        QCOMPARE(keys, expected);
        QTRY_VERIFY_WITH_TIMEOUT(
            w.findChild<QLabel*>("TotalPower")->text().endsWith(" [Unconfigured equip. present]"), 10000);
        testsupport::saveGrab(&w, "discovered-demo-plant");
    }
};

VELORA_CONSOLE_TEST_MAIN(TestE2eDiscovery)
#include "tst_e2e_discovery.moc"
