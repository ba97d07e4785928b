#include "dialogplantchoose.h"

#include "imagebutton.h"
#include "plantlists.h"
#include "ui_dialogplantchoose.h"

#include <QPainter>
#include <QRegularExpression>

DialogPlantChoose::DialogPlantChoose(QWidget* parent) : QDialog(parent), ui(new Ui::DialogPlantChoose)
{
    ui->setupUi(this);
    ui->Warning->hide();
    styleImageButton(ui->ButtonCheck, ":/apply.png", ":/apply.png");
    styleImageButton(ui->ButtonCancel, ":/buttonquit.png", ":/buttonquitG.png");
}

void DialogPlantChoose::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    p.setPen(QPen(QColor(0, 0, 127), FrameWidth));
    p.drawRect(rect().adjusted(FrameWidth / 2, FrameWidth / 2, -FrameWidth / 2 - 1, -FrameWidth / 2 - 1));
}

DialogPlantChoose::~DialogPlantChoose()
{
    delete ui;
}

bool DialogPlantChoose::IsForbiddenName(const QString& text)
{
    static const QRegularExpression forbidden(QString::fromUtf8("[!@#$%^&()_+òàèé*,;.:ùì?^]"));
    return text.contains(forbidden) || plantlists::plantNameBreaksFormats(text);
}

void DialogPlantChoose::SetMessage(const QString& m)
{
    message = m;
    ui->Warning->setText(m);
    ui->Warning->show();
}

bool DialogPlantChoose::warningShown() const
{
    return !ui->Warning->isHidden();
}

void DialogPlantChoose::on_ButtonCheck_clicked()
{
    const QString text = ui->PlantName->text();
    if (IsForbiddenName(text)) {
        SetMessage("Invalid plant name");
        return;
    }
    name = text;
    done = true;
}

void DialogPlantChoose::on_ButtonCancel_clicked()
{
    name = "NONE";
    done = true;
}

void DialogPlantChoose::on_PlantName_textChanged(const QString&)
{
    ui->Warning->hide();
}
