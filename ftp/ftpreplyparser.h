#pragma once
// Plain helpers for the FTP control and listing streams: a line splitter with a
// hard cap on line length, and the reply parser that turns control-connection
// bytes into complete (possibly multi-line) replies.

#include <QByteArray>
#include <QString>
#include <QStringList>

// Splits a byte stream into lines ended by LF (a CR before it is dropped).
// A line longer than the cap is an error: the buffer never grows past it.
class FtpLineBuffer
{
public:
    enum Result
    {
        NeedMore,
        Line,
        TooLong
    };

    explicit FtpLineBuffer(int maxLineLength = 8192) : m_max(maxLineLength) {}

    void append(const QByteArray& data) { m_buffer.append(data); }
    // Takes the next complete line, without its line end. When given,
    // *consumed receives the bytes the line took in the stream, line end
    // included.
    Result takeLine(QByteArray* line, int* consumed = nullptr);
    // The bytes after the last complete line (an unterminated last line).
    QByteArray takeRest();
    void clear();
    bool isEmpty() const { return m_pos >= m_buffer.size(); }
    int maxLineLength() const { return m_max; }

private:
    QByteArray m_buffer;
    int m_pos = 0;
    int m_max;
};

struct FtpReply
{
    int code = 0;
    // The reply's text without the code: one line, or the lines of a
    // multi-line reply joined with "\n".
    QString text;

    bool isPreliminary() const { return code / 100 == 1; }
    bool isPositive() const { return code / 100 == 2; }
    bool isIntermediate() const { return code / 100 == 3; }
};

// A reply may not pass any of three caps: bytes per line, bytes per reply
// (every byte received, line ends included) and lines per reply. What the
// parser holds therefore stays bounded whatever the server sends.
class FtpReplyParser
{
public:
    static constexpr int MaxLineLength = 8192;
    static constexpr int MaxReplyLength = 64 * 1024;
    static constexpr int MaxReplyLines = 1024;

    enum Result
    {
        NeedMore,
        Ready,
        Error
    };

    void append(const QByteArray& data) { m_lines.append(data); }
    // Ready: *reply holds the next complete reply. Error: the stream is broken
    // (a cap passed, a malformed line) and stays so until reset().
    Result next(FtpReply* reply);
    QString errorString() const { return m_error; }
    void reset();

private:
    Result fail(const QString& text);

    FtpLineBuffer m_lines{MaxLineLength};
    QStringList m_pending; // lines of a multi-line reply in progress
    int m_pendingCode = 0;
    int m_pendingBytes = 0; // bytes of the reply in progress, line ends included
    QString m_error;
};
