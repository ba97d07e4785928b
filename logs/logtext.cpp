#include "logtext.h"

#include <QIODevice>
#include <QVarLengthArray>
#include <QtMath>

#include <charconv>

namespace LogText {

bool readLine(QIODevice* device, int maxChars, QByteArray* line, bool* overlong)
{
    line->clear();
    *overlong = false;
    if (!device || device->atEnd())
        return false;
    // Room for the longest accepted line, its "\n" and one more byte to see
    // that a line is too long.
    QByteArray chunk = device->readLine(qint64(maxChars) + 2);
    if (chunk.isEmpty()) // a read error: even an empty line brings its "\n"
        return false;
    bool ended = chunk.endsWith('\n');
    if (ended)
        chunk.chop(1);
    if (chunk.endsWith('\r'))
        chunk.chop(1);
    if (chunk.size() > maxChars) {
        *overlong = true;
        chunk.clear();
        // Drop the rest of the line, a bounded chunk at a time.
        while (!ended && !device->atEnd()) {
            const QByteArray rest = device->readLine(4096);
            if (rest.isEmpty())
                break;
            ended = rest.endsWith('\n');
        }
    }
    *line = chunk;
    return true;
}

// The number readers scan by hand rather than with a regular expression and
// convert with std::from_chars (locale-independent): a day's log holds some
// 6000 numbers and is read whenever a graph is drawn.
namespace {

// Converts a number already scanned (ASCII, an optional sign first).
template <typename T> bool convert(QStringView number, T* value)
{
    QVarLengthArray<char, 64> chars(number.size());
    for (int i = 0; i < number.size(); ++i)
        chars[i] = char(number.at(i).unicode());
    const char* first = chars.constData();
    const char* last = first + chars.size();
    if (first != last && *first == '+')
        ++first;
    const std::from_chars_result r = std::from_chars(first, last, *value);
    return r.ec == std::errc() && r.ptr == last;
}

bool isAsciiSpace(QChar c)
{
    const ushort u = c.unicode();
    return u == ' ' || (u >= '\t' && u <= '\r');
}

bool isAsciiDigit(QStringView text, int i)
{
    return i < text.size() && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9';
}

int skipDigits(QStringView text, int i)
{
    while (isAsciiDigit(text, i))
        ++i;
    return i;
}

int skipSpaces(QStringView text)
{
    int i = 0;
    while (i < text.size() && isAsciiSpace(text.at(i)))
        ++i;
    return i;
}

int skipSign(QStringView text, int i)
{
    return i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')) ? i + 1 : i;
}

} // namespace

int leadingInt(QStringView text, bool* ok)
{
    // [blanks] [+-] digits
    const int start = skipSpaces(text);
    const int digits = skipSign(text, start);
    const int end = skipDigits(text, digits);
    bool good = false;
    int value = 0;
    if (end > digits)
        good = convert(text.mid(start, end - start), &value);
    if (!good)
        value = 0;
    if (ok)
        *ok = good;
    return value;
}

double leadingDouble(QStringView text, bool* ok)
{
    // [blanks] [+-] (digits [. [digits]] | . digits) [(e|E) [+-] digits]
    const int start = skipSpaces(text);
    const int mantissa = skipSign(text, start);
    int end = skipDigits(text, mantissa);
    // A "." counts after digits, or before one.
    if (end < text.size() && text.at(end) == QLatin1Char('.') &&
        (end > mantissa || isAsciiDigit(text, end + 1)))
        end = skipDigits(text, end + 1);
    bool good = false;
    double value = 0.0;
    if (end > mantissa) {
        if (end < text.size() && (text.at(end) == QLatin1Char('e') || text.at(end) == QLatin1Char('E'))) {
            const int exponent = skipSign(text, end + 1);
            const int exponentEnd = skipDigits(text, exponent);
            if (exponentEnd > exponent)
                end = exponentEnd;
        }
        good = convert(text.mid(start, end - start), &value);
    }
    if (!good || !qIsFinite(value)) {
        good = false;
        value = 0.0;
    }
    if (ok)
        *ok = good;
    return value;
}

} // namespace LogText
