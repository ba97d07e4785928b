// The plant window: stored plant, tile grid, side buttons, first-use
// completion and quitting. Runs in a network namespace with only loopback.
#include "dialogaddmanually.h"
#include "dialogfault.h"
#include "dialogfirstuse.h"
#include "discoverydatagram.h"
#include "invbutton.h"
#include "maindialog.h"
#include "plantstore.h"
#include "testsupport.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>
#include <QtTest>

namespace {
void storeEquipments(const QStringList& keys, const QStringList& versions = {})
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "KESTRELSunwerk",
                QCoreApplication::applicationName());
    QStringList names, dns, vers, ports, ftp;
    for (int i = 0; i < keys.size(); ++i) {
        names << QString("Inv%1").arg(i);
        dns << "NO_DNS_NAME";
        vers << (i < versions.size() ? versions[i] : QString("1.5.0"));
        ports << keys[i].split('-')[1];
        ftp << "21";
    }
    auto text = [](const QStringList& l) { return l.join(',') + ","; };
    s.setValue("/app/Inverters/InvList", text(keys));
    s.setValue("/app/Inverters/InvListNames", text(names));
    s.setValue("/app/Inverters/InvListDnsNames", text(dns));
    s.setValue("/app/Inverters/InvListVers", text(vers));
    s.setValue("/app/Inverters/InvListPorts", text(ports));
    s.setValue("/app/Inverters/InvListFtpPorts", text(ftp));
    s.setValue("/app/PlantList", "LOCAL,XLOCAL,Farm,");
}

QVariant storedValue(const char* key)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "KESTRELSunwerk",
                QCoreApplication::applicationName());
    return s.value(key);
}

QPushButton* button(MainDialog& w, const char* name)
{
    return w.findChild<QPushButton*>(name);
}
} // namespace

class TestMainDialog : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;

private slots:
    void initTestCase()
    {
        // The plant "LOCAL" broadcasts: never outside a namespace of our own.
        for (const QNetworkInterface& ni : QNetworkInterface::allInterfaces())
            if (!(ni.flags() & QNetworkInterface::IsLoopBack))
                QFAIL(
                    qPrintable("interface " + ni.name() + " present; run through scripts/in-empty-netns.sh"));
    }

    void init() { sandbox = std::make_unique<testsupport::SandboxSettings>(); }

    void startsWithFirstUseAndOneSettingsFile()
    {
        MainDialog w;
        QVERIFY(w.firstUsePending());
        QVERIFY(w.firstUseDialog());
        QVERIFY(w.firstUseDialog()->isVisible());
        QVERIFY(w.isVisible());
        QVERIFY(!button(w, "ButtonAdd")->isVisible());
        QVERIFY(w.settingsFileName().startsWith(sandbox->path()));
        QCOMPARE(w.storageDir(), QFileInfo(w.settingsFileName()).absolutePath() + "/");
        QCOMPARE(storedValue("/app/Version").toString(), QString("1.3.1"));
        testsupport::saveGrab(&w, "plant-window-first-use");
        testsupport::saveGrab(w.firstUseDialog(), "first-use-dialog");
    }

    void plantMatchBuildsOnlyItsTiles_data()
    {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("LOCAL") << "LOCAL" << QStringList{"127.0.0.21-502-LOCAL", "127.0.0.21-1502-LOCAL"};
        QTest::newRow("XLOCAL") << "XLOCAL" << QStringList{"127.0.0.22-502-XLOCAL"};
        QTest::newRow("unknown") << "Nowhere" << QStringList{};
    }
    void plantMatchBuildsOnlyItsTiles()
    {
        QFETCH(QString, plant);
        QFETCH(QStringList, expected);
        storeEquipments({"127.0.0.21-502-LOCAL", "127.0.0.22-502-XLOCAL", "127.0.0.21-1502-LOCAL"});
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1 ", {"LOCAL", "XLOCAL", "Farm"}, plant);
        QCOMPARE(w.equipmentKeys().toList(), expected);
        QCOMPARE(w.tiles().size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(w.tiles()[i]->GetIp(), expected[i]);
        QCOMPARE(w.scanning(), plant == "LOCAL");
        if (w.scanning()) {
            // No totals while a scan runs.
            w.findChild<QLabel*>("TotalPower")->setText("unchanged");
            w.BackgroundActivity();
            QCOMPARE(w.findChild<QLabel*>("TotalPower")->text(), QString("unchanged"));
            w.setScanning(false);
        }
        w.BackgroundActivity();
        if (expected.isEmpty())
            QCOMPARE(w.findChild<QLabel*>("TotalPower")->text(), QString("No inverters. No alarms."));
        else
            QCOMPARE(w.findChild<QLabel*>("TotalPower")->text(),
                     QString("Total power: 0.00 kW, %1 equipments. No alarms.").arg(expected.size()));
    }

    void firstUseCompletionStoresChoices()
    {
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1 ", {"LOCAL", "Farm", "New"}, "Farm");
        QVERIFY(!w.firstUsePending());
        QVERIFY(!w.firstUseDialog());
        QCOMPARE(storedValue("/app/PlantList").toString(), QString("LOCAL,Farm,New,"));
        QCOMPARE(storedValue("/app/ChosenInterface").toString(), QString("lo"));
        QCOMPARE(storedValue("/app/FirstUse").toString(), QString("false"));
        QCOMPARE(w.findChild<QLabel*>("StatusLine")->text(),
                 QString("Ready. Plant: Farm (127.0.0.1  on interface lo)"));
        QVERIFY(!w.scanning());
    }

    void sideButtons_data()
    {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<bool>("tpx");
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<bool>("plantCommands");
        QTest::addColumn<bool>("tools");
        QTest::newRow("LOCAL") << "LOCAL" << false << true << true << true;
        QTest::newRow("other plant") << "Farm" << false << true << false << false;
        QTest::newRow("TPX plant") << "Farm" << true << false << false << false;
        QTest::newRow("TPX on LOCAL") << "LOCAL" << true << false << false << true;
    }
    void sideButtons()
    {
        QFETCH(QString, plant);
        QFETCH(bool, tpx);
        QFETCH(bool, fullScreen);
        QFETCH(bool, plantCommands);
        QFETCH(bool, tools);
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Farm"}, plant);
        w.setScanning(false);
        const QPoint fullScreenPlace = button(w, "ButtonFullScreen")->pos();
        if (tpx)
            w.AddEquipment("127.0.0.30", "Tpx", "---", 502, 21, false, false, true, "NO_DNS_NAME", plant);
        QVERIFY(button(w, "ButtonAdd")->isVisible());
        QVERIFY(button(w, "ButtonMinimize")->isVisible());
        QCOMPARE(button(w, "ButtonFullScreen")->isVisible(), fullScreen);
        QCOMPARE(button(w, "ButtonPlant")->isVisible(), plantCommands);
        QCOMPARE(button(w, "ButtonTool")->isVisible(), tools);
        if (tpx)
            QCOMPARE(button(w, "ButtonTool")->pos(), fullScreenPlace);
        testsupport::saveGrab(&w, "plant-window-" + QString(QTest::currentDataTag()).replace(' ', '-'));
    }

    void tpxTileTakesFirstCell()
    {
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Farm"}, "Farm");
        for (int i = 0; i < 3; ++i)
            w.AddEquipment(QString("127.0.0.%1").arg(40 + i), "Inv", "1.5.0", 502, 21, false, false, false,
                           "NO_DNS_NAME", "Farm");
        w.AddEquipment("127.0.0.50", "Tpx", "---", 502, 21, false, false, true, "NO_DNS_NAME", "Farm");
        QVERIFY(w.tpxPresent());
        QGridLayout* grid = w.tileGrid();
        QCOMPARE(grid->itemAtPosition(0, 0)->widget(), w.tiles()[3]);
        QCOMPARE(grid->itemAtPosition(0, 1)->widget(), w.tiles()[0]);
        QCOMPARE(grid->itemAtPosition(1, 0)->widget(), w.tiles()[1]);
        QCOMPARE(grid->itemAtPosition(1, 1)->widget(), w.tiles()[2]);
    }

    void addEquipmentAndSave()
    {
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Farm"}, "Farm");
        w.AddEquipment("127.0.0.60", "A", "1.5.0", 502, 21, false, false, false, "NO_DNS_NAME", "Farm");
        w.AddEquipment("127.0.0.60", "B", "SB_1.2.0", 1502, 21, false, true, false, "NO_DNS_NAME", "Farm");
        w.AddEquipment("192.168.1.100", "Factory", "1.5.0", 502, 21, false, false, false, "NO_DNS_NAME",
                       "Farm");
        QCOMPARE(w.tiles().size(), 2);
        QVERIFY(w.unconfiguredPresent());
        QVERIFY(w.tiles()[1]->getIsStringBox());
        w.SaveEquipmentList();
        w.SaveEquipmentList();
        QCOMPARE(storedValue("/app/Inverters/InvList").toString(),
                 QString("127.0.0.60-502-Farm,127.0.0.60-1502-Farm,"));
        QCOMPARE(storedValue("/app/Inverters/InvListVers").toString(), QString("1.5.0,SB_1.2.0,"));
        w.BackgroundActivity();
        QVERIFY(w.findChild<QLabel*>("TotalPower")->text().endsWith(" [Unconfigured equip. present]"));
    }

    void quitWritesLastSyncOnlyForConnected()
    {
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Farm"}, "Farm");
        w.AddEquipment("127.0.0.70", "A", "1.5.0", 502, 21, false, false, false, "NO_DNS_NAME", "Farm");
        w.AddEquipment("127.0.0.71", "B", "1.5.0", 502, 21, false, false, false, "NO_DNS_NAME", "Farm");
        w.tiles()[0]->setTheServerIsConnected(true);
        const QString before = w.tiles()[1]->getTheLastSync();
        QMetaObject::invokeMethod(&w, "on_ButtonQuit_clicked");
        const QDate d = QDate::currentDate();
        QCOMPARE(w.tiles()[0]->getTheLastSync(),
                 QString("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day()));
        QCOMPARE(w.tiles()[1]->getTheLastSync(), before);
    }

    void portChangeRewritesStoredEntry()
    {
        storeEquipments({"127.0.0.80-502-Farm", "127.0.0.81-502-LOCAL"});
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Farm"}, "Farm");
        QCOMPARE(w.tiles().size(), 1);
        w.tiles()[0]->setThePort(1502);
        w.BackgroundActivity();
        QCOMPARE(storedValue("/app/Inverters/InvListPorts").toString(), QString("1502,502,"));
        w.tiles()[0]->setTheFtpPort(2121);
        w.BackgroundActivity();
        QCOMPARE(storedValue("/app/Inverters/InvListFtpPorts").toString(), QString("2121,21,"));
    }

    void probeChoice()
    {
        storeEquipments({"127.0.0.90-502-Farm"});
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Farm"}, "Farm");
        InvButton* tile = w.tiles()[0];
        tile->setTheChosenProbe(2);
        tile->setTheObjectWantsToChangeChosenProbe(true);
        w.BackgroundActivity();
        QCOMPARE(storedValue("/app/ProbeIp").toString(), QString("127.0.0.90-502-Farm"));
        QCOMPARE(storedValue("/app/ProbeProbe").toInt(), 2);
        QVERIFY(!tile->getTheObjectWantsToChangeChosenProbe());
        // The same tile choosing probe 0 clears the stored choice.
        tile->setTheChosenProbe(0);
        tile->setTheObjectWantsToChangeChosenProbe(true);
        w.BackgroundActivity();
        QCOMPARE(storedValue("/app/ProbeIp").toString(), QString());
        QCOMPARE(storedValue("/app/ProbeProbe").toInt(), 0);
    }

    void discoveryReplies()
    {
        storeEquipments({"127.0.0.11-502-Farm", "127.0.0.12-502-LOCAL"});
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Farm"}, "LOCAL");
        QCOMPARE(w.tiles().size(), 1);
        using DiscoveryDatagram::buildReply;
        QList<QByteArray> replies = {
            buildReply("1.5.0", "127.0.0.13", "North", 2),      buildReply("1.5.0", "127.0.0.13", "North", 2),
            buildReply("SB_1.2.0", "127.0.0.14", "Box", 3),     buildReply("1.0.0", "127.0.0.15", "", 3),
            buildReply("1.5.0", "192.168.1.100", "Factory", 2), buildReply("1.5.0", "127.0.0.16", "Odd", 4),
            buildReply("1.5.0", "127.0.0.12", "Inv1", 2), // known, same name
        };
        for (QByteArray& r : replies)
            w.ProcessTheDatagram(r);
        QCOMPARE(w.equipmentKeys().toList(), (QStringList{"127.0.0.12-502-LOCAL", "127.0.0.13-502-LOCAL",
                                                          "127.0.0.14-502-LOCAL", "127.0.0.15-502-LOCAL"}));
        QVERIFY(w.tiles()[2]->getIsStringBox());
        QVERIFY(w.tiles()[2]->getTheInvIsZETA());
        QVERIFY(w.tiles()[3]->getTheInvIsZETA());
        QVERIFY(!w.tiles()[1]->getTheInvIsZETA());
        QCOMPARE(w.tiles()[3]->getTheInvName(), QString("????"));
        QVERIFY(w.unconfiguredPresent());
        w.SaveEquipmentList();
        QCOMPARE(storedValue("/app/Inverters/InvList").toString(),
                 QString("127.0.0.11-502-Farm,127.0.0.12-502-LOCAL,127.0.0.13-502-LOCAL,127.0.0.14-502-LOCAL,"
                         "127.0.0.15-502-LOCAL,"));
        QCOMPARE(storedValue("/app/Inverters/InvListNames").toString(), QString("Inv0,Inv1,North,Box,????,"));
        // A known board renamed: its tile and its own stored entry follow,
        // even with another plant's entry stored before it.
        QByteArray renamed = buildReply("1.5.0", "127.0.0.12", "Renamed", 2);
        w.ProcessTheDatagram(renamed);
        QCOMPARE(w.tiles()[0]->getTheInvName(), QString("Renamed"));
        QCOMPARE(storedValue("/app/Inverters/InvListNames").toString(),
                 QString("Inv0,Renamed,North,Box,????,"));
        QCOMPARE(w.tiles().size(), 4);
    }

    void manualEntry()
    {
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Farm"}, "Farm");
        QMetaObject::invokeMethod(&w, "on_ButtonAdd_clicked");
        DialogAddManually* d = w.addManuallyDialog();
        QVERIFY(d);
        auto enter = [d](const QString& ip, const QString& port, const QString& name) {
            d->findChild<QLineEdit*>("theIp")->setText(ip);
            d->findChild<QLineEdit*>("thePort")->setText(port);
            d->findChild<QLineEdit*>("theFtpPort")->setText("21");
            d->findChild<QLineEdit*>("theName")->setText(name);
            d->ChkTimeout();
            d->on_ButtonAdd_clicked();
        };
        enter("127.0.0.40", "1502", "Hand");
        w.BackgroundActivity();
        QVERIFY(!d->getAddRequested());
        QCOMPARE(w.equipmentKeys().toList(), QStringList{"127.0.0.40-1502-Farm"});
        QCOMPARE(storedValue("/app/Inverters/InvListVers").toString(), QString("---,"));
        // The same address and port again: refused.
        enter("127.0.0.40", "1502", "Again");
        w.BackgroundActivity();
        QCOMPARE(w.tiles().size(), 1);
        // Another port on the same address: a second equipment.
        enter("127.0.0.40", "1503", "Other");
        w.BackgroundActivity();
        QCOMPARE(w.tiles().size(), 2);
        // Closing the panel: the plant window deletes it.
        QTest::mouseClick(d->findChild<QPushButton*>("ButtonCancel"), Qt::LeftButton);
        w.BackgroundActivity();
        QVERIFY(!w.addManuallyDialog());
    }

    void deletionWaitsForTheEndOfAScan()
    {
        storeEquipments({"127.0.0.91-502-Farm", "127.0.0.92-502-Farm"});
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Farm"}, "Farm");
        QCOMPARE(w.tiles().size(), 2);
        InvButton* doomed = w.tiles()[0];
        doomed->DeleteButton();
        w.setScanning(true);
        w.BackgroundActivity();
        QCOMPARE(w.tiles().size(), 2);
        w.setScanning(false);
        w.BackgroundActivity();
        QCOMPARE(w.equipmentKeys().toList(), QStringList{"127.0.0.92-502-Farm"});
        QCOMPARE(w.tiles().size(), 1);
        QCOMPARE(storedValue("/app/Inverters/InvList").toString(), QString("127.0.0.92-502-Farm,"));
        QCOMPARE(storedValue("/app/Inverters/InvListNames").toString(), QString("Inv1,"));
    }

    void failingBroadcastShowsItsFaultCode()
    {
        // Only loopback exists here: an interface address that has gone
        // cannot be bound, and the broadcast finds no route.
        MainDialog w;
        w.CompleteFirstUse("eth9", "192.0.2.77", {"LOCAL"}, "LOCAL");
        QTRY_VERIFY_WITH_TIMEOUT(w.faultDialog(), 5000);
        QVERIFY(w.faultDialog()->code().startsWith("mad - 2246 ("));
    }

    void faultDialogExitsWithStatusOne()
    {
        MainDialog w;
        int status = -1;
        auto saved = DialogFault::exitHandler();
        DialogFault::exitHandler() = [&status](int s) { status = s; };
        w.ShowFault(DialogFault::FormatCode("mad - ", 2246, 101));
        QVERIFY(w.faultDialog());
        QCOMPARE(w.faultDialog()->code(), QString("mad - 2246 (101)"));
        QVERIFY(w.faultDialog()->isModal());
        testsupport::saveGrab(w.faultDialog(), "fault-dialog");
        QTest::mouseClick(w.faultDialog()->findChild<QPushButton*>("ButtonOk"), Qt::LeftButton);
        DialogFault::exitHandler() = saved;
        QCOMPARE(status, 1);
    }
};

VELORA_CONSOLE_TEST_MAIN(TestMainDialog)
#include "tst_maindialog.moc"
