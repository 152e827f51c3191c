#pragma once

#include <QBrush>
#include <QColor>
#include <QRect>
#include <QSlider>
#include <utility>

// A slider with its own look: an oval thumb (a checkerboard of the thumb and
// channel colours while pressed or focused), a thin frame round the channel
// and two small round marks at the ends. Values behave as in any QSlider.
class CustomDrawSlider : public QSlider {
    Q_OBJECT
public:
    explicit CustomDrawSlider(Qt::Orientation orientation, QWidget* parent = nullptr);
    explicit CustomDrawSlider(QWidget* parent = nullptr);

    // The thumb takes `color`; its outline, the channel frame and the second
    // end mark are pure green.
    void SetThumbColor(const QColor& color);
    QColor ThumbColor() const { return thumbColor_; }

    // The end marks' bounds for the current size and tick side, as left, top,
    // right, bottom with right and bottom just outside the mark.
    std::pair<QRect, QRect> EndMarkBounds() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor thumbColor_;
    QColor thumbOutlineColor_;
    QColor channelLowerRightColor_;
    QColor channelUpperLeftColor_;
    QColor endMarkColor_;
    QBrush thumbBrush_;
    QBrush pressedThumbBrush_;
};
