// A day's log laid out on the daily graph's 204 slots: leading zero samples,
// the slot bound, lines that are no record, and extremes.
#include "graphday.h"
#include "testsupport.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using Lines = QList<QByteArray>;
const QByteArray headers = "Header;a;b\n05:00;9;9;9\n"; // the second header looks like a record

// Records every 5 minutes from hh:mm; column c of record i holds (i + 1) * 100 + c.
Lines records(int hours, int minutes, int count, int valueCount = 29)
{
    Lines lines;
    for (int i = 0; i < count; ++i) {
        QVector<double> values;
        for (int c = 0; c < valueCount; ++c)
            values << (i + 1) * 100 + c;
        lines << testsupport::logRecord(QTime(hours, minutes).addSecs(300 * i), values);
    }
    return lines;
}
GraphDay loaded(const QByteArray& content, bool isZeta)
{
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    GraphDay day;
    day.load(&buffer, isZeta);
    return day;
}
} // namespace

class TestGraphDay : public QObject
{
    Q_OBJECT
private slots:
    void slotLayout_data()
    {
        QTest::addColumn<QByteArray>("body"); // after the two headers
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<int>("zeros");
        QTest::addColumn<int>("records"); // records that got a slot, in file order
        const auto row = [](const char* tag, const Lines& lines, bool zeta, int zeros, int recs) {
            QTest::newRow(tag) << lines.join() << zeta << zeros << recs;
        };
        row("first record at 06:00: 11 zeros", records(6, 0, 193), false, 11, 193);
        row("first record at 05:07: one", records(5, 7, 10), false, 1, 10);
        row("more than 204 records: the rest unread", records(5, 5, 260), false, 0, 204);
        row("late first record fills the last slots", records(21, 55, 30), false, 202, 2);
        row("first record after the last slot", records(23, 55, 1), false, 204, 0);
        row("Zeta, 30 values", records(6, 0, 5, 30), true, 11, 5);
        row("empty", Lines(), false, 0, 0);
        Lines noise = records(5, 5, 3);
        noise.insert(1, "\n");
        noise.insert(2, "\r\n");
        noise.insert(3, "not a record\n");
        noise.insert(4, "25:00;1;2\n");
        noise.insert(5, "07:00" + QByteArray(3000, ';') + "\n"); // over 1023 characters
        row("blank, malformed and overlong lines take no slot", noise, false, 0, 3);
        Lines crlf = records(6, 0, 4);
        for (QByteArray& l : crlf)
            l.replace("\n", "\r\n");
        row("CRLF line ends", crlf, false, 11, 4);
    }
    void slotLayout()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, zeta);
        QFETCH(int, zeros);
        QFETCH(int, records);
        const GraphDay day = loaded(headers + body, zeta);
        QCOMPARE(day.seriesCount(), zeta ? 30 : 29);
        QCOMPARE(day.leadingZeros(), zeros);
        QCOMPARE(day.sampleCount(), zeros + records);
        QVERIFY(day.sampleCount() <= GraphDay::SlotCount);
        for (int s = 0; s < day.seriesCount(); ++s) {
            const QVector<double>& v = day.series(s);
            QCOMPARE(v.size(), day.sampleCount());
            for (int i = 0; i < zeros; ++i)
                QCOMPARE(v.at(i), 0.0);
            for (int r = 0; r < records; ++r) // the records keep their file order
                QCOMPARE(v.at(zeros + r), (r + 1) * 100.0 + s);
        }
    }
    void extremes_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<int>("series");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        // Columns 0 and 1: two leading zeros (05:15 is two slots late), 0 at night, then 231 and 229 V.
        const QByteArray day = "05:15;0;0\n05:20;5;231\n05:25;2;229\n";
        QTest::newRow("grid voltage: zeros never lower the minimum") << day << false << 1 << 229.0 << 231.0;
        QTest::newRow("Zeta column 1: zeros count") << day << true << 1 << 0.0 << 231.0;
        QTest::newRow("no samples") << QByteArray() << false << 0 << GraphDay::NoMinimum
                                    << GraphDay::NoMaximum;
    }
    void extremes()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, zeta);
        QFETCH(int, series);
        const GraphDay day = loaded(headers + body, zeta);
        QTEST(day.minimum(series), "minimum");
        QTEST(day.maximum(series), "maximum");
        QVERIFY(day.series(99).isEmpty());
    }
    void missingFile()
    {
        QTemporaryDir dir;
        GraphDay day;
        QVERIFY(!day.load(dir.filePath("missing.log"), false));
        QCOMPARE(day.sampleCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestGraphDay)
#include "tst_graphday.moc"
