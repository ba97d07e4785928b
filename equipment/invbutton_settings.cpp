// The tile's identity and its per-equipment settings file.
#include "invbutton.h"
#include "logging.h"

#include <QDate>

#include "appinfo.h"
#include "dialogfault.h"
#include "invlog.h"
#include "plantlists.h"
#include "settingsreadback.h"
#include "tiletexts.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

void InvButton::SetInvInfo(const QString& ip, const QString& n, const QString& dns, const QString& ver,
                           int port, int ftp, const QString& p)
{
    name = n;
    isStringBox = false;
    tcpPort = port;
    ftpPort = ftp;
    if (ver.startsWith("SB_")) {
        isStringBox = true;
        versionText = ver.mid(3);
        SetIcon(TileTexts::stringBoxIcon());
    } else {
        versionText = ver;
        snapshotLabel->show();
    }
    if (tcpPort == 0)
        tcpPort = 502;
    if (ftpPort == 0)
        ftpPort = 21;
    unreachable = false;
    // An empty DNS name counts as none: the link then uses the IP address.
    addressedByIp = dns == QLatin1String(plantlists::NoDnsName) || dns.isEmpty();
    addressText = addressedByIp ? ip : dns;
    setTitle(TileTexts::titleText(addressText, name, versionText));
    dnsName = dns;
    plant = p;
    key = plantlists::equipmentKey(ip, dns, port, plant);

    BuildStorage();

    delete settings;
    settings =
        new QSettings(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation, key, this);
    LoadSettings();

    ButtonExclude->setText(excluded ? "R" : "E");
    ButtonExclude->setToolTip(excluded ? "Include" : "Exclude");
    SetEnabledButtons(!excluded);
    if (!connectedFlag)
        OpenSocket();
    SetEnabledButtons(false);
}

void InvButton::LoadSettings()
{
    if (!settings)
        return;
    qCDebug(lcTile, "%s: %s [%s]", "LoadSettings", qPrintable(settings->fileName()), qPrintable(dnsName));
    QString noSync;
    SettingsSetDefaultIfCase__String("/inv/LastSync", noSync, lastSync);
    SettingsSetDefaultIfCase__Bool("/inv/IsExcluded", false, &excluded);
    SettingsSetDefaultIfCase__Bool("/inv/IsZETA", false, &isZeta);
    SettingsSetDefaultIfCase__Bool("/inv/IsTPX", false, &isTpx);
    WriteSetting("/inv/DnsName", dnsName.isEmpty() ? QString(plantlists::NoDnsName) : dnsName);
    if (isTpx) {
        // The TPX synoptic is shown by its own view; the cycle reads block A first.
        queryStatus = querytable::TpxBlockA;
        savedQueryStatus = querytable::TpxBlockA;
    }
    if (isZeta) {
        SetIcon(isStringBox ? TileTexts::stringBoxIcon() : TileTexts::zetaIcon());
        flags.legacy = versionText == QLatin1String("1.0.0");
    }
    UpdateIdleTimers();
    QCoreApplication::processEvents();
}

void InvButton::WriteSetting(const char* k, const QVariant& value)
{
    if (!settings)
        return;
    settings->setValue(k, value);
    settings->sync();
    QCoreApplication::processEvents();
}

void InvButton::SettingsSetDefaultIfCase__Int(const char* k, int def, int* dest)
{
    if (!settings) {
        *dest = def;
        return;
    }
    *dest = settingsreadback::integer(*settings, k, def);
    WriteSetting(k, *dest);
}

void InvButton::SettingsSetDefaultIfCase__Double(const char* k, double def, double* dest)
{
    if (!settings) {
        *dest = def;
        return;
    }
    *dest = settingsreadback::number(*settings, k, def);
    WriteSetting(k, *dest);
}

void InvButton::SettingsSetDefaultIfCase__Bool(const char* k, bool def, bool* dest)
{
    if (!settings) {
        *dest = def;
        return;
    }
    *dest = settingsreadback::boolean(*settings, k, def);
    WriteSetting(k, *dest);
}

void InvButton::SettingsSetDefaultIfCase__String(const char* k, QString& def, QString& dest)
{
    if (!settings) {
        dest = def;
        return;
    }
    dest = settingsreadback::string(*settings, k, def);
    WriteSetting(k, dest);
}

void InvButton::setTheInvIsZETA(bool on)
{
    isZeta = on;
    WriteSetting("/inv/IsZETA", on);
    if (!on)
        return;
    qCDebug(lcTile, "IS ZETA, setting Pixmap");
    SetIcon(TileTexts::zetaIcon());
    flags.legacy = false;
    qCDebug(lcTile, "%s", qPrintable(versionText));
    if (!beingDeleted)
        ButtonProbes->hide();
}

void InvButton::setTheInvIsTPX(bool on)
{
    qCDebug(lcTile, "%s called.", "setTheInvIsTPX");
    WriteSetting("/inv/IsTPX", on);
    isTpx = on;
    UpdateIdleTimers();
}

void InvButton::setTheInvDnsName(const QString& d)
{
    dnsName = d;
    WriteSetting("/inv/DnsName", d);
}

void InvButton::setTheLastSync(const QString& date)
{
    lastSync = date;
    WriteSetting("/inv/LastSync", date);
}

void InvButton::setTheStoragePath(const QString& root, int line)
{
    qCDebug(lcTile, "%s: %s (line %d)", "setTheStoragePath", qPrintable(root), line);
    storageRoot = root;
    BuildStorage();
}

void InvButton::BuildStorage()
{
    // The folder is named after the identity, so it waits for SetInvInfo.
    if (storageRoot.isEmpty() || addressText.isEmpty())
        return;
    storage = StoragePaths(storageRoot, addressText, tcpPort, plant);
    storage.create();
    monthlyEnergy.fill(storage.storageFolder(), QDate::currentDate().year());
}

QString InvButton::getTheStoragePath() const
{
    return storageRoot;
}

void InvButton::WriteToLog(const QString& message)
{
    qCDebug(lcTile, "%s: %s [%s]", "WriteToLog", qPrintable(message), qPrintable(addressText));
    InvLog::write(storage.storageFolder(), addressText, message);
}

void InvButton::ShowFault(const QString& code)
{
    qCWarning(lcTile, "%s: %s", "ShowFault", qPrintable(code));
    if (!faultWindow)
        faultWindow = new DialogFault(this);
    faultWindow->SetCode(code);
    faultWindow->show();
}

QString InvButton::GetIp() const
{
    return key;
}
QString InvButton::GetRealIp() const
{
    return addressText;
}
QString InvButton::getTheInvName() const
{
    return name;
}
void InvButton::setTheInvName(const QString& n)
{
    name = n;
}
QString InvButton::getTheInvDnsName() const
{
    return dnsName;
}
bool InvButton::getTheInvIsZETA() const
{
    return isZeta;
}
bool InvButton::getTheInvIsTPX() const
{
    return isTpx;
}
void InvButton::setIsStringBox(bool on)
{
    isStringBox = on;
}
bool InvButton::getIsStringBox() const
{
    return isStringBox;
}
QString InvButton::getTheLastSync() const
{
    return lastSync;
}
