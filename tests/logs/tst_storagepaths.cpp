// Storage folder names, their creation, the file names and the event log.

#include "invlog.h"
#include "storagepaths.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QStringList fileLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n');
}
} // namespace

class TestStoragePaths : public QObject
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
        const struct
        {
            const char *row, *root, *address;
            int port;
            const char *plant, *folder;
        } rows[] = {
            {"default port", "/s/", "192.168.1.20", 502, "Home", "/s/192.168.1.20-502-Home"},
            {"port 0 is 502", "/s/", "192.168.1.20", 0, "Home", "/s/192.168.1.20-502-Home"},
            {"other port", "/s/", "inv.lan", 1502, "LOCAL", "/s/inv.lan-1502-LOCAL"},
            {"root without slash", "/s", "10.0.0.2", 502, "A", "/s/10.0.0.2-502-A"},
            {"separators stay in one level", "/s/", "a/b", 502, "../x\\y", "/s/a_b-502-.._x_y"},
            {"no root, no folder", "", "10.0.0.2", 502, "A", ""},
        };
        for (const auto& r : rows)
            QTest::newRow(r.row) << QString(r.root) << QString(r.address) << r.port << QString(r.plant)
                                 << QString(r.folder);
    }
    void folderNames()
    {
        QFETCH(QString, root);
        QFETCH(QString, address);
        QFETCH(int, port);
        QFETCH(QString, plant);
        QFETCH(QString, folder);
        const StoragePaths paths(root, address, port, plant);
        QCOMPARE(paths.storageFolder(), folder);
        QCOMPARE(paths.isValid(), !folder.isEmpty());
        QCOMPARE(paths.historyFolder(), folder.isEmpty() ? QString() : folder + "/hisram");
        QCOMPARE(paths.eventLogPath(), folder.isEmpty() ? QString() : folder + "/Inv.Log");
        QCOMPARE(paths.root(), root);
    }
    void createMakesBothFolders()
    {
        QTemporaryDir dir;
        const StoragePaths paths(dir.path() + "/", "127.0.0.1", 0, "LOCAL");
        QVERIFY(!QFileInfo(paths.storageFolder()).exists());
        QVERIFY(paths.create());
        QVERIFY(QFileInfo(paths.storageFolder()).isDir());
        QVERIFY(QFileInfo(paths.historyFolder()).isDir());
        QVERIFY(paths.create()); // existing folders are fine
        QVERIFY(!StoragePaths().create());
    }
    void fileNames_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("daily");
        QTest::addColumn<QString>("totals");
        QTest::newRow("padded") << QDate(2016, 3, 7) << "DP_2016_03_07.log"
                                << "TOTALS_2016.log";
        QTest::newRow("two digits") << QDate(2024, 12, 31) << "DP_2024_12_31.log"
                                    << "TOTALS_2024.log";
    }
    void fileNames()
    {
        QFETCH(QDate, day);
        QFETCH(QString, daily);
        QFETCH(QString, totals);
        const StoragePaths paths("/s/", "h", 502, "P");
        QCOMPARE(StoragePaths::dailyLogName(day), daily);
        QCOMPARE(paths.dailyLogPath(day), "/s/h-502-P/" + daily);
        QCOMPARE(paths.totalsLogPath(day.year()), "/s/h-502-P/" + totals);
        QCOMPARE(paths.snapshotPath(), QString("/s/h-502-P/snapshot.png"));
    }
    void historyNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("copied");
        QTest::newRow("daily") << "DP_2016_03_07.log" << true;
        QTest::newRow("totals") << "TOTALS_2016.log" << true;
        QTest::newRow("inv") << "INV_events.txt" << true;
        QTest::newRow("other") << "notes.txt" << false;
        QTest::newRow("case matters") << "dp_2016_03_07.log" << false;
        QTest::newRow("INV without underscore") << "INVX" << false;
    }
    void historyNames()
    {
        QFETCH(QString, name);
        QTEST(StoragePaths::isHistoryFileName(name), "copied");
    }

    void eventLogLine()
    {
        const QDateTime when(QDate(2016, 3, 7), QTime(14, 5, 9));
        const QString line = InvLog::formatLine(when, "192.168.1.20", "Socket error\nretrying");
        QVERIFY(line.startsWith(when.toString(Qt::TextDate) + "-"));
        QVERIFY(line.contains("14:05:09"));
        QVERIFY(line.endsWith("-192.168.1.20: Socket error retrying\n"));
        QCOMPARE(line.count('\n'), 1);
    }
    void eventLogAppends()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/inv-502-LOCAL"; // not there yet: made on the first write
        const QDateTime first(QDate(2016, 3, 7), QTime(14, 5, 9));
        QVERIFY(InvLog::write(folder, "inv", "first", first));
        QVERIFY(InvLog::write(folder, "inv", QString::fromUtf8("Température 45 °C")));
        const QStringList lines = fileLines(folder + "/Inv.Log");
        QCOMPARE(lines.size(), 3); // two lines and the empty rest after the last "\n"
        QCOMPARE(lines.at(0) + "\n", InvLog::formatLine(first, "inv", "first"));
        QVERIFY(lines.at(1).endsWith(QString::fromUtf8("-inv: Température 45 °C")));
        QVERIFY(lines.at(2).isEmpty());
        QVERIFY(!InvLog::write(QString(), "inv", "lost")); // no folder
    }
};

QTEST_GUILESS_MAIN(TestStoragePaths)
#include "tst_storagepaths.moc"
