// The flat push button and the LED check box, painted and clicked for real.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QTest>

#include "controls/FlatButton.h"
#include "controls/LedCheckBox.h"
#include "support/GlTestContext.h"

namespace {

const QColor kFace(192, 192, 192), kLight(255, 255, 255), kDark(128, 128, 128);

QImage Grab(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void Send(QWidget& w, QEvent::Type type, QPoint at = {40, 15},
          Qt::MouseButtons held = Qt::NoButton) {
    if (type == QEvent::Enter) {
        QEnterEvent e(QPointF(2, 2), w.mapToGlobal(QPointF(2, 2)), w.mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(&w, &e);
    } else if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
        QFocusEvent e(type, Qt::TabFocusReason);
        QApplication::sendEvent(&w, &e);
    } else if (type == QEvent::Leave) {
        QEvent e(type);
        QApplication::sendEvent(&w, &e);
    } else {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(at), w.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(&w, &e);
    }
}

// Colours of the top-left and bottom-right corner pixels.
std::pair<QColor, QColor> Corners(QWidget& w) {
    const QImage image = Grab(w);
    return {QColor(image.pixel(0, 0)), QColor(image.pixel(image.width() - 1, image.height() - 1))};
}

// A control of type T in a shown window, painted with a known palette.
struct App {
    App() { EnsureTestApplication(); }
};

template <typename T>
struct Shown : App {
    QWidget window;
    T* w;
    explicit Shown(QRect geometry) {
        window.resize(200, 100);
        w = new T(QStringLiteral("&Add"), &window);
        QPalette pal;
        pal.setColor(QPalette::Button, kFace);
        pal.setColor(QPalette::Light, kLight);
        pal.setColor(QPalette::Dark, kDark);
        pal.setColor(QPalette::ButtonText, Qt::black);
        w->setPalette(pal);
        w->setGeometry(geometry);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

TEST(FlatButton, BorderRaisedOnHoverSunkenWhilePressedNoneAtRest) {
    Shown<FlatButton> shown({20, 20, 80, 30});
    FlatButton& b = *shown.w;
    const auto flat = std::make_pair(kFace, kFace), raised = std::make_pair(kLight, kDark),
               sunken = std::make_pair(kDark, kLight);
    int clicks = 0;
    QObject::connect(&b, &QPushButton::clicked, [&] { ++clicks; });
    EXPECT_EQ(Corners(b), flat);
    Send(b, QEvent::Enter);
    EXPECT_EQ(Corners(b), raised);
    Send(b, QEvent::MouseButtonPress, {40, 15}, Qt::LeftButton);
    EXPECT_EQ(Corners(b), sunken);
    Send(b, QEvent::MouseButtonRelease);
    EXPECT_EQ(Corners(b), raised);  // still under the pointer
    Send(b, QEvent::Leave);
    EXPECT_EQ(Corners(b), flat);
    Send(b, QEvent::FocusIn);  // reached with Tab: raised until the focus moves on
    EXPECT_EQ(Corners(b), raised);
    Send(b, QEvent::FocusOut);
    EXPECT_EQ(Corners(b), flat);

    // Dragged off while pressed: sunken until release, then flat without a click.
    Send(b, QEvent::Enter);
    Send(b, QEvent::MouseButtonPress, {40, 15}, Qt::LeftButton);
    Send(b, QEvent::MouseMove, {150, 60}, Qt::LeftButton);
    Send(b, QEvent::Leave);
    EXPECT_EQ(Corners(b), sunken);
    Send(b, QEvent::MouseButtonRelease, {150, 60});
    EXPECT_EQ(clicks, 1) << "one click, from the first press";
    EXPECT_EQ(Corners(b), flat);
}

TEST(LedCheckBox, ClickTogglesBeforeTheParentHearsAndTheLedShowsIt) {
    Shown<LedCheckBox> shown({10, 10, 100, 25});
    LedCheckBox& box = *shown.w;
    auto led = [&] { return QColor(Grab(box).pixel(box.LedRect().center())); };
    box.SetCheck(1);
    EXPECT_EQ(led(), QColor(0, 255, 0));
    std::vector<int> seen;
    QObject::connect(&box, &QAbstractButton::clicked, [&] { seen.push_back(box.GetCheck()); });
    QTest::mouseClick(&box, Qt::LeftButton, {}, box.LedRect().center());
    EXPECT_EQ(led(), QColor(0, 127, 0));
    QTest::mouseClick(&box, Qt::LeftButton, {}, box.LedRect().center());
    EXPECT_EQ(seen, (std::vector<int>{0, 1}));

    // Our own switch artwork: a green square when on, a black one when off.
    ASSERT_TRUE(box.SetIcons(LedCheckBox::kIconSwitchOn, LedCheckBox::kIconSwitchOff));
    const QPoint iconCentre(box.LedRect().left() + 8, 8);
    const QColor on = QColor(Grab(box).pixel(iconCentre));
    EXPECT_TRUE(on.green() > 180 && on.red() < 80) << on.name().toStdString();
    box.SetCheck(0);
    EXPECT_LT(QColor(Grab(box).pixel(iconCentre)).value(), 60);

    const QPoint inside(box.width() - 10, box.height() / 2);  // hover paints the light panel
    Send(box, QEvent::Enter);
    EXPECT_EQ(QColor(Grab(box).pixel(inside)), kLight);
    Send(box, QEvent::Leave);
    EXPECT_EQ(QColor(Grab(box).pixel(inside)), kFace);
}

}  // namespace
