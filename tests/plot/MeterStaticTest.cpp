#include "PlotTestSupport.h"

#include "plot/MeterStatic.h"

#include <QFontInfo>

#include <gtest/gtest.h>

namespace {

int countColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

TEST(MeterStatic, TextInItsColourWhenEnabledAndGreyedWhenDisabled) {
    PlotTestApp app;
    MeterStatic meter;
    meter.resize(200, 50);
    meter.setText("12.34");
    meter.setTextColor(QColor(0, 127, 0));
    const QImage enabled = meter.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(countColour(enabled, qRgb(0, 127, 0)), 20);

    meter.setEnabled(false);
    const QImage disabled = meter.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(countColour(disabled, qRgb(0, 127, 0)), 0);
    const QRgb grey =
        QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText).rgb();
    EXPECT_GT(countColour(disabled, grey), 20);
}

TEST(MeterStatic, GothicFaceNamesResolveToTheirSubstitutes) {
    PlotTestApp app;
    MeterStatic meter;
    EXPECT_EQ(QFontInfo(meter.meterFont()).family(), "IPAGothic");
    EXPECT_EQ(meter.meterFont().pointSize(), 20);
    EXPECT_EQ(QFontInfo(QFont(QString::fromUtf8(fonts::ProportionalGothic))).family(),
              "IPAPGothic");
}

} // namespace
