// The tile against plantsim on loopback: drawing, lost boards, exclusion, snapshot, sync buttons, Update.
#include "appinfo.h"
#include "dialogcommparams.h"
#include "invbutton.h"
#include "plantsimprocess.h"
#include "testsupport.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <memory>

namespace {
QString labelText(InvButton& t, const char* name, int index = 0)
{
    return t.findChildren<QLabel*>(name).value(index)->text();
}
QPushButton* button(InvButton& t, const char* name)
{
    return t.findChild<QPushButton*>(name);
}
bool ticks(InvButton& t, int n = 1)
{
    return repliedTicks(*t.getTheLink(), &EquipmentLink::replyReceived, n);
}
bool idle(InvButton& t)
{
    return QTest::qWaitFor([&] { return t.getTheLogSync()->jobKind() == LogSync::NoJob; }, 15000);
}
} // namespace

class TestInvButton : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;
    std::unique_ptr<PlantSimProcess> sim;
    QTemporaryDir dir;

    // A connected tile, its settings written first; with fresh false the settings are left and the
    // connection not awaited. Without ftp the cycle is driven tick by tick and no FTP job runs.
    std::unique_ptr<InvButton> connectTile(const QString& id, const QString& version, bool ftp = false,
                                           bool fresh = true)
    {
        const SimBoard b = sim->board(id);
        if (fresh) {
            QSettings s(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                        QString("127.0.0.1-%1-Sim").arg(b.modbus));
            s.setValue("/inv/IsZETA", id == "zeta");
            s.setValue("/inv/IsExcluded", false);
        }
        auto tile = std::make_unique<InvButton>();
        if (!ftp)
            tile->setThePollInterval(0);
        tile->setTheHostAddress(QHostAddress::LocalHost);
        tile->SetInvInfo("127.0.0.1", id, "NO_DNS_NAME", version, b.modbus, ftp ? b.ftp : 0, "Sim");
        tile->setTheStoragePath(sandbox->path() + "/", __LINE__);
        tile->Palesati();
        if (fresh && !QTest::qWaitFor([&] { return tile->getTheServerIsConnected(); }, 10000))
            return nullptr;
        sim->barrier();
        sim->clearRequests(id);
        return tile;
    }
    bool setRegisters(const QString& board, int first, const QList<int>& values)
    {
        for (int i = 0; i < values.size(); ++i)
            if (!sim->command(QString("set %1 reg %2 %3").arg(board).arg(first + i).arg(values[i])))
                return false;
        return true;
    }

private slots:
    void initTestCase()
    {
        sandbox = std::make_unique<testsupport::SandboxSettings>();
        const auto board = [](const char* id, const char* kind, int firmware) {
            return QJsonObject{{"id", id},   {"kind", kind},         {"firmware", firmware},
                               {"name", id}, {"nominalPower", 3000}, {"historyDays", 1}};
        };
        const QJsonArray boards{board("inv", "inverter", 150), board("zeta", "zeta", 150),
                                board("sb", "stringbox", 130), board("leg", "inverter", 122)};
        sim = std::make_unique<PlantSimProcess>();
        QVERIFY(sim->start(
            {"--scenario", writeScenario(dir, boards), "--loopback", "--no-udp", "--update-ms", "3600000"}));
    }
    void cleanupTestCase() { sim.reset(); }

    // The registers as drawn on the tick after the first measures reply.
    void drawsTheMeasures_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QList<int>>("phasePower"); // registers 24 to 26, 10 W
        QTest::addColumn<int>("kvpac");             // register 870
        QTest::addColumn<int>("state");             // register 34
        QTest::addColumn<int>("daily");             // registers 48 and 49, 0.1 kWh
        QTest::addColumn<QString>("power");
        QTest::addColumn<QString>("energy");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("barLabel");
        QTest::addColumn<QString>("stamp");
        QTest::addColumn<bool>("alarm");
        // clang-format off
        QTest::newRow("half of 3000 W") << "inv" << QList<int>{100, 50, 0} << 100 << 1 << 1234 << "1.5 kW" << "123.4 kWh" << 50 << "50.0%" << ":/yes.png" << false;
        QTest::newRow("rated 110 %, in alarm") << "inv" << QList<int>{100, 50, 0} << 110 << 5 << 1234 << "1.5 kW" << "123.4 kWh" << 45 << "45.5%" << ":/no.png" << true;
        QTest::newRow("zeta in watts, waiting") << "zeta" << QList<int>{100, 100, 50} << 100 << 4 << 123456 << "2500.0 W" << "12345.6 kWh" << 83 << "83.3%" << ":/wait.png" << false;
        // clang-format on
    }
    void drawsTheMeasures()
    {
        QFETCH(QString, board);
        QFETCH(QList<int>, phasePower);
        QFETCH(int, kvpac);
        QFETCH(int, state);
        QFETCH(int, daily);
        QFETCH(QString, stamp);
        QVERIFY(setRegisters(board, 24, phasePower) && setRegisters(board, 870, {kvpac}) &&
                setRegisters(board, 34, {state}) && setRegisters(board, 10, {253}) &&
                setRegisters(board, 48, {daily >> 16, daily & 0xFFFF}));
        auto tile = connectTile(board, "1.4.0");
        QVERIFY(tile);
        QCOMPARE(labelText(*tile, "theInstantPower", 0), QString("P = ----"));
        QVERIFY(ticks(*tile, 6)); // identity, version, type, daily values, measures, then drawn
        QTEST(labelText(*tile, "theInstantPower", 0), "power");
        QTEST(labelText(*tile, "theInstantPower", 1), "energy");
        QTEST(tile->findChild<QProgressBar*>("thePowerBar")->value(), "bar");
        QTEST(labelText(*tile, "theValueOfBar"), "barLabel");
        QCOMPARE(labelText(*tile, "InvTemp"), QString("T = 25.3 °C"));
        QCOMPARE(tile->findChild<QLabel*>("Stamp")->pixmap(Qt::ReturnByValue).toImage(),
                 QPixmap(stamp).toImage());
        QTEST(tile->theInvIsInAlarm(), "alarm");
        QCOMPARE(tile->InstantPowerForPlant(), (phasePower[0] + phasePower[1] + phasePower[2]) * 10.0);
        // The board's version, once read, replaces the announced one.
        QCOMPARE(tile->title(), QString("127.0.0.1 - %1 [1.4.0]").arg(board));
        tile->OneSecondActivity();
        tile->OneSecondActivity();
        QCOMPARE(tile->title(), QString("127.0.0.1 - %1 [1.5.0]").arg(board));
        testsupport::saveGrab(tile.get(), "tile-" + QString(QTest::currentDataTag()).replace(' ', '-'));
    }

    // A tile out of sight draws once shown; one being deleted never draws again.
    void notDrawn_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::newRow("hidden") << false;
        QTest::newRow("being deleted") << true;
    }
    void notDrawn()
    {
        QFETCH(bool, deleted);
        QVERIFY(setRegisters("inv", 24, {100, 0, 0}));
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        tile->setVisible(deleted);
        if (deleted) {
            tile->DeleteButton();
            QVERIFY(tile->getTheInvIsBeingDeleted());
            QVERIFY(!tile->findChild<QLabel*>("Disconnected_Label")->isVisible());
            QVERIFY(!button(*tile, "ButtonExclude")->isEnabled());
        }
        QVERIFY(ticks(*tile, 6));
        QCOMPARE(labelText(*tile, "theInstantPower", 0), QString("P = ----"));
        if (!deleted) {
            tile->show();
            QTRY_COMPARE(labelText(*tile, "theInstantPower", 0), QString("1.0 kW"));
        }
    }

    // String box words come first byte low: 0x9600 is 15.0 A (75 of 20 A); 300 is past full scale.
    void drawsAStringBox()
    {
        QVERIFY(setRegisters("sb", 20, {0x9600}) && setRegisters("sb", 27, {0x2C01}));
        auto tile = connectTile("sb", "SB_1.3.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 2)); // read, then drawn
        const QList<QProgressBar*> bars = tile->findChildren<QProgressBar*>("theSBBar");
        QCOMPARE(bars.size(), 8);
        QCOMPARE(labelText(*tile, "theSBLabel", 0), QString("15.0A"));
        QCOMPARE(bars[0]->value(), 75);
        QCOMPARE(labelText(*tile, "theSBLabel", 7), QString("30.0A"));
        QCOMPARE(bars[7]->value(), 100);
        QVERIFY(tile->title().endsWith("[1.3.0]"));
        testsupport::saveGrab(tile.get(), "tile-string-box");
    }

    // Silent: TIMEOUT, values dashed; gone: buttons off, delete offered; refused from the start:
    // never a measure. None shows a power bar, a percentage or a state stamp.
    void lostBoard_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("faultTicks");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("energy"); // "" when not checked
        QTest::addColumn<bool>("deletable");
        QTest::addColumn<bool>("buttons");
        // clang-format off
        QTest::newRow("silent") << "silent" << 10 << QString("TIMEOUT") << "E = ----" << false << true;
        QTest::newRow("refused") << "refuse" << 0 << QString("Starting...") << "123.4 kWh" << true << false;
        QTest::newRow("excluded") << "exclude" << 1 << QString("EXCLUDED") << "E = ----" << false << false;
        QTest::newRow("refused from the start") << "refuse" << -1 << QString("Starting...") << "" << true << false;
        // clang-format on
    }
    void lostBoard()
    {
        QFETCH(QString, fault);
        QFETCH(int, faultTicks);
        QFETCH(QString, energy);
        QFETCH(QString, status);
        QVERIFY(setRegisters("inv", 48, {0, 1234}));
        const bool fromStart = faultTicks < 0;
        if (fromStart)
            QVERIFY(sim->command("fault inv refuse on"));
        auto tile = connectTile("inv", "1.5.0", false, !fromStart);
        QVERIFY(tile);
        auto* bar = tile->findChild<QProgressBar*>("thePowerBar");
        auto* barLabel = tile->findChild<QLabel*>("theValueOfBar");
        auto* stamp = tile->findChild<QLabel*>("Stamp");
        const auto switchFault = [&](const char* on) {
            return fault == "exclude" ? (tile->ExcludeButton(), true)
                                      : sim->command("fault inv " + fault + on);
        };
        if (!fromStart) {
            QVERIFY(ticks(*tile, 6));
            QVERIFY(labelText(*tile, "theInstantPower", 0) != "P = ----");
            QVERIFY(button(*tile, "theButtonAlarms")->isEnabled());
            QVERIFY(bar->value() > 0 && barLabel->isVisibleTo(tile.get()) && stamp->isVisibleTo(tile.get()));
            QVERIFY(switchFault(" on"));
            for (int i = 0; i < faultTicks; ++i)
                tile->SendQuery();
        }
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*tile, "Disconnected_Label"), status, 10000);
        QCOMPARE(labelText(*tile, "theInstantPower", 0), QString("P = ----"));
        if (!energy.isEmpty())
            QCOMPARE(labelText(*tile, "theInstantPower", 1), energy);
        QCOMPARE(labelText(*tile, "InvTemp"), QString("----"));
        QTEST(button(*tile, "theButtonAlarms")->isEnabled(), "buttons");
        QTEST(button(*tile, "ButtonCancel")->isEnabled(), "deletable");
        QTEST(!button(*tile, "ButtonCancel")->isHidden(), "deletable");
        QVERIFY(bar->value() == 0 && !barLabel->isVisibleTo(tile.get()) && !stamp->isVisibleTo(tile.get()));
        QVERIFY(switchFault(" off"));
    }

    // A title too long for the room left of the buttons is drawn smaller, and cut with an ellipsis
    // (whole in the tooltip) only past the smallest size; the delete button takes room from it.
    void longTitleStaysClearOfTheButtons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("deletable");
        QTest::addColumn<bool>("cut");
        QTest::newRow("fits") << "Roof" << false << false;
        QTest::newRow("smaller") << "Roof East" << true << false;
        QTest::newRow("cut") << "A very long equipment name on the roof" << true << true;
    }
    void longTitleStaysClearOfTheButtons()
    {
        QFETCH(QString, name);
        QFETCH(bool, deletable);
        QFETCH(bool, cut);
        InvButton tile;
        tile.SetInvInfo("192.168.100.200", name, "NO_DNS_NAME", "1.2.2", 1, 0, "Sim");
        tile.SetDeletable(deletable);
        const QString full = QString("192.168.100.200 - %1 [1.2.2]").arg(name);
        QCOMPARE(tile.title().endsWith(QChar(0x2026)), cut);
        QCOMPARE(tile.toolTip(), cut ? full : QString());
        if (!cut)
            QCOMPARE(tile.title(), full);
        QFont titleFont("DejaVu Sans", tile.getTheTitlePointSize());
        titleFont.setWeight(QFont::Bold);
        const int half = QFontMetrics(titleFont).horizontalAdvance(tile.title()) / 2;
        QVERIFY(tile.width() / 2 + half < button(tile, deletable ? "ButtonCancel" : "ButtonExclude")->x());
    }

    // An excluded tile stays excluded after a restart and sends nothing.
    void exclusionSurvivesARestartAndSendsNothing()
    {
        auto first = connectTile("inv", "1.5.0");
        QVERIFY(first);
        first->ExcludeButton();
        first.reset();
        auto tile = connectTile("inv", "1.5.0", false, false);
        QVERIFY(tile->getTheInvIsExcluded());
        for (int i = 0; i < 5; ++i)
            tile->SendQuery();
        QCOMPARE(labelText(*tile, "Disconnected_Label"), QString("EXCLUDED"));
        QVERIFY(!tile->getTheServerIsConnected() && sim->barrier());
        QVERIFY(sim->requests("inv").isEmpty());
        tile->ExcludeButton();
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        QVERIFY(ticks(*tile));
        QCOMPARE(tile->getTheQueryStatus(), querytable::Version);
    }

    // The connection's chain brings the snapshot; a manual sync disables the buttons until its
    // chain ends; "Stop download" gives them back at once. (A sync asked of a lost board is
    // refused: the log sync test's start requests.)
    void snapshotAndSyncButtons()
    {
        auto tile = connectTile("inv", "1.5.0", true);
        QVERIFY(tile);
        auto* snapshot = tile->findChild<QLabel*>("theSnapshot");
        QTRY_VERIFY_WITH_TIMEOUT(!snapshot->pixmap(Qt::ReturnByValue).isNull(), 15000);
        const QString path = tile->getTheStorageFolder() + "/snapshot.png";
        QCOMPARE(snapshot->pixmap(Qt::ReturnByValue).toImage(), QPixmap(path).toImage());
        QVERIFY(snapshot->isVisible());
        QVERIFY(idle(*tile));
        QVERIFY(button(*tile, "theGraphsButton")->isEnabled());

        tile->InvClicked();
        DialogCommParams* w = tile->getTheCommWindow();
        QVERIFY(w);
        auto* sync = w->findChild<QPushButton*>("SyncFtpButton");
        auto* stop = w->findChild<QPushButton*>("FtpCloseButton");
        QSignalSpy ended(tile.get(), &InvButton::FtpSyncEnded);
        sync->click();
        tile->PollEvents();
        QCOMPARE(labelText(*tile, "Disconnected_Label"), QString("Contacting..."));
        QVERIFY(w->getTheSyncFtpBusy() && !stop->isHidden() && !sync->isEnabled());
        for (const char* name : {"theGraphsButton", "theButtonAlarms", "ButtonMeasures"})
            QVERIFY2(!button(*tile, name)->isEnabled(), name);
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() >= 1, 15000);
        QVERIFY(idle(*tile));
        QVERIFY(button(*tile, "theGraphsButton")->isEnabled());
        QVERIFY(!w->getTheSyncFtpBusy() && stop->isHidden() && sync->isEnabled());
        testsupport::saveGrab(tile.get(), "invbutton_snapshot");

        w->findChild<QPushButton*>("HisRamButton")->click();
        tile->PollEvents();
        QCOMPARE(tile->getTheLogSync()->jobKind(), int(LogSync::HistorySync));
        stop->click();
        tile->PollEvents();
        QCOMPARE(labelText(*tile, "Disconnected_Label"), QString("Ready."));
        QVERIFY(w->getTheStopped() && !w->getTheHisRamBusy() && stop->isHidden() && sync->isEnabled());
        QVERIFY(button(*tile, "theGraphsButton")->isEnabled());
        QCOMPARE(tile->getTheLogSync()->jobKind(), int(LogSync::NoJob));
    }

    // The Update button: offered from 1.2.3 on; the chosen file goes up; a cancelled choice changes
    // nothing. Refused files and the upload itself are covered by the log sync test.
    void updateButton_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QByteArray>("content"); // of the chosen file; null: the dialog is cancelled
        QTest::addColumn<QString>("outcome");    // status text, "" for an upload, "off" when not offered
        // clang-format off
        QTest::newRow("upload") << "inv" << "1.5.0" << QByteArray("package bytes") << "";
        QTest::newRow("cancelled") << "inv" << "1.5.0" << QByteArray() << "unchanged";
        QTest::newRow("legacy board") << "leg" << "1.2.2" << QByteArray() << "off";
        // clang-format on
    }
    void updateButton()
    {
        QFETCH(QString, board);
        QFETCH(QString, version);
        QFETCH(QByteArray, content);
        QFETCH(QString, outcome);
        auto tile = connectTile(board, version, true);
        QVERIFY(tile);
        QVERIFY(idle(*tile));
        QTRY_VERIFY(tile->getTheVersion() != 0); // the board's version has been read
        QPushButton* update = button(*tile, "ButtonUpdate");
        QTRY_COMPARE(update->isEnabled(), outcome != "off");
        if (outcome == "off")
            return;
        const QString file = dir.filePath(QString("firmware %1.tgz").arg(QTest::currentDataTag()));
        if (!content.isNull()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        }
        int asked = 0;
        tile->setUpgradeFileChooser([&] { return ++asked, content.isNull() ? QString() : file; });
        const QString before = labelText(*tile, "Disconnected_Label");
        const int from = sim->lineCount();
        update->click();
        QCOMPARE(asked, 1);
        if (outcome.isEmpty()) {
            const QString stored =
                QString("^FTP %1 STOR Update.tgz bytes=%2 ").arg(board).arg(content.size());
            QVERIFY(sim->waitForLine(QRegularExpression(stored), from));
            QVERIFY(sim->waitForLine(QRegularExpression("^UPGRADE " + board + " applied"), from));
            return;
        }
        QCOMPARE(labelText(*tile, "Disconnected_Label"), before);
        QCOMPARE(tile->getTheLogSync()->jobKind(), int(LogSync::NoJob));
        QVERIFY(sim->barrier());
        QVERIFY(!sim->hasLine(QRegularExpression("^FTP " + board + " (LOGIN|STOR)"), from));
    }
};

QTEST_MAIN(TestInvButton)
#include "tst_invbutton.moc"
