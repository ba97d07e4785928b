// The plant window: stored plant, tile grid, side buttons, fitted texts, tile
// requests, manual entry, the full-screen summary and faults.
#include "dialogfault.h"
#include "dialogfirstuse.h"
#include "fittedtext.h"
#include "fullscreendialog.h"
#include "maindialogtest.h"
#include "storagepaths.h"

#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <qcustomplot.h>

namespace {
bool visible(MainDialog& w, const char* button)
{
    return w.findChild<QPushButton*>(button)->isVisible();
}
void idleTick(MainDialog& w)
{
    w.setScanning(false);
    w.BackgroundActivity();
}
} // namespace

class TestMainDialog : public MainDialogTest
{
    Q_OBJECT
private slots:
    void firstUseBuildsThePlant_data()
    {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("LOCAL") << "LOCAL" << QStringList{"127.0.0.21-502-LOCAL", "127.0.0.21-1502-LOCAL"};
        QTest::newRow("empty") << "Farm" << QStringList{};
    }
    void firstUseBuildsThePlant()
    {
        QFETCH(QString, plant);
        QFETCH(QStringList, keys);
        storeEquipments({"127.0.0.21-502-LOCAL", "127.0.0.22-502-XLOCAL", "127.0.0.21-1502-LOCAL"});
        MainDialog w;
        QVERIFY(w.firstUsePending() && w.firstUseDialog()->isVisible() && !visible(w, "ButtonAdd"));
        if (plant == "LOCAL")
            testsupport::saveGrab(w.firstUseDialog(), "first-use-dialog");
        w.CompleteFirstUse("lo", "127.0.0.1 ", {"LOCAL", "XLOCAL", "Farm"}, plant);
        QVERIFY(!w.firstUsePending() && !w.firstUseDialog());
        QCOMPARE(w.equipmentKeys().toList(), keys);
        QCOMPARE(storedSetting("/app/PlantList"), QString("LOCAL,XLOCAL,Farm,"));
        QCOMPARE(storedSetting("/app/FirstUse"), QString("false"));
        QCOMPARE(labelText(&w, "StatusLine"), "Ready. Plant: " + plant + " (127.0.0.1  on interface lo)");
        QCOMPARE(w.scanning(), plant == "LOCAL");
        w.findChild<QLabel*>("TotalPower")->setText("unchanged");
        w.BackgroundActivity();
        if (w.scanning()) // no totals while a scan runs
            QCOMPARE(labelText(&w, "TotalPower"), QString("unchanged"));
        idleTick(w);
        QCOMPARE(labelText(&w, "TotalPower"),
                 keys.isEmpty()
                     ? QString("No inverters. No alarms.")
                     : QString("Total power: 0.00 kW, %1 equipments. No alarms.").arg(keys.size()));
    }

    void sideButtonsAndTpxCell_data()
    {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<bool>("tpx");
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<bool>("plantCommands");
        QTest::addColumn<bool>("tools");
        QTest::newRow("LOCAL") << "LOCAL" << false << true << true << true;
        QTest::newRow("other plant") << "Farm" << false << true << false << false;
        QTest::newRow("TPX on LOCAL") << "LOCAL" << true << false << false << true;
    }
    void sideButtonsAndTpxCell()
    {
        QFETCH(QString, plant);
        QFETCH(bool, tpx);
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Farm"}, plant);
        const QPoint fullScreenPlace = w.findChild<QPushButton*>("ButtonFullScreen")->pos();
        addInverter(w, "127.0.0.40", plant);
        addInverter(w, "127.0.0.41", plant);
        if (tpx)
            addInverter(w, "127.0.0.50", plant, true);
        QVERIFY(visible(w, "ButtonAdd") && visible(w, "ButtonMinimize"));
        QTEST(visible(w, "ButtonFullScreen"), "fullScreen");
        QTEST(visible(w, "ButtonPlant"), "plantCommands");
        QTEST(visible(w, "ButtonTool"), "tools");
        testsupport::saveGrab(&w, "plant-window-" + QString(QTest::currentDataTag()).replace(' ', '-'));
        if (!tpx)
            return;
        // The TPX tile takes the first cell, the tools button the full-screen button's place.
        QCOMPARE(w.findChild<QPushButton*>("ButtonTool")->pos(), fullScreenPlace);
        QCOMPARE(w.tileGrid()->itemAtPosition(0, 0)->widget(), w.tiles()[2]);
        QCOMPARE(w.tileGrid()->itemAtPosition(0, 1)->widget(), w.tiles()[0]);
        w.tiles()[2]->DeleteButton(); // without the TPX unit the buttons come back
        idleTick(w);
        QVERIFY(w.tiles().size() == 2 && !w.tpxPresent());
        QVERIFY(visible(w, "ButtonFullScreen") && visible(w, "ButtonPlant"));
        QVERIFY(w.findChild<QPushButton*>("ButtonTool")->pos() != fullScreenPlace);
    }

    // A disabled image button is drawn dimmed, an enabled one as it is.
    void disabledImageButtonsLookDisabled()
    {
        MainDialog w;
        auto* add = w.findChild<QPushButton*>("ButtonAdd");
        add->setEnabled(false);
        auto* dim = qobject_cast<QGraphicsOpacityEffect*>(add->graphicsEffect());
        QVERIFY(dim && dim->opacity() < 1.0);
        add->setEnabled(true);
        QVERIFY(!add->graphicsEffect());
    }

    // Every text in its longest form is read whole at the window's fixed size.
    void longestTextsFit()
    {
        MainDialog w;
        w.CompleteFirstUse("lo-with-a-long-name", "255.255.255.254", {"LOCAL", "NorthFieldPlant"},
                           "NorthFieldPlant");
        w.setUnconfiguredPresent(true);
        for (int i = 0; i < 12; ++i)
            addInverter(w, QString("127.0.0.%1").arg(60 + i), "NorthFieldPlant");
        PlantTotals totals;
        totals.power = 99999990.0; // 99999.99 kW
        totals.alarm = true;
        w.ShowTotals(totals);
        w.ShowDateTime(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
        w.show();
        for (const char* name : {"TotalPower", "TotPow", "theDateTime", "StatusLine", "Version"}) {
            const QLabel* label = w.findChild<QLabel*>(name);
            QVERIFY2(label->toolTip().isEmpty(), name); // a tooltip means the text had to be cut
            QVERIFY2(textFits(label, label->text(), label->contentsRect().width(),
                              label->contentsRect().height(), label->wordWrap()),
                     name);
        }
        QVERIFY(labelText(&w, "TotalPower").contains("At least one equipment is in alarm."));
        testsupport::saveGrab(&w, "plant-window-longest-texts");
    }

    // A repeated text is not laid out again, but a label changed meanwhile is fitted again.
    void fittedTextFollowsTheLabel_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("nothing") << "";
        QTest::newRow("text set directly") << "text";
        QTest::newRow("box widened") << "wider";
        QTest::newRow("font changed") << "font";
    }
    void fittedTextFollowsTheLabel()
    {
        QFETCH(QString, change);
        QLabel label;
        label.setFont(QFont("DejaVu Sans", 12));
        label.resize(120, 20);
        const QString text = "At least one equipment is in alarm.";
        setFittedText(&label, text, 10);
        QCOMPARE(label.toolTip(), text); // too long even at the floor: elided
        if (change == "text")
            label.setText("Scanning...");
        else if (change == "wider")
            label.resize(600, 20);
        else if (change == "font")
            label.setFont(QFont("DejaVu Sans", 30));
        setFittedText(&label, text, 10);
        QVERIFY(label.font().pointSize() <= 12);
        const bool whole = label.toolTip().isEmpty();
        QCOMPARE(whole, change == "wider");
        QCOMPARE(whole ? label.text() : label.toolTip(), text);
        QVERIFY(label.text().startsWith("At least"));
        QVERIFY(textFits(&label, label.text(), label.contentsRect().width(), label.contentsRect().height(),
                         false));
    }

    // A port change moves only its entry, with its settings and probe choice; a delete waits for the scan.
    void tileRequestsAndQuit()
    {
        storeEquipments({"127.0.0.80-502-Farm", "127.0.0.81-502-LOCAL", "127.0.0.82-502-Farm"});
        MainDialog w;
        startOnLoopback(w, "Farm");
        InvButton* tile = w.tiles()[0];
        tile->setTheInvIsZETA(true);
        tile->setTheChosenProbe(2);
        tile->setTheObjectWantsToChangeChosenProbe(true);
        w.BackgroundActivity();
        tile->setThePort(1502);
        w.BackgroundActivity();
        QCOMPARE(storedSetting("/app/Inverters/InvList"),
                 QString("127.0.0.80-1502-Farm,127.0.0.81-502-LOCAL,127.0.0.82-502-Farm,"));
        const auto settingsOf = [](const char* key) {
            return QSettings(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation, key)
                .fileName();
        };
        QVERIFY(QSettings(settingsOf("127.0.0.80-1502-Farm"), QSettings::IniFormat)
                    .value("/inv/IsZETA")
                    .toBool());
        QVERIFY(!QFileInfo::exists(settingsOf("127.0.0.80-502-Farm")));
        QCOMPARE(storedSetting("/app/ProbeIp"), QString("127.0.0.80-1502-Farm"));
        tile->DeleteButton();
        w.setScanning(true);
        w.BackgroundActivity();
        QCOMPARE(w.tiles().size(), 2);
        idleTick(w);
        QCOMPARE(w.equipmentKeys().toList(), QStringList{"127.0.0.82-502-Farm"});
        QCOMPARE(storedSetting("/app/Inverters/InvList"),
                 QString("127.0.0.81-502-LOCAL,127.0.0.82-502-Farm,"));
        QCOMPARE(storedSetting("/app/Inverters/InvListNames"), QString("Inv1,Inv2,"));
        // Quitting stamps the last sync of connected tiles only.
        addInverter(w, "127.0.0.83", "Farm");
        w.tiles()[0]->setTheServerIsConnected(true);
        const QString before = w.tiles()[1]->getTheLastSync();
        QMetaObject::invokeMethod(&w, "on_ButtonQuit_clicked");
        const QDate d = QDate::currentDate();
        QCOMPARE(w.tiles()[0]->getTheLastSync(),
                 QString("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day()));
        QCOMPARE(w.tiles()[1]->getTheLastSync(), before);
    }

    void manualEntry()
    {
        MainDialog w;
        startOnLoopback(w, "Farm");
        QCOMPARE(addByHand(w, "127.0.0.40", "1502"), 1);
        QCOMPARE(storedSetting("/app/Inverters/InvListVers"), QString("---,"));
        QCOMPARE(addByHand(w, "127.0.0.40", "1502"), 1); // the same address and port: refused
        QCOMPARE(addByHand(w, "127.0.0.40", "1503"), 2);
        QTest::mouseClick(w.addManuallyDialog()->findChild<QPushButton*>("ButtonCancel"), Qt::LeftButton);
        w.BackgroundActivity();
        QVERIFY(!w.addManuallyDialog());
    }

    // The full-screen summary: this month's energy from the totals log, not fed while hidden,
    // reopened as the same window.
    void fullScreenButton()
    {
        MainDialog w;
        const QDate today = QDate::currentDate();
        const StoragePaths storage(w.storageDir(), "127.0.0.61", 502, "Farm");
        QFile totals(storage.totalsLogPath(today.year()));
        QVERIFY(storage.create() && totals.open(QIODevice::WriteOnly));
        totals.write(QString("%1-%2-01;12.5\n").arg(today.year()).arg(today.month()).toUtf8());
        totals.close();
        startOnLoopback(w, "Farm");
        addInverter(w, "127.0.0.61", "Farm");
        addInverter(w, "127.0.0.62", "Farm");
        w.tiles()[0]->setTheServerIsConnected(true);
        w.BackgroundActivity();
        QVERIFY(!w.fullScreen());
        QMetaObject::invokeMethod(&w, "on_ButtonFullScreen_clicked");
        FullScreenDialog* fs = w.fullScreen();
        QVERIFY(fs && fs->isVisible());
        QCOMPARE(labelText(fs, "EnergyValue"), QString("0.00 kWh (12.50 kWh this month)"));
        QVERIFY(fs->miniPlot()->isHidden()); // the connected tile has no curve yet
        QTest::mouseClick(fs->findChild<QPushButton*>("ButtonExit"), Qt::LeftButton);
        fs->findChild<QLabel*>("PowerValue")->setText("stale");
        w.BackgroundActivity();
        QVERIFY(!fs->isVisible() && labelText(fs, "PowerValue") == "stale");
        QMetaObject::invokeMethod(&w, "on_ButtonFullScreen_clicked");
        QVERIFY(w.fullScreen() == fs && fs->isVisible() &&
                labelText(fs, "PowerValue") == labelText(&w, "TotPow"));
        testsupport::saveGrab(fs, "fullscreen-from-plant-window");
    }

    // An interface address that has gone cannot be bound: the fault window shows the send code.
    void faults()
    {
        MainDialog w;
        w.CompleteFirstUse("eth9", "192.0.2.77", {"LOCAL"}, "LOCAL");
        QTRY_VERIFY_WITH_TIMEOUT(w.faultDialog(), 5000);
        QVERIFY(w.faultDialog()->code().startsWith("mad - 2246 ("));
        testsupport::saveGrab(w.faultDialog(), "fault-dialog");
        int status = -1;
        auto saved = DialogFault::exitHandler();
        DialogFault::exitHandler() = [&status](int s) { status = s; };
        QTest::mouseClick(w.faultDialog()->findChild<QPushButton*>("ButtonOk"), Qt::LeftButton);
        DialogFault::exitHandler() = saved;
        QCOMPARE(status, 1);
    }
};

VELORA_CONSOLE_TEST_MAIN(TestMainDialog)
#include "tst_maindialog.moc"
