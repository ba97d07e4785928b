// FTP listing data as the client receives it: split into lines by the
// client's line buffer and each line read as the client reads it. An entry
// handed out must have a safe name and the size its line states.
#include "ftplistparser.h"
#include "ftpreplyparser.h"
#include "fuzzinput.h"

namespace {

// True when a field of the line, fields being separated by blanks as the
// parser separates them (any Unicode space), is the decimal text of size.
bool statesSize(const QByteArray& raw, qint64 size)
{
    const QString line = QString::fromUtf8(raw.constData(), raw.size());
    QString field;
    for (int i = 0; i <= line.size(); ++i) {
        if (i < line.size() && !line.at(i).isSpace()) {
            field += line.at(i);
            continue;
        }
        bool ok = false;
        if (!field.isEmpty() && field.at(0) >= QLatin1Char('0') && field.at(0) <= QLatin1Char('9') &&
            field.toLongLong(&ok) == size && ok)
            return true;
        field.clear();
    }
    return false;
}

void readLine(const QByteArray& raw)
{
    static const QDateTime now(QDate(2026, 1, 2), QTime(8, 0));
    FtpEntry entry;
    if (!FtpListParser::parseListingLine(raw, &entry, now))
        return;
    FUZZ_CHECK(entry.isValid());
    FUZZ_CHECK(FtpListParser::isSafeFileName(entry.name()));
    FUZZ_CHECK(entry.size() >= 0);
    if (!(entry.isDir() && raw.contains("<DIR>")))
        FUZZ_CHECK(statesSize(raw, entry.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FtpLineBuffer lines(FtpListParser::MaxLineLength);
    lines.append(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    for (;;) {
        QByteArray line;
        const FtpLineBuffer::Result r = lines.takeLine(&line);
        if (r == FtpLineBuffer::TooLong)
            return 0; // the client fails the listing
        if (r == FtpLineBuffer::NeedMore)
            break;
        readLine(line);
    }
    // The data connection has closed: an unterminated last line counts too.
    const QByteArray rest = lines.takeRest();
    if (!rest.isEmpty())
        readLine(rest);
    return 0;
}
