// Storage folders, downloads, the event log and the readers of the copied daily and totals logs.
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
    void paths()
    {
        const struct
        {
            const char *root, *address;
            int port;
            const char *plant, *folder;
        } cases[] = {{"/s/", "192.168.1.20", 0, "Home", "/s/192.168.1.20-502-Home"},
                     {"/s", "a/b", 1502, "../x\\y", "/s/a_b-1502-.._x_y"}, // separators stay in one level
                     {"", "10.0.0.2", 502, "A", ""}};
        for (const auto& c : cases) {
            const StoragePaths p(c.root, c.address, c.port, c.plant);
            const QString folder(c.folder);
            QCOMPARE(p.storageFolder(), folder);
            QCOMPARE(p.isValid(), !folder.isEmpty());
            QCOMPARE(p.dailyLogPath(QDate(2016, 3, 7)),
                     folder.isEmpty() ? QString() : folder + "/DP_2016_03_07.log");
            QCOMPARE(p.historyFilePath("DP.log"), folder.isEmpty() ? QString() : folder + "/hisram/DP.log");
        }
        // Names received from a board are used only when they stay directly in the folder.
        const QString folder = "/s/inv-502-LOCAL";
        for (const QString& name : QStringList{"DP_2016_03_07.log", "DP_..log"})
            QCOMPARE(StoragePaths::fileInFolder(folder, name), folder + "/" + name);
        for (const QString& name :
             QStringList{"..", "../DP_x.log", "..\\DP_x.log", QString("DP_x") + QChar(0) + "log", ""})
            QVERIFY2(StoragePaths::fileInFolder(folder, name).isEmpty(), qPrintable(name));
        QVERIFY(StoragePaths::fileInFolder(QString(), "DP.log").isEmpty());
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
            QVERIFY(d.open() && d.device()->write("fresh") == 5);
            QCOMPARE(QFileInfo::exists(path) ? QFileInfo(path).size() : -1,
                     existing ? 10 : -1); // untouched while it runs
            QVERIFY(!commit || d.commit());
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
        QTest::newRow("infinite") << "1e999" << 0.0 << false << 1 << true;
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
};

QTEST_GUILESS_MAIN(TestLogs)
#include "tst_logs.moc"
