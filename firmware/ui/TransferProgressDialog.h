#pragma once

#include <QDialog>

class QLineEdit;
class QProgressBar;

// The window that shows, while the firmware blocks are sent, which word address is being
// written. It is modeless, has no close box and ignores Esc and close requests: only the
// update procedure that creates it may end it, by destroying it.
class TransferProgressDialog : public QDialog {
    Q_OBJECT

public:
    enum ControlId {
        IdProgress = 1067,
        IdAddress = 1065,
    };

    // Created hidden.
    explicit TransferProgressDialog(QWidget* parent = nullptr);

    void setRange(int low, int high);
    // Raises and shows the window, writes the address as "0x%04x" and moves the bar to it.
    void showAddress(int wordAddress);

    static QString addressText(int wordAddress);

signals:
    // After every showAddress, once the window shows the address.
    void addressShown(int wordAddress);

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QProgressBar* bar_ = nullptr;
    QLineEdit* address_ = nullptr;
};
