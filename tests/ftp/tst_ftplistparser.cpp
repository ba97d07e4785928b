// The FTP listing parser: Unix and DOS lines, and the names that must never
// reach a local folder.
#include "ftplistparser.h"

#include <QtTest>

using Q = QString;

class TestFtpListParser : public QObject
{
    Q_OBJECT
private slots:
    void listLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("entry"); // empty: no entry, or one with an unsafe name
        const QString u = "-rw-r--r-- 1 ftp ftp 5 Jun 10 08:05 ", big = "99999999999999999999";
        // Now is 2026-01-02: a date without a year after it lies in the year before.
        QTest::newRow("unix") << Q("-rw-r--r--  1 a b  20480 Dec 24 09:46 my  DP.log")
                              << Q("my  DP.log 20480 2025-12-24T09:46:00");
        QTest::newRow("dos") << Q("12-31-2019  12:05AM     <DIR>     hisram")
                             << Q("hisram/ 2019-12-31T00:05:00");
        QTest::newRow("total") << "total 12" << Q();
        // Sizes that do not fit a signed 64-bit count are no entry, never size 0.
        QTest::newRow("largest size") << Q("-rw-r--r-- 1 a b 9223372036854775807 Jun 10 08:05 f")
                                      << Q("f 9223372036854775807 2025-06-10T08:05:00");
        QTest::newRow("size over 63 bits") << Q("-rw-r--r-- 1 a b 9223372036854775808 Jun 10 08:05 f") << Q();
        QTest::newRow("dos size over 64 bits") << "01-02-2025  08:05AM  " + big + " f" << Q();
        QTest::newRow("255 bytes") << u + Q(255, 'a') << Q(255, 'a') + " 5 2025-06-10T08:05:00";
        QTest::newRow("128 chars, 256 bytes") << u + Q(128, QChar(0xe9)) << Q();
        for (const char* name : {"..", "..\\evil", "a\rb", "a\nb"})
            QTest::newRow(name) << u + name << Q();
    }
    void listLines()
    {
        QFETCH(QString, line);
        FtpEntry e;
        const bool ok = FtpListParser::parseLine(line, &e, QDateTime({2026, 1, 2}, {8, 0}));
        const QString got = e.name() + (e.isDir() ? "/" : " " + Q::number(e.size())) + " " +
                            e.lastModified().toString(Qt::ISODate);
        QTEST(ok && FtpListParser::isSafeFileName(e.name()) ? got : Q(), "entry");
    }
};

QTEST_GUILESS_MAIN(TestFtpListParser)
#include "tst_ftplistparser.moc"
