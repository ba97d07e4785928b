#pragma once
// The settings file of one equipment: an INI store in the user's settings
// place named after the equipment key, holding the "/inv/" keys. Every key
// read is written back, so that the file always holds it; after every write
// the file is synced and pending events are processed.

#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

class EquipmentSettings
{
public:
    EquipmentSettings();
    ~EquipmentSettings();

    // Opens (or creates) the file of the equipment key; a file already open
    // is closed first.
    void open(const QString& equipmentKey);
    bool isOpen() const { return settings != nullptr; }
    // Moves every key of the open file into the file of another equipment
    // key and removes the old file; the old file stays when the new one
    // cannot be written. Opens the new file when none was open.
    bool moveTo(const QString& equipmentKey);
    QString fileName() const;

    // Reads "/inv/LastSync", "/inv/IsExcluded", "/inv/IsZETA" and "/inv/IsTPX"
    // (each written back) and writes "/inv/DnsName": "NO_DNS_NAME" for an
    // empty DNS name. Without an open file the defaults are kept.
    void load(const QString& dnsName);

    QString lastSync() const { return lastSyncText; }
    bool excluded() const { return isExcluded; }
    bool zeta() const { return isZeta; }
    bool tpx() const { return isTpx; }

    // Each stores the value and writes its key.
    void setLastSync(const QString& date);
    void setExcluded(bool on);
    void setZeta(bool on);
    void setTpx(bool on);
    void setDnsName(const QString& dnsName);

    // Reads a key (the default when absent, or when no file is open),
    // converted to the type, and writes it back under the same key.
    int readBackInt(const char* key, int def);
    double readBackDouble(const char* key, double def);
    bool readBackBool(const char* key, bool def);
    QString readBackString(const char* key, const QString& def);

    // Writes a key, syncs the file and processes pending events; nothing
    // without an open file.
    void write(const char* key, const QVariant& value);

private:
    QVariant readBack(const char* key, const QVariant& def);

    std::unique_ptr<QSettings> settings;
    QString lastSyncText;
    bool isExcluded = false;
    bool isZeta = false;
    bool isTpx = false;
};
