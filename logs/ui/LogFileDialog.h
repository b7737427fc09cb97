#pragma once

#include <QFileDialog>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;

// The save chooser of the CSV log: Qt's own file dialog with the interval list and the
// append box below the file list. The caller sets `interval` and `append` before showing
// it; when it ends, with OK or Cancel, they hold what the controls show, and the caller
// takes them only after OK.
class LogFileDialog : public QFileDialog {
    Q_OBJECT
public:
    enum ControlId { IdInterval = 1046, IdAppend = 1047 };

    explicit LogFileDialog(QWidget* parent = nullptr);

    int interval = 1; // seconds
    int append = 0;

    void done(int result) override;

    // Item of the interval list for a number of seconds ("1秒" for any other value), and
    // back.
    static int itemForSeconds(int seconds);
    static int secondsForItem(int item);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* intervalList_;
    QCheckBox* appendBox_;
};

// What the operator chose for a new CSV log.
struct LogFileChoice {
    std::string path;
    int interval = 1;
    bool append = false;
};

// Shows the chooser with the given choices preselected; nothing when it was cancelled.
// Tests replace it so that no person is needed.
using LogFileChooser =
    std::function<std::optional<LogFileChoice>(QWidget* parent, int interval, bool append)>;
std::optional<LogFileChoice> chooseLogFile(QWidget* parent, int interval, bool append);
void setLogFileChooserForTest(LogFileChooser chooser);
