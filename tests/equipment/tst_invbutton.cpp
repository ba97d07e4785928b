// The tile's identity and settings file, its kind flags and the decoded
// values it keeps, without a board on the other side (the link only ever
// meets a refused loopback port here).
#include "dialogfault.h"
#include "invbutton.h"
#include "testsupport.h"

#include "storagepaths.h"
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QtTest>

namespace {
// A loopback port with nobody listening: connections are refused.
quint16 closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

QSettings* equipmentSettings(const QString& key)
{
    return new QSettings(QSettings::IniFormat, QSettings::UserScope, "KESTRELSunwerk", key);
}

QString statusText(InvButton& t)
{
    return t.findChild<QLabel*>("Disconnected_Label")->text();
}

// A refused port whose settings file already holds the value, as after an earlier run.
quint16 presetPort(const char* key, const QVariant& value)
{
    const quint16 port = closedPort();
    QScopedPointer<QSettings>(equipmentSettings(QString("127.0.0.1-%1-Home").arg(port)))
        ->setValue(key, value);
    return port;
}
} // namespace

class TestInvButton : public QObject
{
    Q_OBJECT
private slots:
    void monthlyEnergyFromTheTotalsLog()
    {
        testsupport::SandboxSettings sandbox;
        const QString root = sandbox.path() + "/";
        const int year = QDate::currentDate().year();
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
        QCOMPARE(tile.getMonthlyEnergy(year, 5), 0.0);
    }

    void firstStartCreatesTheSettingsFile()
    {
        testsupport::SandboxSettings sandbox;
        InvButton tile;
        tile.SetInvInfo("127.0.0.1", "Roof", "NO_DNS_NAME", "1.3.3", 0, 0, "LOCAL");
        QCOMPARE(tile.GetIp(), QString("127.0.0.1-0-LOCAL"));
        QCOMPARE(tile.GetRealIp(), QString("127.0.0.1"));
        QCOMPARE(tile.getThePort(), 502);
        QCOMPARE(tile.getTheFtpPort(), 21);
        QCOMPARE(tile.title(), QString("127.0.0.1 - Roof [1.3.3]"));
        QVERIFY(!tile.getTheEnabledButtonsFlag());
        QScopedPointer<QSettings> s(equipmentSettings(tile.GetIp()));
        QVERIFY(QFile::exists(s->fileName()));
        QVERIFY(s->fileName().startsWith(sandbox.path()));
        // Every key is written, with its first-start value.
        const QList<QPair<QString, QVariant>> keys = {{"inv/LastSync", ""},
                                                      {"inv/IsExcluded", false},
                                                      {"inv/IsZETA", false},
                                                      {"inv/IsTPX", false},
                                                      {"inv/DnsName", "NO_DNS_NAME"}};
        for (const auto& k : keys)
            QCOMPARE(s->value(k.first, "missing").toString(), k.second.toString());
    }

    void identity_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("stringBox");
        QTest::addColumn<QString>("titleEnd");
        QTest::newRow("string box") << "SB_1.2.0" << true << "[1.2.0]";
        QTest::newRow("inverter") << "1.5.0" << false << "[1.5.0]";
        QTest::newRow("lower-case prefix") << "sb_1.2.0" << false << "[sb_1.2.0]";
    }
    void identity()
    {
        QFETCH(QString, version);
        testsupport::SandboxSettings sandbox;
        InvButton tile;
        tile.SetInvInfo("127.0.0.1", "Box", "NO_DNS_NAME", version, closedPort(), 2121, "Home");
        QTEST(tile.getIsStringBox(), "stringBox");
        QFETCH(QString, titleEnd);
        QVERIFY2(tile.title().endsWith(titleEnd), qPrintable(tile.title()));
        QCOMPARE(tile.getTheFtpPort(), 2121);
    }

    void dnsNameAddressesTheLinkWithoutConnectingWhenDeleting()
    {
        testsupport::SandboxSettings sandbox;
        InvButton tile;
        tile.DeleteButton();
        QVERIFY(tile.getTheInvIsBeingDeleted());
        tile.SetInvInfo("10.1.2.3", "Far", "inv7.plant", "1.5.0", 1502, 0, "Home");
        QCOMPARE(tile.GetRealIp(), QString("inv7.plant"));
        QCOMPARE(tile.GetIp(), QString("inv7.plant-1502-Home"));
        QScopedPointer<QSettings> s(equipmentSettings(tile.GetIp()));
        QCOMPARE(s->value("inv/DnsName").toString(), QString("inv7.plant"));
        // The link is built but never connects once the tile is being deleted.
        QTest::qWait(0);
        QVERIFY(!tile.getTheServerIsConnected());
        QCOMPARE(tile.findChild<QLabel*>("theWaitLabel")->text(), QString("Wait..."));
    }

    void excludedSurvivesARestart()
    {
        testsupport::SandboxSettings sandbox;
        const quint16 port = closedPort();
        {
            InvButton tile;
            tile.SetInvInfo("127.0.0.1", "Roof", "NO_DNS_NAME", "1.5.0", port, 0, "Home");
            auto* exclude = tile.findChild<QPushButton*>("ButtonExclude");
            QCOMPARE(exclude->text(), QString("E"));
            tile.ExcludeButton();
            QCOMPARE(exclude->text(), QString("R"));
            QVERIFY(!tile.getTheEnabledButtonsFlag());
            QVERIFY(!tile.findChild<QPushButton*>("ButtonMeasures")->isEnabled());
        }
        InvButton again;
        again.SetInvInfo("127.0.0.1", "Roof", "NO_DNS_NAME", "1.5.0", port, 0, "Home");
        QVERIFY(again.getTheInvIsExcluded());
        auto* exclude = again.findChild<QPushButton*>("ButtonExclude");
        QCOMPARE(exclude->text(), QString("R"));
        again.ExcludeButton();
        QCOMPARE(exclude->text(), QString("E"));
        QVERIFY(again.getTheEnabledButtonsFlag());
        QScopedPointer<QSettings> s(equipmentSettings(again.GetIp()));
        QCOMPARE(s->value("inv/IsExcluded").toBool(), false);
    }

    void zetaProtocolFromAnnouncedVersion_data()
    {
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("legacy");
        QTest::newRow("zeta 1.0.0") << true << "1.0.0" << true;
        QTest::newRow("zeta 1.2.5") << true << "1.2.5" << false;
        QTest::newRow("inverter 1.0.0") << false << "1.0.0" << true; // until its version is read
    }
    void zetaProtocolFromAnnouncedVersion()
    {
        QFETCH(bool, zeta);
        QFETCH(QString, version);
        testsupport::SandboxSettings sandbox;
        const quint16 port = presetPort("/inv/IsZETA", zeta);
        InvButton tile;
        tile.SetInvInfo("127.0.0.1", "Z", "NO_DNS_NAME", version, port, 0, "Home");
        QCOMPARE(tile.getTheInvIsZETA(), zeta);
        QTEST(tile.getTheProtocolFlags().legacy, "legacy");
        tile.StoreVersion(122);
        QTEST(tile.getTheProtocolFlags().legacy, "legacy");
        tile.StoreVersion(123);
        QVERIFY(!tile.getTheProtocolFlags().legacy);
    }

    void kindSettersWriteTheFile()
    {
        testsupport::SandboxSettings sandbox;
        InvButton tile;
        tile.SetInvInfo("127.0.0.1", "K", "NO_DNS_NAME", "1.5.0", closedPort(), 0, "Home");
        tile.setTheInvIsZETA(true);
        tile.setTheInvIsTPX(true);
        tile.setTheInvDnsName("inv9.plant");
        tile.setTheLastSync("2026-03-05");
        QScopedPointer<QSettings> s(equipmentSettings(tile.GetIp()));
        QCOMPARE(s->value("inv/IsZETA").toBool(), true);
        QCOMPARE(s->value("inv/IsTPX").toBool(), true);
        QCOMPARE(s->value("inv/DnsName").toString(), QString("inv9.plant"));
        QCOMPARE(s->value("inv/LastSync").toString(), QString("2026-03-05"));
        // The DNS name does not move the link.
        QCOMPARE(tile.GetRealIp(), QString("127.0.0.1"));
        QVERIFY(!tile.getTheProtocolFlags().legacy);
    }

    void tpxStartsAtBlockA()
    {
        testsupport::SandboxSettings sandbox;
        const quint16 port = presetPort("/inv/IsTPX", true);
        InvButton tile;
        tile.SetInvInfo("127.0.0.1", "T", "NO_DNS_NAME", "1.0.0", port, 0, "Home");
        QVERIFY(tile.getTheInvIsTPX());
        QCOMPARE(tile.getTheQueryStatus(), 16);
        QCOMPARE(tile.getTheSavedQueryStatus(), 16);
    }

    void refusedConnection()
    {
        testsupport::SandboxSettings sandbox;
        InvButton tile;
        tile.setThePollInterval(20);
        tile.SetInvInfo("127.0.0.1", "R", "NO_DNS_NAME", "1.5.0", closedPort(), 0, "Home");
        QCOMPARE(statusText(tile), QString("Connecting..."));
        QTRY_COMPARE(statusText(tile), QString("Starting..."));
        QVERIFY(tile.getTheInvIsUnreachable());
        QVERIFY(tile.findChild<QPushButton*>("ButtonCancel")->isEnabled());
        // The error text stays while the wait lasts, then the animation comes back.
        QTRY_VERIFY(statusText(tile).startsWith("Connecting"));
        // The reconnect attempt, 3 s later, starts again.
        QTRY_COMPARE_WITH_TIMEOUT(statusText(tile), QString("Connecting..."), 8000);
        QTRY_COMPARE(statusText(tile), QString("Starting..."));
    }

    void versionFlagsAndUpdateTooltip_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("tooltip");
        QTest::newRow("110 legacy") << 110 << "1.1.0" << true;
        QTest::newRow("133") << 133 << "1.3.3" << false;
    }
    void versionFlagsAndUpdateTooltip()
    {
        QFETCH(int, version);
        InvButton tile;
        tile.StoreVersion(static_cast<short>(version));
        QTEST(tile.getTheVersionText(), "text");
        const QString tip = tile.findChild<QPushButton*>("ButtonUpdate")->toolTip();
        QTEST(tip.contains("Please update manually."), "tooltip");
    }

    void writeWithoutSocketShowsTheFault()
    {
        InvButton tile;
        unsigned char frame[12] = {};
        QTest::ignoreMessage(QtWarningMsg, "ShowFault: invb - 2443");
        tile.WriteToSocket(frame, sizeof frame);
        auto* fault = tile.findChild<DialogFault*>();
        QVERIFY(fault);
        QCOMPARE(fault->code(), QString("invb - 2443"));
    }

    void probeMaxOutsideRange()
    {
        InvButton tile;
        QCOMPARE(tile.getTheProbeMax(0), 100.0);
        QCOMPARE(tile.getTheProbeMax(5), 100.0);
        QCOMPARE(tile.GetTheProbeLabel(7), QString());
    }

    void tileWidgets()
    {
        InvButton tile;
        QCOMPARE(tile.title(), QString("---"));
        QVERIFY(tile.isHidden());
        QVERIFY(!tile.findChild<QPushButton*>("ButtonCancel")->isEnabled());
        QCOMPARE(tile.InstantPowerForPlant(), 0.0);
        testsupport::saveGrab(&tile, "invbutton-initial");
    }
};

QTEST_MAIN(TestInvButton)
#include "tst_invbutton.moc"
