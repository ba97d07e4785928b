// Plant commands: the parameters dialog in plant mode, opened from the plant
// window's commands button. Its block is handed to every inverter tile; the
// dialog reads "Sending..." until each of them has read its result register
// or given up, then the plant-wide result.
#include "dialogsetup.h"
#include "invbutton.h"
#include "logging.h"
#include "maindialog.h"
#include "parameterblock.h"
#include "plantlists.h"

#include <QtEndian>

void MainDialog::on_ButtonPlant_clicked()
{
    // Plant commands belong to the local plant, and are not offered beside a
    // TPX unit (the button is hidden then).
    if (PlantName != QLatin1String(plantlists::LocalPlant) || TpxPresent)
        return;
    int enabled = 0;
    int disabled = 0;
    for (InvButton* tile : qAsConst(Tiles)) {
        tile->CloseCommandWindow();
        if (tile->getTheInvGetsCommands())
            ++enabled;
        else
            ++disabled;
    }
    if (!plantCommandsDialog)
        plantCommandsDialog = new DialogSetup(nullptr);
    plantCommandsDialog->setTheTitle("Plant: " + PlantName);
    plantCommandsDialog->setWindowTitle("Plant commands");
    plantCommandsDialog->setThePlantMode(true);
    plantCommandsDialog->setTheCommText(
        QString("Commands - %1 enabled, %2 disabled.").arg(enabled).arg(disabled));
    plantCommandsDialog->show();
    plantCommandsDialog->raise();
    plantCommandsDialog->setTheSendRequested(false);
}

void MainDialog::FollowPlantCommands()
{
    DialogSetup* d = plantCommandsDialog;
    if (!d)
        return;
    if (d->getTheCloseRequested()) {
        d->close();
        delete d;
        plantCommandsDialog = nullptr;
        plantSendTiles.clear();
        plantSendRunning = false;
        return;
    }
    if (d->getTheSendRequested()) {
        d->CopyTheBlock(PlantCommandBlock);
        qToBigEndian<quint16>(PlantCommandBlock, parameterblock::Words, PlantCommandBlock);
        plantSendTiles.clear();
        // String boxes and TPX units have no parameter registers: their
        // cycles never write the block.
        for (InvButton* tile : qAsConst(Tiles)) {
            if (tile->getIsStringBox() || tile->getTheInvIsTPX())
                continue;
            tile->SetPwConfig(PlantCommandBlock);
            tile->setTheSendConfigAsSoonAsPossible(true);
            plantSendTiles.append(tile);
        }
        d->setTheSendRequested(false);
        plantSendRunning = true;
        qCDebug(lcApp, "%s: block handed to %d equipments", "FollowPlantCommands",
                static_cast<int>(plantSendTiles.size()));
    }
    if (!plantSendRunning)
        return;
    QVector<int> outcomes;
    for (const QPointer<InvButton>& tile : qAsConst(plantSendTiles)) {
        if (tile && tile->getTheParameterSendPending())
            return; // still sending
        outcomes << (tile ? tile->getTheLastSendOutcome() : int(parameterblock::NoAnswer));
    }
    plantSendRunning = false;
    plantSendTiles.clear();
    if (outcomes.count(parameterblock::CommandOk) == outcomes.size() && !outcomes.isEmpty())
        d->setTheStatus(parameterblock::CommandOk);
    else
        d->setTheSummary(parameterblock::plantSendText(outcomes));
}
