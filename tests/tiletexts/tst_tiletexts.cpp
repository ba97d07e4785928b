// The tile's texts, images and bar values.

#include "tiletexts.h"

#include <QtTest>

class TestTileTexts : public QObject
{
    Q_OBJECT
private slots:
    void power_data()
    {
        QTest::addColumn<double>("watts");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<QString>("text");
        QTest::newRow("zeta in W") << 2500.0 << true << "2500.0 W";
        QTest::newRow("others in kW") << 2500.0 << false << "2.5 kW";
        QTest::newRow("kW rounds to one decimal") << 1260.0 << false << "1.3 kW";
        QTest::newRow("zero") << 0.0 << false << "0.0 kW";
    }
    void power()
    {
        QFETCH(double, watts);
        QFETCH(bool, zeta);
        QTEST(TileTexts::powerText(watts, zeta), "text");
    }
    void energy_data()
    {
        QTest::addColumn<qlonglong>("tenths");
        QTest::addColumn<QString>("text");
        QTest::newRow("small") << 125LL << "12.5 kWh";
        QTest::newRow("whole") << 100LL << "10 kWh";
        QTest::newRow("five digits keep one decimal") << 123456LL << "12345.6 kWh";
        QTest::newRow("six digits round") << 1234567LL << "123457 kWh";
        QTest::newRow("seven digits switch to exponent") << 12345678LL << "1.23457e+06 kWh";
        QTest::newRow("zero") << 0LL << "0 kWh";
    }
    void energy()
    {
        QFETCH(qlonglong, tenths);
        QTEST(TileTexts::energyText(long(tenths)), "text");
    }
    void bar_data()
    {
        QTest::addColumn<double>("power");
        QTest::addColumn<double>("nominal");
        QTest::addColumn<int>("kvpac");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("label");
        QTest::newRow("kvpac 100") << 1500.0 << 3000.0 << 100 << 50 << "50.0%";
        QTest::newRow("kvpac 110") << 1500.0 << 3000.0 << 110 << 45 << "45.5%";
        QTest::newRow("truncated bar") << 2999.0 << 3000.0 << 100 << 99 << "100.0%";
        QTest::newRow("idle") << 0.0 << 3000.0 << 100 << 0 << "0.0%";
        QTest::newRow("over full scale keeps the bar full") << 3300.0 << 3000.0 << 100 << 100 << "110.0%";
        QTest::newRow("kvpac 0") << 1500.0 << 3000.0 << 0 << 0 << "---%";
        QTest::newRow("nominal 0") << 1500.0 << 0.0 << 100 << 0 << "---%";
    }
    void bar()
    {
        QFETCH(double, power);
        QFETCH(double, nominal);
        QFETCH(int, kvpac);
        QFETCH(int, value);
        QFETCH(QString, label);
        const TileTexts::BarValue bar = TileTexts::barPercent(power, nominal, kvpac);
        QCOMPARE(bar.value, value);
        QCOMPARE(bar.label, label);
        QCOMPARE(bar.valid, label != "---%");
    }
    void temperature_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("text");
        QTest::newRow("warm") << 456 << "T = 45.6 °C";
        QTest::newRow("no reading") << 0xFFFF << "T = --- °C";
    }
    void temperature()
    {
        QFETCH(int, word);
        QTEST(TileTexts::temperatureText(quint16(word)), "text");
    }
    void stamp_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("image");
        QTest::addColumn<bool>("alarm");
        QTest::newRow("running") << 1 << ":/yes.png" << false;
        QTest::newRow("alarm 3") << 3 << ":/no.png" << true;
        QTest::newRow("alarm 5") << 5 << ":/no.png" << true;
        QTest::newRow("waiting 0") << 0 << ":/wait.png" << false;
        QTest::newRow("waiting 4") << 4 << ":/wait.png" << false;
    }
    void stamp()
    {
        QFETCH(int, state);
        QTEST(TileTexts::stampImage(state), "image");
        QTEST(TileTexts::isAlarmState(state), "alarm");
    }
    void iconsAndNominal_data()
    {
        QTest::addColumn<double>("nominal");
        QTest::addColumn<bool>("alternative");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("label");
        QTest::newRow("small") << 3000.0 << false << ":/centr.png"
                               << "K3";
        QTest::newRow("small alternative") << 3600.0 << true << ":/centrB.png"
                                           << "K3";
        QTest::newRow("just below big") << 199999.0 << false << ":/centr.png"
                                        << "K199";
        QTest::newRow("big") << 200000.0 << false << ":/centr2.png"
                             << "K200";
        QTest::newRow("big alternative") << 250000.0 << true << ":/centr2B.png"
                                         << "K250";
    }
    void iconsAndNominal()
    {
        QFETCH(double, nominal);
        QFETCH(bool, alternative);
        QTEST(TileTexts::iconForNominal(nominal, alternative), "icon");
        QTEST(TileTexts::nominalLabel(false, false, nominal), "label");
    }
    void labels()
    {
        QCOMPARE(TileTexts::nominalLabel(true, false, 3000.0), QString("ZETA 3000"));
        QCOMPARE(TileTexts::nominalLabel(true, true, 4600.0), QString("EASY 4600"));
        QCOMPARE(TileTexts::lastSeenText(QDateTime(QDate(2016, 3, 7), QTime(4, 5, 9))),
                 QString("Last seen: 07-03-2016 04:05:09"));
        QVERIFY(!TileTexts::vncToolTip(true).isEmpty());
        QVERIFY(TileTexts::vncToolTip(false).isEmpty());
    }
    void stringBox_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bar");
        QTest::newRow("15 A") << 150 << "15.0A" << 75;
        QTest::newRow("full scale") << 200 << "20.0A" << 100;
        QTest::newRow("odd tenths") << 3 << "0.3A" << 1;
        QTest::newRow("over full scale") << 300 << "30.0A" << 100;
    }
    void stringBox()
    {
        QFETCH(int, word);
        QTEST(TileTexts::stringBoxCurrentText(quint16(word)), "text");
        QTEST(TileTexts::stringBoxBarValue(quint16(word)), "bar");
    }
    void stringBoxWordsLowByteFirst()
    {
        unsigned char block[16] = {};
        block[0] = 150; // word 0 = 150
        block[14] = 0x34;
        block[15] = 0x12; // word 7 = 0x1234
        QCOMPARE(TileTexts::stringBoxWord(block, 0), quint16(150));
        QCOMPARE(TileTexts::stringBoxWord(block, 7), quint16(0x1234));
        QCOMPARE(TileTexts::stringBoxWord(block, 8), quint16(0));
    }
    void graphScale_data()
    {
        QTest::addColumn<double>("nominal");
        QTest::addColumn<int>("scale");
        QTest::newRow("unknown") << 0.0 << 1;
        QTest::newRow("50 kW") << 50000.0 << 1;
        QTest::newRow("above 50 kW") << 50001.0 << 3;
        QTest::newRow("250 kW") << 250000.0 << 3;
        QTest::newRow("above 250 kW") << 250001.0 << 6;
    }
    void graphScale()
    {
        QFETCH(double, nominal);
        QTEST(TileTexts::graphPowerScale(nominal), "scale");
    }
    void miniPlot()
    {
        QVector<quint16> samples(204, 0);
        samples[0] = 250;
        samples[203] = 1000;
        QVector<double> x, y;
        TileTexts::miniPlot(samples, false, &x, &y);
        QCOMPARE(x.size(), 204);
        QCOMPARE(x.first(), 5.0);
        QCOMPARE(x.last(), 22.0);
        QVERIFY(x.at(1) > 5.0 && x.at(1) < 5.1); // equal steps, not whole hours
        QCOMPARE(y.first(), 2.5);
        QCOMPARE(y.last(), 10.0);
        TileTexts::miniPlot(samples, true, &x, &y);
        QCOMPARE(y.size(), 204);
        QCOMPARE(y.first(), 25.0);
    }
};

QTEST_GUILESS_MAIN(TestTileTexts)
#include "tst_tiletexts.moc"
