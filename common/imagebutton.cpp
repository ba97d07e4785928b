#include "imagebutton.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>

namespace {
// Dims a disabled image button, so that it never looks pressable: the style
// sheet shows the same picture in every state, and Qt does not grey a
// background image by itself.
class DimWhenDisabled : public QObject
{
public:
    explicit DimWhenDisabled(QAbstractButton* button) : QObject(button)
    {
        setObjectName(Name);
        apply(button);
    }
    static constexpr const char* Name = "veloraDimWhenDisabled";

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::EnabledChange)
            apply(static_cast<QWidget*>(watched));
        return false;
    }

private:
    static void apply(QWidget* button)
    {
        if (button->isEnabled()) {
            button->setGraphicsEffect(nullptr);
        } else if (!button->graphicsEffect()) {
            auto* dim = new QGraphicsOpacityEffect(button);
            dim->setOpacity(DisabledOpacity);
            button->setGraphicsEffect(dim);
        }
    }
};
} // namespace

void styleImageButton(QAbstractButton* button, const QString& normal, const QString& hover,
                      const QString& pressed, ImageFit fit)
{
    const QString sel = QString(button->metaObject()->className()) + "#" + button->objectName();
    const QString property = fit == ImageFit::Scaled ? "image" : "background-image";
    button->setStyleSheet(
        QString("%1 { background-color: transparent; border: none; background-repeat: no-repeat; "
                "%2: url(%3); }\n"
                "%1:hover { %2: url(%4); }\n"
                "%1:pressed { %2: url(%5); }\n"
                "%1:disabled { %2: url(%3); }")
            .arg(sel, property, normal, hover, pressed.isEmpty() ? normal : pressed));
    if (!button->findChild<QObject*>(DimWhenDisabled::Name, Qt::FindDirectChildrenOnly))
        button->installEventFilter(new DimWhenDisabled(button));
}
