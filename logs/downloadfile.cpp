#include "downloadfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

DownloadFile::DownloadFile(const QString& path) : target(path), partial(path + QStringLiteral(".XXXXXX")) {}

DownloadFile::~DownloadFile() = default; // QTemporaryFile removes its file

bool DownloadFile::open()
{
    if (!partial.open()) {
        error = partial.errorString();
        return false;
    }
    // A temporary file is private to its owner; the copy reads like any other file.
    partial.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                           QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return true;
}

bool DownloadFile::commit()
{
    if (!partial.isOpen()) {
        error = QStringLiteral("not open");
        return false;
    }
    const bool flushed = partial.flush() && partial.error() == QFileDevice::NoError;
    if (!flushed)
        error = partial.errorString();
    partial.close();
    if (!flushed)
        return false;
    // rename() replaces an existing copy in one step.
    if (std::rename(QFile::encodeName(partial.fileName()).constData(),
                    QFile::encodeName(target).constData()) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    partial.setAutoRemove(false);
    return true;
}
