#pragma once
// The probe window of one equipment: its configured probes with their
// present values, and the choice of the one probe the plant's full-screen
// view plots. The tile owns it, hands it the mask, the choice and the
// values, and takes the choice back from ChosenProbeApplied. Closing only
// hides it: the tile shows the same window again at the next click.

#include "framelessdialog.h"
#include "probes.h"

class QLabel;
class QRadioButton;

namespace Ui {
class ProbesChoose;
}

class ProbesChoose : public FramelessDialog
{
    Q_OBJECT
public:
    explicit ProbesChoose(QWidget* parent = nullptr);
    ~ProbesChoose() override;

    // Shows the radio button, name and value of probe i when bit i - 1 of
    // the mask is set, hides them otherwise.
    void setTheProbemask(unsigned short mask);
    unsigned short getTheProbemask() const { return mask; }
    // Checks "None" for 0, the probe's radio button for 1 to 4; other
    // numbers are ignored.
    void setTheChosenProbe(int probe);
    int getTheChosenProbe() const { return chosen; }
    // Names and values of the probes the window shows: each configured
    // probe's radio button and name label take its name, its value label
    // the reading in its unit.
    void UpdateValues(const probes::ProbeSet& set);
    // What the tile does on a click of its probe button: mask, choice, show.
    void ShowFor(unsigned short mask, int chosenProbe);

signals:
    // Apply was pressed: 0 for none, else the probe 1 to 4. The window
    // closes right after.
    void ChosenProbeApplied(int probe);

public slots:
    void on_pushButtonApply_clicked();
    void on_pushButtonClose_clicked();

private:
    Ui::ProbesChoose* ui;
    QRadioButton* radios[probes::Count] = {};
    QLabel* names[probes::Count] = {};
    QLabel* values[probes::Count] = {};
    unsigned short mask = 0;
    int chosen = 0;
};
