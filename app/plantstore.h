#pragma once
// The stored plant: the "/app/" keys of the application settings, the six
// parallel equipment lists of every plant and the plant list.

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVector>

// One stored equipment, as kept across the six parallel lists.
struct StoredEquipment
{
    QString key;
    QString name;
    QString dnsName;
    QString version;
    int port = 502;
    int ftpPort = 21;
};

class PlantStore
{
public:
    // The store does not own the settings object.
    explicit PlantStore(QSettings* settings);

    // Reads a key with a default and writes the value back, so every key
    // read exists in the file afterwards.
    QString SettingsSetDefaultIfCase__String(const char* key, const QString& def);
    int SettingsSetDefaultIfCase__Int(const char* key, int def);

    // Reads every "/app/" key at start (with defaults written back) and
    // stamps the store with this program's version.
    void load();

    // The stored equipments of one plant, in stored order. Only entries that
    // all six lists hold are returned.
    QVector<StoredEquipment> equipmentsOf(const QString& plant) const;

    // Appends the equipments not yet stored (by key) to the stored lists;
    // entries already stored keep their place and values.
    void merge(const QVector<StoredEquipment>& shown);

    // Removes the stored entry with this key from all six lists. Returns
    // false when the key is not stored.
    bool remove(const QString& key);

    // Records a changed TCP or FTP port of the equipment with this key.
    void setPort(const QString& key, int port);
    void setFtpPort(const QString& key, int port);
    // Gives the stored entry with key `from` the key `to` (the address and
    // plant stay, the port changed); false when `from` is not stored or `to`
    // already is.
    bool changeKey(const QString& from, const QString& to);

    // Renames the stored entry with this key; false when not stored.
    bool rename(const QString& key, const QString& name);

    void writeProbe(const QString& probeIp, int probeProbe);
    void writeFirstUse(const QStringList& plants, const QString& chosenInterface);
    void writeChosenInterface(const QString& chosenInterface);

    // In-memory copies of the stored values.
    QStringList invList, invListNames, invListDnsNames, invListVers, invListPorts, invListFtpPorts;
    QStringList plantList;
    QString version;
    QString probeIp;
    int probeProbe = 0;
    QString chosenInterface;

private:
    struct Lists
    {
        QStringList l[6];
        int aligned() const;
        void truncateToAligned();
    };
    Lists readLists() const;
    void writeLists(const Lists& lists);
    void setListValue(const QString& key, int listIndex, const QString& value);
    void sync();

    QSettings* settings;
};
