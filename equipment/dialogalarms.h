#pragma once
// The alarm window of an equipment: one line per active alarm bit, refreshed
// twice a second with the current date and time. Its owner hands it the
// alarm words after each alarm-words reply and is told when it closes.

#include "alarmtexts.h"
#include "framelessdialog.h"

#include <QTimer>

namespace Ui {
class DialogAlarms;
}

class DialogAlarms : public FramelessDialog
{
    Q_OBJECT
public:
    explicit DialogAlarms(QWidget* parent = nullptr);
    ~DialogAlarms() override;

    // Heading: the address text, " - " and the equipment name.
    void setTheTitle(const QString& heading);
    QString getTheTitle() const;

    // Copies the alarm words of an alarm-words reply as the equipment's
    // protocol generation reads them: none before version 126, 8 words
    // before 133, else 10 (see AlarmTexts::wordsRead). The words are in the
    // tile's order: host order, register 1005 as received.
    void setTheAlarmWords(const unsigned short* words, const registerblocks::ProtocolFlags& flags);
    const unsigned short* getTheAlarmWords() const { return list.words(); }

signals:
    // The window is closing and deletes itself; the owner forgets it.
    void AlarmsDialogIsClosed();

public slots:
    // Every 500 ms: the date and time, and the list when a group changed.
    void RefreshScreen();
    void on_pushButtonClose_clicked();

protected:
    void windowClosing() override;

private:
    Ui::DialogAlarms* ui;
    AlarmList list;
    QTimer refreshTimer;
};
