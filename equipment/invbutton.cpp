// The tile's widgets, their refresh and its buttons.
#include "invbutton.h"
#include "logging.h"

#include "imagebutton.h"
#include "talvoobject.h"
#include "tiletexts.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTcpSocket>
#include <QTimer>

namespace {
const char* const TileStyle =
    "QGroupBox { border: 1px solid gray; border-style: outset; border-radius: 8px;"
    " background-color: rgb(243, 243, 243); margin-top: 0px; }"
    " QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top center;"
    " padding: 6 0px; background-color: transparent;"
    " font: 75 9pt \"DejaVu Sans\"; color: %1; }"
    " QProgressBar { border: 1px solid grey; border-radius: 5px; }"
    " QProgressBar::chunk { background-color: #3CC814; }";

const char* const PowerBarStyle = "QProgressBar { border: 1px solid grey; border-radius: 5px; }"
                                  " QProgressBar::chunk { background-color: rgb(60, 200, 20);"
                                  " width: 10px; margin: 0px; }";

QFont pixelFont(int px, int weight)
{
    QFont f;
    f.setPixelSize(px);
    f.setWeight(weight);
    return f;
}

QLabel* makeLabel(QWidget* parent, const char* objectName, const QRect& geometry,
                  const QString& text = QString())
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(objectName);
    l->setGeometry(geometry);
    return l;
}

// The round image buttons: transparent, no border, the hover image on top.
QPushButton* makeImageButton(QWidget* parent, const char* objectName, const QRect& geometry,
                             const QString& tip, const QString& image, const QString& hover, int iconSize)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(objectName);
    b->setGeometry(geometry);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFlat(true);
    b->setIconSize(QSize(iconSize, iconSize));
    b->setToolTip(tip);
    if (!image.isEmpty())
        styleImageButton(b, image, hover, image, ImageFit::Scaled);
    return b;
}

QPushButton* makeSmallButton(QWidget* parent, const char* objectName, const QRect& geometry,
                             const QString& text, const QString& tip)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    b->setGeometry(geometry);
    b->setFont(pixelFont(9, QFont::Normal));
    b->setToolTip(tip);
    return b;
}
} // namespace

InvButton::InvButton(QWidget* parent) : QGroupBox(parent)
{
    setFixedSize(350, 170);
    setCheckable(false);
    setTitle("---");
    BuildWidgets();
    TitleBlue();

    pollTimer = new QTimer(this);
    connect(pollTimer, &QTimer::timeout, this, &InvButton::SendQuery);
    pollTimer->start(pollInterval);
    slowTimer = new QTimer(this);
    connect(slowTimer, &QTimer::timeout, this, &InvButton::TheSlowTimer);
    slowTimer->start(300000);
    oneSecondTimer = new QTimer(this);
    connect(oneSecondTimer, &QTimer::timeout, this, &InvButton::OneSecondActivity);
    oneSecondTimer->start(2000);
    // The blink and the communication window's polling only have work for a
    // TPX unit and while that window is open: their timers run only then, so
    // a large plant does not wake up for nothing (see UpdateIdleTimers).
    halfSecondTimer = new QTimer(this);
    halfSecondTimer->setInterval(500);
    connect(halfSecondTimer, &QTimer::timeout, this, &InvButton::HalfSecondActivity);
    pollEventsTimer = new QTimer(this);
    pollEventsTimer->setInterval(150);
    connect(pollEventsTimer, &QTimer::timeout, this, &InvButton::PollEvents);

    connect(ButtonCancel, &QPushButton::clicked, this, &InvButton::DeleteButton);
    connect(ButtonExclude, &QPushButton::clicked, this, &InvButton::ExcludeButton);
    connect(ButtonUpdate, &QPushButton::clicked, this, &InvButton::UpdateButton);
    connect(theGraphsButton, &QPushButton::clicked, this, &InvButton::GraphsButton);
    connect(theButtonAlarms, &QPushButton::clicked, this, &InvButton::AlarmsButton);
    connect(ButtonProbes, &QPushButton::clicked, this, &InvButton::ProbesClicked);
    connect(ButtonMeasures, &QPushButton::clicked, this, &InvButton::MeasuresClicked);
    hide();
}

InvButton::~InvButton()
{
    beingDeleted = true;
    if (socket)
        disconnect(socket, nullptr, this, nullptr);
}

void InvButton::BuildWidgets()
{
    line = new QFrame(this);
    line->setObjectName("line");
    line->setGeometry(10, 22, 330, 6);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    theIcon = new TalvoObject(this);
    theIcon->setObjectName("theIcon");
    theIcon->setGeometry(5, 40, 81, 81);
    theIcon->setScaledContents(true);
    SetIcon(":/centr.png");

    Stamp = makeLabel(this, "Stamp", QRect(50, 95, 22, 22));
    Stamp->setAlignment(Qt::AlignCenter);

    thePowerBar = new QProgressBar(this);
    thePowerBar->setObjectName("thePowerBar");
    thePowerBar->setGeometry(10, 141, 110, 16);
    thePowerBar->setValue(0);
    thePowerBar->setTextVisible(false);
    thePowerBar->setOrientation(Qt::Horizontal);
    thePowerBar->setAlignment(Qt::AlignCenter);
    thePowerBar->setStyleSheet(PowerBarStyle);

    theValueOfBar = makeLabel(this, "theValueOfBar", QRect(40, 142, 57, 14), "0.0%");
    theValueOfBar->setAlignment(Qt::AlignCenter);
    theValueOfBar->setAttribute(Qt::WA_TranslucentBackground);
    theValueOfBar->setStyleSheet("background-color: transparent;");

    powerLabel = makeLabel(this, "theInstantPower", QRect(80, 40, 161, 16), "P = ----");
    powerLabel->setFont(pixelFont(13, QFont::Bold));
    energyLabel = makeLabel(this, "theInstantPower", QRect(80, 60, 161, 16), "E = ----");
    energyLabel->setFont(pixelFont(13, QFont::Bold));
    InvTemp = makeLabel(this, "InvTemp", QRect(80, 80, 131, 16));
    InvTemp->setFont(pixelFont(12, QFont::Normal));

    theVnc = makeLabel(this, "theVnc", QRect(6, 6, 16, 16));
    theVnc->setScaledContents(true);
    theVnc->setPixmap(QPixmap(":/remote.png"));
    theVnc->hide();

    Nominal = makeLabel(this, "Nominal", QRect(10, 118, 81, 20));
    Nominal->setAlignment(Qt::AlignCenter);

    statusLabel = makeLabel(this, "Disconnected_Label", QRect(140, 102, 200, 24), "Connecting...");
    statusLabel->setFont(pixelFont(11, QFont::Normal));
    statusLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusLabel->setStyleSheet("color: rgb(122, 122, 122);");

    snapshotLabel = makeLabel(this, "theSnapshot", QRect(200, 30, 120, 70));
    snapshotLabel->setScaledContents(true);
    snapshotLabel->hide();

    ButtonCancel = new QPushButton(this);
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonCancel->setGeometry(280, 5, 16, 16);
    ButtonCancel->setFocusPolicy(Qt::NoFocus);
    ButtonCancel->setFlat(true);
    ButtonCancel->setIcon(QIcon(":/buttonquit.png"));
    ButtonCancel->setIconSize(QSize(16, 16));
    ButtonCancel->setStyleSheet("border: none;");
    ButtonCancel->setEnabled(false);

    ButtonExclude = makeSmallButton(this, "ButtonExclude", QRect(300, 3, 18, 18), "E", "Exclude");
    ButtonUpdate = makeSmallButton(this, "ButtonUpdate", QRect(320, 3, 18, 18), "U", "Update software");

    ButtonProbes = makeImageButton(this, "ButtonProbes", QRect(140, 130, 30, 30),
                                   "Choose probe for full screen", QString(), QString(), 40);
    ButtonProbes->hide();
    theButtonAlarms = makeImageButton(this, "theButtonAlarms", QRect(220, 130, 30, 30), "View alarms",
                                      ":/ico-Warn.png", ":/ico-WarnG.png", 40);
    theGraphsButton = makeImageButton(this, "theGraphsButton", QRect(260, 130, 30, 30), "View log data",
                                      ":/graphs30x30.png", ":/graphs30x30G.png", 40);
    ButtonMeasures = makeImageButton(this, "ButtonMeasures", QRect(300, 130, 30, 30), "View live values",
                                     ":/myGauge.png", ":/myGaugeG.png", 30);
}

void InvButton::SetIcon(const QString& image)
{
    if (theIcon && !beingDeleted)
        theIcon->setPixmap(QPixmap(image));
}

void InvButton::TitleBlue()
{
    setStyleSheet(QString(TileStyle).arg("rgb(0, 0, 255)"));
}

void InvButton::TitleGray()
{
    setStyleSheet(QString(TileStyle).arg("rgb(70, 70, 70)"));
}

void InvButton::Palesati()
{
    if (isStringBox && !stringBoxViewBuilt)
        BuildStringBoxView();
    if (isTpx && !tpxViewBuilt) {
        // The TPX synoptic is drawn by its own view; the cycle starts at block A.
        // Only once: the plant window shows its tiles again after every scan,
        // and restarting a running cycle would judge the awaited reply against
        // another block.
        tpxViewBuilt = true;
        queryStatus = querytable::TpxBlockA;
        savedQueryStatus = querytable::TpxBlockA;
    }
    show();
}

void InvButton::BuildStringBoxView()
{
    stringBoxViewBuilt = true;
    queryStatus = querytable::StringBoxBlock;
    SetIcon(TileTexts::stringBoxIcon());
    powerLabel->hide();
    energyLabel->hide();
    thePowerBar->hide();
    theGraphsButton->hide();
    theButtonAlarms->hide();
    ButtonMeasures->hide();
    Nominal->hide();
    InvTemp->hide();
    ButtonExclude->setEnabled(false);
    statusLabel->setGeometry(160, 140, 200, 24);
    statusLabel->setFont(pixelFont(11, QFont::Normal));
    theValueOfBar->setGeometry(18, 122, 57, 14);
    theValueOfBar->setFont(pixelFont(11, QFont::Normal));
    theValueOfBar->setText("String Box");
    for (int i = 0; i < 8; ++i) {
        auto* bar = new QProgressBar(this);
        bar->setObjectName("theSBBar");
        bar->setGeometry(105 + 30 * i, 40, 14, 80);
        bar->setOrientation(Qt::Vertical);
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setAlignment(Qt::AlignCenter);
        bar->show();
        sbBars.append(bar);
        auto* label = makeLabel(this, "theSBLabel", QRect(103 + 30 * i, 122, 24, 14), "----");
        label->setAlignment(Qt::AlignCenter);
        label->setFont(pixelFont(9, QFont::Normal));
        label->show();
        sbLabels.append(label);
    }
}

void InvButton::Posizione(int x, int y)
{
    setGeometry(x, y, 350, 170);
}

void InvButton::setTheStatus(const QString& text)
{
    if (beingDeleted)
        return;
    statusLabel->setText(text);
    // The communication window mirrors the status once it exists.
}

void InvButton::UpdateValues()
{
    if (beingDeleted)
        return;
    if (isStringBox) {
        for (int i = 0; i < sbBars.size() && i < sbLabels.size(); ++i) {
            const quint16 word = TileTexts::stringBoxWord(rec.stringBox, i);
            sbLabels[i]->setText(TileTexts::stringBoxCurrentText(word));
            sbBars[i]->setValue(TileTexts::stringBoxBarValue(word));
            sbBars[i]->repaint();
        }
        return;
    }
    ButtonUpdate->show();
    ButtonUpdate->setEnabled(isZeta || !flags.legacy);
    getsCommands = (rec.statusWord() & registerblocks::StatusAcceptsCommands) != 0;
    if (!measuresValid) {
        InvTemp->hide();
        Stamp->hide();
        return;
    }
    const double power = InstantPower();
    powerLabel->setText(TileTexts::powerText(power, isZeta));
    energyLabel->setText(TileTexts::energyText(dailyEnergy));
    theVnc->setToolTip(TileTexts::vncToolTip(vnc));
    theVnc->setVisible(vnc);
    instantPowerForPlant = power;
    // With no nominal power or rating the bar reads 0 and "---%", never inf or nan.
    const TileTexts::BarValue bar = TileTexts::barPercent(power, nominalPower, kvpac);
    theValueOfBar->setText(bar.label);
    thePowerBar->setValue(bar.value);
    // Setting a style sheet re-polishes the bar; only do it when it changed.
    if (thePowerBar->styleSheet() != QLatin1String(PowerBarStyle))
        thePowerBar->setStyleSheet(PowerBarStyle);
    const int state = rec.state();
    inAlarm = TileTexts::isAlarmState(state);
    const QString stamp = TileTexts::stampImage(state);
    if (stamp != stampShown) {
        stampShown = stamp;
        Stamp->setPixmap(QPixmap(stamp));
    }
    InvTemp->setText(TileTexts::temperatureText(rec.measures[registerblocks::MeasTemperature]));
    if (miniPlotFresh)
        RefreshMiniPlot();
    InvTemp->show();
    Stamp->show();
}

void InvButton::RefreshMiniPlot()
{
    const QVector<quint16> samples(rec.dailyValues, rec.dailyValues + registerblocks::DailyValuesWords);
    TileTexts::miniPlot(samples, isZeta, &miniPlotX, &miniPlotY);
    miniPlotFresh = false;
}

void InvButton::SetEnabledButtons(bool on)
{
    enabledButtons = on;
    if (beingDeleted)
        return;
    if (!on)
        thePowerBar->setValue(0);
    ButtonProbes->setEnabled(on);
    ButtonMeasures->setEnabled(on);
    theButtonAlarms->setEnabled(on);
    theGraphsButton->setEnabled(on);
    thePowerBar->setEnabled(on);
}

void InvButton::SetDeletable(bool on)
{
    if (beingDeleted)
        return;
    ButtonCancel->setVisible(on);
    ButtonCancel->setEnabled(on);
}

bool InvButton::getTheInvIsBeingDeleted() const
{
    return beingDeleted;
}

void InvButton::DeleteButton()
{
    const QList<QWidget*> gone = {ButtonProbes,
                                  ButtonMeasures,
                                  ButtonUpdate,
                                  theGraphsButton,
                                  theButtonAlarms,
                                  ButtonCancel,
                                  statusLabel,
                                  Nominal,
                                  InvTemp,
                                  powerLabel,
                                  energyLabel,
                                  theValueOfBar,
                                  Stamp,
                                  snapshotLabel,
                                  theIcon,
                                  thePowerBar,
                                  line};
    for (QWidget* w : gone)
        w->hide();
    ButtonExclude->setEnabled(false);
    waitLabel = makeLabel(this, "theWaitLabel", QRect(50, 10, 280, 150), "Wait...");
    QFont f("MicraC");
    f.setPixelSize(48);
    waitLabel->setFont(f);
    waitLabel->show();
    beingDeleted = true;
}

void InvButton::OneSecondActivity()
{
    if (!isTpx) {
        titlePhase = !titlePhase;
        if (!titlePhase || !addressedByIp) {
            // Until the board's version is read the announced one stays in the title.
            const QString shown =
                isStringBox || versionNumberText.isEmpty() ? versionText : versionNumberText;
            if (!addressText.isEmpty() && !beingDeleted)
                setTitle(TileTexts::titleText(addressText, name, shown));
        }
    } else if (connectedFlag && tpxBlockCRead && (rec.tpxA[3] & 0x8000) == 0 && !beingDeleted) {
        setTitle(TileTexts::tpxTitleText(addressText, name, rec.tpxC[8]));
    }
    if (connectedFlag) {
        seen = true;
        lastSeen = QDateTime::currentDateTime();
    }
}

// Runs the blink timer for a TPX unit only, and the 150 ms polling only while
// the communication window is open; call it whenever either changes.
void InvButton::UpdateIdleTimers()
{
    if (isTpx && !halfSecondTimer->isActive())
        halfSecondTimer->start();
    else if (!isTpx)
        halfSecondTimer->stop();
    const bool commWindowOpen = commParamsWindow != nullptr;
    if (commWindowOpen && !pollEventsTimer->isActive())
        pollEventsTimer->start();
    else if (!commWindowOpen)
        pollEventsTimer->stop();
}

void InvButton::HalfSecondActivity()
{
    // Blinks the TPX battery direction on the synoptic, once that view exists.
}

void InvButton::PollEvents()
{
    // Serves the requests of the communication window, once that window exists.
}

void InvButton::ExcludeButton()
{
    excluded = !excluded;
    if (!beingDeleted) {
        ButtonExclude->setText(excluded ? "R" : "E");
        ButtonExclude->setToolTip(excluded ? "Include" : "Exclude");
    }
    SetEnabledButtons(!excluded);
    WriteSetting("/inv/IsExcluded", excluded);
}

void InvButton::InvClicked()
{
    if (!enabledButtons || excluded)
        return;
    getsCommands = (rec.statusWord() & registerblocks::StatusAcceptsCommands) != 0;
    qCDebug(lcTile, "%s: communication window for %s", "InvClicked", qPrintable(addressText));
}

void InvButton::UpdateButton()
{
    qCDebug(lcTile, "%s: %s", "UpdateButton", qPrintable(addressText));
}
void InvButton::GraphsButton()
{
    qCDebug(lcTile, "%s: %s", "GraphsButton", qPrintable(addressText));
}
void InvButton::AlarmsButton()
{
    qCDebug(lcTile, "%s: %s", "AlarmsButton", qPrintable(addressText));
}
void InvButton::ProbesClicked()
{
    qCDebug(lcTile, "%s: %s", "ProbesClicked", qPrintable(addressText));
}
void InvButton::MeasuresClicked()
{
    qCDebug(lcTile, "%s: %s", "MeasuresClicked", qPrintable(addressText));
}

void InvButton::CloseCommandWindow()
{
    if (!commandsOpen)
        return;
    if (commParamsWindow)
        commParamsWindow->deleteLater();
    commandsOpen = false;
    setTheStatus("Ready.");
    SetEnabledButtons(true);
}

void InvButton::ChildClosing()
{
    measuresWindow = nullptr;
    identSentToMeasures = false;
}

void InvButton::GraphIsClosed()
{
    graphWindow = nullptr;
}

void InvButton::AlarmsDialogIsClosed()
{
    alarmWindow = nullptr;
}

void InvButton::CloseChildWindows()
{
    for (QPointer<QWidget>* w : {&measuresWindow, &tpxMeasuresWindow}) {
        if (*w)
            (*w)->close();
        *w = nullptr;
    }
    if (commandsOpen && commParamsWindow) {
        commParamsWindow->deleteLater();
        commParamsWindow = nullptr;
    }
    commandsOpen = false;
}
