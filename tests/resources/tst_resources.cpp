// Every picture the console's windows, tiles and buttons name is compiled in,
// loads and shows something; the button and tile pictures fit their widgets.
#include <QImage>
#include <QtTest>

class TestResources : public QObject
{
    Q_OBJECT
private slots:
    void imageLoads_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size"); // invalid: drawn scaled or at its own size
        const auto add = [](QSize size, const char* names) {
            for (const QString& name : QString(names).split(' '))
                QTest::newRow(qPrintable(name)) << ":/" + name + ".png" << size;
        };
        add({40, 40},
            "Add AddG buttonFullScreen buttonFullScreenG commands commandsG Tools ToolsG Down DownG "
            "buttonquit buttonquitG apply applyG Left LeftG");
        add({30, 30}, "ico-Warn ico-WarnG graphs30x30 graphs30x30G myGauge myGaugeG Zero0 Zero1 Zero2 "
                      "Uno0 Uno1 Uno2 Due0 Due1 Due2 Tre0 Tre1 Tre2 Quattro0 Quattro1 Quattro2");
        add({81, 81}, "centr centr2 centrB centr2B ZETA StringBox_01");
        add({35, 35},
            "raddr_nero raddr_grigio raddr_arancio inv_nero inv_grigio inv_arancio inv_rosso batt_nero "
            "batt_grigio byp_nero byp_grigio");
        add({10, 10}, "TriangoloBianco TriangoloGrigio TriangoloAzzurro TriangoloBlu TriangoloRosso L_DOWN "
                      "L_DOWN_G L_DOWN_R UP_R_B UP_R_R SQ_GRAY");
        add({8, 19}, "AU AD");
        add({}, "topbarR Warn yes no wait remote fs_tree fs_oil fs_co2 Logo Earth Pannello2 Grid3 house "
                "ArrowOrange1 ArrowBlue1");
    }
    void imageLoads()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        const QImage image = QImage(file).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!image.isNull());
        bool visible = false;
        for (int y = 0; y < image.height() && !visible; ++y)
            for (int x = 0; x < image.width() && !visible; ++x)
                visible = qAlpha(image.pixel(x, y)) > 128;
        QVERIFY2(visible, "blank picture");
        if (size.isValid())
            QCOMPARE(image.size(), size);
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
