// Storage folders, the event log and the readers of the copied daily and totals logs.
#include "dailylog.h"
#include "downloadfile.h"
#include "invlog.h"
#include "logtext.h"
#include "storagepaths.h"
#include "totalslog.h"

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

class TestLogs : public QObject
{
    Q_OBJECT
private slots:
    void folderNames_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QString>("folder");
        const auto row = [](const char* tag, const char* r, const char* a, int port, const char* p,
                            const char* f) {
            QTest::newRow(tag) << QString(r) << QString(a) << port << QString(p) << QString(f);
        };
        row("port 0 is 502", "/s/", "192.168.1.20", 0, "Home", "/s/192.168.1.20-502-Home");
        row("separators stay in one level", "/s", "a/b", 1502, "../x\\y", "/s/a_b-1502-.._x_y");
        row("no root, no folder", "", "10.0.0.2", 502, "A", "");
    }
    void folderNames()
    {
        QFETCH(QString, root);
        QFETCH(QString, address);
        QFETCH(int, port);
        QFETCH(QString, plant);
        QFETCH(QString, folder);
        const StoragePaths p(root, address, port, plant);
        QCOMPARE(p.storageFolder(), folder);
        QCOMPARE(p.isValid(), !folder.isEmpty());
        QCOMPARE(p.dailyLogPath(QDate(2016, 3, 7)),
                 folder.isEmpty() ? QString() : folder + "/DP_2016_03_07.log");
        QCOMPARE(p.historyFilePath("DP.log"), folder.isEmpty() ? QString() : folder + "/hisram/DP.log");
    }
    // Names received from a board: used only when they stay directly in the folder.
    void fileInFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("inside");
        QTest::newRow("day log") << "DP_2016_03_07.log" << true;
        QTest::newRow("dots inside a name") << "DP_..log" << true;
        QTest::newRow("parent") << ".." << false;
        QTest::newRow("current") << "." << false;
        QTest::newRow("climbing") << "../DP_x.log" << false;
        QTest::newRow("absolute") << "/tmp/DP_x.log" << false;
        QTest::newRow("subfolder") << "hisram/DP_x.log" << false;
        QTest::newRow("backslash") << "..\\DP_x.log" << false;
        QTest::newRow("line break") << "DP_x\nlog" << false;
        QTest::newRow("NUL") << QString("DP_x") + QChar(0) + "log" << false;
        QTest::newRow("empty") << "" << false;
    }
    void fileInFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, inside);
        QTemporaryDir dir;
        const QString folder = dir.filePath("inv-502-LOCAL");
        QCOMPARE(StoragePaths::fileInFolder(folder, name), inside ? folder + "/" + name : QString());
        QCOMPARE(StoragePaths::fileInFolder(QString(), name), QString());
    }
    // A download replaces the copy only once committed; a dropped one leaves nothing.
    void downloadFile_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("commit");
        QTest::newRow("new, committed") << false << true;
        QTest::newRow("new, dropped") << false << false;
        QTest::newRow("over a copy, committed") << true << true;
        QTest::newRow("over a copy, dropped") << true << false;
    }
    void downloadFile()
    {
        QFETCH(bool, existing);
        QFETCH(bool, commit);
        QTemporaryDir dir;
        const QString path = dir.filePath("DP_2016_03_07.log");
        if (existing)
            writeFile(path, "good copy\n");
        {
            DownloadFile d(path);
            QVERIFY(d.open());
            QCOMPARE(d.device()->write("fresh"), qint64(5));
            // While it runs the copy is untouched.
            QCOMPARE(QFileInfo::exists(path), existing);
            if (existing)
                QCOMPARE(QFileInfo(path).size(), qint64(10));
            if (commit)
                QVERIFY(d.commit());
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 commit || existing ? QStringList{"DP_2016_03_07.log"} : QStringList());
        if (commit || existing) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray(commit ? "fresh" : "good copy\n"));
            QVERIFY(f.permissions() & QFileDevice::ReadOther);
        }
        DownloadFile nowhere(dir.filePath("missing/x.log"));
        QVERIFY(!nowhere.open());
    }
    void eventLogAppends()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/inv-502-LOCAL"; // made on the first write
        const QDateTime when(QDate(2016, 3, 7), QTime(14, 5, 9));
        QVERIFY(InvLog::write(folder, "inv", "first", when));
        QVERIFY(InvLog::write(folder, "inv", QString::fromUtf8("Température\n45 °C"), when));
        QFile file(folder + "/Inv.Log");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString stamp = when.toString(Qt::TextDate);
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 stamp + "-inv: first\n" + stamp + QString::fromUtf8("-inv: Température 45 °C\n"));
        QVERIFY(!InvLog::write(QString(), "inv", "lost")); // no storage folder yet
    }
    void dailyLog_data()
    {
        QTest::addColumn<bool>("zeta");
        QTest::newRow("standard") << false;
        QTest::newRow("zeta") << true;
    }
    void dailyLog()
    {
        QFETCH(bool, zeta);
        const int n = zeta ? 30 : 29; // values per record
        QTemporaryDir dir;
        const QString path = dir.filePath("DP_2016_03_07.log");
        QByteArray overlong = "07:00;" + QByteArray(1100, '1') + ";\n";
        overlong.replace(1023, 12, "08:00;5;5;5;"); // what a cut line would turn into a record
        writeFile(path, headers + record("06:00", n) + "\r\nnot a record\n24:00;1\n05:00:00;1\n" + overlong +
                            "06:05;x;2\r\n" +
                            record("06:10", n + 1, 100).trimmed()); // last line without "\n"
        const DailyLogData data = DailyLog::read(path, zeta);
        QCOMPARE(data.records.size(), 3);
        QCOMPARE(data.skippedLines, 4);
        QCOMPARE(data.records.at(0).minutes, 360);
        QCOMPARE(data.records.last().values.size(), n);
        // Unreadable and missing values read as 0.
        QCOMPARE(data.records.at(1).values.mid(0, 3), (QVector<double>{0, 2, 0}));
        const QVector<QVector<double>> series = data.series();
        QCOMPARE(series.size(), n);
        // 06:00 lands on slot 11 of the 05:00 grid; the extra value of the last record is ignored.
        QCOMPARE(series.at(n - 1).mid(10), (QVector<double>{0, n - 1.0, 0, n + 99.0}));
    }
    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("real"); // leadingDouble, 0 when not ok
        QTest::addColumn<bool>("realOk");
        QTest::addColumn<int>("integer"); // leadingInt, 0 when not ok
        QTest::addColumn<bool>("intOk");
        QTest::newRow("blanks, trailing text") << " \t3x" << 3.0 << true << 3 << true;
        QTest::newRow("plus, no integer part") << "+.5" << 0.5 << true << 0 << false;
        QTest::newRow("dot alone") << "." << 0.0 << false << 0 << false;
        QTest::newRow("exponent") << "2e1;" << 20.0 << true << 2 << true;
        QTest::newRow("exponent without digits") << "1e+" << 1.0 << true << 1 << true;
        QTest::newRow("exponent alone") << "e5" << 0.0 << false << 0 << false;
        QTest::newRow("infinite") << "1e999" << 0.0 << false << 1 << true;
        QTest::newRow("comma is no decimal point") << "1,5" << 1.0 << true << 1 << true;
        QTest::newRow("hex") << "0x10" << 0.0 << true << 0 << true;
        QTest::newRow("two signs") << "+-1" << 0.0 << false << 0 << false;
        QTest::newRow("int overflow") << "99999999999" << 99999999999.0 << true << 0 << false;
        QTest::newRow("non-ASCII digit") << QString::fromUtf8("\u0663") << 0.0 << false << 0 << false;
        QTest::newRow("empty") << "" << 0.0 << false << 0 << false;
        QTest::newRow("100 digits") << QString(97, '0') + "1.5" << 1.5 << true << 1 << true;
    }
    void numbers()
    {
        QFETCH(QString, text);
        bool ok = false;
        QTEST(LogText::leadingDouble(text, &ok), "real");
        QTEST(ok, "realOk");
        QTEST(LogText::leadingInt(text, &ok), "integer");
        QTEST(ok, "intOk");
    }
    void completeDay()
    {
        QTemporaryDir dir;
        for (int lines : {202, 203}) {
            writeFile(dir.filePath("DP.log"), headers + record("05:05", 29).repeated(lines));
            QCOMPARE(DailyLog::isComplete(dir.filePath("DP.log")), lines == 203);
        }
    }
    void totalsSums()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("TOTALS_2016.log");
        const QByteArray tooLong = "2016-05-01;" + QByteArray(200, '9') + "\n"; // dropped whole
        writeFile(path,
                  "2016-03-07;12.5\n\n2015-03-08;2.5\r\n2016-04-01;1\n2016-13-01;100\nbad\n2016-05-01;x\n" +
                      tooLong + "2016-12-31;4");
        bool opened = false;
        const QVector<double> sums{0, 0, 15, 1, 0, 0, 0, 0, 0, 0, 0, 4}; // the year in the lines is not read
        QCOMPARE(TotalsLog::monthlySums(path, &opened), sums);
        QVERIFY(opened);
        QCOMPARE(TotalsLog::monthlySums(dir.filePath("none.log"), &opened), QVector<double>(12, 0.0));
        QVERIFY(!opened);
    }
    void monthlyCache()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("TOTALS_2016.log"), "2016-03-07;12.5\n");
        MonthlyEnergyCache cache;
        QCOMPARE(cache.energy(dir.path(), 2016, 3), 12.5);
        writeFile(dir.filePath("TOTALS_2016.log"), "2016-03-07;20\n");
        QCOMPARE(cache.energy(dir.path(), 2016, 3), 12.5); // still the cached year
        cache.invalidate();
        QCOMPARE(cache.energy(dir.path(), 2016, 3), 20.0);
        QCOMPARE(cache.energy(dir.path(), 2017, 3), 0.0); // no totals log for that year
    }
};

QTEST_GUILESS_MAIN(TestLogs)
#include "tst_logs.moc"
