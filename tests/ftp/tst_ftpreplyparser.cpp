// The FTP reply parser: complete replies however the bytes are cut into reads,
// and the caps that bound what a hostile server can make it hold.
#include "ftpreplyparser.h"

#include <QtTest>

namespace {
using B = QByteArray;
using L = QList<B>;
using S = QStringList;
// Feeds the chunks one by one: "code|text" per reply, "ERROR" when the parser gives up.
QStringList parseChunks(const QList<B>& chunks)
{
    FtpReplyParser parser;
    QStringList out;
    for (const B& chunk : chunks) {
        parser.append(chunk);
        FtpReply reply;
        FtpReplyParser::Result r;
        while ((r = parser.next(&reply)) == FtpReplyParser::Ready)
            out << QStringLiteral("%1|%2").arg(reply.code).arg(reply.text);
        if (r == FtpReplyParser::Error)
            return out << "ERROR";
    }
    return out;
}
} // namespace

class TestFtpReplyParser : public QObject
{
    Q_OBJECT
private slots:
    void replies_data()
    {
        QTest::addColumn<QList<B>>("chunks");
        QTest::addColumn<QStringList>("replies");
        const int max = FtpReplyParser::MaxReplyLines;
        const B lines = B("x\r\n").repeated(max - 2);
        QTest::newRow("multi-line, inner lines")
            << L{"211-F\r\n S\r\n150 x\r\n211 E\r\n"} << S{"211|F\n S\n150 x\nE"};
        QTest::newRow("two in one read, LF only") << L{"150 a\n226 b\n"} << S{"150|a", "226|b"};
        QTest::newRow("reply, then garbage") << L{"200 a\r\nxx\r\n"} << S{"200|a", "ERROR"};
        QTest::newRow("code out of range") << L{"620 what\r\n"} << S{"ERROR"};
        QTest::newRow("over-long line") << L{"220 " + B(5000, 'x'), B(5000, 'y')} << S{"ERROR"};
        QTest::newRow("endless bare line feeds") << L{"220-start\n" + B(40000, '\n')} << S{"ERROR"};
        QTest::newRow("line ends over the byte cap")
            << L{"220-a\r\n" + B(B(64, 'x') + "\r\n").repeated(1000) + "220 b\r\n"} << S{"ERROR"};
        QTest::newRow("as many lines as allowed")
            << L{"220-a\r\n" + lines + "220 b\r\n"} << S{"220|a\n" + QString("x\n").repeated(max - 2) + "b"};
        QTest::newRow("one line more") << L{"220-a\r\nx\r\n" + lines + "220 b\r\n"} << S{"ERROR"};
    }
    void replies()
    {
        QFETCH(QList<B>, chunks);
        QFETCH(QStringList, replies);
        QCOMPARE(parseChunks(chunks), replies);
        QList<B> bytes; // however the bytes are cut into reads, the replies are the same
        for (char c : chunks.join())
            bytes << B(1, c);
        QCOMPARE(parseChunks(bytes), replies);
        QCOMPARE(parseChunks({chunks.join()}), replies);
    }
};

QTEST_GUILESS_MAIN(TestFtpReplyParser)
#include "tst_ftpreplyparser.moc"
