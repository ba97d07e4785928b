#pragma once
// The tile's probe button ("ButtonProbes"): shown when the equipment has
// probes, its picture telling how many and whether one is chosen.

class QAbstractButton;

namespace ProbeButton {

// Shows the button when the equipment has probes and hides it otherwise (a
// Zeta equipment on the legacy protocol always hides it); returns the count
// (0 for that Zeta equipment).
int GetNumberOfProbesConfigured(QAbstractButton* button, unsigned short mask, bool zetaOnLegacyProtocol);

// Pictures for count probes, one chosen when selected is not 0. The style
// sheet is set only when it changes (setting it re-polishes the button).
void SetStylesheetForProbeButton(QAbstractButton* button, int selected, int count);

// Visibility and pictures from the mask and the chosen probe (0 for none).
void SetProbesIconAccordingly(QAbstractButton* button, unsigned short mask, bool zetaOnLegacyProtocol,
                              int chosenProbe);

} // namespace ProbeButton
