// The plant window's stored plant: reading it at start, building the tiles
// of the shown plant, adding, placing, saving and removing equipments.
#include "invbutton.h"
#include "maindialog.h"
#include "plantlists.h"
#include "plantstore.h"
#include "ui_maindialog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGridLayout>
#include <QHostAddress>
#include <algorithm>

void MainDialog::LoadAppSettings()
{
    plantStore->load();
    Version = plantStore->version;
    ProbeIp = plantStore->probeIp;
    ProbeProbe = plantStore->probeProbe;
    ChosenInterface = plantStore->chosenInterface;
}

void MainDialog::CreateObjects(const QString& plant)
{
    const QHostAddress local(LocalAddress.trimmed());
    const QVector<StoredEquipment> stored = plantStore->equipmentsOf(plant);
    for (const StoredEquipment& e : stored) {
        EquipmentKeys.append(e.key);
        EquipmentNames.append(e.name);
        EquipmentDnsNames.append(e.dnsName);
        EquipmentVersions.append(e.version);
        EquipmentPorts.append(e.port);
        EquipmentFtpPorts.append(e.ftpPort);
        auto* tile = new InvButton(this);
        Tiles.append(tile);
        if (e.version.startsWith("SB_"))
            tile->setIsStringBox(true);
        tile->Palesati();
        tile->SetDeletable(false);
        tile->hide();
        tile->setTheHostAddress(local);
        tile->SetInvInfo(plantlists::keyAddress(e.key), e.name, e.dnsName, e.version, e.port, e.ftpPort,
                         plant);
        tile->setTheStoragePath(StorageDir, __LINE__);
        if (e.key == ProbeIp) {
            // Restored, not chosen: the plant's choice is already stored, and a
            // choice made on another tile must not be overwritten by it.
            tile->setTheChosenProbe(ProbeProbe);
            tile->setTheObjectWantsToChangeChosenProbe(false);
        }
    }
    ReBuildObjectsTableFromList();
}

void MainDialog::AddEquipment(const QString& ip, const QString& name, const QString& version, int port,
                              int ftpPort, bool zeta, bool stringBox, bool tpx, const QString& dnsName,
                              const QString& plant)
{
    if (ip == QLatin1String(plantlists::FactoryAddress)) {
        UnconfiguredPresent = true;
        return;
    }
    EquipmentKeys.append(plantlists::equipmentKey(ip, dnsName, port, plant));
    EquipmentDnsNames.append(dnsName);
    EquipmentNames.append(name);
    EquipmentVersions.append(version);
    EquipmentPorts.append(port);
    EquipmentFtpPorts.append(ftpPort);

    auto* tile = new InvButton(this);
    Tiles.append(tile);
    tile->SetInvInfo(ip, name, dnsName, version, port, ftpPort, plant);
    tile->setTheStoragePath(StorageDir, __LINE__);
    tile->setTheInvIsZETA(zeta || stringBox);
    tile->setIsStringBox(stringBox);
    tile->setTheInvIsTPX(tpx);
    tile->setTheInvDnsName(dnsName);
    tile->Palesati();
    tile->SetDeletable(false);
    ReBuildObjectsTableFromList();
}

void MainDialog::ReBuildObjectsTableFromList()
{
    gridRow = gridColumn = 0;
    int tpxIndex = -1;
    for (int i = 0; i < Tiles.size(); ++i) {
        if (Tiles[i]->getTheInvIsTPX()) {
            TpxPresent = true;
            hideButtonsForTpx();
            tpxIndex = i;
        }
    }
    // Take every tile out of the grid; the tiles themselves stay alive.
    for (int i = grid->count() - 1; i >= 0; --i)
        delete grid->takeAt(i);
    for (int c = 0; c < 2; ++c) {
        grid->setColumnMinimumWidth(c, 0);
        grid->setColumnStretch(c, 0);
    }
    auto place = [this](InvButton* tile) {
        grid->addWidget(tile, gridRow, gridColumn);
        tile->show();
        if (++gridColumn > 1) {
            gridColumn = 0;
            ++gridRow;
        }
        grid->update();
    };
    if (tpxIndex >= 0)
        place(Tiles[tpxIndex]);
    for (int i = 0; i < Tiles.size(); ++i) {
        if (i != tpxIndex)
            place(Tiles[i]);
    }
    // Rows in use keep the tile height; the scrolled area grows with them.
    const int rows = gridColumn == 0 ? gridRow : gridRow + 1;
    for (int r = 0; r < rows; ++r)
        grid->setRowMinimumHeight(r, 170);
    // Two fixed 350-pixel tiles side by side need a little more than the
    // nominal 680 pixels; the scroll area has room for them.
    const QMargins m = grid->contentsMargins();
    const int width = std::max(680, 2 * 350 + grid->horizontalSpacing() + m.left() + m.right());
    const int height = std::max(570, rows * (170 + grid->verticalSpacing()) + m.top() + m.bottom());
    gridWidget->setMinimumSize(width, height);
    gridWidget->resize(width, height);
    grid->activate();
}

void MainDialog::SaveEquipmentList()
{
    QVector<StoredEquipment> shown;
    for (int j = 0; j < EquipmentKeys.size(); ++j) {
        StoredEquipment e;
        e.key = EquipmentKeys[j];
        e.name = EquipmentNames[j];
        e.dnsName = EquipmentDnsNames[j];
        e.version = EquipmentVersions[j];
        e.port = EquipmentPorts[j];
        e.ftpPort = EquipmentFtpPorts[j];
        shown.append(e);
    }
    plantStore->merge(shown);
}

void MainDialog::RemoveEquipment(int tileIndex)
{
    InvButton* tile = Tiles[tileIndex];
    const QString key = tile->GetIp();
    const int j = EquipmentKeys.indexOf(key);
    if (j < 0)
        return; // not among the shown plant's keys: the tile stays
    EquipmentKeys.removeAt(j);
    EquipmentNames.removeAt(j);
    EquipmentDnsNames.removeAt(j);
    EquipmentVersions.removeAt(j);
    EquipmentPorts.removeAt(j);
    EquipmentFtpPorts.removeAt(j);
    if (plantStore->remove(key)) {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    Tiles.removeAt(tileIndex);
    grid->removeWidget(tile);
    tile->hide();
    // The store's writes process pending events, so one of the tile's own
    // slots may still be on the stack: let the event loop destroy it.
    tile->deleteLater();
    ReBuildObjectsTableFromList();
    // The last TPX unit gone: the plant's full-screen and command buttons
    // come back, and the tools button returns to its own place.
    if (TpxPresent &&
        std::none_of(Tiles.cbegin(), Tiles.cend(), [](InvButton* t) { return t->getTheInvIsTPX(); })) {
        TpxPresent = false;
        ui->ButtonTool->move(ToolButtonPlace);
        ShowButtons(true);
    }
}

void MainDialog::RecordPortChange(int i, bool ftp)
{
    InvButton* tile = Tiles[i];
    const int j = EquipmentKeys.indexOf(tile->GetIp());
    if (ftp) {
        if (j >= 0)
            EquipmentFtpPorts[j] = tile->getTheFtpPort();
        plantStore->setFtpPort(tile->GetIp(), tile->getTheFtpPort());
    } else {
        if (j >= 0)
            EquipmentPorts[j] = tile->getThePort();
        plantStore->setPort(tile->GetIp(), tile->getThePort());
    }
    QCoreApplication::processEvents();
    tile->ForceReconnect();
    if (ftp)
        return;
    // The key names the port: the stored entry, the tile's settings file and
    // its storage folder follow it, so that a restart finds the equipment
    // (its kind, exclusion, last sync and logs) under the key the plant stores.
    const QString oldKey = tile->GetIp();
    const QString newKey = plantlists::equipmentKey(plantlists::keyAddress(oldKey), plantlists::NoDnsName,
                                                    tile->getThePort(), PlantName);
    if (newKey == oldKey || plantStore->invList.contains(newKey) || !tile->FollowPortChange())
        return;
    plantStore->changeKey(oldKey, newKey);
    if (j >= 0)
        EquipmentKeys[j] = newKey;
    if (ProbeIp == oldKey)
        ProbeIp = newKey;
}

void MainDialog::RecordProbeChoice(InvButton* tile)
{
    if (tile->GetIp() != ProbeIp || tile->getTheChosenProbe() != 0) {
        ProbeIp = tile->GetIp();
        ProbeProbe = tile->getTheChosenProbe();
    } else {
        ProbeIp = "";
        ProbeProbe = 0;
    }
    plantStore->writeProbe(ProbeIp, ProbeProbe);
    tile->setTheObjectWantsToChangeChosenProbe(false);
}
