#include "dialoggraph.h"
#include "logging.h"
#include "ui_dialoggraph.h"

#include "boardftp.h"
#include "dailylog.h"
#include "downloadfile.h"
#include "ftpclient.h"
#include "imagebutton.h"
#include "storagepaths.h"

#include <QDir>
#include <QLabel>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <iterator>

namespace {

// "HH:mm" labels every two hours from the tick origin (05:00 of the day).
class TwoHourTicker : public QCPAxisTickerDateTime
{
protected:
    double getTickStep(const QCPRange&) override
    {
        mDateStrategy = dsNone;
        return 7200.0;
    }
    int getSubTickCount(double) override { return 1; }
};

const QColor kColours[] = {Qt::blue,    Qt::red,      Qt::green,       Qt::darkRed, Qt::cyan,
                           Qt::magenta, Qt::darkBlue, Qt::darkMagenta, Qt::black};

} // namespace

DialogGraph::DialogGraph(QWidget* parent) : FramelessDialog(parent), ui(new Ui::DialogGraph)
{
    ui->setupUi(this);
    baseTitle = ui->labelTitle->text();
    styleImageButton(ui->pushButtonClose, ":/buttonquit.png", ":/buttonquitG.png");
    ui->pushButtonClose->setToolTip(tr("Close this window"));
    for (int b = 1; b <= graphchoice::ButtonCount; ++b) {
        choiceButtons[b - 1] = findChild<QAbstractButton*>(QStringLiteral("B_%1").arg(b));
        checkMarks[b - 1] = findChild<QLabel*>(QStringLiteral("Chk_%1").arg(b));
    }
    auto* plotLayout = new QVBoxLayout(ui->framePlot);
    plotLayout->setContentsMargins(0, 0, 0, 0);
    SetApplyButton(0);
    showDatePage();

    connect(&guardTimer, &QTimer::timeout, this, &DialogGraph::FtpTimingOut);
    guardTimer.setInterval(GuardIntervalMs);
    connect(&buttonTimer, &QTimer::timeout, this, &DialogGraph::BtnChk);
    buttonTimer.start(223);
}

DialogGraph::~DialogGraph()
{
    dropFtp();
    delete ui;
}

// ---- what the tile hands over ------------------------------------------------

void DialogGraph::setTheAddress(const QString& a)
{
    address = a;
}

void DialogGraph::setTheTcpPort(int port)
{
    tcpPort = port;
}

void DialogGraph::setThePlantName(const QString& plant)
{
    plantName = plant;
}

void DialogGraph::setTheStoragePath(const QString& root)
{
    storageRoot = root;
}

void DialogGraph::setTheFtpPort(int port)
{
    ftpPort = port;
}

void DialogGraph::setTheInvIsZeta(bool zeta)
{
    isZeta = zeta;
    for (int b = 1; b <= graphchoice::ButtonCount; ++b)
        choiceButtons[b - 1]->setText(graphchoice::buttonText(b, zeta));
    if (state == StateChoice)
        showChoiceButtons(true);
}

void DialogGraph::setTheName(const QString& name)
{
    ui->labelTitle->setText(baseTitle + QStringLiteral(" - ") + name);
}

void DialogGraph::setTheFtpIsPossible(bool possible)
{
    ftpPossible = possible;
}

void DialogGraph::setTheTemperatureCount(int count)
{
    temperatureCount = count;
}

void DialogGraph::setTheProbeLabels(const QStringList& labels)
{
    probeLabels = labels.mid(0, 4);
}

void DialogGraph::setTheLastSync(const QString& text)
{
    if (!ftpPossible)
        return;
    lastSync = text;
    if (state == StateCatchingUp)
        return;
    // Each opening check may try FTP again, whatever happened before.
    ftpFailed = false;
    state = StateOpeningCheck;
    showDatePage();
}

void DialogGraph::setTheClock(std::function<QDateTime()> clock)
{
    throttle.setClock(std::move(clock));
    ui->calendarWidget->setMaximumDate(today());
    ui->calendarWidget->setSelectedDate(today());
}

void DialogGraph::setTheLoginTimerInterval(int ms)
{
    guardTimer.setInterval(ms);
}

QString DialogGraph::getTheDayFolder() const
{
    return StoragePaths::storageFolderFor(storageRoot, address, tcpPort, plantName);
}

QString DialogGraph::dayPath(const QDate& date) const
{
    const QString folder = getTheDayFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + StoragePaths::dailyLogName(date);
}

// ---- pages -------------------------------------------------------------------

void DialogGraph::setStatus(const QString& text)
{
    ui->labelStatus->setText(text);
}

void DialogGraph::showChoiceButtons(bool show)
{
    for (int b = 1; b <= graphchoice::ButtonCount; ++b) {
        choiceButtons[b - 1]->setVisible(show && graphchoice::buttonShown(b, isZeta));
        checkMarks[b - 1]->setVisible(show && graphchoice::buttonShown(b, isZeta) && selection.isSelected(b));
    }
}

void DialogGraph::showPlot(bool show)
{
    ui->framePlot->setVisible(show && plot);
}

void DialogGraph::showDatePage()
{
    ui->labelInfo->setText(tr("Choose date:"));
    ui->calendarWidget->setMaximumDate(today());
    ui->calendarWidget->show();
    showChoiceButtons(false);
    showPlot(false);
    ui->pushButtonCalendar->hide();
    ui->pushButtonDayMinus->hide();
    ui->pushButtonDayPlus->hide();
    SetApplyButton(0);
}

void DialogGraph::PageButtons()
{
    ui->labelInfo->setText(tr("Choose data to show:"));
    ui->calendarWidget->hide();
    showPlot(false);
    ui->pushButtonDayMinus->hide();
    ui->pushButtonDayPlus->hide();
    ui->pushButtonCalendar->show();
    showChoiceButtons(true);
    SetApplyButton(0);
}

void DialogGraph::PageGraph()
{
    showChoiceButtons(false);
    ui->labelInfo->clear();
    ui->pushButtonCalendar->show();
    ui->pushButtonDayMinus->show();
    ui->pushButtonDayPlus->show();
    chosenDate = ui->calendarWidget->selectedDate();
    retries = 3;
    showFetchResult(FtpGetForDate(chosenDate));
    SetApplyButton(1);
}

void DialogGraph::showFetchResult(int result)
{
    if (state != StateGraph)
        return; // the user has left the graph page meanwhile
    switch (result) {
    case graphfetch::PlotLocal:
        ui->calendarWidget->hide();
        PlotGraph();
        showPlot(true);
        break;
    case graphfetch::Fetching:
        ui->calendarWidget->hide();
        break;
    default:
        setStatus(tr("No data for ") + dateText);
        qCDebug(lcViews, "NO DATA");
        showPlot(false);
        break;
    }
}

void DialogGraph::CreateButtonApply(int forPage)
{
    if (forPage == 1)
        styleImageButton(ui->pushButtonApply, ":/Left.png", ":/LeftG.png");
    else
        styleImageButton(ui->pushButtonApply, ":/apply.png", ":/applyG.png");
    ui->pushButtonApply->setToolTip(forPage == 1 ? tr("Back to the choice of data") : tr("Apply"));
}

void DialogGraph::SetApplyButton(int forPage)
{
    if (forPage != 0 && forPage != 1)
        return;
    page = forPage;
    CreateButtonApply(forPage);
}

void DialogGraph::EnableApplyButton(bool on)
{
    if (page == 0 || page == 1)
        ui->pushButtonApply->setEnabled(on);
}

// ---- timers and buttons ------------------------------------------------------

void DialogGraph::BtnChk()
{
    if (clickedButton != 0) {
        const int button = clickedButton;
        clickedButton = 0;
        if (selection.click(button) && state == StateChoice)
            showChoiceButtons(true);
        return;
    }
    if (state != StateOpeningCheck)
        return;
    catchUpDays = graphfetch::catchUpDayCount(lastSync, today());
    if (catchUpDays == 0) {
        qCDebug(lcViews, "DELTA IS ZERO!");
        state = StateDatePage;
        return;
    }
    if (!ftpPossible)
        qCDebug(lcViews, "OTHER ");
    chosenDate = today().addDays(-1);
    state = StateCatchingUp;
    startCatchUp();
}

void DialogGraph::on_pushButtonApply_clicked()
{
    switch (state) {
    case StateDatePage: {
        const QDate date = ui->calendarWidget->selectedDate();
        if (date > today())
            return;
        chosenDate = date;
        state = StateChoice;
        PageButtons();
        break;
    }
    case StateChoice:
        throttle.setDisplayedDate(chosenDate);
        SetFtpFlagForGraph(0);
        state = StateGraph;
        PageGraph();
        break;
    case StateGraph:
        state = StateChoice;
        PageButtons();
        break;
    default:
        break;
    }
}

void DialogGraph::on_pushButtonCalendar_clicked()
{
    if (state != StateGraph && state != StateChoice)
        return;
    state = StateDatePage;
    showDatePage();
}

void DialogGraph::on_pushButtonDayPlus_clicked()
{
    if (state != StateGraph)
        return;
    SetFtpFlagForGraph(1);
    ManageChangeOfDay(1);
}

void DialogGraph::on_pushButtonDayMinus_clicked()
{
    if (state != StateGraph)
        return;
    SetFtpFlagForGraph(-1);
    ManageChangeOfDay(-1);
}

void DialogGraph::on_pushButtonClose_clicked()
{
    close();
}

// Every close ends the transfer and tells the tile; the window deletes itself.
void DialogGraph::windowClosing()
{
    dropFtp();
    emit graphClosed();
}

void DialogGraph::reject()
{
    hide();
}

// ---- dates and fetch decisions -----------------------------------------------

void DialogGraph::SetFtpFlagForGraph(int days)
{
    ftpWanted = throttle.request(days);
}

void DialogGraph::ManageChangeOfDay(int days)
{
    const QDate previous = chosenDate;
    const QDate next = previous.addDays(days);
    if (next > today())
        return;
    chosenDate = next;
    ui->calendarWidget->setSelectedDate(next);
    retries = 3;
    const int result = FtpGetForDate(next);
    if (result < 0) {
        setStatus(tr("No data for ") + dateText);
        chosenDate = previous;
        dateText = graphfetch::dateText(previous);
        ui->calendarWidget->setSelectedDate(previous);
        throttle.setDisplayedDate(previous);
        showPlot(false);
        return;
    }
    if (result == graphfetch::PlotLocal) {
        PlotGraph();
        showPlot(true);
    }
}

bool DialogGraph::TheLogFileExists(int d, int m, int y) const
{
    const QString path = dayPath(QDate(y, m, d));
    return !path.isEmpty() && DailyLog::isComplete(path);
}

int DialogGraph::FtpGetForDate(QDate date)
{
    // A catch-up keeps its connection; a fetch of another date still running
    // is of no use any more.
    const bool catchingUp = state == StateCatchingUp;
    if (!catchingUp)
        dropFtp();
    dateText = graphfetch::dateText(date);
    const QDate now = today();
    const bool complete = date < now && TheLogFileExists(date.day(), date.month(), date.year());
    if (date == now)
        qCDebug(lcViews, "TODAY FORCES FTP.");
    else if (date < now && !complete)
        qCDebug(lcViews, "NOT EXISTING FILE FORCES FTP.");
    const graphfetch::Decision decision = graphfetch::decide(date, now, complete, ftpPossible, ftpWanted);
    if (decision.result == graphfetch::NoFile)
        setStatus(tr("No file for ") + dateText);
    if (decision.result != graphfetch::PlotLocal || !decision.fetch || ftpFailed || catchingUp)
        return decision.result;
    openConnection();
    setStatus(tr("Getting data..."));
    return graphfetch::Fetching;
}

// ---- FTP ---------------------------------------------------------------------

void DialogGraph::startCatchUp()
{
    if (!ftpPossible) {
        // The board went out of reach since the click: the local copies only.
        setStatus(tr("(Disconnected)"));
        state = StateDatePage;
        return;
    }
    openConnection();
    setStatus(tr("Getting data..."));
    ftpFailed = false;
    EnableApplyButton(false);
    catchUpDays -= 1;
}

void DialogGraph::openConnection()
{
    dropFtp();
    ftp = new FtpClient(this);
    connect(ftp, &FtpClient::commandFinished, this, &DialogGraph::ftpCommandFinished);
    connect(ftp, &FtpClient::dataTransferProgress, this, &DialogGraph::updateDataTransferProgress);
    connect(ftp, &FtpClient::stateChanged, this, &DialogGraph::ftpstateChangedEvent);
    connect(ftp, &FtpClient::done, this, &DialogGraph::ftpDone);
    ftp->connectToHost(address, quint16(ftpPort));
    armGuard();
}

void DialogGraph::dropFtp()
{
    guardTimer.stop();
    discardDownload();
    if (!ftp)
        return;
    // Nothing of this connection reaches the window any more.
    ftp->disconnect(this);
    ftp->abort();
    ftp->deleteLater();
    ftp = nullptr;
    getId = -1;
}

bool DialogGraph::startDownload(const QDate& date)
{
    discardDownload();
    downloadDate = date;
    downloadCommitted = false;
    const QString path = dayPath(date);
    if (path.isEmpty() || !QDir().mkpath(getTheDayFolder())) {
        qCDebug(lcViews, "%s: no storage folder", "startDownload");
        return false;
    }
    // The day is written beside its local copy and takes its place only when complete.
    download = new DownloadFile(path);
    if (!download->open()) {
        qCDebug(lcViews, "%s: cannot write %s", "startDownload", qPrintable(path));
        discardDownload();
        return false;
    }
    getId = ftp->get(StoragePaths::dailyLogName(date), download->device(), FtpClient::Binary);
    qCDebug(lcViews, "Get sent.");
    return true;
}

void DialogGraph::discardDownload()
{
    if (!download)
        return;
    delete download; // removes the partial copy
    download = nullptr;
}

void DialogGraph::armGuard()
{
    guardCountdown = GuardSteps;
    guardTimer.start();
}

void DialogGraph::FtpTimingOut()
{
    if (--guardCountdown > 0)
        return;
    ftpFailed = true;
    dropFtp();
    setStatus(tr("Ftp TIMEOUT"));
    if (state == StateCatchingUp) {
        state = StateDatePage;
        EnableApplyButton(true);
    } else {
        showPlot(false);
    }
}

void DialogGraph::ftpstateChangedEvent(int ftpState)
{
    switch (ftpState) {
    case FtpClient::Unconnected:
        if (state != StateCatchingUp && retries > 0) {
            qCDebug(lcViews, "RETRYING... %d", retries);
            qCDebug(lcViews, "FtpGetForDate out again...");
            --retries;
            showFetchResult(FtpGetForDate(chosenDate));
            return;
        }
        qCDebug(lcViews, "Not connected. (%d)", ftpState);
        qCDebug(lcViews, "FORCING FTP DOWN;");
        fetchFailed();
        break;
    case FtpClient::HostLookup:
        qCDebug(lcViews, "Looking up host...");
        break;
    case FtpClient::Connecting:
        qCDebug(lcViews, "Connecting (ftpstateChangedEvent)");
        break;
    case FtpClient::Connected:
        qCDebug(lcViews, "Connected.");
        ftp->login(QString::fromLatin1(boardftp::User), QString::fromLatin1(boardftp::Password));
        break;
    case FtpClient::LoggedIn:
        qCDebug(lcViews, "Logged In.");
        armGuard();
        ftp->cd(QString::fromLatin1(boardftp::LogFolder));
        startDownload(chosenDate);
        break;
    default:
        break;
    }
}

void DialogGraph::ftpCommandFinished(int aCommand, bool error)
{
    if (error)
        qCDebug(lcViews, "%s FTP error: %s", "ftpCommandFinished", qPrintable(ftp->errorString()));
    if (aCommand != getId || !download)
        return;
    // The day's download itself has ended: keep it only when it is complete.
    downloadCommitted = !error && download->commit();
    delete download;
    download = nullptr;
}

void DialogGraph::updateDataTransferProgress(qint64 done, qint64 total)
{
    if (total > 0)
        setStatus(tr("Downloading: ") + QStringLiteral("%1/%2").arg(done).arg(total));
    armGuard();
    if (done > MaxDayFileBytes && ftp) {
        qCDebug(lcViews, "%s: more than %lld bytes, stopped", "updateDataTransferProgress",
                static_cast<long long>(MaxDayFileBytes));
        discardDownload();
        ftp->abort();
    }
}

void DialogGraph::ftpDone(bool aDoneFlag)
{
    const bool ok = downloadCommitted && !aDoneFlag;
    downloadCommitted = false;
    discardDownload();
    if (!ok) {
        qCDebug(lcViews, "FTP DONE ERROR.");
        setStatus(tr("No file for ") + (state == StateCatchingUp ? graphfetch::catchUpDateText(downloadDate)
                                                                 : graphfetch::dateText(downloadDate)));
    }
    if (state == StateCatchingUp) {
        continueCatchUp();
        return;
    }
    dropFtp();
    if (!ok) {
        showPlot(false);
        return;
    }
    retries = 0;
    if (state == StateGraph) {
        PlotGraph();
        showPlot(true);
    }
    EnableApplyButton(true);
}

void DialogGraph::continueCatchUp()
{
    if (!ftp || ftp->state() != FtpClient::LoggedIn) {
        endCatchUp(false);
        return;
    }
    while (--catchUpDays >= 0) {
        chosenDate = chosenDate.addDays(-1);
        setStatus(tr("Syncing..."));
        qCDebug(lcViews, "Keeping ftp link open...");
        armGuard();
        if (startDownload(chosenDate))
            return;
        setStatus(tr("No file for ") + graphfetch::catchUpDateText(chosenDate));
    }
    endCatchUp(true);
}

void DialogGraph::endCatchUp(bool complete)
{
    if (complete) {
        // Every day up to yesterday has been asked for: the sync is today's. A day
        // the board did not give is fetched when it is chosen.
        lastSync = graphfetch::lastSyncText(today());
        emit lastSyncChanged(lastSync);
        setStatus(tr("In Sync."));
    }
    state = StateDatePage;
    dropFtp();
    EnableApplyButton(true);
}

void DialogGraph::fetchFailed()
{
    discardDownload();
    if (state == StateCatchingUp) {
        setStatus(tr("No file for ") + graphfetch::catchUpDateText(chosenDate));
        endCatchUp(false);
        return;
    }
    setStatus(tr("No file for ") + dateText);
    dropFtp();
    showPlot(false);
}

// ---- plot ----------------------------------------------------------------------

void DialogGraph::LoadData()
{
    const QString path = dayPath(chosenDate);
    qCDebug(lcViews, "File is: %s", qPrintable(path));
    if (!day.load(path, isZeta))
        qCDebug(lcViews, "ops");
}

void DialogGraph::createPlot()
{
    plot = new QCustomPlot(ui->framePlot);
    ui->framePlot->layout()->addWidget(plot);
    plot->setLocale(QLocale(QLocale::English, QLocale::UnitedKingdom));
    timeTicker.reset(new TwoHourTicker);
    timeTicker->setDateTimeFormat(QStringLiteral("HH:mm"));
    plot->xAxis->setTicker(timeTicker);
    plot->xAxis->setLabel(QStringLiteral("time"));
    plot->xAxis2->setTicker(timeTicker);
    plot->xAxis2->setVisible(true);
    plot->legend->setVisible(true);
    QFont legendFont = font();
    legendFont.setPixelSize(11);
    plot->legend->setFont(legendFont);
    plot->legend->setBrush(QBrush(QColor(255, 255, 255, 230)));
    plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
}

void DialogGraph::PlotGraph()
{
    setStatus(tr("Displaying data (") + dateText + QLatin1Char(')'));
    if (!plot)
        createPlot();
    const double start = GraphDay::slotKey(chosenDate, 0);
    timeTicker->setTickOrigin(start);
    plot->xAxis->setRange(start, start + GraphDay::RangeSeconds);
    plot->xAxis2->setRange(start, start + GraphDay::RangeSeconds);

    LoadData();
    plot->clearGraphs();
    colourIndex = 0;
    const QVector<int> chosen = selection.chosen();
    seriesList.clear();
    for (int button : chosen)
        seriesList += graphchoice::seriesOf(button, isZeta, temperatureCount);
    qCDebug(lcViews, "PLOT WITH k = %d", seriesList.size());
    plot->yAxis->setLabel(QString());
    plot->yAxis2->setVisible(chosen.size() > 1);
    plot->yAxis2->setTickLabels(true);
    for (int side = 0; side < chosen.size(); ++side) {
        if (isZeta)
            PlotSingleSeries_Zeta(chosen.at(side), side);
        else
            PlotSingleSeries(chosen.at(side), side);
    }
    plot->replot();
}

void DialogGraph::PlotSingleSeries_Zeta(int button, int side)
{
    qCDebug(lcViews, "%s: Called (%d).", "PlotSingleSeries_Zeta",
            graphchoice::seriesOf(button, true, temperatureCount).value(0, -1));
    plotQuantity(button, side == 0 ? plot->yAxis : plot->yAxis2);
}

void DialogGraph::PlotSingleSeries(int button, int side)
{
    plotQuantity(button, side == 0 ? plot->yAxis : plot->yAxis2);
}

void DialogGraph::plotQuantity(int button, QCPAxis* axis)
{
    const QVector<int> series = graphchoice::seriesOf(button, isZeta, temperatureCount);
    if (series.isEmpty())
        return;
    const int n = day.sampleCount();
    const QVector<double> keys = GraphDay::timeAxis(chosenDate).mid(0, n);
    for (int s : series) {
        QCPGraph* graph = plot->addGraph(plot->xAxis, axis);
        graph->setName(graphchoice::seriesName(s, isZeta, probeLabels));
        graph->setPen(QPen(kColours[colourIndex++ % int(std::size(kColours))]));
        graph->setData(keys, day.series(s), true);
    }
    const graphchoice::AxisRange range = graphchoice::yRange(series.first(), day);
    axis->setRange(range.lower, range.upper);
    axis->setLabel(graphchoice::axisLabel(series.first(), isZeta, probeLabels));
}
