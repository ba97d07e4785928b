#pragma once
// The communication window of one equipment, opened by a click on its
// tile's icon: the equipment's TCP and FTP ports, the commands (the
// parameters dialog inside it), the board's clock setting and the log and
// history copies. The window shows the tile's status text; every request it
// makes is a flag that the tile polls and clears (the port change, made
// through PortsChosen, is the exception). The tile closes and deletes it.

#include "dialogsetup.h"
#include "windowdrag.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace Ui {
class DialogCommParams;
}

class DialogCommParams : public QDialog
{
    Q_OBJECT
public:
    // A string box's window offers neither commands, clock nor log copies.
    explicit DialogCommParams(QWidget* parent = nullptr, bool stringBox = false);
    ~DialogCommParams() override;

    // --- What the tile gives the window when it opens it ---
    // The board's screen snapshot, shown when the file exists.
    void setTheSnapshotPath(const QString& path);
    QString getTheSnapshotPath() const { return snapshotPath; }
    // Fill the port fields.
    void setTheTcpPort(int port);
    void setTheFtpPort(int port);
    void setTheNoDnsName(bool on) { noDnsName = on; }
    bool getTheNoDnsName() const { return noDnsName; }
    // Name and address: the window's heading, and the parameters dialog's.
    void setTheName(const QString& name);
    void setTheAddress(const QString& address);
    QString getTheName() const { return name; }
    QString getTheAddress() const { return address; }
    // Protocol generation: a legacy board's commands are never shown disabled.
    void setTheLegacy(bool on) { legacy = on; }
    bool getTheLegacy() const { return legacy; }
    // The equipment does not accept commands (refreshed by the tile).
    void setTheCommandsDisabled(bool on) { commandsDisabled = on; }
    bool getTheCommandsDisabled() const { return commandsDisabled; }
    // A Zeta board keeps no history files: their button is hidden.
    void setTheIsZeta(bool on);
    bool getTheIsZeta() const { return zeta; }
    bool getTheIsStringBox() const { return stringBox; }

    // The tile's status text, mirrored.
    void setTheStatus(const QString& text);
    QString getTheStatus() const;

    // --- The parameters dialog ---
    // Open (its commands-open flag): the link reads the parameters back.
    bool getTheCommandsOpen() const { return commandsOpen; }
    DialogSetup* getTheSetup() const { return setup; }
    // Its send request and the block (host order) it asks to send.
    bool getTheSendRequested() const;
    void clearTheSendRequested();
    void CopyTheBlock(unsigned short* dest8) const;
    // What the link reports while it is open.
    void setTheInvParameters(const unsigned short* host8);
    void WriteAcknowledged();
    void setTheStatusCode(int code);

    // --- Requests polled by the tile ---
    // The close button (or Escape): the tile deletes the window.
    bool getTheCloseRequested() const { return closeRequested; }
    // "Synchro Date and Time": set the board's clock.
    bool getTheSyncRequested() const { return syncRequested; }
    void clearTheSyncRequested() { syncRequested = false; }
    // "Synchro Log Files": copy the board's logs.
    bool getTheSyncFtpRequested() const { return syncFtpRequested; }
    void clearTheSyncFtpRequested() { syncFtpRequested = false; }
    // "Get History Files from Sysboard": copy the history files.
    bool getTheHisRamRequested() const { return hisRamRequested; }
    void clearTheHisRamRequested() { hisRamRequested = false; }
    // "Stop download": abandon the running copy.
    bool getTheStopRequested() const { return stopRequested; }
    void clearTheStopRequested() { stopRequested = false; }
    // Which copy the tile took up and is running, and that one was stopped.
    bool getTheSyncFtpBusy() const { return syncFtpBusy; }
    void setTheSyncFtpBusy(bool on) { syncFtpBusy = on; }
    bool getTheHisRamBusy() const { return hisRamBusy; }
    void setTheHisRamBusy(bool on) { hisRamBusy = on; }
    bool getTheStopped() const { return stopped; }
    void setTheStopped(bool on) { stopped = on; }
    // The copy has ended: Stop hidden, both copy buttons enabled again.
    void SyncEnded();

signals:
    // Apply with two valid ports: the tile stores them (setTheFtpPort,
    // setThePort); the window then asks to be closed.
    void PortsChosen(int tcpPort, int ftpPort);

public slots:
    void on_pushButtonApply_clicked();
    void on_CommandsButton_clicked();
    void DialogPoll();
    void on_pushButtonClose_clicked();
    void on_SyncButton_clicked();
    void on_SyncFtpButton_clicked();
    void on_HisRamButton_clicked();
    void on_FtpCloseButton_clicked();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void ApplyKind();
    void RefreshCommandsState();
    void RequestClose();
    void ShowCopyRunning();
    QString Title() const;
    void ShowTitle();

    Ui::DialogCommParams* ui;
    QTimer pollTimer;
    QPointer<DialogSetup> setup;
    QString snapshotPath;
    QString name;
    QString address;
    bool stringBox = false;
    bool zeta = false;
    bool legacy = false;
    bool commandsDisabled = false;
    bool noDnsName = true;
    bool commandsOpen = false;
    bool closeRequested = false;
    bool syncRequested = false;
    bool syncFtpRequested = false;
    bool hisRamRequested = false;
    bool stopRequested = false;
    bool syncFtpBusy = false;
    bool hisRamBusy = false;
    bool stopped = false;
    WindowDrag drag;
};
