#pragma once
// Flat image buttons of the console's windows: transparent, no border, one
// image per state, the rules written for the button's own object name.

#include <QAbstractButton>
#include <QString>

enum class ImageFit
{
    Background, // the image as the button's background, at its own size
    Scaled,     // the image scaled into the button, keeping its proportions
};

// Opacity of a disabled image button's picture.
constexpr double DisabledOpacity = 0.35;

// Styles the button; while it is disabled its picture is dimmed (and a
// disabled button never shows the hover picture).
void styleImageButton(QAbstractButton* button, const QString& normal, const QString& hover,
                      const QString& pressed = QString(), ImageFit fit = ImageFit::Background);
