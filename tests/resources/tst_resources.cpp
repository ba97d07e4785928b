// The console's images: every picture a window, tile or button names must be
// compiled in, load, show something, and fit the widget that shows it.

#include <QImage>
#include <QtTest>

namespace {

// Widget sizes the pictures are drawn for; an invalid size means the widget
// scales the picture freely.
const QSize kSideButton(40, 40);
const QSize kTileButton(30, 30);
const QSize kTileIcon(81, 81);
const QSize kStamp(22, 22);
const QSize kTpxBlock(35, 35);
const QSize kTpxPiece(10, 10);
const QSize kFree;

bool hasVisiblePixels(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) > 128)
                return true;
    return false;
}

const char* const kProbeNames[] = {"Zero", "Uno", "Due", "Tre", "Quattro"};

} // namespace

class TestResources : public QObject
{
    Q_OBJECT
private slots:
    void imageLoads_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        const auto row = [](const char* name, QSize size) { QTest::newRow(name) << QString(name) << size; };
        // Plant window.
        for (const char* name : {"Add.png", "AddG.png", "buttonFullScreen.png", "buttonFullScreenG.png",
                                 "commands.png", "commandsG.png", "Tools.png", "ToolsG.png", "Down.png",
                                 "DownG.png", "buttonquit.png", "buttonquitG.png"})
            row(name, kSideButton);
        row("topbarR.png", QSize(929, 59));
        row("Warn.png", QSize(81, 91));
        // Tile.
        for (const char* name :
             {"centr.png", "centr2.png", "centrB.png", "centr2B.png", "ZETA.png", "StringBox_01.png"})
            row(name, kTileIcon);
        for (const char* name : {"yes.png", "no.png", "wait.png"})
            row(name, kStamp);
        row("remote.png", QSize(16, 16));
        for (const char* name : {"ico-Warn.png", "ico-WarnG.png", "graphs30x30.png", "graphs30x30G.png",
                                 "myGauge.png", "myGaugeG.png"})
            row(name, kTileButton);
        for (const char* probes : kProbeNames)
            for (int look = 0; look < 3; ++look) {
                const QByteArray name = QByteArray(probes) + QByteArray::number(look) + ".png";
                row(name.constData(), kTileButton);
            }
        // Daily graph window.
        for (const char* name : {"apply.png", "applyG.png", "Left.png", "LeftG.png"})
            row(name, kSideButton);
        // Full-screen summary.
        for (const char* name : {"fs_tree.png", "fs_oil.png", "fs_co2.png"})
            row(name, QSize(100, 100));
        row("Logo.png", kFree);
        row("Earth.png", kFree);
        // Measures window.
        row("Pannello2.png", QSize(80, 80));
        row("Grid3.png", QSize(80, 80));
        row("house.png", QSize(60, 60));
        row("ArrowOrange1.png", kFree);
        row("ArrowBlue1.png", kFree);
        // TPX synoptic.
        for (const char* name :
             {"raddr_nero.png", "raddr_grigio.png", "raddr_arancio.png", "inv_nero.png", "inv_arancio.png",
              "inv_rosso.png", "batt_nero.png", "batt_grigio.png", "byp_nero.png", "byp_grigio.png"})
            row(name, kTpxBlock);
        for (const char* name : {"TriangoloBianco.png", "TriangoloGrigio.png", "TriangoloAzzurro.png",
                                 "TriangoloBlu.png", "TriangoloRosso.png", "L_DOWN.png", "L_DOWN_G.png",
                                 "L_DOWN_R.png", "UP_R_B.png", "UP_R_R.png", "SQ_GRAY.png"})
            row(name, kTpxPiece);
        row("AU.png", QSize(8, 19));
        row("AD.png", QSize(8, 19));
    }
    void imageLoads()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QImage image(":/" + name);
        QVERIFY2(!image.isNull(), qPrintable(name));
        QVERIFY2(hasVisiblePixels(image), qPrintable(name + " is blank"));
        if (size.isValid())
            QCOMPARE(image.size(), size);
    }

    // A hover picture is the same size as its normal picture but looks different.
    void hoverDiffers_data()
    {
        QTest::addColumn<QString>("normal");
        QTest::addColumn<QString>("hover");
        for (const char* base : {"Add", "buttonFullScreen", "commands", "Tools", "Down", "buttonquit",
                                 "ico-Warn", "graphs30x30", "myGauge", "apply", "Left"})
            QTest::newRow(base) << QString("%1.png").arg(base) << QString("%1G.png").arg(base);
        for (const char* probes : kProbeNames)
            QTest::newRow(probes) << QString(probes) + "0.png" << QString(probes) + "2.png";
    }
    void hoverDiffers()
    {
        QFETCH(QString, normal);
        QFETCH(QString, hover);
        const QImage a(":/" + normal), b(":/" + hover);
        QCOMPARE(a.size(), b.size());
        QVERIFY(a.convertToFormat(QImage::Format_ARGB32) != b.convertToFormat(QImage::Format_ARGB32));
    }

    // The probe button tells apart the number of probes and whether one is chosen.
    void probePicturesAreDistinct()
    {
        QList<QImage> seen;
        for (const char* probes : kProbeNames)
            for (int look = 0; look < 3; ++look) {
                const QImage image = QImage(QString(":/%1%2.png").arg(probes).arg(look))
                                         .convertToFormat(QImage::Format_ARGB32);
                QVERIFY2(!seen.contains(image), probes);
                seen.append(image);
            }
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
