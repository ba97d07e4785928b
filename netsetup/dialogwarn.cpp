#include "dialogwarn.h"

#include "imagebutton.h"
#include "ui_dialogwarn.h"

DialogWarn::DialogWarn(QWidget* parent) : QDialog(parent), ui(new Ui::DialogWarn)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowOpacity(0.95);
    setModal(false);
    styleImageButton(ui->ButtonClose, ":/buttonquit.png", ":/buttonquitG.png");
}

DialogWarn::~DialogWarn()
{
    delete ui;
}

void DialogWarn::SetMessage(const QString& message)
{
    ui->labelMessage->setText(message);
}

QString DialogWarn::getTheMessage() const
{
    return ui->labelMessage->text();
}

void DialogWarn::on_ButtonClose_clicked()
{
    close();
}

void DialogWarn::mousePressEvent(QMouseEvent* event)
{
    drag.press(this, event);
}

void DialogWarn::mouseMoveEvent(QMouseEvent* event)
{
    drag.move(this, event);
}
