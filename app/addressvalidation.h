#pragma once
// Checks of typed or received addresses and ports, and the text rules that keep
// names usable in the stored lists and equipment keys.

#include <QString>

namespace addressvalidation {

// How an address text is read: empty, a host name (first character a letter)
// or anything else, which must then be a dotted IPv4 address.
enum class AddressKind
{
    Empty,
    HostName,
    Ipv4
};
AddressKind classify(const QString& text);

// Dotted IPv4 text: exactly four parts split at ".", each a non-empty run of
// decimal digits worth at most 255. When valid and canonical is given, it
// receives the address without leading zeros ("192.168.001.010" gives
// "192.168.1.10"), the form the sockets read the same way.
bool isValidIpv4(const QString& text, QString* canonical = nullptr);

// Host name that may be looked up and stored as the equipment's DNS name:
// first character a letter, and no "-" or "," (the key is split at "-" and
// the lists at ",").
bool isUsableHostName(const QString& text);

// Port typed as decimal digits; 0 when the text is not a decimal number.
int parsePort(const QString& text);
// A TCP or FTP port the console accepts: 1 to 65534.
bool isValidPort(int port);

// Text stored as an element of a list: "," would split it, so it becomes " ";
// an empty text would be dropped when the list is read back and shift the
// parallel lists, so it becomes whenEmpty.
QString storableListText(const QString& text, const QString& whenEmpty);

// Name given to an equipment that has none: "????".
extern const char* const UnnamedEquipment;

} // namespace addressvalidation
