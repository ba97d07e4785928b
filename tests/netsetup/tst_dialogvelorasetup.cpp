// The network setup window against scripted board replies on loopback: the
// board list, the form filled from a reply, the checks, the record sent, the
// WiFi networks, the interface choice and a lasting bind failure. Runs in a
// network namespace with only loopback, as the window broadcasts.
#include "boardrecord.h"
#include "boardreply.h"
#include "dialogfault.h"
#include "dialogvelorasetup.h"
#include "dialogwarn.h"
#include "testsupport.h"

#include <QCheckBox>
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

// A board's reply as a board lays it out, its MAC ending in macEnd.
BoardBytes reply(quint8 type, quint8 macEnd, const QByteArray& ip)
{
    BoardBytes r(type, QByteArray::fromHex("02564c0000") + char(macEnd));
    return r.addresses(8, QStringList{ip, "255.255.255.0", "192.168.1.1", "192.168.1.1", "9.9.9.9"})
        .put(96, "Board");
}

BoardBytes wifiBoard(const QByteArray& networks)
{
    return reply(0xAB, 2, "192.168.1.23")
        .put(129, "PlantNet")
        .put(257, "sunshine")
        .put(321, networks)
        .put(577, "Signal -50 dBm,Channel 6")
        .addresses(705, QStringList{"192.168.1.200", "255.255.255.0", "192.168.1.1"})
        .set(785, 0)
        .set(786, 1);
}

// A double-click as the operator makes it: the press that selects, then the double-click.
void doubleClick(QListWidget* list, int row)
{
    testsupport::clickItem(list, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

bool isRed(QWidget* w)
{
    return w->styleSheet().contains("253, 126, 127");
}

} // namespace

class TestDialogVeloraSetup : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    std::unique_ptr<DialogVeloraSetup> w;
    QUdpSocket board; // sends the scripted replies

    template <typename T> T* child(const char* name) { return w->findChild<T*>(name); }
    QLineEdit* field(const char* name) { return child<QLineEdit>(name); }
    QListWidget* boards() { return child<QListWidget>("listInvWidget"); }

    // Sends replies to the window's port and waits until it has read them.
    void send(std::initializer_list<QByteArray> datagrams, int rows)
    {
        for (const QByteArray& d : datagrams)
            QVERIFY(board.writeDatagram(d, QHostAddress::LocalHost, BoardRecord::ReplyPort) == d.size());
        QTRY_COMPARE(boards()->count(), rows);
    }
    void select(int row)
    {
        testsupport::clickItem(boards(), row);
        QCOMPARE(w->getTheSelectedBoard(), row);
    }
    // A window whose socket is open on loopback.
    void open()
    {
        w = std::make_unique<DialogVeloraSetup>();
        w->show();
        w->setTheInterfaceInUse("lo"); // loopback is never offered: the window falls back to 127.0.0.1
        w->TheBackground();
        QVERIFY(w->socket());
        QCOMPARE(w->socket()->localAddress(), QHostAddress(QHostAddress::LocalHost));
    }

private slots:
    void initTestCase()
    {
        const QString other = testsupport::unexpectedInterface();
        if (!other.isEmpty())
            QFAIL(qPrintable("interface " + other + " present; run through scripts/in-empty-netns.sh"));
        DialogFault::exitHandler() = [](int) { QFAIL("the fault window ended the program"); };
    }
    void init() { open(); }
    void cleanup() { w.reset(); }

    void waitsForAnInterface()
    {
        DialogVeloraSetup fresh;
        QCOMPARE(fresh.getTheInterfaceInUse(), QString("None"));
        fresh.TheBackground();
        QVERIFY(!fresh.socket());
        QVERIFY(fresh.findChild<QGroupBox*>("GB_WiFi")->isHidden());
        QVERIFY(!fresh.findChild<QLabel*>("labelWiFiMessage")->isHidden());
        QVERIFY(fresh.findChild<QPushButton*>("pushButtonApplyConfig")->isHidden());
    }

    void listsBoardsByMac()
    {
        QByteArray tooLong = reply(0xAA, 9, "10.9.9.9").r + 'x';
        QByteArray discovery = reply(0x10, 8, "10.8.8.8").r.left(264);
        send({tooLong, discovery, reply(0xAA, 1, "192.168.1.20").r,
              reply(0xAA, 0x1f, "192.168.1.21").r.left(120)},
             2);
        QCOMPARE(testsupport::itemTexts(boards()),
                 QStringList({"02:56:4c:00:00:01 (192.168.1.20)", "02:56:4c:00:00:1f (192.168.1.21)"}));
        // A board answering again with a new address keeps its row, which follows the address.
        send({reply(0xAA, 1, "192.168.1.42").r, reply(0xAA, 1, "192.168.1.42").r}, 2);
        QTRY_COMPARE(boards()->item(0)->text(), QString("02:56:4c:00:00:01 (192.168.1.42)"));
        select(0);
        QCOMPARE(field("theIp")->text(), QString("192.168.1.42"));
    }

    void fillsTheForm_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("wifi");
        QTest::addColumn<bool>("ethernetEditable");
        QTest::addColumn<bool>("wifiStaticEditable");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("warned");

        QTest::newRow("ethernet static")
            << reply(0xAA, 1, "192.168.1.20").r << false << true << false << "Board" << false;
        QTest::newRow("ethernet dhcp")
            << reply(0xAA, 1, "192.168.1.20").set(128, 1).r << false << false << false << "Board" << false;
        QTest::newRow("no communication")
            << reply(0xAA, 1, "192.168.1.20").put(96, "NOCOMM").r << false << true << false << "???" << true;
        QTest::newRow("wifi, reached through wifi")
            << wifiBoard("a,wpa2\n").r << true << false << true << "Board" << false;
        QTest::newRow("wifi, reached through ethernet")
            << wifiBoard("a,wpa2\n").set(786, 0).r << true << true << false << "Board" << false;
        QTest::newRow("wifi dhcp") << wifiBoard("a,wpa2\n").set(785, 1).r << true << false << false << "Board"
                                   << false;
    }
    void fillsTheForm()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, wifi);
        QFETCH(bool, ethernetEditable);
        QFETCH(bool, wifiStaticEditable);
        QFETCH(QString, name);
        QFETCH(bool, warned);
        send({reply}, 1);
        select(0);
        QCOMPARE(field("theIp")->text(), QString::fromLatin1(reply.mid(8, 12)));
        QCOMPARE(field("theDNS2")->text(), QString("9.9.9.9"));
        QCOMPARE(field("theUdpPort")->text(), QString("33000")); // 0 in the reply
        QCOMPARE(field("theVncPort")->text(), QString("5900"));
        QCOMPARE(child<QCheckBox>("DHCPEthFlag")->isChecked(), reply.at(128) == 1);
        QCOMPARE(child<QGroupBox>("groupBoxEth")->isEnabled(), ethernetEditable);
        QCOMPARE(field("theName")->text(), name);
        QCOMPARE(!child<QGroupBox>("GB_WiFi")->isHidden(), wifi);
        QCOMPARE(child<QLabel>("labelWiFiMessage")->isHidden(), wifi);
        QVERIFY(!child<QPushButton>("pushButtonApplyConfig")->isHidden());
        if (wifi) {
            QCOMPARE(field("ESSIDChosen")->text(), QString("PlantNet"));
            QCOMPARE(field("NetPass")->text(), QString("sunshine"));
            QCOMPARE(field("theIpWiFi")->text(), QString("192.168.1.200"));
            QCOMPARE(child<QGroupBox>("groupBoxIPStaticWiFi")->isEnabled(), wifiStaticEditable);
        }
        QCOMPARE(w->warning() != nullptr, warned);
        if (warned) {
            QVERIFY(w->warning()->isVisible());
            QCOMPARE(w->warning()->getTheMessage(),
                     QString("This board is NOT communicating with inverter."));
            // Choosing the board again raises the same warning, not a second one.
            select(0);
            QCOMPARE(w->findChildren<DialogWarn*>().size(), 1);
            QTest::mouseClick(w->warning()->findChild<QPushButton*>("ButtonClose"), Qt::LeftButton);
            QTRY_VERIFY(!w->warning());
        }
    }

    void checksTheFields_data()
    {
        QTest::addColumn<QString>("edit"); // "<field>=<text>"
        QTest::addColumn<bool>("ethDhcp");
        QTest::addColumn<bool>("red");
        QTest::addColumn<bool>("sendable");
        QTest::newRow("valid") << "theIp=10.0.0.1" << false << false << true;
        QTest::newRow("part over 255") << "theIp=192.168.1.300" << false << true << false;
        QTest::newRow("three parts") << "theGateway=192.168.1" << false << true << false;
        QTest::newRow("empty address") << "theNetmask=" << false << true << false;
        QTest::newRow("dhcp: ethernet not sent") << "theIp=192.168.1.300" << true << false << true;
        QTest::newRow("wifi static checked with ethernet dhcp")
            << "theIpWiFi=10.0.0" << true << true << false;
        QTest::newRow("dns not checked") << "theDNS1=x" << false << false << true;
        QTest::newRow("name too long") << "theName=" + QString(32, 'n') << false << true << false;
        QTest::newRow("port over 16 bits") << "theUdpPort=70000" << false << true << false;
        QTest::newRow("empty port") << "theVncPort=" << false << false << true;
        QTest::newRow("ESSID too long") << "ESSIDChosen=" + QString(65, 'e') << false << true << false;
        QTest::newRow("empty key") << "NetPass=" << false << true << true;
    }
    void checksTheFields()
    {
        QFETCH(QString, edit);
        QFETCH(bool, ethDhcp);
        QFETCH(bool, red);
        QFETCH(bool, sendable);
        // A WiFi board reached through Ethernet with static WiFi addresses.
        send({wifiBoard("a,wpa2\n").set(786, 0).r}, 1);
        select(0);
        auto* dhcp = child<QCheckBox>("DHCPEthFlag");
        if (dhcp->isChecked() != ethDhcp)
            QTest::mouseClick(dhcp, Qt::LeftButton, {}, QPoint(5, dhcp->height() / 2));
        QCOMPARE(child<QGroupBox>("groupBoxEth")->isEnabled(), !ethDhcp);
        auto* wifiDhcp = child<QCheckBox>("DHCPWiFiFlag");
        QVERIFY(!wifiDhcp->isChecked());
        QLineEdit* edited = field(qPrintable(edit.section('=', 0, 0)));
        edited->setText(edit.section('=', 1));
        w->TheBackground();
        QCOMPARE(isRed(edited), red);
        if (QByteArray(QTest::currentDataTag()) == "wifi static checked with ethernet dhcp")
            testsupport::saveGrab(w.get(), "netsetup-invalid-field");
        auto* apply = child<QPushButton>("pushButtonApplyConfig");
        QCOMPARE(apply->isEnabled(), sendable);
        // Pressed anyway (a field changed since the last check): nothing invalid is sent.
        w->on_pushButtonApplyConfig_clicked();
        QCOMPARE(w->getTheSendCounter(), sendable ? 3 : -1);
    }

    void sendsTheConfiguration()
    {
        send({wifiBoard("home,wep\n").set(786, 0).r}, 1);
        select(0);
        field("theIp")->setText("192.168.1.42");
        field("theName")->setText("Garage");
        field("theUdpPort")->clear();
        field("theFtpUpperPort")->setText("50100");
        auto* wifiDhcp = child<QCheckBox>("DHCPWiFiFlag");
        QTest::mouseClick(wifiDhcp, Qt::LeftButton, {}, QPoint(5, wifiDhcp->height() / 2));
        QVERIFY(!child<QGroupBox>("groupBoxIPStaticWiFi")->isEnabled());
        auto* list = child<QListWidget>("ESSIDList");
        doubleClick(list, 0);
        QCOMPARE(field("ESSIDChosen")->text(), QString("home"));
        w->TheBackground();
        auto* apply = child<QPushButton>("pushButtonApplyConfig");
        QVERIFY(apply->isEnabled());
        QTest::mouseClick(apply, Qt::LeftButton);

        // The whole record: the form's fields, the defaults for the emptied port, no WiFi address.
        const QStringList ethernet = {"192.168.1.42", "255.255.255.0", "192.168.1.1", "192.168.1.1",
                                      "9.9.9.9"};
        BoardBytes expected(18, QByteArray::fromHex("02564c000002"));
        expected.addresses(8, ethernet)
            .word(88, 33000)
            .word(90, 5900)
            .word(94, 50100)
            .put(96, "Garage")
            .put(129, "home")
            .put(257, "sunshine")
            .set(785, 1);
        QCOMPARE(w->getTheConfiguration().toHex(), expected.r.toHex());

        // Three configuration broadcasts, then the queries again; no exit meanwhile.
        auto* exit = child<QPushButton>("ButtonCancel");
        QVERIFY(apply->isHidden());
        for (int tick = 3; tick > 0; --tick) {
            QCOMPARE(w->getTheSendCounter(), tick);
            QVERIFY(!exit->isEnabled());
            w->TheBackground();
        }
        QCOMPARE(w->getTheSendCounter(), 0);
        QVERIFY(!exit->isEnabled());
        w->TheBackground();
        QVERIFY(exit->isEnabled());
        QTest::mouseClick(exit, Qt::LeftButton);
        QVERIFY(w->getTheCloseRequested());
    }

    void refreshesTheNetworks()
    {
        send({wifiBoard("home,wep\nCafe,none\nPlantNet,wpa2\n").r, reply(0xAB, 3, "192.168.1.24").r}, 2);
        select(0);
        auto* list = child<QListWidget>("ESSIDList");
        QCOMPARE(testsupport::itemTexts(list), QStringList({"home", "Cafe", "PlantNet"}));
        // A WiFi reply marks the board: the next tick lists the networks with their notes.
        send({wifiBoard("home,wep\nCafe,none\nPlantNet,wpa2\n").r}, 2);
        QVERIFY(QTest::qWaitFor([&] {
            w->TheBackground();
            return list->count() == 3 && list->item(0)->text() != "home";
        }));
        QCOMPARE(testsupport::itemTexts(list),
                 QStringList({"home (insecure, WEP)", "Cafe (insecure, no password!)", "PlantNet "}));
        QCOMPARE(child<QLabel>("labelDiag")->text(), QString("Signal -50 dBm\nChannel 6"));
        // The ESSID taken from a listed network is the network's own, without the note.
        doubleClick(list, 1);
        QCOMPARE(field("ESSIDChosen")->text(), QString("Cafe"));
        QCOMPARE(list->currentRow(), 1);

        // Another board's reply leaves the shown list alone; the chosen board's new list replaces it.
        send({wifiBoard("elsewhere,wpa2\n").put(7, "\x03").r}, 2);
        QTRY_COMPARE(boards()->item(1)->text(), QString("02:56:4c:00:00:03 (192.168.1.200)"));
        w->TheBackground();
        QCOMPARE(list->count(), 3);
        send({wifiBoard("home,wep\nNew,none\n").r}, 2);
        QVERIFY(QTest::qWaitFor([&] {
            w->TheBackground();
            return list->count() == 2;
        }));
        QCOMPARE(testsupport::itemTexts(list),
                 QStringList({"home (insecure, WEP)", "New (insecure, no password!)"}));
    }

    void choosesAnInterface()
    {
        auto* combo = child<QComboBox>("ComboInterface");
        QCOMPARE(combo->count(), 0); // only loopback here, which is never offered
        QCOMPARE(child<QLabel>("UsingINtf")->text(), QString("Using: lo"));
        auto* applyIntf = child<QPushButton>("pushButtonApplyIntf");
        QTest::mouseClick(applyIntf, Qt::LeftButton);
        QVERIFY(!w->getTheInterfaceHasChanged());

        combo->addItem("eth9 | 10.1.2.3");
        combo->addItem("eth9 | 10.1.2.4");
        combo->setCurrentIndex(1);
        QTest::mouseClick(applyIntf, Qt::LeftButton);
        QVERIFY(w->getTheInterfaceHasChanged());
        QCOMPARE(w->getTheInterfaceInUse(), QString("eth9"));
        QCOMPARE(w->getTheAddressInUse(), QString("10.1.2.4"));
        QCOMPARE(child<QLabel>("UsingINtf")->text(), QString("Using: eth9"));
        // The socket keeps its binding.
        QCOMPARE(w->socket()->localAddress(), QHostAddress(QHostAddress::LocalHost));

        // The same interface again changes nothing and clears the flag.
        QTest::mouseClick(applyIntf, Qt::LeftButton);
        QVERIFY(!w->getTheInterfaceHasChanged());
        QCOMPARE(w->getTheInterfaceInUse(), QString("eth9"));
    }

    void lastingBindFailure()
    {
        w.reset();
        QUdpSocket holder; // takes the port without sharing it
        QVERIFY(holder.bind(QHostAddress::LocalHost, BoardRecord::ReplyPort, QUdpSocket::DontShareAddress));
        w = std::make_unique<DialogVeloraSetup>();
        w->setTheInterfaceInUse("lo");
        for (int tick = 0; tick < 3; ++tick) {
            w->TheBackground();
            QVERIFY(!w->socket());
        }
        QCOMPARE(w->findChildren<DialogFault*>().size(), 1);
        QVERIFY(w->fault()->isVisible());
        QVERIFY(w->fault()->code().startsWith("ssd - 151 ("));
        QVERIFY(!w->fault()->code().endsWith("(-1)")); // the system's error number
        // Still tried every second: once the port is free the window listens.
        holder.close();
        w->TheBackground();
        QVERIFY(w->socket());
        w->fault()->hide();
    }
};

VELORA_CONSOLE_TEST_MAIN(TestDialogVeloraSetup)
#include "tst_dialogvelorasetup.moc"
