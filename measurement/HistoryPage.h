#pragma once

#include "history/HistoryStore.h"
#include "measurement/MeasurementWindow.h"
#include "session/SessionObserver.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class HistoryPlot;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace session {
class MeasurementSession;
}

// The history page: the session's readings since connect, or those of a CSV log opened from
// a file, drawn by HistoryPlot with its zoom, pan, cursors and hover readout; buttons to
// hide traces, show all, go live, open a log, go back to the session, and export what is
// shown as CSV (log form or ISO times), PNG or SVG.
class HistoryPage : public QWidget, private session::SessionObserver {
    Q_OBJECT
public:
    enum class ExportForm { CsvLog = 0, CsvIso = 1, Png = 2, Svg = 3 };

    HistoryPage(session::MeasurementSession& session, const history::HistoryStore& sessionHistory,
                MeasurementWindow::LogFunction log, QWidget* parent = nullptr);
    ~HistoryPage() override;

    // Reads a log and shows it; problems are told in a box. False when nothing could be shown.
    bool openFile(const std::string& path);
    bool showingFile() const { return fileStore_ != nullptr; }
    HistoryPlot* plot() const { return plot_; }

private:
    void onReading(const session::Reading& reading) override;
    void onConnected(bool automatic) override;
    void chooseFile();
    void showSession();
    void exportShown();
    void showReadouts();
    void showHover(std::optional<double> timeMs);
    void tell(const std::string& text, bool failure);
    double reachMs() const;

    session::MeasurementSession& session_;
    const history::HistoryStore& sessionHistory_;
    MeasurementWindow::LogFunction log_;
    std::unique_ptr<history::HistoryStore> fileStore_;

    HistoryPlot* plot_ = nullptr;
    QCheckBox* traces_[history::Quantities] = {};
    QCheckBox* cursors_ = nullptr;
    QPushButton* fit_ = nullptr;
    QPushButton* live_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* sessionButton_ = nullptr;
    QComboBox* exportForm_ = nullptr;
    QPushButton* export_ = nullptr;
    QLabel* source_ = nullptr;
    QLabel* hover_ = nullptr;
    QLabel* cursorReadout_[2] = {};
    QLabel* between_ = nullptr;
};
