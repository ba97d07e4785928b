#pragma once
// The FTP jobs of one equipment, beside its link: copying the board's logs,
// totals log, snapshot and history files into the storage folder, and
// uploading a firmware upgrade. One job at a time; each job is one FTP
// connection of its own kind:
//   1 upgrade        upload of a firmware package as "Update.tgz"
//   2 log sync       every missing file of the board's "applog" folder
//   3 totals fetch   this year's totals log (always overwritten)
//   4 today fetch    today's daily log (always overwritten)
//   5 history sync   every missing file of the board's "hisram" folder
//   6 snapshot fetch "snapshot.png"
// The link starts the periodic chain (today, totals, snapshot) when it
// connects and every 5 minutes, closes the running job when the board falls
// silent or goes away, and serves an abandon request on its next tick after
// a job has stalled.
//
// Downloads are atomic: a file is written beside its final name and takes
// its place only once the transfer has completed; a failed, stopped or
// stalled transfer leaves an existing copy as it was. Names received from
// the board are used only when they stay inside the storage folder.
//
// Widget-free: the tile shows what this class reports through its signals.

#include "ftpclient.h"
#include "storagepaths.h"

#include <QByteArray>
#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class DownloadFile;
class EquipmentLink;
class EquipmentSettings;
class MonthlyEnergyCache;
class QTimer;

class LogSync : public QObject
{
    Q_OBJECT
public:
    enum Kind
    {
        NoJob = 0,
        Upgrade = 1,
        LogFilesSync = 2,
        TotalsFetch = 3,
        TodayFetch = 4,
        HistorySync = 5,
        SnapshotFetch = 6
    };
    Q_ENUM(Kind)
    static constexpr int ActivityTimeoutMs = 20000;
    static constexpr int UpgradeTimeoutMs = 600000;
    // An upgrade package larger than this is refused (read whole into memory).
    static constexpr qint64 MaxUpgradeBytes = 256 * 1024 * 1024;

    // The link gives the board's address, the equipment kind and connection
    // state, and is connected here: its log-sync requests start a today
    // fetch, its close requests close the job, its ticks serve the abandon
    // request, and a finished upgrade upload sets its update-available query.
    explicit LogSync(EquipmentLink* link, QObject* parent = nullptr);
    ~LogSync() override;

    // --- Where the files come from and go ---
    void setFtpPort(int port) { ftpPortNumber = port; }
    int ftpPort() const { return ftpPortNumber; }
    void setStorage(const StoragePaths& paths) { storage = paths; }
    const StoragePaths& storagePaths() const { return storage; }
    // The equipment's settings ("/inv/LastSync") and monthly energy cache
    // (emptied after every totals fetch); both may be absent.
    void setSettings(EquipmentSettings* equipmentSettings) { settings = equipmentSettings; }
    void setMonthlyEnergyCache(MonthlyEnergyCache* cache) { monthlyEnergy = cache; }
    // Activity timeouts (20 s, 10 minutes for an upgrade); shorter in tests.
    void setActivityTimeouts(int ms, int upgradeMs);
    // Today's date (the system's by default), which names the fetched logs.
    void setDateSource(std::function<QDate()> source) { dateSource = std::move(source); }

    // --- Starting and stopping jobs ---
    // Starts a job of kind 2 to 6. Refused silently for a string box or a
    // TPX, while a log or history sync is open, and while an upgrade upload
    // runs. A today, totals or snapshot job still open is closed first.
    void StartFtpActivity(int kind);
    // The communication window's sync buttons: starts a log sync (2) or a
    // history sync (5) when the board is connected and not excluded. True
    // when the job started.
    bool startIfConnected(int kind);
    // The communication window's "Stop download": the timer stopped, the job
    // closed (a partial download removed), status "Ready.", the sync ended,
    // the buttons enabled.
    void StopDownload();
    // The Update button's upload: reads the file whole and uploads it as
    // "Update.tgz", closing any open job first. An empty, unreadable or
    // oversized file, and a TPX equipment, are refused with a status text;
    // nothing is sent then. True when the upload started.
    bool StartUpgrade(const QString& path);

    // --- The job machinery ---
    void StartFtpActivityTimer();
    void StopFtpActivityTimer(int line);
    void RestartFtpActivityTimer();
    // Drops the connection (abort, signals disconnected, close); the job kind
    // and the lists stay. A transfer under way is discarded.
    void CloseFtp(int line);
    // Job kind back to 0, the download discarded, then CloseFtp.
    void CloseOpenFileAndFtp(int line);
    static bool fileExists(const QString& path);
    // One step of the download loop of a log sync / a history sync.
    void ManageFtpGetOfLogs();
    void ManageFtpGetOfHisRam();
    // "/inv/LastSync" := yesterday, "yyyy-MM-dd" (the in-memory value of the
    // settings is left as it is).
    void SaveTodaySync();
    void SetLastSync(int day, int month, int year);

    // --- State ---
    int jobKind() const { return job; }
    bool hasConnection() const { return ftp != nullptr; }
    QStringList logList() const { return logNames; }
    QStringList historyList() const { return historyNames; }
    int fileIndex() const { return index; }
    bool timedOut() const { return timedOutFlag; }
    bool todayLogFetched() const { return todayFetched; }
    bool upgradeStarted() const { return upgradeStartedFlag; }
    bool transferComplete() const { return transferCompleteFlag; }
    int uploadCommandId() const { return putId; }
    QString upgradeFileName() const { return upgradeFile; }

    // "[%1/%2] %3K/%4K" of the progress texts: file index (from 0), names
    // listed, kilobytes done (two digits at least) and in total.
    static QString progressText(int fileIndex, int count, qint64 done, qint64 total);

public slots:
    void addToList(const FtpEntry& entry);
    void ftpStateChangedEvent(int state);
    void ftpCommandFinished(int id, bool error);
    void ftpDone(bool error);
    void ftpUpdateDataTransferProgress(qint64 done, qint64 total);
    void ftpActivityTimer();
    // The link's tick: closes a job whose activity timer ran out, and clears
    // the flags of a completed upgrade.
    void serveAbandonRequest();

signals:
    // The tile's status line.
    void statusChanged(const QString& text);
    // The tile's buttons: disabled while a sync started from the tile runs,
    // enabled again when a job ends.
    void buttonsEnabled(bool on);
    // The communication window is told that the sync has ended.
    void syncEnded();
    // A fresh snapshot is in the storage folder.
    void snapshotFetched(const QString& path);
    // The upgrade package has been uploaded; the link sends the update-available query.
    void upgradeUploaded();

private:
    bool refuses() const;
    void openConnection();
    void loggedIn();
    void fetchOne(const QString& name);
    void manageDownloads(bool history);
    bool openDownload(const QString& path);
    bool commitDownload();
    void discardDownload();
    void commandFailed(int id);
    void endFailedSync();
    void endJob(int line);
    void reportError(const char* operation);
    void logEvent(const QString& message);
    QDate today() const;
    QString folderOf(bool history) const;

    EquipmentLink* link;
    EquipmentSettings* settings = nullptr;
    MonthlyEnergyCache* monthlyEnergy = nullptr;
    StoragePaths storage;
    int ftpPortNumber = 21;
    int activityMs = ActivityTimeoutMs;
    int upgradeMs = UpgradeTimeoutMs;
    std::function<QDate()> dateSource;

    FtpClient* ftp = nullptr;
    int job = NoJob;
    DownloadFile* download = nullptr;
    int getId = -1;
    QStringList logNames;
    QStringList historyNames;
    int index = 0;
    QTimer* activityTimer = nullptr;
    bool timedOutFlag = false;
    bool resuming = false;       // a retried sync goes on from its file index
    bool failureHandled = false; // the failed command's job goes on
    bool todayFetched = false;

    QString upgradeFile;
    QByteArray upgradeData;
    bool upgradeStartedFlag = false;
    bool transferCompleteFlag = false;
    int putId = -1;
};
