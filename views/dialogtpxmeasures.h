#pragma once
// The TPX measures window: input, bypass, output, battery and temperatures of
// a TPX unit. It never talks to the unit: its tile copies blocks A and B into
// it after each reply that carries them, and the window redraws from its
// copies on each copy and once a second. Closing it (its close button, the
// Escape key) only raises a flag and hides the window; the tile polls the
// flag and deletes the window.

#include "framelessdialog.h"

#include <QLabel>
#include <QMap>
#include <QTimer>

namespace Ui {
class DialogTPXMeasures;
}

class DialogTPXMeasures : public FramelessDialog
{
    Q_OBJECT

public:
    static constexpr int BlockAWords = 4;  // registers 0 to 3
    static constexpr int BlockBWords = 75; // registers 11 to 85

    explicit DialogTPXMeasures(QWidget* parent = nullptr);
    ~DialogTPXMeasures() override;

    // Copies of the tile's blocks, in host order; each copy redraws the window.
    void setTheTPXBlockA(const unsigned short* words);
    void setTheTPXBlockB(const unsigned short* words);

    // Set by the close button; the owner deletes the window and forgets it.
    bool getTheCloseRequested() const { return closeRequested; }

public slots:
    void on_pushButtonClose_clicked();
    void Update();

protected:
    void windowClosing() override;

private:
    Ui::DialogTPXMeasures* ui;
    unsigned short blockB[BlockBWords] = {};
    unsigned short blockA[BlockAWords] = {};
    bool closeRequested = false;
    QTimer refreshTimer;
    QMap<QString, QLabel*> valueLabels;
};
