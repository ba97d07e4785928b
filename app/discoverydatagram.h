#pragma once
// The UDP discovery exchange with the equipments' network boards: the request
// the console broadcasts and the reply each board sends back.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// One board's reply, as the plant window uses it.
struct DiscoveryReply
{
    QString version;          // firmware version text ("---" when the board sends none)
    QString ip;               // dotted IPv4 address of the board
    QString name;             // equipment name ("????" when the board sends none)
    int kind = 0;             // 2 plain inverter, 3 Zeta series
    bool isStringBox = false; // version begins "SB_"
    bool isZeta = false;      // kind 3
};

namespace DiscoveryDatagram {

constexpr quint16 DiscoveryCommand = 16;            // discovery request
constexpr quint16 BoardQueryCommand = 17;           // same request, for the network setup
constexpr int HeaderSize = 16;                      // request header
constexpr int RequestSize = 22;                     // header + "**0100"
constexpr int ReplySize = 264;                      // the only accepted reply size
constexpr quint32 ReplyLength = 248;                // reply's length field: bytes after the header
constexpr quint16 DiscoveryPort = 33000;            // boards listen here (broadcast)
constexpr quint16 ReplyPort = 43034;                // the console's bound port, where replies arrive
constexpr int VersionOffset = 16, VersionEnd = 120; // text spans [offset, end)
constexpr int IpOffset = 120, IpEnd = 140;
constexpr int NameOffset = 140, NameEnd = 160;
constexpr int KindOffset = 160;

// The 16-byte request header (little-endian): command, 1, 0, 1, the whole
// datagram's length, reserved 0 and direction (0 in requests, 1 in replies).
QByteArray header(quint16 command, quint32 length, quint16 direction = 0);

// The 22-byte request: the header with the given command followed by "**0100".
QByteArray request(quint16 command = DiscoveryCommand);

// Reads a reply; nothing when it is not exactly 264 bytes, its length field is
// not 248, reserved not 0, direction not 1, its kind not 2 or 3, or its address
// text is not a dotted IPv4 address (a "-" or "," in it would corrupt the
// equipment key and the stored lists). Each text field is read within its own
// span up to its first NUL, also when it fills the span without one.
std::optional<DiscoveryReply> parseReply(const QByteArray& datagram);

// Builds a 264-byte reply as a board sends it. Texts longer than their span are
// cut; a text exactly as long as its span has no NUL.
QByteArray buildReply(const QByteArray& version, const QByteArray& ip, const QByteArray& name, quint8 kind);

} // namespace DiscoveryDatagram
