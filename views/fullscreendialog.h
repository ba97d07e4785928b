#pragma once
// The full-screen plant summary for a wall or kiosk screen: present power,
// share of the nominal power, today's and this month's energy, the total
// energy with its equivalents in trees, oil and CO2, and a mini plot of
// today's plant power with one probe curve when a probe is chosen. It shows
// only what the plant window hands it.

#include <QDialog>
#include <QRect>
#include <QVector>

class QCPGraph;
class QCustomPlot;
class QLabel;

namespace Ui {
class FullScreenDialog;
}

class FullScreenDialog : public QDialog
{
    Q_OBJECT
public:
    // Built for the screen's geometry, in full-screen state on a black
    // background; positions and font sizes follow the window's size.
    FullScreenDialog(QWidget* parent, const QRect& screen);
    ~FullScreenDialog() override;

    // This month's energy of the completed days (kWh).
    void setTheMonthEnergy(double kWh);
    // Share of the nominal power (%).
    void setThePercentOfNominal(double percent);
    // Today's energy (kWh).
    void setTheDayEnergy(double kWh);
    // Stores the power (kW) and refreshes the power, share and energy labels.
    void UpdateReadings(double kW);
    // Stores the total energy (kWh) and refreshes the total and equivalents.
    void setThePlantTotalEnergy(double kWh);

    // Mini plot: the time axis, an extra curve for the next plot only, its
    // full scale and label; setTheMiniPlotDataY draws the plot.
    void setTheMiniPlotDataX(const QVector<double>& x);
    void setTheMiniPlotDataYExtra(const QVector<double>& y);
    void setTheMiniPlotExtraMax(unsigned short maximum);
    void setTheMiniPlotExtraLabel(const QString& label);
    void setTheMiniPlotDataY(const QVector<double>& y, double nominalW);

    QRect getTheScreenGeometry() const { return screen; }
    QCustomPlot* miniPlot() const;
    // An extra curve was given and waits for the next plot.
    bool getTheExtraDataFlag() const { return extraData; }

public slots:
    void exitFullScreen();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyLayout(const QSize& size);
    void SetupPlot();
    // Sets the text in the label's base font, made smaller when the text
    // would not fit the label's width.
    void SetFittedText(QLabel* label, const QString& text);

    Ui::FullScreenDialog* ui;
    QRect screen;
    double power = 0.0;
    double percent = 0.0;
    double dayEnergy = 0.0;
    double monthEnergy = 0.0;
    double totalEnergy = 0.0;
    QVector<double> plotX;
    QVector<double> extraY;
    QString extraLabel;
    unsigned short extraMax = 0;
    bool extraData = false;
    QCPGraph* powerGraph = nullptr;
    QCPGraph* extraGraph = nullptr;
};
