#include "ftplistparser.h"

#include <QRegularExpression>
#include <QVector>

namespace {

struct Token
{
    QStringRef text;
    int end; // position after the token in the line
};

QVector<Token> tokenize(const QString& line)
{
    QVector<Token> tokens;
    int i = 0;
    const int n = line.size();
    while (i < n) {
        while (i < n && line.at(i).isSpace())
            ++i;
        const int start = i;
        while (i < n && !line.at(i).isSpace())
            ++i;
        if (i > start)
            tokens.append({line.midRef(start, i - start), i});
    }
    return tokens;
}

int monthNumber(const QStringRef& s)
{
    static const char* const names[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
    if (s.size() != 3)
        return 0;
    for (int i = 0; i < 12; ++i) {
        if (s.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

bool isNumber(const QStringRef& s)
{
    if (s.isEmpty())
        return false;
    for (const QChar c : s) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

int permissionBits(const QStringRef& p)
{
    // p holds the nine rwx characters.
    static const int bits[9] = {FtpEntry::ReadOwner, FtpEntry::WriteOwner, FtpEntry::ExeOwner,
                                FtpEntry::ReadGroup, FtpEntry::WriteGroup, FtpEntry::ExeGroup,
                                FtpEntry::ReadOther, FtpEntry::WriteOther, FtpEntry::ExeOther};
    int result = 0;
    for (int i = 0; i < 9; ++i) {
        const QChar c = p.at(i);
        if (c != QLatin1Char('-') && c != QLatin1Char('S') && c != QLatin1Char('T') &&
            c != QLatin1Char('l') && c != QLatin1Char('L'))
            result |= bits[i];
    }
    return result;
}

} // namespace

bool FtpListParser::parseLine(const QString& line, FtpEntry* entry, const QDateTime& now)
{
    *entry = FtpEntry();
    if (parseUnix(line, entry, now) || parseDos(line, entry)) {
        entry->setValid(true);
        return true;
    }
    *entry = FtpEntry();
    return false;
}

bool FtpListParser::parseUnix(const QString& line, FtpEntry* entry, const QDateTime& now)
{
    static const QRegularExpression modeRx(QStringLiteral("^[-dlcbps]([-rwxsStTlL]{9})[+.@]?$"));
    const QVector<Token> t = tokenize(line);
    if (t.size() < 6)
        return false;
    const QRegularExpressionMatch mode = modeRx.match(t.at(0).text);
    if (!mode.hasMatch())
        return false;

    // Find "<size> <month> <day> <time or year>", then the name after it.
    // Owner, group and link count vary between servers, so they are whatever
    // lies between the mode and the size.
    int m = -1;
    for (int i = 2; i + 2 < t.size(); ++i) {
        if (monthNumber(t.at(i).text) && isNumber(t.at(i - 1).text) && isNumber(t.at(i + 1).text)) {
            m = i;
            break;
        }
    }
    if (m < 0 || m + 3 > t.size())
        return false;
    const int day = t.at(m + 1).text.toInt();
    const QString timeOrYear = t.at(m + 2).text.toString();
    int year = 0;
    QTime time(0, 0);
    static const QRegularExpression timeRx(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    const QRegularExpressionMatch tm = timeRx.match(timeOrYear);
    if (tm.hasMatch()) {
        time = QTime(tm.captured(1).toInt(), tm.captured(2).toInt());
        year = now.date().year();
    } else if (timeOrYear.size() == 4 && isNumber(t.at(m + 2).text)) {
        year = timeOrYear.toInt();
    } else {
        return false;
    }

    QString name = line.mid(t.at(m + 2).end);
    while (!name.isEmpty() && name.at(0).isSpace())
        name.remove(0, 1);
    const QChar type = line.at(t.at(0).text.position());
    if (type == QLatin1Char('l')) {
        const int arrow = name.indexOf(QLatin1String(" -> "));
        if (arrow >= 0)
            name.truncate(arrow);
    }
    if (name.isEmpty())
        return false;

    // A size that does not fit a signed 64-bit count is no size: the line is
    // malformed, not an empty file.
    bool sizeOk = false;
    const qint64 size = t.at(m - 1).text.toLongLong(&sizeOk);
    if (!sizeOk)
        return false;

    QDateTime modified(QDate(year, monthNumber(t.at(m).text), day), time);
    if (tm.hasMatch() && modified.isValid() && modified > now.addDays(1))
        modified = modified.addYears(-1);

    entry->setName(name);
    entry->setSize(size);
    entry->setDir(type == QLatin1Char('d'));
    entry->setFile(type == QLatin1Char('-'));
    entry->setSymLink(type == QLatin1Char('l'));
    entry->setPermissions(permissionBits(mode.capturedRef(1)));
    entry->setLastModified(modified);
    // Between the mode and the size: link count, owner and group when all
    // three are given; fewer fields leave the missing ones empty.
    const int fields = m - 2;
    if (fields >= 3) {
        entry->setOwner(t.at(2).text.toString());
        entry->setGroup(t.at(3).text.toString());
    } else if (fields == 2) {
        entry->setOwner(t.at(1).text.toString());
        entry->setGroup(t.at(2).text.toString());
    } else if (fields == 1) {
        entry->setOwner(t.at(1).text.toString());
    }
    return true;
}

bool FtpListParser::parseDos(const QString& line, FtpEntry* entry)
{
    static const QRegularExpression rx(
        QStringLiteral("^(\\d{1,2})-(\\d{1,2})-(\\d{2}|\\d{4})\\s+(\\d{1,2}):(\\d{2})"
                       "\\s*([AaPp][Mm])?\\s+(<DIR>|\\d+)\\s+(\\S.*)$"));
    const QRegularExpressionMatch m = rx.match(line);
    if (!m.hasMatch())
        return false;
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += year < 70 ? 2000 : 1900;
    int hour = m.captured(4).toInt();
    const QString ampm = m.captured(6).toUpper();
    if (!ampm.isEmpty()) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (ampm == QLatin1String("PM") ? 12 : 0);
    }
    const bool dir = m.captured(7) == QLatin1String("<DIR>");
    bool sizeOk = dir;
    const qint64 size = dir ? 0 : m.captured(7).toLongLong(&sizeOk);
    if (!sizeOk)
        return false;
    entry->setName(m.captured(8));
    entry->setDir(dir);
    entry->setFile(!dir);
    entry->setSize(size);
    entry->setLastModified(QDateTime(QDate(year, m.captured(1).toInt(), m.captured(2).toInt()),
                                     QTime(hour, m.captured(5).toInt())));
    return true;
}

bool FtpListParser::parseListingLine(const QByteArray& raw, FtpEntry* entry, const QDateTime& now)
{
    return parseLine(QString::fromUtf8(raw.constData(), raw.size()), entry, now) &&
           isSafeFileName(entry->name());
}

bool FtpListParser::isSafeFileName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QChar(0) || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return false;
    }
    // "C:name" is relative to a drive on Windows: never a plain name.
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return false;
    return name.toUtf8().size() <= 255;
}
