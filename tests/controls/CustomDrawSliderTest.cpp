// The custom-drawn slider's pixels.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "controls/CustomDrawSlider.h"
#include "support/GlTestContext.h"

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kWhite = qRgb(255, 255, 255);

QImage Paint(CustomDrawSlider& slider) {
    QImage image(slider.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    slider.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The end marks are 7-pixel rounds outlined in red: white first, green last.
TEST(CustomDrawSlider, EndMarksSitByOrientationAndTickSide) {
    EnsureTestApplication();
    struct Case {
        Qt::Orientation orientation;
        QSlider::TickPosition ticks;
        QSize size;
        QPoint first, second;
    } cases[] = {
        {Qt::Vertical, QSlider::NoTicks, {20, 200}, {1, 1}, {1, 192}},
        {Qt::Vertical, QSlider::TicksLeft, {30, 120}, {22, 1}, {22, 112}},
        {Qt::Horizontal, QSlider::TicksAbove, {160, 30}, {1, 22}, {152, 22}},
    };
    for (const Case& c : cases) {
        CustomDrawSlider slider(c.orientation);
        slider.setTickPosition(c.ticks);
        slider.setRange(0, 100);
        slider.setValue(50);  // the thumb stays clear of the marks
        slider.resize(c.size);
        const QImage image = Paint(slider);
        for (auto [corner, fill] : {std::pair{c.first, kWhite}, {c.second, kGreen}}) {
            EXPECT_EQ(image.pixel(corner + QPoint(3, 0)), kRed) << c.orientation << " " << c.ticks;
            EXPECT_EQ(image.pixel(corner + QPoint(0, 3)), kRed) << c.orientation << " " << c.ticks;
            EXPECT_EQ(image.pixel(corner + QPoint(3, 3)), fill) << c.orientation << " " << c.ticks;
        }
    }
}

TEST(CustomDrawSlider, PressedThumbIsARedAndGreenCheckerboard) {
    EnsureTestApplication();
    CustomDrawSlider slider(Qt::Horizontal);
    slider.setRange(0, 1000);
    slider.setValue(500);
    slider.resize(120, 40);
    const QPoint centre(60, 20);

    EXPECT_EQ(Paint(slider).pixel(centre), kRed);
    slider.setSliderDown(true);
    const QImage pressed = Paint(slider);
    const QRgb here = pressed.pixel(centre), right = pressed.pixel(centre + QPoint(1, 0));
    EXPECT_TRUE((here == kRed && right == kGreen) || (here == kGreen && right == kRed));
    EXPECT_EQ(pressed.pixel(centre + QPoint(1, 1)), here);
}

}  // namespace
