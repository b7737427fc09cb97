#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Converts the dialog units of the window layouts into pixels for the dialog's font: a
// horizontal unit is a quarter of the font's average character width, a vertical unit an
// eighth of its height, so the layouts keep their proportions with any face.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    int x(int units) const { return (units * baseX_ + 2) / 4; }
    int y(int units) const { return (units * baseY_ + 4) / 8; }
    QRect rect(int left, int top, int width, int height) const;
    QSize size(int width, int height) const { return {x(width), y(height)}; }

private:
    int baseX_;
    int baseY_;
};
