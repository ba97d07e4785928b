// The probe window and the tile's probe button: rows shown by the mask, the
// widest texts, Apply and Close with choices out of range, and the button's
// pictures set only on a change.
#include "probebutton.h"
#include "probeschoose.h"
#include "testsupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
QString shownRows(ProbesChoose& w)
{
    QString rows;
    for (int p = 1; p <= 4; ++p) {
        const bool radio = w.findChild<QRadioButton*>(QString("Choose_%1").arg(p))->isVisibleTo(&w);
        const bool name = w.findChild<QLabel*>(QString("LabMea_%1").arg(p))->isVisibleTo(&w);
        const bool value = w.findChild<QLabel*>(QString("Mea_%1").arg(p))->isVisibleTo(&w);
        if (radio != name || name != value)
            return "mixed";
        if (radio)
            rows += QString::number(p);
    }
    return rows;
}
struct StyleChanges : QObject
{
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        count += e->type() == QEvent::StyleChange;
        return false;
    }
};
} // namespace

class TestProbesChoose : public QObject
{
    Q_OBJECT
private slots:
    void rowsFollowTheLatestMask()
    {
        ProbesChoose w;
        w.ShowFor(0xF, 0);
        w.ShowFor(0x5, 0);
        QCOMPARE(shownRows(w), QString("13"));
        w.ShowFor(0xF0, 0);
        QCOMPARE(shownRows(w), QString());
        QVERIFY(w.findChild<QRadioButton*>("Choose_None")->isVisible());
    }

    // Names of 16 characters, units of 10 and the longest readings fit.
    void widestTextsFit()
    {
        ProbesChoose w;
        probes::ProbeSet wide;
        wide.mask = 0xF;
        for (int i = 0; i < 4; ++i) {
            wide.names[i] = "Module Temp. 123";
            wide.units[i] = "W/m2 (avg)";
            wide.readings[i] = -32768;
        }
        w.ShowFor(0xF, 0);
        w.UpdateValues(wide);
        QCOMPARE(w.findChild<QLabel*>("Mea_4")->text(), QString("-3276.80  W/m2 (avg)"));
        for (QLabel* l : w.findChildren<QLabel*>())
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(),
                     qPrintable(l->objectName()));
        for (QRadioButton* r : w.findChildren<QRadioButton*>())
            QVERIFY2(r->sizeHint().width() <= r->width(), qPrintable(r->objectName()));
        for (QGroupBox* g : w.findChildren<QGroupBox*>())
            QVERIFY2(g->minimumSizeHint().width() <= g->width(), qPrintable(g->objectName()));
        testsupport::saveGrab(&w, "probe-window");
    }

    // Close keeps the choice; a choice out of range applies as none. A probe or none applied: e2e fullscreen.
    void applyAndClose_data()
    {
        QTest::addColumn<int>("shown"); // the choice the window is opened with
        QTest::addColumn<bool>("apply");
        QTest::newRow("close after clicking probe 3") << 1 << false;
        QTest::newRow("a number above 4 is ignored") << 7 << true;
        QTest::newRow("a negative number is ignored") << -1 << true;
    }
    void applyAndClose()
    {
        QFETCH(int, shown);
        QFETCH(bool, apply);
        ProbesChoose w;
        QSignalSpy spy(&w, &ProbesChoose::ChosenProbeApplied);
        w.ShowFor(0x5, shown);
        QRadioButton* r = w.findChild<QRadioButton*>("Choose_3");
        if (!apply)
            QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(8, r->height() / 2)); // on its indicator
        QTest::mouseClick(w.findChild<QPushButton*>(apply ? "pushButtonApply" : "pushButtonClose"),
                          Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(spy.size(), apply ? 1 : 0);
        if (apply)
            QCOMPARE(spy.first().first().toInt(), 0);
        // The tile shows the same window again with the choice it keeps.
        w.ShowFor(0x5, apply ? 0 : shown);
        QVERIFY(w.findChild<QRadioButton*>(apply ? "Choose_None" : "Choose_1")->isChecked());
    }

    void probeButton_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<bool>("zetaOnLegacy");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QString>("image");
        QTest::newRow("probes 1 and 3, one chosen") << 0x5 << false << 3 << true << "Due1.png";
        QTest::newRow("Zeta on the legacy protocol") << 0xF << true << 1 << false << "Zero1.png";
    }
    void probeButton()
    {
        QFETCH(int, mask);
        QFETCH(bool, zetaOnLegacy);
        QFETCH(int, chosen);
        QFETCH(QString, image);
        QWidget tile;
        QPushButton button(&tile);
        tile.show();
        ProbeButton::SetStylesheetForProbeButton(&button, 0, 1); // a new tile: one probe, none chosen
        ProbeButton::SetProbesIconAccordingly(&button, mask, zetaOnLegacy, chosen);
        QTEST(button.isVisible(), "visible");
        QVERIFY(button.styleSheet().contains("background-image: url(\":/" + image + "\");"));
        // The same state again does not set the style sheet (and re-polish) again.
        StyleChanges changes;
        button.installEventFilter(&changes);
        ProbeButton::SetProbesIconAccordingly(&button, mask, zetaOnLegacy, chosen);
        QCOMPARE(changes.count, 0);
        ProbeButton::SetProbesIconAccordingly(&button, 0xF, false, chosen);
        QVERIFY(changes.count > 0);
    }
};

QTEST_MAIN(TestProbesChoose)
#include "tst_probeschoose.moc"
