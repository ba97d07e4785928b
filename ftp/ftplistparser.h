#pragma once
// Parsing of LIST lines (Unix "ls -l" style and DOS/IIS style) into entries,
// and the check that a listed name is safe to use as a local file name.

#include "ftpentry.h"

#include <QDateTime>
#include <QString>

class FtpListParser
{
public:
    // Longest listing line the client accepts; a longer one fails the listing.
    static constexpr int MaxLineLength = 8192;

    // Fills *entry from one listing line (without its line end) and returns
    // true; false for lines that are not entries ("total 12", blank, garbage).
    // Dates without a year are placed in the year before `now` when they
    // would otherwise lie more than a day after it, as ls does.
    static bool parseLine(const QString& line, FtpEntry* entry,
                          const QDateTime& now = QDateTime::currentDateTime());

    // One line of a LIST data stream as the client receives it (UTF-8, line
    // end removed): true when it is an entry whose name is safe to use as a
    // local file name (isSafeFileName). A NUL inside the bytes stays in the
    // name, and so gets the entry refused. When an entry is refused for its
    // name, *entry still holds it (the client traces the name).
    static bool parseListingLine(const QByteArray& raw, FtpEntry* entry,
                                 const QDateTime& now = QDateTime::currentDateTime());

    // True when the name can name a file inside a local folder: not empty,
    // not "." or "..", no "/", "\\", NUL, CR or LF, no drive prefix, and at
    // most 255 bytes in UTF-8.
    static bool isSafeFileName(const QString& name);

private:
    static bool parseUnix(const QString& line, FtpEntry* entry, const QDateTime& now);
    static bool parseDos(const QString& line, FtpEntry* entry);
};
