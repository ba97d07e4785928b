#include "imagebutton.h"

void styleImageButton(QAbstractButton* button, const QString& normal, const QString& hover,
                      const QString& pressed, ImageFit fit)
{
    const QString sel = QString(button->metaObject()->className()) + "#" + button->objectName();
    const QString property = fit == ImageFit::Scaled ? "image" : "background-image";
    button->setStyleSheet(
        QString("%1 { background-color: transparent; border: none; background-repeat: no-repeat; "
                "%2: url(%3); }\n"
                "%1:hover { %2: url(%4); }\n"
                "%1:pressed { %2: url(%5); }")
            .arg(sel, property, normal, hover, pressed.isEmpty() ? normal : pressed));
}
