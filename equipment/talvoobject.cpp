#include "talvoobject.h"

#include "invbutton.h"

#include <QDebug>

TalvoObject::TalvoObject(InvButton* owner) : QLabel(owner), tile(owner)
{
    setCursor(Qt::PointingHandCursor);
    connect(this, &TalvoObject::clicked, this, &TalvoObject::slotClicked);
}

void TalvoObject::slotClicked()
{
    qDebug("%s: icon of %s", "slotClicked", qPrintable(tile->GetRealIp()));
}

void TalvoObject::mousePressEvent(QMouseEvent*)
{
    if (!tile->getTheEnabledButtonsFlag())
        return;
    tile->InvClicked();
    emit clicked();
}
