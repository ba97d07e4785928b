// Reply parser, line buffer and listing parser of the FTP client.

#include "ftplistparser.h"
#include "ftpreplyparser.h"

#include <QtTest>

namespace {

// Feeds the chunks one by one and collects "code|text" of every reply, or
// "ERROR" when the parser gives up.
QStringList parseChunks(const QList<QByteArray>& chunks)
{
    FtpReplyParser parser;
    QStringList out;
    for (const QByteArray& chunk : chunks) {
        parser.append(chunk);
        FtpReply reply;
        FtpReplyParser::Result r;
        while ((r = parser.next(&reply)) == FtpReplyParser::Ready)
            out << QStringLiteral("%1|%2").arg(reply.code).arg(reply.text);
        if (r == FtpReplyParser::Error) {
            out << QStringLiteral("ERROR");
            break;
        }
    }
    return out;
}

QList<QByteArray> bytewise(const QList<QByteArray>& chunks)
{
    QList<QByteArray> out;
    for (const QByteArray& c : chunks) {
        for (char ch : c)
            out << QByteArray(1, ch);
    }
    return out;
}

} // namespace

class TestFtpParsers : public QObject
{
    Q_OBJECT
private slots:
    void replies_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QStringList>("replies");
        QTest::newRow("single") << QList<QByteArray>{"220 ready\r\n"} << QStringList{"220|ready"};
        QTest::newRow("bare code") << QList<QByteArray>{"200\r\n"} << QStringList{"200|"};
        QTest::newRow("LF only") << QList<QByteArray>{"331 pw\n230 in\n"} << QStringList{"331|pw", "230|in"};
        QTest::newRow("150 and 226 in one read")
            << QList<QByteArray>{"150 Opening\r\n226 Done\r\n"} << QStringList{"150|Opening", "226|Done"};
        QTest::newRow("split inside the code")
            << QList<QByteArray>{"2", "2", "0 hel", "lo\r", "\n"} << QStringList{"220|hello"};
        QTest::newRow("second reply split")
            << QList<QByteArray>{"200 ok\r\n21", "3 42\r\n"} << QStringList{"200|ok", "213|42"};
        QTest::newRow("multi-line") << QList<QByteArray>{"230-Welcome\r\n230-second\r\n230 Logged in\r\n"}
                                    << QStringList{"230|Welcome\nsecond\nLogged in"};
        QTest::newRow("multi-line with free inner lines")
            << QList<QByteArray>{"211-Features:\r\n SIZE\r\n 150 not an end\r\n211 End\r\n"}
            << QStringList{"211|Features:\n SIZE\n 150 not an end\nEnd"};
        QTest::newRow("multi-line inner line with another code")
            << QList<QByteArray>{"220-a\r\n230 inner\r\n", "220 b\r\n"} << QStringList{"220|a\n230 inner\nb"};
        QTest::newRow("multi-line split across reads")
            << QList<QByteArray>{"220-a", "\r\n220", "-b\r\n22", "0 c\r\n"} << QStringList{"220|a\nb\nc"};
        QTest::newRow("incomplete") << QList<QByteArray>{"220 no line end"} << QStringList{};
        QTest::newRow("malformed") << QList<QByteArray>{"hello there\r\n"} << QStringList{"ERROR"};
        QTest::newRow("code out of range") << QList<QByteArray>{"620 what\r\n"} << QStringList{"ERROR"};
        QTest::newRow("bad separator") << QList<QByteArray>{"220:hi\r\n"} << QStringList{"ERROR"};
        QTest::newRow("never-ending line")
            << QList<QByteArray>{"220 " + QByteArray(5000, 'x'), QByteArray(5000, 'y')}
            << QStringList{"ERROR"};
        QTest::newRow("over-long terminated line")
            << QList<QByteArray>{"220 " + QByteArray(9000, 'x') + "\r\n"} << QStringList{"ERROR"};
        QByteArray endless("220-start\r\n");
        for (int i = 0; i < 2000; ++i)
            endless += "220-more text to keep the reply going\r\n";
        QTest::newRow("never-ending multi-line") << QList<QByteArray>{endless} << QStringList{"ERROR"};
        QTest::newRow("reply before garbage")
            << QList<QByteArray>{"200 ok\r\nxx\r\n"} << QStringList{"200|ok", "ERROR"};
    }
    void replies()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QStringList, replies);
        QCOMPARE(parseChunks(chunks), replies);
        // However the bytes are cut into reads, the replies are the same.
        QCOMPARE(parseChunks(bytewise(chunks)), replies);
        QByteArray all;
        for (const QByteArray& c : chunks)
            all += c;
        QCOMPARE(parseChunks({all}), replies);
    }

    void errorIsSticky()
    {
        FtpReplyParser parser;
        FtpReply reply;
        parser.append("bogus\r\n");
        QCOMPARE(parser.next(&reply), FtpReplyParser::Error);
        QVERIFY(!parser.errorString().isEmpty());
        parser.append("220 fine\r\n");
        QCOMPARE(parser.next(&reply), FtpReplyParser::Error);
        parser.reset();
        parser.append("220 fine\r\n");
        QCOMPARE(parser.next(&reply), FtpReplyParser::Ready);
        QCOMPARE(reply.code, 220);
    }

    void lineBuffer()
    {
        FtpLineBuffer lines(16);
        QByteArray line;
        lines.append("abc\r\ndef\nghi");
        QCOMPARE(lines.takeLine(&line), FtpLineBuffer::Line);
        QCOMPARE(line, QByteArray("abc"));
        QCOMPARE(lines.takeLine(&line), FtpLineBuffer::Line);
        QCOMPARE(line, QByteArray("def"));
        QCOMPARE(lines.takeLine(&line), FtpLineBuffer::NeedMore);
        QCOMPARE(lines.takeRest(), QByteArray("ghi"));
        QVERIFY(lines.isEmpty());
        lines.append(QByteArray(17, 'z'));
        QCOMPARE(lines.takeLine(&line), FtpLineBuffer::TooLong);
    }

    void listLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("kind"); // "file", "dir" or "link"
        QTest::addColumn<QDateTime>("modified");

        const QDateTime now(QDate(2026, 12, 6), QTime(10, 0));
        QTest::newRow("unix file this year")
            << "-rw-r--r--   1 ftpuser  ftpuser     20480 Dec 06 09:46 DP_2026_12_06.log" << now << true
            << "DP_2026_12_06.log" << qint64(20480) << "file" << QDateTime(QDate(2026, 12, 6), QTime(9, 46));
        QTest::newRow("unix date after now is last year")
            << "-rw-r--r--   1 ftpuser  ftpuser     20480 Dec 24 09:46 DP_2025_12_24.log"
            << QDateTime(QDate(2026, 1, 2), QTime(8, 0)) << true << "DP_2025_12_24.log" << qint64(20480)
            << "file" << QDateTime(QDate(2025, 12, 24), QTime(9, 46));
        QTest::newRow("unix with year") << "-rw-------   1 0 0  123456789012 Mar  7  2015 TOTALS_2015.log"
                                        << now << true << "TOTALS_2015.log" << qint64(123456789012LL)
                                        << "file" << QDateTime(QDate(2015, 3, 7), QTime(0, 0));
        QTest::newRow("unix dir") << "drwxr-xr-x   2 owner group 4096 Jan  1 12:00 applog" << now << true
                                  << "applog" << qint64(4096) << "dir"
                                  << QDateTime(QDate(2026, 1, 1), QTime(12, 0));
        QTest::newRow("unix symlink")
            << "lrwxrwxrwx 1 root root 7 Feb 2 2020 latest -> DP_1.log" << now << true << "latest"
            << qint64(7) << "link" << QDateTime(QDate(2020, 2, 2), QTime(0, 0));
        QTest::newRow("unix name with spaces")
            << "-rw-r--r-- 1 a b 5 Jun 10 08:05 my  log file.txt" << now << true << "my  log file.txt"
            << qint64(5) << "file" << QDateTime(QDate(2026, 6, 10), QTime(8, 5));
        QTest::newRow("unix without group")
            << "-rw-r--r-- 1 board 77 Jun 10 08:05 INV_A1" << now << true << "INV_A1" << qint64(77) << "file"
            << QDateTime(QDate(2026, 6, 10), QTime(8, 5));
        QTest::newRow("unix acl marker") << "-rw-r--r--+ 1 a b 9 Jun 10 08:05 x.log" << now << true << "x.log"
                                         << qint64(9) << "file" << QDateTime(QDate(2026, 6, 10), QTime(8, 5));
        QTest::newRow("dos file pm") << "03-07-16  01:34PM                12345 DP_2016_03_07.log" << now
                                     << true << "DP_2016_03_07.log" << qint64(12345) << "file"
                                     << QDateTime(QDate(2016, 3, 7), QTime(13, 34));
        QTest::newRow("dos dir am") << "12-31-2019  12:05AM       <DIR>          hisram" << now << true
                                    << "hisram" << qint64(0) << "dir"
                                    << QDateTime(QDate(2019, 12, 31), QTime(0, 5));
        QTest::newRow("dos 24h") << "01-02-03  17:45  9 a b.txt" << now << true << "a b.txt" << qint64(9)
                                 << "file" << QDateTime(QDate(2003, 1, 2), QTime(17, 45));
        QTest::newRow("total line") << "total 12" << now << false << "" << qint64(0) << "" << QDateTime();
        QTest::newRow("empty") << "" << now << false << "" << qint64(0) << "" << QDateTime();
        QTest::newRow("unix missing name")
            << "-rw-r--r-- 1 a b 5 Jun 10 08:05" << now << false << "" << qint64(0) << "" << QDateTime();
        QTest::newRow("unix bad mode")
            << "-rw-r--r-Q 1 a b 5 Jun 10 08:05 x" << now << false << "" << qint64(0) << "" << QDateTime();
        QTest::newRow("dos bad hour")
            << "03-07-16  13:34PM  5 x" << now << false << "" << qint64(0) << "" << QDateTime();
    }
    void listLines()
    {
        QFETCH(QString, line);
        QFETCH(QDateTime, now);
        QFETCH(bool, valid);
        FtpEntry e;
        QCOMPARE(FtpListParser::parseLine(line, &e, now), valid);
        QCOMPARE(e.isValid(), valid);
        if (!valid)
            return;
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QFETCH(QString, kind);
        QFETCH(QDateTime, modified);
        QCOMPARE(e.name(), name);
        QCOMPARE(e.size(), size);
        QCOMPARE(e.isDir(), kind == "dir");
        QCOMPARE(e.isFile(), kind == "file");
        QCOMPARE(e.isSymLink(), kind == "link");
        QCOMPARE(e.lastModified(), modified);
    }

    void unixOwnerAndPermissions()
    {
        FtpEntry e;
        QVERIFY(FtpListParser::parseLine("-rwxr-x--- 1 alice staff 5 Jun 10 08:05 run.sh", &e));
        QCOMPARE(e.owner(), QString("alice"));
        QCOMPARE(e.group(), QString("staff"));
        QCOMPARE(e.permissions(), 0750);
    }

    void safeNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << "DP_2026_1_1.log" << true;
        QTest::newRow("spaces and dots") << "a b..c" << true;
        QTest::newRow("255 bytes") << QString(255, 'a') << true;
        QTest::newRow("256 bytes") << QString(256, 'a') << false;
        QTest::newRow("255 chars, more bytes") << QString(200, QChar(0xe9)) << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("parent path") << "../evil" << false;
        QTest::newRow("absolute") << "/etc/passwd" << false;
        QTest::newRow("inner slash") << "a/b" << false;
        QTest::newRow("backslash") << "..\\evil" << false;
        QTest::newRow("drive") << "C:evil" << false;
        QTest::newRow("nul") << QString("a") + QChar(0) + "b" << false;
        QTest::newRow("cr") << "a\rb" << false;
        QTest::newRow("lf") << "a\nb" << false;
    }
    void safeNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(FtpListParser::isSafeFileName(name), safe);
    }
};

QTEST_GUILESS_MAIN(TestFtpParsers)
#include "tst_ftpparsers.moc"
