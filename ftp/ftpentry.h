#pragma once
// One entry of a remote folder listing, as handed out by FtpClient::listInfo().

#include <QDateTime>
#include <QMetaType>
#include <QString>

class FtpEntry
{
public:
    // Permission bits, as in a Unix listing.
    enum Permission
    {
        ReadOwner = 00400,
        WriteOwner = 00200,
        ExeOwner = 00100,
        ReadGroup = 00040,
        WriteGroup = 00020,
        ExeGroup = 00010,
        ReadOther = 00004,
        WriteOther = 00002,
        ExeOther = 00001
    };

    FtpEntry() = default;

    // An entry is valid once a listing line has been parsed into it.
    bool isValid() const { return m_valid; }
    void setValid(bool v) { m_valid = v; }

    QString name() const { return m_name; }
    void setName(const QString& n) { m_name = n; }
    qint64 size() const { return m_size; }
    void setSize(qint64 s) { m_size = s; }

    bool isDir() const { return m_dir; }
    void setDir(bool d) { m_dir = d; }
    bool isFile() const { return m_file; }
    void setFile(bool f) { m_file = f; }
    bool isSymLink() const { return m_symLink; }
    void setSymLink(bool s) { m_symLink = s; }

    QDateTime lastModified() const { return m_lastModified; }
    void setLastModified(const QDateTime& dt) { m_lastModified = dt; }

    QString owner() const { return m_owner; }
    void setOwner(const QString& o) { m_owner = o; }
    QString group() const { return m_group; }
    void setGroup(const QString& g) { m_group = g; }
    // Combination of Permission bits; 0 when the listing gives none (DOS style).
    int permissions() const { return m_permissions; }
    void setPermissions(int p) { m_permissions = p; }

    bool operator==(const FtpEntry& o) const;
    bool operator!=(const FtpEntry& o) const { return !(*this == o); }

private:
    QString m_name;
    QString m_owner;
    QString m_group;
    QDateTime m_lastModified;
    qint64 m_size = 0;
    int m_permissions = 0;
    bool m_dir = false;
    bool m_file = false;
    bool m_symLink = false;
    bool m_valid = false;
};

Q_DECLARE_METATYPE(FtpEntry)
