#include "dialogvelorasetup.h"

#include "dialogfault.h"
#include "dialogwarn.h"
#include "imagebutton.h"
#include "logging.h"
#include "setupform.h"
#include "ui_dialogvelorasetup.h"

#include <QUdpSocket>
#include <cerrno>
#include <cstring>

namespace {

// Red for an invalid field; a valid one keeps the form's own white (and its
// grey while its group is disabled).
const char* const InvalidStyle = "background-color: rgb(253, 126, 127);";
const char* const ValidStyle = "";
const char* const NoComm = "NOCOMM";
const char* const NoCommWarning = "This board is NOT communicating with inverter.";
constexpr int FaultLocation = 151;

// Marks a field valid (white) or invalid (red); the style is only touched
// when it changes, so the field is not repolished every second.
void mark(QWidget* field, bool valid)
{
    const QLatin1String style(valid ? ValidStyle : InvalidStyle);
    if (field->styleSheet() != style)
        field->setStyleSheet(style);
}

QString systemError(int err)
{
    return QString::fromLocal8Bit(strerror(err));
}

} // namespace

DialogVeloraSetup::DialogVeloraSetup(QWidget* parent) : QDialog(parent), ui(new Ui::DialogVeloraSetup)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowOpacity(0.95);
    styleImageButton(ui->ButtonCancel, ":/buttonquit.png", ":/buttonquitG.png");
    // The image at the left, "Exit" beside it.
    ui->ButtonCancel->setStyleSheet(ui->ButtonCancel->styleSheet() +
                                    "\nQPushButton#ButtonCancel { padding-left: 44px; text-align: left; }");
    styleImageButton(ui->pushButtonApplyIntf, ":/apply.png", ":/applyG.png");
    addressFields = {ui->theIp,     ui->theNetmask,     ui->theGateway,
                     ui->theIpWiFi, ui->theNetmaskWiFi, ui->theGatewayWiFi};

    ui->pushButtonApplyConfig->hide();
    ui->pushButtonApplyIntf->show();
    ui->GB_WiFi->hide();
    ui->labelWiFiMessage->show();
    ui->labelWiFiMessage->raise();

    qCDebug(lcNetSetup, "%s: STARTUP:", __func__);
    for (const QString& item : netsetup::interfaceItems()) {
        ui->ComboInterface->addItem(item);
        qCDebug(lcNetSetup, "%s: INTERFACE: %s", __func__, qPrintable(item));
    }
    connect(&timer, &QTimer::timeout, this, &DialogVeloraSetup::TheBackground);
    timer.start(1000);
}

DialogVeloraSetup::~DialogVeloraSetup()
{
    timer.stop();
    delete ui;
}

void DialogVeloraSetup::setTheInterfaceInUse(const QString& name, const QString& address)
{
    interfaceInUse = name;
    addressInUse = address;
    ui->UsingINtf->setText("Using: " + name);
    // The combo box starts on the interface in use.
    for (int i = 0; i < ui->ComboInterface->count(); ++i) {
        const QString item = ui->ComboInterface->itemText(i);
        if (netsetup::interfaceOfItem(item) == name.trimmed() &&
            (address.isEmpty() || netsetup::addressOfItem(item) == address)) {
            ui->ComboInterface->setCurrentIndex(i);
            break;
        }
    }
}

void DialogVeloraSetup::TheBackground()
{
    if (selectedBoard >= 0)
        checkFields();
    if (interfaceInUse == QLatin1String("None")) {
        qCDebug(lcNetSetup, "WAITING...");
        return;
    }
    if (!udpSocket)
        OpenSocketForConfig();
    if (sendCounter < 1) {
        broadcastDatagram(BoardRecord::QueryCommand);
        ui->ButtonCancel->setEnabled(true);
    } else {
        broadcastDatagram(BoardRecord::ConfigurationCommand);
        --sendCounter;
    }
    refreshSelectedBoard();
}

bool DialogVeloraSetup::checkFields()
{
    const bool wifiShown = !ui->GB_WiFi->isHidden();
    const bool wifiStatic = wifiShown && !ui->DHCPWiFiFlag->isChecked();
    bool valid = true;
    // An invalid field is shown red and blocks sending.
    const auto check = [&valid](QWidget* field, bool fieldValid) {
        mark(field, fieldValid);
        valid = valid && fieldValid;
    };

    // An empty key is shown red but may be sent.
    const QString key = ui->NetPass->text();
    mark(ui->NetPass, !key.isEmpty() && netsetup::fitsWiFiText(key));
    if (wifiShown) {
        valid = valid && netsetup::fitsWiFiText(key);
        check(ui->ESSIDChosen, netsetup::fitsWiFiText(ui->ESSIDChosen->text()));
    }

    // Ethernet addresses count while their group can be edited; the WiFi
    // ones while the board has WiFi and takes static addresses.
    for (int i = 0; i < addressFields.size(); ++i) {
        QLineEdit* field = addressFields[i];
        const bool wifiField = i >= 3;
        const bool counts = wifiField ? wifiStatic : ui->groupBoxEth->isEnabled();
        if (!counts) {
            mark(field, true);
            continue;
        }
        const bool fieldValid = netsetup::isValidAddress(field->text());
        if (!fieldValid)
            qCDebug(lcNetSetup, "[%d]", i);
        check(field, fieldValid);
    }

    check(ui->theName, netsetup::fitsName(ui->theName->text()));
    for (QLineEdit* port : {ui->theUdpPort, ui->theVncPort, ui->theFtpLowerPort, ui->theFtpUpperPort})
        check(port, netsetup::portFromText(port->text()).has_value());

    ui->pushButtonApplyConfig->setEnabled(valid);
    return valid;
}

void DialogVeloraSetup::refreshSelectedBoard()
{
    if (selectedBoard < 0 || !boards[selectedBoard].updated)
        return;
    Board& board = boards[selectedBoard];
    if (board.reply.wifi) {
        QStringList texts, essids;
        for (const QString& line : qAsConst(board.reply.networks)) {
            texts << netsetup::networkItemText(line);
            essids << netsetup::networkEssid(line);
        }
        fillNetworks(texts, essids);
    }
    ui->labelDiag->setText(board.reply.diagnostics.join('\n'));
    board.updated = false;
}

void DialogVeloraSetup::fillNetworks(const QStringList& itemTexts, const QStringList& essids)
{
    // Left alone when nothing changed, so that a selection or a double-click
    // in progress survives the refresh.
    bool same = ui->ESSIDList->count() == itemTexts.size();
    for (int i = 0; same && i < itemTexts.size(); ++i) {
        const QListWidgetItem* item = ui->ESSIDList->item(i);
        same = item->text() == itemTexts[i] && item->data(Qt::UserRole).toString() == essids[i];
    }
    if (same)
        return;
    ui->ESSIDList->clear();
    for (int i = 0; i < itemTexts.size(); ++i) {
        auto* item = new QListWidgetItem(itemTexts[i], ui->ESSIDList);
        item->setData(Qt::UserRole, essids[i]);
    }
}

void DialogVeloraSetup::broadcastDatagram(WORD command)
{
    if (!udpSocket)
        return;
    const QByteArray data = command == BoardRecord::QueryCommand ? BoardRecord::query() : configurationRecord;
    errno = 0;
    if (udpSocket->writeDatagram(data, QHostAddress::Broadcast, BoardRecord::ConfigurationPort) < 0) {
        qCDebug(lcNetSetup) << "writeDatagram FAILED:" << udpSocket->errorString();
        qCDebug(lcNetSetup) << QString("%1: %2").arg("broadcastDatagram", systemError(errno));
    }
}

void DialogVeloraSetup::OpenSocketForConfig()
{
    qCDebug(lcNetSetup) << "OpenSocketForConfig Called";
    QHostAddress local = netsetup::localAddressOf(interfaceInUse.trimmed(), addressInUse);
    if (local.isNull())
        local = QHostAddress(QHostAddress::LocalHost);
    udpSocket = new QUdpSocket(this);
    errno = 0;
    if (udpSocket->bind(local, BoardRecord::ReplyPort, QUdpSocket::ReuseAddressHint)) {
        connect(udpSocket, &QUdpSocket::readyRead, this, &DialogVeloraSetup::processPendingDatagrams);
        qCDebug(lcNetSetup) << "BIND OK.";
        if (udpSocket->state() != QAbstractSocket::BoundState)
            qCDebug(lcNetSetup) << "WHAT??????????";
        return;
    }
    const int err = errno == 0 ? -1 : errno;
    qCDebug(lcNetSetup) << QString("%1: %2").arg("OpenSocketForConfig", udpSocket->errorString());
    qCDebug(lcNetSetup) << "BIND FAILED:" << systemError(err);
    delete udpSocket;
    udpSocket = nullptr;
    // The bind is tried again every second; one fault window stays up meanwhile.
    if (!faultDialog) {
        faultDialog = new DialogFault(this);
        faultDialog->SetCode(DialogFault::FormatCode("ssd - ", FaultLocation, err));
        faultDialog->show();
        faultDialog->raise();
    }
}

void DialogVeloraSetup::processPendingDatagrams()
{
    while (udpSocket && udpSocket->hasPendingDatagrams()) {
        const qint64 size = udpSocket->pendingDatagramSize();
        qCDebug(lcNetSetup, "Pending data size = %lld", static_cast<long long>(size));
        // A UDP datagram is at most 64 KiB: the buffer stays bounded.
        QByteArray datagram(int(qMax<qint64>(size, 0)), '\0');
        errno = 0;
        const qint64 got = udpSocket->readDatagram(datagram.data(), datagram.size());
        if (got < 0) {
            qCDebug(lcNetSetup) << "readDatagram FAILED:" << udpSocket->errorString();
            qCDebug(lcNetSetup) << QString("%1: %2").arg("processPendingDatagrams", systemError(errno));
            break;
        }
        datagram.resize(int(got));
        if (got <= BoardRecord::Size)
            ProcessTheDatagram(datagram);
    }
}

void DialogVeloraSetup::ProcessTheDatagram(QByteArray& datagram)
{
    const std::optional<BoardSettings> reply = BoardRecord::parseReply(datagram);
    if (!reply) {
        qCDebug(lcNetSetup) << "DATAGRAM NOT FOR US";
        qCDebug(lcNetSetup).noquote() << BoardRecord::macTrace(datagram.mid(BoardRecord::Mac));
        return;
    }
    if (reply->wifi) {
        qCDebug(lcNetSetup).noquote() << BoardRecord::macTrace(reply->mac);
        qCDebug(lcNetSetup) << "Wifi.";
    }
    const QString text = BoardRecord::listText(*reply);
    for (int i = 0; i < boards.size(); ++i) {
        if (boards[i].reply.mac != reply->mac)
            continue;
        // The latest reply is kept: a board that took new settings shows
        // them when it is chosen again.
        boards[i].reply = *reply;
        boards[i].updated = boards[i].updated || reply->wifi;
        ui->listInvWidget->item(i)->setText(text);
        return;
    }
    boards.append({*reply, false});
    qCDebug(lcNetSetup).noquote() << text;
    ui->listInvWidget->addItem(text);
}

void DialogVeloraSetup::on_listInvWidget_itemClicked(QListWidgetItem* item)
{
    const int row = ui->listInvWidget->row(item);
    if (row < 0 || row >= boards.size())
        return;
    selectedBoard = row;
    qCDebug(lcNetSetup, "Clicked item = %d", row);
    const BoardSettings& b = boards[row].reply;

    ui->theIp->setText(b.ethernet.ip);
    ui->theNetmask->setText(b.ethernet.netmask);
    ui->theGateway->setText(b.ethernet.gateway);
    ui->theDNS1->setText(b.ethernet.dns1);
    ui->theDNS2->setText(b.ethernet.dns2);
    ui->theUdpPort->setText(QString::number(b.udpPort ? b.udpPort : BoardRecord::DefaultUdpPort));
    ui->theVncPort->setText(QString::number(b.vncPort ? b.vncPort : BoardRecord::DefaultVncPort));
    ui->theFtpLowerPort->setText(QString::number(b.ftpLowerPort));
    ui->theFtpUpperPort->setText(QString::number(b.ftpUpperPort));
    ui->DHCPEthFlag->setChecked(b.ethernetDhcp);
    ui->groupBoxEth->setEnabled(!b.ethernetDhcp);

    ui->theName->setText(b.name);
    if (b.name == QLatin1String(NoComm)) {
        ui->theName->setText("???");
        if (!warn) {
            warn = new DialogWarn(this);
            warn->setAttribute(Qt::WA_DeleteOnClose);
            warn->SetMessage(NoCommWarning);
        }
        warn->show();
        warn->raise();
    }

    ui->GB_WiFi->setVisible(b.wifi);
    ui->labelWiFiMessage->setVisible(!b.wifi);
    if (b.wifi) {
        QStringList essids;
        for (const QString& line : b.networks)
            essids << netsetup::networkEssid(line);
        fillNetworks(essids, essids);
        ui->ESSIDChosen->setText(b.essid);
        ui->NetPass->setText(b.key);
        ui->theIpWiFi->setText(b.wifiAddresses.ip);
        ui->theNetmaskWiFi->setText(b.wifiAddresses.netmask);
        ui->theGatewayWiFi->setText(b.wifiAddresses.gateway);
        ui->theDNS1WiFi->setText(b.wifiAddresses.dns1);
        ui->theDNS2WiFi->setText(b.wifiAddresses.dns2);
        ui->DHCPWiFiFlag->setChecked(b.wifiDhcp);
        ui->groupBoxIPStaticWiFi->setEnabled(!b.wifiDhcp && b.wifiConnected);
        // A board reached through WiFi keeps its Ethernet settings.
        ui->groupBoxEth->setEnabled(!b.wifiConnected);
        qCDebug(lcNetSetup) << (b.wifiConnected ? "true" : "false");
    }
    ui->pushButtonApplyConfig->show();
}

BoardSettings DialogVeloraSetup::settingsFromForm() const
{
    BoardSettings s;
    s.mac = boards[selectedBoard].reply.mac;
    s.ethernetDhcp = ui->DHCPEthFlag->isChecked();
    s.ethernet = {ui->theIp->text(), ui->theNetmask->text(), ui->theGateway->text(), ui->theDNS1->text(),
                  ui->theDNS2->text()};
    s.udpPort = netsetup::portFromText(ui->theUdpPort->text()).value_or(0);
    s.vncPort = netsetup::portFromText(ui->theVncPort->text()).value_or(0);
    s.ftpLowerPort = netsetup::portFromText(ui->theFtpLowerPort->text()).value_or(0);
    s.ftpUpperPort = netsetup::portFromText(ui->theFtpUpperPort->text()).value_or(0);
    s.name = ui->theName->text();
    s.wifi = !ui->GB_WiFi->isHidden();
    s.essid = ui->ESSIDChosen->text();
    s.key = ui->NetPass->text();
    s.wifiDhcp = ui->DHCPWiFiFlag->isChecked();
    s.wifiAddresses = {ui->theIpWiFi->text(), ui->theNetmaskWiFi->text(), ui->theGatewayWiFi->text(),
                       ui->theDNS1WiFi->text(), ui->theDNS2WiFi->text()};
    return s;
}

void DialogVeloraSetup::on_pushButtonApplyConfig_clicked()
{
    qCDebug(lcNetSetup, "%s: CALLED", __func__);
    // Checked again: a field may have changed since the last tick.
    if (selectedBoard < 0 || !checkFields())
        return;
    configurationRecord = BoardRecord::configuration(settingsFromForm());
    sendCounter = 3;
    ui->ButtonCancel->setEnabled(false);
    ui->pushButtonApplyConfig->hide();
    for (const QString& line : BoardRecord::hexDump(configurationRecord))
        qCDebug(lcNetSetup).noquote() << line;
}

void DialogVeloraSetup::on_ComboInterface_currentIndexChanged(int index)
{
    const QString item = ui->ComboInterface->itemText(index);
    chosenInterface = netsetup::interfaceOfItem(item);
    chosenAddress = netsetup::addressOfItem(item);
}

void DialogVeloraSetup::on_pushButtonApplyIntf_clicked()
{
    if (chosenInterface.isEmpty() || chosenInterface == interfaceInUse.trimmed()) {
        interfaceHasChanged = false;
        return;
    }
    interfaceHasChanged = true;
    interfaceInUse = chosenInterface;
    addressInUse = chosenAddress;
    qCDebug(lcNetSetup, "%s: NOW USING %s", __func__, qPrintable(interfaceInUse));
    ui->UsingINtf->setText("Using: " + interfaceInUse);
}

void DialogVeloraSetup::on_ESSIDList_itemDoubleClicked(QListWidgetItem* item)
{
    // The ESSID as the board listed it, without the security note.
    ui->ESSIDChosen->setText(item->data(Qt::UserRole).toString());
    ui->pushButtonApplyConfig->show();
}

void DialogVeloraSetup::on_DHCPWiFiFlag_clicked()
{
    ui->groupBoxIPStaticWiFi->setEnabled(!ui->DHCPWiFiFlag->isChecked());
    ui->pushButtonApplyConfig->show();
}

void DialogVeloraSetup::on_DHCPEthFlag_clicked()
{
    ui->groupBoxEth->setEnabled(!ui->DHCPEthFlag->isChecked());
    ui->pushButtonApplyConfig->show();
}

void DialogVeloraSetup::on_ButtonCancel_clicked()
{
    closeRequested = true;
}

void DialogVeloraSetup::mousePressEvent(QMouseEvent* event)
{
    drag.press(this, event);
}

void DialogVeloraSetup::mouseMoveEvent(QMouseEvent* event)
{
    drag.move(this, event);
}
