#include "dialogsetup.h"

#include "imagebutton.h"
#include "logging.h"
#include "ui_dialogsetup.h"

#include <QCloseEvent>
#include <QIntValidator>
#include <QKeyEvent>

using namespace parameterblock;

namespace {
QIntValidator* validatorFor(Word w, QObject* parent)
{
    const Range r = rangeOf(w);
    return new QIntValidator(r.bottom, r.top, parent);
}
} // namespace

DialogSetup::DialogSetup(QWidget* parent) : QDialog(parent), ui(new Ui::DialogSetup)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowOpacity(0.95);
    styleImageButton(ui->pushButtonClose, ":/buttonquit.png", ":/buttonquitG.png");
    styleImageButton(ui->pushButtonApply, ":/apply.png", ":/applyG.png");
    block.fill(NotSet);
    block[MaskWord] = 0;
    fromInv.fill(NotSet);

    ui->Power->setValidator(validatorFor(PowerWord, this));
    ui->ReactivePower->setValidator(validatorFor(ReactiveWord, this));
    ui->BatteryPower->setValidator(validatorFor(BatteryWord, this));
    ui->Command->setValidator(validatorFor(CommandWord, this));
    ui->GradUp->setValidator(validatorFor(RampUpWord, this));
    CheckValues();

    connect(&timer, &QTimer::timeout, this, &DialogSetup::onTimer);
    timer.start(500);
}

DialogSetup::~DialogSetup()
{
    delete ui;
}

Form DialogSetup::form() const
{
    Form f;
    f.power = ui->checkBoxP->isChecked();
    f.powerText = ui->Power->text();
    f.reactive = ui->checkBoxQ->isChecked();
    f.reactiveText = ui->ReactivePower->text();
    f.cosPhi = ui->checkBoxCP->isChecked();
    f.cosPhiText = ui->CosphiSB->text();
    f.command = ui->checkBoxC->isChecked();
    f.commandText = ui->Command->text();
    f.rampUp = ui->checkBoxGradUp->isChecked();
    f.rampUpText = ui->GradUp->text();
    f.battery = ui->checkBoxBP->isChecked();
    f.batteryText = ui->BatteryPower->text();
    return f;
}

void DialogSetup::CheckValues()
{
    bool valid = true;
    if (ui->checkBoxCP->isChecked()) {
        const double v = cosPhiFromText(ui->CosphiSB->text());
        valid = cosPhiValid(v);
        qCDebug(lcTile, valid ? "V = %f VALID" : "V = %f INVALID", v);
    }
    const ApplyState s = applyState(ui->checkBoxCP->isChecked(), valid, plantMode, commandsEnabled);
    ui->pushButtonApply->setVisible(s.visible);
    ui->pushButtonApply->setEnabled(s.enabled);
}

void DialogSetup::on_pushButtonApply_clicked()
{
    block = encode(form());
    qCDebug(lcTile, "BP = %d", block[BatteryWord]);
    sendRequested = true;
    setTheStatus(Sending);
}

void DialogSetup::CopyTheBlock(unsigned short* dest8) const
{
    std::copy(block.begin(), block.end(), dest8);
}

void DialogSetup::on_pushButtonClose_clicked()
{
    closeRequested = true;
}

void DialogSetup::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept(); // taken, and nothing done
        return;
    }
    QDialog::keyPressEvent(event);
}

void DialogSetup::closeEvent(QCloseEvent* event)
{
    // A close from the window system is a press of the close button: the
    // owner, which holds the dialog, deletes it.
    if (!event->spontaneous()) {
        event->accept();
        return;
    }
    closeRequested = true;
    event->ignore();
}

void DialogSetup::mousePressEvent(QMouseEvent* event)
{
    drag.press(this, event);
}

void DialogSetup::mouseMoveEvent(QMouseEvent* event)
{
    drag.move(this, event);
}

void DialogSetup::on_Power_textEdited(const QString&)
{
    CheckValues();
}
void DialogSetup::on_ReactivePower_textEdited(const QString&)
{
    CheckValues();
}
void DialogSetup::on_Command_textEdited(const QString&)
{
    CheckValues();
}
void DialogSetup::on_GradUp_textEdited(const QString&)
{
    CheckValues();
}
void DialogSetup::on_BatteryPower_textEdited(const QString&)
{
    CheckValues();
}
void DialogSetup::on_CosphiSB_valueChanged(double)
{
    CheckValues();
}
void DialogSetup::on_checkBoxP_clicked()
{
    CheckValues();
}
void DialogSetup::on_checkBoxGradUp_clicked()
{
    CheckValues();
}
void DialogSetup::on_checkBoxC_clicked()
{
    CheckValues();
}
void DialogSetup::on_checkBoxBP_clicked()
{
    CheckValues();
}

// Reactive power and cos(phi) exclude each other.
void DialogSetup::on_checkBoxQ_clicked()
{
    if (ui->checkBoxQ->isChecked())
        ui->checkBoxCP->setChecked(false);
    CheckValues();
}

void DialogSetup::on_checkBoxCP_clicked()
{
    if (ui->checkBoxCP->isChecked())
        ui->checkBoxQ->setChecked(false);
    CheckValues();
}

void DialogSetup::onTimer()
{
    ui->Status->setText(getTheStatusText());
}

void DialogSetup::setTheStatus(int code)
{
    statusCode = code;
    summary.clear();
}

void DialogSetup::setTheSummary(const QString& text)
{
    summary = text;
}

QString DialogSetup::getTheStatusText() const
{
    return summary.isEmpty() ? statusText(statusCode) : summary;
}

void DialogSetup::setThePlantMode(bool on)
{
    plantMode = on;
    ui->label_WHAT->setText(on ? "Plant" : "Inverter");
    // Nothing is read back from a whole plant.
    for (QLabel* l : {ui->label_FromInv, ui->label_PowerFromInv, ui->PowerFromInv, ui->label_QFromInv,
                      ui->QFromInv, ui->label_CFromInv, ui->CFromInv, ui->label_BPFromInv, ui->BPFromInv})
        l->setVisible(!on);
    CheckValues();
}

void DialogSetup::setTheCommandsEnabled(bool on)
{
    commandsEnabled = on;
    CheckValues();
}

void DialogSetup::setTheTitle(const QString& title)
{
    ui->CommandsTitle->setText(title);
    setWindowTitle(title);
}

void DialogSetup::setTheCommText(const QString& text)
{
    ui->label_COMM->setText(text);
}

void DialogSetup::setTheInvParameters(const unsigned short* host8)
{
    std::copy(host8, host8 + Words, fromInv.begin());
    ui->PowerFromInv->setText(powerReadBack(fromInv[PowerWord]));
    ui->QFromInv->setText(reactiveReadBack(fromInv[ReactiveWord]));
    ui->CFromInv->setText(cosPhiReadBack(fromInv[CosPhiWord]));
    if (firstUpdate) {
        firstUpdate = false;
        ui->checkBoxP->setChecked(powerBoxFromMask(fromInv[MaskWord]));
        CheckValues();
    }
}
