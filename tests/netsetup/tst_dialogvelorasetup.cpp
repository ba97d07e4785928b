// The network setup window against scripted board replies on loopback: short,
// long and foreign replies, the form, its checks and a lasting bind failure. Runs in
// a network namespace with only loopback, as the window broadcasts.
#include "boardrecord.h"
#include "boardreply.h"
#include "dialogfault.h"
#include "dialogvelorasetup.h"
#include "dialogwarn.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
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
BoardBytes wifiBoard()
{
    return reply(0xAB, 2, "192.168.1.23")
        .put(129, "PlantNet")
        .put(257, "sunshine")
        .put(321, "a,wpa2\n")
        .put(577, "Signal -50 dBm,Channel 6")
        .addresses(705, QStringList{"192.168.1.200", "255.255.255.0", "192.168.1.1"})
        .set(786, 1);
}
} // namespace

class TestDialogVeloraSetup : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    std::unique_ptr<DialogVeloraSetup> w;
    QUdpSocket board; // sends the scripted replies

    template <typename T = QLineEdit> T* child(const char* name) { return w->findChild<T*>(name); }
    QListWidget* boards() { return child<QListWidget>("listInvWidget"); }
    // Sends the replies to the window's port and waits until it lists rows boards.
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

private slots:
    void initTestCase()
    {
        const QString other = testsupport::unexpectedInterface();
        if (!other.isEmpty())
            QFAIL(qPrintable("interface " + other + " present; run through scripts/in-empty-netns.sh"));
        DialogFault::exitHandler() = [](int) { QFAIL("the fault window ended the program"); };
        DialogVeloraSetup fresh; // no interface chosen yet: nothing is bound, nothing broadcast
        fresh.TheBackground();
        QVERIFY(!fresh.socket());
    }
    void init()
    {
        w = std::make_unique<DialogVeloraSetup>();
        w->show();
        w->setTheInterfaceInUse("lo"); // loopback is never offered: the window falls back to 127.0.0.1
        w->TheBackground();
        QVERIFY(w->socket());
    }
    void cleanup() { w.reset(); }

    void listsBoardsByMac()
    {
        send({reply(0xAA, 1, "192.168.1.20").r, reply(0xAA, 0x1f, "192.168.1.21").r.left(120)}, 2);
        QCOMPARE(testsupport::itemTexts(boards()),
                 QStringList({"02:56:4c:00:00:01 (192.168.1.20)", "02:56:4c:00:00:1f (192.168.1.21)"}));
        // A board answering again with a new address keeps its row, which follows the address.
        send({reply(0xAA, 1, "192.168.1.42").r, reply(0xAA, 1, "192.168.1.42").r}, 2);
        QTRY_COMPARE(boards()->item(0)->text(), QString("02:56:4c:00:00:01 (192.168.1.42)"));
        select(0);
        QCOMPARE(child("theIp")->text(), QString("192.168.1.42"));
    }

    void fillsTheForm_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("ethernetEditable");
        QTest::addColumn<bool>("wifiStaticEditable");
        QTest::addColumn<QString>("name"); // "???": the board warns it lost its inverter
        QTest::newRow("ethernet dhcp")
            << reply(0xAA, 1, "192.168.1.20").set(128, 1).r << false << false << "Board";
        QTest::newRow("no communication")
            << reply(0xAA, 1, "192.168.1.20").put(96, "NOCOMM").r << true << false << "???";
        QTest::newRow("wifi, reached through wifi") << wifiBoard().r << false << true << "Board";
        QTest::newRow("wifi, reached through ethernet")
            << wifiBoard().set(786, 0).r << true << false << "Board";
        QTest::newRow("wifi dhcp") << wifiBoard().set(785, 1).r << false << false << "Board";
    }
    void fillsTheForm()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, name);
        const bool wifi = quint8(reply.at(0)) == 0xAB;
        send({reply}, 1);
        select(0);
        QCOMPARE(child("theIp")->text(), QString::fromLatin1(reply.mid(8, 12)));
        QCOMPARE(child("theUdpPort")->text(), QString("33000")); // 0 in the reply
        QCOMPARE(child<QCheckBox>("DHCPEthFlag")->isChecked(), reply.at(128) == 1);
        QTEST(child<QGroupBox>("groupBoxEth")->isEnabled(), "ethernetEditable");
        QCOMPARE(child("theName")->text(), name);
        QCOMPARE(!child<QGroupBox>("GB_WiFi")->isHidden(), wifi);
        if (wifi) {
            QCOMPARE(child("NetPass")->text(), QString("sunshine"));
            QCOMPARE(child("theIpWiFi")->text(), QString("192.168.1.200"));
            QTEST(child<QGroupBox>("groupBoxIPStaticWiFi")->isEnabled(), "wifiStaticEditable");
        }
        QCOMPARE(w->warning() != nullptr, name == "???");
        if (w->warning()) {
            select(0); // choosing the board again raises the same warning, not a second one
            QCOMPARE(w->findChildren<DialogWarn*>().size(), 1);
            testsupport::saveGrab(w->warning(), "netsetup-warning");
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
        QTest::newRow("empty address") << "theNetmask=" << false << true << false;
        QTest::newRow("dhcp: ethernet not sent") << "theIp=192.168.1.300" << true << false << true;
        QTest::newRow("wifi static checked with ethernet dhcp")
            << "theIpWiFi=10.0.0" << true << true << false;
        QTest::newRow("dns not checked") << "theDNS1=x" << false << false << true;
        QTest::newRow("empty port") << "theVncPort=" << false << false << true;
        QTest::newRow("empty key") << "NetPass=" << false << true << true;
    }
    void checksTheFields()
    {
        QFETCH(QString, edit);
        QFETCH(bool, ethDhcp);
        QFETCH(bool, sendable);
        // A WiFi board reached through Ethernet with static WiFi addresses.
        send({wifiBoard().set(786, 0).r}, 1);
        select(0);
        auto* dhcp = child<QCheckBox>("DHCPEthFlag");
        if (ethDhcp)
            QTest::mouseClick(dhcp, Qt::LeftButton, {}, QPoint(5, dhcp->height() / 2));
        QCOMPARE(child<QGroupBox>("groupBoxEth")->isEnabled(), !ethDhcp);
        QLineEdit* edited = child(qPrintable(edit.section('=', 0, 0)));
        edited->setText(edit.section('=', 1));
        w->TheBackground();
        QTEST(edited->styleSheet().contains("253, 126, 127"), "red");
        QCOMPARE(child<QPushButton>("pushButtonApplyConfig")->isEnabled(), sendable);
        // Pressed anyway (a field changed since the last check): nothing invalid is sent.
        w->on_pushButtonApplyConfig_clicked();
        QCOMPARE(w->getTheSendCounter(), sendable ? 3 : -1);
        if (QByteArray(QTest::currentDataTag()) == "empty address")
            testsupport::saveGrab(w.get(), "netsetup-invalid-field");
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
        holder.close(); // still tried every second: once the port is free the window listens
        w->TheBackground();
        QVERIFY(w->socket());
        w->fault()->hide();
    }
};

VELORA_CONSOLE_TEST_MAIN(TestDialogVeloraSetup)
#include "tst_dialogvelorasetup.moc"
