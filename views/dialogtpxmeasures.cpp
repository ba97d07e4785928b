#include "dialogtpxmeasures.h"
#include "ui_dialogtpxmeasures.h"

#include "dialogtpxmeasurestexts.h"
#include "imagebutton.h"

#include <cstring>

DialogTPXMeasures::DialogTPXMeasures(QWidget* parent)
    : FramelessDialog(parent, OnClose::Keep), ui(new Ui::DialogTPXMeasures)
{
    ui->setupUi(this);
    styleImageButton(ui->pushButtonClose, ":/buttonquit.png", ":/buttonquitG.png");
    // The labels the texts are written to, found once by their object names.
    const QMap<QString, QString> names = TpxMeasuresTexts::texts(blockA, blockB);
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        valueLabels.insert(it.key(), findChild<QLabel*>(it.key()));
    connect(&refreshTimer, &QTimer::timeout, this, &DialogTPXMeasures::Update);
    refreshTimer.start(1000);
}

DialogTPXMeasures::~DialogTPXMeasures()
{
    refreshTimer.stop();
    delete ui;
}

void DialogTPXMeasures::setTheTPXBlockA(const unsigned short* words)
{
    std::memcpy(blockA, words, sizeof blockA);
    Update();
}

void DialogTPXMeasures::setTheTPXBlockB(const unsigned short* words)
{
    std::memcpy(blockB, words, sizeof blockB);
    Update();
}

void DialogTPXMeasures::on_pushButtonClose_clicked()
{
    close();
}

void DialogTPXMeasures::windowClosing()
{
    closeRequested = true;
}

void DialogTPXMeasures::Update()
{
    const QMap<QString, QString> texts = TpxMeasuresTexts::texts(blockA, blockB);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        if (QLabel* label = valueLabels.value(it.key()))
            label->setText(it.value());
}
