#pragma once

#include "sequence/Preview.h"

#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

class QPainter;

// What the preview shows: the planned line of one round, the capacity of the present source,
// and where a run stands.
struct PreviewPicture {
    std::vector<sequence::PreviewPoint> line;
    double capacityWatts = 1.5;
    std::optional<double> nowSeconds; // the running point of the round
};

// Draws the planned voltage, current and power over one round with their axes, the source's
// power limit as a dashed line with the stretches above it shaded, and the running point.
void renderPreview(QPainter& painter, const QRect& target, const PreviewPicture& picture);
// The column of the picture where the running point is drawn; nothing without one.
std::optional<int> nowColumn(const QRect& target, const PreviewPicture& picture);

// The preview on the page. The line and its axes are drawn once into an image and kept until
// they change; a moving running point only redraws its marker.
class SequencePreview : public QWidget {
    Q_OBJECT
public:
    explicit SequencePreview(QWidget* parent = nullptr);
    void show(PreviewPicture picture);
    const PreviewPicture& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PreviewPicture picture_;
    QImage drawn_; // everything but the running point
    bool drawnValid_ = false;
};
