#include "plantlists.h"

namespace plantlists {

const char* const NoDnsName = "NO_DNS_NAME";
const char* const FactoryAddress = "192.168.1.100";
const char* const LocalPlant = "LOCAL";

QString toListText(const QStringList& items)
{
    QString out;
    for (const QString& s : items)
        out += s + ",";
    return out;
}

QStringList fromListText(const QString& text)
{
    return text.split(',', Qt::SkipEmptyParts);
}

QString equipmentKey(const QString& ip, const QString& dnsName, int port, const QString& plant)
{
    const QString address = (dnsName != QLatin1String(NoDnsName) && !dnsName.isEmpty()) ? dnsName : ip;
    return address + QString("-%1-%2").arg(port).arg(plant);
}

QString keyAddress(const QString& key)
{
    const QStringList parts = key.split('-', Qt::SkipEmptyParts);
    return parts.isEmpty() ? QString() : parts.first();
}

bool keyBelongsToPlant(const QString& key, const QString& plant)
{
    return key.endsWith("-" + plant);
}

bool plantNameBreaksFormats(const QString& name)
{
    return name.contains('-') || name.contains(',');
}

} // namespace plantlists
