// The tile's side of the FTP jobs: their status texts and button states, the
// board's snapshot, and the Update button.
#include "invbutton.h"

#include <QFileDialog>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

void InvButton::ConnectLogSync()
{
    connect(logSync, &LogSync::statusChanged, this, &InvButton::setTheStatus);
    // A job ending never enables the buttons of an equipment that is not
    // reachable, or excluded, meanwhile.
    connect(logSync, &LogSync::buttonsEnabled, this,
            [this](bool on) { SetEnabledButtons(on && getTheServerIsConnected()); });
    connect(logSync, &LogSync::syncEnded, this, &InvButton::FtpSyncEnded);
    connect(logSync, &LogSync::snapshotFetched, this, &InvButton::ShowSnapshot);
    connect(ButtonUpdate, &QPushButton::clicked, this, &InvButton::UpdateButton);
}

void InvButton::ShowSnapshot(const QString& path)
{
    if (beingDeleted || link->isStringBox())
        return;
    snapshotLabel->setPixmap(QPixmap(path));
    snapshotLabel->raise();
}

void InvButton::UpdateButton()
{
    const QString file = upgradeFileChooser ? upgradeFileChooser()
                                            : QFileDialog::getOpenFileName(this, tr("Open Upgrade File"), ".",
                                                                           tr("Upgrade Files (*.tgz)"));
    if (file.isEmpty())
        return; // cancelled: nothing changes
    StartUpgrade(file);
}
