#include "ftpreplyparser.h"

FtpLineBuffer::Result FtpLineBuffer::takeLine(QByteArray* line, int* consumed)
{
    const int end = m_buffer.indexOf('\n', m_pos);
    if (end < 0) {
        if (m_pos > 0) {
            m_buffer.remove(0, m_pos);
            m_pos = 0;
        }
        return m_buffer.size() > m_max ? TooLong : NeedMore;
    }
    int len = end - m_pos;
    if (len > 0 && m_buffer.at(end - 1) == '\r')
        --len;
    if (len > m_max)
        return TooLong;
    *line = m_buffer.mid(m_pos, len);
    if (consumed)
        *consumed = end + 1 - m_pos;
    m_pos = end + 1;
    if (m_pos >= m_buffer.size()) {
        m_buffer.clear();
        m_pos = 0;
    }
    return Line;
}

QByteArray FtpLineBuffer::takeRest()
{
    QByteArray rest = m_buffer.mid(m_pos);
    clear();
    if (rest.endsWith('\r'))
        rest.chop(1);
    return rest;
}

void FtpLineBuffer::clear()
{
    m_buffer.clear();
    m_pos = 0;
}

namespace {

// The code of a reply line: three digits, the first from 1 to 5, followed by
// a space, a hyphen or the end of the line. -1 when the line has none.
int replyCode(const QByteArray& line, char* separator)
{
    if (line.size() < 3)
        return -1;
    for (int i = 0; i < 3; ++i) {
        if (line.at(i) < '0' || line.at(i) > '9')
            return -1;
    }
    if (line.at(0) < '1' || line.at(0) > '5')
        return -1;
    *separator = line.size() > 3 ? line.at(3) : ' ';
    if (*separator != ' ' && *separator != '-')
        return -1;
    return line.left(3).toInt();
}

QString decode(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes.constData(), bytes.size());
}

} // namespace

FtpReplyParser::Result FtpReplyParser::fail(const QString& text)
{
    m_error = text;
    m_lines.clear();
    m_pending.clear();
    m_pendingCode = 0;
    m_pendingBytes = 0;
    return Error;
}

FtpReplyParser::Result FtpReplyParser::next(FtpReply* reply)
{
    if (!m_error.isEmpty())
        return Error;
    for (;;) {
        QByteArray raw;
        int consumed = 0;
        const FtpLineBuffer::Result r = m_lines.takeLine(&raw, &consumed);
        if (r == FtpLineBuffer::NeedMore)
            return NeedMore;
        if (r == FtpLineBuffer::TooLong)
            return fail(QStringLiteral("Reply line longer than %1 bytes").arg(MaxLineLength));

        char sep = ' ';
        const int code = replyCode(raw, &sep);
        if (m_pendingCode == 0) {
            if (code < 0)
                return fail(QStringLiteral("Malformed reply line: %1").arg(decode(raw.left(80))));
            const QString text = decode(raw.mid(4));
            if (sep == ' ') {
                reply->code = code;
                reply->text = text;
                return Ready;
            }
            m_pendingCode = code;
            m_pendingBytes = consumed;
            m_pending = QStringList{text};
            continue;
        }

        // Inside a multi-line reply: it ends at the line "<same code> text".
        // Empty lines count as much as any other: a server that sends line
        // ends forever is stopped by the caps like one that sends text.
        m_pendingBytes += consumed;
        if (m_pendingBytes > MaxReplyLength)
            return fail(QStringLiteral("Reply longer than %1 bytes").arg(MaxReplyLength));
        if (m_pending.size() >= MaxReplyLines)
            return fail(QStringLiteral("Reply longer than %1 lines").arg(MaxReplyLines));
        if (code == m_pendingCode && sep == ' ') {
            m_pending.append(decode(raw.mid(4)));
            reply->code = m_pendingCode;
            reply->text = m_pending.join(QLatin1Char('\n'));
            m_pendingCode = 0;
            m_pending.clear();
            return Ready;
        }
        m_pending.append(decode(code == m_pendingCode ? raw.mid(4) : raw));
    }
}

void FtpReplyParser::reset()
{
    m_lines.clear();
    m_pending.clear();
    m_pendingCode = 0;
    m_pendingBytes = 0;
    m_error.clear();
}
