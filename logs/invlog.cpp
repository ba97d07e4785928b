#include "invlog.h"
#include "logging.h"

#include "storagepaths.h"

#include <QDir>
#include <QFile>
#include <QtDebug>

namespace {

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

namespace InvLog {

QString formatLine(const QDateTime& when, const QString& address, const QString& message)
{
    return when.toString(Qt::TextDate) + QLatin1Char('-') + oneLine(address) + QLatin1String(": ") +
           oneLine(message) + QLatin1Char('\n');
}

bool write(const QString& storageFolder, const QString& address, const QString& message)
{
    return write(storageFolder, address, message, QDateTime::currentDateTime());
}

bool write(const QString& storageFolder, const QString& address, const QString& message,
           const QDateTime& when)
{
    if (storageFolder.isEmpty())
        return false;
    QFile file(storageFolder + QLatin1Char('/') + StoragePaths::eventLogName());
    if (!file.open(QIODevice::Append | QIODevice::Text)) {
        // The folder may have been removed behind our back: make it again.
        if (!QDir().mkpath(storageFolder) || !file.open(QIODevice::Append | QIODevice::Text)) {
            qCDebug(lcLogs, "%s: cannot open %s", "WriteToLog", qPrintable(file.fileName()));
            return false;
        }
    }
    const QByteArray line = formatLine(when, address, message).toUtf8();
    const bool written = file.write(line) == line.size() && file.flush();
    file.close();
    return written;
}

} // namespace InvLog
