#include "controls/FlatButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>

FlatButton::FlatButton(QWidget* parent) : FlatButton(QString(), parent) {}

FlatButton::FlatButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAutoDefault(false);
    setFlat(true);
    setAttribute(Qt::WA_Hover);
}

QSize FlatButton::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    QString plain = text();
    plain.remove(QLatin1Char('&'));
    return {fm.horizontalAdvance(plain) + 2 * fm.averageCharWidth() + 4, fm.height() + 8};
}

QSize FlatButton::minimumSizeHint() const { return sizeHint(); }

void FlatButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const QRect r = rect();
    painter.fillRect(r, pal.color(QPalette::Button));

    const bool pressed = IsPressedLook();
    if (pressed || hover_) {
        // Top and left take the first colour, bottom and right the second.
        const QColor topLeft = pal.color(pressed ? QPalette::Dark : QPalette::Light);
        const QColor bottomRight = pal.color(pressed ? QPalette::Light : QPalette::Dark);
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
    }

    QRect textRect = r;
    if (pressed) textRect.translate(1, 1);
    painter.setPen(pal.color(QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, text());
}

void FlatButton::SetHover(bool hover) {
    if (hover_ == hover) return;
    hover_ = hover;
    update();
}

void FlatButton::enterEvent(QEnterEvent* event) {
    // A drag that started elsewhere does not light the button up.
    if (!(QApplication::mouseButtons() & Qt::LeftButton) || hover_ || held_) SetHover(true);
    QPushButton::enterEvent(event);
}

void FlatButton::leaveEvent(QEvent* event) {
    if (!held_) SetHover(false);
    QPushButton::leaveEvent(event);
}

void FlatButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        held_ = true;
        SetHover(true);
    }
    QPushButton::mousePressEvent(event);
}

void FlatButton::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    // QPushButton pops up when the pointer leaves; we keep the pressed look.
    if (held_) update();
}

void FlatButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasHeld = held_;
    if (event->button() == Qt::LeftButton) held_ = false;
    const QPoint at = event->position().toPoint();
    QPointer<FlatButton> self(this);  // a click handler may delete us
    QPushButton::mouseReleaseEvent(event);
    if (self && wasHeld && !held_) {
        SetHover(rect().contains(at));
        update();
    }
}

void FlatButton::focusOutEvent(QFocusEvent* event) {
    SetHover(false);
    QPushButton::focusOutEvent(event);
}
