#pragma once
// The parameters dialog: grid-support settings and commands for one
// equipment (inside its communication window) or for the whole plant (plant
// mode, opened by the plant window). Each check box enables one word of the
// parameter block; Apply builds the block and asks the owner to send it. The
// owner polls the dialog's flags, hands it what the equipment answers, and
// closes it when its close button has been pressed. The block encoding and
// the texts are computed by parameterblock.

#include "parameterblock.h"
#include "windowdrag.h"

#include <QDialog>
#include <QTimer>

class QIntValidator;
class QKeyEvent;

namespace Ui {
class DialogSetup;
}

class DialogSetup : public QDialog
{
    Q_OBJECT
public:
    explicit DialogSetup(QWidget* parent = nullptr);
    ~DialogSetup() override;

    // Apply asks for the block to be sent; the owner clears the request
    // once the equipment acknowledged the write (plant: once handed over).
    bool getTheSendRequested() const { return sendRequested; }
    void setTheSendRequested(bool on) { sendRequested = on; }
    // The block built by the last Apply, host order (16 bytes).
    void CopyTheBlock(unsigned short* dest8) const;
    // The close button was pressed; the owner closes and deletes the dialog.
    bool getTheCloseRequested() const { return closeRequested; }

    // Status code (parameterblock::Status; -1 shows "---"). Setting a code
    // drops a summary text.
    void setTheStatus(int code);
    int getTheStatus() const { return statusCode; }
    // A text shown in place of the code's (the plant-wide send's count).
    void setTheSummary(const QString& text);
    QString getTheStatusText() const;

    // Plant mode: "Plant" heading, Apply enabled in every case.
    void setThePlantMode(bool on);
    bool getThePlantMode() const { return plantMode; }
    // Whether the equipment accepts commands (Apply disabled otherwise).
    void setTheCommandsEnabled(bool on);
    bool getTheCommandsEnabled() const { return commandsEnabled; }
    // Heading (CommandsTitle) and window title.
    void setTheTitle(const QString& title);
    // Text of label_COMM.
    void setTheCommText(const QString& text);

    // A block read from the equipment (host order, 8 words): stored and
    // shown in the read-back labels. The first block after opening sets the
    // power box from the mask.
    void setTheInvParameters(const unsigned short* host8);
    const parameterblock::Block& getTheInvParameters() const { return fromInv; }
    // The equipment acknowledged a parameter write: the send request is done.
    void WriteAcknowledged() { sendRequested = false; }

public slots:
    void on_pushButtonApply_clicked();
    void on_pushButtonClose_clicked();
    void on_Power_textEdited(const QString& text);
    void on_ReactivePower_textEdited(const QString& text);
    void on_Command_textEdited(const QString& text);
    void on_GradUp_textEdited(const QString& text);
    void on_CosphiSB_valueChanged(double value);
    void on_checkBoxQ_clicked();
    void on_checkBoxCP_clicked();
    void onTimer();
    void on_checkBoxP_clicked();
    void on_checkBoxGradUp_clicked();
    void on_checkBoxC_clicked();
    void on_BatteryPower_textEdited(const QString& text);
    void on_checkBoxBP_clicked();

protected:
    // Escape does not close the dialog; closing it is the owner's job.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Validators, the cos(phi) rule and the Apply button's state.
    void CheckValues();
    parameterblock::Form form() const;

    Ui::DialogSetup* ui;
    QTimer timer;
    parameterblock::Block block;
    parameterblock::Block fromInv;
    bool sendRequested = false;
    bool closeRequested = false;
    bool plantMode = false;
    bool commandsEnabled = true;
    bool firstUpdate = true;
    int statusCode = -1;
    QString summary;
    WindowDrag drag;
};
