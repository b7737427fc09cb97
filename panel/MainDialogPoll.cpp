// The 500 ms poll: status read, every display of the window, change logging, loss of the
// device.
#include "panel/MainDialog.h"

#include "platform/Clock.h"
#include "platform/qt/Prompter.h"
#include "plot/MeterStatic.h"
#include "resources/Texts.h"
#include "session/SessionMessages.h"
#include "session/SetpointRules.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

struct SourceDisplay {
    int barMax; // mW
    const char* scales[3];
    texts::Text text;
    texts::Text changeMessage;
};

const SourceDisplay& sourceDisplay(PowerSource source) {
    static const SourceDisplay usb{
        1500, {"0.5", "1.0", "1.5"}, texts::SourceUsbHost, texts::LogSourceUsbHost};
    static const SourceDisplay adapter{
        6000, {"2.0", "4.0", "6.0"}, texts::SourceAdapter, texts::LogSourceAdapter};
    static const SourceDisplay idle{
        6000, {"2.0", "4.0", "6.0"}, texts::SourceAdapterIdle, texts::LogSourceAdapterIdle};
    switch (source) {
    case PowerSource::UsbHost:
        return usb;
    case PowerSource::AcAdapter:
        return adapter;
    default:
        return idle;
    }
}

} // namespace

void MainDialog::enableDeviceButtons(bool on) {
    setVoltageButton->setEnabled(on);
    setCurrentButton->setEnabled(on);
    outputButton->setEnabled(on);
}

void MainDialog::showLamp(bool on) {
    // Setting the same image again would repaint the button on every tick.
    if (lampShown && lampLit == on)
        return;
    lampLit = on;
    lampShown = true;
    outputButton->setIcon(QIcon(on ? onBitmap : offBitmap));
}

void MainDialog::setPowerBar(int milliwatts) {
    // The bar shows its position clamped to its range: an overload fills it.
    powerBar->setValue(std::clamp(milliwatts, powerBar->minimum(), powerBar->maximum()));
}

void MainDialog::showSourceDisplay(PowerSource source) {
    const SourceDisplay& d = sourceDisplay(source);
    for (int k = 0; k < 3; ++k)
        scaleLabels[k]->setText(QString::fromUtf8(d.scales[k]));
    powerBar->setRange(0, d.barMax);
    sourceText->setText(QString::fromUtf8(d.text.c_str()));
}

void MainDialog::showSetpoints() {
    voltageEdit->setText(
        QString::fromStdString(SetpointRules::formatVolts(session_->voltageSetpoint())));
    currentEdit->setText(
        QString::fromStdString(SetpointRules::formatAmps(session_->currentSetpoint())));
    refreshRejectHighlight();
}

void MainDialog::OnTimer() {
    if (!session_->connected()) {
        voltageMeter->setText(QStringLiteral("--.--"));
        currentMeter->setText(QStringLiteral("-.---"));
        powerBar->setValue(powerBar->minimum());
        enableDeviceButtons(false);
        // A log waiting for the device to come back goes on, and may still be stopped.
        const bool waiting = session_->reconnecting();
        if (!waiting)
            endMeasurementLog();
        logButton->setEnabled(waiting && session_->measurementLogRunning());
        session_->poll(); // an attempt to reconnect when one is due
        return;
    }

    enableDeviceButtons(true);
    logButton->setEnabled(true);
    session_->poll();
}

void MainDialog::onStatus(const DeviceStatus& status) {
    if (status.outputOn) {
        showLamp(true);
        cvLabel->setEnabled(!status.constantCurrent);
        ccLabel->setEnabled(status.constantCurrent);
    } else {
        showLamp(false);
        cvLabel->setEnabled(false);
        ccLabel->setEnabled(false);
    }
    voltageMeter->setText(QString::fromStdString(SetpointRules::formatVolts(status.voltage)));
    currentMeter->setText(QString::fromStdString(SetpointRules::formatAmps(status.current)));
    showSourceDisplay(status.source);
}

void MainDialog::onOutputChanged(bool on) {
    AppendSystemLog(on ? texts::LogOutputOnAtDevice.str() : texts::LogOutputOffAtDevice.str());
}

void MainDialog::onSourceChanged(PowerSource source) {
    AppendSystemLog(sourceDisplay(source).changeMessage.str());
}

void MainDialog::onSetpointsChanged(session::SetpointOrigin origin) {
    // The operator's own entries are already in the fields, rejected ones included.
    if (origin != session::SetpointOrigin::Operator)
        showSetpoints();
}

void MainDialog::showConfirmedOutput() {
    // The lamp shows what the device confirmed, never what was asked for.
    const bool on = session_->status().outputOn != 0;
    showLamp(on);
    if (!on) {
        cvLabel->setEnabled(false);
        ccLabel->setEnabled(false);
    }
}

void MainDialog::onTrip(const session::Trip& trip) {
    // The session has sent the off command; the lamp follows once the device confirmed it.
    showConfirmedOutput();
    AppendSystemLog(session::tripMessage(trip));
}

void MainDialog::onOutputSwitchedOffAgain(bool latched, DeviceResult result) {
    showConfirmedOutput();
    AppendSystemLog(session::offAgainMessage(latched, result));
}

void MainDialog::onReading(const session::Reading& reading) {
    // Product first, then milliwatts, truncated toward zero; a value beyond int fills the bar.
    double mw = std::trunc(reading.volts * reading.amps * 1000);
    setPowerBar(static_cast<int>(std::clamp(mw, -1e9, 1e9)));
    feedPlot(reading.volts, reading.amps);
    refreshRejectHighlight();
}

void MainDialog::onDeviceLost(bool reconnecting) {
    connectButton->setText(QString::fromUtf8(texts::ButtonConnect.c_str()));
    AppendSystemLog(texts::LogDeviceLost.str());
    // While the session reconnects by itself, nobody has to confirm anything.
    if (!reconnecting)
        platform::prompter().messageBox(this, texts::LogDeviceLost.str(), texts::CaptionError.str(),
                                        platform::PromptIcon::Stop, platform::PromptButtons::Ok);
}
