#pragma once

#include "config/Settings.h"
#include "device/SupplyDevice.h"
#include "session/MeasurementSession.h"

#include <QDialog>
#include <QPixmap>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class HistoryPage;
class LogPane;
class MeasurementWindow;
class RemoteService;
class SequenceDriver;
class MeterStatic;
class SpinArrows;
class SystemLog;
class clPlot;

namespace history {
class HistoryRecorder;
class HistoryStore;
} // namespace history
namespace sequence {
class Runner;
}

// The one window of the program (layout 102): set-point entry, output switch, CSV log
// button, device connection, live readouts with the power bar, the history plot and the
// system log. It owns everything the operator works with and reaches the device only
// through its measurement session, whose events it turns into its displays, log lines and
// boxes. The handlers are split by concern over three files: start-up and connection, the
// poll, set-points and output switching.
class MainDialog : public QDialog, private session::SessionObserver {
    Q_OBJECT
public:
    enum ControlId {
        IdLogButton = 7,
        IdConnectButton = 6,
        IdSettingsButton = 5,
        IdPowerBar = 1001,
        IdVoltageMeter = 1004,
        IdCurrentMeter = 1005,
        IdCvLabel = 1006,
        IdCcLabel = 1007,
        IdVoltageEdit = 1009,
        IdCurrentEdit = 1010,
        IdDeriveCurrent = 1012,
        IdDeriveVoltage = 1013,
        IdVoltageSpin = 1023,
        IdCurrentSpin = 1024,
        IdSetVoltage = 1025,
        IdScale1 = 1029,
        IdScale2 = 1030,
        IdScale3 = 1031,
        IdSourceText = 1034,
        IdPortText = 1035,
        IdPlotFrame = 1039,
        IdLogPane = 1042,
        IdHistoryGroup = 1053,
        IdOutputButton = 1055,
        IdSetCurrent = 1060,
        IdPlot = 12000,
    };
    // Commands of the window's menu.
    enum MenuCommand {
        SysMenuFirmwareUpdate = 1,
        SysMenuMeasurement = 2,
        SysMenuAbout = 16,
        SysMenuClose = 0xF060
    };
    static constexpr int PollPeriodMs = session::PollPeriodMs;
    static constexpr int MaxLogPaneLines = 50000;
    static constexpr double DividerAmpsPerVolt = session::DividerAmpsPerVolt;

    explicit MainDialog(QWidget* parent = nullptr);
    ~MainDialog() override;

    // Runs the window: initialisation, then the modal loop until it is closed.
    int DoModal();
    bool OnInitDialog();

    // Handlers, named after the controls and messages that trigger them.
    void OnConnectButton();
    void OnSettingsButton();
    void OnSysCommand(int command);
    void OnTimer();
    void OnSetVoltage();
    void OnSetCurrent();
    void OnVoltageSpin(int step);
    void OnCurrentSpin(int step);
    void OnDeriveCurrentCheck();
    void OnDeriveVoltageCheck();
    void OnOutputButton();
    void OnLogButton();
    // A signal that would have ended the program (platform::endingSignals): a run ends at
    // once with the output off, then the window closes as by its close button.
    void EndOnSignal(int signal);

    // The one way any part of the window writes to the system log (UTF-8 text).
    void AppendSystemLog(const std::string& message);

    bool isConnected() const { return session_->connected(); }
    const Settings& liveSettings() const { return settings; }
    double voltageSetpointValue() const { return session_->voltageSetpoint(); }
    double currentSetpointValue() const { return session_->currentSetpoint(); }
    bool outputLampLit() const { return lampLit; }
    bool measurementLogRunning() const { return session_->measurementLogRunning(); }
    session::MeasurementSession& measurementSession() { return *session_; }
    // Opened from the menu; created on first use, kept while the window lives.
    MeasurementWindow* measurementWindow() const { return measurementWindow_; }
    // Every reading since the operator's connect, recorded whether or not a window shows it.
    const history::HistoryStore& sessionHistory() const;
    // The measurement window's history page; none before the window is first opened.
    HistoryPage* historyPage() const { return historyPage_; }
    // Opens the measurement window on the history page showing a CSV log.
    void OpenHistoryFile(const std::string& path);
    // The remote control, made at initialisation; it serves clients while [REMOTE] says so.
    RemoteService* remoteService() const { return remote_; }
    QObject* httpService() const { return http_; }
    // The one sequence runner of the window, for the sequence page and remote clients alike.
    sequence::Runner& sequenceRunner();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    // Names and descriptions for screen readers.
    void describeControls();
    void createMenu();
    void setupPlot();
    // The configured port in the Device box, shortened in the middle to fit.
    void showPortName();
    void showSourceDisplay(PowerSource source);
    void setPowerBar(int milliwatts);
    void showLamp(bool on);
    void refreshRejectHighlight();
    void applyDecision(bool voltageLeading);
    void showSetpoints();
    void enableDeviceButtons(bool on);
    void openMeasurementWindow();

    // Hooks of the poll for the history plot and the measurement log.
    void feedPlot(double volts, double amps);
    void clearPlot();
    void endMeasurementLog();

    // What the session reports, turned into the window's displays, log lines and boxes.
    void onUnfinishedRunSwitchedOff(const session::UnfinishedRun& run) override;
    void onConnected(bool automatic) override;
    void onDeviceLost(bool reconnecting) override;
    void onStatus(const DeviceStatus& status) override;
    void onOutputChanged(bool on) override;
    void onSourceChanged(PowerSource source) override;
    void onSetpointsChanged(session::SetpointOrigin origin) override;
    void onTrip(const session::Trip& trip) override;
    void onOutputSwitchedOffAgain(bool latched, DeviceResult result) override;
    void showConfirmedOutput();
    void onReading(const session::Reading& reading) override;
    void onMeasurementLogFailed() override;

    // --- the window's state ---
    QPixmap offBitmap;
    QPixmap onBitmap;
    int csvAppend = 0;
    int csvInterval = 1;
    std::unique_ptr<clPlot> plot;
    Settings settings;
    std::unique_ptr<session::MeasurementSession> session_;
    // After the session, so that it stops observing it before the session goes.
    std::unique_ptr<history::HistoryRecorder> historyRecorder_;
    std::unique_ptr<SequenceDriver> sequenceDriver_;
    bool lampLit = false;
    MeasurementWindow* measurementWindow_ = nullptr;
    HistoryPage* historyPage_ = nullptr;
    RemoteService* remote_ = nullptr;
    QObject* http_ = nullptr; // the HTTP server, where the build has one
    QObject* mqtt_ = nullptr; // MQTT, where the build has it
    std::vector<std::string> badSessionKeys_;
    std::vector<std::string> badDisplayKeys_;
    bool lampShown = false;

    // --- controls ---
    MeterStatic* cvLabel = nullptr;
    MeterStatic* ccLabel = nullptr;
    QProgressBar* powerBar = nullptr;
    MeterStatic* currentMeter = nullptr;
    MeterStatic* voltageMeter = nullptr;
    QLineEdit* voltageEdit = nullptr;
    QLineEdit* currentEdit = nullptr;
    SpinArrows* voltageSpin = nullptr;
    SpinArrows* currentSpin = nullptr;
    QCheckBox* deriveCurrent = nullptr;
    QCheckBox* deriveVoltage = nullptr;
    QPushButton* setVoltageButton = nullptr;
    QPushButton* setCurrentButton = nullptr;
    QPushButton* outputButton = nullptr;
    QPushButton* logButton = nullptr;
    QPushButton* connectButton = nullptr;
    QPushButton* settingsButton = nullptr;
    QLabel* portText = nullptr;
    QLabel* scaleLabels[3] = {nullptr, nullptr, nullptr};
    QLabel* sourceText = nullptr;
    QGroupBox* historyGroup = nullptr;
    QWidget* plotFrame = nullptr;
    LogPane* logPane = nullptr;
    QTimer* pollTimer = nullptr;
    std::unique_ptr<SystemLog> systemLog;
};
