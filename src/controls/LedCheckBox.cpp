#include "controls/LedCheckBox.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFocusRect>

// Q_INIT_RESOURCE declares a function, so it has to run outside any namespace.
static void InitControlsResources() {
    Q_INIT_RESOURCE(controls);
}

namespace {

QString IconPath(int id) {
    return QStringLiteral(":/tidemere/icons/%1.svg").arg(id);
}

}  // namespace

LedCheckBox::LedCheckBox(QWidget* parent) : LedCheckBox(QString(), parent) {}

LedCheckBox::LedCheckBox(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    InitControlsResources();
    setText(text);
    setCheckable(true);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
}

void LedCheckBox::SetCheck(int state, bool redraw) {
    const QSignalBlocker quiet(this);  // setting the state is not a click
    setChecked(state == 1 || state == 2);
    if (redraw) update();
}

void LedCheckBox::SetColors(const QColor& on, const QColor& off) {
    on_ = on;
    off_ = off;
    update();
}

bool LedCheckBox::SetIcons(int checkedIconId, int uncheckedIconId) {
    const QString checkedPath = IconPath(checkedIconId), uncheckedPath = IconPath(uncheckedIconId);
    if (!QFile::exists(checkedPath) || !QFile::exists(uncheckedPath)) {
        checkedIcon_ = uncheckedIcon_ = QIcon();
        ledSize_ = kDefaultLedSize;
        update();
        return false;
    }
    QSize size = QImageReader(checkedPath).size();
    if (!size.isValid()) size = QSize(16, 16);
    SetIcons(QIcon(checkedPath), QIcon(uncheckedPath), size);
    return HasIcons();
}

void LedCheckBox::SetIcons(const QIcon& checked, const QIcon& unchecked, QSize size) {
    checkedIcon_ = checked;
    uncheckedIcon_ = unchecked;
    iconSize_ = size;
    ledSize_ = HasIcons() ? size.width() : kDefaultLedSize;
    updateGeometry();
    update();
}

QRect LedCheckBox::InnerRect() const {
    return rect().adjusted(3, 3, -3, -3);
}

QRect LedCheckBox::LedRect() const {
    const QRect inner = InnerRect();
    // Two pixels below the centre of the inner area.
    const int top = (inner.height() - ledSize_) / 2 + 2;
    return {inner.left(), top, ledSize_, ledSize_};
}

QSize LedCheckBox::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    const int textWidth = text().isEmpty() ? 0 : 3 + fm.horizontalAdvance(text()) + 2;
    const int ledHeight = HasIcons() ? iconSize_.height() : ledSize_;
    return {6 + ledSize_ + textWidth, 6 + std::max(ledHeight, fm.height()) + 2};
}

void LedCheckBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const bool pressed = isDown();

    // Nothing opaque at rest: group-box frames and a dark theme's window
    // show through. Hovered, a light wash in the theme's own colours.
    if (hover_) {
        QColor wash = pal.color(QPalette::Light);
        wash.setAlpha(110);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(pal.color(QPalette::Dark), 1));
        painter.setBrush(wash);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(2, 2, -2, -2);
        focus.backgroundColor = pal.color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }

    const QRect led = LedRect();
    const QPoint shift = pressed ? QPoint(1, 1) : QPoint(0, 0);
    if (HasIcons()) {
        const QIcon& icon = isChecked() ? checkedIcon_ : uncheckedIcon_;
        icon.paint(&painter, QRect(QPoint(led.left(), 0) + shift, iconSize_));
    } else {
        const QColor fill = isChecked() ? on_ : off_;
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(led.translated(shift)).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setBrush(fill);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawEllipse(box);
        painter.setPen(QPen(off_, 1));
        painter.drawEllipse(box.adjusted(1, 1, -1, -1));
        painter.setRenderHint(QPainter::Antialiasing, false);
    }

    if (!text().isEmpty()) {
        const QRect inner = InnerRect();
        QRect textArea(led.right() + 1 + 3, inner.top(), inner.right() - led.right() - 3,
                       inner.height());
        painter.setPen(pal.color(QPalette::WindowText));
        painter.drawText(textArea.translated(shift),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                         text());
    }
}

void LedCheckBox::enterEvent(QEnterEvent* event) {
    // A drag that started elsewhere does not light the box up.
    if (!(QApplication::mouseButtons() & Qt::LeftButton) && !hover_) {
        hover_ = true;
        update();
    }
    QAbstractButton::enterEvent(event);
}

void LedCheckBox::leaveEvent(QEvent* event) {
    if (hover_) {
        hover_ = false;
        update();
    }
    QAbstractButton::leaveEvent(event);
}
