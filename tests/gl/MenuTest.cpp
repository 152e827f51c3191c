#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "scene/SceneTypes.h"
#include "support/GlTestContext.h"
#include "view/IconMenu.h"

namespace {

const QRgb kHighlight = qRgb(177, 185, 207), kIconColumn = qRgb(219, 216, 209);
const QRgb kTextArea = qRgb(249, 248, 247), kBlack = qRgb(0, 0, 0);
const QRect kItem(10, 10, 140, 48);  // inset from the image edge


QFont TestFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    return font;
}

QImage PaintItem(bool highlighted, const IconMenuItem& item) {
    EnsureTestApplication();
    QImage image(kItem.width() + 20, kItem.height() + 20, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 255));
    QPainter painter(&image);
    painter.setFont(TestFont());
    PaintIconMenuItem(painter, kItem, highlighted, item);
    return image;
}

// The share of the icon's opaque pixels (drawn alone at 24 x 24) that the item
// shows unchanged with the icon's corner at corner; 0 for a near-empty icon.
double IconMatch(const QImage& item, int iconId, QPoint corner) {
    QImage icon(24, 24, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    DrawIconById(painter, iconId, icon.rect());
    painter.end();
    int opaque = 0, matches = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            if (const QRgb want = icon.pixel(x, y); qAlpha(want) == 255) {
                const QRgb got = item.pixel(corner + QPoint(x, y));
                const int r = qRed(got) - qRed(want), g = qGreen(got) - qGreen(want);
                matches += std::abs(r) + std::abs(g) + std::abs(qBlue(got) - qBlue(want)) <= 3;
                ++opaque;
            }
    return opaque > 60 ? double(matches) / opaque : 0;
}

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

TEST(IconMenuPaint, FillsFrameAndIconLift) {
    const IconMenuItem& item = IconMenuCommands()[0].item;
    const QImage plain = PaintItem(false, item), lit = PaintItem(true, item);
    // Lit: one highlight fill across icon column and text area, inside the frame.
    for (QPoint p : {QPoint(1, 1), QPoint(24, 46), QPoint(25, 46), QPoint(138, 1)})
        EXPECT_EQ(lit.pixel(kItem.topLeft() + p), kHighlight) << p.x() << "," << p.y();
    // A one-pixel black frame when lit. Unlit: no frame, icon column x 0..24, text area from 25.
    for (int i = 0; i < 140; ++i)
        for (QPoint p : {QPoint(i, 0), QPoint(i, 47), QPoint(0, i % 48), QPoint(139, i % 48)}) {
            EXPECT_EQ(lit.pixel(kItem.topLeft() + p), kBlack) << p.x() << "," << p.y();
            EXPECT_EQ(plain.pixel(kItem.topLeft() + p), p.x() < 25 ? kIconColumn : kTextArea);
        }
    // The 24 x 24 icon sits 3 px in, and exactly one pixel up and left when highlighted.
    const QPoint corner = kItem.topLeft() + QPoint(3, 3);
    EXPECT_GE(IconMatch(plain, item.normalIcon, corner), 0.98);
    EXPECT_GE(IconMatch(lit, item.normalIcon, corner - QPoint(1, 1)), 0.98);
    EXPECT_LT(IconMatch(lit, item.normalIcon, corner), 0.9);
}

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
