#include "tpxsynopticview.h"

#include "imagebutton.h"
#include "tpxblocks.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVariant>
#include <QWidget>

using TpxSynoptic::Bar;

namespace {
// Each label keeps the name of the image it shows in this property.
const char* const ImageProperty = "image";
} // namespace

TpxSynopticView::TpxSynopticView(QWidget* tile) : QObject(tile), tile(tile)
{
    // Segments first, so the images created after them stack above them.
    inputLine = addBar("tpxInputLine", 43, 80, 40, 10);
    rectifierInverterLine = addBar("tpxRectifierInverterLine", 110, 80, 81, 10);
    batteryLine = addBar("tpxBatteryLine", 145, 84, 10, 41);
    bypassInputLine = addBar("tpxBypassInputLine", 43, 40, 154, 10);
    bypassLine = addBar("tpxBypassLine", 198, 40, 70, 10);
    bypassDrop = addBar("tpxBypassDrop", 268, 49, 10, 31);
    inverterOutputLine = addBar("tpxInverterOutputLine", 210, 80, 58, 10);
    outputLine = addBar("tpxOutputLine", 278, 80, 20, 10);

    rectifier = addImage("tpxRectifier", 80, 66, 35, 35, ":/raddr_nero.png");
    inverter = addImage("tpxInverter", 180, 66, 35, 35, ":/inv_nero.png");
    battery = addImage("tpxBattery", 132, 110, 35, 35, ":/batt_nero.png");
    bypass = addImage("tpxBypass", 180, 28, 35, 35, ":/byp_nero.png");
    inputArrow = addImage("tpxInputArrow", 42, 80, 10, 10, ":/TriangoloBianco.png");
    batteryJoint = addImage("tpxBatteryJoint", 146, 86, 8, 19, ":/AU.png");
    bypassArrow = addImage("tpxBypassArrow", 42, 40, 10, 10, ":/TriangoloBianco.png");
    bypassCorner = addImage("tpxBypassCorner", 268, 40, 10, 10, ":/L_DOWN_G.png");
    outputJunction = addImage("tpxOutputJunction", 268, 80, 10, 10, QString());
    outputArrow = addImage("tpxOutputArrow", 298, 80, 10, 10, ":/TriangoloGrigio.png");

    inputLoad = addValue("tpxInputLoad", 30, 96, 41, 20);
    batteryCapacity = addValue("tpxBatteryCapacity", 97, 120, 31, 16);
    outputLoad = addValue("tpxOutputLoad", 250, 96, 51, 20);
    ratedPower = addValue("tpxRatedPower", 280, 40, 71, 31);

    buttonMeas = new QPushButton(tile);
    buttonMeas->setObjectName("ButtonMeas");
    buttonMeas->setGeometry(304, 130, 30, 30);
    buttonMeas->setFocusPolicy(Qt::NoFocus);
    buttonMeas->setFlat(true);
    buttonMeas->setIconSize(QSize(30, 30));
    buttonMeas->setToolTip("View live values");
    styleImageButton(buttonMeas, ":/myGauge.png", ":/myGaugeG.png", ":/myGauge.png", ImageFit::Scaled);
    buttonMeas->hide();
    objects.append(buttonMeas);
    connect(buttonMeas, &QPushButton::clicked, this, &TpxSynopticView::measuresClicked);

    apply(TpxSynoptic::initialLook());
}

TpxSynopticView::~TpxSynopticView()
{
    for (const QPointer<QWidget>& w : qAsConst(objects))
        delete w.data();
}

QLabel* TpxSynopticView::addImage(const char* objectName, int x, int y, int w, int h, const QString& image)
{
    auto* l = new QLabel(tile);
    l->setObjectName(objectName);
    l->setGeometry(x, y, w, h);
    l->setScaledContents(true);
    setImage(l, image);
    l->hide();
    images.append(l);
    objects.append(l);
    return l;
}

QLabel* TpxSynopticView::addBar(const char* objectName, int x, int y, int w, int h)
{
    auto* l = new QLabel(tile);
    l->setObjectName(objectName);
    l->setGeometry(x, y, w, h);
    l->hide();
    objects.append(l);
    return l;
}

QLabel* TpxSynopticView::addValue(const char* objectName, int x, int y, int w, int h)
{
    auto* l = new QLabel(QStringLiteral("---"), tile);
    l->setObjectName(objectName);
    l->setGeometry(x, y, w, h);
    l->setAlignment(Qt::AlignCenter);
    QFont f = l->font();
    f.setPixelSize(11);
    f.setWeight(QFont::Bold);
    l->setFont(f);
    l->hide();
    objects.append(l);
    return l;
}

void TpxSynopticView::setImage(QLabel* label, const QString& image)
{
    const QVariant shown = label->property(ImageProperty);
    if (shown.isValid() && shown.toString() == image)
        return;
    label->setProperty(ImageProperty, image);
    if (image.isEmpty())
        label->clear();
    else
        label->setPixmap(QPixmap(image));
}

void TpxSynopticView::setBar(QLabel* label, Bar bar)
{
    const QString style = TpxSynoptic::barStyle(bar);
    if (label->styleSheet() != style)
        label->setStyleSheet(style);
}

void TpxSynopticView::show()
{
    setImage(batteryJoint, QString());
    for (const QPointer<QWidget>& w : qAsConst(objects))
        w->show();
    for (QLabel* l : qAsConst(images))
        l->raise();
    shown = true;
}

void TpxSynopticView::hide()
{
    for (const QPointer<QWidget>& w : qAsConst(objects))
        w->hide();
    shown = false;
}

void TpxSynopticView::apply(const TpxSynoptic::Look& look)
{
    setImage(rectifier, look.rectifier);
    setImage(inverter, look.inverter);
    setImage(battery, look.battery);
    setImage(bypass, look.bypass);
    setBar(inputLine, look.input);
    setBar(rectifierInverterLine, look.rectifierInverter);
    setBar(batteryLine, look.batteryLine);
    setBar(bypassInputLine, look.bypassInput);
    setBar(bypassLine, look.bypassLine);
    setBar(bypassDrop, look.bypassDrop);
    setBar(inverterOutputLine, look.inverterOutput);
    setBar(outputLine, look.output);
    setImage(bypassCorner, look.bypassCorner);
    setImage(outputJunction, look.junction);
    setBar(outputJunction, look.junctionBar);
    setImage(outputArrow, look.outputArrow);
}

void TpxSynopticView::setValues(const TpxSynoptic::Values& values)
{
    ratedPower->setText(values.ratedPower);
    batteryCapacity->setText(values.batteryCapacity);
    outputLoad->setText(values.outputLoad);
    inputLoad->setText(values.inputLoad);
}

void TpxSynopticView::refresh(const unsigned short* blockA, const unsigned short* blockB,
                              const unsigned short* blockC)
{
    greyed = false;
    apply(TpxSynoptic::look(blockA, blockC));
    setValues(TpxSynoptic::values(blockB));
}

void TpxSynopticView::showDisconnected()
{
    greyed = true;
    setImage(batteryJoint, QString());
    apply(TpxSynoptic::disconnectedLook());
}

void TpxSynopticView::clearValues()
{
    setValues(TpxSynoptic::unknownValues());
}

void TpxSynopticView::blink(const unsigned short* blockA)
{
    if (!shown || greyed)
        return;
    const bool on = TpxSynoptic::BlinkPhase::shared().next(TpxSynoptic::BlinkPhase::monotonicMs());
    setImage(batteryJoint, on ? TpxSynoptic::batteryDirectionImage(blockA) : QString());
}

void TpxSynopticView::setMeasuresButtonEnabled(bool on)
{
    buttonMeas->setEnabled(on);
}
