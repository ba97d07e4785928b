#pragma once
// Text formats of the stored plant: list text and equipment keys.

#include <QString>
#include <QStringList>

namespace plantlists {

// A list is stored as every element followed by ",".
QString toListText(const QStringList& items);
// Splits a stored list at "," and drops empty parts.
QStringList fromListText(const QString& text);

// Equipment key: address (DNS name when there is one, else IPv4 text), "-", port, "-", plant.
QString equipmentKey(const QString& ip, const QString& dnsName, int port, const QString& plant);
// First part of a key split at "-" (empty parts dropped): the address text.
QString keyAddress(const QString& key);
// True when the key belongs to the plant: it ends with "-" followed by the plant name.
bool keyBelongsToPlant(const QString& key, const QString& plant);

// A plant name that would break the key or list formats: contains "-" or ",".
bool plantNameBreaksFormats(const QString& name);

extern const char* const NoDnsName;      // "NO_DNS_NAME"
extern const char* const FactoryAddress; // "192.168.1.100"
extern const char* const LocalPlant;     // "LOCAL"

} // namespace plantlists
