// The network setup window against the simulator's demo plant: the boards
// listed, a WiFi board's networks, a new static address sent and adopted, and
// the plant window adopting another interface. Runs only inside the isolated
// network of scripts/netns-run.sh.
#include "appinfo.h"
#include "dialogfirstuse.h"
#include "dialogvelorasetup.h"
#include "invbutton.h"
#include "maindialog.h"
#include "plantsimprocess.h"
#include "testsupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QNetworkInterface>
#include <QPushButton>
#include <QUdpSocket>
#include <QtTest>

namespace {
const QStringList DemoBoards = {"inv1", "inv2", "inv3", "zeta1", "sb1", "tpx1", "new1"};

QString stored(const char* key)
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                     QCoreApplication::applicationName())
        .value(key)
        .toString();
}
} // namespace

class TestE2eNetSetup : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    PlantSimProcess sim;

    static QListWidget* boards(QWidget* w) { return w->findChild<QListWidget*>("listInvWidget"); }
    static QLineEdit* field(QWidget* w, const char* name) { return w->findChild<QLineEdit*>(name); }
    // The row of a board, found by its MAC address.
    int rowOf(QWidget* w, const QString& id)
    {
        const QStringList rows = testsupport::itemTexts(boards(w));
        for (int i = 0; i < rows.size(); ++i)
            if (rows[i].startsWith(sim.board(id).mac + " ("))
                return i;
        return -1;
    }
    bool select(QWidget* w, const QString& id)
    {
        const int row = rowOf(w, id);
        if (row >= 0)
            testsupport::clickItem(boards(w), row);
        return row >= 0;
    }
    // A setup window on the console side, once every demo board is listed.
    bool openOnConsoleSide(DialogVeloraSetup& w)
    {
        w.show();
        w.setTheInterfaceInUse("velora0");
        return QTest::qWaitFor([&] { return boards(&w)->count() == DemoBoards.size(); }, 10000);
    }

private slots:
    void initTestCase()
    {
        const QString other = testsupport::unexpectedInterface({"velora0", "velora1"});
        if (!other.isEmpty())
            QFAIL(qPrintable("not inside the isolated network (interface " + other +
                             "); run through scripts/netns-run.sh"));
        QVERIFY(QNetworkInterface::interfaceFromName("velora0").isValid());
        QVERIFY(sim.start({}));
    }

    void listsTheDemoBoards()
    {
        DialogVeloraSetup w;
        QVERIFY(openOnConsoleSide(w));
        QCOMPARE(w.socket()->localAddress(), QHostAddress("192.168.1.10"));
        QStringList expected, listed = testsupport::itemTexts(boards(&w));
        for (const QString& id : DemoBoards)
            expected << sim.board(id).mac + " (" + sim.board(id).address + ")";
        expected.sort();
        listed.sort();
        QCOMPARE(listed, expected);
        // A WiFi board: its networks with their notes once it answers again.
        QVERIFY(select(&w, "zeta1"));
        QVERIFY(!w.findChild<QGroupBox*>("GB_WiFi")->isHidden());
        QCOMPARE(field(&w, "ESSIDChosen")->text(), QString("PlantNet"));
        auto* networks = w.findChild<QListWidget*>("ESSIDList");
        const QStringList shown = {"PlantNet ", "Neighbour (insecure, WEP)", "Cafe (insecure, no password!)"};
        QTRY_COMPARE_WITH_TIMEOUT(testsupport::itemTexts(networks), shown, 5000);
        // A double click takes the network's own name, without its note.
        testsupport::clickItem(networks, 2);
        QTest::mouseDClick(networks->viewport(), Qt::LeftButton, {},
                           networks->visualItemRect(networks->item(2)).center());
        QCOMPARE(field(&w, "ESSIDChosen")->text(), QString("Cafe"));
        QVERIFY(w.findChild<QLabel*>("labelDiag")->text().startsWith("Signal "));
    }

    void sendsANewStaticAddress()
    {
        DialogVeloraSetup w;
        QVERIFY(openOnConsoleSide(w));
        QVERIFY(select(&w, "new1"));
        QCOMPARE(field(&w, "theIp")->text(), QString("192.168.1.100"));
        field(&w, "theIp")->setText("192.168.1.26");
        field(&w, "theName")->setText("Shed");
        auto* apply = w.findChild<QPushButton*>("pushButtonApplyConfig");
        QTRY_VERIFY(apply->isEnabled() && !apply->isHidden());
        const int from = sim.lineCount();
        QTest::mouseClick(apply, Qt::LeftButton);
        QVERIFY(sim.waitForLine(
            QRegularExpression("^CFGSET new1 addr=192\\.168\\.1\\.26 mask=255\\.255\\.255\\.0 "
                               "gw=192\\.168\\.1\\.1 dhcp=0 udp=33000 vnc=5900 "
                               "ftp=50000-50100 name=Shed$"),
            from, 5000));
        // The board answers with its new address; its row follows it.
        QTRY_COMPARE_WITH_TIMEOUT(boards(&w)->item(rowOf(&w, "new1"))->text(),
                                  sim.board("new1").mac + " (192.168.1.26)", 5000);
        QTRY_VERIFY_WITH_TIMEOUT(w.findChild<QPushButton*>("ButtonCancel")->isEnabled(), 5000);
        QCOMPARE(w.getTheSendCounter(), 0);
    }

    void plantAdoptsAnotherInterface()
    {
        MainDialog w;
        DialogFirstUse* first = w.firstUseDialog();
        auto* interfaces = first->findChild<QComboBox*>("ComboInterface");
        interfaces->setCurrentIndex(interfaces->findText("192.168.1.10 [velora0]"));
        QTest::mouseClick(first->findChild<QPushButton*>("pushButtonApplyConfig"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.firstUsePending(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(w.tiles().size() >= 5, 20000);
        // Opened during a scan: the scan ends, and what it found is stored.
        QVERIFY(w.scanning());
        auto* tools = w.findChild<QPushButton*>("ButtonTool");
        QVERIFY(tools->isVisible());
        QTest::mouseClick(tools, Qt::LeftButton);
        DialogVeloraSetup* setup = w.veloraSetupDialog();
        QVERIFY(setup && setup->isVisible());
        QVERIFY(!w.scanning());
        QCOMPARE(stored("/app/Inverters/InvList").split(',', Qt::SkipEmptyParts).size(), w.tiles().size());
        QTest::mouseClick(tools, Qt::LeftButton);
        QCOMPARE(w.veloraSetupDialog(), setup);
        // The window hears the boards while the plant window runs, also after
        // the time the discovery takes to bind its socket anew.
        QTRY_COMPARE_WITH_TIMEOUT(boards(setup)->count(), DemoBoards.size(), 10000);
        QCOMPARE(setup->socket()->localAddress(), QHostAddress("192.168.1.10"));
        QVERIFY(select(setup, "zeta1"));
        const QRegularExpression query("^CFGQUERY zeta1 from 192\\.168\\.1\\.10:43034$");
        for (int n = 0, at = sim.lineCount(); n < 5; ++n) {
            QVERIFY(sim.waitForLine(query, at, 5000));
            at = sim.indexOf(query, at) + 1;
        }
        auto* diagnostics = setup->findChild<QLabel*>("labelDiag");
        diagnostics->clear();
        QTRY_VERIFY_WITH_TIMEOUT(!diagnostics->text().isEmpty(), 5000);
        // The boards' side, at one of its addresses.
        auto* combo = setup->findChild<QComboBox*>("ComboInterface");
        const int item = combo->findText("velora1 | 192.168.1.21");
        QVERIFY(item >= 0);
        combo->setCurrentIndex(item);
        const int from = sim.lineCount();
        QTest::mouseClick(setup->findChild<QPushButton*>("pushButtonApplyIntf"), Qt::LeftButton);
        QTRY_COMPARE(w.localAddress(), QString("192.168.1.21"));
        QCOMPARE(stored("/app/ChosenInterface"), QString("velora1"));
        for (InvButton* tile : w.tiles())
            QCOMPARE(tile->getTheHostAddress(), QHostAddress("192.168.1.21"));
        // Discovery goes on from the new address.
        QVERIFY(sim.waitForLine(QRegularExpression("^DISCOVERY \\S+ from 192\\.168\\.1\\.21:43034$"), from,
                                10000));
        QTest::mouseClick(setup->findChild<QPushButton*>("ButtonCancel"), Qt::LeftButton);
        QTRY_VERIFY(!w.veloraSetupDialog());
    }
};

VELORA_CONSOLE_TEST_MAIN(TestE2eNetSetup)
#include "tst_e2e_netsetup.moc"
