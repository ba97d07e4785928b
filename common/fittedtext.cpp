#include "fittedtext.h"

#include <QFontMetrics>
#include <QLabel>
#include <QVariant>

namespace {
const char* const BasePointSize = "veloraBasePointSize";
// The plant window and the tiles set most of their texts several times a
// second, mostly to the value already shown; laying the text out is the
// costly part. The label remembers what the last call was asked and what it
// left shown, and a call that changes neither is skipped.
const char* const FittedRequest = "veloraFittedRequest";
const char* const FittedShown = "veloraFittedShown";
const char* const FittedFont = "veloraFittedFont";

QString requestKey(const QLabel* label, const QString& text, int minPointSize)
{
    const QRect box = label->contentsRect();
    return QString::number(box.width()) + QLatin1Char('x') + QString::number(box.height()) +
           QLatin1Char('/') + QString::number(minPointSize) +
           (label->wordWrap() ? QLatin1String("/w/") : QLatin1String("/s/")) + text;
}

QString shownKey(const QLabel* label)
{
    return label->text() + QChar(0) + label->toolTip();
}

bool fitsIn(const QFont& font, const QString& text, const QRect& box, bool wrap)
{
    const QFontMetrics fm(font);
    const int flags = wrap ? int(Qt::TextWordWrap) : int(Qt::TextSingleLine);
    const QRect need = fm.boundingRect(QRect(0, 0, box.width(), 100000), flags, text);
    return need.width() <= box.width() && need.height() <= box.height();
}
void fitText(QLabel* label, const QString& text, int minPointSize)
{
    // Fonts given in pixels shrink in pixels, the others in points.
    QVariant base = label->property(BasePointSize);
    if (!base.isValid()) {
        const QFont f = label->font();
        base = f.pixelSize() > 0 ? -f.pixelSize() : f.pointSize();
        label->setProperty(BasePointSize, base);
    }
    const bool pixels = base.toInt() < 0;
    const int minSize = pixels ? (minPointSize * 4 + 2) / 3 : minPointSize;
    const QRect box = label->contentsRect();
    QFont font = label->font();
    auto setSize = [&font, pixels](int size) {
        if (pixels)
            font.setPixelSize(size);
        else
            font.setPointSize(size);
    };
    int size = qAbs(base.toInt());
    setSize(size);
    while (size > minSize && !fitsIn(font, text, box, label->wordWrap()))
        setSize(--size);
    if (label->font() != font)
        label->setFont(font);
    if (fitsIn(font, text, box, label->wordWrap())) {
        label->setText(text);
        label->setToolTip(QString());
        return;
    }
    label->setText(QFontMetrics(font).elidedText(text, Qt::ElideRight, box.width()));
    label->setToolTip(text);
}
} // namespace

bool textFits(const QWidget* widget, const QString& text, int width, int height, bool wrap)
{
    return fitsIn(widget->font(), text, QRect(0, 0, width, height), wrap);
}

void setFittedText(QLabel* label, const QString& text, int minPointSize)
{
    const QString request = requestKey(label, text, minPointSize);
    if (label->property(FittedRequest).toString() == request &&
        label->property(FittedShown).toString() == shownKey(label) &&
        label->property(FittedFont).value<QFont>() == label->font())
        return;
    fitText(label, text, minPointSize);
    label->setProperty(FittedRequest, request);
    label->setProperty(FittedShown, shownKey(label));
    label->setProperty(FittedFont, label->font());
}
