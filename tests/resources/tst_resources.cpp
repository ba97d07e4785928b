// Every picture the console's windows, tiles and buttons name is compiled in,
// loads and shows something.
#include <QImage>
#include <QtTest>

class TestResources : public QObject
{
    Q_OBJECT
private slots:
    void imageLoads_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString& name :
             QString("Add AddG buttonFullScreen buttonFullScreenG commands commandsG Tools "
                     "ToolsG Down DownG buttonquit buttonquitG apply applyG Left LeftG "
                     "ico-Warn ico-WarnG graphs30x30 graphs30x30G myGauge myGaugeG Zero0 "
                     "Zero1 Zero2 Uno0 Uno1 Uno2 Due0 Due1 Due2 Tre0 Tre1 Tre2 Quattro0 "
                     "Quattro1 Quattro2 centr centr2 centrB centr2B ZETA StringBox_01 "
                     "raddr_nero raddr_grigio raddr_arancio inv_nero inv_grigio inv_arancio "
                     "inv_rosso batt_nero batt_grigio byp_nero byp_grigio TriangoloBianco "
                     "TriangoloGrigio TriangoloAzzurro TriangoloBlu TriangoloRosso L_DOWN "
                     "L_DOWN_G L_DOWN_R UP_R_B UP_R_R SQ_GRAY AU AD topbarR Warn yes no "
                     "wait remote fs_tree fs_oil fs_co2 Logo Earth Pannello2 Grid3 house "
                     "ArrowOrange1 ArrowBlue1")
                 .split(' '))
            QTest::newRow(qPrintable(name)) << ":/" + name + ".png";
    }
    void imageLoads()
    {
        QFETCH(QString, file);
        const QImage image = QImage(file).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!image.isNull());
        bool visible = false;
        for (int y = 0; y < image.height() && !visible; ++y)
            for (int x = 0; x < image.width() && !visible; ++x)
                visible = qAlpha(image.pixel(x, y)) > 128;
        QVERIFY2(visible, "blank picture");
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
