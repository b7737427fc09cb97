#include "resources/ui/Images.h"

#include <QPainter>

namespace images {

QPixmap lamp(bool on) {
    QImage img(28, 12, QImage::Format_RGB32);
    img.fill(QColor(192, 192, 192));
    QPainter p(&img);
    p.fillRect(QRect(1, 1, 10, 10), on ? QColor(255, 0, 0) : QColor(0, 0, 0));
    p.end();
    return QPixmap::fromImage(img);
}

QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(QColor(192, 192, 192));
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(64, 64, 64), size / 16.0));
        p.setBrush(QColor(255, 255, 255));
        p.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 8.0, size / 8.0);
        // Voltage in green, current in red, as the readouts show them.
        p.setPen(QPen(QColor(0, 127, 0), size / 10.0));
        p.drawLine(QPointF(size * 0.2, size * 0.7), QPointF(size * 0.8, size * 0.3));
        p.setPen(QPen(QColor(127, 0, 0), size / 10.0));
        p.drawLine(QPointF(size * 0.2, size * 0.8), QPointF(size * 0.8, size * 0.8));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace images
