#include "plantsummary.h"

#include <QtTest>

Q_DECLARE_METATYPE(TileReading)

namespace {
TileReading reading(bool connected, bool stringBox, bool alarm, double power)
{
    TileReading r;
    r.connected = connected;
    r.stringBox = stringBox;
    r.inAlarm = alarm;
    r.power = power;
    r.nominal = 3000;
    r.kvpac = 100;
    r.dailyEnergy = 10;
    r.totalEnergy = 5;
    return r;
}
} // namespace

class TestPlantSummary : public QObject
{
    Q_OBJECT
private slots:
    void summary_data()
    {
        QTest::addColumn<QVector<TileReading>>("tiles");
        QTest::addColumn<bool>("unconfigured");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("nominal");
        QTest::newRow("two connected")
            << QVector<TileReading>{reading(true, false, false, 1500), reading(true, false, false, 2250)}
            << false << "Total power: 3.75 kW, 2 equipments. No alarms." << 6000.0;
        QTest::newRow("string box skipped")
            << QVector<TileReading>{reading(true, true, true, 9000), reading(true, false, false, 1000)}
            << false << "Total power: 1.00 kW, 2 equipments. No alarms." << 3000.0;
        QTest::newRow("only string boxes") << QVector<TileReading>{reading(true, true, false, 500)} << false
                                           << "Total power: 0.00 kW, 1 equipments. No alarms." << 0.0;
        QTest::newRow("disconnected alarm not counted")
            << QVector<TileReading>{reading(false, false, true, 4000), reading(true, false, false, 10)}
            << false << "Total power: 0.01 kW, 2 equipments. No alarms." << 3000.0;
        QTest::newRow("connected alarm") << QVector<TileReading>{reading(true, false, true, 0)} << true
                                         << "Total power: 0.00 kW, 1 equipments. At least one equipment is "
                                            "in alarm. [Unconfigured equip. present]"
                                         << 3000.0;
    }
    void summary()
    {
        QFETCH(QVector<TileReading>, tiles);
        QFETCH(bool, unconfigured);
        QFETCH(QString, text);
        QFETCH(double, nominal);
        const PlantTotals t = plantsummary::sum(tiles);
        QCOMPARE(plantsummary::totalPowerText(t, tiles.size(), unconfigured), text);
        QCOMPARE(t.nominalPower, nominal);
    }
    void sumsEnergiesAndRating()
    {
        const PlantTotals t =
            plantsummary::sum({reading(true, false, false, 100), reading(true, false, false, 100),
                               reading(false, false, false, 7)});
        QCOMPARE(t.dailyEnergy, 20.0);
        QCOMPARE(t.totalEnergy, 10.0);
        QCOMPARE(t.ratingSum, 600.0);
        QCOMPARE(plantsummary::totPowText(t), QString("0.20 kW"));
    }
    void dateTime()
    {
        const QDateTime at(QDate(2026, 3, 5), QTime(4, 3, 9));
        QCOMPARE(plantsummary::dateTimeText(at), QString("5/3/2026 - 4:03:09"));
    }
    void curveSumIsBounded()
    {
        QVector<double> sum;
        plantsummary::addCurve(sum, QVector<double>(204, 1.0));
        plantsummary::addCurve(sum, QVector<double>(5000, 2.0));
        QCOMPARE(sum.size(), plantsummary::SumCapacity);
        QCOMPARE(sum[0], 3.0);
        QCOMPARE(sum[203], 3.0);
        QCOMPARE(sum[204], 2.0);
        QCOMPARE(sum.last(), 2.0);
    }
};

QTEST_GUILESS_MAIN(TestPlantSummary)
#include "tst_plantsummary.moc"
