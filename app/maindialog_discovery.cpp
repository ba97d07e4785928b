// Discovery of the local plant's equipments over UDP: scans of six
// broadcasts, one a second, and the handling of the boards' replies.
#include "dialogfault.h"
#include "discoverydatagram.h"
#include "invbutton.h"
#include "logging.h"
#include "maindialog.h"
#include "plantlists.h"
#include "plantstore.h"
#include "plantsummary.h"
#include "ui_maindialog.h"

#include <QDateTime>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <cerrno>
#include <cstring>

namespace {
int lastErrno()
{
    return errno == 0 ? -1 : errno;
}

// Datagrams read in one go before the event loop gets its turn again: under a
// flood the window keeps its timers and repaints, and the rest is read at the
// socket's next notification.
constexpr int MaxDatagramsPerRead = 64;
} // namespace

void MainDialog::scanTimerF()
{
    if (FirstUsePending)
        return;
    ++ScanTick;
    ShowDateTime(QDateTime::currentDateTime());
    if (ScanTick > 4) {
        Scanning = true;
        ScanTick = 1;
        RebindDiscoverySocket();
    }
    if (Scanning) {
        if (ScanStep == 1) {
            // A new scan: the previous one's tally is told and cleared.
            const QString dropped = scanFilter.closeScan();
            if (!dropped.isEmpty())
                qCWarning(lcDiscovery).noquote() << dropped;
        }
        ShowScanningStatus(ScanStep);
        ++ScanStep;
        broadcastDatagram();
        if (ScanStep >= 7) {
            Scanning = false;
            ScanStep = 1;
            ShowReadyStatus();
            SaveEquipmentList();
            for (InvButton* tile : qAsConst(Tiles))
                tile->Palesati();
        }
    }
}

void MainDialog::RebindDiscoverySocket()
{
    if (udpSocket) {
        disconnect(udpSocket, &QUdpSocket::readyRead, this, &MainDialog::readPendingDatagrams);
        // The tick may run inside a settings write made while datagrams are
        // read, that is inside this very socket's readyRead(): deleting it
        // now would pull it from under its own signal.
        if (readingDatagrams > 0)
            retiredSockets.append(udpSocket);
        else
            delete udpSocket;
    }
    udpSocket = new QUdpSocket(this);
    if (udpSocket->bind(QHostAddress(LocalAddress.trimmed()), DiscoveryDatagram::ReplyPort,
                        QUdpSocket::ReuseAddressHint))
        connect(udpSocket, &QUdpSocket::readyRead, this, &MainDialog::readPendingDatagrams);
    else
        qCDebug(lcDiscovery) << "scanTimerF: FAIL ON BIND" << udpSocket->errorString();
}

void MainDialog::broadcastDatagram()
{
    if (!udpSocket)
        return;
    errno = 0;
    const QByteArray request = DiscoveryDatagram::request(DiscoveryDatagram::DiscoveryCommand);
    if (udpSocket->writeDatagram(request, QHostAddress::Broadcast, DiscoveryDatagram::DiscoveryPort) < 0) {
        const int err = lastErrno();
        qCDebug(lcDiscovery)
            << QString("broadcastDatagram: Err = %1 [%2]").arg(err).arg(QString::fromLocal8Bit(strerror(err)))
            << udpSocket->errorString();
        ShowFault(DialogFault::FormatCode("mad - ", 2246, err));
    }
}

void MainDialog::readPendingDatagrams()
{
    ++readingDatagrams;
    ReadDatagrams();
    if (--readingDatagrams == 0 && !retiredSockets.isEmpty()) {
        // The socket whose readyRead() brought us here may be among them and
        // is still emitting: the event loop deletes them once that returns.
        for (QUdpSocket* s : qAsConst(retiredSockets))
            s->deleteLater();
        retiredSockets.clear();
    }
}

void MainDialog::ReadDatagrams()
{
    for (int n = 0; n < MaxDatagramsPerRead && udpSocket && udpSocket->hasPendingDatagrams(); ++n) {
        QByteArray datagram;
        datagram.resize(int(udpSocket->pendingDatagramSize()));
        QHostAddress sender;
        quint16 senderPort = 0;
        errno = 0;
        const qint64 got = udpSocket->readDatagram(datagram.data(), datagram.size(), &sender, &senderPort);
        if (got < 0) {
            const int err = lastErrno();
            qCDebug(lcDiscovery) << QString("readPendingDatagrams: Err = %1 [%2]")
                                        .arg(err)
                                        .arg(QString::fromLocal8Bit(strerror(err)));
            ShowFault(DialogFault::FormatCode("mad - ", 1608, err));
            return;
        }
        if (got > 0) {
            datagram.resize(int(got));
            ProcessTheDatagram(datagram, sender);
        }
    }
}

void MainDialog::ProcessTheDatagram(QByteArray& datagram, const QHostAddress& sender)
{
    DiscoveryReply reply;
    if (scanFilter.check(datagram, sender, &reply) != DiscoveryScanFilter::Accepted)
        return;

    for (int j = 0; j < Tiles.size() && j < EquipmentKeys.size(); ++j) {
        if (plantlists::keyAddress(EquipmentKeys[j]) != reply.ip)
            continue;
        // A known board: only its name may have changed. The stored entry is
        // found by its key, wherever other plants' entries put it.
        const QString key = EquipmentKeys[j];
        const int stored = plantStore->invList.indexOf(key);
        const QString current = (stored >= 0 && stored < plantStore->invListNames.size())
                                    ? plantStore->invListNames[stored]
                                    : EquipmentNames[j];
        if (!current.isEmpty() && current != reply.name) {
            Tiles[j]->setTheInvName(reply.name);
            EquipmentNames[j] = reply.name;
            if (stored >= 0)
                plantStore->rename(key, reply.name);
        }
        return;
    }
    // The factory address adds nothing (it only marks the plant), so it takes
    // nothing from the scan's allowance.
    if (reply.ip != QLatin1String(plantlists::FactoryAddress) && !scanFilter.takeNewEquipment())
        return;
    AddEquipment(reply.ip, reply.name, reply.version, 502, 21, reply.isZeta, reply.isStringBox, false,
                 plantlists::NoDnsName, plantlists::LocalPlant);
}
