#include "logsync.h"

#include "boardftp.h"
#include "downloadfile.h"
#include "equipmentlink.h"
#include "equipmentsettings.h"
#include "invlog.h"
#include "logging.h"
#include "totalslog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

LogSync::LogSync(EquipmentLink* equipmentLink, QObject* parent) : QObject(parent), link(equipmentLink)
{
    connect(link, &EquipmentLink::logSyncDue, this, [this] { StartFtpActivity(TodayFetch); });
    connect(link, &EquipmentLink::ftpJobMustClose, this, &LogSync::CloseFtp);
    connect(link, &EquipmentLink::tickStarted, this, &LogSync::serveAbandonRequest);
}

LogSync::~LogSync()
{
    if (ftp)
        disconnect(ftp, nullptr, this, nullptr);
    discardDownload();
}

void LogSync::setActivityTimeouts(int ms, int upgrade)
{
    activityMs = ms;
    upgradeMs = upgrade;
}

QDate LogSync::today() const
{
    return dateSource ? dateSource() : QDate::currentDate();
}

QString LogSync::folderOf(bool history) const
{
    return history ? storage.historyFolder() : storage.storageFolder();
}

QString LogSync::progressText(int fileIndex, int count, qint64 done, qint64 total)
{
    return QStringLiteral("[%1/%2] %3K/%4K")
        .arg(fileIndex)
        .arg(count)
        .arg(done / 1024, 2, 10, QLatin1Char('0'))
        .arg(total / 1024);
}

bool LogSync::fileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// --- Starting and stopping ---

bool LogSync::refuses() const
{
    if (link->isStringBox() || link->isTpx())
        return true;
    // A manual sync runs until it ends or is stopped; an upload is not cut
    // short by the periodic fetches.
    if (job == LogFilesSync || job == HistorySync)
        return true;
    return job == Upgrade && ftp;
}

void LogSync::StartFtpActivity(int kind)
{
    if (kind < LogFilesSync || kind > SnapshotFetch || refuses()) {
        qCDebug(lcLogSync, "%s: kind %d refused (running %d)", "StartFtpActivity", kind, job);
        return;
    }
    if (kind == LogFilesSync || kind == HistorySync) {
        emit statusChanged("Contacting...");
        emit buttonsEnabled(false);
    }
    if (job != NoJob) {
        StopFtpActivityTimer(__LINE__);
        CloseOpenFileAndFtp(__LINE__);
    }
    timedOutFlag = false;
    resuming = false;
    failureHandled = false;
    if (kind == LogFilesSync)
        logNames.clear();
    else if (kind == HistorySync)
        historyNames.clear();
    job = kind;
    openConnection();
    StartFtpActivityTimer();
    index = 0;
}

bool LogSync::startIfConnected(int kind)
{
    if (!link->isConnected() || link->isExcluded())
        return false;
    StartFtpActivity(kind);
    return job == kind && ftp;
}

void LogSync::StopDownload()
{
    StopFtpActivityTimer(__LINE__);
    timedOutFlag = false;
    CloseOpenFileAndFtp(__LINE__);
    emit statusChanged("Ready.");
    emit syncEnded();
    emit buttonsEnabled(true);
}

bool LogSync::StartUpgrade(const QString& path)
{
    QByteArray data;
    QFile file(path);
    if (!link->isTpx() && file.open(QIODevice::ReadOnly) && file.size() <= MaxUpgradeBytes)
        data = file.readAll();
    file.close();
    if (data.isEmpty()) {
        // The TPX cycle has no update-available query: its upgrade could never complete.
        const QString why = link->isTpx() ? QString("no upgrade over the network for a TPX")
                                          : QString("the file is empty, unreadable or too large");
        qCDebug(lcLogSync, "%s: %s refused: %s", "UpdateButton", qPrintable(path), qPrintable(why));
        emit statusChanged("Upgrade refused: " + why + ".");
        return false;
    }
    const int previous = job;
    StopFtpActivityTimer(__LINE__);
    CloseOpenFileAndFtp(__LINE__);
    if (previous == LogFilesSync || previous == HistorySync) {
        emit syncEnded();
        emit buttonsEnabled(true);
    }
    upgradeFile = path;
    upgradeData = data;
    timedOutFlag = false;
    failureHandled = false;
    job = Upgrade;
    openConnection();
    upgradeStartedFlag = true;
    transferCompleteFlag = false;
    putId = -1;
    emit statusChanged("Contacting...");
    return true;
}

void LogSync::openConnection()
{
    ftp = new FtpClient(this);
    connect(ftp, &FtpClient::commandFinished, this, &LogSync::ftpCommandFinished);
    connect(ftp, &FtpClient::dataTransferProgress, this, &LogSync::ftpUpdateDataTransferProgress);
    connect(ftp, &FtpClient::stateChanged, this, &LogSync::ftpStateChangedEvent);
    connect(ftp, &FtpClient::listInfo, this, &LogSync::addToList);
    connect(ftp, &FtpClient::done, this, &LogSync::ftpDone);
    ftp->connectToHost(link->address(), quint16(ftpPortNumber));
}

void LogSync::CloseFtp(int line)
{
    if (!ftp)
        return;
    qCDebug(lcLogSync, "%s: line %d, kind %d", "CloseFtp", line, job);
    // Nothing of this connection reaches us any more; it goes once the
    // event loop has run (its abort reports from there).
    disconnect(ftp, nullptr, this, nullptr);
    ftp->abort();
    ftp->close();
    ftp->deleteLater();
    ftp = nullptr;
    // A transfer without its connection never completes.
    discardDownload();
}

void LogSync::CloseOpenFileAndFtp(int line)
{
    if (job == Upgrade)
        upgradeData.clear();
    job = NoJob;
    discardDownload();
    CloseFtp(line);
}

void LogSync::StartFtpActivityTimer()
{
    if (!activityTimer) {
        activityTimer = new QTimer(this);
        activityTimer->setSingleShot(true);
        connect(activityTimer, &QTimer::timeout, this, &LogSync::ftpActivityTimer);
    }
    activityTimer->start(job == Upgrade ? upgradeMs : activityMs);
}

void LogSync::RestartFtpActivityTimer()
{
    StartFtpActivityTimer();
}

void LogSync::StopFtpActivityTimer(int line)
{
    if (!activityTimer)
        return;
    qCDebug(lcLogSync, "%s: line %d", "StopFtpActivityTimer", line);
    // May run from the timer's own timeout: deleted once that has returned.
    activityTimer->stop();
    activityTimer->deleteLater();
    activityTimer = nullptr;
}

// --- Downloads ---

bool LogSync::openDownload(const QString& path)
{
    discardDownload();
    if (path.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    download = new DownloadFile(path);
    if (!download->open()) {
        qCDebug(lcLogSync, "%s: cannot write %s: %s", "openDownload", qPrintable(path),
                qPrintable(download->errorString()));
        discardDownload();
        return false;
    }
    return true;
}

bool LogSync::commitDownload()
{
    if (!download)
        return false;
    const bool committed = download->commit();
    if (!committed)
        logEvent(QString("%1: cannot write %2: %3")
                     .arg("ftpCommandFinished", download->fileName(), download->errorString()));
    delete download;
    download = nullptr;
    getId = -1;
    return committed;
}

void LogSync::discardDownload()
{
    getId = -1;
    if (!download)
        return;
    delete download; // removes the partial copy
    download = nullptr;
}

void LogSync::fetchOne(const QString& name)
{
    if (openDownload(storage.filePath(name)))
        getId = ftp->get(name, download->device(), FtpClient::Binary);
}

void LogSync::ManageFtpGetOfLogs()
{
    manageDownloads(false);
}

void LogSync::ManageFtpGetOfHisRam()
{
    manageDownloads(true);
}

void LogSync::manageDownloads(bool history)
{
    if (!ftp)
        return;
    QStringList& names = history ? historyNames : logNames;
    const QString folder = folderOf(history);
    while (index < names.size()) {
        const QString path = StoragePaths::fileInFolder(folder, names.at(index));
        // Copies already here are complete: they are never fetched again.
        if (path.isEmpty() || fileExists(path)) {
            ++index;
            continue;
        }
        RestartFtpActivityTimer();
        if (!openDownload(path)) {
            logEvent(QString("%1: cannot write %2").arg("ManageFtpGetOfLogs", path));
            ++index;
            continue;
        }
        getId = ftp->get(names.at(index), download->device(), FtpClient::Binary);
        return; // the next step runs once this download is done
    }
    StopFtpActivityTimer(__LINE__);
    CloseOpenFileAndFtp(__LINE__);
    const QString count = QString(" (%1 files)").arg(names.size());
    names.clear();
    if (!history) {
        emit statusChanged("End sync." + count);
        emit syncEnded();
        StartFtpActivity(TotalsFetch);
    } else {
        emit statusChanged("End HisRam sync." + count);
        emit syncEnded();
        emit buttonsEnabled(true);
    }
}

void LogSync::SaveTodaySync()
{
    const QDate yesterday = today().addDays(-1);
    SetLastSync(yesterday.day(), yesterday.month(), yesterday.year());
}

void LogSync::SetLastSync(int day, int month, int year)
{
    const QString text =
        QString("%1-%2-%3").arg(year).arg(month, 2, 10, QLatin1Char('0')).arg(day, 2, 10, QLatin1Char('0'));
    qCDebug(lcLogSync, "%s: %s", "SetLastSync", qPrintable(text));
    if (settings)
        settings->write("/inv/LastSync", text);
}

// --- The connection's signals ---

void LogSync::addToList(const FtpEntry& entry)
{
    const QString name = entry.name();
    if (!StoragePaths::isHistoryFileName(name))
        return;
    const bool history = job == HistorySync;
    if (StoragePaths::fileInFolder(folderOf(history), name).isEmpty()) {
        qCDebug(lcLogSync) << "addToList: name left out:" << name;
        return;
    }
    (history ? historyNames : logNames).append(name);
}

void LogSync::ftpStateChangedEvent(int state)
{
    switch (state) {
    case FtpClient::Unconnected:
        if (job == LogFilesSync)
            emit statusChanged("+");
        else if (job == HistorySync)
            emit statusChanged("*");
        else if (job == Upgrade)
            qCDebug(lcLogSync, "%s: DISCONNECTED!", "ftpStateChangedEvent");
        break;
    case FtpClient::HostLookup:
    case FtpClient::Connecting:
    case FtpClient::Closing:
        RestartFtpActivityTimer();
        break;
    case FtpClient::Connected:
        ftp->login(boardftp::User, boardftp::Password);
        break;
    case FtpClient::LoggedIn:
        RestartFtpActivityTimer();
        loggedIn();
        break;
    default:
        break;
    }
}

void LogSync::loggedIn()
{
    switch (job) {
    case Upgrade:
        putId = ftp->put(upgradeData, boardftp::UpgradeName, FtpClient::Binary);
        break;
    case LogFilesSync:
    case HistorySync: {
        const bool history = job == HistorySync;
        ftp->cd(history ? boardftp::HistoryFolder : boardftp::LogFolder);
        if (!resuming) {
            ftp->list(QString());
        } else {
            // A retry: the listing is known, the loop goes on where it stalled.
            resuming = false;
            manageDownloads(history);
        }
        break;
    }
    case TotalsFetch:
        ftp->cd(boardftp::LogFolder);
        fetchOne(StoragePaths::totalsLogName(today().year()));
        break;
    case TodayFetch:
        ftp->cd(boardftp::LogFolder);
        fetchOne(StoragePaths::dailyLogName(today()));
        break;
    case SnapshotFetch:
        fetchOne(boardftp::SnapshotName);
        break;
    default:
        break;
    }
}

void LogSync::ftpCommandFinished(int id, bool error)
{
    if (error) {
        commandFailed(id);
        return;
    }
    if (id == getId)
        commitDownload();
    switch (job) {
    case Upgrade:
        if (upgradeStartedFlag && id == putId) {
            transferCompleteFlag = true;
            link->setQueryState(querytable::UpdateAvailable);
            qCDebug(lcLogSync, "Transfer complete, now SEND QUERY_UPDAV");
            StopFtpActivityTimer(__LINE__);
            CloseOpenFileAndFtp(__LINE__);
            emit upgradeUploaded();
        } else {
            RestartFtpActivityTimer();
        }
        break;
    case LogFilesSync:
    case HistorySync:
        if (ftp->state() == FtpClient::Unconnected) {
            endFailedSync();
        } else if (ftp->currentCommand() == FtpClient::List) {
            const bool history = job == HistorySync;
            if (!history)
                SaveTodaySync(); // processes events: the job may have gone meanwhile
            if (ftp)
                manageDownloads(history);
        }
        break;
    default:
        if (ftp->state() == FtpClient::Unconnected)
            endJob(__LINE__);
        else
            RestartFtpActivityTimer();
        break;
    }
}

void LogSync::reportError(const char* operation)
{
    const QString text =
        QString("%1: error %2: %3").arg(operation).arg(int(ftp->error())).arg(ftp->errorString());
    qCDebug(lcLogSync, "%s", qPrintable(text));
    logEvent(text);
}

void LogSync::commandFailed(int id)
{
    qCDebug(lcLogSync, "%s: Command %d error.", "ftpCommandFinished", id);
    const FtpClient::Command command = ftp->currentCommand();
    reportError("ftpCommandFinished");
    if (id == getId)
        discardDownload(); // the local copy stays as it was
    const bool connectionGone = ftp->state() == FtpClient::Unconnected ||
                                command == FtpClient::ConnectToHost || command == FtpClient::Login;
    switch (job) {
    case LogFilesSync:
    case HistorySync:
        if (command == FtpClient::Get && !connectionGone) {
            // This file is fetched again by a later sync; the others go on.
            ++index;
            failureHandled = true;
        } else {
            endFailedSync();
        }
        break;
    case TotalsFetch:
    case TodayFetch:
    case SnapshotFetch:
        // A file the board does not have (yet): the chain goes on when the job is done.
        if (!connectionGone)
            failureHandled = true;
        else
            endJob(__LINE__);
        break;
    default:
        if (job == Upgrade)
            emit statusChanged("Transfer failed.");
        endJob(__LINE__);
        break;
    }
}

void LogSync::endJob(int line)
{
    StopFtpActivityTimer(line);
    CloseOpenFileAndFtp(line);
    emit buttonsEnabled(true);
}

void LogSync::endFailedSync()
{
    emit statusChanged("Transfer failed.");
    emit syncEnded();
    endJob(__LINE__);
}

void LogSync::ftpDone(bool error)
{
    if (error && !failureHandled) {
        reportError("ftpDone");
        if (job == LogFilesSync || job == HistorySync)
            endFailedSync();
        else
            endJob(__LINE__);
        return;
    }
    const bool fetched = !failureHandled;
    failureHandled = false;
    switch (job) {
    case TodayFetch:
        StopFtpActivityTimer(__LINE__);
        CloseOpenFileAndFtp(__LINE__);
        todayFetched = todayFetched || fetched;
        emit buttonsEnabled(true);
        StartFtpActivity(TotalsFetch);
        break;
    case TotalsFetch:
        StopFtpActivityTimer(__LINE__);
        CloseOpenFileAndFtp(__LINE__);
        if (monthlyEnergy)
            monthlyEnergy->invalidate();
        if (!link->isStringBox())
            StartFtpActivity(SnapshotFetch);
        break;
    case SnapshotFetch: {
        StopFtpActivityTimer(__LINE__);
        CloseOpenFileAndFtp(__LINE__);
        emit buttonsEnabled(true);
        const QString path = storage.snapshotPath();
        if (fileExists(path))
            emit snapshotFetched(path);
        break;
    }
    case LogFilesSync:
        ManageFtpGetOfLogs();
        break;
    case HistorySync:
        ManageFtpGetOfHisRam();
        break;
    default:
        break;
    }
}

void LogSync::ftpUpdateDataTransferProgress(qint64 done, qint64 total)
{
    if (job == NoJob)
        return;
    // Data moving is activity: a long transfer is not taken for a stall.
    RestartFtpActivityTimer();
    switch (job) {
    case Upgrade:
        emit statusChanged("Update in progress...");
        break;
    case LogFilesSync:
        emit statusChanged("Syncing... " + progressText(index, logNames.size(), done, total));
        break;
    case HistorySync:
        emit statusChanged("Downloading... " + progressText(index, historyNames.size(), done, total));
        break;
    default:
        emit statusChanged("Ready.");
        emit syncEnded();
        break;
    }
}

void LogSync::ftpActivityTimer()
{
    if (job == LogFilesSync || job == HistorySync) {
        emit statusChanged("Transfer failed. Retrying...");
        const QStringList& names = job == HistorySync ? historyNames : logNames;
        if (names.isEmpty() || index >= names.size() || !ftp)
            return;
        // A get queued behind a stalled transfer would never start: the
        // stalled connection goes and a fresh one fetches the same file.
        qCDebug(lcLogSync, "%s: retrying %s", "ftpActivityTimer", qPrintable(names.at(index)));
        CloseFtp(__LINE__);
        resuming = true;
        failureHandled = false;
        openConnection();
        StartFtpActivityTimer();
        return;
    }
    if (job == NoJob)
        return;
    timedOutFlag = true;
    emit buttonsEnabled(true);
}

void LogSync::serveAbandonRequest()
{
    if (transferCompleteFlag) {
        transferCompleteFlag = false;
        upgradeStartedFlag = false;
    }
    if (!timedOutFlag)
        return;
    StopFtpActivityTimer(__LINE__);
    timedOutFlag = false;
    CloseOpenFileAndFtp(__LINE__);
}

void LogSync::logEvent(const QString& message)
{
    InvLog::write(storage.storageFolder(), link->address(), message);
}
