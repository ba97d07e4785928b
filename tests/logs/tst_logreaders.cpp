// Reading the copied daily and totals logs, and the monthly energy cache.

#include "dailylog.h"
#include "storagepaths.h"
#include "totalslog.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), qint64(content.size()));
}

// "hh:mm" followed by count values i + offset.
QByteArray record(const char* time, int count, double offset = 0.0)
{
    QByteArray line(time);
    for (int i = 0; i < count; ++i)
        line += ';' + QByteArray::number(i + offset);
    return line + '\n';
}

const QByteArray headers = "Header one;a;b\n05:00;9;9;9\n"; // the second header looks like a record

} // namespace

class TestLogReaders : public QObject
{
    Q_OBJECT
private slots:
    void records_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("isRecord");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QVector<double>>("firstValues"); // the rest must be 0
        QTest::newRow("full") << "06:30;1.5;230;-2" << true << 390 << QVector<double>{1.5, 230, -2};
        QTest::newRow("unreadable value") << "06:30;x;2" << true << 390 << QVector<double>{0, 2};
        QTest::newRow("empty value") << "06:30;;2" << true << 390 << QVector<double>{0, 2};
        QTest::newRow("comma is no decimal point") << "06:30;1,5" << true << 390 << QVector<double>{1};
        QTest::newRow("exponent") << "06:30;2.5e2" << true << 390 << QVector<double>{250};
        QTest::newRow("no value is no number") << "06:30;nan;inf" << true << 390 << QVector<double>{0, 0};
        QTest::newRow("time only") << "21:55" << true << 1315 << QVector<double>{};
        QTest::newRow("no time") << ";1;2" << false << 0 << QVector<double>{};
        QTest::newRow("text") << "garbage" << false << 0 << QVector<double>{};
        QTest::newRow("hours only") << "12;1" << false << 0 << QVector<double>{};
        QTest::newRow("hour 24") << "24:00;1" << false << 0 << QVector<double>{};
        QTest::newRow("minute 60") << "05:60;1" << false << 0 << QVector<double>{};
        QTest::newRow("two colons") << "05:00:00;1" << false << 0 << QVector<double>{};
    }
    void records()
    {
        QFETCH(QString, line);
        QFETCH(bool, isRecord);
        QFETCH(int, minutes);
        QFETCH(QVector<double>, firstValues);
        for (const bool zeta : {false, true}) {
            DailyLogRecord r;
            QCOMPARE(DailyLog::parseRecord(line, DailyLog::valueCount(zeta), &r), isRecord);
            if (!isRecord)
                continue;
            QCOMPARE(r.minutes, minutes);
            QCOMPARE(r.values.size(), zeta ? 30 : 29);
            for (int i = 0; i < r.values.size(); ++i)
                QCOMPARE(r.values.at(i), firstValues.value(i));
        }
    }
    void extraValuesAreIgnored()
    {
        DailyLogRecord r;
        QVERIFY(DailyLog::parseRecord(QString::fromLatin1(record("07:00", 31)).trimmed(), 29, &r));
        QCOMPARE(r.values.size(), 29);
        QCOMPARE(r.values.last(), 28.0);
    }
    void lineLengthLimit_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("kept");
        QTest::newRow("1023 characters") << 1023 << true;
        QTest::newRow("1024 characters") << 1024 << false;
    }
    void lineLengthLimit()
    {
        QFETCH(int, length);
        QFETCH(bool, kept);
        QByteArray line = "06:00;1";
        line += QByteArray(length - line.size(), ' ');
        for (const QByteArray& end : {QByteArray("\n"), QByteArray("\r\n")}) {
            QBuffer buffer;
            buffer.setData(headers + line + end + record("06:05", 1));
            QVERIFY(buffer.open(QIODevice::ReadOnly | QIODevice::Text));
            const DailyLogData data = DailyLog::read(&buffer, false);
            QCOMPARE(data.records.size(), kept ? 2 : 1);
            QCOMPARE(data.records.last().minutes, 365);
            QCOMPARE(data.skippedLines, kept ? 0 : 1);
        }
    }
    void leadingZeros_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("zeros");
        QTest::newRow("before five") << 4 * 60 << 0;
        QTest::newRow("05:00") << 300 << 0;
        QTest::newRow("05:05") << 305 << 0;
        QTest::newRow("05:06 rounds up") << 306 << 1;
        QTest::newRow("06:00") << 360 << 11;
        QTest::newRow("22:00") << 22 * 60 << 203;
    }
    void leadingZeros()
    {
        QFETCH(int, minutes);
        QTEST(DailyLog::leadingZeroSlots(minutes), "zeros");
    }

    void readsFile_data()
    {
        QTest::addColumn<bool>("zeta");
        QTest::newRow("standard") << false;
        QTest::newRow("zeta") << true;
    }
    void readsFile()
    {
        QFETCH(bool, zeta);
        const int n = DailyLog::valueCount(zeta);
        QTemporaryDir dir;
        const QString path = dir.filePath("DP_2016_03_07.log");
        QByteArray overlong = "07:00;" + QByteArray(1100, '1') + ";\n";
        overlong.replace(1023, 12, "08:00;5;5;5;"); // what a cut line would turn into a record
        QByteArray content = headers + record("06:00", n) + "\n" + "\r\n" + "not a record\n" + overlong +
                             "06:05;1;2\r\n" + record("06:10", n, 100).trimmed(); // last line without "\n"
        writeFile(path, content);

        const DailyLogData data = DailyLog::read(path, zeta);
        QVERIFY(data.opened);
        QCOMPARE(data.valueCount, n);
        QCOMPARE(data.records.size(), 3);
        QCOMPARE(data.skippedLines, 2);
        QCOMPARE(data.records.at(0).minutes, 360);
        QCOMPARE(data.records.at(1).values.mid(0, 3), (QVector<double>{1, 2, 0}));
        QCOMPARE(data.records.at(2).values.last(), n - 1 + 100.0);

        const QVector<QVector<double>> series = data.series();
        QCOMPARE(series.size(), n);
        QCOMPARE(data.leadingZeroSlots(), 11);
        for (int c = 0; c < n; ++c) {
            QCOMPARE(series.at(c).size(), 11 + 3);
            QCOMPARE(series.at(c).at(10), 0.0);
            QCOMPARE(series.at(c).at(11), double(c));
            QCOMPARE(series.at(c).at(13), c + 100.0);
        }
    }
    void noData_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<bool>("opened");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("empty") << QByteArray("") << true;
        QTest::newRow("headers only") << headers << true;
        QTest::newRow("one header") << QByteArray("05:10;1;2\n") << true;
    }
    void noData()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, opened);
        QTemporaryDir dir;
        const QString path = dir.filePath("DP.log");
        if (!content.isNull())
            writeFile(path, content);
        const DailyLogData data = DailyLog::read(path, false);
        QCOMPARE(data.opened, opened);
        QVERIFY(data.isEmpty());
        QCOMPARE(data.leadingZeroSlots(), 0);
        QCOMPARE(data.series().size(), 29);
        QVERIFY(data.series().first().isEmpty());
    }
    void completeDay_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("complete");
        QTest::newRow("202 lines") << 202 << false;
        QTest::newRow("203 lines") << 203 << true;
        QTest::newRow("204 lines") << 204 << true;
    }
    void completeDay()
    {
        QFETCH(int, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath("DP.log");
        QByteArray content = headers;
        for (int i = 0; i < lines; ++i)
            content += record("05:05", 29);
        writeFile(path, content);
        QCOMPARE(DailyLog::linesAfterHeaders(path), lines);
        QTEST(DailyLog::isComplete(path), "complete");
        QVERIFY(!DailyLog::isComplete(dir.filePath("missing.log")));
    }

    void totalsLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("counted");
        QTest::addColumn<int>("month");
        QTest::addColumn<double>("kwh");
        QTest::newRow("day") << "2016-03-07;12.5" << true << 3 << 12.5;
        QTest::newRow("more fields") << "2016-12-31;7;99;x" << true << 12 << 7.0;
        QTest::newRow("january") << "2016-1-1;0.25" << true << 1 << 0.25;
        QTest::newRow("no energy") << "2016-03-07" << false << 0 << 0.0;
        QTest::newRow("energy no number") << "2016-03-07;abc" << false << 0 << 0.0;
        QTest::newRow("no month") << "2016;5" << false << 0 << 0.0;
        QTest::newRow("month 13") << "2016-13-01;5" << false << 0 << 0.0;
        QTest::newRow("month 0") << "2016-00-01;5" << false << 0 << 0.0;
    }
    void totalsLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, counted);
        int m = 0;
        double e = 0.0;
        QCOMPARE(TotalsLog::parseLine(line, &m, &e), counted);
        if (counted) {
            QTEST(m, "month");
            QTEST(e, "kwh");
        }
    }
    void totalsSums()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("TOTALS_2016.log");
        QByteArray content = "2016-03-07;12.5\n\n2015-03-08;2.5\r\n2016-04-01;1\n2016-13-01;100\nbad\n";
        content += "2016-05-01;" + QByteArray(200, '9') + "\n"; // too long: dropped whole
        content += "2016-12-31;4";
        writeFile(path, content);
        bool opened = false;
        const QVector<double> sums = TotalsLog::monthlySums(path, &opened);
        QVERIFY(opened);
        QVector<double> expected(12, 0.0);
        expected[2] = 15.0;
        expected[3] = 1.0;
        expected[11] = 4.0;
        QCOMPARE(sums, expected);
        QCOMPARE(TotalsLog::monthlySums(dir.filePath("none.log"), &opened), QVector<double>(12, 0.0));
        QVERIFY(!opened);
    }

    void monthlyCache()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        writeFile(folder + "/" + StoragePaths::totalsLogName(2016), "2016-03-07;12.5\n");
        writeFile(folder + "/" + StoragePaths::totalsLogName(2017), "2017-03-07;3\n");
        MonthlyEnergyCache cache;
        QCOMPARE(cache.year(), -1);
        QCOMPARE(cache.energy(folder, 2016, 13), 0.0);
        QCOMPARE(cache.energy(folder, 2016, 0), 0.0);
        QCOMPARE(cache.year(), -1); // nothing was read
        QCOMPARE(cache.energy(folder, 2016, 3), 12.5);
        QCOMPARE(cache.energy(folder, 2016, 4), 0.0);
        QCOMPARE(cache.year(), 2016);

        writeFile(folder + "/" + StoragePaths::totalsLogName(2016), "2016-03-07;20\n");
        QCOMPARE(cache.energy(folder, 2016, 3), 12.5); // still the cached year
        cache.invalidate();
        QCOMPARE(cache.energy(folder, 2016, 3), 20.0);
        QCOMPARE(cache.energy(folder, 2017, 3), 3.0);
        QCOMPARE(cache.energy(folder, 2018, 3), 0.0); // no totals log for that year
        QCOMPARE(cache.year(), 2018);
    }
};

QTEST_GUILESS_MAIN(TestLogReaders)
#include "tst_logreaders.moc"
