// The CSV measurement log of the window: button 7 and the line of every poll.
#include "panel/MainDialog.h"

void MainDialog::OnLogButton() {}

void MainDialog::WriteMeasurementLine() {}

void MainDialog::endMeasurementLog(bool) {}
