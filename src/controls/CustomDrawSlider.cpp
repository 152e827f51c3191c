#include "controls/CustomDrawSlider.h"

#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

// Bounds given as left, top, right, bottom (right and bottom outside).
QRect Bounds(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// An outlined ellipse filling exactly the pixels of `r`.
void FillEllipse(QPainter& p, const QRect& r) { p.drawEllipse(r.adjusted(0, 0, -1, -1)); }

}  // namespace

CustomDrawSlider::CustomDrawSlider(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {
    SetThumbColor(QColor(255, 0, 0));
}

CustomDrawSlider::CustomDrawSlider(QWidget* parent) : CustomDrawSlider(Qt::Vertical, parent) {}

void CustomDrawSlider::SetThumbColor(const QColor& color) {
    const QColor green(0, 255, 0);
    thumbOutlineColor_ = green;
    channelLowerRightColor_ = green;
    channelUpperLeftColor_ = green;
    endMarkColor_ = green;
    thumbColor_ = color;
    thumbBrush_ = QBrush(color);
    // 8 x 8, rows alternately 0x55 and 0xAA: clear bits in the channel
    // colour, set bits in the thumb colour.
    QImage pattern(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y) {
        const int row = y % 2 == 0 ? 0x55 : 0xAA;
        for (int x = 0; x < 8; ++x)
            pattern.setPixel(x, y, ((row >> (7 - x)) & 1) ? thumbColor_.rgb()
                                                          : channelLowerRightColor_.rgb());
    }
    pressedThumbBrush_ = QBrush(pattern);
    update();
}

std::pair<QRect, QRect> CustomDrawSlider::EndMarkBounds() const {
    const int w = width(), h = height();
    // Only ticks on the left (or on top) alone move the marks.
    const bool ticksFirstSide = tickPosition() == QSlider::TicksAbove;
    if (orientation() == Qt::Vertical) {
        if (ticksFirstSide) return {Bounds(w - 8, 1, w - 1, 8), Bounds(w - 8, h - 8, w - 1, h - 1)};
        return {Bounds(1, 1, 8, 8), Bounds(1, h - 8, 8, h - 1)};
    }
    if (ticksFirstSide) return {Bounds(1, h - 8, 8, h - 1), Bounds(w - 8, h - 8, w - 1, h - 1)};
    return {Bounds(1, 1, 8, 8), Bounds(w - 8, 1, w - 1, 8)};
}

void CustomDrawSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionSlider opt;
    initStyleOption(&opt);

    // The channel and the tick marks the style's own way.
    opt.subControls = QStyle::SC_SliderGroove;
    if (tickPosition() != QSlider::NoTicks) opt.subControls |= QStyle::SC_SliderTickmarks;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);

    // A thin two-colour frame just inside the channel.
    const QRect channel = style()
                              ->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this)
                              .adjusted(1, 1, -1, -1);
    if (channel.width() > 1 && channel.height() > 1) {
        const int x = channel.x(), y = channel.y(), cx = channel.width(), cy = channel.height();
        p.fillRect(x, y, cx - 1, 1, channelUpperLeftColor_);
        p.fillRect(x, y, 1, cy - 1, channelUpperLeftColor_);
        p.fillRect(x + cx - 1, y, 1, cy, channelLowerRightColor_);
        p.fillRect(x, y + cy - 1, cx, 1, channelLowerRightColor_);
    }

    // The oval thumb; pressed or focused it turns into a checkerboard, which
    // is also the keyboard focus sign.
    const QRect thumb = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(thumbOutlineColor_, 1));
    if (isSliderDown() || hasFocus()) {
        p.setBrushOrigin((thumb.x() + thumb.width()) % 8, thumb.y() % 8);
        p.setBrush(pressedThumbBrush_);
    } else {
        p.setBrush(thumbBrush_);
    }
    FillEllipse(p, thumb);
    p.restore();

    // The two end marks: white, then in the mark colour, both outlined in the thumb colour.
    const auto [first, second] = EndMarkBounds();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(thumbColor_, 1));
    p.setBrush(QColor(255, 255, 255));
    FillEllipse(p, first);
    p.setBrush(endMarkColor_);
    FillEllipse(p, second);
}
