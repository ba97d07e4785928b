#include "addressvalidation.h"

#include <QStringList>

namespace addressvalidation {

const char* const UnnamedEquipment = "????";

namespace {

// Non-empty run of ASCII digits (no sign, no blanks) converted to a number;
// false when it is not one or does not fit.
bool decimalNumber(const QString& text, uint* value)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    *value = text.toUInt(&ok, 10);
    return ok;
}

} // namespace

AddressKind classify(const QString& text)
{
    if (text.isEmpty())
        return AddressKind::Empty;
    if (text.at(0).isLetter())
        return AddressKind::HostName;
    return AddressKind::Ipv4;
}

bool isValidIpv4(const QString& text, QString* canonical)
{
    const QStringList parts = text.split('.', Qt::KeepEmptyParts);
    if (parts.size() != 4)
        return false;
    QStringList numbers;
    for (const QString& part : parts) {
        uint value = 0;
        if (!decimalNumber(part, &value) || value > 255)
            return false;
        numbers << QString::number(value);
    }
    if (canonical)
        *canonical = numbers.join('.');
    return true;
}

bool isUsableHostName(const QString& text)
{
    return classify(text) == AddressKind::HostName && !text.contains('-') && !text.contains(',');
}

int parsePort(const QString& text)
{
    uint value = 0;
    if (!decimalNumber(text, &value) || value > 0x7fffffffu)
        return 0;
    return int(value);
}

bool isValidPort(int port)
{
    return port >= 1 && port <= 65534;
}

QString storableListText(const QString& text, const QString& whenEmpty)
{
    if (text.isEmpty())
        return whenEmpty;
    QString out = text;
    out.replace(',', ' ');
    return out;
}

} // namespace addressvalidation
