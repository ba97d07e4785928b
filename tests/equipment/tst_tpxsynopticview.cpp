// The TPX synoptic drawn on a tile-sized group box: its objects, the rules'
// looks on the right objects, the grey look, the shared blink and the gauge.
#include "tpxsynopticview.h"
#include "tpxtestblocks.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
// A stand-in for the tile, 350 x 170; its status line starts at y 146.
struct Tile : QGroupBox
{
    Tile() { setFixedSize(350, 170); }
    // An object's look: its image, else its segment colour, else its text.
    QString look(const QString& name) const
    {
        const QLabel* l = findChild<QLabel*>(name);
        const QString image = l->property("image").toString().remove(":/").remove(".png");
        if (!image.isEmpty())
            return image;
        const char* const bars[] = {"none", "blue", "navy", "grey", "red"}; // in the order of Bar
        for (int b = 1; b < 5; ++b)
            if (l->styleSheet() == TpxSynoptic::barStyle(TpxSynoptic::Bar(b)))
                return bars[b];
        return l->property("image").isValid() ? "" : l->text();
    }
    QString looks(const QString& names) const
    {
        QStringList out;
        for (const QString& n : names.split(' '))
            out << look("tpx" + n);
        return out.join(' ');
    }
};
const char* const Parts = "Rectifier Inverter Battery Bypass InputLine RectifierInverterLine BatteryLine";
const char* const OutputPath =
    "BypassInputLine BypassLine BypassCorner BypassDrop InverterOutputLine OutputJunction "
    "OutputLine OutputArrow";
const char* const Values = "RatedPower BatteryCapacity OutputLoad InputLoad";
} // namespace

class TestTpxSynopticView : public QObject
{
    Q_OBJECT
private slots:
    // Every object is a hidden child of the tile until shown, clear of the
    // status line, with no value yet; the gauge reports clicks while enabled.
    void objectsOnTheTile()
    {
        Tile tile;
        TpxSynopticView view(&tile);
        const QStringList names =
            (QString(Parts) + ' ' + OutputPath + ' ' + Values + " InputArrow BypassArrow BatteryJoint")
                .split(' ');
        for (const QString& name : names) {
            const QLabel* l = tile.findChild<QLabel*>("tpx" + name);
            QVERIFY2(l && l->parentWidget() == &tile && l->isHidden(), qPrintable(name));
            QVERIFY2(tile.rect().contains(l->pos()) && l->geometry().bottom() < 146, qPrintable(name));
        }
        QCOMPARE(tile.looks(Values + QString(" InputArrow BypassArrow BatteryJoint")),
                 "--- --- --- --- TriangoloBianco TriangoloBianco AU");
        view.show();
        tile.show();
        for (const QString& name : names)
            QVERIFY2(!tile.findChild<QLabel*>("tpx" + name)->isHidden(), qPrintable(name));
        QSignalSpy clicked(&view, &TpxSynopticView::measuresClicked);
        QTest::mouseClick(view.measuresButton(), Qt::LeftButton);
        view.setMeasuresButtonEnabled(false);
        QTest::mouseClick(view.measuresButton(), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        view.hide();
        QVERIFY(view.measuresButton()->isHidden() && tile.findChild<QLabel*>("tpxRectifier")->isHidden());
    }

    // The rules' looks land on the right objects, drawn over the grey look (the
    // rules themselves: tst_tpxsynoptic); not connected, every part is grey and
    // the arrow stays off until the next refresh.
    void states_data()
    {
        QTest::addColumn<bool>("refreshed");
        QTest::addColumn<QString>("parts");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("values");
        const QString values = "10KVA 87% 60.0% 78.6%";
        QTest::newRow("normal") << true << "raddr_nero inv_nero batt_nero byp_nero blue blue blue"
                                << "navy grey L_DOWN_G grey blue blue blue TriangoloAzzurro" << values;
        QTest::newRow("disconnected")
            << false << "raddr_grigio inv_grigio batt_grigio byp_grigio grey grey grey"
            << "grey grey L_DOWN_G grey grey SQ_GRAY grey TriangoloGrigio"
            << "--- --- --- ---";
    }
    void states()
    {
        QFETCH(bool, refreshed);
        TpxTestBlocks blocks;
        blocks.setB(
            {{3, 100}, {4, 110}, {5, 120}, {26, 50}, {27, 60}, {28, 70}, {40, 87}, {66, 230}, {68, 100}});
        Tile tile;
        TpxSynopticView view(&tile);
        view.show();
        view.showDisconnected();
        if (refreshed)
            view.refresh(blocks.blockA(), blocks.blockB(), blocks.blockC());
        QTEST(tile.looks(Parts), "parts");
        QTEST(tile.looks(OutputPath), "output");
        QTEST(tile.looks(Values), "values");
        const auto arrowShows = [&] {
            view.blink(blocks.blockA());
            return tile.look("tpxBatteryJoint") == "AU";
        };
        if (!refreshed) {
            QVERIFY(!QTest::qWaitFor(arrowShows, 1200)); // the phase turns at least twice meanwhile
            view.refresh(blocks.blockA(), blocks.blockB(), blocks.blockC());
        }
        QVERIFY(QTest::qWaitFor(arrowShows, 2000));
        view.clearValues();
        QCOMPARE(tile.looks(Values), "--- --- --- ---");
    }

    // The objects go with the view, and a tile may go first.
    void lifetime()
    {
        Tile tile;
        const int before = tile.children().size();
        delete new TpxSynopticView(&tile);
        QCOMPARE(tile.children().size(), before);
        auto* box = new QGroupBox;
        QPointer<TpxSynopticView> view = new TpxSynopticView(box);
        delete box;
        QVERIFY(view.isNull());
    }
};

QTEST_MAIN(TestTpxSynopticView)
#include "tst_tpxsynopticview.moc"
