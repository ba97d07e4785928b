// The console and plantsim on loopback: the full-screen summary of a plant
// of several boards shows the plant window's power, plots the summed day
// curve, and adds the curve of a probe chosen in a tile's probe window.
#include "fullscreendialog.h"
#include "invbutton.h"
#include "maindialog.h"
#include "plantsimprocess.h"
#include "probeschoose.h"
#include "storagepaths.h"
#include "testsupport.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <qcustomplot.h>

namespace {
QJsonObject board(const QString& id, const QString& kind, int power, int probes)
{
    return QJsonObject{{"id", id},    {"kind", kind},          {"firmware", 150},  {"name", id},
                       {"phases", 3}, {"nominalPower", power}, {"probes", probes}, {"state", 1}};
}
QCPGraph* graphNamed(QCustomPlot* plot, const QString& name)
{
    for (int i = 0; i < plot->graphCount(); ++i)
        if (plot->graph(i)->name() == name)
            return plot->graph(i);
    return nullptr;
}
QString label(QWidget* w, const char* name)
{
    return w->findChild<QLabel*>(name)->text();
}
// The tile's probe window, opened with its probe button.
ProbesChoose* openProbeWindow(InvButton* tile)
{
    auto* probeButton = tile->findChild<QPushButton*>("ButtonProbes");
    if (probeButton->isHidden() || !probeButton->isEnabled())
        return nullptr;
    QTest::mouseClick(probeButton, Qt::LeftButton);
    return tile->findChild<ProbesChoose*>();
}
void press(QRadioButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
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
        const QString scenario =
            writeScenario(dir, {board("garage", "inverter", 3000, 0x1), board("roof", "inverter", 10000, 0x5),
                                board("barn", "zeta", 50000, 0x1)});
        QVERIFY(sim.start(
            {"--scenario", scenario, "--loopback", "--no-ftp", "--no-udp", "--update-ms", "3600000"}));
        // Values that hold at any hour: phase powers (10 W), the day's
        // sample 100 (12:25), the roof's first probe reading (-2.5) and its
        // full scale (1500; every board else answers 1200).
        const QMap<QString, QVector<int>> phases = {
            {"garage", {40, 40, 40}}, {"roof", {100, 100, 100}}, {"barn", {200, 200, 200}}};
        const QMap<QString, int> sample = {{"garage", 300}, {"roof", 800}, {"barn", 450}};
        for (const QString& id : phases.keys()) {
            for (int i = 0; i < 3; ++i)
                QVERIFY(sim.command(QString("set %1 reg %2 %3").arg(id).arg(24 + i).arg(phases[id][i])));
            QVERIFY(sim.command(QString("set %1 reg 600 %2").arg(id).arg(sample[id])));
        }
        QVERIFY(sim.command("set roof reg 44 0xFFE7"));
        QVERIFY(sim.command("set roof reg 866 1500"));
    }

    void fullScreenFollowsThePlant()
    {
        MainDialog w;
        w.CompleteFirstUse("lo", "127.0.0.1", {"LOCAL", "Sim"}, "Sim");
        for (const QString& id : QStringList{"garage", "roof", "barn"})
            w.AddEquipment("127.0.0.1", id, "1.5.0", sim.board(id).modbus, 21, id == "barn", false, false,
                           "NO_DNS_NAME", "Sim");
        w.SaveEquipmentList();
        InvButton* roof = w.tiles()[1];
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(w.tiles().begin(), w.tiles().end(),
                                             [](InvButton* t) { return t->getTheServerIsConnected(); }),
                                 30000);
        // Garage 1200 W, roof 3000 W, Zeta 6000 W.
        QTRY_COMPARE_WITH_TIMEOUT(label(&w, "TotPow"), QString("10.20 kW"), 30000);

        QMetaObject::invokeMethod(&w, "on_ButtonFullScreen_clicked");
        FullScreenDialog* fs = w.fullScreen();
        QVERIFY(fs && fs->isVisible());
        QTRY_COMPARE(label(fs, "PowerValue"), label(&w, "TotPow"));

        // The mini plot holds the sum of the tiles' day curves; sample 100
        // is 8.00 + 3.00 (divided by 100) + 45.0 (a Zeta's, divided by 10).
        QCustomPlot* plot = fs->miniPlot();
        auto plotted = [&](int slot) {
            QMetaObject::invokeMethod(&w, "TheSlowTimer");
            QCPGraph* g = graphNamed(plot, "Graph");
            return g && g->data()->size() > slot ? g->data()->at(slot)->value : -1.0;
        };
        QTRY_COMPARE_WITH_TIMEOUT(plotted(100), 56.0, 30000);
        QCPGraph* power = graphNamed(plot, "Graph");
        QCOMPARE(power->data()->size(), 204);
        for (int i = 0; i < 204; i += 7) {
            double sum = 0;
            for (InvButton* t : w.tiles())
                sum += t->getTheMiniPlotDataY().value(i);
            QCOMPARE(power->data()->at(i)->value + 1, sum + 1);
        }
        QVERIFY(!graphNamed(plot, "Graphextra") && !plot->yAxis2->visible());

        // The roof's probe button, with the pictures of two probes, opens
        // its probe window, which the tile feeds: probes 1 and 3.
        QTRY_COMPARE_WITH_TIMEOUT(roof->getTheProbemask(), (unsigned short)0x5, 10000);
        QVERIFY(roof->findChild<QPushButton*>("ButtonProbes")->styleSheet().contains("Due0.png"));
        ProbesChoose* probeWindow = openProbeWindow(roof);
        QVERIFY(probeWindow && probeWindow->isVisible());
        // An inverter that is not a Zeta reads the short type block, without units.
        QTRY_COMPARE_WITH_TIMEOUT(label(probeWindow, "Mea_1"), QString("-2.50  "), 10000);
        QCOMPARE(label(probeWindow, "LabMea_3"), QString("Ambient temp"));
        QVERIFY(!probeWindow->findChild<QLabel*>("Mea_2")->isVisible());
        testsupport::saveGrab(probeWindow, "probe-window-roof");

        // Choosing probe 1 is recorded as the plant's probe; the button shows the choice.
        press(probeWindow->findChild<QRadioButton*>("Choose_1"));
        QTest::mouseClick(probeWindow->findChild<QPushButton*>("pushButtonApply"), Qt::LeftButton);
        QVERIFY(!probeWindow->isVisible());
        QTRY_COMPARE(w.probeIp(), roof->GetIp());
        QCOMPARE(w.probeProbe(), 1);
        QVERIFY(roof->findChild<QPushButton*>("ButtonProbes")->styleSheet().contains("Due1.png"));

        // Today's log, as copied from the board: probe 1 from 05:05 every 5 minutes.
        QFile log(roof->getTheStorageFolder() + "/" + StoragePaths::dailyLogName(QDate::currentDate()));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write("header\nheader\n");
        for (int i = 0; i < 60; ++i) {
            QStringList values;
            for (int c = 0; c < 29; ++c)
                values << "1";
            values[15] = QString::number(100 + 10 * i);
            log.write(
                (QTime(5, 5).addSecs(300 * i).toString("hh:mm") + ";" + values.join(';') + "\n").toUtf8());
        }
        log.close();
        QMetaObject::invokeMethod(&w, "TheSlowTimer");
        QCPGraph* extra = graphNamed(plot, "Graphextra");
        QVERIFY(extra);
        QCOMPARE(extra->data()->size(), 60);
        QCOMPARE(extra->data()->at(10)->value, 200.0);
        QCOMPARE(extra->data()->at(10)->key, graphNamed(plot, "Graph")->data()->at(10)->key);
        QCOMPARE(plot->yAxis2->label(), QString("Irradiance"));
        QCOMPARE(plot->yAxis2->range().upper, 1650.0); // the roof's full scale, not the first tile's

        for (const QSize& size : {QSize(1920, 1080), QSize(1024, 600)}) {
            fs->setWindowState(Qt::WindowNoState);
            fs->setGeometry(QRect(QPoint(0, 0), size));
            QTRY_COMPARE(fs->size(), size);
            QMetaObject::invokeMethod(&w, "TheSlowTimer");
            testsupport::saveGrab(fs, QString("fullscreen-plant-%1x%2").arg(size.width()).arg(size.height()));
        }

        // Choosing none on the same tile clears the plant's probe; the curve goes.
        QCOMPARE(openProbeWindow(roof), probeWindow); // the same window, shown again
        QVERIFY(probeWindow->findChild<QRadioButton*>("Choose_1")->isChecked());
        press(probeWindow->findChild<QRadioButton*>("Choose_None"));
        QTest::mouseClick(probeWindow->findChild<QPushButton*>("pushButtonApply"), Qt::LeftButton);
        QTRY_COMPARE(w.probeIp(), QString());
        QMetaObject::invokeMethod(&w, "TheSlowTimer");
        QVERIFY(!graphNamed(plot, "Graphextra") && !plot->yAxis2->visible());
    }
};

VELORA_CONSOLE_TEST_MAIN(TestE2eFullScreen)
#include "tst_e2e_fullscreen.moc"
