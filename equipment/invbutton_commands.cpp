// The tile's communication window: opening it from the icon, serving its
// requests every 150 ms, and closing it. Its parameters dialog is fed by the
// link: the parameters read back, write acknowledgements and result codes.
#include "invbutton.h"

#include "dialogcommparams.h"
#include "parameterblock.h"

#include <QLabel>
#include <QtEndian>

DialogCommParams* InvButton::getTheCommWindow() const
{
    return commWindow;
}

void InvButton::InvClicked()
{
    if (!enabledButtons || link->isExcluded() || beingDeleted)
        return;
    if (!commWindow) {
        commWindow = new DialogCommParams(this, link->isStringBox());
        ConnectCommWindow();
        pollEventsTimer->start();
    }
    commWindow->setTheIsZeta(link->isZeta());
    commWindow->setTheSnapshotPath(storageFolder + "/snapshot.png");
    commWindow->setTheFtpPort(ftpPort);
    commWindow->setTheTcpPort(link->port());
    commWindow->setTheNoDnsName(addressedByIp);
    commWindow->setTheAddress(addressText);
    commWindow->setTheName(name);
    commWindow->setTheLegacy(link->protocolFlags().legacy);
    commWindow->setTheCommandsDisabled(link->protocolFlags().legacy || !link->acceptsCommands());
    commWindow->setTheStatus(statusLabel->text());
    commWindow->show();
    commWindow->raise();
}

void InvButton::ConnectCommWindow()
{
    DialogCommParams* w = commWindow;
    connect(w, &DialogCommParams::PortsChosen, this, [this](int tcpPort, int ftp) {
        setTheFtpPort(ftp);
        setThePort(tcpPort);
    });
    connect(link, &EquipmentLink::parametersRead, w,
            [w](const QVector<quint16>& host) { w->setTheInvParameters(host.constData()); });
    connect(link, &EquipmentLink::writeAcknowledged, w, &DialogCommParams::WriteAcknowledged);
    connect(link, &EquipmentLink::commandStatus, w, &DialogCommParams::setTheStatusCode);
    // A send that ended without its acknowledgement is not asked for again.
    connect(link, &EquipmentLink::parameterSendFinished, w, &DialogCommParams::clearTheSendRequested);
    // A copy that ended (finished, failed or stopped) gives the window its
    // copy buttons back.
    connect(this, &InvButton::FtpSyncEnded, w, [w] {
        w->setTheSyncFtpBusy(false);
        w->setTheHisRamBusy(false);
        w->SyncEnded();
    });
}

void InvButton::DeleteCommWindow()
{
    pollEventsTimer->stop();
    link->setCommandsOpen(false);
    delete commWindow.data();
}

void InvButton::PollEvents()
{
    if (!commWindow) {
        pollEventsTimer->stop();
        return;
    }
    if (commWindow->getTheCloseRequested()) {
        DeleteCommWindow();
        setTheStatus("Ready.");
        return;
    }
    if (link->isStringBox() || link->isTpx())
        return;
    // The board's clock, at the link's next tick (a TPX cycle has no clock setting).
    if (commWindow->getTheSyncRequested()) {
        commWindow->clearTheSyncRequested();
        SyncWanted();
    }
    // The log files or the history files, copied when the board is connected;
    // a copy that cannot start gives the window its buttons back at once.
    if (commWindow->getTheSyncFtpRequested()) {
        commWindow->clearTheSyncFtpRequested();
        commWindow->setTheSyncFtpBusy(true);
        if (!RequestLogSync())
            emit FtpSyncEnded();
    }
    if (commWindow->getTheHisRamRequested()) {
        commWindow->clearTheHisRamRequested();
        commWindow->setTheHisRamBusy(true);
        if (!RequestHisRamSync())
            emit FtpSyncEnded();
    }
    if (commWindow && commWindow->getTheStopRequested()) {
        StopFtpDownload(); // timer stopped, job closed, "Ready.", buttons enabled, window told
        commWindow->setTheStopped(true);
        commWindow->clearTheStopRequested();
    }

    const registerblocks::ProtocolFlags& flags = link->protocolFlags();
    commWindow->setTheCommandsDisabled(flags.legacy || !link->acceptsCommands());
    link->setCommandsOpen(commWindow->getTheCommandsOpen());
    // The parameters dialog asks for a send: its block goes to the link once;
    // the dialog's request lasts until the write is acknowledged.
    if (commWindow->getTheCommandsOpen() && commWindow->getTheSendRequested() &&
        !link->parameterSendPending()) {
        unsigned short host[parameterblock::Words];
        commWindow->CopyTheBlock(host);
        unsigned short wire[parameterblock::Words];
        qToBigEndian<quint16>(host, parameterblock::Words, wire);
        link->requestParameterSend(wire);
    }
}

void InvButton::CloseCommandWindow()
{
    if (!commWindow || !commWindow->getTheCommandsOpen())
        return;
    DeleteCommWindow();
    setTheStatus("Ready.");
    SetEnabledButtons(true);
}
