#pragma once
// Daily graph of one equipment: the user picks a date, then one or two
// quantities, and sees their curves over the day, read from the day's log in
// the equipment's storage folder. A missing, incomplete or today's copy is
// fetched from the board over an FTP connection of the window's own; when the
// window opens it also catches up the days since the equipment's last sync.
//
// The tile hands its data over through the setters at each Graphs click and
// listens to two signals: lastSyncChanged() after a catch-up and
// graphClosed() when the window closes (it deletes itself then). The Escape
// key only hides the window; the next Graphs click shows it again.

#include "framelessdialog.h"
#include "graphchoice.h"
#include "graphday.h"
#include "graphfetch.h"

#include <QDate>
#include <QSharedPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <functional>

class DownloadFile;
class FtpClient;
class QAbstractButton;
class QCPAxis;
class QCPAxisTickerDateTime;
class QCustomPlot;
class QLabel;

namespace Ui {
class DialogGraph;
}

class DialogGraph : public FramelessDialog
{
    Q_OBJECT

public:
    // Window states.
    enum
    {
        StateOpeningCheck = 1, // compare the last sync with today
        StateCatchingUp = 2,   // fetching the past days over FTP
        StateDatePage = 3,     // idle on the date page
        StateGraph = 5,        // graph shown
        StateChoice = 6,       // choosing the quantities
    };
    // A fetch gives up after this many login countdown steps without
    // progress (10 x 5000 ms: 50 s).
    static constexpr int GuardSteps = 10;
    static constexpr int GuardIntervalMs = 5000;
    // Bytes a day's log may take; a longer download is stopped as failed.
    static constexpr qint64 MaxDayFileBytes = 1024 * 1024;

    explicit DialogGraph(QWidget* parent = nullptr);
    ~DialogGraph() override;

    // What the tile hands over at each Graphs click, in this order.
    void setTheAddress(const QString& address);
    void setTheTcpPort(int port);
    void setThePlantName(const QString& plant);
    void setTheStoragePath(const QString& root);
    void setTheFtpPort(int port);
    void setTheInvIsZeta(bool zeta);
    // Title: the form's title, " - " and the name.
    void setTheName(const QString& name);
    // True while the equipment link has 9 or fewer unanswered queries in a
    // row; the tile also refreshes it at every query tick.
    void setTheFtpIsPossible(bool possible);
    // 1, 3 or 6 temperatures, by the nominal power.
    void setTheTemperatureCount(int count);
    // The four probe labels, naming the probe series.
    void setTheProbeLabels(const QStringList& labels);
    // Taken only while FTP is possible: restarts the opening check (state 1),
    // unless a catch-up is running.
    void setTheLastSync(const QString& lastSync);

    // The clock the window takes today and the time from (the system's by
    // default); the throttle of today's fetches restarts from it.
    void setTheClock(std::function<QDateTime()> clock);
    // Interval of the login countdown's steps (5000 ms by default).
    void setTheLoginTimerInterval(int ms);

    int getTheState() const { return state; }
    int getThePage() const { return page; }
    QDate getTheChosenDate() const { return chosenDate; }
    QString getTheLastSync() const { return lastSync; }
    QString getTheDayFolder() const;
    bool getTheFtpIsPossible() const { return ftpPossible; }
    int getTheTemperatureCount() const { return temperatureCount; }
    QStringList getTheProbeLabels() const { return probeLabels; }
    bool getTheFtpFailed() const { return ftpFailed; }
    bool getTheFtpIsRunning() const { return ftp != nullptr; }
    const GraphDay& getTheDay() const { return day; }
    QCustomPlot* getThePlot() const { return plot; }

    // -1 a future date, -2 no local file and no FTP possible, 1 a fetch was
    // started, 0 plot from the local file.
    int FtpGetForDate(QDate date);
    // The local copy of the day is complete (more than 202 lines after its headers).
    bool TheLogFileExists(int day, int month, int year) const;
    void SetFtpFlagForGraph(int days);
    void ManageChangeOfDay(int days);
    void PageButtons();
    void PageGraph();
    void LoadData();
    void PlotGraph();
    // Plots the series of one quantity of a Zeta equipment on the left
    // (side 0) or right (side 1) axis.
    void PlotSingleSeries_Zeta(int button, int side);

signals:
    // A catch-up ended: the tile stores the new last sync ("yyyy-MM-dd").
    void lastSyncChanged(const QString& lastSync);
    // The window closes and deletes itself: the tile forgets it.
    void graphClosed();

public slots:
    void on_pushButtonClose_clicked();
    void on_pushButtonApply_clicked();
    void ftpCommandFinished(int aCommand, bool error);
    void updateDataTransferProgress(qint64 done, qint64 total);
    void ftpstateChangedEvent(int state);
    void ftpDone(bool aDoneFlag);
    void EnableApplyButton(bool on);
    void BtnChk();
    void FtpTimingOut();
    void CreateButtonApply(int page);
    void SetApplyButton(int page);
    void on_B_1_clicked() { clickedButton = 1; }
    void on_B_2_clicked() { clickedButton = 2; }
    void on_B_3_clicked() { clickedButton = 3; }
    void on_B_4_clicked() { clickedButton = 4; }
    void on_B_5_clicked() { clickedButton = 5; }
    void on_B_6_clicked() { clickedButton = 6; }
    void on_B_7_clicked() { clickedButton = 7; }
    void on_B_8_clicked() { clickedButton = 8; }
    void on_B_9_clicked() { clickedButton = 9; }
    void on_B_10_clicked() { clickedButton = 10; }
    void on_B_11_clicked() { clickedButton = 11; }
    void on_B_12_clicked() { clickedButton = 12; }
    void on_B_13_clicked() { clickedButton = 13; }
    void on_B_14_clicked() { clickedButton = 14; }
    void on_B_15_clicked() { clickedButton = 15; }
    void on_B_16_clicked() { clickedButton = 16; }
    void on_pushButtonDayPlus_clicked();
    void on_pushButtonDayMinus_clicked();
    void on_pushButtonCalendar_clicked();

protected:
    void windowClosing() override;
    void reject() override;

private:
    QDate today() const { return throttle.now().date(); }
    QString dayPath(const QDate& date) const;
    void setStatus(const QString& text);
    void showDatePage();
    void showChoiceButtons(bool show);
    void showPlot(bool show);
    void showFetchResult(int result);
    void createPlot();
    void PlotSingleSeries(int button, int side);
    void plotQuantity(int button, QCPAxis* axis);

    // FTP: one connection at a time, for a catch-up or a chosen date.
    void startCatchUp();
    void openConnection();
    // Ends the connection (and its guard); nothing of it reaches the window any more.
    void dropFtp();
    bool startDownload(const QDate& date);
    void discardDownload();
    void continueCatchUp();
    void endCatchUp(bool complete);
    void fetchFailed();
    void armGuard();

    Ui::DialogGraph* ui;
    QTimer buttonTimer;
    QTimer guardTimer;
    int guardCountdown = 0;
    QString baseTitle;
    QAbstractButton* choiceButtons[graphchoice::ButtonCount] = {};
    QLabel* checkMarks[graphchoice::ButtonCount] = {};

    // Handed over by the tile.
    QString address;
    int tcpPort = 502;
    QString plantName;
    QString storageRoot;
    int ftpPort = 21;
    bool isZeta = false;
    bool ftpPossible = false;
    int temperatureCount = 1;
    QStringList probeLabels;
    QString lastSync;

    int state = StateOpeningCheck;
    int page = 0;
    QDate chosenDate;
    QString dateText;

    GraphDay day;
    graphchoice::Selection selection;
    int clickedButton = 0;
    QVector<int> seriesList;
    int colourIndex = 0;
    QCustomPlot* plot = nullptr;
    QSharedPointer<QCPAxisTickerDateTime> timeTicker;

    FtpClient* ftp = nullptr;
    DownloadFile* download = nullptr;
    QDate downloadDate;
    int getId = -1;
    bool downloadCommitted = false;
    int retries = 0;
    int catchUpDays = 0;
    bool ftpFailed = false;
    bool ftpWanted = true;
    TodayFetchThrottle throttle;
};
