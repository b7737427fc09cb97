#pragma once

#include "measurement/MeasurementWindow.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class RemoteService;

// The remote control: switched on or off, where it listens, whom it lets in, whether VXI-11
// is served and the supply announced on the network, and the clients connected now. "Apply" checks
// the address and the networks, keeps them in Quorel.ini and starts, stops or moves the server; an
// entry that cannot be used is refused as a whole, marked and logged.
class RemotePage : public QWidget {
    Q_OBJECT
public:
    RemotePage(RemoteService& service, MeasurementWindow::LogFunction log,
               QWidget* parent = nullptr);
    // Another server's section below (the HTTP server's).
    void addSection(QWidget* section);

private:
    void showSettings();
    void showState();
    void apply();
    void tell(const std::string& message);

    RemoteService& service_;
    MeasurementWindow::LogFunction log_;
    QCheckBox* enabled_ = nullptr;
    QLineEdit* listen_ = nullptr;
    QLineEdit* allow_ = nullptr;
    QCheckBox* vxi11_ = nullptr;
    QCheckBox* announce_ = nullptr;
    QLabel* state_ = nullptr;
    QListWidget* clients_ = nullptr;
    QPushButton* applyButton_ = nullptr;
};
