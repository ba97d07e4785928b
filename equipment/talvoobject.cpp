#include "talvoobject.h"

#include "invbutton.h"

TalvoObject::TalvoObject(InvButton* owner) : QLabel(owner), tile(owner)
{
    setCursor(Qt::PointingHandCursor);
}

void TalvoObject::mousePressEvent(QMouseEvent*)
{
    if (!tile->getTheEnabledButtonsFlag())
        return;
    tile->InvClicked();
    emit clicked();
}
