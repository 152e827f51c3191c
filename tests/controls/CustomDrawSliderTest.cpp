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

// Smallest rectangle holding every red pixel inside `area`.
QRect RedBounds(const QImage& image, const QRect& area) {
    QRect found;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == kRed) found |= QRect(x, y, 1, 1);
    return found;
}

QRect Gdi(int l, int t, int r, int b) { return QRect(QPoint(l, t), QPoint(r - 1, b - 1)); }

TEST(CustomDrawSlider, EndMarksSitByOrientationAndTickSide) {
    EnsureTestApplication();
    struct Case {
        Qt::Orientation orientation;
        QSlider::TickPosition ticks;
        QSize size;
        QRect first, second;
    } cases[] = {
        {Qt::Vertical, QSlider::NoTicks, {20, 200}, Gdi(1, 1, 8, 8), Gdi(1, 192, 8, 199)},
        {Qt::Vertical, QSlider::TicksLeft, {30, 120}, Gdi(22, 1, 29, 8), Gdi(22, 112, 29, 119)},
        {Qt::Horizontal, QSlider::TicksAbove, {160, 30}, Gdi(1, 22, 8, 29), Gdi(152, 22, 159, 29)},
    };
    for (const Case& c : cases) {
        CustomDrawSlider slider(c.orientation);
        slider.setTickPosition(c.ticks);
        slider.setRange(0, 100);
        slider.setValue(50);  // the thumb stays clear of the marks
        slider.resize(c.size);
        const QImage image = Paint(slider);
        EXPECT_EQ(RedBounds(image, c.first.adjusted(-2, -2, 2, 2) & image.rect()), c.first)
            << c.orientation << " " << c.ticks;
        EXPECT_EQ(RedBounds(image, c.second.adjusted(-2, -2, 2, 2) & image.rect()), c.second)
            << c.orientation << " " << c.ticks;
        EXPECT_EQ(image.pixel(c.first.center()), kWhite);
        EXPECT_EQ(image.pixel(c.second.center()), kGreen);
    }
}

TEST(CustomDrawSlider, PressedThumbIsARedAndGreenCheckerboard) {
    EnsureTestApplication();
    CustomDrawSlider slider(Qt::Horizontal);
    slider.setRange(0, 1000);
    slider.setValue(500);
    slider.resize(120, 40);
    const QPoint centre(60, 20);

    QImage image = Paint(slider);
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) EXPECT_EQ(image.pixel(centre + QPoint(dx, dy)), kRed);

    slider.setSliderDown(true);
    image = Paint(slider);
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            const QPoint p = centre + QPoint(dx, dy);
            const QRgb here = image.pixel(p);
            EXPECT_TRUE(here == kRed || here == kGreen) << p.x() << "," << p.y();
            EXPECT_NE(here, image.pixel(p + QPoint(1, 0)));
            EXPECT_NE(here, image.pixel(p + QPoint(0, 1)));
        }

}

}  // namespace
