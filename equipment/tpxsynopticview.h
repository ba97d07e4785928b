#pragma once
// The synoptic of a TPX tile: rectifier, inverter, battery and bypass images,
// the line segments between them, the four value labels and the gauge button,
// created as children of the tile at their places in its 350 x 170 area.
// The look comes from TpxSynoptic (plain code); this class only draws it.

#include "tpxsynoptic.h"

#include <QObject>
#include <QPointer>
#include <QVector>

class QLabel;
class QPushButton;
class QWidget;

class TpxSynopticView : public QObject
{
    Q_OBJECT
public:
    // Creates every object, hidden, in its initial look, as a child of the tile.
    explicit TpxSynopticView(QWidget* tile);
    // Deletes the objects it created, when the tile still holds them.
    ~TpxSynopticView() override;

    // Clears the battery arrow, shows every object and raises the images
    // above the segments they sit on. hide() hides them all again.
    void show();
    void hide();
    bool isShown() const { return shown; }

    // The once-a-second refresh of a connected unit: value labels from block
    // B, colours from blocks A and C (both in the tile's storage order).
    void refresh(const unsigned short* blockA, const unsigned short* blockB, const unsigned short* blockC);
    // Greys every part while the unit is not connected and stops the blink
    // until the next refresh.
    void showDisconnected();
    // The four labels read "---" (the link is connecting).
    void clearValues();
    // The half-second blink of the battery arrow, in the process-wide phase.
    void blink(const unsigned short* blockA);

    // Draws a look and the value labels as they are given.
    void apply(const TpxSynoptic::Look& look);
    void setValues(const TpxSynoptic::Values& values);

    // The gauge button follows the tile's other buttons.
    void setMeasuresButtonEnabled(bool on);
    QPushButton* measuresButton() const { return buttonMeas; }

signals:
    // The gauge button was clicked: open the TPX measures window.
    void measuresClicked();

private:
    QLabel* addImage(const char* objectName, int x, int y, int w, int h, const QString& image);
    QLabel* addBar(const char* objectName, int x, int y, int w, int h);
    QLabel* addValue(const char* objectName, int x, int y, int w, int h);
    static void setImage(QLabel* label, const QString& image);
    static void setBar(QLabel* label, TpxSynoptic::Bar bar);

    QWidget* tile;
    bool shown = false;
    bool greyed = false;

    QLabel* rectifier;
    QLabel* inverter;
    QLabel* battery;
    QLabel* bypass;
    QLabel* inputLine;
    QLabel* inputArrow;
    QLabel* rectifierInverterLine;
    QLabel* batteryLine;
    QLabel* batteryJoint;
    QLabel* bypassInputLine;
    QLabel* bypassArrow;
    QLabel* bypassLine;
    QLabel* bypassCorner;
    QLabel* bypassDrop;
    QLabel* inverterOutputLine;
    QLabel* outputJunction;
    QLabel* outputLine;
    QLabel* outputArrow;
    QLabel* inputLoad;
    QLabel* batteryCapacity;
    QLabel* outputLoad;
    QLabel* ratedPower;
    QPushButton* buttonMeas;

    QVector<QLabel*> images; // raised above the segments when shown
    QVector<QPointer<QWidget>> objects;
};
