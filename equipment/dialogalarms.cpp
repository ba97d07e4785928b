#include "dialogalarms.h"

#include "imagebutton.h"
#include "logging.h"
#include "ui_dialogalarms.h"

#include <QCloseEvent>
#include <QMouseEvent>

DialogAlarms::DialogAlarms(QWidget* parent) : QDialog(parent), ui(new Ui::DialogAlarms)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowOpacity(0.95);
    setAttribute(Qt::WA_DeleteOnClose);
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

void DialogAlarms::closeEvent(QCloseEvent* event)
{
    // Told once, while the owner still holds the window: it is deleted next.
    if (!closing) {
        closing = true;
        refreshTimer.stop();
        emit AlarmsDialogIsClosed();
    }
    event->accept();
}

void DialogAlarms::reject()
{
    close();
}

void DialogAlarms::mousePressEvent(QMouseEvent* event)
{
    drag.press(this, event);
}

void DialogAlarms::mouseMoveEvent(QMouseEvent* event)
{
    // The window never goes above or left of the first pixel of the screen.
    const QPoint to = drag.destination(event);
    if (to.x() >= 1 && to.y() >= 1)
        drag.move(this, event);
}
