#include "talvoobject.h"
#include "logging.h"

#include "invbutton.h"

TalvoObject::TalvoObject(InvButton* owner) : QLabel(owner), tile(owner)
{
    setCursor(Qt::PointingHandCursor);
    connect(this, &TalvoObject::clicked, this, &TalvoObject::slotClicked);
}

void TalvoObject::slotClicked()
{
    qCDebug(lcTile, "%s: icon of %s", "slotClicked", qPrintable(tile->GetRealIp()));
}

void TalvoObject::mousePressEvent(QMouseEvent*)
{
    if (!tile->getTheEnabledButtonsFlag())
        return;
    tile->InvClicked();
    emit clicked();
}
