// The full-screen plant summary: values fed on every cycle, the mini plot's
// probe curve drawn once, curves of unequal length, texts on small screens.
#include "fullscreendialog.h"
#include "fullscreensummary.h"
#include "testsupport.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <qcustomplot.h>

#include <limits>

namespace {
using testsupport::labelText;
QCPGraph* graphNamed(QCustomPlot* plot, const QString& name)
{
    for (int i = 0; i < plot->graphCount(); ++i)
        if (plot->graph(i)->name() == name)
            return plot->graph(i);
    return nullptr;
}
// The tile's time axis: hours from 5 to 22.
QVector<double> tileHours(int n)
{
    QVector<double> x;
    for (int i = 0; i < n; ++i)
        x << 5.0 + i * 17.0 / 203.0;
    return x;
}
void feedProbe(FullScreenDialog& w, const QVector<double>& probe)
{
    w.setTheMiniPlotDataYExtra(probe);
    w.setTheMiniPlotExtraMax(1200);
    w.setTheMiniPlotExtraLabel("Irradiance");
}
} // namespace

class TestFullScreenDialog : public QObject
{
    Q_OBJECT
private slots:
    // The plant window's order, twice: today's energy is not added to the month again.
    void valuesOnEveryCycle()
    {
        FullScreenDialog w(nullptr, QRect(0, 0, 1920, 1080));
        QCOMPARE(labelText(&w, "Co2Value"), QString("= Wait..."));
        for (int cycle = 0; cycle < 2; ++cycle) {
            w.setTheMonthEnergy(300.0);
            w.setThePercentOfNominal(std::numeric_limits<double>::infinity()); // a plant without rating
            w.setTheDayEnergy(12.5);
            w.UpdateReadings(3.456);
            w.setThePlantTotalEnergy(2000.0);
            QCOMPARE(labelText(&w, "PowerValue"), QString("3.46 kW"));
            QCOMPARE(labelText(&w, "ShareValue"), QString("0.00 %"));
            QCOMPARE(labelText(&w, "EnergyValue"), QString("12.50 kWh (312.50 kWh this month)"));
            QCOMPARE(labelText(&w, "Co2Value"), QString("= 1.30 t"));
        }
    }

    void miniPlotAndProbeCurve()
    {
        FullScreenDialog w(nullptr, QRect(0, 0, 1920, 1080));
        QCustomPlot* plot = w.miniPlot();
        QVERIFY(plot->isHidden()); // nothing to plot yet
        const double start = FullScreenSummary::dayStart(QDate::currentDate());
        QVector<double> y;
        for (int i = 0; i < 204; ++i)
            y << i / 10.0;
        // The probe curve goes on the right axis and is drawn once.
        w.setTheMiniPlotDataX(tileHours(204)); // whatever the axis held, it is rebuilt
        feedProbe(w, {100, 200, 300});
        QVERIFY(w.getTheExtraDataFlag());
        w.setTheMiniPlotDataY(y, 10000.0);
        QVERIFY(!plot->isHidden() && !w.getTheExtraDataFlag());
        QCPGraph* power = graphNamed(plot, "Graph");
        QCPGraph* extra = graphNamed(plot, "Graphextra");
        QVERIFY(power && extra);
        QCOMPARE(power->data()->size(), 204);
        QCOMPARE(power->data()->at(203)->key, start + 300.0 * 203);
        QCOMPARE(extra->data()->at(2)->key, start + 600.0);
        QCOMPARE(plot->xAxis2->range(), plot->xAxis->range());

        // The next plot without a probe curve removes it (its axes too: tst_e2e_fullscreen).
        w.setTheMiniPlotDataX(QVector<double>(204, -1.0));
        w.setTheMiniPlotDataY(y, 10000.0);
        QVERIFY(!graphNamed(plot, "Graphextra") && !plot->xAxis2->visible());

        // Nominal power unknown: the axis follows the curve; one more value than times is not drawn.
        w.setTheMiniPlotDataX(tileHours(3));
        w.setTheMiniPlotDataY({1.0, 5.0, 2.0, 9.0}, 0.0);
        QCOMPARE(graphNamed(plot, "Graph")->data()->size(), 3);
        QCOMPARE(plot->yAxis->range().upper, 5.5);
    }

    void layoutOnScreens_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1920x1080") << QSize(1920, 1080);
        QTest::newRow("1024x600") << QSize(1024, 600);
    }
    void layoutOnScreens()
    {
        QFETCH(QSize, size);
        FullScreenDialog w(nullptr, QRect(QPoint(0, 0), size));
        QVERIFY(w.windowState() & Qt::WindowFullScreen);
        w.show();
        w.setWindowState(Qt::WindowNoState); // the test platform's screen may differ
        w.setGeometry(QRect(QPoint(0, 0), size));
        QTRY_COMPARE(w.size(), size);
        // The widest texts fit their labels and the time labels do not overlap.
        w.setTheMonthEnergy(88888.88);
        w.setThePercentOfNominal(100.0);
        w.setTheDayEnergy(8888.88);
        w.UpdateReadings(8888.88);
        w.setThePlantTotalEnergy(8888888.88);
        QVector<double> y, probe;
        for (int i = 0; i < 204; ++i) {
            y << 40.0 * qMax(0.0, qSin((i - 12) * M_PI / 168.0));
            probe << 1000.0 * qMax(0.0, qSin((i - 12) * M_PI / 168.0)) + 20;
        }
        w.setTheMiniPlotDataX(tileHours(204));
        feedProbe(w, probe);
        w.setTheMiniPlotDataY(y, 50000.0);

        for (const char* name :
             {"PowerValue", "ShareValue", "EnergyValue", "TotalValue", "TreeValue", "OilValue", "Co2Value"}) {
            const QLabel* l = w.findChild<QLabel*>(name);
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(), name);
            QVERIFY2(l->fontMetrics().height() <= l->height(), name);
        }
        QCustomPlot* plot = w.miniPlot();
        const QVector<double> ticks = plot->xAxis->tickVector();
        const QVector<QString> labels = plot->xAxis->tickVectorLabels();
        QFontMetrics tickFont(plot->xAxis->tickLabelFont());
        double lastRight = -1e9;
        int labelled = 0;
        for (int i = 0; i < ticks.size(); ++i) {
            if (labels[i].isEmpty())
                continue;
            const double centre = plot->xAxis->coordToPixel(ticks[i]);
            const int half = tickFont.horizontalAdvance(labels[i]) / 2;
            QVERIFY2(centre - half > lastRight, qPrintable(labels[i]));
            lastRight = centre + half;
            ++labelled;
        }
        QVERIFY(labelled >= 9);
        testsupport::saveGrab(&w, QString("fullscreen-%1x%2").arg(size.width()).arg(size.height()));
        QTest::mouseClick(w.findChild<QPushButton*>("ButtonExit"), Qt::LeftButton);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestFullScreenDialog)
#include "tst_fullscreendialog.moc"
