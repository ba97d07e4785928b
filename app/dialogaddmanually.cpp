#include "dialogaddmanually.h"
#include "logging.h"
#include "ui_dialogaddmanually.h"

#include "addressvalidation.h"

#include <QCheckBox>
#include <QHostAddress>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

using addressvalidation::AddressKind;

DialogAddManually::DialogAddManually(QWidget* parent) : QDialog(parent), ui(new Ui::DialogAddManually)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowOpacity(0.95);
    ui->ButtonCheck->hide();
    ui->Ipvalid->hide();
    showValid(ui->Ipvalid, false);
    showValid(ui->PortValid, false);
    showValid(ui->FtpPortValid, false);
    connect(&checkTimer, &QTimer::timeout, this, &DialogAddManually::ChkTimeout);
    checkTimer.start(500);
}

DialogAddManually::~DialogAddManually()
{
    checkTimer.stop();
    delete ui;
}

QString DialogAddManually::getTheName() const
{
    // The name goes into the stored names list: no "," and never empty.
    return addressvalidation::storableListText(name, addressvalidation::UnnamedEquipment);
}

void DialogAddManually::setTpxPresent(bool present)
{
    tpxPresent = present;
    if (present) {
        ui->IsTPX->setChecked(false);
        ui->IsTPX->hide();
    }
}

void DialogAddManually::on_ButtonAdd_clicked()
{
    addRequested = fieldsValid;
}

void DialogAddManually::on_ButtonCancel_clicked()
{
    finished = true;
}

void DialogAddManually::ChkTimeout()
{
    fieldsValid = false;
    const QString text = ui->theIp->text();
    // A lookup result belongs to the text that was looked up.
    if ((addressFound || hasDnsName) && text != dnsName)
        forgetLookup();

    bool addressValid = false;
    switch (addressvalidation::classify(text)) {
    case AddressKind::Empty:
        ui->ButtonCheck->hide();
        ui->Ipvalid->hide();
        showKindBoxes(false);
        showValid(ui->Ipvalid, false);
        break;
    case AddressKind::HostName:
        ui->ButtonCheck->show();
        ui->Ipvalid->show();
        showKindBoxes(true);
        addressValid = addressFound;
        showValid(ui->Ipvalid, addressValid);
        break;
    case AddressKind::Ipv4: {
        ui->ButtonCheck->hide();
        ui->Ipvalid->show();
        showKindBoxes(true);
        QString canonical;
        addressValid = addressvalidation::isValidIpv4(text, &canonical);
        if (addressValid)
            address = canonical;
        showValid(ui->Ipvalid, addressValid);
        break;
    }
    }

    const bool portValid = checkPort(ui->thePort->text(), ui->PortValid, port);
    const bool ftpPortValid = checkPort(ui->theFtpPort->text(), ui->FtpPortValid, ftpPort);

    name = ui->theName->text();

    if (addressValid && portValid && ftpPortValid) {
        fieldsValid = true;
        transformerless = ui->IsTL->isChecked();
        stringBox = ui->IsSB->isChecked();
        tpx = ui->IsTPX->isChecked();
    }
}

void DialogAddManually::on_DialogAddManually_finished(int result)
{
    qCDebug(lcDiscovery, "%s: Closing (%d) ...", __func__, result);
}

void DialogAddManually::on_ButtonCheck_clicked()
{
    const QString text = ui->theIp->text();
    if (!addressvalidation::isUsableHostName(text)) {
        // A "-" or "," in the name would break the equipment key and the lists.
        qCDebug(lcDiscovery, "%s: Lookup refused: %s", __func__, qPrintable(text));
        return;
    }
    // The lookup blocks the window until the resolver answers.
    lookupInfo = QHostInfo::fromName(text);
    if (lookupInfo.error() != QHostInfo::NoError) {
        qCDebug(lcDiscovery, "%s: Lookup failed: %s", __func__, qPrintable(lookupInfo.errorString()));
        return;
    }
    // The equipments are reached over IPv4 from the chosen interface's
    // address: only IPv4 results count; the last one wins.
    for (const QHostAddress& found : lookupInfo.addresses()) {
        if (found.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        addressFound = true;
        address = found.toString();
        dnsName = text;
        hasDnsName = true;
    }
    if (!addressFound)
        qCDebug(lcDiscovery, "%s: Lookup failed: no IPv4 address for %s", __func__, qPrintable(text));
}

void DialogAddManually::on_IsTL_clicked()
{
    keepOnlyChecked(ui->IsTL);
}

void DialogAddManually::on_IsSB_clicked()
{
    keepOnlyChecked(ui->IsSB);
}

void DialogAddManually::on_IsTPX_clicked()
{
    keepOnlyChecked(ui->IsTPX);
}

void DialogAddManually::mousePressEvent(QMouseEvent* event)
{
    drag.press(this, event);
}

void DialogAddManually::mouseMoveEvent(QMouseEvent* event)
{
    drag.move(this, event);
}

void DialogAddManually::showValid(QLabel* label, bool valid)
{
    label->setProperty("valid", valid);
    label->setPixmap(QPixmap(valid ? ":/yes.png" : ":/no.png"));
}

bool DialogAddManually::checkPort(const QString& text, QLabel* status, int& stored)
{
    const int typed = addressvalidation::parsePort(text);
    const bool valid = addressvalidation::isValidPort(typed);
    if (valid)
        stored = typed;
    showValid(status, valid);
    return valid;
}

void DialogAddManually::showKindBoxes(bool show)
{
    ui->IsSB->setVisible(show);
    ui->IsTL->setVisible(show);
    ui->IsTPX->setVisible(show && !tpxPresent);
}

// At most one kind: a box ticked by a click clears the other two; a click
// that clears a box leaves the equipment without a kind.
void DialogAddManually::keepOnlyChecked(QCheckBox* clicked)
{
    if (!clicked->isChecked())
        return;
    for (QCheckBox* box : {ui->IsTL, ui->IsSB, ui->IsTPX}) {
        if (box != clicked)
            box->setChecked(false);
    }
}

void DialogAddManually::forgetLookup()
{
    addressFound = false;
    hasDnsName = false;
    dnsName.clear();
    address.clear();
}
