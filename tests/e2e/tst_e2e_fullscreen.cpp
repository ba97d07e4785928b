// The full-screen summary of a plant of several boards (plantsim on loopback): the
// plant window's power, the summed day curve, and a probe chosen in a tile's window.
#include "consoletest.h"
#include "fullscreendialog.h"
#include "maindialog.h"
#include "probeschoose.h"
#include "storagepaths.h"

#include <QRadioButton>
#include <qcustomplot.h>

using namespace consoletest;

namespace {
QCPGraph* graphNamed(QCustomPlot* plot, const QString& name)
{
    for (int i = 0; i < plot->graphCount(); ++i)
        if (plot->graph(i)->name() == name)
            return plot->graph(i);
    return nullptr;
}
ProbesChoose* chooseProbe(InvButton* tile, const char* choice)
{
    auto* probeButton = tile->findChild<QPushButton*>("ButtonProbes");
    if (probeButton->isHidden() || !probeButton->isEnabled())
        return nullptr;
    QTest::mouseClick(probeButton, Qt::LeftButton);
    auto* window = tile->findChild<ProbesChoose*>();
    auto* radio = window ? window->findChild<QRadioButton*>(choice) : nullptr;
    if (!radio)
        return nullptr;
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(8, radio->height() / 2));
    return window;
}
} // namespace

class TestE2eFullScreen : public QObject
{
    Q_OBJECT
    testsupport::SandboxSettings sandbox;
    QTemporaryDir dir;
    PlantSimProcess sim;

private slots:
    void initTestCase()
    {
        const auto board = [](const char* id, const char* kind, int power, int probes) {
            return simBoard(id, kind, 150,
                            {{"phases", 3}, {"nominalPower", power}, {"probes", probes}, {"state", 1}});
        };
        QVERIFY(startStillPlant(sim, dir,
                                {board("garage", "inverter", 3000, 0x1),
                                 board("roof", "inverter", 10000, 0x5), board("barn", "zeta", 50000, 0x1)},
                                {"--no-ftp", "--no-udp"}));
        // Phase powers (10 W), the day's sample 100, the roof's probe 1 reading and full scale.
        const QMap<QString, int> phase = {{"garage", 40}, {"roof", 100}, {"barn", 200}};
        const QMap<QString, int> sample = {{"garage", 300}, {"roof", 800}, {"barn", 450}};
        for (const QString& id : phase.keys()) {
            for (int i = 0; i < 3; ++i)
                QVERIFY(sim.command(QString("set %1 reg %2 %3").arg(id).arg(24 + i).arg(phase[id])));
            QVERIFY(sim.command(QString("set %1 reg 600 %2").arg(id).arg(sample[id])));
        }
        QVERIFY(sim.command("set roof reg 44 0xFFE7"));
        QVERIFY(sim.command("set roof reg 866 1500"));
    }

    void fullScreenFollowsThePlant()
    {
        MainDialog w;
        startOnLoopback(w, "Sim");
        for (const char* id : {"garage", "roof", "barn"})
            addBoard(w, sim, id, id, "1.5.0", QByteArray(id) == "barn");
        w.SaveEquipmentList();
        InvButton* roof = w.tiles()[1];
        QTRY_VERIFY_WITH_TIMEOUT(tilesConnected(w, 3), 30000);
        // Garage 1200 W, roof 3000 W, Zeta 6000 W.
        QTRY_COMPARE_WITH_TIMEOUT(labelText(&w, "TotPow"), QString("10.20 kW"), 30000);

        QMetaObject::invokeMethod(&w, "on_ButtonFullScreen_clicked");
        FullScreenDialog* fs = w.fullScreen();
        QVERIFY(fs && fs->isVisible());
        QTRY_COMPARE(labelText(fs, "PowerValue"), labelText(&w, "TotPow"));

        // The summed day curve: 8.00 + 3.00 (divided by 100) + 45.0 (a Zeta's, divided by 10).
        QCustomPlot* plot = fs->miniPlot();
        auto plotted = [&](int slot) {
            QMetaObject::invokeMethod(&w, "TheSlowTimer");
            QCPGraph* g = graphNamed(plot, "Graph");
            return g && g->data()->size() > slot ? g->data()->at(slot)->value : -1.0;
        };
        QTRY_COMPARE_WITH_TIMEOUT(plotted(100), 56.0, 30000);
        QVERIFY(!graphNamed(plot, "Graphextra") && !plot->yAxis2->visible());

        // Probe 1 of the roof, chosen in the window the tile feeds, becomes the plant's probe.
        QTRY_COMPARE_WITH_TIMEOUT(roof->getTheProbemask(), (unsigned short)0x5, 10000);
        ProbesChoose* probeWindow = chooseProbe(roof, "Choose_1");
        QVERIFY(probeWindow);
        QTRY_COMPARE_WITH_TIMEOUT(labelText(probeWindow, "Mea_1"), QString("-2.50  "), 10000);
        testsupport::saveGrab(probeWindow, "probe-window-roof");
        click(probeWindow, "pushButtonApply");
        QVERIFY(!probeWindow->isVisible());
        QTRY_COMPARE(w.probeIp(), roof->GetIp());
        QCOMPARE(w.probeProbe(), 1);
        // Today's log: probe 1 drawn against the roof's full scale, not the first tile's.
        QFile log(roof->getTheStorageFolder() + "/" + StoragePaths::dailyLogName(QDate::currentDate()));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write("header\nheader\n");
        for (int i = 0; i < 60; ++i)
            log.write(QTime(5, 5).addSecs(300 * i).toString("hh:mm").toUtf8() +
                      QByteArray(";1").repeated(15) + ';' + QByteArray::number(100 + 10 * i) +
                      QByteArray(";1").repeated(13) + '\n');
        log.close();
        QMetaObject::invokeMethod(&w, "TheSlowTimer");
        QCPGraph* extra = graphNamed(plot, "Graphextra");
        QVERIFY(extra);
        QCOMPARE(extra->data()->size(), 60);
        QCOMPARE(extra->data()->at(10)->value, 200.0);
        QCOMPARE(plot->yAxis2->range().upper, 1650.0);
        testsupport::saveGrab(fs, "fullscreen-plant");

        // Choosing none on the same tile clears the plant's probe; the curve goes.
        QCOMPARE(chooseProbe(roof, "Choose_None"), probeWindow); // the same window, shown again
        click(probeWindow, "pushButtonApply");
        QTRY_COMPARE(w.probeIp(), QString());
        QMetaObject::invokeMethod(&w, "TheSlowTimer");
        QVERIFY(!graphNamed(plot, "Graphextra") && !plot->yAxis2->visible());
    }
};

VELORA_CONSOLE_TEST_MAIN(TestE2eFullScreen)
#include "tst_e2e_fullscreen.moc"
