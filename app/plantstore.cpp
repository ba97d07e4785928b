#include "plantstore.h"

#include "appinfo.h"
#include "plantlists.h"
#include "settingsreadback.h"

#include <QCoreApplication>
#include <algorithm>

using plantlists::fromListText;
using plantlists::toListText;

namespace {
const char* const ListKeys[6] = {"/app/Inverters/InvList",         "/app/Inverters/InvListNames",
                                 "/app/Inverters/InvListDnsNames", "/app/Inverters/InvListVers",
                                 "/app/Inverters/InvListPorts",    "/app/Inverters/InvListFtpPorts"};
enum
{
    Keys,
    Names,
    Dns,
    Vers,
    Ports,
    FtpPorts
};
} // namespace

PlantStore::PlantStore(QSettings* s) : settings(s) {}

void PlantStore::sync()
{
    settings->sync();
    QCoreApplication::processEvents();
}

QString PlantStore::SettingsSetDefaultIfCase__String(const char* key, const QString& def)
{
    const QString out = settingsreadback::string(*settings, key, def);
    QCoreApplication::processEvents();
    return out;
}

int PlantStore::SettingsSetDefaultIfCase__Int(const char* key, int def)
{
    return settingsreadback::integer(*settings, key, def);
}

void PlantStore::load()
{
    version = SettingsSetDefaultIfCase__String("/app/Version", "1.1.0");
    QString texts[6];
    for (int i = 0; i < 6; ++i)
        texts[i] = SettingsSetDefaultIfCase__String(ListKeys[i], QString());
    probeIp = SettingsSetDefaultIfCase__String("/app/ProbeIp", QString());
    chosenInterface = SettingsSetDefaultIfCase__String("/app/ChosenInterface", QString());
    probeProbe = SettingsSetDefaultIfCase__Int("/app/ProbeProbe", 0);
    const QString plants = SettingsSetDefaultIfCase__String("/app/PlantList", "LOCAL");

    invList = fromListText(texts[Keys]);
    invListNames = fromListText(texts[Names]);
    invListDnsNames = fromListText(texts[Dns]);
    invListVers = fromListText(texts[Vers]);
    invListPorts = fromListText(texts[Ports]);
    invListFtpPorts = fromListText(texts[FtpPorts]);
    plantList = fromListText(plants);

    if (version != QLatin1String(appinfo::ProgramVersion))
        settings->setValue("/app/Version", appinfo::ProgramVersion);
    sync();
}

QVector<StoredEquipment> PlantStore::equipmentsOf(const QString& plant) const
{
    const int n = std::min({invList.size(), invListNames.size(), invListDnsNames.size(), invListVers.size(),
                            invListPorts.size(), invListFtpPorts.size()});
    QVector<StoredEquipment> out;
    for (int i = 0; i < n; ++i) {
        if (!plantlists::keyBelongsToPlant(invList[i], plant))
            continue;
        StoredEquipment e;
        e.key = invList[i];
        e.name = invListNames[i];
        e.dnsName = invListDnsNames[i];
        e.version = invListVers[i];
        e.port = invListPorts[i].toInt();
        e.ftpPort = invListFtpPorts[i].toInt();
        out.append(e);
    }
    return out;
}

int PlantStore::Lists::aligned() const
{
    int n = l[0].size();
    for (const QStringList& x : l)
        n = std::min(n, int(x.size()));
    return n;
}

void PlantStore::Lists::truncateToAligned()
{
    const int n = aligned();
    for (QStringList& x : l)
        x = x.mid(0, n);
}

PlantStore::Lists PlantStore::readLists() const
{
    Lists lists;
    for (int i = 0; i < 6; ++i)
        lists.l[i] = fromListText(settings->value(ListKeys[i], QString()).toString());
    // A store whose lists have different lengths keeps only the entries all
    // six hold, so nothing written back is misaligned.
    lists.truncateToAligned();
    return lists;
}

void PlantStore::writeLists(const Lists& lists)
{
    for (int i = 0; i < 6; ++i)
        settings->setValue(ListKeys[i], toListText(lists.l[i]));
    invList = lists.l[Keys];
    sync();
}

void PlantStore::merge(const QVector<StoredEquipment>& shown)
{
    Lists lists = readLists();
    for (const StoredEquipment& e : shown) {
        if (lists.l[Keys].contains(e.key))
            continue;
        lists.l[Keys].append(e.key);
        lists.l[Names].append(e.name);
        lists.l[Dns].append(e.dnsName);
        lists.l[Vers].append(e.version);
        lists.l[Ports].append(QString::number(e.port));
        lists.l[FtpPorts].append(QString::number(e.ftpPort));
    }
    writeLists(lists);
}

bool PlantStore::remove(const QString& key)
{
    Lists lists = readLists();
    const int k = lists.l[Keys].indexOf(key);
    if (k < 0)
        return false;
    for (QStringList& x : lists.l)
        x.removeAt(k);
    writeLists(lists);
    return true;
}

void PlantStore::setListValue(const QString& key, int listIndex, const QString& value)
{
    Lists lists = readLists();
    const int k = lists.l[Keys].indexOf(key);
    if (k < 0)
        return;
    lists.l[listIndex][k] = value;
    settings->setValue(ListKeys[listIndex], toListText(lists.l[listIndex]));
    sync();
}

void PlantStore::setPort(const QString& key, int port)
{
    setListValue(key, Ports, QString::number(port));
    invListPorts = fromListText(settings->value(ListKeys[Ports]).toString());
}

bool PlantStore::changeKey(const QString& from, const QString& to)
{
    Lists lists = readLists();
    const int k = lists.l[Keys].indexOf(from);
    if (k < 0 || lists.l[Keys].contains(to))
        return false;
    lists.l[Keys][k] = to;
    settings->setValue(ListKeys[Keys], toListText(lists.l[Keys]));
    invList = lists.l[Keys];
    if (probeIp == from)
        writeProbe(to, probeProbe);
    sync();
    return true;
}

void PlantStore::setFtpPort(const QString& key, int port)
{
    setListValue(key, FtpPorts, QString::number(port));
    invListFtpPorts = fromListText(settings->value(ListKeys[FtpPorts]).toString());
}

bool PlantStore::rename(const QString& key, const QString& name)
{
    Lists lists = readLists();
    const int k = lists.l[Keys].indexOf(key);
    if (k < 0)
        return false;
    lists.l[Names][k] = name;
    settings->setValue(ListKeys[Names], toListText(lists.l[Names]));
    sync();
    const int m = invList.indexOf(key);
    if (m >= 0 && m < invListNames.size())
        invListNames[m] = name;
    return true;
}

void PlantStore::writeProbe(const QString& ip, int probe)
{
    probeIp = ip;
    probeProbe = probe;
    settings->setValue("/app/ProbeIp", ip);
    settings->setValue("/app/ProbeProbe", probe);
    sync();
}

void PlantStore::writeFirstUse(const QStringList& plants, const QString& iface)
{
    plantList = plants;
    chosenInterface = iface;
    settings->setValue("/app/PlantList", toListText(plants));
    settings->setValue("/app/ChosenInterface", iface);
    settings->setValue("/app/FirstUse", false);
    sync();
}

void PlantStore::writeChosenInterface(const QString& iface)
{
    chosenInterface = iface;
    settings->setValue("/app/ChosenInterface", iface);
    sync();
}
