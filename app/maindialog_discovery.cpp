// Discovery of the local plant's equipments over UDP.
#include "maindialog.h"

void MainDialog::scanTimerF() {}

void MainDialog::broadcastDatagram() {}

void MainDialog::readPendingDatagrams() {}
