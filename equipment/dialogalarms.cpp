#include "dialogalarms.h"

#include "imagebutton.h"
#include "logging.h"
#include "ui_dialogalarms.h"

DialogAlarms::DialogAlarms(QWidget* parent) : FramelessDialog(parent), ui(new Ui::DialogAlarms)
{
    ui->setupUi(this);
    setKeepOnScreen(true);
    styleImageButton(ui->pushButtonClose, ":/buttonquit.png", ":/buttonquitG.png");

    // A fixed-pitch face keeps the tags of the padded lines in one column.
    QFont mono("Courier");
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPixelSize(12);
    ui->listAlarms->setObjectName("listAlarms");
    ui->listAlarms->setFont(mono);
    ui->listAlarms->addItem(AlarmTexts::noAlarms());

    connect(&refreshTimer, &QTimer::timeout, this, &DialogAlarms::RefreshScreen);
    refreshTimer.start(500);
    RefreshScreen(); // the clock from the start; the words are all zero yet
}

DialogAlarms::~DialogAlarms()
{
    delete ui;
}

void DialogAlarms::setTheTitle(const QString& heading)
{
    ui->AlarmsTitle->setText(heading);
    setWindowTitle(heading);
}

QString DialogAlarms::getTheTitle() const
{
    return ui->AlarmsTitle->text();
}

void DialogAlarms::setTheAlarmWords(const unsigned short* words, const registerblocks::ProtocolFlags& flags)
{
    list.setWords(words, flags);
}

void DialogAlarms::RefreshScreen()
{
    ui->theDateTime->setText(AlarmTexts::dateTimeText(QDateTime::currentDateTime()));
    QStringList lines;
    if (!list.refresh(&lines))
        return;
    qCDebug(lcTile, "%s: %d lines", "RefreshScreen", static_cast<int>(lines.size()));
    ui->listAlarms->clear();
    ui->listAlarms->addItems(lines);
}

void DialogAlarms::on_pushButtonClose_clicked()
{
    close();
}

void DialogAlarms::windowClosing()
{
    refreshTimer.stop();
    emit AlarmsDialogIsClosed();
}
