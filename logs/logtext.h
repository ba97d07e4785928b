#pragma once
// Reading helpers shared by the log readers: bounded line reading and the
// lenient number reading of the board's text logs.

#include <QByteArray>
#include <QString>
#include <QStringView>

class QIODevice;

namespace LogText {

// Reads the next line of an open device into line, without its line end
// ("\n", or "\r\n" on a device opened in text mode). Lines longer than
// maxChars are consumed completely and reported through overlong, so the rest
// of such a line never turns into a line of its own. Returns false at the end.
bool readLine(QIODevice* device, int maxChars, QByteArray* line, bool* overlong);

// The number at the start of text, after leading blanks: an optional sign
// and decimal digits. Trailing text is ignored. ok is false when no digit is
// found or the value does not fit an int.
int leadingInt(QStringView text, bool* ok = nullptr);

// The decimal number at the start of text, after leading blanks, with "." as
// decimal point and an optional exponent, whatever the user's locale.
// Trailing text is ignored. ok is false (and 0.0 returned) when no number is
// found or it is not finite.
double leadingDouble(QStringView text, bool* ok = nullptr);

} // namespace LogText
