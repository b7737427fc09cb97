#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QShowEvent;
class QTimer;
class Settings;

// The settings dialog (layout 141, "設定"): shows the live settings, scans the COM ports for
// the device, offers a chooser for the system-log file, and on OK stores the six values in
// the live settings and the INI file. Cancel stores nothing. Every time it is shown it starts
// again from the live values. While the main window's link keeps SCAN disabled, the dialog
// watches the link and enables SCAN once the link is closed (the main window's poll goes on
// under the dialog and closes the link when the device is lost).
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    enum ControlId {
        IdOk = 1,
        IdCancel = 2,
        IdSysLogFileName = 1000,
        IdComPort = 1021,
        IdBrowse = 1026,
        IdUseSysLogFile = 1033,
        IdOffsetAtt = 1035,
        IdConnectAtStart = 1043,
        IdPlotSpan = 1050,
        IdScan = 1051,
    };

    explicit SettingsDialog(Settings& settings, QWidget* parent = nullptr);

    // Fills the controls from the live settings; runs each time the dialog is shown.
    void OnInitDialog();
    void OnOK();
    void OnScan();
    void OnBrowse();

    // How often the held link is looked at while SCAN waits for it to close.
    static constexpr int LinkWatchMs = 200;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnLinkWatch();

    Settings& settings_;
    QTimer* linkWatch_;
    QComboBox* comPort_;
    QPushButton* scan_;
    QCheckBox* connectAtStart_;
    QComboBox* plotSpan_;
    QCheckBox* useSysLogFile_;
    QLineEdit* sysLogFileName_;
    QPushButton* browse_;
    QCheckBox* offsetAtt_;
};
