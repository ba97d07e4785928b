#include "fullscreendialog.h"

#include "fullscreensummary.h"
#include "imagebutton.h"
#include "logging.h"
#include "ui_fullscreendialog.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QResizeEvent>
#include <qcustomplot.h>

#include <algorithm>

namespace {

// A tick every hour from the tick origin, labelled "HH:mm"; on a narrow
// plot only every second hour is labelled, so labels never run together.
class HourTicker : public QCPAxisTickerDateTime
{
public:
    void setLabelStep(int hours) { labelStep = std::max(hours, 1); }

protected:
    double getTickStep(const QCPRange&) override { return FullScreenSummary::TickSeconds; }
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override
    {
        const qint64 hours = qRound64((tick - tickOrigin()) / FullScreenSummary::TickSeconds);
        if (hours % labelStep != 0)
            return QString();
        return QCPAxisTickerDateTime::getTickLabel(tick, locale, formatChar, precision);
    }

private:
    int labelStep = 1;
};

const char* const BaseFontProperty = "baseFontPx";

void styleAxis(QCPAxis* axis, int fontPx)
{
    QFont font;
    font.setPixelSize(fontPx);
    axis->setBasePen(QPen(Qt::white));
    axis->setTickPen(QPen(Qt::white));
    axis->setSubTickPen(QPen(Qt::white));
    axis->setTickLabelColor(Qt::white);
    axis->setLabelColor(Qt::white);
    axis->setTickLabelFont(font);
    axis->setLabelFont(font);
}

} // namespace

FullScreenDialog::FullScreenDialog(QWidget* parent, const QRect& s)
    : QDialog(parent), ui(new Ui::FullScreenDialog), screen(s)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    styleImageButton(ui->ButtonExit, ":/buttonquit.png", ":/buttonquitG.png");
    connect(ui->ButtonExit, &QPushButton::clicked, this, &FullScreenDialog::exitFullScreen);

    ui->PowerValue->setStyleSheet("color: rgb(255, 204, 0);");
    for (QLabel* l :
         {ui->ShareValue, ui->EnergyValue, ui->TotalValue, ui->TreeValue, ui->OilValue, ui->Co2Value})
        l->setStyleSheet("color: white;");
    for (QLabel* l : {ui->PowerValue, ui->ShareValue, ui->EnergyValue, ui->TotalValue, ui->TreeValue,
                      ui->OilValue, ui->Co2Value})
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetupPlot();

    setGeometry(screen);
    ApplyLayout(screen.size());
    setWindowState(Qt::WindowFullScreen);
}

FullScreenDialog::~FullScreenDialog()
{
    delete ui;
}

QCustomPlot* FullScreenDialog::miniPlot() const
{
    return ui->MiniPlot;
}

void FullScreenDialog::SetupPlot()
{
    QCustomPlot* plot = ui->MiniPlot;
    plot->setBackground(Qt::black);
    plot->axisRect()->setBackground(Qt::black);
    QSharedPointer<QCPAxisTickerDateTime> ticker(new HourTicker);
    ticker->setDateTimeFormat("HH:mm");
    ticker->setDateTimeSpec(Qt::LocalTime);
    // The top axis shares the ticker: the same format, step and origin.
    plot->xAxis->setTicker(ticker);
    plot->xAxis2->setTicker(ticker);
    plot->xAxis->setLabel("time");
    plot->yAxis->setLabel("KW");
    plot->xAxis2->setVisible(false);
    plot->yAxis2->setVisible(false);
    plot->hide();
}

void FullScreenDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    ApplyLayout(event->size());
}

void FullScreenDialog::ApplyLayout(const QSize& size)
{
    const FullScreenSummary::Layout l = FullScreenSummary::layoutFor(size);
    ui->ButtonExit->setGeometry(l.exitButton);
    ui->Logo->setGeometry(l.logo);
    ui->Earth->setGeometry(l.earth);
    ui->PowerValue->setGeometry(l.power);
    ui->ShareValue->setGeometry(l.share);
    ui->EnergyValue->setGeometry(l.energy);
    ui->TotalValue->setGeometry(l.total);
    QLabel* icons[] = {ui->TreeIcon, ui->OilIcon, ui->Co2Icon};
    QLabel* values[] = {ui->TreeValue, ui->OilValue, ui->Co2Value};
    for (int k = 0; k < 3; ++k) {
        icons[k]->setGeometry(l.icons[k]);
        values[k]->setGeometry(l.values[k]);
        values[k]->setProperty(BaseFontProperty, l.valueFontPx);
    }
    ui->PowerValue->setProperty(BaseFontProperty, l.powerFontPx);
    for (QLabel* label : {ui->ShareValue, ui->EnergyValue, ui->TotalValue})
        label->setProperty(BaseFontProperty, l.valueFontPx);
    for (QLabel* label : {ui->PowerValue, ui->ShareValue, ui->EnergyValue, ui->TotalValue, ui->TreeValue,
                          ui->OilValue, ui->Co2Value})
        SetFittedText(label, label->text());

    ui->MiniPlot->setGeometry(l.plot);
    const int axisFontPx = std::max(10, int(16 * l.scale));
    for (QCPAxis* axis : ui->MiniPlot->axisRect()->axes())
        styleAxis(axis, axisFontPx);
    // 17 hours share the width left by the value axes' labels on both sides.
    QFont axisFont;
    axisFont.setPixelSize(axisFontPx);
    const int label = QFontMetrics(axisFont).horizontalAdvance("00:00");
    const int perHour = (l.plot.width() - 3 * label) / 17;
    static_cast<HourTicker*>(ui->MiniPlot->xAxis->ticker().data())
        ->setLabelStep(perHour >= label * 1.1 ? 1 : 2);
    ui->MiniPlot->replot();
}

void FullScreenDialog::SetFittedText(QLabel* label, const QString& text)
{
    QFont font = label->font();
    int px = std::max(label->property(BaseFontProperty).toInt(), 1);
    font.setPixelSize(px);
    while (px > 6 && QFontMetrics(font).horizontalAdvance(text) > label->width()) {
        px = px * 9 / 10;
        font.setPixelSize(px);
    }
    label->setFont(font);
    label->setText(text);
}

void FullScreenDialog::setTheMonthEnergy(double kWh)
{
    monthEnergy = kWh;
}

void FullScreenDialog::setThePercentOfNominal(double p)
{
    percent = p;
}

void FullScreenDialog::setTheDayEnergy(double kWh)
{
    dayEnergy = kWh;
}

void FullScreenDialog::UpdateReadings(double kW)
{
    power = kW;
    SetFittedText(ui->PowerValue, FullScreenSummary::powerText(power));
    SetFittedText(ui->ShareValue, FullScreenSummary::shareText(percent));
    SetFittedText(ui->EnergyValue, FullScreenSummary::energyText(dayEnergy, monthEnergy));
}

void FullScreenDialog::setThePlantTotalEnergy(double kWh)
{
    totalEnergy = kWh;
    SetFittedText(ui->TotalValue, FullScreenSummary::totalText(totalEnergy));
    SetFittedText(ui->TreeValue, FullScreenSummary::treeText(totalEnergy));
    SetFittedText(ui->OilValue, FullScreenSummary::oilText(totalEnergy));
    SetFittedText(ui->Co2Value, FullScreenSummary::co2Text(totalEnergy));
}

void FullScreenDialog::setTheMiniPlotDataX(const QVector<double>& x)
{
    plotX = x;
}

void FullScreenDialog::setTheMiniPlotDataYExtra(const QVector<double>& y)
{
    extraY = y;
    extraData = true;
    qCDebug(lcViews, "GOT %d EXTRA DATA", int(y.size()));
}

void FullScreenDialog::setTheMiniPlotExtraMax(unsigned short maximum)
{
    extraMax = maximum;
}

void FullScreenDialog::setTheMiniPlotExtraLabel(const QString& label)
{
    extraLabel = label;
}

void FullScreenDialog::setTheMiniPlotDataY(const QVector<double>& y, double nominalW)
{
    using namespace FullScreenSummary;
    QCustomPlot* plot = ui->MiniPlot;
    const QDate today = QDate::currentDate();
    plotX = timeAxis(plotX.size(), today);
    qCDebug(lcViews, "PLANT POWER = %.2fKW", nominalW / 1000.0);

    // Only the points that have a time are drawn.
    const QVector<double> power = y.mid(0, std::min(plotX.size(), y.size()));
    const QVector<double> extra = extraY.mid(0, std::min(plotX.size(), extraY.size()));

    const double start = dayStart(today);
    static_cast<QCPAxisTickerDateTime*>(plot->xAxis->ticker().data())->setTickOrigin(start);
    plot->xAxis->setRange(start, start + AxisSeconds);
    plot->yAxis->setRange(0.0, powerAxisTop(nominalW, power));
    if (extraData) {
        qCDebug(lcViews, "Plotting Extra DATA");
        plot->yAxis2->setLabel(extraLabel);
        plot->yAxis2->setRange(0.0, extraAxisTop(extraMax, extra));
        plot->xAxis2->setRange(plot->xAxis->range());
        plot->xAxis2->setVisible(true);
        plot->yAxis2->setVisible(true);
    }

    if (powerGraph)
        plot->removeGraph(powerGraph);
    qCDebug(lcViews, "Plotting GRAPH...");
    powerGraph = plot->addGraph(plot->xAxis, plot->yAxis);
    powerGraph->setName("Graph");
    powerGraph->setPen(QPen(Qt::blue));
    QLinearGradient fill(0, 0, 0, 300);
    fill.setColorAt(0, Qt::yellow);
    fill.setColorAt(1, Qt::blue);
    powerGraph->setBrush(QBrush(fill));
    powerGraph->setData(plotX.mid(0, power.size()), power, true);

    if (!extraData) {
        qCDebug(lcViews, "No extra data!");
        plot->xAxis2->setVisible(false);
        plot->yAxis2->setVisible(false);
        if (extraGraph) {
            qCDebug(lcViews, "REMOVE OLD EXTRA DATA!1");
            plot->removeGraph(extraGraph);
            extraGraph = nullptr;
            qCDebug(lcViews, "REMOVE OLD EXTRA DATA!2");
        }
    } else {
        if (extraGraph)
            plot->removeGraph(extraGraph);
        extraGraph = plot->addGraph(plot->xAxis, plot->yAxis2);
        extraGraph->setName("Graphextra");
        extraGraph->setPen(QPen(Qt::yellow));
        extraGraph->setData(plotX.mid(0, extra.size()), extra, true);
    }

    plot->replot();
    plot->show();
    qCDebug(lcViews, "Replot...");
    extraData = false;
}

void FullScreenDialog::exitFullScreen()
{
    qCDebug(lcViews, "Hiding");
    hide();
}
