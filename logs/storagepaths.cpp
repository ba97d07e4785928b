#include "storagepaths.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Keeps a name part from adding folder levels (or climbing out of the root).
QString oneLevel(QString part)
{
    part.replace(QLatin1Char('/'), QLatin1Char('_'));
    part.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return part;
}

bool makeFolder(const QString& path)
{
    if (QFileInfo(path).isDir())
        return true;
    return QDir().mkpath(path);
}

} // namespace

StoragePaths::StoragePaths(const QString& root, const QString& address, int tcpPort, const QString& plant)
    : rootPath(root), folder(storageFolderFor(root, address, tcpPort, plant)),
      history(historyFolderFor(folder))
{
}

bool StoragePaths::create() const
{
    if (!isValid())
        return false;
    const bool historyMade = makeFolder(history);
    const bool folderMade = makeFolder(folder);
    return historyMade && folderMade;
}

QString StoragePaths::filePath(const QString& fileName) const
{
    return isValid() ? folder + QLatin1Char('/') + fileName : QString();
}

QString StoragePaths::historyFilePath(const QString& fileName) const
{
    return isValid() ? history + QLatin1Char('/') + fileName : QString();
}

QString StoragePaths::fileInFolder(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QString();
    for (const QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QChar(0) || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return QString();
    const QString path = folder + QLatin1Char('/') + name;
    // What the path resolves to must still be an entry of the folder itself.
    const QString parent = QFileInfo(QDir::cleanPath(QFileInfo(path).absoluteFilePath())).absolutePath();
    if (parent != QDir::cleanPath(QFileInfo(folder).absoluteFilePath()))
        return QString();
    return path;
}

QString StoragePaths::storageFolderFor(const QString& root, const QString& address, int tcpPort,
                                       const QString& plant)
{
    if (root.isEmpty())
        return QString();
    QString base = root;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + oneLevel(address) + folderSuffix(tcpPort, oneLevel(plant));
}

QString StoragePaths::folderSuffix(int tcpPort, const QString& plant)
{
    if (tcpPort == 0)
        return QStringLiteral("-502-") + plant;
    return QStringLiteral("-%1-%2").arg(QString::number(tcpPort), plant);
}

QString StoragePaths::historyFolderFor(const QString& storageFolder)
{
    if (storageFolder.isEmpty())
        return QString();
    return storageFolder + QLatin1Char('/') + historyFolderName();
}

QString StoragePaths::dailyLogName(const QDate& day)
{
    return dailyLogName(day.year(), day.month(), day.day());
}

QString StoragePaths::dailyLogName(int year, int month, int day)
{
    return QStringLiteral("DP_%1_%2_%3.log")
        .arg(year)
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'));
}

QString StoragePaths::totalsLogName(int year)
{
    return QStringLiteral("TOTALS_%1.log").arg(year);
}

bool StoragePaths::isHistoryFileName(const QString& fileName)
{
    return fileName.startsWith(QLatin1String("DP")) || fileName.startsWith(QLatin1String("TOTALS")) ||
           fileName.startsWith(QLatin1String("INV_"));
}
