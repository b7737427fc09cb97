#pragma once

#include <QDialog>

// The version box of the window's menu.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};
