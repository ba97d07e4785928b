#pragma once
// The network setup exchange with the equipments' boards over UDP: the board
// query the console broadcasts, and the 788-byte board record, which is both
// a board's reply (its settings) and the configuration datagram sent to a
// board by its MAC address. Integers are little-endian; texts are ASCII (the
// WiFi ESSID and key UTF-8), NUL-padded to their width.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// Dotted address texts of one interface of a board.
struct AddressSet
{
    QString ip, netmask, gateway, dns1, dns2;
};

// A board's settings as the record carries them.
struct BoardSettings
{
    QByteArray mac; // 6 bytes
    AddressSet ethernet;
    bool ethernetDhcp = false;
    quint16 udpPort = 0, vncPort = 0, ftpLowerPort = 0, ftpUpperPort = 0;
    QString name;
    // In a reply: the board has WiFi (reply type 0xAB). In a configuration:
    // the WiFi settings below are sent.
    bool wifi = false;
    QString essid, key;
    AddressSet wifiAddresses;
    bool wifiDhcp = false;
    // Reply only.
    bool wifiConnected = false; // the board is reached through WiFi
    QStringList networks;       // visible networks, "ESSID,security" lines
    QStringList diagnostics;    // WiFi diagnostic items
};

namespace BoardRecord {

constexpr quint16 QueryCommand = 17;
constexpr quint16 ConfigurationCommand = 18;
constexpr quint16 ConfigurationPort = 34043; // boards listen here (broadcast)
constexpr quint16 ReplyPort = 43034;         // the window's bound port, where replies arrive
constexpr int Size = 788;
constexpr quint8 EthernetReply = 0xAA, WiFiReply = 0xAB;

// Offsets and widths.
constexpr int Mac = 2, MacSize = 6;
constexpr int EthIp = 8, EthNetmask = 24, EthGateway = 40, EthDns1 = 56, EthDns2 = 72;
constexpr int AddressSize = 16;
constexpr int UdpPort = 88, VncPort = 90, FtpLowerPort = 92, FtpUpperPort = 94;
constexpr int Name = 96, NameSize = 32;
constexpr int EthDhcp = 128;
constexpr int Essid = 129, Key = 257, WiFiTextSize = 64;
constexpr int Networks = 321, NetworksSize = 256;
constexpr int Diagnostics = 577, DiagnosticsSize = 128;
constexpr int WiFiIp = 705, WiFiNetmask = 721, WiFiGateway = 737, WiFiDns1 = 753, WiFiDns2 = 769;
constexpr int WiFiDhcp = 785, WiFiConnected = 786;

// Ports a board takes when 0 is sent.
constexpr quint16 DefaultUdpPort = 33000, DefaultVncPort = 5900;
// Ethernet addresses sent for a static board whose address was left empty.
AddressSet defaultEthernet();

// The 22-byte query: the request header with command 17 and "**0100".
QByteArray query();

// Reads a board's reply: nothing unless its first byte is 0xAA or 0xAB and it
// is at most 788 bytes long. A shorter reply is read as if padded with zero
// bytes; every text is read within its own width, also without a NUL.
std::optional<BoardSettings> parseReply(const QByteArray& datagram);

// The configuration datagram for the settings as the operator left them:
// command 18 and the MAC; with Ethernet DHCP the DHCP byte and empty
// addresses, else the addresses (the defaults when the IP is empty); the
// ports, 0 standing for 33000 (UDP) and 5900 (VNC); the name; and when
// settings.wifi is set the ESSID, the key and either the WiFi DHCP byte or
// the static WiFi addresses. Texts are cut at their width; the window
// refuses texts that do not fit before it builds a record.
QByteArray configuration(const BoardSettings& settings);

// The board's row in the list: "aa:bb:cc:dd:ee:ff (<address>)", the WiFi
// address when the board is reached through WiFi, else the Ethernet one.
QString listText(const BoardSettings& board);

// The trace of a MAC address: "MAC ADDRESS = AA:BB:CC:DD:EE:FF".
QString macTrace(const QByteArray& mac);

// The record as trace lines: "<address>: " then sixteen "%02X " bytes, an
// extra blank after the eighth.
QStringList hexDump(const QByteArray& record);

} // namespace BoardRecord
