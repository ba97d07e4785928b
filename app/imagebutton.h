#pragma once
// Flat image buttons of the console's windows: transparent, no border, one
// background image per state.

#include <QAbstractButton>
#include <QString>

void styleImageButton(QAbstractButton* button, const QString& normal, const QString& hover,
                      const QString& pressed = QString());
