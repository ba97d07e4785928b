// The alarm window fed with alarm words built from the bytes of a board's
// reply: the selection kept over unchanged words, its closing and its
// dragging. Its list from a board: tst_e2e_tilewindows; the rules: tst_alarmtexts.
#include "dialogalarms.h"
#include "registerreply.h"
#include "testsupport.h"

#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {
// Hands the window the alarm words of a reply, as the tile does after one.
void feed(DialogAlarms& w, const QVector<quint16>& registers1000)
{
    EquipmentRecords rec;
    testsupport::receiveWords(rec, registers1000);
    rec.storeAlarmWords();
    registerblocks::ProtocolFlags f;
    f.applyVersion(150);
    w.setTheAlarmWords(rec.alarmWords, f);
    w.RefreshScreen();
}
void sendMouse(QWidget* w, QEvent::Type type, QPoint global, Qt::MouseButtons buttons)
{
    const QPoint local = w->mapFromGlobal(global);
    QMouseEvent e(type, local, local, global, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
} // namespace

class TestDialogAlarms : public QObject
{
    Q_OBJECT
private slots:
    // Words that give the same groups leave the items, and so the selection,
    // alone; a change only in X rebuilds the list.
    void selectionSurvivesUnchangedWords()
    {
        // A grid fault, the inverter stopped by it, a fan alarm.
        QVector<quint16> words = {0, 0x0000, 0x4000, 0x0020, 0x0001, 0x0000, 0x0400, 0x0000, 0x0000, 0x0000};
        DialogAlarms w;
        w.setTheTitle("192.168.1.20 - Roof East");
        w.show();
        feed(w, words);
        QListWidget* list = w.findChild<QListWidget*>("listAlarms");
        QCOMPARE(list->count(), 4);
        const QString stamp = w.findChild<QLabel*>("theDateTime")->text();
        QVERIFY2(
            QRegularExpression("^\\d{1,2}/\\d{1,2}/\\d{4} - \\d{1,2}:\\d{2}:\\d{2}$").match(stamp).hasMatch(),
            qPrintable(stamp));
        testsupport::saveGrab(&w, "dialogalarms");
        list->setCurrentRow(1);
        const QListWidgetItem* selected = list->currentItem();
        feed(w, words); // unchanged
        QCOMPARE(list->currentItem(), selected);
        QVERIFY(selected->isSelected());

        words[8] = 0x0010; // FAULT 16, group X only
        feed(w, words);
        QCOMPARE(list->count(), 5);
        QVERIFY(list->selectedItems().isEmpty());
        QCOMPARE(list->item(4)->text(), "FAULT 16: CAN error (Node 7B)" + QString(21, ' ') + "x04");
    }

    // Every way of closing tells the owner once, then the window deletes itself.
    void closingTellsTheOwner_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"button", "escape", "close"})
            QTest::newRow(how) << how;
    }
    void closingTellsTheOwner()
    {
        QFETCH(QString, how);
        QWidget owner;
        QPointer<DialogAlarms> w = new DialogAlarms(&owner);
        w->show();
        QSignalSpy closed(w.data(), &DialogAlarms::AlarmsDialogIsClosed);
        if (how == "button")
            QTest::mouseClick(w->findChild<QPushButton*>("pushButtonClose"), Qt::LeftButton);
        else if (how == "escape")
            QTest::keyClick(w.data(), Qt::Key_Escape);
        else
            w->close();
        QCOMPARE(closed.count(), 1);
        QTRY_VERIFY(w.isNull());
    }

    // Dragging with the left button moves the window, but never to a
    // position with a coordinate below 1.
    void dragging_data()
    {
        QTest::addColumn<QPoint>("by");
        QTest::addColumn<QPoint>("to");
        QTest::newRow("inside") << QPoint(-30, 40) << QPoint(70, 140);
        QTest::newRow("to 1, 1") << QPoint(-99, -99) << QPoint(1, 1);
        QTest::newRow("left of the screen") << QPoint(-100, 10) << QPoint(100, 100);
        QTest::newRow("above the screen") << QPoint(5, -120) << QPoint(100, 100);
    }
    void dragging()
    {
        QFETCH(QPoint, by);
        DialogAlarms w;
        w.show();
        w.move(100, 100);
        QTRY_COMPARE(w.pos(), QPoint(100, 100));
        const QPoint grab = w.mapToGlobal(QPoint(200, 60));
        sendMouse(&w, QEvent::MouseButtonPress, grab, Qt::LeftButton);
        sendMouse(&w, QEvent::MouseMove, grab + by, Qt::LeftButton);
        QTEST(w.pos(), "to");
        sendMouse(&w, QEvent::MouseMove, grab + by + QPoint(300, 300), Qt::NoButton); // button released
        QTEST(w.pos(), "to");
    }
};

VELORA_CONSOLE_TEST_MAIN(TestDialogAlarms)
#include "tst_dialogalarms.moc"
