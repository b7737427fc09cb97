#pragma once

#include "measurement/MeasurementWindow.h"
#include "sequence/Runner.h"
#include "sequence/Sequence.h"
#include "session/SessionObserver.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTableWidgetItem;
class SequenceDriver;
class SequencePreview;

// The sequence page: a table of steps to edit (add, remove, move, cells checked as they are
// typed), load and save as CSV, repeat and stop conditions, the preview of the plan against
// the present source's power, start, pause, resume and abort with the running step shown and
// its time left, and the charge profiles. It works the main window's SequenceDriver, whose
// timer runs the steps; a run started elsewhere (a remote client) shows here as well.
class SequencePage : public QWidget, private session::SessionObserver {
    Q_OBJECT
public:
    enum Column { ColumnVolts = 0, ColumnAmps, ColumnSeconds, ColumnLinear, Columns };

    SequencePage(SequenceDriver& driver, session::MeasurementSession& session,
                 MeasurementWindow::LogFunction log, QWidget* parent = nullptr);
    ~SequencePage() override;

    sequence::Runner& runner();
    // The table's steps, or nothing when a cell holds no valid value.
    std::optional<std::vector<sequence::Step>> steps() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* createTable();
    QWidget* createRunControls();
    QWidget* createCharge();
    void addStep();
    void removeStep();
    void moveStep(int by);
    void setRow(int row, const sequence::Step& step);
    void cellEdited(QTableWidgetItem* item);
    // The problem of a cell's text, empty when it holds a valid value.
    std::string cellProblem(int row, int column) const;
    // False, with the first bad cell named, when a cell holds no valid value.
    bool cellsValid();
    void loadSteps();
    void saveSteps();
    void start();
    void startCharge();
    void pauseOrResume();
    void abort();
    void refused(const std::string& message, int row = -1);
    void showState();
    void refreshPreview();
    void highlightRow(int row);
    // While a run started elsewhere (a remote client) goes, the table shows its steps in
    // place of the local rows, which are kept aside whole and come back when it ends.
    void showStepsOfRunElsewhere(bool elsewhere);

    void onReading(const session::Reading& reading) override;
    void onSourceChanged(PowerSource source) override;
    void onConnected(bool automatic) override;

    SequenceDriver& driver_;
    session::MeasurementSession& session_;
    MeasurementWindow::LogFunction log_;
    // The start of the run this page made, and whether it runs the table's rows (which are
    // then highlighted) or a charge.
    std::optional<std::int64_t> pageRunStart_;
    bool tableRun_ = false;
    bool runFromHere() const;
    bool editing_ = false;
    int highlighted_ = -1;
    std::optional<std::int64_t> shownRunStart_; // the run elsewhere whose steps are shown
    std::vector<std::vector<std::unique_ptr<QTableWidgetItem>>> localRows_;
    int localCurrentRow_ = -1;
    QWidget* watchedWindow_ = nullptr;

    QTableWidget* table_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QPushButton* load_ = nullptr;
    QPushButton* save_ = nullptr;
    QSpinBox* repeat_ = nullptr;
    QCheckBox* endless_ = nullptr;
    QCheckBox* belowOn_ = nullptr;
    QLineEdit* belowAmps_ = nullptr;
    QLineEdit* belowSeconds_ = nullptr;
    QCheckBox* aboveOn_ = nullptr;
    QLineEdit* aboveVolts_ = nullptr;
    QCheckBox* afterOn_ = nullptr;
    QLineEdit* afterSeconds_ = nullptr;
    QCheckBox* chargeOn_ = nullptr;
    QLineEdit* chargeAh_ = nullptr;
    QCheckBox* outputOn_ = nullptr;
    QCheckBox* keepOn_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* abort_ = nullptr;
    QLabel* state_ = nullptr;
    SequencePreview* preview_ = nullptr;
    QComboBox* chemistry_ = nullptr;
    QSpinBox* cells_ = nullptr;
    QLineEdit* capacity_ = nullptr;
    QLineEdit* rate_ = nullptr;
    QLineEdit* termination_ = nullptr;
    QLineEdit* maxTime_ = nullptr;
    QPushButton* startCharge_ = nullptr;
};
