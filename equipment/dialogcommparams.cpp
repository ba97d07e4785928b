#include "dialogcommparams.h"

#include "dialogsetup.h"
#include "imagebutton.h"
#include "logging.h"
#include "parameterblock.h"
#include "ui_dialogcommparams.h"

#include <QCloseEvent>
#include <QFileInfo>

DialogCommParams::DialogCommParams(QWidget* parent, bool isStringBox)
    : QDialog(parent), ui(new Ui::DialogCommParams), stringBox(isStringBox)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowOpacity(0.95);
    styleImageButton(ui->pushButtonClose, ":/buttonquit.png", ":/buttonquitG.png");
    styleImageButton(ui->pushButtonApply, ":/apply.png", ":/applyG.png");
    styleImageButton(ui->CommandsButton, ":/commands.png", ":/commandsG.png");
    ui->FtpCloseButton->hide();
    ApplyKind();

    connect(&pollTimer, &QTimer::timeout, this, &DialogCommParams::DialogPoll);
    pollTimer.start(250);
}

DialogCommParams::~DialogCommParams()
{
    delete setup; // a child window: gone with the window anyway, but at once
    delete ui;
}

// What each kind of equipment offers.
void DialogCommParams::ApplyKind()
{
    if (stringBox) {
        ui->SyncButton->hide();
        ui->SyncFtpButton->hide();
        ui->CommandsButton->hide();
        ui->FtpCloseButton->hide();
        ui->theSnapshot->hide();
        return;
    }
    ui->HisRamButton->setVisible(!zeta);
    ui->SyncButton->setToolTip(zeta ? "Synchro Date and Time" : "Force log syncing");
}

void DialogCommParams::setTheIsZeta(bool on)
{
    zeta = on;
    ApplyKind();
}

void DialogCommParams::setTheSnapshotPath(const QString& path)
{
    snapshotPath = path;
    if (QFileInfo(path).isFile())
        ui->theSnapshot->setPixmap(QPixmap(path));
}

void DialogCommParams::setTheTcpPort(int port)
{
    ui->ModbusPortValue->setText(QString::number(port));
}

void DialogCommParams::setTheFtpPort(int port)
{
    ui->FtpPortValue->setText(QString::number(port));
}

QString DialogCommParams::Title() const
{
    return name + " (" + address + ")";
}

void DialogCommParams::setTheName(const QString& text)
{
    name = text;
    ShowTitle();
}

void DialogCommParams::setTheAddress(const QString& text)
{
    address = text;
    ShowTitle();
}

void DialogCommParams::ShowTitle()
{
    ui->CommTitle->setText(Title());
    setWindowTitle(Title());
}

void DialogCommParams::setTheStatus(const QString& text)
{
    ui->Status->setText(text);
}

QString DialogCommParams::getTheStatus() const
{
    return ui->Status->text();
}

// --- Ports ---

void DialogCommParams::on_pushButtonApply_clicked()
{
    const QString tcpText = ui->ModbusPortValue->text().trimmed();
    const QString ftpText = ui->FtpPortValue->text().trimmed();
    if (tcpText.isEmpty() || ftpText.isEmpty()) {
        RequestClose();
        return;
    }
    const int tcp = parameterblock::portFromText(tcpText);
    const int ftp = parameterblock::portFromText(ftpText);
    if (tcp == 0 || ftp == 0) {
        // Kept open, so that the value can be mended.
        setTheStatus(QString("%1 port must be a number from 1 to 65535.").arg(tcp == 0 ? "Modbus" : "Ftp"));
        return;
    }
    qCDebug(lcTile, "Setting PARAMETERS");
    emit PortsChosen(tcp, ftp);
    RequestClose();
}

// --- Closing: the tile deletes the window when it sees the request ---

void DialogCommParams::RequestClose()
{
    closeRequested = true;
    hide();
}

void DialogCommParams::on_pushButtonClose_clicked()
{
    RequestClose();
}

void DialogCommParams::reject()
{
    RequestClose();
}

void DialogCommParams::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous())
        RequestClose();
    event->accept();
}

void DialogCommParams::mousePressEvent(QMouseEvent* event)
{
    drag.press(this, event);
}

void DialogCommParams::mouseMoveEvent(QMouseEvent* event)
{
    drag.move(this, event);
}

// --- The parameters dialog ---

void DialogCommParams::on_CommandsButton_clicked()
{
    if (!setup)
        setup = new DialogSetup(this);
    ui->CommandsButton->setEnabled(false);
    commandsOpen = true;
    setup->setTheTitle(Title());
    RefreshCommandsState();
    setup->show();
    setup->raise();
}

void DialogCommParams::RefreshCommandsState()
{
    // A board on the legacy protocol does not report whether it accepts
    // commands: its commands are offered.
    const bool disabled = !legacy && commandsDisabled;
    setup->setTheCommText(disabled ? "Commands (disabled)" : "Commands");
    setup->setTheCommandsEnabled(!disabled);
}

void DialogCommParams::DialogPoll()
{
    if (stringBox || !setup)
        return;
    if (setup->getTheCloseRequested()) {
        commandsOpen = false;
        setup->close();
        delete setup;
        ui->CommandsButton->setEnabled(true);
        return;
    }
    RefreshCommandsState();
}

bool DialogCommParams::getTheSendRequested() const
{
    return setup && setup->getTheSendRequested();
}

void DialogCommParams::clearTheSendRequested()
{
    if (setup)
        setup->setTheSendRequested(false);
}

void DialogCommParams::CopyTheBlock(unsigned short* dest8) const
{
    if (setup)
        setup->CopyTheBlock(dest8);
}

void DialogCommParams::setTheInvParameters(const unsigned short* host8)
{
    if (setup)
        setup->setTheInvParameters(host8);
}

void DialogCommParams::WriteAcknowledged()
{
    if (setup)
        setup->WriteAcknowledged();
}

void DialogCommParams::setTheStatusCode(int code)
{
    if (setup)
        setup->setTheStatus(code);
}

// --- Clock and log copies: flags for the tile ---

void DialogCommParams::on_SyncButton_clicked()
{
    syncRequested = true;
}

// A copy asked for: Stop offered, no second copy until this one ends.
void DialogCommParams::ShowCopyRunning()
{
    ui->FtpCloseButton->show();
    ui->SyncFtpButton->setEnabled(false);
    ui->HisRamButton->setEnabled(false);
}

void DialogCommParams::on_SyncFtpButton_clicked()
{
    ShowCopyRunning();
    syncFtpRequested = true;
}

void DialogCommParams::on_HisRamButton_clicked()
{
    ShowCopyRunning();
    hisRamRequested = true;
}

void DialogCommParams::on_FtpCloseButton_clicked()
{
    stopRequested = true;
}

void DialogCommParams::SyncEnded()
{
    ui->FtpCloseButton->hide();
    ui->SyncFtpButton->setEnabled(true);
    ui->HisRamButton->setEnabled(true);
}
