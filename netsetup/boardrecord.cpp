#include "boardrecord.h"

#include "discoverydatagram.h"

#include <QtEndian>

namespace BoardRecord {

namespace {

constexpr int EthernetFields[] = {EthIp, EthNetmask, EthGateway, EthDns1, EthDns2};
constexpr int WiFiFields[] = {WiFiIp, WiFiNetmask, WiFiGateway, WiFiDns1, WiFiDns2};

// The bytes of a field up to its first NUL, within its width.
QByteArray fieldBytes(const QByteArray& record, int offset, int width)
{
    const QByteArray field = record.mid(offset, width);
    const int nul = field.indexOf('\0');
    return nul < 0 ? field : field.left(nul);
}

QString latin1At(const QByteArray& record, int offset, int width)
{
    return QString::fromLatin1(fieldBytes(record, offset, width));
}

QString utf8At(const QByteArray& record, int offset, int width)
{
    return QString::fromUtf8(fieldBytes(record, offset, width));
}

void putBytes(QByteArray& record, int offset, int width, const QByteArray& bytes)
{
    const QByteArray cut = bytes.left(width);
    record.replace(offset, cut.size(), cut);
}

quint16 wordAt(const QByteArray& record, int offset)
{
    return qFromLittleEndian<quint16>(record.constData() + offset);
}

void putWord(QByteArray& record, int offset, quint16 value)
{
    qToLittleEndian<quint16>(value, record.data() + offset);
}

QStringList addressTexts(const AddressSet& a)
{
    return {a.ip, a.netmask, a.gateway, a.dns1, a.dns2};
}

AddressSet addressesAt(const QByteArray& record, const int (&offsets)[5])
{
    AddressSet a;
    QString* fields[] = {&a.ip, &a.netmask, &a.gateway, &a.dns1, &a.dns2};
    for (int i = 0; i < 5; ++i)
        *fields[i] = latin1At(record, offsets[i], AddressSize);
    return a;
}

void putAddresses(QByteArray& record, const int (&offsets)[5], const AddressSet& a)
{
    const QStringList texts = addressTexts(a);
    for (int i = 0; i < 5; ++i)
        putBytes(record, offsets[i], AddressSize, texts[i].toLatin1());
}

QString macText(const QByteArray& mac, bool upper)
{
    const QByteArray m = mac.leftJustified(MacSize, '\0', true);
    const auto b = [&m](int i) { return quint8(m.at(i)); };
    return upper ? QString::asprintf("%02X:%02X:%02X:%02X:%02X:%02X", b(0), b(1), b(2), b(3), b(4), b(5))
                 : QString::asprintf("%02x:%02x:%02x:%02x:%02x:%02x", b(0), b(1), b(2), b(3), b(4), b(5));
}

} // namespace

AddressSet defaultEthernet()
{
    return {"192.168.1.100", "255.255.0.0", "192.168.1.1", "192.168.1.1", "192.168.1.1"};
}

QByteArray query()
{
    return DiscoveryDatagram::request(QueryCommand);
}

std::optional<BoardSettings> parseReply(const QByteArray& datagram)
{
    if (datagram.isEmpty() || datagram.size() > Size)
        return std::nullopt;
    const quint8 type = quint8(datagram.at(0));
    if (type != EthernetReply && type != WiFiReply)
        return std::nullopt;
    QByteArray r = datagram;
    r.append(QByteArray(Size - r.size(), '\0'));

    BoardSettings b;
    b.mac = r.mid(Mac, MacSize);
    b.ethernet = addressesAt(r, EthernetFields);
    b.udpPort = wordAt(r, UdpPort);
    b.vncPort = wordAt(r, VncPort);
    b.ftpLowerPort = wordAt(r, FtpLowerPort);
    b.ftpUpperPort = wordAt(r, FtpUpperPort);
    b.name = latin1At(r, Name, NameSize);
    b.ethernetDhcp = r.at(EthDhcp) == 1;
    b.wifi = type == WiFiReply;
    b.essid = utf8At(r, Essid, WiFiTextSize);
    b.key = utf8At(r, Key, WiFiTextSize);
    b.networks = utf8At(r, Networks, NetworksSize).split('\n', Qt::SkipEmptyParts);
    b.diagnostics = latin1At(r, Diagnostics, DiagnosticsSize).split(',', Qt::SkipEmptyParts);
    b.wifiAddresses = addressesAt(r, WiFiFields);
    b.wifiDhcp = r.at(WiFiDhcp) == 1;
    b.wifiConnected = r.at(WiFiConnected) != 0;
    return b;
}

QByteArray configuration(const BoardSettings& s)
{
    QByteArray r(Size, '\0');
    putWord(r, 0, ConfigurationCommand);
    putBytes(r, Mac, MacSize, s.mac);
    if (s.ethernetDhcp)
        r[EthDhcp] = 1;
    else
        putAddresses(r, EthernetFields, s.ethernet.ip.isEmpty() ? defaultEthernet() : s.ethernet);
    putWord(r, UdpPort, s.udpPort == 0 ? DefaultUdpPort : s.udpPort);
    putWord(r, VncPort, s.vncPort == 0 ? DefaultVncPort : s.vncPort);
    putWord(r, FtpLowerPort, s.ftpLowerPort);
    putWord(r, FtpUpperPort, s.ftpUpperPort);
    putBytes(r, Name, NameSize, s.name.toLatin1());
    if (s.wifi) {
        putBytes(r, Essid, WiFiTextSize, s.essid.toUtf8());
        putBytes(r, Key, WiFiTextSize, s.key.toUtf8());
        if (s.wifiDhcp)
            r[WiFiDhcp] = 1;
        else
            putAddresses(r, WiFiFields, s.wifiAddresses);
    }
    return r;
}

QString listText(const BoardSettings& board)
{
    const QString& address = board.wifiConnected ? board.wifiAddresses.ip : board.ethernet.ip;
    return macText(board.mac, false) + " (" + address + ")";
}

QString macTrace(const QByteArray& mac)
{
    return "MAC ADDRESS = " + macText(mac, true);
}

QStringList hexDump(const QByteArray& record)
{
    QStringList lines;
    for (int at = 0; at < record.size(); at += 16) {
        QString line = QString::asprintf("%p: ", static_cast<const void*>(record.constData() + at));
        for (int i = at; i < qMin(at + 16, record.size()); ++i) {
            line += QString::asprintf("%02X ", quint8(record.at(i)));
            if (i - at == 7)
                line += ' ';
        }
        lines << line;
    }
    return lines;
}

} // namespace BoardRecord
