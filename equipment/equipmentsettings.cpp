#include "equipmentsettings.h"

#include "appinfo.h"
#include "logging.h"
#include "plantlists.h"
#include "settingsreadback.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

EquipmentSettings::EquipmentSettings() = default;
EquipmentSettings::~EquipmentSettings() = default;

void EquipmentSettings::open(const QString& key)
{
    settings.reset();
    settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                           appinfo::SettingsOrganisation, key);
}

bool EquipmentSettings::moveTo(const QString& key)
{
    if (!settings) {
        open(key);
        return true;
    }
    QSettings target(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation, key);
    for (const QString& k : settings->allKeys())
        target.setValue(k, settings->value(k));
    target.sync();
    if (target.status() != QSettings::NoError)
        return false;
    const QString old = settings->fileName();
    settings.reset();
    if (old != target.fileName())
        QFile::remove(old);
    open(key);
    return true;
}

QString EquipmentSettings::fileName() const
{
    return settings ? settings->fileName() : QString();
}

void EquipmentSettings::load(const QString& dnsName)
{
    qCDebug(lcTile, "%s: %s [%s]", "LoadSettings", qPrintable(fileName()), qPrintable(dnsName));
    lastSyncText = readBackString("/inv/LastSync", QString());
    isExcluded = readBackBool("/inv/IsExcluded", false);
    isZeta = readBackBool("/inv/IsZETA", false);
    isTpx = readBackBool("/inv/IsTPX", false);
    setDnsName(dnsName.isEmpty() ? QString(plantlists::NoDnsName) : dnsName);
}

void EquipmentSettings::setLastSync(const QString& date)
{
    lastSyncText = date;
    write("/inv/LastSync", date);
}

void EquipmentSettings::setExcluded(bool on)
{
    isExcluded = on;
    write("/inv/IsExcluded", on);
}

void EquipmentSettings::setZeta(bool on)
{
    isZeta = on;
    write("/inv/IsZETA", on);
}

void EquipmentSettings::setTpx(bool on)
{
    isTpx = on;
    write("/inv/IsTPX", on);
}

void EquipmentSettings::setDnsName(const QString& dnsName)
{
    write("/inv/DnsName", dnsName);
}

void EquipmentSettings::write(const char* key, const QVariant& value)
{
    if (!settings)
        return;
    settings->setValue(key, value);
    settings->sync();
    QCoreApplication::processEvents();
}

QVariant EquipmentSettings::readBack(const char* key, const QVariant& def)
{
    if (!settings)
        return def;
    const QVariant value = settingsreadback::value(*settings, key, def);
    write(key, value);
    return value;
}

int EquipmentSettings::readBackInt(const char* key, int def)
{
    return readBack(key, def).toInt();
}

double EquipmentSettings::readBackDouble(const char* key, double def)
{
    return readBack(key, def).toDouble();
}

bool EquipmentSettings::readBackBool(const char* key, bool def)
{
    return readBack(key, def).toBool();
}

QString EquipmentSettings::readBackString(const char* key, const QString& def)
{
    return readBack(key, def).toString();
}
