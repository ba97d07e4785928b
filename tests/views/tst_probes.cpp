// Probe rules: mask, count and button pictures, value texts and full scales
// at their bounds, signed readings, and the chosen probe's curve from the
// daily log.
#include "probes.h"
#include "registerblocks.h"
#include "storagepaths.h"
#include "testsupport.h"

#include <QLoggingCategory>
#include <QtTest>

#include <cmath>

namespace {
// "1,2,nan" for a curve, so table rows read as the plot's slots.
QString slotText(const QVector<double>& curve)
{
    QStringList out;
    for (double v : curve)
        out << (std::isnan(v) ? QString("nan") : QString::number(v));
    return out.join(',');
}
// A daily log record at the time with probe p's column holding probe[p - 1] and every other column 7.
QByteArray record(const char* time, const QVector<double>& probe, int values = 29)
{
    QVector<double> v(values, 7.0);
    for (int p = 1; p <= probes::Count; ++p)
        v[probes::FirstLogColumn + p - 1] = probe.value(p - 1);
    return testsupport::logRecord(QTime::fromString(time, "hh:mm"), v);
}
} // namespace

class TestProbes : public QObject
{
    Q_OBJECT
private slots:
    void maskAndButton_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<bool>("zetaOnLegacy");
        QTest::addColumn<QString>("shown"); // probes whose rows show
        QTest::addColumn<QString>("name");
        QTest::newRow("none") << 0x0 << false << ""
                              << "Zero";
        QTest::newRow("probes 1 and 3") << 0x5 << false << "13"
                                        << "Due";
        QTest::newRow("bits above 3 ignored") << 0xFFF2 << false << "2"
                                              << "Uno";
        QTest::newRow("Zeta on the legacy protocol") << 0x7 << true << "123"
                                                     << "Zero";
    }
    void maskAndButton()
    {
        QFETCH(int, mask);
        QFETCH(bool, zetaOnLegacy);
        QFETCH(QString, name);
        QString rows;
        for (int p = 0; p <= 5; ++p)
            if (probes::isConfigured(mask, p))
                rows += QString::number(p);
        QTEST(rows, "shown");
        const int count = probes::GetNumberOfProbesConfigured(mask, zetaOnLegacy);
        QCOMPARE(probes::buttonImage(count, true), name + "1.png");
        QCOMPARE(probes::buttonHoverImage(count), name + "2.png");
    }

    // The extreme readings, and the full scale of probes out of range.
    void bounds()
    {
        QCOMPARE(probes::valueText(short(32767), "W/m2"), QString("3276.70  W/m2"));
        QCOMPARE(probes::valueText(short(-32768), "m/s"), QString("-3276.80  m/s"));
        const unsigned short maxima[probes::Count] = {1200, 90, 50, 30};
        QCOMPARE(probes::probeMax(maxima, 4), 30.0);
        for (int outside : {-1, 0, 5})
            QCOMPARE(probes::probeMax(maxima, outside), 100.0);
        unsigned short measures[registerblocks::MeasuresWords] = {};
        measures[34] = 0xFFE7; // -25
        measures[36] = 123;
        measures[33] = measures[38] = 0xAAAA; // neighbours are not probes
        probes::ProbeSet set;
        set.setReadings(measures);
        QCOMPARE(QVector<short>(set.readings, set.readings + 4), (QVector<short>{-25, 0, 123, 0}));
    }

    void curveFromTheDailyLog_data()
    {
        QTest::addColumn<QByteArray>("log"); // after the two header lines; "none" for no file
        QTest::addColumn<int>("probe");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<QString>("curve");
        const QVector<double> p = {1.5, 2, 3, 4};
        QTest::newRow("gap inside the day")
            << record("05:05", {1}) + record("05:10", {2}) + record("05:25", {5}) << 1 << false
            << "1,2,nan,nan,5";
        QTest::newRow("time off the 5-minute grid") << record("05:07", {5}) << 1 << false << "nan,5";
        QTest::newRow("probe 4 reads its own column") << record("05:05", p) << 4 << false << "4";
        QTest::newRow("before 05:05 and after 22:00 left out")
            << record("04:55", {9}) + record("05:00", {9}) + record("05:05", {1}) + record("22:05", {9}) << 1
            << false << "1";
        QTest::newRow("22:00 is the last slot") << record("05:05", {1}) + record("22:00", {2}) << 1 << false
                                                << "1," + QString("nan,").repeated(202) + "2";
        QTest::newRow("short record reads 0") << QByteArray("05:05;1;2;3\n") << 2 << false << "0";
        QTest::newRow("hostile lines skipped")
            << QByteArray("garbage\n") + QByteArray(5000, 'x') + "\n;;;\n99:99;1\n" + record("05:05", {3})
            << 1 << false << "3";
        QTest::newRow("empty log") << QByteArray() << 1 << false << "";
        QTest::newRow("Zeta log has no probe column") << record("05:05", p, 30) << 1 << true << "";
        QTest::newRow("probe 0") << record("05:05", p) << 0 << false << "";
        QTest::newRow("probe 5") << record("05:05", p) << 5 << false << "";
        QTest::newRow("no log") << QByteArray("none") << 1 << false << "";
    }
    void curveFromTheDailyLog()
    {
        QFETCH(QByteArray, log);
        QFETCH(int, probe);
        QFETCH(bool, zeta);
        QTemporaryDir folder;
        const QDate day(2026, 3, 7);
        if (log != "none") {
            QFile f(folder.filePath(StoragePaths::dailyLogName(day)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("header one\nheader two\n" + log);
        }
        QTEST(slotText(probes::UpdateLocalMeasure(folder.path(), probe, zeta, day)), "curve");
        // Yesterday's log is not today's; a missing log leaves its trace.
        QLoggingCategory::setFilterRules("velora.views.debug=true");
        QTest::ignoreMessage(QtDebugMsg, "UpdateLocalMeasure: LOG IS NOT THERE");
        QVERIFY(probes::UpdateLocalMeasure(folder.path(), probe, zeta, day.addDays(1)).isEmpty());
        QLoggingCategory::setFilterRules("velora.views.debug=false");
    }
};

QTEST_GUILESS_MAIN(TestProbes)
#include "tst_probes.moc"
