#include "logtext.h"

#include <QIODevice>
#include <QLocale>
#include <QRegularExpression>
#include <QtMath>

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

int leadingInt(const QString& text, bool* ok)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([+-]?\\d+)"));
    const QRegularExpressionMatch m = re.match(text);
    bool good = false;
    int value = 0;
    if (m.hasMatch())
        value = m.captured(1).toInt(&good);
    if (!good)
        value = 0;
    if (ok)
        *ok = good;
    return value;
}

double leadingDouble(const QString& text, bool* ok)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch m = re.match(text);
    bool good = false;
    double value = 0.0;
    if (m.hasMatch())
        value = QLocale::c().toDouble(m.captured(1), &good);
    if (!good || !qIsFinite(value)) {
        good = false;
        value = 0.0;
    }
    if (ok)
        *ok = good;
    return value;
}

} // namespace LogText
