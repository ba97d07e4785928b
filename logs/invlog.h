#pragma once
// The equipment's event log "Inv.Log" in its storage folder: one
// self-contained line per event, appended and closed again at every write.

#include <QDateTime>
#include <QString>

namespace InvLog {

// The line written for one event: the local date and time in Qt's text date
// format, "-", the address text, ": ", the message and "\n". Line breaks
// inside the address or the message become blanks, so every event stays on
// one line of its own.
QString formatLine(const QDateTime& when, const QString& address, const QString& message);

// Appends the line of an event stamped now to storageFolder + "/Inv.Log", in
// UTF-8, and closes the file again. The folder is created when missing.
// Returns false (and writes nothing) when there is no storage folder yet or
// the file cannot be written.
bool write(const QString& storageFolder, const QString& address, const QString& message);

// The same with a given time stamp.
bool write(const QString& storageFolder, const QString& address, const QString& message,
           const QDateTime& when);

} // namespace InvLog
