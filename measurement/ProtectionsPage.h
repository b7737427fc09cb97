#pragma once

#include "measurement/MeasurementWindow.h"
#include "session/Protections.h"
#include "session/SessionObserver.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace session {
class MeasurementSession;
}

// The three protections (enabled, level, the over-current delay), their trip states with a
// clear button each, and the automatic reconnection. "Apply" checks every entry, hands them
// to the session and keeps them in Quorel.ini; an entry out of range is refused as a whole.
class ProtectionsPage : public QWidget, private session::SessionObserver {
    Q_OBJECT
public:
    ProtectionsPage(session::MeasurementSession& session, const Settings& settings,
                    MeasurementWindow::LogFunction log, QWidget* parent = nullptr);
    ~ProtectionsPage() override;

private:
    struct Row {
        QCheckBox* enabled = nullptr;
        QLineEdit* level = nullptr;
        QLabel* state = nullptr;
        QPushButton* clear = nullptr;
    };
    void onTrip(const session::Trip& trip) override;
    void onConnected(bool automatic) override;
    void onProtectionsChanged() override;
    void showSettings();
    void showStates();
    void apply();
    void clear(session::ProtectionKind kind);
    void mark(QLineEdit* field, bool refused);

    session::MeasurementSession& session_;
    const Settings& settings_;
    MeasurementWindow::LogFunction log_;
    Row rows_[session::ProtectionKinds];
    QLineEdit* delay_ = nullptr;
    QCheckBox* autoReconnect_ = nullptr;
    QPushButton* applyButton_ = nullptr;
};
