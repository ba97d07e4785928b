#pragma once
// Rules of the network setup form that need no widget: which texts the form
// accepts, how the boards' visible networks are listed, and the computer's
// interfaces the window offers.

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace netsetup {

// An address text the form accepts: split at "." with empty parts dropped it
// has exactly four parts, each a decimal number from 0 to 255 ("1..2.3.4" is
// accepted), and it fits its 16-byte field with its NUL (at most 15 bytes).
bool isValidAddress(const QString& text);

// The name fits its 32-byte field with its NUL: at most 31 characters, each
// one byte (Latin-1).
bool fitsName(const QString& text);

// The ESSID or the key fits its 64-byte field in UTF-8.
bool fitsWiFiText(const QString& text);

// A port typed in the form: empty is 0 (the board's default), else a decimal
// number from 0 to 65535; nothing for any other text.
std::optional<quint16> portFromText(const QString& text);

// A visible network's line "ESSID,security" as the window lists it: the
// ESSID followed by " (insecure, WEP)" for "wep", " (insecure, no password!)"
// for "none", else by one blank.
QString networkItemText(const QString& line);

// The ESSID of a visible network's line: its first part at ",".
QString networkEssid(const QString& line);

// The window's interface items, "<name> | <address>", one per IPv4 address of
// every interface that is not a loopback.
QStringList interfaceItems();
// The interface name of an item (the part before "|", without blanks) and its
// address (the part after it).
QString interfaceOfItem(const QString& item);
QString addressOfItem(const QString& item);

// The local IPv4 address to use on the non-loopback interface with this name:
// preferred when the interface has it, else its last IPv4 address; a null
// address when no such interface has one.
QHostAddress localAddressOf(const QString& interfaceName, const QString& preferred = QString());

} // namespace netsetup
