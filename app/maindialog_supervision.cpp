// The plant window's 250 ms supervision cycle: clock, completion of the
// first use, removals, plant totals and summary, port and probe changes, and
// the feed of the full-screen summary.
#include "dialogaddmanually.h"
#include "dialogfirstuse.h"
#include "fittedtext.h"
#include "fullscreendialog.h"
#include "invbutton.h"
#include "logging.h"
#include "maindialog.h"
#include "plantlists.h"
#include "plantstore.h"
#include "plantsummary.h"
#include "probes.h"
#include "ui_maindialog.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>

void MainDialog::BackgroundActivity()
{
    // Settings writes process pending events; a tick that arrives meanwhile
    // must not run the cycle a second time inside the first (it would, for
    // instance, add a manually entered equipment twice).
    if (inBackgroundActivity)
        return;
    inBackgroundActivity = true;
    RunBackgroundActivity();
    inBackgroundActivity = false;
}

void MainDialog::RunBackgroundActivity()
{
    ShowDateTime(QDateTime::currentDateTime());

    if (addDialog && addDialog->getFinished()) {
        delete addDialog;
        addDialog = nullptr;
    }

    if (firstUseDialogPtr && firstUseDialogPtr->getDone()) {
        DialogFirstUse* d = firstUseDialogPtr;
        CompleteFirstUse(d->getTheInterface().humanReadableName(), d->getTheLocalAddressText(),
                         d->getThePlantList(), d->getTheChosenPlant());
    }
    if (FirstUsePending)
        return;

    for (int i = 0; i < Tiles.size(); ++i) {
        InvButton* tile = Tiles[i];
        if (!TpxPresent && tile->getTheInvIsTPX()) {
            hideButtonsForTpx();
            TpxPresent = true;
        }
        if (tile->getTheInvIsBeingDeleted() && !Scanning) {
            const int before = Tiles.size();
            RemoveEquipment(i);
            if (Tiles.size() < before)
                --i;
        }
    }

    if (!Scanning)
        UpdateTotals();

    HandleManualAdd();
    FollowPlantCommands();
    FollowSetupWindow();
}

void MainDialog::HandleManualAdd()
{
    if (!addDialog || !addDialog->getAddRequested())
        return;
    addDialog->setAddRequested(false);
    const QString address = addDialog->getTheAddress();
    bool exists = false;
    // An address and port already stored for any plant is not added again.
    for (const QString& key : qAsConst(plantStore->invList)) {
        const QStringList parts = key.split('-', Qt::SkipEmptyParts);
        if (parts.size() < 2 || parts[0] != address)
            continue;
        qCDebug(lcApp) << "BackgroundActivity: Existing... Let's check the port.";
        if (parts[1].toInt() == addDialog->getThePort()) {
            exists = true;
            for (InvButton* tile : qAsConst(Tiles)) {
                if (tile->GetRealIp() == parts[0] && addDialog->getHasDnsName())
                    tile->setTheInvDnsName(addDialog->getTheDnsName());
            }
            break;
        }
        qCDebug(lcApp) << "BackgroundActivity: The port is different, we can create.";
    }
    if (!exists) {
        AddEquipment(address, addDialog->getTheName(), "---", addDialog->getThePort(),
                     addDialog->getTheFtpPort(), addDialog->getTransformerless(), addDialog->getStringBox(),
                     addDialog->getTpx(),
                     addDialog->getHasDnsName() ? addDialog->getTheDnsName() : QString(plantlists::NoDnsName),
                     PlantName);
        SaveEquipmentList();
    }
}

void MainDialog::CompleteFirstUse(const QString& interfaceName, const QString& localAddressText,
                                  const QStringList& plants, const QString& plant)
{
    ChosenInterface = interfaceName;
    LocalAddress = localAddressText;
    PlantName = plant;
    plantStore->writeFirstUse(plants, ChosenInterface);
    FirstUsePending = false;
    if (firstUseDialogPtr) {
        firstUseDialogPtr->hide();
        delete firstUseDialogPtr;
    }
    ShowScanningStatus(ScanStep);
    CreateObjects(PlantName);
    if (PlantName == QLatin1String("LOCAL")) {
        Scanning = true;
        ScanTick = 5;
        scanTimer->start(1000);
    }
    ShowReadyStatus();
    ShowButtons(true);
}

void MainDialog::ShowScanningStatus(int step)
{
    setFittedText(ui->StatusLine, QString("Scanning... [%1]").arg(step));
    ui->StatusLine->show();
}

void MainDialog::ShowReadyStatus()
{
    setFittedText(ui->StatusLine, "Ready. Plant: " + PlantName + " (" + LocalAddress + " on interface " +
                                      ChosenInterface + ")");
    ui->StatusLine->show();
}

void MainDialog::UpdateTotals()
{
    if (Tiles.isEmpty()) {
        setFittedText(ui->TotalPower, "No inverters. No alarms.");
        return;
    }
    const QDate today = QDate::currentDate();
    QVector<TileReading> readings;
    readings.reserve(Tiles.size());
    for (int i = 0; i < Tiles.size(); ++i) {
        InvButton* tile = Tiles[i];
        if (tile->getIsStringBox())
            continue;
        TileReading r;
        r.connected = tile->getTheServerIsConnected();
        if (r.connected) {
            r.power = tile->InstantPowerForPlant();
            r.nominal = tile->getTheNominalPower();
            r.kvpac = tile->getTheKVPAC();
            r.dailyEnergy = tile->getTheDailyEnergy();
            r.monthlyEnergy = tile->getMonthlyEnergy(today.year(), today.month());
            r.totalEnergy = tile->getTheTotalEnergy();
            r.inAlarm = tile->theInvIsInAlarm();
        }
        readings.append(r);
        if (tile->theInvWantsToChangeTcpPort())
            RecordPortChange(i, false);
        if (tile->theInvWantsToChangeFtpPort())
            RecordPortChange(i, true);
        if (tile->getTheObjectWantsToChangeChosenProbe())
            RecordProbeChoice(tile);
    }
    const PlantTotals totals = plantsummary::sum(readings);
    ShowTotals(totals);
    TotalNominalPower = totals.nominalPower;
    LastTotals = totals;
    if (fullScreenDialog && fullScreenDialog->isVisible())
        FeedFullScreenValues(totals);
}

void MainDialog::ShowTotals(const PlantTotals& totals)
{
    setFittedText(ui->TotalPower, plantsummary::totalPowerText(totals, Tiles.size(), UnconfiguredPresent));
    setFittedText(ui->TotPow, plantsummary::totPowText(totals));
}

void MainDialog::ShowDateTime(const QDateTime& now)
{
    setFittedText(ui->theDateTime, plantsummary::dateTimeText(now));
}

void MainDialog::FeedFullScreenValues(const PlantTotals& totals)
{
    const plantsummary::FullScreenValues v = plantsummary::fullScreenValues(totals);
    fullScreenDialog->setTheMonthEnergy(v.monthKWh);
    fullScreenDialog->setThePercentOfNominal(v.percentOfNominal);
    fullScreenDialog->setTheDayEnergy(v.dayKWh);
    fullScreenDialog->UpdateReadings(v.powerKW);
    fullScreenDialog->setThePlantTotalEnergy(v.totalKWh);
}

void MainDialog::UpdateFullScreenPlot()
{
    if (!fullScreenDialog || !fullScreenDialog->isVisible())
        return;
    QVector<plantsummary::MiniPlotTile> parts;
    parts.reserve(Tiles.size());
    for (InvButton* tile : qAsConst(Tiles)) {
        plantsummary::MiniPlotTile part;
        part.connected = tile->getTheServerIsConnected();
        part.stringBox = tile->getIsStringBox();
        part.key = tile->GetIp();
        if (part.connected) {
            part.x = tile->getTheMiniPlotDataX();
            part.y = tile->getTheMiniPlotDataY();
        }
        parts.append(part);
    }
    const plantsummary::MiniPlotFeed feed = plantsummary::miniPlotFeed(parts, ProbeIp, ProbeProbe);
    if (feed.x.isEmpty())
        return;
    fullScreenDialog->setTheMiniPlotDataX(feed.x);
    if (feed.showsProbe()) {
        // Label and full scale come from the tile that carries the probe;
        // the tile numbers its probes from 1.
        InvButton* tile = Tiles[feed.probeTile];
        QVector<double> curve = tile->getTheMiniPlotDataYExtra();
        // A choice restored at start is made before the day's log is
        // copied, so the tile may hold no curve yet: read it from the copy.
        if (curve.isEmpty())
            curve = probes::UpdateLocalMeasure(tile->getTheStorageFolder(), ProbeProbe,
                                               tile->getTheInvIsZETA(), QDate::currentDate());
        fullScreenDialog->setTheMiniPlotDataYExtra(curve);
        fullScreenDialog->setTheMiniPlotExtraMax(
            static_cast<unsigned short>(qBound(0.0, tile->getTheProbeMax(ProbeProbe), 65535.0)));
        fullScreenDialog->setTheMiniPlotExtraLabel(tile->GetTheProbeLabel(ProbeProbe));
    }
    fullScreenDialog->setTheMiniPlotDataY(feed.sum, TotalNominalPower);
}
