#pragma once
// The UDP discovery exchange with the equipments' network boards: the request
// the console broadcasts and the reply each board sends back.

#include <QByteArray>
#include <QHostAddress>
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

// What one discovery scan accepts of the replies it hears. Any host on the
// segment can send replies that name other addresses, so a reply counts only
// when its sender is the address it advertises; and a scan adds at most
// MaxNewPerScan new equipments, so that no flood of replies grows the plant
// and its stored lists without bound (the boards left over are added by the
// scans that follow). Equipments added by hand are not counted. What was
// dropped is told once per scan, not once per datagram.
class DiscoveryScanFilter
{
public:
    static constexpr int MaxNewPerScan = 32;

    enum Verdict
    {
        Accepted,
        Malformed, // not a discovery reply (wrong size, header, kind or address text)
        Spoofed    // a reply sent from another address than the one it advertises
    };

    // Reads a datagram received from sender; Accepted fills *reply.
    Verdict check(const QByteArray& datagram, const QHostAddress& sender, DiscoveryReply* reply);
    // Takes one new equipment from the scan's allowance: false (and counted
    // as dropped) once MaxNewPerScan have been added in this scan.
    bool takeNewEquipment();
    // Ends the scan's tally and starts the next one. Returns the line to log
    // for the scan that ends, empty when it dropped no reply that counts.
    QString closeScan();

    int malformed() const { return m_malformed; }
    int spoofed() const { return m_spoofed; }
    int added() const { return m_added; }
    int overLimit() const { return m_overLimit; }

private:
    int m_malformed = 0;
    int m_spoofed = 0;
    int m_added = 0;
    int m_overLimit = 0;
};
