#include "measures.h"

#include "imagebutton.h"
#include "logging.h"
#include "ui_measures.h"

#include <QMutexLocker>
#include <cstring>

using measurestexts::House;

Measures::Measures(QWidget* parent) : FramelessDialog(parent), ui(new Ui::Measures)
{
    ui->setupUi(this);
    setFocusPolicy(Qt::NoFocus);
    styleImageButton(ui->CloseButton, ":/buttonquit.png", ":/buttonquitG.png");
    connect(ui->CloseButton, &QPushButton::clicked, this, &Measures::ClosePushed);

    std::memset(identity, 0, sizeof identity);
    for (QLabel* label : findChildren<QLabel*>())
        labels.insert(label->objectName(), label);
    ShowHouse(House::Hidden);

    connect(&refreshTimer, &QTimer::timeout, this, &Measures::UpdateValues);
    refreshTimer.start(1000);
}

Measures::~Measures()
{
    refreshTimer.stop();
    delete ui;
}

void Measures::setTheTitle(const QString& name)
{
    in.title = name;
    setWindowTitle(name);
}

void Measures::setTheShowExtended(bool on)
{
    in.showExtended = on;
}

void Measures::setTheInvIsZETA(bool on)
{
    zeta = on;
    ChooseImage();
}

void Measures::setTheNominalPower(double watts)
{
    in.nominalPower = watts;
    ChooseImage();
}

// Either setter may come first: the image follows both.
void Measures::ChooseImage()
{
    image = measurestexts::imageFor(zeta, in.nominalPower);
    ui->theIcon->setPixmap(QPixmap(image));
}

void Measures::setTheIdentity(const unsigned char* id)
{
    std::memcpy(identity, id, sizeof identity);
}

void Measures::setTheMeasures(const unsigned short* measures)
{
    std::memcpy(in.measures, measures, sizeof in.measures);
    if (in.numPhases == 1)
        measurestexts::singlePhaseOverwrite(in.measures);
}

void Measures::setTheHouseLoad(const unsigned short* houseLoad)
{
    std::memcpy(in.houseLoad, houseLoad, sizeof in.houseLoad);
}

void Measures::setTheStatusWords(const unsigned short* status)
{
    std::memcpy(in.status, status, sizeof in.status);
}

void Measures::ClosePushed()
{
    close();
}

void Measures::MeasuresUpdates()
{
    fed = true;
}

void Measures::IdentUpdates()
{
    bool known = false;
    in.numPhases = measurestexts::phasesFromIdentity(identity, in.numPhases, &known);
    if (!known)
        qCDebug(lcViews, "ERROR NumPhases = %d", in.numPhases);
    qCDebug(lcViews, "%s: theNumPhases = %d", "IdentUpdates", in.numPhases);
}

void Measures::UpdateValues()
{
    measurestexts::Inputs now;
    {
        // The link stores into the same blocks under this lock.
        QMutexLocker lock(&registerblocks::measuresMutex());
        now = in;
    }
    const measurestexts::Refresh r = measurestexts::refresh(now);
    for (auto it = r.texts.begin(); it != r.texts.end(); ++it)
        if (QLabel* label = labels.value(it.key()))
            label->setText(it.value());
    ShowHouse(r.house);
    if (now.showExtended)
        ui->TotE->raise();
}

void Measures::ShowHouse(House house)
{
    ui->theHouse->setVisible(house != House::Hidden);
    ui->theAutocName->setVisible(house != House::Hidden);
    switch (house) {
    case House::Hidden:
        for (QLabel* row : {ui->theL_1, ui->theL_2, ui->theL_3, ui->theL_Total})
            row->hide();
        break;
    case House::Timeout:
        ui->theL_1->setAlignment(Qt::AlignCenter);
        ui->theL_1->show();
        break;
    case House::Rows:
        for (QLabel* row : {ui->theL_1, ui->theL_2, ui->theL_3, ui->theL_Total}) {
            row->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            row->show();
        }
        break;
    }
}

void Measures::windowClosing()
{
    refreshTimer.stop();
    emit ChildClosing();
}
