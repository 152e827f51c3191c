#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <tuple>
#include <vector>

#include "fish/SceneTypes.h"
#include "support/GlTestContext.h"
#include "view/IconMenu.h"

namespace {

// Presses keys or, with none, clicks item `click` (-1: outside the menu) the way a
// user does: the pointer arrives, then press and release.
void DriveMenu(IconMenu* menu, const std::vector<int>& keys, int click) {
    for (int key : keys) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(menu, &press);
    }
    if (!keys.empty()) return;
    const QPoint at =
        click < 0 ? QPoint(-20, -20) : menu->actionGeometry(menu->actions()[click]).center();
    const auto mouse = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, menu->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(menu, &event);
    };
    for (int i = 0; i < 8; ++i)
        mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
    mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
}

}  // namespace

// Runs ExecIconMenu for each case and, once the popup is on screen, drives it.
TEST(IconMenuTracking, UserActionsReturnTheChosenCommandOrZero) {
    EnsureTestApplication();
    const int down = Qt::Key_Down;
    const std::tuple<const char*, std::vector<int>, int, int> cases[] = {
        {"Escape", {Qt::Key_Escape}, 0, 0},
        {"click outside", {}, -1, 0},
        {"click Feed", {}, 0, ID_FEED_FISH},
        {"click Exit", {}, 7, ID_EXIT},
        {"Down x4, Return", {down, down, down, down, Qt::Key_Return}, 0, ID_ZOOM_OUT_FISH}};
    for (const auto& [name, keys, click, expected] : cases) {
        SCOPED_TRACE(name);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<IconMenu*>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible()) return;
            poll.stop();
            DriveMenu(menu, keys, click);
        });
        poll.start(20);
        QTimer::singleShot(5000, [] {
            if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        });
        EXPECT_EQ(ExecIconMenu(QPoint(80, 70), nullptr), expected);
        EXPECT_FALSE(poll.isActive()) << "the popup was never driven";
    }
}
