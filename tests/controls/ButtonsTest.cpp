// The flat push button and the LED check box, painted and clicked for real.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QTest>

#include "controls/FlatButton.h"
#include "controls/LedCheckBox.h"
#include "support/GlTestContext.h"

namespace {

const QColor kFace(192, 192, 192), kLight(255, 255, 255), kDark(128, 128, 128);

QImage Grab(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void TabFocus(QWidget& w, QEvent::Type type) {
    QFocusEvent e(type, Qt::TabFocusReason);
    QApplication::sendEvent(&w, &e);
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
        // The pointer goes through the window system, so the controls get their
        // enter and leave events as from a real mouse; it starts off the control.
        QTest::mouseMove(window.windowHandle(), {199, 99});
    }
};

TEST(FlatButton, BorderRaisedOnHoverSunkenWhilePressedNoneAtRest) {
    Shown<FlatButton> shown({20, 20, 80, 30});
    FlatButton& b = *shown.w;
    const auto flat = std::make_pair(kFace, kFace), raised = std::make_pair(kLight, kDark),
               sunken = std::make_pair(kDark, kLight);
    int clicks = 0;
    QObject::connect(&b, &QPushButton::clicked, [&] { ++clicks; });
    QWindow* window = shown.window.windowHandle();
    const QPoint inside(60, 35), outside(150, 80);
    EXPECT_EQ(Corners(b), flat);
    QTest::mouseMove(window, inside);
    EXPECT_EQ(Corners(b), raised);
    QTest::mousePress(window, Qt::LeftButton, {}, inside);
    EXPECT_EQ(Corners(b), sunken);
    QTest::mouseRelease(window, Qt::LeftButton, {}, inside);
    EXPECT_EQ(Corners(b), raised);  // still under the pointer
    QTest::mouseMove(window, outside);
    EXPECT_EQ(Corners(b), flat);
    TabFocus(b, QEvent::FocusIn);  // reached with Tab: raised until the focus moves on
    EXPECT_EQ(Corners(b), raised);
    TabFocus(b, QEvent::FocusOut);
    EXPECT_EQ(Corners(b), flat);

    // Dragged off while pressed: sunken until release, then flat without a click.
    QTest::mouseMove(window, inside);
    QTest::mousePress(window, Qt::LeftButton, {}, inside);
    QTest::mouseMove(window, outside);
    EXPECT_EQ(Corners(b), sunken);
    QTest::mouseRelease(window, Qt::LeftButton, {}, outside);
    EXPECT_EQ(clicks, 1) << "one click, from the first press";
    EXPECT_EQ(Corners(b), flat);
}

TEST(LedCheckBox, ClickTogglesBeforeTheParentHearsAndTheLedShowsIt) {
    Shown<LedCheckBox> shown({10, 10, 100, 25});
    LedCheckBox& box = *shown.w;
    QWindow* window = shown.window.windowHandle();
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

    // At rest what is behind it shows (no patch of the button colour, which
    // breaks group-box frames and dark themes); hovered, a light wash over it.
    const QColor behind(40, 40, 44);
    QPalette dark = shown.window.palette();
    dark.setColor(QPalette::Window, behind);
    shown.window.setPalette(dark);
    shown.window.setAutoFillBackground(true);
    const QPoint inside = box.geometry().topLeft() + QPoint(box.width() - 10, box.height() / 2);
    auto under = [&] { return QColor(Grab(shown.window).pixel(inside)); };
    QTest::mouseMove(window, box.geometry().center());
    const QColor hovered = under();
    EXPECT_GT(hovered.lightness(), behind.lightness() + 20) << hovered.name().toStdString();
    EXPECT_LT(hovered.lightness(), kLight.lightness());
    QTest::mouseMove(window, {199, 99});
    EXPECT_EQ(under(), behind);
}

}  // namespace
