#pragma once

#include "measurement/MeasurementWindow.h"
#include "session/SessionObserver.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace session {
class MeasurementSession;
}

// Charge, energy and output-on time since the last reset, and the smallest, largest and
// mean voltage, current and power, refreshed by every poll.
class StatisticsPage : public QWidget, private session::SessionObserver {
    Q_OBJECT
public:
    StatisticsPage(session::MeasurementSession& session, MeasurementWindow::LogFunction log,
                   QWidget* parent = nullptr);
    ~StatisticsPage() override;

private:
    void onReading(const session::Reading& reading) override;
    void onConnected(bool automatic) override;
    void refresh();
    void reset();

    session::MeasurementSession& session_;
    MeasurementWindow::LogFunction log_;
    QLabel* charge_ = nullptr;
    QLabel* energy_ = nullptr;
    QLabel* onTime_ = nullptr;
    QLabel* table_[3][3] = {}; // voltage/current/power x min/max/mean
    QPushButton* resetButton_ = nullptr;
};
