#pragma once
// Texts that must be read whole in a fixed-size label: the font shrinks,
// from the label's own size down to a floor, until the text fits the label
// (over several lines when the label wraps words). A text that does not fit
// even at the floor is elided, and the label's tooltip carries it whole.

#include <QString>

class QLabel;
class QWidget;

// Shows `text` in `label` at the largest size, from the size the label had at
// its first call down to `minPointSize` (its pixel equivalent for a font
// given in pixels), at which it fits.
void setFittedText(QLabel* label, const QString& text, int minPointSize = 8);

// True when `text` fits `width` × `height` pixels in the widget's font (over
// several lines when `wrap` is set).
bool textFits(const QWidget* widget, const QString& text, int width, int height, bool wrap);
