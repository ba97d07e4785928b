#pragma once
// A file received over the network, written as a temporary file in the final
// name's folder and moved over that name in one rename once it is complete.
// Until then an existing copy stays as it was; a download that is dropped
// (or a program that dies) leaves nothing behind: where the system allows,
// the temporary file has no name before the commit.
//
// Unlike QSaveFile it does not wait for the disk at the end: downloads are
// committed on the GUI thread, one per finished transfer, and a copy lost to
// a power cut is fetched again.

#include <QString>
#include <QTemporaryFile>

class DownloadFile
{
public:
    explicit DownloadFile(const QString& path);
    // Removes the partial copy unless committed.
    ~DownloadFile();
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // Creates the partial copy in the final name's folder (which must exist).
    bool open();
    // Where the data goes while the download runs.
    QIODevice* device() { return &partial; }
    // Closes the partial copy and renames it over the final name. False (and
    // the partial copy removed) when it could not be written or renamed.
    bool commit();
    QString fileName() const { return target; }
    QString errorString() const { return error; }

private:
    QString target;
    QTemporaryFile partial;
    QString error;
};
