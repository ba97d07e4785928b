// The full-screen summary's texts, time axis and axis ranges at their limits.
#include "fullscreensummary.h"

#include <QDateTime>
#include <QtTest>

#include <limits>

using namespace FullScreenSummary;

class TestFullScreenSummary : public QObject
{
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("CO2 just under 1000 kg") << "co2" << 1538.0 << "= 999.70 kg";
        QTest::newRow("CO2 just over 1000 kg") << "co2" << 1539.0 << "= 1.00 t";
        QTest::newRow("share of a plant without rating") << "share" << 0.0 << "0.00 %";
        QTest::newRow("share inf") << "share" << inf << "0.00 %";
        QTest::newRow("share nan") << "share" << nan << "0.00 %";
    }
    void texts()
    {
        QFETCH(QString, kind);
        QFETCH(double, value);
        QTEST(kind == "co2" ? co2Text(value) : shareText(value), "text");
    }

    void timeAxis_data()
    {
        QTest::addColumn<int>("points");
        QTest::newRow("a day of samples") << 204;
        QTest::newRow("none") << 0;
        QTest::newRow("negative") << -3;
    }
    void timeAxis()
    {
        QFETCH(int, points);
        const QDate day(2026, 6, 21);
        const QVector<double> x = FullScreenSummary::timeAxis(points, day);
        QCOMPARE(x.size(), qMax(points, 0));
        if (points > 0) // the last sample is the one before 22:00
            QCOMPARE(QDateTime::fromSecsSinceEpoch(qint64(x.last())), QDateTime(day, QTime(21, 55)));
    }

    void axisTops_data()
    {
        QTest::addColumn<double>("nominal");
        QTest::addColumn<QVector<double>>("curve");
        QTest::addColumn<double>("top");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("nominal power") << 10000.0 << QVector<double>{50} << 11.0;
        QTest::newRow("no nominal power: the curve") << 0.0 << QVector<double>{1, 4, nan, 2} << 4.4;
        QTest::newRow("no nominal power, flat curve") << 0.0 << QVector<double>{0, 0} << 1.0;
        QTest::newRow("no nominal power, no curve") << 0.0 << QVector<double>{} << 1.0;
        QTest::newRow("nominal not a number") << nan << QVector<double>{3} << 3.3;
    }
    void axisTops()
    {
        QFETCH(double, nominal);
        QFETCH(QVector<double>, curve);
        QFETCH(double, top);
        QCOMPARE(powerAxisTop(nominal, curve), top);
        // The probe axis: the same fallback for a full scale of 0.
        QCOMPARE(extraAxisTop(0, curve), nominal > 0 ? 1.1 * 50 : top);
    }
};

QTEST_GUILESS_MAIN(TestFullScreenSummary)
#include "tst_fullscreensummary.moc"
