#include "imagebutton.h"

void styleImageButton(QAbstractButton* button, const QString& normal, const QString& hover,
                      const QString& pressed)
{
    const QString name = button->objectName();
    const QString cls = button->metaObject()->className();
    const QString sel = cls + "#" + name;
    button->setStyleSheet(
        QString("%1 { background-color: transparent; border: none; background-repeat: none; "
                "background-image: url(%2); }\n"
                "%1:hover { background-image: url(%3); }\n"
                "%1:pressed { background-image: url(%4); }")
            .arg(sel, normal, hover, pressed.isEmpty() ? normal : pressed));
}
