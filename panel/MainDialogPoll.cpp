// The 500 ms poll: status read, every display of the window, change logging, loss of the
// device.
#include "panel/MainDialog.h"

#include "panel/SetpointRules.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "plot/MeterStatic.h"
#include "resources/Texts.h"

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
    const char* text;
    const char* changeMessage;
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
    sourceText->setText(QString::fromUtf8(d.text));
}

void MainDialog::showSetpoints() {
    voltageEdit->setText(QString::fromStdString(SetpointRules::formatVolts(voltageSetpoint)));
    currentEdit->setText(QString::fromStdString(SetpointRules::formatAmps(currentSetpoint)));
    refreshRejectHighlight();
}

void MainDialog::loseDevice() {
    // The flag falls before the box opens: the ticks that run under the box take the
    // disconnected branch and show no second box.
    connected = false;
    SupplyDevice::disconnect();
    connectButton->setText(QString::fromUtf8(texts::ButtonConnect));
    AppendSystemLog(texts::LogDeviceLost);
    platform::prompter().messageBox(this, texts::LogDeviceLost, texts::CaptionError,
                                    platform::PromptIcon::Stop, platform::PromptButtons::Ok);
}

void MainDialog::OnTimer() {
    if (!connected) {
        voltageMeter->setText(QStringLiteral("--.--"));
        currentMeter->setText(QStringLiteral("-.---"));
        powerBar->setValue(powerBar->minimum());
        enableDeviceButtons(false);
        endMeasurementLog();
        logButton->setEnabled(false);
        return;
    }

    enableDeviceButtons(true);
    logButton->setEnabled(true);
    if (SupplyDevice::readStatus(status) != DeviceResult::Ok) {
        loseDevice();
        return;
    }
    if (settings.offsetAtt())
        status.current = status.current - status.voltage * DividerAmpsPerVolt;

    if (status.outputOn) {
        showLamp(true);
        cvLabel->setEnabled(!status.constantCurrent);
        ccLabel->setEnabled(status.constantCurrent);
    } else {
        showLamp(false);
        cvLabel->setEnabled(false);
        ccLabel->setEnabled(false);
    }

    if (lastOutputOn && !status.outputOn)
        AppendSystemLog(texts::LogOutputOffAtDevice);
    else if (!lastOutputOn && status.outputOn)
        AppendSystemLog(texts::LogOutputOnAtDevice);
    lastOutputOn = status.outputOn;

    voltageMeter->setText(QString::fromStdString(SetpointRules::formatVolts(status.voltage)));
    currentMeter->setText(QString::fromStdString(SetpointRules::formatAmps(status.current)));

    showSourceDisplay(status.source);
    if (status.source != lastSource) {
        AppendSystemLog(sourceDisplay(status.source).changeMessage);
        if (status.source == PowerSource::UsbHost) {
            if (SupplyDevice::readSetpoint(&voltageSetpoint, &currentSetpoint) !=
                DeviceResult::Ok) {
                loseDevice();
                return;
            }
            showSetpoints();
        }
        lastSource = status.source;
    }

    // Product first, then milliwatts, truncated toward zero; a value beyond int fills the bar.
    double mw = std::trunc(status.voltage * status.current * 1000);
    setPowerBar(static_cast<int>(std::clamp(mw, -1e9, 1e9)));

    feedPlot(status.voltage, status.current);
    refreshRejectHighlight();
    WriteMeasurementLine();
}
