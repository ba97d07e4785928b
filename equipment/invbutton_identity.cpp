// The tile's identity, its settings file, its storage folder and the values
// it hands on from the link.
#include "invbutton.h"

#include "dialogfault.h"
#include "logging.h"
#include "plantlists.h"
#include "tiletexts.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

void InvButton::SetInvInfo(const QString& ip, const QString& n, const QString& dns, const QString& ver,
                           int port, int ftp, const QString& p)
{
    name = n;
    link->setStringBox(false);
    ftpPort = ftp;
    if (ver.startsWith("SB_")) {
        link->setStringBox(true);
        versionText = ver.mid(3);
        SetIcon(TileTexts::stringBoxIcon());
    } else {
        versionText = ver;
        snapshotLabel->show();
    }
    link->setAnnouncedVersion(versionText);
    if (ftpPort == 0)
        ftpPort = 21;
    logSync->setFtpPort(ftpPort);
    // An empty DNS name counts as none: the link then uses the IP address.
    addressedByIp = dns == QLatin1String(plantlists::NoDnsName) || dns.isEmpty();
    addressText = addressedByIp ? ip : dns;
    link->setAddressedByIp(addressedByIp);
    link->setTarget(addressText, port == 0 ? 502 : port);
    ShowTitle(TileTexts::titleText(addressText, name, versionText));
    titleVersion.clear(); // the 2-second refresh builds it again
    dnsName = dns;
    plant = p;
    key = plantlists::equipmentKey(ip, dns, port, plant);

    BuildStorage();
    settings.open(key);
    logSync->setSettings(&settings);
    LoadSettings();

    ShowExcluded();
    SetEnabledButtons(!link->isExcluded());
    if (!link->isConnected())
        link->OpenSocket();
    SetEnabledButtons(false);
}

void InvButton::LoadSettings()
{
    if (!settings.isOpen())
        return;
    settings.load(dnsName);
    link->setExcluded(settings.excluded());
    link->setZeta(settings.zeta());
    link->setTpx(settings.tpx());
    if (link->isTpx()) { // the TPX cycle reads block A first
        link->startCycleAt(querytable::TpxBlockA);
        CreateObjectsForTPX();
        ShowObjectsForTPX();
    }
    if (link->isZeta()) {
        SetIcon(link->isStringBox() ? TileTexts::stringBoxIcon() : TileTexts::zetaIcon());
        link->setLegacy(versionText == QLatin1String("1.0.0"));
    }
    QCoreApplication::processEvents();
}

void InvButton::SettingsSetDefaultIfCase__Int(const char* k, int def, int* dest)
{
    *dest = settings.readBackInt(k, def);
}

void InvButton::SettingsSetDefaultIfCase__Double(const char* k, double def, double* dest)
{
    *dest = settings.readBackDouble(k, def);
}

void InvButton::SettingsSetDefaultIfCase__Bool(const char* k, bool def, bool* dest)
{
    *dest = settings.readBackBool(k, def);
}

void InvButton::SettingsSetDefaultIfCase__String(const char* k, QString& def, QString& dest)
{
    dest = settings.readBackString(k, def);
}

void InvButton::setTheInvIsZETA(bool on)
{
    link->setZeta(on);
    settings.setZeta(on);
    if (!on)
        return;
    qCDebug(lcTile, "IS ZETA, setting Pixmap");
    SetIcon(TileTexts::zetaIcon());
    link->setLegacy(false);
    qCDebug(lcTile, "%s", qPrintable(versionText));
    if (!beingDeleted)
        ButtonProbes->hide();
}

void InvButton::setTheInvIsTPX(bool on)
{
    qCDebug(lcTile, "%s called.", "setTheInvIsTPX");
    settings.setTpx(on);
    link->setTpx(on);
}

void InvButton::setTheInvDnsName(const QString& d)
{
    dnsName = d;
    settings.setDnsName(d);
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
    const StoragePaths storage(storageRoot, addressText, link->port(), plant);
    storage.create();
    storageFolder = storage.storageFolder();
    link->setStorageFolder(storageFolder);
    monthlyEnergy = MonthlyEnergyCache(); // another folder: its own totals log
    monthlyEnergy.fill(storageFolder, QDate::currentDate().year());
    logSync->setStorage(storage);
    logSync->setMonthlyEnergyCache(&monthlyEnergy);
}

double InvButton::getMonthlyEnergy(unsigned int year, unsigned int month) const
{
    return monthlyEnergy.energy(storageFolder, year, month);
}

void InvButton::ShowFault(const QString& code)
{
    qCWarning(lcTile, "%s: %s", "ShowFault", qPrintable(code));
    if (!faultWindow)
        faultWindow = new DialogFault(this);
    faultWindow->SetCode(code);
    faultWindow->show();
}

void InvButton::setTheHostAddressHasChanged(bool changed)
{
    hostAddressChanged = changed;
    link->TryReconnect();
}

void InvButton::setThePort(int port)
{
    if (port != link->port())
        tcpPortChanged = true;
    link->setPort(port);
}

bool InvButton::FollowPortChange()
{
    const QString newKey = plantlists::equipmentKey(addressText, plantlists::NoDnsName, link->port(), plant);
    if (newKey == key)
        return true;
    if (!settings.moveTo(newKey))
        return false;
    key = newKey;
    const QString oldFolder = storageFolder;
    const QString newFolder = StoragePaths::storageFolderFor(storageRoot, addressText, link->port(), plant);
    // The logs already copied go along; a folder already there is kept.
    if (!oldFolder.isEmpty() && QFileInfo(oldFolder).isDir() && !QFileInfo::exists(newFolder))
        QDir().rename(oldFolder, newFolder);
    BuildStorage();
    return true;
}

void InvButton::setTheFtpPort(int port)
{
    if (port != ftpPort)
        ftpPortChanged = true;
    ftpPort = port;
    logSync->setFtpPort(port);
}

bool InvButton::theInvWantsToChangeTcpPort()
{
    const bool was = tcpPortChanged;
    tcpPortChanged = false;
    return was;
}

bool InvButton::theInvWantsToChangeFtpPort()
{
    const bool was = ftpPortChanged;
    ftpPortChanged = false;
    return was;
}

double InvButton::GetTheDailyValueAtPos(int pos)
{
    const QVector<double> y = link->miniPlotY();
    return pos >= 0 && pos < y.size() ? y[pos] : 0.0;
}

QString InvButton::GetTheProbeLabel(int probe) const
{
    return probe >= 1 && probe <= 4 ? link->typeInfo().probeNames[probe - 1] : QString();
}

QString InvButton::GetTheProbeUnit(int probe) const
{
    return probe >= 1 && probe <= 4 ? link->typeInfo().probeUnits[probe - 1] : QString();
}

double InvButton::getTheProbeMax(int probe) const
{
    return probe >= 1 && probe <= 4 ? link->typeInfo().probeMax[probe - 1] : 100.0;
}
