// The tile's side of the FTP jobs against plantsim on loopback: the board's
// snapshot in the snapshot area, the buttons while a sync runs, and the
// Update button (availability, file choice, refusal, upload).
#include "appinfo.h"
#include "dialogcommparams.h"
#include "invbutton.h"
#include "plantsimprocess.h"
#include "testsupport.h"

#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <memory>

class TestInvButtonFtp : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;
    std::unique_ptr<PlantSimProcess> sim;
    QTemporaryDir dir;

    std::unique_ptr<InvButton> connectTile(const QString& id, const QString& version)
    {
        const SimBoard b = sim->board(id);
        QSettings s(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                    QString("127.0.0.1-%1-Sim").arg(b.modbus));
        s.setValue("/inv/IsExcluded", false);
        s.sync();
        auto tile = std::make_unique<InvButton>();
        tile->setTheHostAddress(QHostAddress::LocalHost);
        tile->SetInvInfo("127.0.0.1", id, "NO_DNS_NAME", version, b.modbus, b.ftp, "Sim");
        tile->setTheStoragePath(sandbox->path() + "/", __LINE__);
        tile->Palesati();
        if (!QTest::qWaitFor([&] { return tile->getTheServerIsConnected(); }, 10000))
            return nullptr;
        return tile;
    }
    static QString status(InvButton& t) { return t.findChild<QLabel*>("Disconnected_Label")->text(); }
    static QPushButton* button(InvButton& t, const char* name) { return t.findChild<QPushButton*>(name); }

private slots:
    void initTestCase()
    {
        sandbox = std::make_unique<testsupport::SandboxSettings>();
        const auto board = [](const char* id, const char* kind, int firmware) {
            return QJsonObject{{"id", id},   {"kind", kind},         {"firmware", firmware},
                               {"name", id}, {"nominalPower", 3000}, {"historyDays", 1}};
        };
        const QJsonArray boards{board("inv", "inverter", 150), board("leg", "inverter", 122),
                                board("sb", "stringbox", 130)};
        sim = std::make_unique<PlantSimProcess>();
        QVERIFY(sim->start({"--scenario", writeScenario(dir, boards), "--loopback", "--no-udp"}));
    }
    void cleanupTestCase() { sim.reset(); }

    // The chain of the connection brings the board's snapshot into the
    // snapshot area; a manual sync disables the buttons until its chain ends.
    void snapshotAndSyncButtons()
    {
        auto tile = connectTile("inv", "1.5.0");
        QVERIFY(tile);
        auto* snapshot = tile->findChild<QLabel*>("theSnapshot");
        QTRY_VERIFY_WITH_TIMEOUT(!snapshot->pixmap(Qt::ReturnByValue).isNull(), 15000);
        const QString path = tile->getTheStorageFolder() + "/snapshot.png";
        QCOMPARE(snapshot->pixmap(Qt::ReturnByValue).toImage(), QPixmap(path).toImage());
        QVERIFY(snapshot->isVisible());
        QTRY_VERIFY(tile->getTheLogSync()->jobKind() == LogSync::NoJob);
        QVERIFY(button(*tile, "theGraphsButton")->isEnabled());

        // "Synchro Log Files" of the communication window.
        tile->InvClicked();
        DialogCommParams* w = tile->getTheCommWindow();
        QVERIFY(w);
        auto* sync = w->findChild<QPushButton*>("SyncFtpButton");
        auto* stop = w->findChild<QPushButton*>("FtpCloseButton");
        QSignalSpy ended(tile.get(), &InvButton::FtpSyncEnded);
        sync->click();
        tile->PollEvents();
        QCOMPARE(status(*tile), QString("Contacting..."));
        QVERIFY(w->getTheSyncFtpBusy() && !stop->isHidden() && !sync->isEnabled());
        for (const char* name : {"theGraphsButton", "theButtonAlarms", "ButtonMeasures"})
            QVERIFY2(!button(*tile, name)->isEnabled(), name);
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() >= 1, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheLogSync()->jobKind() == LogSync::NoJob, 15000);
        QVERIFY(button(*tile, "theGraphsButton")->isEnabled());
        QVERIFY(!w->getTheSyncFtpBusy() && stop->isHidden() && sync->isEnabled());
        QVERIFY(QFileInfo::exists(tile->getTheStorageFolder() + "/" +
                                  StoragePaths::dailyLogName(QDate::currentDate().addDays(-1))));
        testsupport::saveGrab(tile.get(), "invbutton_snapshot");

        // "Stop download" while the history files are copied.
        w->findChild<QPushButton*>("HisRamButton")->click();
        tile->PollEvents();
        QCOMPARE(tile->getTheLogSync()->jobKind(), int(LogSync::HistorySync));
        stop->click();
        tile->PollEvents();
        QCOMPARE(status(*tile), QString("Ready."));
        QVERIFY(w->getTheStopped() && !w->getTheHisRamBusy() && stop->isHidden() && sync->isEnabled());
        QVERIFY(button(*tile, "theGraphsButton")->isEnabled());
        QCOMPARE(tile->getTheLogSync()->jobKind(), int(LogSync::NoJob));

        // A copy asked for while the board is away gives the window its buttons back at once.
        QVERIFY(sim->command("fault inv refuse on"));
        QTRY_VERIFY_WITH_TIMEOUT(!tile->getTheServerIsConnected(), 10000);
        if (DialogCommParams* again = tile->getTheCommWindow()) {
            again->findChild<QPushButton*>("SyncFtpButton")->click();
            tile->PollEvents();
            QVERIFY(!again->getTheSyncFtpBusy() &&
                    again->findChild<QPushButton*>("FtpCloseButton")->isHidden());
        }
        QVERIFY(sim->command("fault inv refuse off"));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 15000);
    }

    // The Update button: offered from 1.2.3 on; the chosen file goes up as
    // "Update.tgz"; a cancelled choice changes nothing; an empty file is refused.
    void updateButton_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QByteArray>("content"); // of the chosen file; null: the dialog is cancelled
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("outcome"); // status text, or "" for an upload
        const QString update = "Update software";
        QTest::newRow("upload") << "inv"
                                << "1.5.0" << QByteArray("package bytes") << true << update << "";
        QTest::newRow("cancelled") << "inv"
                                   << "1.5.0" << QByteArray() << true << update << "unchanged";
        QTest::newRow("empty file") << "inv"
                                    << "1.5.0" << QByteArray("") << true << update
                                    << "Upgrade refused: the file is empty, unreadable or too large.";
        QTest::newRow("legacy board")
            << "leg"
            << "1.2.2" << QByteArray() << false
            << "The update function is enabled from 1.2.3\n software version. Please update manually."
            << "unchanged";
    }
    void updateButton()
    {
        QFETCH(QString, board);
        QFETCH(QString, version);
        QFETCH(QByteArray, content);
        QFETCH(bool, enabled);
        QFETCH(QString, outcome);
        auto tile = connectTile(board, version);
        QVERIFY(tile);
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheLogSync()->jobKind() == LogSync::NoJob, 15000);
        QTRY_VERIFY(tile->getTheVersion() != 0); // the board's version has been read
        QPushButton* update = button(*tile, "ButtonUpdate");
        QTRY_COMPARE(update->isEnabled(), enabled);
        QTEST(update->toolTip(), "tooltip");
        if (!enabled)
            return;

        const QString file = dir.filePath(QString("firmware %1.tgz").arg(QTest::currentDataTag()));
        if (!content.isNull()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        }
        int asked = 0;
        tile->setUpgradeFileChooser([&] { return ++asked, content.isNull() ? QString() : file; });
        const QString before = status(*tile);
        const int from = sim->lineCount();
        update->click();
        QCOMPARE(asked, 1);
        if (outcome.isEmpty()) {
            QVERIFY(sim->waitForLine(
                QRegularExpression(
                    QString("^FTP %1 STOR Update.tgz bytes=%2 ").arg(board).arg(content.size())),
                from));
            QVERIFY(sim->waitForLine(QRegularExpression("^UPGRADE " + board + " applied"), from));
        } else {
            QCOMPARE(status(*tile), outcome == "unchanged" ? before : outcome);
            QCOMPARE(tile->getTheLogSync()->jobKind(), int(LogSync::NoJob));
            QVERIFY(sim->barrier());
            QVERIFY(!sim->hasLine(QRegularExpression("^FTP " + board + " (LOGIN|STOR)"), from));
        }
    }

    // A string box's tile shows no snapshot and starts no job.
    void stringBoxHasNoSnapshot()
    {
        auto tile = connectTile("sb", "SB_1.3.0");
        QVERIFY(tile);
        QVERIFY(!tile->RequestLogSync());
        QVERIFY(sim->barrier());
        QVERIFY(!sim->hasLine(QRegularExpression("^FTP sb ")));
        QVERIFY(!tile->findChild<QLabel*>("theSnapshot")->isVisible());
    }
};

QTEST_MAIN(TestInvButtonFtp)
#include "tst_invbutton_ftp.moc"
