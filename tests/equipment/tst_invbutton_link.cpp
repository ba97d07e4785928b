// The tile against plantsim on loopback, its cycle driven tick by tick (poll
// timer stopped, SendQuery() called, the reply awaited), and its settings file.
#include "appinfo.h"
#include "invbutton.h"
#include "plantsimprocess.h"
#include "storagepaths.h"
#include "testsupport.h"
#include <QLabel>
#include <QSettings>
#include <QtEndian>
#include <QtTest>
#include <memory>
namespace {
QString statusText(InvButton& t)
{
    return t.findChild<QLabel*>("Disconnected_Label")->text();
}
// n ticks of the cycle, each with its reply; false when one did not come.
bool ticks(InvButton& t, int n = 1)
{
    for (int i = 0; i < n; ++i) {
        QSignalSpy spy(&t, &InvButton::ReplyReceived);
        t.SendQuery();
        if (!spy.wait(5000))
            return false;
    }
    return true;
}
} // namespace
class TestInvButtonLink : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;
    std::unique_ptr<PlantSimProcess> sim;
    QTemporaryDir dir;
    std::unique_ptr<InvButton> connectTile(const QString& id, const QString& version = "1.5.0",
                                           bool fresh = true)
    {
        const quint16 port = sim->board(id).modbus;
        if (fresh) {
            QSettings s(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                        QString("127.0.0.1-%1-Sim").arg(port));
            s.setValue("/inv/IsTPX", id == "tpx");
            s.setValue("/inv/IsExcluded", false);
        }
        auto tile = std::make_unique<InvButton>();
        tile->setThePollInterval(0);
        tile->setTheHostAddress(QHostAddress::LocalHost);
        tile->SetInvInfo("127.0.0.1", id, "NO_DNS_NAME", version, port, 0, "Sim");
        tile->setTheStoragePath(sandbox->path() + "/", __LINE__);
        tile->Palesati();
        if (fresh && !QTest::qWaitFor([&] { return tile->getTheServerIsConnected(); }, 10000))
            return nullptr;
        sim->barrier();
        sim->clearRequests(id);
        return tile;
    }
private slots:
    void initTestCase()
    {
        sandbox = std::make_unique<testsupport::SandboxSettings>();
        QJsonArray boards;
        for (const char* b : {"inv inverter 150", "leg inverter 122", "sb stringbox 130", "tpx tpx 150"}) {
            const QStringList p = QString(b).split(' ');
            boards.append(QJsonObject{{"id", p[0]},
                                      {"kind", p[1]},
                                      {"firmware", p[2].toInt()},
                                      {"name", p[0]},
                                      {"nominalPower", 6000},
                                      {"selfConsumption", true}});
        }
        QFile f(dir.filePath("plant.json"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QJsonDocument(QJsonObject{{"boards", boards}}).toJson());
        f.close();
        sim = std::make_unique<PlantSimProcess>();
        QVERIFY(sim->start(
            {"--scenario", f.fileName(), "--loopback", "--no-ftp", "--no-udp", "--update-ms", "200"}));
    }
    void cleanupTestCase() { sim.reset(); }
    void kindSequences_data()
    {
        QTest::addColumn<QString>("row"); // board, announced version, then register/count of each read
        QTest::newRow("inverter") << QString(
            "inv 1.5.0 79/32 128/1 800/71 500/204 10/42 6/3 1000/10 10/42 200/3 6/3");
        QTest::newRow("legacy inverter") << QString("leg 1.2.2 79/32 128/1 10/31 6/2 10/31 6/2");
        QTest::newRow("string box") << QString("sb SB_1.3.0 20/8 20/8 20/8");
        QTest::newRow("tpx") << QString("tpx 1.5.0 0/4 11/75 120/9 0/4");
    }
    void kindSequences()
    {
        QFETCH(QString, row);
        const QStringList w = row.split(' ');
        const QString id = w[0];
        QStringList expected;
        for (const QString& r : w.mid(2))
            expected << QString("fc=3 reg=%1 count=%2").arg(r.section('/', 0, 0), r.section('/', 1));
        auto tile = connectTile(id, w[1]);
        QVERIFY(tile);
        QCOMPARE(statusText(*tile), QString("Ready."));
        QVERIFY(ticks(*tile, expected.size()));
        QVERIFY(sim->barrier());
        QCOMPARE(sim->requests(id), expected);
        QCOMPARE(tile->getTheMissedReplies(), 0);
    }
    // Wrong length: asked again, slower. Exception of full length: logged.
    void faultyReplies_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("ticksBefore");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("logged");
        QTest::newRow("wrong length") << "wrong-length" << 2 << 152 << 400 << 10 << "";
        QTest::newRow("exception") << "exception-full" << 0 << 73 << 300 << 2
                                   << "-127.0.0.1: Error MODBUS TCP!";
    }
    void faultyReplies()
    {
        QFETCH(QString, fault);
        QFETCH(int, ticksBefore);
        QFETCH(QString, logged);
        auto tile = connectTile("inv");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, ticksBefore));
        const int state = tile->getTheQueryStatus();
        QFile log(tile->getTheStorageFolder() + "/Inv.Log");
        log.remove();
        QVERIFY(sim->command("fault inv " + fault + " on"));
        QSignalSpy spy(tile.get(), &InvButton::ReplyReceived);
        tile->SendQuery();
        QVERIFY(spy.wait(5000));
        QTEST(spy.at(0).at(1).toInt(), "bytes");
        QVERIFY(!spy.at(0).at(2).toBool());
        QCOMPARE(tile->getTheQueryStatus(), state);
        QTEST(tile->getThePollInterval(), "interval");
        QCOMPARE(log.open(QIODevice::ReadOnly) ? QString(log.readAll().trimmed()).right(logged.size()) : "",
                 logged);
        QVERIFY(sim->command("fault inv " + fault + " off"));
        QVERIFY(ticks(*tile));
        QTEST(tile->getTheQueryStatus(), "after");
    }
    // Unanswered, a request is sent again only every third tick; the tenth
    // silent tick shows TIMEOUT, and the first whole reply after it recovers.
    void lateReplyIsNotRequestedTwiceAndSilenceTimesOut()
    {
        auto tile = connectTile("inv");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 5)); // up to the first measures
        tile->UpdateValues();
        QVERIFY(tile->getTheMeasuresAreValid());
        QVERIFY(sim->command("fault inv silent on"));
        const int before = sim->linesStartingWith("FAULT inv silent").size();
        for (int i = 0; i < 7; ++i)
            tile->SendQuery();
        QVERIFY(sim->barrier());
        QTRY_COMPARE(sim->linesStartingWith("FAULT inv silent").size() - before, 3);
        tile->SendQuery();
        tile->SendQuery();
        QCOMPARE(statusText(*tile), QString(""));
        tile->SendQuery();
        QCOMPARE(statusText(*tile), QString("TIMEOUT"));
        QVERIFY(!tile->getTheMeasuresAreValid());
        QCOMPARE(tile->getTheQueryStatus(), 1);
        QVERIFY(tile->getTheServerIsConnected()); // the connection is kept
        QVERIFY(sim->command("fault inv silent off"));
        bool handled = false; // late replies may come together with the next one
        for (int i = 0; i < 6 && !handled; ++i) {
            QSignalSpy spy(tile.get(), &InvButton::ReplyReceived);
            tile->SendQuery();
            handled = spy.wait(3000) && spy.last().at(2).toBool();
        }
        QVERIFY(handled);
        QCOMPARE(tile->getTheMissedReplies(), 0);
        QCOMPARE(tile->getTheQueryStatus(), 2);
    }
    void refusedThenBack()
    {
        auto tile = connectTile("inv");
        QVERIFY(tile);
        QVERIFY(sim->command("fault inv refuse on"));
        QTRY_VERIFY(!tile->getTheServerIsConnected());
        QTRY_COMPARE_WITH_TIMEOUT(statusText(*tile), QString("Starting..."), 10000); // reconnect refused
        QVERIFY(sim->command("fault inv refuse off"));
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        QCOMPARE(statusText(*tile), QString("Ready."));
        QVERIFY(ticks(*tile));
        QCOMPARE(tile->getTheQueryStatus(), 2);
    }
    void parameterWrite_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("writes");
        QStringList oneByOne;
        for (int i = 0; i < 7; ++i)
            oneByOne << QString("fc=6 reg=%1 count=1").arg(140 + i);
        QTest::addRow("current, ok") << "inv" << 0x0F32 << 2 << QStringList{"fc=16 reg=140 count=8"};
        QTest::addRow("legacy one by one, unknown") << "leg" << 0x0034 << -1 << oneByOne;
    }
    void parameterWrite()
    {
        QFETCH(QString, id);
        QFETCH(int, word);
        QFETCH(QStringList, writes);
        auto tile = connectTile(id, id == "leg" ? "1.2.2" : "1.5.0");
        QVERIFY(tile);
        QVERIFY(ticks(*tile, 3));
        QVERIFY(sim->command(QString("set %1 result %2").arg(id).arg(word)));
        unsigned short wire[8];
        const quint16 host[8] = {0x0003, 80, 150, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 120};
        qToBigEndian<quint16>(host, 8, wire);
        tile->SetPwConfig(wire);
        tile->setTheSendConfigAsSoonAsPossible(true);
        sim->barrier();
        sim->clearRequests(id);
        QVERIFY(ticks(*tile, writes.size() + 2));
        QTEST(tile->getTheLastCommandResult(), "code");
        QCOMPARE(tile->getTheQueryStatus(), 3);
        QVERIFY(sim->barrier());
        QCOMPARE(sim->requests(id), writes << "fc=6 reg=112 count=1"
                                           << "fc=3 reg=116 count=1");
        const QStringList written = sim->linesStartingWith(QString("REQ %1 fc=").arg(id));
        QVERIFY(written.filter("reg=14").last().endsWith(writes.size() == 3
                                                             ? "values=3,80,150,65535,65535,65535,65535,120"
                                                             : "values=65535")); // word 6 of the block
    }
    void exclusionSurvivesARestartAndSendsNothing()
    {
        connectTile("inv")->ExcludeButton();
        auto tile = connectTile("inv", "1.5.0", false);
        QVERIFY(tile->getTheInvIsExcluded());
        for (int i = 0; i < 5; ++i)
            tile->SendQuery();
        QCOMPARE(statusText(*tile), QString("EXCLUDED"));
        QVERIFY(!tile->getTheServerIsConnected());
        QVERIFY(sim->barrier());
        QVERIFY(sim->requests("inv").isEmpty());
        tile->ExcludeButton();
        QTRY_VERIFY_WITH_TIMEOUT(tile->getTheServerIsConnected(), 10000);
        QVERIFY(ticks(*tile));
        QCOMPARE(tile->getTheQueryStatus(), 2);
    }
    void firstStartAndMonthlyEnergy()
    {
        const int year = QDate::currentDate().year();
        const QString root = sandbox->path() + "/";
        const QString folder = StoragePaths::storageFolderFor(root, "127.0.0.1", 1502, "Home");
        QVERIFY(QDir().mkpath(folder));
        QFile totals(folder + "/" + StoragePaths::totalsLogName(year));
        QVERIFY(totals.open(QIODevice::WriteOnly));
        totals.write(QString("%1-03-01;10.5\n%1-03-02;4.5\n%1-04-01;7\n").arg(year).toUtf8());
        totals.close();
        InvButton tile;
        tile.SetInvInfo("127.0.0.1", "Roof", "NO_DNS_NAME", "1.5.0", 1502, 0, "Home");
        tile.setTheStoragePath(root);
        QCOMPARE(tile.getMonthlyEnergy(year, 3), 15.0);
        QCOMPARE(tile.getMonthlyEnergy(year, 4), 7.0);
        // A first start writes every key of the settings file.
        QSettings s(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation, tile.GetIp());
        for (const char* key : {"inv/LastSync", "inv/IsExcluded", "inv/IsZETA", "inv/IsTPX", "inv/DnsName"})
            QVERIFY2(s.contains(key), key);
        QCOMPARE(s.value("inv/DnsName").toString(), QString("NO_DNS_NAME"));
    }
};

QTEST_MAIN(TestInvButtonLink)
#include "tst_invbutton_link.moc"
