// The equipment's own windows, opened from the tile's buttons and fed from
// the link: alarms, live measures, the TPX synoptic and TPX measures, the
// daily graph and the probe choice. Each window exists at most once per tile;
// the tile forgets it when it closes.
#include "invbutton.h"

#include "dialogalarms.h"
#include "dialoggraph.h"
#include "dialogtpxmeasures.h"
#include "logging.h"
#include "measures.h"
#include "probebutton.h"
#include "probes.h"
#include "probeschoose.h"
#include "talvoobject.h"
#include "tpxblocks.h"
#include "tpxsynopticview.h"

#include <QDate>
#include <QLabel>
#include <QMutexLocker>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {
// The link counts a board silent above this many ticks without a reply.
constexpr int SilentAfterTicks = 9;
} // namespace

void InvButton::ConnectWindows()
{
    connect(theButtonAlarms, &QPushButton::clicked, this, &InvButton::AlarmsButton);
    connect(theGraphsButton, &QPushButton::clicked, this, &InvButton::GraphsButton);
    connect(ButtonMeasures, &QPushButton::clicked, this, &InvButton::MeasuresClicked);
    connect(ButtonProbes, &QPushButton::clicked, this, &InvButton::ProbesClicked);
    // Until the type block is read: one probe, none chosen.
    ProbeButton::SetStylesheetForProbeButton(ButtonProbes, 0, 1);

    connect(link, &EquipmentLink::identUpdated, this, &InvButton::FeedIdentity);
    connect(link, &EquipmentLink::measuresUpdated, this, &InvButton::FeedMeasures);
    connect(link, &EquipmentLink::statusWordsRead, this, &InvButton::FeedStatusWords);
    connect(link, &EquipmentLink::alarmWordsRead, this, &InvButton::FeedAlarmWords);
    connect(link, &EquipmentLink::tpxBlockARead, this, &InvButton::FeedTpxBlockA);
    connect(link, &EquipmentLink::tpxBlockBRead, this, &InvButton::FeedTpxBlockB);
    connect(link, &EquipmentLink::tickStarted, this, &InvButton::WindowsTick);
    connect(link, &EquipmentLink::fellSilent, this, [this] {
        if (measuresWindow)
            measuresWindow->close();
    });
    connect(link, &EquipmentLink::madeUnreachable, this, &InvButton::CloseLiveWindows);
    connect(link, &EquipmentLink::connecting, this, [this] {
        if (tpxView && link->isTpx() && !beingDeleted)
            tpxView->clearValues();
    });

    // The battery arrow's blink: only a TPX unit's synoptic runs it.
    halfSecondTimer = new QTimer(this);
    halfSecondTimer->setInterval(500);
    connect(halfSecondTimer, &QTimer::timeout, this, &InvButton::HalfSecondActivity);
}

// FTP is possible while the link is connected and the board answered within
// the last 9 ticks. (The counter alone would also call a board reachable for
// a few ticks after its connection broke.)
bool InvButton::FtpIsPossible() const
{
    return link->isConnected() && link->missedReplies() <= SilentAfterTicks;
}

// The start of every poll tick: a TPX measures window closed by its button
// is deleted; the daily graph learns whether FTP is possible.
void InvButton::WindowsTick()
{
    if (tpxMeasuresWindow && tpxMeasuresWindow->getTheCloseRequested()) {
        delete tpxMeasuresWindow.data();
        tpxMeasuresWindow = nullptr;
    }
    if (graphWindow)
        graphWindow->setTheFtpIsPossible(FtpIsPossible());
}

// The equipment became unreachable: the live windows close, the graph can
// no longer fetch.
void InvButton::CloseLiveWindows()
{
    if (measuresWindow)
        measuresWindow->close();
    if (tpxMeasuresWindow)
        tpxMeasuresWindow->close();
    if (graphWindow)
        graphWindow->setTheFtpIsPossible(false);
}

// --- Alarms ---

void InvButton::AlarmsButton()
{
    if (!alarmWindow) {
        alarmWindow = new DialogAlarms(this);
        connect(alarmWindow, &DialogAlarms::AlarmsDialogIsClosed, this, &InvButton::AlarmsDialogIsClosed);
        // The words already read, so that a new window does not show
        // "No alarms!" until the next alarm reply.
        FeedAlarmWords();
    }
    alarmWindow->setTheTitle(addressText + " - " + name);
    alarmWindow->show();
    alarmWindow->raise();
}

void InvButton::AlarmsDialogIsClosed()
{
    alarmWindow = nullptr;
}

void InvButton::FeedAlarmWords()
{
    if (!alarmWindow)
        return;
    unsigned short words[registerblocks::AlarmWords];
    link->CopyAlarmWords(words);
    alarmWindow->setTheAlarmWords(words, link->protocolFlags());
}

// --- Measures ---

void InvButton::MeasuresClicked()
{
    if (link->isExcluded())
        return;
    if (!measuresWindow) {
        measuresWindow = new Measures(this);
        connect(this, &InvButton::IdentUpdated, measuresWindow, &Measures::IdentUpdates);
        connect(this, &InvButton::MeasuresUpdated, measuresWindow, &Measures::MeasuresUpdates);
        connect(measuresWindow, &Measures::ChildClosing, this, &InvButton::ChildClosing);
        link->setMeasuresWindowOpen(true);
        FeedStatusWords(); // the house rows need them before the next status reply
    }
    SetUpMeasuresWindow();
    measuresWindow->show();
    measuresWindow->raise();
}

void InvButton::SetUpMeasuresWindow()
{
    measuresWindow->setTheShowExtended(!link->protocolFlags().legacy);
    measuresWindow->setTheTitle(name);
    measuresWindow->setTheInvIsZETA(link->isZeta());
    measuresWindow->setTheNominalPower(link->nominalPower());
}

// The window closes (and deletes itself): the next one gets the identity again.
void InvButton::ChildClosing()
{
    measuresWindow = nullptr;
    link->setMeasuresWindowOpen(false);
}

// The link's first measures-cycle reply for this window. A window opened
// before the board's version and nominal power were read gets them now:
// they gate the energy, Q, S and PF labels and scale the power factor.
void InvButton::FeedIdentity()
{
    if (measuresWindow) {
        unsigned char identity[registerblocks::IdentityBytes];
        link->CopyIdentity(identity);
        measuresWindow->setTheIdentity(identity);
        SetUpMeasuresWindow();
    }
    emit IdentUpdated();
}

// After each measures, status, alarm or house load reply.
void InvButton::FeedMeasures()
{
    emit MeasuresUpdated();
    if (!measuresWindow || !measuresWindow->getTheFedFlag()) {
        ChildClosing();
        return;
    }
    // The link's copies take the measures mutex themselves: copy first,
    // then hand the copies over under the mutex the window reads them with.
    unsigned short measures[registerblocks::MeasuresWords];
    unsigned short houseLoad[registerblocks::HouseLoadWords];
    link->CopyMeasures(measures);
    link->CopyHouseLoad(houseLoad);
    QMutexLocker lock(&registerblocks::measuresMutex());
    measuresWindow->setTheMeasures(measures);
    measuresWindow->setTheHouseLoad(houseLoad);
}

void InvButton::FeedStatusWords()
{
    if (!measuresWindow)
        return;
    unsigned short status[registerblocks::StatusWords];
    link->CopyStatus(status);
    measuresWindow->setTheStatusWords(status);
}

// --- TPX synoptic and TPX measures ---

void InvButton::CreateObjectsForTPX()
{
    if (tpxView)
        return;
    qCDebug(lcTile, "%s called.", "CreateObjectsForTPX");
    tpxView = new TpxSynopticView(this);
    connect(tpxView, &TpxSynopticView::measuresClicked, this, &InvButton::TPXMeasuresClicked);
    tpxView->setMeasuresButtonEnabled(enabledButtons);
    halfSecondTimer->start();
}

// The synoptic takes the place of the icon, the values, the power bar and
// the probe and measures buttons; the status line moves under it.
void InvButton::ShowObjectsForTPX()
{
    if (!tpxView || beingDeleted)
        return;
    for (QWidget* w :
         std::initializer_list<QWidget*>{theIcon, Stamp, powerLabel, energyLabel, InvTemp, snapshotLabel,
                                         thePowerBar, theValueOfBar, ButtonProbes, ButtonMeasures})
        w->hide();
    statusLabel->setGeometry(5, 146, 300, 24);
    tpxView->show();
}

void InvButton::RefreshTpxView(const unsigned short* blockA, const unsigned short* blockC)
{
    if (!tpxView || beingDeleted)
        return;
    unsigned short b[registerblocks::TpxBWords];
    link->CopyTpxB(b);
    tpxView->refresh(blockA, b, blockC);
}

// Every 500 ms: the battery arrow of a connected TPX blinks.
void InvButton::HalfSecondActivity()
{
    if (!link->isTpx() || !link->isConnected() || !tpxView || !tpxView->isShown() || beingDeleted)
        return;
    unsigned short a[registerblocks::TpxAWords];
    link->CopyTpxA(a);
    tpxView->blink(a);
}

// Each click opens a fresh window with the blocks read so far; a window
// still open from an earlier click goes, so that only the fed one is shown.
void InvButton::TPXMeasuresClicked()
{
    delete tpxMeasuresWindow.data();
    tpxMeasuresWindow = new DialogTPXMeasures(this);
    unsigned short a[registerblocks::TpxAWords], b[registerblocks::TpxBWords];
    link->CopyTpxA(a);
    link->CopyTpxB(b);
    tpxMeasuresWindow->setTheTPXBlockB(b);
    tpxMeasuresWindow->setTheTPXBlockA(a);
    tpxMeasuresWindow->show();
    tpxMeasuresWindow->raise();
}

void InvButton::FeedTpxBlockA()
{
    if (!tpxMeasuresWindow)
        return;
    unsigned short a[registerblocks::TpxAWords];
    link->CopyTpxA(a);
    tpxMeasuresWindow->setTheTPXBlockA(a);
}

void InvButton::FeedTpxBlockB()
{
    if (!tpxMeasuresWindow)
        return;
    unsigned short b[registerblocks::TpxBWords];
    link->CopyTpxB(b);
    tpxMeasuresWindow->setTheTPXBlockB(b);
}

// --- Daily graph ---

void InvButton::GraphsButton()
{
    if (!graphWindow) {
        graphWindow = new DialogGraph(this);
        connect(graphWindow, &DialogGraph::graphClosed, this, &InvButton::GraphIsClosed);
        connect(graphWindow, &DialogGraph::lastSyncChanged, this, &InvButton::setTheLastSync);
    }
    DialogGraph* g = graphWindow;
    const double nominal = link->nominalPower();
    g->setTheAddress(addressText);
    g->setTheTcpPort(link->port());
    g->setThePlantName(plant);
    g->setTheStoragePath(getTheStoragePath());
    g->setTheFtpPort(ftpPort);
    g->setTheInvIsZeta(link->isZeta());
    g->setTheName(name);
    g->setTheFtpIsPossible(FtpIsPossible()); // before the last sync, which it gates
    g->setTheTemperatureCount(nominal <= 50000 ? 1 : nominal <= 250000 ? 3 : 6);
    g->setTheProbeLabels(
        {GetTheProbeLabel(1), GetTheProbeLabel(2), GetTheProbeLabel(3), GetTheProbeLabel(4)});
    g->setTheLastSync(getTheLastSync());
    g->show();
    g->raise();
}

void InvButton::GraphIsClosed()
{
    graphWindow = nullptr;
}

// --- Probes ---

void InvButton::ProbesClicked()
{
    if (!probesWindow) {
        probesWindow = new ProbesChoose(this);
        connect(probesWindow, &ProbesChoose::ChosenProbeApplied, this, &InvButton::setTheChosenProbe);
    }
    probesWindow->ShowFor(link->typeInfo().probeMask, chosenProbe);
    UpdateProbeValuesInDialog();
}

void InvButton::UpdateProbeValuesInDialog()
{
    if (!probesWindow)
        return;
    probes::ProbeSet set;
    set.setFromTypeBlock(link->typeInfo());
    unsigned short measures[registerblocks::MeasuresWords];
    link->CopyMeasures(measures);
    set.setReadings(measures);
    probesWindow->UpdateValues(set);
}

int InvButton::GetNumberOfProbesConfigured()
{
    return ProbeButton::GetNumberOfProbesConfigured(ButtonProbes, link->typeInfo().probeMask,
                                                    link->isZeta() && link->protocolFlags().legacy);
}

void InvButton::SetProbesIconAccordingly()
{
    ProbeButton::SetStylesheetForProbeButton(ButtonProbes, chosenProbe != 0, GetNumberOfProbesConfigured());
}

void InvButton::setTheChosenProbe(int probe)
{
    chosenProbe = probe;
    wantsProbeChange = true;
    if (!beingDeleted)
        SetProbesIconAccordingly();
    if (probe != 0)
        UpdateLocalMeasure();
}

void InvButton::UpdateLocalMeasure()
{
    miniPlotYExtra =
        probes::UpdateLocalMeasure(getTheStorageFolder(), chosenProbe, link->isZeta(), QDate::currentDate());
}
