// The tile's widgets, what they show and its buttons.
#include "invbutton.h"

#include "dialogcommparams.h"
#include "fittedtext.h"
#include "imagebutton.h"
#include "talvoobject.h"
#include "tiletexts.h"
#include "tpxsynopticview.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {
// The group box rules name the tile's own class: the equipment's windows are
// the tile's children and keep the look of their own group boxes.
const char* const TileStyle =
    "InvButton { border: 1px solid gray; border-style: outset; border-radius: 8px;"
    " background-color: rgb(243, 243, 243); margin-top: 0px; }"
    " InvButton::title { subcontrol-origin: margin; subcontrol-position: top center;"
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
    fullTitle = "---";
    setTitle(fullTitle);
    BuildWidgets();
    // The group box draws its title in its own font (a style sheet does not
    // reach it): the tile takes the title's font, and the widgets that drew in
    // the font they inherited keep that one.
    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w->testAttribute(Qt::WA_SetFont))
            continue;
        QFont kept = w->font();
        kept.resolve(QFont::AllPropertiesResolved);
        w->setFont(kept);
    }
    TitleBlue();
    FitTitle();

    link = new EquipmentLink(this);
    ConnectLink();
    ConnectWindows();
    logSync = new LogSync(link, this);
    ConnectLogSync();
    oneSecondTimer.start(2000);
    // The communication window's requests: served only while it is open.
    pollEventsTimer = new QTimer(this);
    pollEventsTimer->setInterval(150);
    connect(pollEventsTimer, &QTimer::timeout, this, &InvButton::PollEvents);

    connect(ButtonCancel, &QPushButton::clicked, this, &InvButton::DeleteButton);
    connect(ButtonExclude, &QPushButton::clicked, this, &InvButton::ExcludeButton);
    hide();
}

InvButton::~InvButton()
{
    beingDeleted = true;
    disconnect(link, nullptr, this, nullptr);
}

// What the link reports, drawn. The link stops reporting once the tile is
// being deleted; the widgets are left alone from then on.
void InvButton::ConnectLink()
{
    connect(link, &EquipmentLink::statusChanged, this, &InvButton::ShowStatus);
    connect(link, &EquipmentLink::linkConnected, this, [this] {
        if (!link->isExcluded())
            SetEnabledButtons(true);
        if (!beingDeleted) {
            SetDeletable(false);
            TitleBlue();
        }
    });
    connect(link, &EquipmentLink::linkDisconnected, this, [this] {
        TitleGray();
        SetEnabledButtons(false);
    });
    connect(link, &EquipmentLink::linkFailed, this, [this] { SetDeletable(true); });
    connect(link, &EquipmentLink::madeUnreachable, this, [this] {
        SetEnabledButtons(false);
        DashValues(false);
        if (commWindow && commWindow->getTheCommandsOpen())
            DeleteCommWindow();
    });
    connect(link, &EquipmentLink::fellSilent, this, [this] {
        DashValues(true);
        DeleteCommWindow();
    });
    connect(link, &EquipmentLink::valuesRefreshDue, this, &InvButton::UpdateValues);
    connect(link, &EquipmentLink::identityRead, this, [this] {
        if (!link->isZeta())
            SetIcon(TileTexts::iconForNominal(link->nominalPower(), false));
    });
    connect(link, &EquipmentLink::versionRead, this, [this] {
        if (beingDeleted)
            return;
        if (!link->isZeta() && link->protocolFlags().legacy)
            ButtonUpdate->setToolTip("The update function is enabled from 1.2.3\n software version. Please "
                                     "update manually.");
        else
            ButtonUpdate->setToolTip("Update software");
    });
    connect(link, &EquipmentLink::typeInfoRead, this, [this] {
        const registerblocks::TypeInfo& t = link->typeInfo();
        if (!beingDeleted)
            setFittedText(Nominal, TileTexts::nominalLabel(link->isZeta(), t.easy, link->nominalPower()));
        if (t.alternativeImage && !alternativeImageDone) {
            alternativeImageDone = true;
            SetIcon(TileTexts::iconForNominal(link->nominalPower(), true));
        }
        if (!beingDeleted)
            SetProbesIconAccordingly();
    });
    connect(link, &EquipmentLink::fault, this, &InvButton::ShowFault);
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
    Stamp->hide(); // shown with the first valid measures

    thePowerBar = new QProgressBar(this);
    thePowerBar->setObjectName("thePowerBar");
    thePowerBar->setGeometry(10, 141, 110, 16);
    thePowerBar->setValue(0);
    thePowerBar->setTextVisible(false);
    thePowerBar->setOrientation(Qt::Horizontal);
    thePowerBar->setAlignment(Qt::AlignCenter);
    thePowerBar->setStyleSheet(PowerBarStyle);

    theValueOfBar = makeLabel(this, "theValueOfBar", QRect(40, 142, 57, 14));
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
    statusLabel->setWordWrap(true); // a long status takes two lines rather than being cut

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
    titleColour = "rgb(0, 0, 255)";
    ApplyTileStyle();
}

void InvButton::TitleGray()
{
    titleColour = "rgb(70, 70, 70)";
    ApplyTileStyle();
}

void InvButton::ApplyTileStyle()
{
    const QString style = QString(TileStyle).arg(titleColour);
    if (styleSheet() != style)
        setStyleSheet(style);
}

void InvButton::Palesati()
{
    if (link->isStringBox() && !stringBoxViewBuilt)
        BuildStringBoxView();
    if (link->isTpx() && !tpxViewBuilt) {
        // The TPX synoptic is drawn by its own view; the cycle starts at block A.
        // Only once: the plant window shows its tiles again after every scan,
        // and restarting a running cycle would judge the awaited reply against
        // another block.
        tpxViewBuilt = true;
        link->startCycleAt(querytable::TpxBlockA);
        CreateObjectsForTPX();
        ShowObjectsForTPX();
    }
    show();
}

void InvButton::BuildStringBoxView()
{
    stringBoxViewBuilt = true;
    link->setQueryState(querytable::StringBoxBlock);
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

// Every status text goes through the link, which keeps the one shown.
void InvButton::setTheStatus(const QString& text)
{
    link->setStatus(text);
}

void InvButton::ShowStatus(const QString& text)
{
    if (beingDeleted)
        return;
    setFittedText(statusLabel, text, 6);
    statusLabel->show();
    if (commWindow)
        commWindow->setTheStatus(text);
}

void InvButton::UpdateValues()
{
    if (beingDeleted)
        return;
    // A tile out of sight (scrolled away in a large plant, or its window
    // hidden) draws its values when it comes into view.
    if (!IsInSight()) {
        drawWhenSeen = true;
        return;
    }
    drawWhenSeen = false;
    if (link->isStringBox()) {
        unsigned char block[registerblocks::StringBoxBytes];
        link->CopyStringBox(block);
        for (int i = 0; i < sbBars.size() && i < sbLabels.size(); ++i) {
            const quint16 word = TileTexts::stringBoxWord(block, i);
            sbLabels[i]->setText(TileTexts::stringBoxCurrentText(word));
            sbBars[i]->setValue(TileTexts::stringBoxBarValue(word));
            sbBars[i]->repaint();
        }
        return;
    }
    ButtonUpdate->show();
    ButtonUpdate->setEnabled(link->isZeta() || !link->protocolFlags().legacy);
    if (!link->measuresAreValid()) {
        InvTemp->hide();
        Stamp->hide();
        ClearPowerBar();
        UpdateProbeValuesInDialog();
        return;
    }
    const double power = link->InstantPower();
    powerLabel->setText(TileTexts::powerText(power, link->isZeta()));
    energyLabel->setText(TileTexts::energyText(link->dailyEnergy()));
    const bool vnc = link->vncConnected();
    theVnc->setToolTip(TileTexts::vncToolTip(vnc));
    theVnc->setVisible(vnc);
    // With no nominal power or rating the bar reads 0 and "---%", never inf or nan.
    const TileTexts::BarValue bar = TileTexts::barPercent(power, link->nominalPower(), link->kvpac());
    theValueOfBar->setText(bar.label);
    theValueOfBar->show();
    thePowerBar->setValue(bar.value);
    // Setting a style sheet re-polishes the bar; only do it when it changed.
    if (thePowerBar->styleSheet() != QLatin1String(PowerBarStyle))
        thePowerBar->setStyleSheet(PowerBarStyle);
    const QString stamp = TileTexts::stampImage(link->equipmentState());
    if (stamp != stampShown) {
        stampShown = stamp;
        Stamp->setPixmap(QPixmap(stamp));
    }
    unsigned short measures[registerblocks::MeasuresWords];
    link->CopyMeasures(measures);
    InvTemp->setText(TileTexts::temperatureText(measures[registerblocks::MeasTemperature]));
    InvTemp->show();
    Stamp->show();
    UpdateProbeValuesInDialog();
}

bool InvButton::IsInSight() const
{
    if (!isVisible())
        return false;
    QRect r = rect();
    const QWidget* w = this;
    while (!w->isWindow()) {
        r.translate(w->pos());
        w = w->parentWidget();
        r &= w->rect();
        if (r.isEmpty())
            return false;
    }
    return !w->isMinimized();
}

void InvButton::paintEvent(QPaintEvent* event)
{
    if (drawWhenSeen) {
        drawWhenSeen = false;
        QMetaObject::invokeMethod(this, &InvButton::UpdateValues, Qt::QueuedConnection);
    }
    QGroupBox::paintEvent(event);
}

void InvButton::DashValues(bool energyToo)
{
    if (beingDeleted)
        return;
    powerLabel->setText("P = ----");
    if (energyToo)
        energyLabel->setText("E = ----");
    InvTemp->setText("----");
    Stamp->hide();
    ClearPowerBar();
}

void InvButton::ClearPowerBar()
{
    if (link->isStringBox())
        return; // the string box shows its own label in the bar's place
    thePowerBar->setValue(0);
    theValueOfBar->hide();
}

void InvButton::ShowTitle(const QString& text)
{
    fullTitle = text;
    FitTitle();
}

void InvButton::FitTitle()
{
    // The title is centred; it may take twice the distance from the centre to
    // the first button of the title row that shows (the delete button at
    // x = 280 while it is offered, else the exclude button), less a small gap.
    // A long title is drawn smaller, down to 7 points, before it is cut.
    const QWidget* first = ButtonCancel->isHidden() ? ButtonExclude : ButtonCancel;
    const int room = 2 * (first->x() - width() / 2) - 8;
    QFont font("DejaVu Sans");
    font.setWeight(QFont::Bold);
    int size = TitlePointSize;
    for (; size > MinTitlePointSize; --size) {
        font.setPointSize(size);
        if (QFontMetrics(font).horizontalAdvance(fullTitle) <= room)
            break;
    }
    font.setPointSize(size);
    const QString shown = QFontMetrics(font).elidedText(fullTitle, Qt::ElideRight, room);
    if (titlePointSize != size || this->font() != font) {
        titlePointSize = size;
        setFont(font);
    }
    if (title() != shown)
        setTitle(shown);
    setToolTip(shown == fullTitle ? QString() : fullTitle);
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
    if (tpxView)
        tpxView->setMeasuresButtonEnabled(on);
}

void InvButton::SetDeletable(bool on)
{
    if (beingDeleted)
        return;
    ButtonCancel->setVisible(on);
    ButtonCancel->setEnabled(on);
    FitTitle(); // the delete button takes room from the title
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
    link->setBeingDeleted();
}

void InvButton::OneSecondActivity()
{
    if (!link->isTpx()) {
        titlePhase = !titlePhase;
        if (!titlePhase || !addressedByIp) {
            // Until the board's version is read the announced one stays in the title.
            const QString read = link->versionText();
            const QString& shown = link->isStringBox() || read.isEmpty() ? versionText : read;
            // Built again only when what it shows changed.
            if (!addressText.isEmpty() && !beingDeleted && (shown != titleVersion || name != titleName)) {
                titleVersion = shown;
                titleName = name;
                ShowTitle(TileTexts::titleText(addressText, name, shown));
            }
        }
    } else if (link->isConnected() && link->tpxBlockCWasRead() && !beingDeleted) {
        unsigned short a[registerblocks::TpxAWords], c[registerblocks::TpxCWords];
        link->CopyTpxA(a);
        link->CopyTpxC(c);
        if ((a[3] & 0x8000) == 0) {
            ShowTitle(TileTexts::tpxTitleText(addressText, name, c[8]));
            RefreshTpxView(a, c);
        }
    } else if (link->isTpx() && !link->isConnected() && tpxView && !beingDeleted) {
        tpxView->showDisconnected();
    }
    link->noteSeen();
}

void InvButton::ExcludeButton()
{
    const bool excluded = !link->isExcluded();
    link->setExcluded(excluded);
    ShowExcluded();
    SetEnabledButtons(!excluded);
    settings.setExcluded(excluded);
}

void InvButton::ShowExcluded()
{
    if (beingDeleted)
        return;
    ButtonExclude->setText(link->isExcluded() ? "R" : "E");
    ButtonExclude->setToolTip(link->isExcluded() ? "Include" : "Exclude");
}
