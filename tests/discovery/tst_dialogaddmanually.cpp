#include "dialogaddmanually.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

class TestDialogAddManually : public QObject
{
    Q_OBJECT

    template <typename T> static T* child(DialogAddManually& d, const char* name)
    {
        T* w = d.findChild<T*>(name);
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    static void type(DialogAddManually& d, const char* field, const QString& text)
    {
        QLineEdit* edit = child<QLineEdit>(d, field);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    static bool shownValid(DialogAddManually& d, const char* label)
    {
        return child<QLabel>(d, label)->property("valid").toBool();
    }
    static void fill(DialogAddManually& d, const QString& ip, const QString& port, const QString& ftp)
    {
        type(d, "theIp", ip);
        type(d, "thePort", port);
        type(d, "theFtpPort", ftp);
        d.ChkTimeout();
    }

private slots:
    void construction()
    {
        DialogAddManually d;
        QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
        d.show();
        QVERIFY(!child<QPushButton>(d, "ButtonCheck")->isVisible());
        QVERIFY(!child<QLabel>(d, "Ipvalid")->isVisible());
        QCOMPARE(d.getTheAddress(), QString());
        QCOMPARE(d.getThePort(), 0);
        QVERIFY(!d.getAddRequested() && !d.getFinished() && !d.getHasDnsName() && !d.getFieldsValid());
        child<QPushButton>(d, "ButtonCancel")->click();
        QVERIFY(d.getFinished() && !d.getAddRequested());
    }

    void check_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("ftp");
        QTest::addColumn<QString>("address"); // kept address, empty when invalid
        QTest::addColumn<bool>("portValid");
        QTest::addColumn<bool>("ftpValid");
        QTest::addColumn<bool>("checkShown");
        QTest::addColumn<bool>("kindsShown");
        const struct
        {
            const char *row, *ip, *port, *ftp, *address;
            bool portValid, ftpValid, checkShown, kindsShown;
        } rows[] = {
            {"valid", "192.168.1.1", "502", "21", "192.168.1.1", true, true, false, true},
            {"leading zeros", "010.000.001.009", "1", "65534", "10.0.1.9", true, true, false, true},
            {"256", "192.168.1.256", "502", "21", "", true, true, false, true},
            {"host name", "inverter", "502", "21", "", true, true, true, true},
            {"empty", "", "502", "21", "", true, true, false, false},
            {"port 0", "10.0.0.1", "0", "21", "10.0.0.1", false, true, false, true},
            {"port 65535", "10.0.0.1", "65535", "21", "10.0.0.1", false, true, false, true},
            {"ftp abc", "10.0.0.1", "502", "abc", "10.0.0.1", true, false, false, true},
        };
        for (const auto& r : rows) {
            QTest::newRow(r.row) << QString(r.ip) << QString(r.port) << QString(r.ftp) << QString(r.address)
                                 << r.portValid << r.ftpValid << r.checkShown << r.kindsShown;
        }
    }
    void check()
    {
        QFETCH(QString, ip);
        QFETCH(QString, port);
        QFETCH(QString, ftp);
        QFETCH(QString, address);
        QFETCH(bool, portValid);
        QFETCH(bool, ftpValid);
        DialogAddManually d;
        d.show();
        fill(d, ip, port, ftp);
        const bool ipValid = !address.isEmpty();
        QCOMPARE(shownValid(d, "Ipvalid"), ipValid);
        QCOMPARE(shownValid(d, "PortValid"), portValid);
        QCOMPARE(shownValid(d, "FtpPortValid"), ftpValid);
        QTEST(child<QPushButton>(d, "ButtonCheck")->isVisible(), "checkShown");
        QCOMPARE(child<QLabel>(d, "Ipvalid")->isVisible(), !ip.isEmpty());
        for (const char* box : {"IsSB", "IsTL", "IsTPX"})
            QTEST(child<QCheckBox>(d, box)->isVisible(), "kindsShown");
        QCOMPARE(d.getFieldsValid(), ipValid && portValid && ftpValid);
        if (ipValid)
            QCOMPARE(d.getTheAddress(), address);
        if (portValid)
            QCOMPARE(d.getThePort(), port.toInt());
        if (ftpValid)
            QCOMPARE(d.getTheFtpPort(), ftp.toInt());

        child<QPushButton>(d, "ButtonAdd")->click();
        QCOMPARE(d.getAddRequested(), d.getFieldsValid());
    }

    void timerChecksFields()
    {
        DialogAddManually d;
        d.show();
        type(d, "theIp", "10.1.2.3");
        type(d, "thePort", "1502");
        type(d, "theFtpPort", "2121");
        type(d, "theName", "Barn");
        QTRY_VERIFY(d.getFieldsValid());
        QCOMPARE(d.getThePort(), 1502);
        QCOMPARE(d.getTheFtpPort(), 2121);
        QCOMPARE(d.getTheName(), QString("Barn"));
    }

    void kindBoxesExclusive_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("tl");
        QTest::addColumn<bool>("sb");
        QTest::addColumn<bool>("tpx");
        QTest::newRow("none") << QStringList() << false << false << false;
        QTest::newRow("tl, sb, tpx") << QStringList{"IsTL", "IsSB", "IsTPX"} << false << false << true;
        QTest::newRow("tpx then tl") << QStringList{"IsTPX", "IsTL"} << true << false << false;
        QTest::newRow("tl twice") << QStringList{"IsTL", "IsTL"} << false << false << false;
    }
    void kindBoxesExclusive()
    {
        QFETCH(QStringList, clicks);
        QFETCH(bool, tl);
        QFETCH(bool, sb);
        QFETCH(bool, tpx);
        DialogAddManually d;
        d.show();
        fill(d, "10.0.0.9", "502", "21");
        for (const QString& box : clicks)
            child<QCheckBox>(d, qPrintable(box))->click();
        QCOMPARE(child<QCheckBox>(d, "IsTL")->isChecked(), tl);
        QCOMPARE(child<QCheckBox>(d, "IsSB")->isChecked(), sb);
        QCOMPARE(child<QCheckBox>(d, "IsTPX")->isChecked(), tpx);
        d.ChkTimeout();
        QCOMPARE(d.getTransformerless(), tl);
        QCOMPARE(d.getStringBox(), sb);
        QCOMPARE(d.getTpx(), tpx);
    }

    void kindsNotTakenWhileInvalid()
    {
        DialogAddManually d;
        d.show();
        fill(d, "10.0.0.9", "0", "21");
        child<QCheckBox>(d, "IsSB")->click();
        d.ChkTimeout();
        QVERIFY(!d.getStringBox());
    }

    void tpxBoxHiddenWhenPresent()
    {
        DialogAddManually d;
        d.show();
        fill(d, "10.0.0.9", "502", "21");
        child<QCheckBox>(d, "IsTPX")->click();
        d.setTpxPresent(true);
        d.ChkTimeout();
        QVERIFY(!child<QCheckBox>(d, "IsTPX")->isVisible());
        QVERIFY(child<QCheckBox>(d, "IsSB")->isVisible());
        QVERIFY(!d.getTpx());
    }

    void nameStoredSafely_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("comma") << "A,B"
                               << "A B";
        QTest::newRow("empty") << ""
                               << "????";
    }
    void nameStoredSafely()
    {
        QFETCH(QString, typed);
        DialogAddManually d;
        type(d, "theName", typed);
        d.ChkTimeout();
        QTEST(d.getTheName(), "stored");
    }

    void localhostLookup()
    {
        DialogAddManually d;
        d.show();
        fill(d, "localhost", "502", "21");
        QVERIFY(!shownValid(d, "Ipvalid"));
        QVERIFY(child<QPushButton>(d, "ButtonCheck")->isVisible());
        child<QPushButton>(d, "ButtonCheck")->click();
        QCOMPARE(d.getTheAddress(), QString("127.0.0.1"));
        QCOMPARE(d.getTheDnsName(), QString("localhost"));
        QVERIFY(d.getHasDnsName());
        d.ChkTimeout();
        QVERIFY(shownValid(d, "Ipvalid"));
        QVERIFY(d.getFieldsValid());
        testsupport::saveGrab(&d, "dialogaddmanually");

        // Another text no longer carries the lookup's result.
        type(d, "theIp", "localhostx");
        d.ChkTimeout();
        QVERIFY(!shownValid(d, "Ipvalid"));
        QVERIFY(!d.getFieldsValid());
        QVERIFY(!d.getHasDnsName());
    }

    void lookupRefusedForKeyBreakingName()
    {
        DialogAddManually d;
        fill(d, "local-host", "502", "21");
        d.on_ButtonCheck_clicked();
        QVERIFY(!d.getHasDnsName());
        d.ChkTimeout();
        QVERIFY(!d.getFieldsValid());
    }

    void dragWithLeftButton()
    {
        DialogAddManually d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        const QPoint start = d.pos();
        const QPoint grip(20, 20);
        const QPoint globalGrip = d.mapToGlobal(grip);
        QMouseEvent press(QEvent::MouseButtonPress, grip, globalGrip, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&d, &press);
        QMouseEvent move(QEvent::MouseMove, grip, globalGrip + QPoint(50, 30), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&d, &move);
        QCOMPARE(d.pos(), start + QPoint(50, 30));

        QMouseEvent hover(QEvent::MouseMove, grip, globalGrip + QPoint(200, 200), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&d, &hover);
        QCOMPARE(d.pos(), start + QPoint(50, 30));
    }
};

QTEST_MAIN(TestDialogAddManually)
#include "tst_dialogaddmanually.moc"
