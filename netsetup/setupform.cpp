#include "setupform.h"

#include "boardrecord.h"

#include <QNetworkInterface>

namespace netsetup {

namespace {

bool isLatin1(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

bool isDecimal(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The IPv4 addresses of the non-loopback interfaces, with their names.
template <typename F> void forEachAddress(F f)
{
    for (const QNetworkInterface& ni : QNetworkInterface::allInterfaces()) {
        if (ni.flags() & QNetworkInterface::IsLoopBack)
            continue;
        for (const QNetworkAddressEntry& e : ni.addressEntries())
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                f(ni.humanReadableName(), e.ip());
    }
}

} // namespace

bool isValidAddress(const QString& text)
{
    if (text.size() >= BoardRecord::AddressSize || !isLatin1(text))
        return false;
    const QStringList parts = text.split('.', Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return false;
    for (const QString& p : parts)
        if (!isDecimal(p) || p.size() > 3 || p.toInt() > 255)
            return false;
    return true;
}

bool fitsName(const QString& text)
{
    return text.size() < BoardRecord::NameSize && isLatin1(text);
}

bool fitsWiFiText(const QString& text)
{
    return text.toUtf8().size() <= BoardRecord::WiFiTextSize;
}

std::optional<quint16> portFromText(const QString& text)
{
    if (text.isEmpty())
        return quint16(0);
    if (!isDecimal(text) || text.size() > 5 || text.toInt() > 65535)
        return std::nullopt;
    return quint16(text.toInt());
}

QString networkItemText(const QString& line)
{
    const QStringList parts = line.split(',', Qt::SkipEmptyParts);
    const QString essid = parts.value(0);
    if (parts.size() == 2 && parts[1] == QLatin1String("wep"))
        return essid + " (insecure, WEP)";
    if (parts.size() == 2 && parts[1] == QLatin1String("none"))
        return essid + " (insecure, no password!)";
    return essid + " ";
}

QString networkEssid(const QString& line)
{
    return line.split(',', Qt::SkipEmptyParts).value(0);
}

QStringList interfaceItems()
{
    QStringList items;
    forEachAddress([&](const QString& name, const QHostAddress& a) { items << name + " | " + a.toString(); });
    return items;
}

QString interfaceOfItem(const QString& item)
{
    return item.section('|', 0, 0).trimmed();
}

QString addressOfItem(const QString& item)
{
    return item.section('|', 1).trimmed();
}

QHostAddress localAddressOf(const QString& interfaceName, const QString& preferred)
{
    QHostAddress last;
    bool havePreferred = false;
    forEachAddress([&](const QString& name, const QHostAddress& a) {
        if (name != interfaceName)
            return;
        last = a;
        havePreferred = havePreferred || a.toString() == preferred;
    });
    return havePreferred ? QHostAddress(preferred) : last;
}

} // namespace netsetup
