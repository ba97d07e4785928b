// FTP control replies as a socket delivers them: the stream is cut into
// chunks whose sizes are drawn from the input's first four bytes and fed to
// the client's reply parser, which must stay within its caps.
#include "ftpreplyparser.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    uint32_t seed = in.word32() | 1;
    const QByteArray stream = in.rest();
    FtpReplyParser parser;
    // Bytes fed since the last complete reply. While the parser waits for
    // more, it cannot be holding more than one reply's cap and one
    // unfinished line: anything past that must have failed the stream.
    qint64 sinceReply = 0;
    int pos = 0;
    while (pos < stream.size()) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        const int chunk = 1 + int(seed % ((seed & 0x100) ? 4096u : 16u));
        const QByteArray piece = stream.mid(pos, chunk);
        pos += piece.size();
        sinceReply += piece.size();
        parser.append(piece);
        for (;;) {
            FtpReply reply;
            const FtpReplyParser::Result r = parser.next(&reply);
            if (r == FtpReplyParser::Ready) {
                FUZZ_CHECK(reply.code >= 100 && reply.code <= 599);
                FUZZ_CHECK(reply.text.size() <= FtpReplyParser::MaxReplyLength);
                FUZZ_CHECK(reply.text.count(QLatin1Char('\n')) < FtpReplyParser::MaxReplyLines);
                sinceReply = 0;
                continue;
            }
            if (r == FtpReplyParser::Error) {
                // The client drops the connection: the stream ends here.
                FUZZ_CHECK(!parser.errorString().isEmpty());
                FUZZ_CHECK(parser.next(&reply) == FtpReplyParser::Error);
                return 0;
            }
            FUZZ_CHECK(sinceReply <= FtpReplyParser::MaxReplyLength + FtpReplyParser::MaxLineLength);
            break;
        }
    }
    return 0;
}
