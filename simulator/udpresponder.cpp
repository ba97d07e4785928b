#include "udpresponder.h"

#include "simlog.h"

#include <QDateTime>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtEndian>

namespace {

// Request header fields (little-endian).
constexpr quint16 kDiscoveryCommand = 16;
constexpr quint16 kQueryCommand = 17;
constexpr quint16 kConfigCommand = 18;
constexpr int kRequestSize = 22;
constexpr int kHeaderSize = 16;
// Inside the namespace a broadcast arrives twice (over the veth pair and
// looped back); a copy within this time is dropped, as a board sees one.
constexpr qint64 kRepeatMs = 150;

// Discovery reply offsets.
constexpr int kVersionText = 16, kVersionTextEnd = 120;
constexpr int kAddressText = 120, kAddressTextEnd = 140;
constexpr int kNameText = 140, kNameTextEnd = 160;
constexpr int kKind = 160;
constexpr int kMacCopy = 161;

// Board record offsets.
constexpr int kRecMac = 2;
constexpr int kRecIp = 8, kRecMask = 24, kRecGateway = 40, kRecDns1 = 56, kRecDns2 = 72;
constexpr int kRecUdpPort = 88, kRecVncPort = 90, kRecFtpLow = 92, kRecFtpHigh = 94;
constexpr int kRecName = 96, kRecNameSize = 32;
constexpr int kRecDhcp = 128;
constexpr int kRecEssid = 129, kRecKey = 257, kRecTextSize = 64;
constexpr int kRecNetworks = 321, kRecNetworksSize = 256;
constexpr int kRecDiag = 577, kRecDiagSize = 128;
constexpr int kRecWifiIp = 705, kRecWifiDhcp = 785, kRecWifiConnected = 786;
constexpr int kAddrSize = 16;

void putText(QByteArray& buf, int offset, int size, const QByteArray& text)
{
    for (int i = 0; i < size; ++i)
        buf[offset + i] = i < text.size() ? text.at(i) : '\0';
}

QByteArray textAt(const QByteArray& buf, int offset, int size)
{
    const QByteArray field = buf.mid(offset, size);
    const int nul = field.indexOf('\0');
    return nul < 0 ? field : field.left(nul);
}

void putWord(QByteArray& buf, int offset, quint16 value)
{
    qToLittleEndian<quint16>(value, reinterpret_cast<uchar*>(buf.data() + offset));
}

quint16 wordAt(const QByteArray& buf, int offset)
{
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(buf.constData() + offset));
}

QByteArray request(quint16 command)
{
    QByteArray r(kRequestSize, '\0');
    putWord(r, 0, command);
    putWord(r, 2, 1);
    putWord(r, 6, 1);
    qToLittleEndian<quint32>(kRequestSize, reinterpret_cast<uchar*>(r.data() + 8));
    r.replace(kHeaderSize, 6, "**0100");
    return r;
}

bool isBroadcast(const QHostAddress& a)
{
    return a == QHostAddress(QHostAddress::Broadcast) || (a.toIPv4Address() & 0xFF) == 0xFF;
}

QString peer(const QHostAddress& a, quint16 port)
{
    return QString("%1:%2").arg(a.toString()).arg(port);
}

} // namespace

QByteArray UdpResponder::discoveryRequest()
{
    return request(kDiscoveryCommand);
}
QByteArray UdpResponder::configQuery()
{
    return request(kQueryCommand);
}

UdpResponder::UdpResponder(const QVector<BoardModel*>& m, QObject* parent) : QObject(parent), models(m)
{
    for (BoardModel* model : models) {
        const BoardConfig& c = model->config();
        QByteArray rec(kRecordSize, '\0');
        rec.replace(kRecMac, 6, c.mac);
        const QByteArray ip = c.address.toString().toLatin1();
        const quint32 net = c.address.toIPv4Address() & 0xFFFFFF00u;
        const QByteArray gateway = QHostAddress(net | 1).toString().toLatin1();
        putText(rec, kRecIp, kAddrSize, ip);
        putText(rec, kRecMask, kAddrSize, "255.255.255.0");
        putText(rec, kRecGateway, kAddrSize, gateway);
        putText(rec, kRecDns1, kAddrSize, gateway);
        putText(rec, kRecDns2, kAddrSize, "9.9.9.9");
        putWord(rec, kRecUdpPort, 33000);
        putWord(rec, kRecVncPort, 5900);
        putWord(rec, kRecFtpLow, 50000);
        putWord(rec, kRecFtpHigh, 50100);
        if (c.wifi) {
            putText(rec, kRecEssid, kRecTextSize, "PlantNet");
            putText(rec, kRecKey, kRecTextSize, "sunshine2026");
            putText(rec, kRecWifiIp, kAddrSize, QHostAddress(net | 200).toString().toLatin1());
            putText(rec, kRecWifiIp + 16, kAddrSize, "255.255.255.0");
            putText(rec, kRecWifiIp + 32, kAddrSize, gateway);
            putText(rec, kRecWifiIp + 48, kAddrSize, gateway);
            putText(rec, kRecWifiIp + 64, kAddrSize, "9.9.9.9");
            rec[kRecWifiDhcp] = 1;
        }
        records << rec;
        senders << nullptr;
    }
}

UdpResponder::~UdpResponder()
{
    qDeleteAll(listeners);
}

bool UdpResponder::start(QString* error)
{
    for (int i = 0; i < models.size(); ++i) {
        const BoardConfig& c = models.at(i)->config();
        if (!listen(c.address, c.discoveryPort, false, i, error) ||
            !listen(c.address, c.configPort, true, i, error))
            return false;
    }
    return true;
}

bool UdpResponder::listen(const QHostAddress& address, quint16 port, bool config, int board, QString* error)
{
    const bool any = !address.isLoopback();
    const QHostAddress bindTo = any ? QHostAddress(QHostAddress::AnyIPv4) : address;
    if (port != 0)
        for (Listener* l : listeners)
            if (l->config == config && l->socket->localAddress() == bindTo &&
                l->socket->localPort() == port) {
                l->boards << board;
                return true;
            }
    auto* l = new Listener;
    l->socket = new QUdpSocket(this);
    l->any = any;
    l->config = config;
    l->boards << board;
    if (!l->socket->bind(bindTo, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        *error =
            QString("%1 responder %2: %3")
                .arg(config ? "configuration" : "discovery", peer(bindTo, port), l->socket->errorString());
        delete l;
        return false;
    }
    listeners << l;
    // The port the system chose, when asked for any.
    BoardConfig& c = models.at(board)->config();
    (config ? c.configPort : c.discoveryPort) = l->socket->localPort();
    connect(l->socket, &QUdpSocket::readyRead, this, [this, l] { receive(l); });
    return true;
}

void UdpResponder::receive(Listener* l)
{
    while (l->socket->hasPendingDatagrams()) {
        const QNetworkDatagram d = l->socket->receiveDatagram();
        const QByteArray data = d.data();
        const QHostAddress dest = d.destinationAddress();
        if (l->any && isRepeat(l, d))
            continue;
        for (int board : qAsConst(l->boards)) {
            BoardModel* m = models.at(board);
            if (m->config().faults.contains(Fault::UdpSilent))
                continue;
            // A board on a shared socket answers broadcasts and datagrams sent to it.
            if (l->any && !dest.isNull() && !isBroadcast(dest) && !dest.isEqual(m->config().address))
                continue;
            if (!l->config) {
                if (data == discoveryRequest() && m->config().discoverable)
                    answerDiscovery(l, board, d.senderAddress(), quint16(d.senderPort()));
            } else if (data == configQuery()) {
                answerQuery(l, board, d.senderAddress(), quint16(d.senderPort()));
            } else if (data.size() == kRecordSize && wordAt(data, 0) == kConfigCommand &&
                       data.mid(kRecMac, 6) == m->config().mac) {
                adopt(board, data);
            }
        }
    }
}

QByteArray UdpResponder::discoveryReply(int board) const
{
    const BoardConfig& c = models.at(board)->config();
    const QByteArray& rec = records.at(board);
    QByteArray r(kDiscoveryReplySize, '\0');
    putWord(r, 0, kDiscoveryCommand);
    putWord(r, 2, 1);
    putWord(r, 6, 1);
    qToLittleEndian<quint32>(kDiscoveryReplySize - kHeaderSize, reinterpret_cast<uchar*>(r.data() + 8));
    putWord(r, 14, 1); // direction: reply
    putText(r, kVersionText, kVersionTextEnd - kVersionText, c.versionText.toLatin1());
    const int ipAt = rec.at(kRecWifiConnected) ? kRecWifiIp : kRecIp;
    putText(r, kAddressText, kAddressTextEnd - kAddressText, textAt(rec, ipAt, kAddrSize));
    putText(r, kNameText, kNameTextEnd - kNameText, c.name.toLatin1());
    r[kKind] = char(c.kind == BoardKind::Zeta ? 3 : 2);
    r.replace(kMacCopy, 6, c.mac);
    return r;
}

QByteArray UdpResponder::boardRecord(int board) const
{
    const BoardConfig& c = models.at(board)->config();
    QByteArray rec = records.at(board);
    rec[0] = char(c.wifi ? 0xAB : 0xAA);
    rec[1] = 0;
    putText(rec, kRecName, kRecNameSize, c.name.toLatin1());
    if (c.wifi) {
        putText(rec, kRecNetworks, kRecNetworksSize, "PlantNet,wpa2\nNeighbour,wep\nCafe,none\n");
        const int signal = -48 - int(qHash(c.id) % 20);
        putText(rec, kRecDiag, kRecDiagSize,
                QString("Signal %1 dBm,Quality %2%,Channel 6,Bit rate 72 Mb/s")
                    .arg(signal)
                    .arg(100 + signal + 30)
                    .toLatin1());
    }
    return rec;
}

void UdpResponder::answerDiscovery(Listener* l, int board, const QHostAddress& to, quint16 port)
{
    simLog(QString("DISCOVERY %1 from %2").arg(models.at(board)->config().id, peer(to, port)));
    send(l, board, discoveryReply(board), to, port);
}

void UdpResponder::answerQuery(Listener* l, int board, const QHostAddress& to, quint16 port)
{
    simLog(QString("CFGQUERY %1 from %2").arg(models.at(board)->config().id, peer(to, port)));
    send(l, board, boardRecord(board), to, port);
}

bool UdpResponder::isRepeat(Listener* l, const QNetworkDatagram& d)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QString sender = peer(d.senderAddress(), quint16(d.senderPort()));
    const bool repeat = d.data() == l->lastData && sender == l->lastSender && now - l->lastAt < kRepeatMs;
    l->lastData = d.data();
    l->lastSender = sender;
    l->lastAt = now;
    return repeat;
}

void UdpResponder::send(Listener* l, int board, const QByteArray& data, const QHostAddress& to, quint16 port)
{
    if (!l->any) {
        l->socket->writeDatagram(data, to, port);
        return;
    }
    // From the board's own address, as a board on the network would answer.
    QUdpSocket*& s = senders[board];
    if (!s) {
        s = new QUdpSocket(this);
        if (!s->bind(models.at(board)->config().address, 0)) {
            delete s;
            s = nullptr;
            l->socket->writeDatagram(data, to, port);
            return;
        }
    }
    s->writeDatagram(data, to, port);
}

void UdpResponder::adopt(int board, const QByteArray& in)
{
    BoardModel* m = models.at(board);
    QByteArray& rec = records[board];
    rec[kRecDhcp] = in.at(kRecDhcp);
    if (!textAt(in, kRecIp, kAddrSize).isEmpty())
        rec.replace(kRecIp, kRecUdpPort - kRecIp, in.mid(kRecIp, kRecUdpPort - kRecIp));
    rec.replace(kRecUdpPort, kRecName - kRecUdpPort, in.mid(kRecUdpPort, kRecName - kRecUdpPort));
    if (wordAt(rec, kRecUdpPort) == 0)
        putWord(rec, kRecUdpPort, 33000);
    if (wordAt(rec, kRecVncPort) == 0)
        putWord(rec, kRecVncPort, 5900);
    m->setName(QString::fromLatin1(textAt(in, kRecName, kRecNameSize)));
    if (m->config().wifi) {
        rec.replace(kRecEssid, kRecTextSize, in.mid(kRecEssid, kRecTextSize));
        rec.replace(kRecKey, kRecTextSize, in.mid(kRecKey, kRecTextSize));
        rec[kRecWifiDhcp] = in.at(kRecWifiDhcp);
        if (!in.at(kRecWifiDhcp))
            rec.replace(kRecWifiIp, 5 * kAddrSize, in.mid(kRecWifiIp, 5 * kAddrSize));
    }
    simLog(QString("CFGSET %1 addr=%2 mask=%3 gw=%4 dhcp=%5 udp=%6 vnc=%7 ftp=%8-%9 name=%10")
               .arg(m->config().id, QString(textAt(rec, kRecIp, kAddrSize)),
                    QString(textAt(rec, kRecMask, kAddrSize)), QString(textAt(rec, kRecGateway, kAddrSize)))
               .arg(int(rec.at(kRecDhcp)))
               .arg(wordAt(rec, kRecUdpPort))
               .arg(wordAt(rec, kRecVncPort))
               .arg(wordAt(rec, kRecFtpLow))
               .arg(wordAt(rec, kRecFtpHigh))
               .arg(m->config().name) +
           (m->config().wifi ? QString(" essid=%1 wifidhcp=%2")
                                   .arg(QString::fromUtf8(textAt(rec, kRecEssid, kRecTextSize)))
                                   .arg(int(rec.at(kRecWifiDhcp)))
                             : QString()));
}
