// The manual entry dialog: ticks and crosses, the kind boxes and the host name lookup.
#include "dialogaddmanually.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestDialogAddManually : public QObject
{
    Q_OBJECT
    template <typename T> static T* child(DialogAddManually& d, const char* n) { return d.findChild<T*>(n); }
    static bool shownValid(DialogAddManually& d, const char* l)
    {
        return child<QLabel>(d, l)->property("valid").toBool();
    }
    static void fill(DialogAddManually& d, const QString& ip, const QString& port = "502")
    {
        child<QLineEdit>(d, "theIp")->setText(ip);
        child<QLineEdit>(d, "thePort")->setText(port);
        child<QLineEdit>(d, "theFtpPort")->setText("21");
        d.ChkTimeout();
    }

private slots:
    // Ticks and crosses after a check; "Add object" raises the request only when all are valid.
    void dialogCheck_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("address"); // kept address, empty when invalid
        QTest::addColumn<bool>("checkShown"); // the lookup button, for host names
        const auto row = [](const char* ip, const char* port, const char* address, bool checkShown) {
            QTest::addRow("%s:%s", ip, port)
                << QString(ip) << QString(port) << QString(address) << checkShown;
        };
        row("010.000.001.009", "1502", "10.0.1.9", false);
        row("inverter", "502", "", true);
        row("10.0.0.1", "0", "10.0.0.1", false);
    }
    void dialogCheck()
    {
        QFETCH(QString, ip);
        QFETCH(QString, port);
        QFETCH(QString, address);
        DialogAddManually d;
        d.show();
        fill(d, ip, port);
        QCOMPARE(shownValid(d, "Ipvalid"), !address.isEmpty());
        QCOMPARE(shownValid(d, "PortValid"), port != "0");
        QTEST(child<QPushButton>(d, "ButtonCheck")->isVisible(), "checkShown");
        QVERIFY(child<QCheckBox>(d, "IsTPX")->isVisible());
        if (d.getFieldsValid())
            QCOMPARE(d.getTheAddress() + ":" + QString::number(d.getThePort()), address + ":" + port);
        QCOMPARE(d.getFieldsValid(), !address.isEmpty() && port != "0");
        child<QPushButton>(d, "ButtonAdd")->click();
        QCOMPARE(d.getAddRequested(), d.getFieldsValid());
        child<QPushButton>(d, "ButtonCancel")->click();
        QVERIFY(d.getFinished());
    }
    void dialogKindBoxes()
    {
        DialogAddManually d;
        d.show();
        fill(d, "10.0.0.9");
        for (const char* box : {"IsTPX", "IsTL", "IsSB", "IsSB"})
            child<QCheckBox>(d, box)->click();
        for (const char* box : {"IsTL", "IsSB", "IsTPX"}) // the last click cleared the only ticked box
            QVERIFY(!child<QCheckBox>(d, box)->isChecked());
        child<QCheckBox>(d, "IsTPX")->click();
        child<QCheckBox>(d, "IsTL")->click();
        d.ChkTimeout();
        QVERIFY(d.getTransformerless() && !d.getStringBox() && !d.getTpx());
        d.setTpxPresent(true);
        d.ChkTimeout();
        QVERIFY(!child<QCheckBox>(d, "IsTPX")->isVisible());
        QVERIFY(child<QCheckBox>(d, "IsSB")->isVisible());
    }
    void dialogLocalhostLookup()
    {
        DialogAddManually d;
        d.show();
        fill(d, "localhost");
        QVERIFY(!shownValid(d, "Ipvalid"));
        child<QPushButton>(d, "ButtonCheck")->click();
        d.ChkTimeout();
        QVERIFY(shownValid(d, "Ipvalid") && d.getFieldsValid() && d.getHasDnsName());
        QCOMPARE(d.getTheAddress() + " " + d.getTheDnsName(), QString("127.0.0.1 localhost"));
        testsupport::saveGrab(&d, "dialogaddmanually");
        fill(d, "localhostx"); // another text no longer carries the lookup's result
        QVERIFY(!shownValid(d, "Ipvalid") && !d.getFieldsValid() && !d.getHasDnsName());
    }
};

QTEST_MAIN(TestDialogAddManually)
#include "tst_dialogaddmanually.moc"
