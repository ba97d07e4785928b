// The plant window and its network setup window: opening it from the tools
// button, and the supervision's step that closes it and adopts a newly
// chosen interface.
#include "dialogvelorasetup.h"
#include "invbutton.h"
#include "maindialog.h"
#include "plantstore.h"
#include "setupform.h"

#include <QCoreApplication>
#include <QUdpSocket>

void MainDialog::on_ButtonTool_clicked()
{
    // One setup window at a time: it is the one the supervision follows and
    // closes, so a second press shows it again.
    if (!setupDialog) {
        setupDialog = new DialogVeloraSetup(this);
        setupDialog->setTheInterfaceInUse(ChosenInterface, LocalAddress.trimmed());
    }
    setupDialog->show();
    setupDialog->raise();
    FollowSetupWindow();
}

void MainDialog::FollowSetupWindow()
{
    if (!setupDialog)
        return;
    if (setupDialog->getTheCloseRequested()) {
        setupDialog->close();
        delete setupDialog;
        setupDialog = nullptr;
        ResumeDiscovery();
        return;
    }
    if (setupDialog->getTheInterfaceHasChanged()) {
        setupDialog->setTheInterfaceHasChanged(false);
        const QString name = setupDialog->getTheInterfaceInUse().trimmed();
        const QHostAddress address = netsetup::localAddressOf(name, setupDialog->getTheAddressInUse());
        // An interface that is gone, or has no IPv4 address, changes nothing.
        if (!address.isNull()) {
            ChosenInterface = name;
            LocalAddress = address.toString();
            plantStore->writeChosenInterface(ChosenInterface);
            QCoreApplication::processEvents();
            for (InvButton* tile : qAsConst(Tiles)) {
                tile->setTheHostAddress(address);
                tile->setTheHostAddressHasChanged(true);
            }
        }
    }
    // The setup window and the discovery both listen on port 43034; on the
    // same address the system hands each reply to one socket only, so the
    // discovery rests while the window listens on the plant's address.
    const QUdpSocket* setupSocket = setupDialog->socket();
    if (!setupSocket || setupSocket->localAddress() == QHostAddress(LocalAddress.trimmed()))
        PauseDiscovery();
    else
        ResumeDiscovery();
}

void MainDialog::PauseDiscovery()
{
    if (!scanTimer->isActive())
        return;
    scanTimer->stop();
    discoveryPaused = true;
    delete udpSocket;
    udpSocket = nullptr;
    if (Scanning) {
        // The scan ends here: what it found is kept.
        Scanning = false;
        ScanStep = 1;
        ShowReadyStatus();
        SaveEquipmentList();
    }
}

void MainDialog::ResumeDiscovery()
{
    if (!discoveryPaused)
        return;
    discoveryPaused = false;
    // As at the end of the first use: the next tick binds and broadcasts.
    Scanning = true;
    ScanTick = 5;
    scanTimer->start(1000);
}
