#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
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

// Every item's icon sits centred down its 48 px row, where the label is.
TEST(IconMenuPainting, IconsAreCentredDownTheItemLikeTheLabels) {
    for (const IconMenuCommand& command : IconMenuCommands()) {
        for (bool highlighted : {false, true}) {
            QImage blank(kIconMenuItemWidth, kIconMenuItemHeight, QImage::Format_RGB32);
            QImage drawn = blank;
            IconMenuItem noIcon = command.item;
            noIcon.normalIcon = noIcon.highlightedIcon = -1;
            noIcon.label.clear();
            {
                QPainter a(&blank), b(&drawn);
                PaintIconMenuItem(a, blank.rect(), highlighted, noIcon);
                IconMenuItem iconOnly = command.item;
                iconOnly.label.clear();
                PaintIconMenuItem(b, drawn.rect(), highlighted, iconOnly);
            }
            int top = kIconMenuItemHeight, bottom = -1;
            for (int y = 0; y < kIconMenuItemHeight; ++y)
                for (int x = 0; x < kIconMenuIconColumn; ++x)
                    if (blank.pixel(x, y) != drawn.pixel(x, y)) {
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                    }
            ASSERT_GE(bottom, top) << command.item.label.toStdString() << " draws no icon";
            const double centre = (top + bottom + 1) / 2.0;
            EXPECT_NEAR(centre, kIconMenuItemHeight / 2.0, highlighted ? 4.0 : 3.0)
                << command.item.label.toStdString() << " icon rows " << top << ".." << bottom;
        }
    }
}
