// The TPX synoptic drawn on a tile-sized group box: its objects at their
// places, the looks of the plain rules applied to the right objects, the
// value labels, the grey look, the blink and the gauge button.
#include "testsupport.h"
#include "tpxsynopticview.h"
#include "tpxtestblocks.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
// A stand-in for the tile: a 350 x 170 group box in the tile's look, with the
// status line where a TPX tile shows it.
struct Tile
{
    Tile()
    {
        box.setFixedSize(350, 170);
        box.setTitle("127.0.0.1 - Storage [V-01.50]");
        box.setStyleSheet("QGroupBox { border: 1px solid gray; border-style: outset; border-radius: 8px;"
                          " background-color: rgb(243, 243, 243); margin-top: 0px; }"
                          " QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top center;"
                          " padding: 6 0px; background-color: transparent;"
                          " font: bold 9pt \"DejaVu Sans\"; color: rgb(0, 0, 255); }");
        status.setParent(&box);
        status.setGeometry(5, 146, 300, 24);
        status.setText("Ready.");
        status.setStyleSheet("color: rgb(122, 122, 122); font-size: 11px;");
    }
    QGroupBox box;
    QLabel status;
};

QLabel* part(QWidget& tile, const char* name)
{
    return tile.findChild<QLabel*>(name);
}
QString image(QWidget& tile, const char* name)
{
    return part(tile, name)->property("image").toString().remove(":/").remove(".png");
}
QString colour(QWidget& tile, const char* name)
{
    const QString style = part(tile, name)->styleSheet();
    const QMap<QString, QString> colours{{"rgb(0, 174, 240)", "blue"},
                                         {"rgb(0, 56, 117)", "navy"},
                                         {"rgb(208, 208, 208)", "grey"},
                                         {"rgb(233, 33, 0)", "red"}};
    for (auto it = colours.cbegin(); it != colours.cend(); ++it)
        if (style == "background-color: " + it.key() + ";")
            return it.value();
    return style.isEmpty() ? "none" : style;
}
// Every object of the output path and the bypass as "object=look".
QString outputPath(QWidget& t)
{
    return QStringList{"bypassInput=" + colour(t, "tpxBypassInputLine"),
                       "bypass=" + colour(t, "tpxBypassLine"),
                       "corner=" + image(t, "tpxBypassCorner"),
                       "drop=" + colour(t, "tpxBypassDrop"),
                       "inverterOutput=" + colour(t, "tpxInverterOutputLine"),
                       "junction=" + image(t, "tpxOutputJunction") + "/" + colour(t, "tpxOutputJunction"),
                       "output=" + colour(t, "tpxOutputLine"),
                       "arrow=" + image(t, "tpxOutputArrow")}
        .join(' ');
}
QString parts(QWidget& t)
{
    return QStringList{image(t, "tpxRectifier"),
                       image(t, "tpxInverter"),
                       image(t, "tpxBattery"),
                       image(t, "tpxBypass"),
                       "input=" + colour(t, "tpxInputLine"),
                       "dcBus=" + colour(t, "tpxRectifierInverterLine"),
                       "battery=" + colour(t, "tpxBatteryLine")}
        .join(' ');
}
} // namespace

class TestTpxSynopticView : public QObject
{
    Q_OBJECT
private slots:
    void objectsAtTheirPlaces_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("initial"); // image, or the colour of a segment
        const auto row = [](const char* object, QRect place, const char* initial) {
            QTest::newRow(object) << object << place << initial;
        };
        row("tpxRectifier", {80, 66, 35, 35}, "raddr_nero");
        row("tpxInverter", {180, 66, 35, 35}, "inv_nero");
        row("tpxBattery", {132, 110, 35, 35}, "batt_nero");
        row("tpxBypass", {180, 28, 35, 35}, "byp_nero");
        row("tpxInputLine", {43, 80, 40, 10}, "grey");
        row("tpxInputArrow", {42, 80, 10, 10}, "TriangoloBianco");
        row("tpxRectifierInverterLine", {110, 80, 81, 10}, "grey");
        row("tpxBatteryLine", {145, 84, 10, 41}, "grey");
        row("tpxBatteryJoint", {146, 86, 8, 19}, "AU");
        row("tpxBypassInputLine", {43, 40, 154, 10}, "grey");
        row("tpxBypassArrow", {42, 40, 10, 10}, "TriangoloBianco");
        row("tpxBypassLine", {198, 40, 70, 10}, "grey");
        row("tpxBypassCorner", {268, 40, 10, 10}, "L_DOWN_G");
        row("tpxBypassDrop", {268, 49, 10, 31}, "grey");
        row("tpxInverterOutputLine", {210, 80, 58, 10}, "grey");
        row("tpxOutputJunction", {268, 80, 10, 10}, "SQ_GRAY");
        row("tpxOutputLine", {278, 80, 20, 10}, "grey");
        row("tpxOutputArrow", {298, 80, 10, 10}, "TriangoloGrigio");
        row("tpxInputLoad", {30, 96, 41, 20}, "---");
        row("tpxBatteryCapacity", {97, 120, 31, 16}, "---");
        row("tpxOutputLoad", {250, 96, 51, 20}, "---");
        row("tpxRatedPower", {280, 40, 71, 31}, "---");
    }
    void objectsAtTheirPlaces()
    {
        QFETCH(QString, object);
        QFETCH(QString, initial);
        Tile tile;
        TpxSynopticView view(&tile.box);
        QLabel* l = tile.box.findChild<QLabel*>(object);
        QVERIFY(l);
        QCOMPARE(l->parentWidget(), &tile.box);
        QTEST(l->geometry(), "place");
        QVERIFY(l->isHidden());
        const QString shown = l->property("image").isValid()
                                  ? image(tile.box, qPrintable(object))
                                  : (l->text().isEmpty() ? colour(tile.box, qPrintable(object)) : l->text());
        QCOMPARE(shown, initial);
        view.show();
        QVERIFY(!l->isHidden());
    }

    // Showing clears the battery joint and puts the images above the segments.
    void show()
    {
        Tile tile;
        TpxSynopticView view(&tile.box);
        QVERIFY(!view.isShown());
        view.show();
        QVERIFY(view.isShown());
        QCOMPARE(image(tile.box, "tpxBatteryJoint"), "");
        // Points where an image and a segment overlap.
        const QPair<QPoint, const char*> above[] = {
            {{45, 85}, "tpxInputArrow"}, {{45, 45}, "tpxBypassArrow"},   {{81, 85}, "tpxRectifier"},
            {{185, 85}, "tpxInverter"},  {{212, 85}, "tpxInverter"},     {{190, 45}, "tpxBypass"},
            {{150, 130}, "tpxBattery"},  {{150, 95}, "tpxBatteryJoint"}, {{272, 49}, "tpxBypassCorner"}};
        for (const auto& p : above)
            QCOMPARE(tile.box.childAt(p.first)->objectName(), QString(p.second));
        QPushButton* gauge = view.measuresButton();
        QCOMPARE(gauge->objectName(), "ButtonMeas");
        QCOMPARE(gauge->geometry(), QRect(304, 130, 30, 30));
        QVERIFY(!gauge->isHidden());
        view.hide();
        QVERIFY(gauge->isHidden() && part(tile.box, "tpxRectifier")->isHidden());
    }

    // The plain rules' looks land on the right objects; screenshots of each state.
    void states_data()
    {
        QTest::addColumn<quint16>("a0");
        QTest::addColumn<QStringList>("bits");
        QTest::addColumn<QString>("parts");
        QTest::addColumn<QString>("output");
        QTest::newRow("normal")
            << quint16(0) << QStringList()
            << "raddr_nero inv_nero batt_nero byp_nero input=blue dcBus=blue battery=blue"
            << "bypassInput=navy bypass=grey corner=L_DOWN_G drop=grey inverterOutput=blue "
               "junction=/blue output=blue arrow=TriangoloAzzurro";
        QTest::newRow("on bypass")
            << quint16(1 << 11) << QStringList{"10.3"}
            << "raddr_nero inv_arancio batt_nero byp_nero input=blue dcBus=blue battery=blue"
            << "bypassInput=navy bypass=navy corner=L_DOWN drop=navy inverterOutput=grey "
               "junction=UP_R_B/none output=navy arrow=TriangoloBlu";
        QTest::newRow("fault")
            << quint16(1 << 11) << QStringList{"6.4", "7.7", "12.1", "12.6", "13.3"}
            << "raddr_grigio inv_rosso batt_grigio byp_nero input=grey dcBus=grey battery=grey"
            << "bypassInput=red bypass=red corner=L_DOWN_R drop=red inverterOutput=grey "
               "junction=UP_R_R/none output=red arrow=TriangoloRosso";
    }
    void states()
    {
        QFETCH(quint16, a0);
        QFETCH(QStringList, bits);
        TpxTestBlocks blocks;
        blocks.setA(0, a0);
        blocks.setStatusBits(bits);
        blocks.setB(
            {{3, 100}, {4, 110}, {5, 120}, {26, 50}, {27, 60}, {28, 70}, {40, 87}, {66, 230}, {68, 100}});
        Tile tile;
        TpxSynopticView view(&tile.box);
        view.show();
        // From another state first: every object must be drawn again.
        view.showDisconnected();
        view.refresh(blocks.blockA(), blocks.blockB(), blocks.blockC());
        QTEST(parts(tile.box), "parts");
        QTEST(outputPath(tile.box), "output");
        QCOMPARE(part(tile.box, "tpxRatedPower")->text(), "10KVA");
        QCOMPARE(part(tile.box, "tpxBatteryCapacity")->text(), "87%");
        QCOMPARE(part(tile.box, "tpxOutputLoad")->text(), "60.0%");
        QCOMPARE(part(tile.box, "tpxInputLoad")->text(), "78.6%");
        QTRY_VERIFY_WITH_TIMEOUT((view.blink(blocks.blockA()), !image(tile.box, "tpxBatteryJoint").isEmpty()),
                                 2000);
        tile.box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tile.box));
        testsupport::saveGrab(&tile.box, QString("tpx_tile_") + QTest::currentDataTag());
        view.clearValues();
        for (const char* label : {"tpxRatedPower", "tpxBatteryCapacity", "tpxOutputLoad", "tpxInputLoad"})
            QCOMPARE(part(tile.box, label)->text(), "---");
    }

    // Not connected: every part grey, no blinking arrow until the next refresh.
    void disconnected()
    {
        TpxTestBlocks blocks;
        Tile tile;
        TpxSynopticView view(&tile.box);
        view.show();
        view.refresh(blocks.blockA(), blocks.blockB(), blocks.blockC());
        QTRY_VERIFY_WITH_TIMEOUT((view.blink(blocks.blockA()), !image(tile.box, "tpxBatteryJoint").isEmpty()),
                                 2000);
        view.showDisconnected();
        QCOMPARE(parts(tile.box),
                 "raddr_grigio inv_grigio batt_grigio byp_grigio input=grey dcBus=grey battery=grey");
        QCOMPARE(outputPath(tile.box),
                 "bypassInput=grey bypass=grey corner=L_DOWN_G drop=grey inverterOutput=grey "
                 "junction=SQ_GRAY/none output=grey arrow=TriangoloGrigio");
        QCOMPARE(image(tile.box, "tpxBatteryJoint"), "");
        tile.box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tile.box));
        testsupport::saveGrab(&tile.box, "tpx_tile_disconnected");
        // However long the blink runs, the arrow stays away.
        QVERIFY(!QTest::qWaitFor(
            [&] {
                view.blink(blocks.blockA());
                return !image(tile.box, "tpxBatteryJoint").isEmpty();
            },
            1200));
        view.refresh(blocks.blockA(), blocks.blockB(), blocks.blockC());
        QTRY_VERIFY_WITH_TIMEOUT((view.blink(blocks.blockA()), !image(tile.box, "tpxBatteryJoint").isEmpty()),
                                 2000);
    }

    // The arrow shows the battery's direction and blinks in one phase for all tiles.
    void blink()
    {
        TpxTestBlocks discharging, charging;
        discharging.setA(0, 1 << 6);
        Tile first, second;
        TpxSynopticView a(&first.box), b(&second.box);
        a.show();
        b.show();
        a.refresh(discharging.blockA(), discharging.blockB(), discharging.blockC());
        b.refresh(charging.blockA(), charging.blockB(), charging.blockC());
        QStringList seen; // the first tile's arrow, each change
        bool together = true;
        QVERIFY(QTest::qWaitFor(
            [&] {
                a.blink(discharging.blockA());
                b.blink(charging.blockA());
                const QString ia = image(first.box, "tpxBatteryJoint"),
                              ib = image(second.box, "tpxBatteryJoint");
                together = together && ib == (ia.isEmpty() ? "" : "AU");
                if (seen.isEmpty() || seen.last() != ia)
                    seen << ia;
                return seen.size() >= 4 || !together;
            },
            3000));
        QVERIFY2(together, "the tiles blink out of phase");
        QVERIFY2(seen.contains("AD") && seen.contains(""), qPrintable(seen.join(',')));
        // A hidden synoptic does not blink.
        a.hide();
        const QString before = image(first.box, "tpxBatteryJoint");
        QVERIFY(!QTest::qWaitFor(
            [&] {
                a.blink(discharging.blockA());
                return image(first.box, "tpxBatteryJoint") != before;
            },
            1200));
    }

    void gaugeButton()
    {
        Tile tile;
        TpxSynopticView view(&tile.box);
        view.show();
        tile.box.show();
        QSignalSpy clicked(&view, &TpxSynopticView::measuresClicked);
        QTest::mouseClick(view.measuresButton(), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        view.setMeasuresButtonEnabled(false);
        QTest::mouseClick(view.measuresButton(), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        view.setMeasuresButtonEnabled(true);
        QTest::mouseClick(view.measuresButton(), Qt::LeftButton);
        QCOMPARE(clicked.count(), 2);
    }

    // The objects go with the view, and a tile may go first.
    void lifetime()
    {
        Tile tile;
        const int before = tile.box.children().size();
        auto* view = new TpxSynopticView(&tile.box);
        QVERIFY(tile.box.children().size() > before + 20);
        delete view;
        QCOMPARE(tile.box.children().size(), before);
        auto* box = new QGroupBox;
        QPointer<TpxSynopticView> owned = new TpxSynopticView(box);
        delete box;
        QVERIFY(owned.isNull());
    }
};

QTEST_MAIN(TestTpxSynopticView)
#include "tst_tpxsynopticview.moc"
