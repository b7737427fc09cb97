#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// The small up-down control beside a set-point field. It keeps no value of its own: every
// press reports a step of +1 or -1 and the owner computes the field's new text from the
// field itself. The up and down keys in the attached field step as well.
class SpinArrows : public QWidget {
    Q_OBJECT
public:
    explicit SpinArrows(QWidget* parent = nullptr);

    void setBuddy(QLineEdit* buddy);
    QLineEdit* buddy() const { return buddy_; }
    void setRange(int lower, int upper);
    int lower() const { return lower_; }
    int upper() const { return upper_; }

    // Presses an arrow, as a click or a key would.
    void press(int step);

signals:
    void deltaPos(int step);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
    QLineEdit* buddy_ = nullptr;
    int lower_ = 0;
    int upper_ = 100;
};
