// The plant window: construction, side buttons, dragging, quitting and the
// fault window.
#include "maindialog.h"

#include "appinfo.h"
#include "dialogaddmanually.h"
#include "dialogfault.h"
#include "dialogfirstuse.h"
#include "dialogsetup.h"
#include "fittedtext.h"
#include "fullscreendialog.h"
#include "imagebutton.h"
#include "invbutton.h"
#include "plantstore.h"
#include "ui_maindialog.h"

#include <QApplication>
#include <QDate>
#include <QDebug>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QUdpSocket>

MainDialog::MainDialog(QWidget* parent) : QDialog(parent), ui(new Ui::MainDialog)
{
    ui->setupUi(this);
    scanTimer = new QTimer(this);
    backgroundTimer = new QTimer(this);
    slowTimer = new QTimer(this);
    LocalAddress = "";
    setFittedText(ui->Version, QString(appinfo::ApplicationName) + " - V " + appinfo::ProgramVersion);

    styleImageButton(ui->ButtonAdd, ":/Add.png", ":/AddG.png");
    styleImageButton(ui->ButtonFullScreen, ":/buttonFullScreen.png", ":/buttonFullScreenG.png");
    styleImageButton(ui->ButtonPlant, ":/commands.png", ":/commandsG.png");
    styleImageButton(ui->ButtonTool, ":/Tools.png", ":/ToolsG.png", ":/ToolsG.png");
    ToolButtonPlace = ui->ButtonTool->pos();
    styleImageButton(ui->ButtonMinimize, ":/Down.png", ":/DownG.png");
    styleImageButton(ui->ButtonQuit, ":/buttonquit.png", ":/buttonquitG.png");

    ShowButtons(false);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);

    const QList<QScreen*> screens = QGuiApplication::screens();
    if (!screens.isEmpty())
        ScreenGeometry = screens.first()->geometry();

    settings = new QSettings(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                             QCoreApplication::applicationName(), this);
    StorageDir = QFileInfo(settings->fileName()).absolutePath() + "/";
    plantStore = std::make_unique<PlantStore>(settings);

    // Tile grid: two columns in a scroll area.
    gridWidget = new QWidget;
    gridWidget->setGeometry(40, 59, 680, 570);
    grid = new QGridLayout(gridWidget);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft); // tiles fill the grid from the top left
    grid->setColumnMinimumWidth(0, 350);
    grid->setColumnMinimumWidth(1, 350);
    scrollArea = new QScrollArea(this);
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollArea->setGeometry(40, 59, 780, 570);
    scrollArea->setWidget(gridWidget);

    connect(scanTimer, &QTimer::timeout, this, &MainDialog::scanTimerF);
    connect(backgroundTimer, &QTimer::timeout, this, &MainDialog::BackgroundActivity);
    connect(slowTimer, &QTimer::timeout, this, &MainDialog::TheSlowTimer);

    ScanStep = 1;
    gridRow = gridColumn = 0;
    Scanning = false;
    TpxPresent = false;
    UnconfiguredPresent = false;

    LoadAppSettings();

    slowTimer->start(133000);
    scanTimer->setInterval(1000);
    backgroundTimer->start(250);

    FirstUsePending = true;
    hide();
    firstUseDialogPtr = new DialogFirstUse(this);
    firstUseDialogPtr->setThePlantList(plantStore->plantList);
    show();
    firstUseDialogPtr->raise();
    firstUseDialogPtr->show();
    ui->StatusLine->setText("...");
}

MainDialog::~MainDialog()
{
    scanTimer->stop();
    backgroundTimer->stop();
    slowTimer->stop();
    delete addDialog; // made without a parent
    delete plantCommandsDialog;
    delete ui;
}

DialogFirstUse* MainDialog::firstUseDialog() const
{
    return firstUseDialogPtr;
}

DialogFault* MainDialog::faultDialog() const
{
    return faultDialogPtr;
}

QString MainDialog::settingsFileName() const
{
    return settings->fileName();
}

void MainDialog::ShowButtons(bool show)
{
    ui->ButtonAdd->setVisible(show);
    ui->ButtonMinimize->setVisible(show);
    if (TpxPresent) {
        ui->ButtonFullScreen->hide();
        ui->ButtonPlant->hide();
    } else {
        ui->ButtonFullScreen->setVisible(show);
        ui->ButtonPlant->setVisible(show && PlantName == QLatin1String("LOCAL"));
    }
    ui->ButtonTool->setVisible(show && PlantName == QLatin1String("LOCAL"));
}

void MainDialog::hideButtonsForTpx()
{
    ui->ButtonFullScreen->hide();
    ui->ButtonPlant->hide();
    ui->ButtonTool->move(ui->ButtonFullScreen->pos());
}

void MainDialog::on_ButtonAdd_clicked()
{
    if (!addDialog)
        addDialog = new DialogAddManually(nullptr);
    addDialog->setTpxPresent(TpxPresent);
    addDialog->show();
    addDialog->raise();
}

void MainDialog::on_ButtonFullScreen_clicked()
{
    if (!fullScreenDialog) {
        fullScreenDialog = new FullScreenDialog(this, ScreenGeometry);
        fullScreenDialog->setObjectName("FullScreenDialog");
    }
    fullScreenDialog->show();
    fullScreenDialog->raise();
    if (!FirstUsePending && !Tiles.isEmpty())
        FeedFullScreenValues(LastTotals);
    UpdateFullScreenPlot();
}

void MainDialog::on_ButtonMinimize_clicked()
{
    setWindowState(Qt::WindowMinimized);
}

void MainDialog::on_ButtonQuit_clicked()
{
    const QDate today = QDate::currentDate();
    const QString date = QString("%1-%2-%3").arg(today.year()).arg(today.month()).arg(today.day());
    for (InvButton* tile : qAsConst(Tiles)) {
        if (tile->getTheServerIsConnected())
            tile->setTheLastSync(date);
    }
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCoreApplication::quit();
}

void MainDialog::TheSlowTimer()
{
    if (fullScreenDialog && fullScreenDialog->isVisible())
        UpdateFullScreenPlot();
}

void MainDialog::mousePressEvent(QMouseEvent* event)
{
    drag.press(this, event);
}

void MainDialog::mouseMoveEvent(QMouseEvent* event)
{
    drag.move(this, event);
}

void MainDialog::ShowFault(const QString& code)
{
    faultDialogPtr = new DialogFault(this);
    faultDialogPtr->SetCode(code);
    faultDialogPtr->show();
    faultDialogPtr->raise();
}
