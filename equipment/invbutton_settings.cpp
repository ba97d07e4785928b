// The tile's identity and its per-equipment settings file.
#include "invbutton.h"

#include <QDate>

#include "dialogfault.h"
#include "invlog.h"
#include "plantlists.h"
#include "tiletexts.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

namespace {
const char* const Organisation = "KESTRELSunwerk";
}

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
    key = addressText + QString("-%1-%2").arg(port).arg(plant);

    BuildStorage();

    delete settings;
    settings = new QSettings(QSettings::IniFormat, QSettings::UserScope, Organisation, key, this);
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
    qDebug("%s: %s [%s]", "LoadSettings", qPrintable(settings->fileName()), qPrintable(dnsName));
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
    *dest = settings ? settings->value(k, def).toInt() : def;
    WriteSetting(k, *dest);
}

void InvButton::SettingsSetDefaultIfCase__Double(const char* k, double def, double* dest)
{
    *dest = settings ? settings->value(k, def).toDouble() : def;
    WriteSetting(k, *dest);
}

void InvButton::SettingsSetDefaultIfCase__Bool(const char* k, bool def, bool* dest)
{
    *dest = settings ? settings->value(k, def).toBool() : def;
    WriteSetting(k, *dest);
}

void InvButton::SettingsSetDefaultIfCase__String(const char* k, QString& def, QString& dest)
{
    dest = settings ? settings->value(k, def).toString() : def;
    WriteSetting(k, dest);
}

void InvButton::setTheInvIsZETA(bool on)
{
    isZeta = on;
    WriteSetting("/inv/IsZETA", on);
    if (!on)
        return;
    qDebug("IS ZETA, setting Pixmap");
    SetIcon(TileTexts::zetaIcon());
    flags.legacy = false;
    qDebug("%s", qPrintable(versionText));
    if (!beingDeleted)
        ButtonProbes->hide();
}

void InvButton::setTheInvIsTPX(bool on)
{
    qDebug("%s called.", "setTheInvIsTPX");
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
    qDebug("%s: %s (line %d)", "setTheStoragePath", qPrintable(root), line);
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
    qDebug("%s: %s [%s]", "WriteToLog", qPrintable(message), qPrintable(addressText));
    InvLog::write(storage.storageFolder(), addressText, message);
}

void InvButton::ShowFault(const QString& code)
{
    qWarning("%s: %s", "ShowFault", qPrintable(code));
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
