// The tile's texts and bar values at their edges; the ordinary values as a
// board serves them are drawn in tst_invbutton.
#include "tiletexts.h"

#include <QtTest>

class TestTileTexts : public QObject
{
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("others in kW, one decimal") << TileTexts::powerText(1260, false) << "1.3 kW";
        QTest::newRow("five digits keep a decimal") << TileTexts::energyText(123456) << "12345.6 kWh";
        QTest::newRow("six significant digits") << TileTexts::energyText(1234567) << "123457 kWh";
        QTest::newRow("then the exponent") << TileTexts::energyText(12345678) << "1.23457e+06 kWh";
    }
    void texts()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
    }
    void bar_data()
    {
        QTest::addColumn<double>("power");
        QTest::addColumn<double>("nominal");
        QTest::addColumn<int>("kvpac");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("label");
        QTest::newRow("bar truncates") << 2999.0 << 3000.0 << 100 << 99 << "100.0%";
        QTest::newRow("over full scale") << 3300.0 << 3000.0 << 100 << 100 << "110.0%";
        QTest::newRow("kvpac 0") << 1500.0 << 3000.0 << 0 << 0 << "---%";
        QTest::newRow("nominal 0") << 1500.0 << 0.0 << 100 << 0 << "---%";
    }
    void bar()
    {
        QFETCH(double, power);
        QFETCH(double, nominal);
        QFETCH(int, kvpac);
        QFETCH(QString, label);
        const TileTexts::BarValue bar = TileTexts::barPercent(power, nominal, kvpac);
        QTEST(bar.value, "value");
        QCOMPARE(bar.label, label);
        QCOMPARE(bar.valid, label != "---%");
    }
};

QTEST_GUILESS_MAIN(TestTileTexts)
#include "tst_tiletexts.moc"
