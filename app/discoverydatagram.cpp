#include "discoverydatagram.h"

#include "addressvalidation.h"

#include <QtEndian>

namespace DiscoveryDatagram {

namespace {

void putU16(QByteArray& data, int offset, quint16 value)
{
    qToLittleEndian<quint16>(value, data.data() + offset);
}

void putU32(QByteArray& data, int offset, quint32 value)
{
    qToLittleEndian<quint32>(value, data.data() + offset);
}

quint16 u16At(const QByteArray& data, int offset)
{
    return qFromLittleEndian<quint16>(data.constData() + offset);
}

quint32 u32At(const QByteArray& data, int offset)
{
    return qFromLittleEndian<quint32>(data.constData() + offset);
}

// Text of the span [offset, end) up to its first NUL byte, or the whole span.
QString spanText(const QByteArray& data, int offset, int end)
{
    const QByteArray span = data.mid(offset, end - offset);
    const int nul = span.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? span : span.left(nul));
}

void putSpan(QByteArray& data, int offset, int end, const QByteArray& text)
{
    const QByteArray cut = text.left(end - offset);
    data.replace(offset, cut.size(), cut);
}

} // namespace

QByteArray header(quint16 command, quint32 length, quint16 direction)
{
    QByteArray data(HeaderSize, '\0');
    putU16(data, 0, command);
    putU16(data, 2, 1);
    putU16(data, 4, 0);
    putU16(data, 6, 1);
    putU32(data, 8, length);
    putU16(data, 12, 0);
    putU16(data, 14, direction);
    return data;
}

QByteArray request(quint16 command)
{
    return header(command, RequestSize) + QByteArray("**0100");
}

std::optional<DiscoveryReply> parseReply(const QByteArray& datagram)
{
    if (datagram.size() != ReplySize || u32At(datagram, 8) != ReplyLength || u16At(datagram, 12) != 0 ||
        u16At(datagram, 14) != 1)
        return std::nullopt;
    const int kind = quint8(datagram.at(KindOffset));
    if (kind != 2 && kind != 3)
        return std::nullopt;

    DiscoveryReply reply;
    if (!addressvalidation::isValidIpv4(spanText(datagram, IpOffset, IpEnd), &reply.ip))
        return std::nullopt;
    // The version and the name are stored as elements of the plant's lists:
    // a "," is turned into a blank and an empty text into a placeholder, so
    // that the stored lists keep one element per equipment.
    const QString version = spanText(datagram, VersionOffset, VersionEnd);
    reply.version = addressvalidation::storableListText(version, "---");
    reply.name = addressvalidation::storableListText(spanText(datagram, NameOffset, NameEnd),
                                                     addressvalidation::UnnamedEquipment);
    reply.kind = kind;
    reply.isStringBox = version.startsWith("SB_");
    reply.isZeta = kind == 3;
    return reply;
}

QByteArray buildReply(const QByteArray& version, const QByteArray& ip, const QByteArray& name, quint8 kind)
{
    QByteArray data = header(DiscoveryCommand, ReplyLength, 1);
    data.append(ReplySize - HeaderSize, '\0');
    putSpan(data, VersionOffset, VersionEnd, version);
    putSpan(data, IpOffset, IpEnd, ip);
    putSpan(data, NameOffset, NameEnd, name);
    data[KindOffset] = char(kind);
    return data;
}

} // namespace DiscoveryDatagram

DiscoveryScanFilter::Verdict DiscoveryScanFilter::check(const QByteArray& datagram,
                                                        const QHostAddress& sender, DiscoveryReply* reply)
{
    std::optional<DiscoveryReply> parsed = DiscoveryDatagram::parseReply(datagram);
    if (!parsed) {
        ++m_malformed;
        return Malformed;
    }
    if (!QHostAddress(parsed->ip).isEqual(sender, QHostAddress::ConvertV4MappedToIPv4)) {
        ++m_spoofed;
        return Spoofed;
    }
    *reply = *parsed;
    return Accepted;
}

bool DiscoveryScanFilter::takeNewEquipment()
{
    if (m_added >= MaxNewPerScan) {
        ++m_overLimit;
        return false;
    }
    ++m_added;
    return true;
}

QString DiscoveryScanFilter::closeScan()
{
    QString line;
    if (m_spoofed > 0 || m_overLimit > 0)
        line = QString("Discovery scan: dropped %1 replies sent from another address than the one they "
                       "advertise and %2 new equipments over the limit of %3 per scan "
                       "(%4 other datagrams ignored)")
                   .arg(m_spoofed)
                   .arg(m_overLimit)
                   .arg(MaxNewPerScan)
                   .arg(m_malformed);
    *this = DiscoveryScanFilter();
    return line;
}
