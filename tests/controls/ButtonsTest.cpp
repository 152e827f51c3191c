// The flat push button and the LED check box, painted and clicked for real.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTest>

#include "controls/FlatButton.h"
#include "controls/LedCheckBox.h"
#include "support/GlTestContext.h"

namespace {

const QColor kFace(192, 192, 192), kLight(255, 255, 255), kDark(128, 128, 128);
const QColor kText(0, 0, 0);

QPalette TestPalette() {
    QPalette pal;
    pal.setColor(QPalette::Button, kFace);
    pal.setColor(QPalette::Light, kLight);
    pal.setColor(QPalette::Dark, kDark);
    pal.setColor(QPalette::ButtonText, kText);
    return pal;
}

QImage Grab(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

void Enter(QWidget& w) {
    QEnterEvent enter(QPointF(2, 2), w.mapToGlobal(QPointF(2, 2)), w.mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(&w, &enter);
}

void Leave(QWidget& w) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&w, &leave);
}

void Mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), w.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

// Colours of the top-left and bottom-right corner pixels.
std::pair<QColor, QColor> Corners(QWidget& w) {
    const QImage image = Grab(w);
    return {QColor(image.pixel(0, 0)), QColor(image.pixel(image.width() - 1, image.height() - 1))};
}

// Makes the application before any widget member is built.
struct App {
    App() { EnsureTestApplication(); }
};

struct ShownButton : App {
    QWidget window;
    FlatButton* button;
    ShownButton() {
        window.resize(200, 100);
        button = new FlatButton(QStringLiteral("&Add"), &window);
        button->setPalette(TestPalette());
        button->setGeometry(20, 20, 80, 30);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

TEST(FlatButton, BorderRaisedOnHoverSunkenWhilePressedNoneAtRest) {
    ShownButton shown;
    FlatButton& b = *shown.button;
    EXPECT_EQ(Corners(b), std::make_pair(kFace, kFace));

    Enter(b);
    EXPECT_EQ(Corners(b), std::make_pair(kLight, kDark));

    Mouse(b, QEvent::MouseButtonPress, QPoint(40, 15), Qt::LeftButton);
    EXPECT_EQ(Corners(b), std::make_pair(kDark, kLight));

    int clicks = 0;
    QObject::connect(&b, &QPushButton::clicked, [&] { ++clicks; });
    Mouse(b, QEvent::MouseButtonRelease, QPoint(40, 15), Qt::NoButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Corners(b), std::make_pair(kLight, kDark));  // still under the pointer

    Leave(b);
    EXPECT_EQ(Corners(b), std::make_pair(kFace, kFace));
}

TEST(FlatButton, PressDraggedOffStaysSunkenUntilReleaseThenDropsHoverWithoutClicking) {
    ShownButton shown;
    FlatButton& b = *shown.button;
    int clicks = 0;
    QObject::connect(&b, &QPushButton::clicked, [&] { ++clicks; });

    Enter(b);
    Mouse(b, QEvent::MouseButtonPress, QPoint(40, 15), Qt::LeftButton);
    Mouse(b, QEvent::MouseMove, QPoint(150, 60), Qt::LeftButton);
    Leave(b);
    EXPECT_EQ(Corners(b), std::make_pair(kDark, kLight));

    Mouse(b, QEvent::MouseButtonRelease, QPoint(150, 60), Qt::NoButton);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(b.IsHovered());
    EXPECT_EQ(Corners(b), std::make_pair(kFace, kFace));
}

TEST(FlatButton, LabelDrawnInButtonTextAndShiftedWhilePressed) {
    ShownButton shown;
    FlatButton& b = *shown.button;
    auto inkBox = [&] {
        const QImage image = Grab(b);
        QRect box;
        for (int y = 1; y < image.height() - 1; ++y)
            for (int x = 1; x < image.width() - 1; ++x)
                if (QColor(image.pixel(x, y)).value() < 60) box |= QRect(x, y, 1, 1);
        return box;
    };
    const QRect rest = inkBox();
    ASSERT_FALSE(rest.isEmpty());
    EXPECT_NEAR(rest.center().x(), b.width() / 2, 2);
    EXPECT_NEAR(rest.center().y(), b.height() / 2, 2);
    Mouse(b, QEvent::MouseButtonPress, QPoint(40, 15), Qt::LeftButton);
    EXPECT_EQ(inkBox(), rest.translated(1, 1));
    Mouse(b, QEvent::MouseButtonRelease, QPoint(40, 15), Qt::NoButton);
}

struct ShownBox : App {
    QWidget window;
    LedCheckBox* box;
    ShownBox() {
        window.resize(200, 100);
        box = new LedCheckBox(QString(), &window);
        box->setPalette(TestPalette());
        box->setGeometry(10, 10, 100, 25);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QColor LedCentre() { return QColor(Grab(*box).pixel(box->LedRect().center())); }
};

TEST(LedCheckBox, ToggledBeforeTheParentHearsTheClick) {
    ShownBox shown;
    LedCheckBox& box = *shown.box;
    box.SetCheck(1);
    std::vector<int> seen;
    QObject::connect(&box, &QAbstractButton::clicked, [&] { seen.push_back(box.GetCheck()); });
    QTest::mouseClick(&box, Qt::LeftButton, {}, box.LedRect().center());
    QTest::mouseClick(&box, Qt::LeftButton, {}, box.LedRect().center());
    EXPECT_EQ(seen, (std::vector<int>{0, 1}));
}

TEST(LedCheckBox, SetCheckOneOrTwoChecksAnythingElseUnchecksWithoutAClick) {
    ShownBox shown;
    LedCheckBox& box = *shown.box;
    int clicks = 0;
    QObject::connect(&box, &QAbstractButton::clicked, [&] { ++clicks; });
    for (auto [state, want] : {std::pair{1, 1}, {0, 0}, {2, 1}, {3, 0}, {1, 1}, {-1, 0}}) {
        box.SetCheck(state);
        EXPECT_EQ(box.GetCheck(), want) << state;
    }
    EXPECT_EQ(clicks, 0);
}

TEST(LedCheckBox, LedFilledWithOnOrOffColour) {
    ShownBox shown;
    LedCheckBox& box = *shown.box;
    EXPECT_EQ(box.LedSize(), 15);
    box.SetCheck(1);
    EXPECT_EQ(shown.LedCentre(), QColor(0, 255, 0));
    box.SetCheck(0);
    EXPECT_EQ(shown.LedCentre(), QColor(0, 127, 0));
    box.SetColors(QColor(0, 255, 0), QColor(0, 0, 0));
    EXPECT_EQ(shown.LedCentre(), QColor(0, 0, 0));
    // The outer ring is black, the inner one the off colour.
    const QImage image = Grab(box);
    const QRect led = box.LedRect();
    EXPECT_LT(QColor(image.pixel(led.center().x(), led.top())).value(), 60);
}

TEST(LedCheckBox, IconsReplaceTheLedOnlyWhenBothAreSet) {
    ShownBox shown;
    LedCheckBox& box = *shown.box;
    QPixmap red(12, 12);
    red.fill(Qt::red);
    box.SetCheck(1);
    box.SetIcons(QIcon(red), QIcon(), QSize(12, 12));
    EXPECT_FALSE(box.HasIcons());
    EXPECT_EQ(shown.LedCentre(), QColor(0, 255, 0));

    // Our own switch artwork: a green square when on, a black one when off.
    ASSERT_TRUE(box.SetIcons(LedCheckBox::kIconSwitchOn, LedCheckBox::kIconSwitchOff));
    EXPECT_EQ(box.LedSize(), 16);
    const QPoint iconCentre(box.LedRect().left() + 8, 8);
    const QColor on = QColor(Grab(box).pixel(iconCentre));
    EXPECT_GT(on.green(), 180);
    EXPECT_LT(on.red(), 80);
    box.SetCheck(0);
    const QColor off = QColor(Grab(box).pixel(iconCentre));
    EXPECT_LT(off.value(), 60);

    EXPECT_FALSE(box.SetIcons(LedCheckBox::kIconSwitchOn, 9999));
    EXPECT_EQ(box.LedSize(), 15);
    EXPECT_EQ(shown.LedCentre(), QColor(0, 127, 0));
}

TEST(LedCheckBox, HoverPaintsTheLightPanelAndLeaveRemovesIt) {
    ShownBox shown;
    LedCheckBox& box = *shown.box;
    const QPoint inside(box.width() - 10, box.height() / 2);
    EXPECT_EQ(QColor(Grab(box).pixel(inside)), kFace);
    Enter(box);
    EXPECT_EQ(QColor(Grab(box).pixel(inside)), kLight);
    EXPECT_EQ(QColor(Grab(box).pixel(box.width() / 2, 0)), QColor(0, 0, 0));
    Leave(box);
    EXPECT_EQ(QColor(Grab(box).pixel(inside)), kFace);
}

}  // namespace
