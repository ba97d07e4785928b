#pragma once
// The measures window of an inverter: a picture of panels, inverter, grid
// and house with the live values beside each element, redrawn every second
// from copies of the equipment's blocks that its owner hands in.
//
// Feeding, by the owner, after each reply of its measures cycle:
//  1. the first time for this window: setTheIdentity(), then IdentUpdates()
//     (the owner's IdentUpdated() signal connected to it);
//  2. MeasuresUpdates() (through the owner's MeasuresUpdated() signal): the
//     window answers by setting its fed flag;
//  3. when getTheFedFlag() is true, under the measures mutex:
//     setTheMeasures() then setTheHouseLoad(); otherwise the owner forgets
//     the window;
//  4. after each status reply, setTheStatusWords().

#include "framelessdialog.h"
#include "measurestexts.h"

#include <QHash>
#include <QTimer>

class QLabel;

namespace Ui {
class Measures;
}

class Measures : public FramelessDialog
{
    Q_OBJECT
public:
    explicit Measures(QWidget* parent = nullptr);
    ~Measures() override;

    // Set by the owner each time it opens or shows the window again.
    void setTheTitle(const QString& name); // the equipment name, also the window title
    void setTheShowExtended(bool on);      // not on the legacy protocol
    void setTheInvIsZETA(bool on);
    void setTheNominalPower(double watts); // also chooses the equipment image

    // Copies handed in by the owner.
    void setTheIdentity(const unsigned char* identity); // 64 bytes
    // The measures block (42 words, host order). The owner holds the measures
    // mutex during the call. With one phase known, the words of inputs 2 and
    // 3 (2, 3, 5, 6) of the copy become 0xFFFF.
    void setTheMeasures(const unsigned short* measures);
    void setTheHouseLoad(const unsigned short* houseLoad); // 3 words, 0xFFFF first: no data
    void setTheStatusWords(const unsigned short* status);  // 3 words (registers 6 to 8)

    bool getTheFedFlag() const { return fed; }
    int getTheNumPhases() const { return in.numPhases; }
    QString getTheImage() const { return image; }

signals:
    // The window is closing and deletes itself: the owner forgets it and
    // hands the identity again to the next window.
    void ChildClosing();

public slots:
    void ClosePushed();
    void MeasuresUpdates();
    void IdentUpdates();
    // Every second: the labels from the copies.
    void UpdateValues();

protected:
    void windowClosing() override;

private:
    void ChooseImage();
    void ShowHouse(measurestexts::House house);

    Ui::Measures* ui;
    QTimer refreshTimer;
    QHash<QString, QLabel*> labels; // by object name
    measurestexts::Inputs in;
    unsigned char identity[registerblocks::IdentityBytes];
    bool fed = false;
    bool zeta = false;
    QString image;
};
