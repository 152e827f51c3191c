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

TEST(CustomDrawSlider, EndMarksAndAPressedThumbOfRedAndGreenSquares) {
    EnsureTestApplication();
    CustomDrawSlider slider(Qt::Horizontal);
    slider.setRange(0, 1000);
    slider.setValue(500);
    slider.resize(120, 40);
    const QPoint centre(60, 20);

    const QImage image = Paint(slider);
    EXPECT_EQ(image.pixel(centre), kRed);
    EXPECT_EQ(image.pixel(4, 4), kWhite);  // the end marks: white first, green last
    EXPECT_EQ(image.pixel(115, 4), kGreen);
    CustomDrawSlider upright(Qt::Vertical);
    upright.setTickPosition(QSlider::TicksLeft);  // moves the marks to the right-hand side
    upright.resize(30, 120);
    EXPECT_EQ(Paint(upright).pixel(25, 115), kGreen);
    slider.setSliderDown(true);
    const QImage pressed = Paint(slider);
    const QRgb here = pressed.pixel(centre), right = pressed.pixel(centre + QPoint(1, 0));
    EXPECT_TRUE((here == kRed && right == kGreen) || (here == kGreen && right == kRed));
    EXPECT_EQ(pressed.pixel(centre + QPoint(1, 1)), here);
}

}  // namespace
