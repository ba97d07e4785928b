#include "probebutton.h"

#include "probes.h"

#include <QAbstractButton>

namespace ProbeButton {

int GetNumberOfProbesConfigured(QAbstractButton* button, unsigned short mask, bool zetaOnLegacyProtocol)
{
    const int count = probes::GetNumberOfProbesConfigured(mask, zetaOnLegacyProtocol);
    button->setVisible(count > 0);
    return count;
}

void SetStylesheetForProbeButton(QAbstractButton* button, int selected, int count)
{
    const QString sheet = probes::probeButtonStyleSheet(selected, count);
    if (button->styleSheet() != sheet)
        button->setStyleSheet(sheet);
}

void SetProbesIconAccordingly(QAbstractButton* button, unsigned short mask, bool zetaOnLegacyProtocol,
                              int chosenProbe)
{
    SetStylesheetForProbeButton(button, chosenProbe != 0,
                                GetNumberOfProbesConfigured(button, mask, zetaOnLegacyProtocol));
}

} // namespace ProbeButton
