#pragma once
// Where an equipment's local files live: the storage root shared by the
// plant, the equipment's storage folder under it, its history folder, and the
// names of the files kept there.

#include <QDate>
#include <QString>

class StoragePaths
{
public:
    StoragePaths() = default;
    // root: the storage root (the settings file's folder, normally with a
    // trailing "/"); address: the equipment's address text; tcpPort: its TCP
    // port (0 counts as 502); plant: the plant name.
    StoragePaths(const QString& root, const QString& address, int tcpPort, const QString& plant);

    QString root() const { return rootPath; }
    QString storageFolder() const { return folder; }
    QString historyFolder() const { return history; }
    // False when built without a storage root: there is then no folder at all.
    bool isValid() const { return !folder.isEmpty(); }

    // Creates the history folder (and with it the storage folder) and the
    // storage folder when missing. True when both exist afterwards.
    bool create() const;

    // Paths of the files of the storage folder ("" when not valid).
    QString filePath(const QString& fileName) const;
    QString dailyLogPath(const QDate& day) const { return filePath(dailyLogName(day)); }
    QString totalsLogPath(int year) const { return filePath(totalsLogName(year)); }
    QString snapshotPath() const { return filePath(snapshotName()); }
    QString eventLogPath() const { return filePath(eventLogName()); }
    // Path of a file of the history folder ("" when not valid).
    QString historyFilePath(const QString& fileName) const;

    // folder + "/" + name when that path names an entry directly inside the
    // folder; "" otherwise (an empty folder or name, ".", "..", a name with
    // a path separator, NUL or line break, or one that resolves elsewhere).
    // Names received from a board pass through here before anything is
    // written under them.
    static QString fileInFolder(const QString& folder, const QString& name);

    // Storage folder: root + address + "-" + port + "-" + plant, the port 0
    // written as 502. A root without a trailing "/" gets one; path separators
    // inside the address or plant name become "_" so the folder stays one
    // level under the root. An empty root gives "" (no folder).
    static QString storageFolderFor(const QString& root, const QString& address, int tcpPort,
                                    const QString& plant);
    // "-%1-%2" of the port and the plant, or "-502-" + plant for port 0.
    static QString folderSuffix(int tcpPort, const QString& plant);
    // storage folder + "/hisram".
    static QString historyFolderFor(const QString& storageFolder);

    // "DP_%1_%2_%3.log" of year, month and day, month and day on two digits.
    static QString dailyLogName(const QDate& day);
    static QString dailyLogName(int year, int month, int day);
    // "TOTALS_%1.log" of the year.
    static QString totalsLogName(int year);
    static QString snapshotName() { return QStringLiteral("snapshot.png"); }
    static QString eventLogName() { return QStringLiteral("Inv.Log"); }
    static QString historyFolderName() { return QStringLiteral("hisram"); }

    // Files of the board's history folder that are copied: names beginning
    // "DP", "TOTALS" or "INV_".
    static bool isHistoryFileName(const QString& fileName);

private:
    QString rootPath;
    QString folder;
    QString history;
};
