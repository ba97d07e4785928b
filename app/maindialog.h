#pragma once
// The plant window: one tile per equipment of the chosen plant, the plant
// summary, the clock and the side buttons. It owns the stored plant, the
// supervision cycle and the discovery of the local plant.

#include "discoverydatagram.h"
#include "plantsummary.h"
#include "windowdrag.h"

#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <memory>

class InvButton;
class DialogFirstUse;
class DialogFault;
class DialogAddManually;
class FullScreenDialog;
class DialogVeloraSetup;
class DialogSetup;
class PlantStore;
class QGridLayout;
class QScrollArea;
class QSettings;
class QUdpSocket;
class QLabel;
class QPushButton;

namespace Ui {
class MainDialog;
}

class MainDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MainDialog(QWidget* parent = nullptr);
    ~MainDialog() override;

    void ShowButtons(bool show);

    // Stored plant.
    void LoadAppSettings();
    void CreateObjects(const QString& plant);
    void AddEquipment(const QString& ip, const QString& name, const QString& version, int port, int ftpPort,
                      bool zeta, bool stringBox, bool tpx, const QString& dnsName, const QString& plant);
    void ReBuildObjectsTableFromList();
    void SaveEquipmentList();

    // Completes the start once the first-use choices are known: stores them,
    // builds the plant's tiles and, for "LOCAL", starts the discovery.
    void CompleteFirstUse(const QString& interfaceName, const QString& localAddressText,
                          const QStringList& plants, const QString& plant);

    // Handles one discovery datagram received from sender: a reply from the
    // address it advertises adds a new board's equipment (within the scan's
    // allowance) or may rename a known board's equipment.
    void ProcessTheDatagram(QByteArray& datagram, const QHostAddress& sender);

    // Shows the fatal fault window with a code.
    void ShowFault(const QString& code);

    // Read-only views for the plant's observers (and tests).
    const QVector<InvButton*>& tiles() const { return Tiles; }
    const QVector<QString>& equipmentKeys() const { return EquipmentKeys; }
    QString plantName() const { return PlantName; }
    QString localAddress() const { return LocalAddress; }
    QString storageDir() const { return StorageDir; }
    QString settingsFileName() const;
    bool firstUsePending() const { return FirstUsePending; }
    bool scanning() const { return Scanning; }
    void setScanning(bool on) { Scanning = on; }
    void setUnconfiguredPresent(bool on) { UnconfiguredPresent = on; }
    // The top bar's summary texts and clock, each fitted to its label.
    void ShowTotals(const PlantTotals& totals);
    void ShowDateTime(const QDateTime& now);
    bool tpxPresent() const { return TpxPresent; }
    bool unconfiguredPresent() const { return UnconfiguredPresent; }
    double totalNominalPower() const { return TotalNominalPower; }
    DialogFirstUse* firstUseDialog() const;
    DialogFault* faultDialog() const;
    QGridLayout* tileGrid() const { return grid; }
    PlantStore* store() const { return plantStore.get(); }
    DialogAddManually* addManuallyDialog() const { return addDialog; }
    DialogVeloraSetup* veloraSetupDialog() const { return setupDialog; }
    QString probeIp() const { return ProbeIp; }
    int probeProbe() const { return ProbeProbe; }
    FullScreenDialog* fullScreen() const { return fullScreenDialog; }
    DialogSetup* plantCommands() const { return plantCommandsDialog; }

public slots:
    void BackgroundActivity();
    void on_ButtonAdd_clicked();
    void readPendingDatagrams();
    void on_ButtonPlant_clicked();
    void on_ButtonQuit_clicked();
    void on_ButtonFullScreen_clicked();
    void on_ButtonMinimize_clicked();
    void on_ButtonTool_clicked();
    void scanTimerF();
    void TheSlowTimer();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void RunBackgroundActivity();
    void hideButtonsForTpx();
    void RemoveEquipment(int tileIndex);
    void RecordPortChange(int tileIndex, bool ftp);
    void RecordProbeChoice(InvButton* tile);
    void UpdateTotals();
    void UpdateFullScreenPlot();
    void FeedFullScreenValues(const PlantTotals& totals);
    void HandleManualAdd();
    void ShowScanningStatus(int step);
    void ShowReadyStatus();
    void broadcastDatagram();
    // The network setup window: closing it, adopting its interface.
    void FollowSetupWindow();
    // The plant commands window: closing it, sending its block to the
    // tiles, and its text once every tile has its result.
    void FollowPlantCommands();
    void PauseDiscovery();
    void ResumeDiscovery();
    void RebindDiscoverySocket();
    void ReadDatagrams();

    Ui::MainDialog* ui;
    QSettings* settings = nullptr;
    std::unique_ptr<PlantStore> plantStore;
    QString StorageDir;
    bool UnconfiguredPresent = false;
    double TotalNominalPower = 0.0;
    QTimer* scanTimer = nullptr;
    QTimer* backgroundTimer = nullptr;
    QTimer* slowTimer = nullptr;
    QUdpSocket* udpSocket = nullptr;
    // Sockets replaced while datagrams were being read (settings writes
    // process events there, the scan tick among them): one of them may still
    // be emitting, so they are deleted once the reading has returned.
    QVector<QUdpSocket*> retiredSockets;
    int readingDatagrams = 0; // readPendingDatagrams() calls on the stack
    DiscoveryScanFilter scanFilter;

    // The shown plant's equipments, one entry per tile, in tile order.
    QVector<InvButton*> Tiles;
    QVector<QString> EquipmentKeys;
    QVector<QString> EquipmentNames;
    QVector<QString> EquipmentDnsNames;
    QVector<QString> EquipmentVersions;
    QVector<int> EquipmentPorts;
    QVector<int> EquipmentFtpPorts;

    QString ProbeIp;
    QString Version;
    int ProbeProbe = 0;
    QString ChosenInterface;
    QString LocalAddress;
    QString PlantName;

    QPointer<DialogFirstUse> firstUseDialogPtr;
    QPointer<DialogFault> faultDialogPtr;
    DialogAddManually* addDialog = nullptr;
    FullScreenDialog* fullScreenDialog = nullptr; // made once, lives with the window
    PlantTotals LastTotals; // of the last supervision cycle, shown when the full screen opens
    DialogVeloraSetup* setupDialog = nullptr;
    DialogSetup* plantCommandsDialog = nullptr; // made without a parent
    // The tiles the last plant-wide block was handed to, until each has
    // ended its write sequence.
    QVector<QPointer<InvButton>> plantSendTiles;
    bool plantSendRunning = false;
    bool discoveryPaused = false;
    QRect ScreenGeometry;
    QPoint ToolButtonPlace; // where the form puts the tools button (a TPX plant moves it)
    unsigned short PlantCommandBlock[8] = {};
    bool Scanning = false;
    bool FirstUsePending = false;
    bool TpxPresent = false;
    bool inBackgroundActivity = false;
    int ScanTick = 0;
    int ScanStep = 1;
    int gridRow = 0;
    int gridColumn = 0;
    WindowDrag drag;

    QWidget* gridWidget = nullptr;
    QGridLayout* grid = nullptr;
    QScrollArea* scrollArea = nullptr;
};
