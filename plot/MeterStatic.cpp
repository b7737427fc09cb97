#include "plot/MeterStatic.h"

#include "plot/Fonts.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

MeterStatic::MeterStatic(QWidget* parent)
    : QFrame(parent),
      backgroundColor_(QGuiApplication::palette().color(QPalette::Active, QPalette::Button)),
      font_(QString::fromUtf8(fonts::FixedGothic)) {
    font_.setPointSize(20);
    setFont(font_);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MeterStatic::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    update();
}

void MeterStatic::setTextColor(const QColor& color) {
    textColor_ = color;
    update();
}

void MeterStatic::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void MeterStatic::setRightAligned(bool right) {
    alignment_ &= ~Qt::AlignHorizontal_Mask;
    alignment_ |= right ? Qt::AlignRight : Qt::AlignLeft;
    update();
}

void MeterStatic::setClientEdge(bool edge) {
    setFrameStyle(edge ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
    setLineWidth(edge ? 2 : 0);
    update();
}

QSize MeterStatic::sizeHint() const {
    QFontMetrics metrics(font_);
    const int edge = 2 * frameWidth();
    return QSize(metrics.horizontalAdvance(text_) + edge, metrics.height() + edge);
}

void MeterStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), backgroundColor_);

    const QRect area = contentsRect();
    const QPalette palette = QGuiApplication::palette();
    QFontMetrics metrics(font_, this);
    const int width = metrics.horizontalAdvance(text_);
    int x = area.left();
    if (alignment_ & Qt::AlignRight)
        x = area.right() + 1 - width;
    else if (alignment_ & Qt::AlignHCenter)
        x = area.left() + (area.width() - width) / 2;
    int top = area.top();
    if (alignment_ & Qt::AlignVCenter)
        top = area.top() + (area.height() - metrics.height()) / 2;
    else if (alignment_ & Qt::AlignBottom)
        top = area.bottom() + 1 - metrics.height();
    // Opaque text: the cells behind the glyphs take today's button face.
    const QRect cell = QRect(x, top, width, metrics.height()).intersected(area);
    painter.fillRect(cell, palette.color(QPalette::Active, QPalette::Button));

    painter.save();
    painter.setClipRect(area);
    painter.setFont(font_);
    painter.setPen(isEnabled() ? textColor_
                               : palette.color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(x, top + metrics.ascent(), text_);
    painter.restore();

    drawFrame(&painter);
}
