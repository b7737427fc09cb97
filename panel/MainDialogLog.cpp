// The CSV measurement log of the window: button 7 and the line of every poll.
#include "panel/MainDialog.h"

#include "logs/ui/LogFileDialog.h"
#include "resources/Texts.h"

#include <QPushButton>

void MainDialog::OnLogButton() {
    if (session_->measurementLogRunning()) {
        session_->stopMeasurementLog();
        AppendSystemLog(texts::LogCsvStopped.str());
        logButton->setText(QString::fromUtf8(texts::ButtonLogStart.c_str()));
        return;
    }
    auto choice = chooseLogFile(this, csvInterval, csvAppend != 0);
    if (!choice)
        return;
    // The poll goes on under the chooser and may have lost the device meanwhile: then no file
    // is emptied for a log that could never write a line.
    if (!session_->connected()) {
        AppendSystemLog(texts::LogCsvNotConnected.str());
        return;
    }
    csvInterval = choice->interval;
    csvAppend = choice->append ? 1 : 0;
    if (session_->startMeasurementLog(choice->path, csvAppend != 0, csvInterval)) {
        AppendSystemLog(texts::LogCsvStarted.str());
        logButton->setText(QString::fromUtf8(texts::ButtonLogStop.c_str()));
    } else {
        AppendSystemLog(texts::LogCsvOpenFailed.str());
    }
}

void MainDialog::onMeasurementLogFailed() {
    // A log that can no longer write must not look as if it runs.
    logButton->setText(QString::fromUtf8(texts::ButtonLogStart.c_str()));
    AppendSystemLog(texts::LogCsvWriteFailed.str());
}

void MainDialog::endMeasurementLog() {
    if (!session_->measurementLogRunning())
        return;
    session_->stopMeasurementLog();
    logButton->setText(QString::fromUtf8(texts::ButtonLogStart.c_str()));
}
