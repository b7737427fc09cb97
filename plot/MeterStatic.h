#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QString>

// A large readout: one line of text in a 20-point Gothic face and a colour of its own, on the
// button-face colour. A disabled readout shows its text greyed whatever its colour, which is
// how the main window marks the regulation mode that is not active.
//
// The main window makes four of them (voltage, current, CV, CC), gives each its colour once
// and then sets their texts:
//     voltageMeter->setTextColor(QColor(0, 127, 0));
//     voltageMeter->setRightAligned(true);
//     voltageMeter->setClientEdge(true);
//     voltageMeter->setText("--.--");
class MeterStatic : public QFrame {
public:
    explicit MeterStatic(QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return text_; }
    void setTextColor(const QColor& color);
    const QColor& textColor() const { return textColor_; }
    // Left, right or centred; at the top or centred vertically. Left and top by default.
    void setAlignment(Qt::Alignment alignment);
    Qt::Alignment alignment() const { return alignment_; }
    // Text at the right edge (the right-aligned readouts) or the left.
    void setRightAligned(bool right);
    // A sunken two-pixel edge around the readout, or none.
    void setClientEdge(bool edge);

    const QFont& meterFont() const { return font_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QColor textColor_ = QColor(0, 0, 0);
    // The background keeps the button face of the moment the readout was made; the text
    // cells take the button face of each paint.
    QColor backgroundColor_;
    QFont font_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignTop;
};
