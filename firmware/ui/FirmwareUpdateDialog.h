#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class TransferProgressDialog;

// Lets the operator pick a firmware HEX file and replace the device's firmware through its
// boot-loader on the port the main window uses. The port cannot be changed here.
class FirmwareUpdateDialog : public QDialog {
    Q_OBJECT

public:
    enum ControlId {
        IdPort = 1064,
        IdFile = 1062,
        IdBrowse = 1061,
        IdUpdate = 1,
        IdCancel = 2,
    };

    explicit FirmwareUpdateDialog(QWidget* parent = nullptr);

    void setPortName(const std::string& port) { portName_ = port; }
    const std::string& portName() const { return portName_; }
    const std::string& filePath() const { return filePath_; }

    // The whole update (UpdateProcedure) with the progress window while the blocks go.
    // Reports in its own message boxes; closes the dialog with OK only on success.
    void runUpdate(const std::string& portName, const std::string& filePath);

signals:
    // Each run creates a fresh progress window; lets an observer follow it.
    void progressWindowCreated(TransferProgressDialog* window);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();
    void OnBrowse();
    void OnUpdate();
    void showError(const char* text);

    std::string portName_;
    std::string filePath_;
    bool initialised_ = false;
    QLineEdit* portEdit_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
};

// The main window's firmware-update command: shows the boot-loader start instructions and,
// when the operator confirms them, runs the update dialog modally on the given port.
void runFirmwareUpdateCommand(QWidget* parent, const std::string& comPort);
