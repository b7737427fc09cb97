// The CSV measurement log of the window: button 7 and the line of every poll.
#include "panel/MainDialog.h"

#include "logs/LogFileDialog.h"
#include "platform/Clock.h"
#include "resources/Texts.h"

#include <QPushButton>

void MainDialog::OnLogButton() {
    if (measurementLog.running()) {
        measurementLog.close();
        AppendSystemLog(texts::LogCsvStopped);
        logButton->setText(QString::fromUtf8(texts::ButtonLogStart));
        return;
    }
    auto choice = chooseLogFile(this, csvInterval, csvAppend != 0);
    if (!choice)
        return;
    // The poll goes on under the chooser and may have lost the device meanwhile: then no file
    // is emptied for a log that could never write a line.
    if (!connected) {
        AppendSystemLog(texts::LogCsvNotConnected);
        return;
    }
    csvInterval = choice->interval;
    csvAppend = choice->append ? 1 : 0;
    if (measurementLog.open(choice->path, csvAppend != 0, csvInterval)) {
        AppendSystemLog(texts::LogCsvStarted);
        logButton->setText(QString::fromUtf8(texts::ButtonLogStop));
    } else {
        AppendSystemLog(texts::LogCsvOpenFailed);
    }
}

void MainDialog::WriteMeasurementLine() {
    const MeasurementReading reading{voltageSetpoint, currentSetpoint,        status.voltage,
                                     status.current,  status.constantCurrent, status.outputOn};
    if (measurementLog.write(platform::now(), reading) == MeasurementLog::WriteResult::Failed) {
        // A log that can no longer write must not look as if it runs.
        logButton->setText(QString::fromUtf8(texts::ButtonLogStart));
        AppendSystemLog(texts::LogCsvWriteFailed);
    }
}

void MainDialog::endMeasurementLog() {
    if (!measurementLog.running())
        return;
    measurementLog.close();
    logButton->setText(QString::fromUtf8(texts::ButtonLogStart));
}
