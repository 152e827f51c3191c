// The popup menu (owner-drawn items, tracking, commands) and the mode
// cursors, on a real display.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <tuple>

#include "scene/SceneTypes.h"
#include "support/GlTestContext.h"
#include "view/Cursors.h"
#include "view/IconMenu.h"

namespace {

const QRgb kOutside = qRgb(255, 0, 255);
const QRgb kHighlight = qRgb(177, 185, 207);
const QRgb kIconColumn = qRgb(219, 216, 209);
const QRgb kTextArea = qRgb(249, 248, 247);
const QRgb kBlack = qRgb(0, 0, 0);

// The item is painted here, inset so stray paint outside it shows.
const QRect kItem(10, 10, 140, 48);

// Command id, label and icon id of each item, in menu order.
const std::tuple<int, const char*, int> kExpected[8] = {
    {ID_FEED_FISH, "  Feed Fish", 133},
    {ID_TOUCH_FISH, "  Touch Fish", 160},
    {ID_ZOOM_IN_FISH, "  Zoom In Fish", 134},
    {ID_ZOOM_OUT_FISH, "  Zoom Out Fish", 135},
    {ID_ADD_DELETE_FISH, "  Add/Delete Fish", 180},
    {ID_CUSTOM_MUSIC, "  Custom Music", 253},
    {ID_CUSTOM_BACKGROUND, "  Custom Background", 232},
    {ID_EXIT, "  Exit", 175}};

QFont TestFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    return font;
}

QImage PaintItem(bool highlighted, const IconMenuItem& item) {
    EnsureTestApplication();
    QImage image(kItem.width() + 20, kItem.height() + 20, QImage::Format_RGB32);
    image.fill(kOutside);
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
    {
        QPainter painter(&icon);
        DrawIconById(painter, iconId, icon.rect());
    }
    int opaque = 0, matches = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            const QRgb want = icon.pixel(x, y), got = item.pixel(corner + QPoint(x, y));
            if (qAlpha(want) != 255) continue;
            ++opaque;
            const int r = qRed(got) - qRed(want), g = qGreen(got) - qGreen(want);
            matches += std::abs(r) + std::abs(g) + std::abs(qBlue(got) - qBlue(want)) <= 3;
        }
    }
    return opaque > 60 ? double(matches) / opaque : 0;
}

int Count(const QImage& image, const std::function<bool(QRgb)>& pick) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += pick(image.pixel(x, y));
    return n;
}

// Bounding box of the black (label) pixels of the item at r, right of the icon.
QRect LabelInk(const QImage& image, QRect r) {
    QRect box;
    for (int y = r.top() + 1; y < r.bottom(); ++y)
        for (int x = r.left() + 28; x < r.right(); ++x)
            if (qGray(image.pixel(x, y)) <= 30) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace

TEST(IconMenuPaint, FillsFrameIconLiftAndLabelPlacement) {
    const QImage plain = PaintItem(false, IconMenuCommands()[7].item);
    const QImage lit = PaintItem(true, IconMenuCommands()[7].item);
    // Unlit: icon column x 0..24, text area from 25, no frame. Lit: one fill across both.
    const std::tuple<int, int, QRgb> plainProbes[] = {{0, 0, kIconColumn},   {0, 47, kIconColumn},
                                                      {24, 47, kIconColumn}, {25, 47, kTextArea},
                                                      {139, 0, kTextArea},   {139, 47, kTextArea}};
    for (auto [x, y, colour] : plainProbes)
        EXPECT_EQ(plain.pixel(kItem.topLeft() + QPoint(x, y)), colour) << x << "," << y;
    for (QPoint p : {QPoint(1, 1), QPoint(1, 46), QPoint(24, 46), QPoint(30, 46), QPoint(138, 1),
                     QPoint(138, 46)})
        EXPECT_EQ(lit.pixel(kItem.topLeft() + p), kHighlight) << p.x() << "," << p.y();
    // A one-pixel black frame when lit, and nothing painted outside the item.
    for (int y = kItem.top() - 1; y <= kItem.bottom() + 1; ++y) {
        for (int x = kItem.left() - 1; x <= kItem.right() + 1; ++x) {
            if (!kItem.contains(x, y)) {
                EXPECT_EQ(plain.pixel(x, y), kOutside) << x << "," << y;
                EXPECT_EQ(lit.pixel(x, y), kOutside) << x << "," << y;
            } else if (!kItem.adjusted(1, 1, -1, -1).contains(x, y)) {
                EXPECT_EQ(lit.pixel(x, y), kBlack) << x << "," << y;
            }
        }
    }
    // The 24 x 24 icon sits 3 px in, and exactly one pixel up and left when highlighted.
    const QPoint corner = kItem.topLeft() + QPoint(3, 3), up(0, 1), left(1, 0);
    for (const IconMenuCommand& command : IconMenuCommands()) {
        SCOPED_TRACE(command.item.label.toStdString());
        const QImage lit = PaintItem(true, command.item);
        const int icon = command.item.normalIcon;
        EXPECT_GE(IconMatch(PaintItem(false, command.item), icon, corner), 0.98);
        EXPECT_GE(IconMatch(lit, icon, corner - up - left), 0.98);
        for (QPoint wrong : {corner, corner - up, corner - left})
            EXPECT_LT(IconMatch(lit, icon, wrong), 0.9) << wrong.x() << "," << wrong.y();
    }
    // A black, single-line, vertically centred label 8 px into the text area.
    const QFontMetrics metrics(TestFont());
    for (bool highlighted : {false, true}) {
        const QRect ink = LabelInk(PaintItem(highlighted, IconMenuCommands()[0].item), kItem);
        ASSERT_FALSE(ink.isNull()) << "no black label";
        // Two leading blanks, then the stem of 'F'.
        EXPECT_NEAR(ink.left(), kItem.left() + 25 + 8 + metrics.horizontalAdvance("  "), 2);
        EXPECT_NEAR(ink.center().y(), kItem.top() + 24, 3.5);
        EXPECT_LE(ink.height(), metrics.height());
    }
}

TEST(IconMenuWidget, ItemsAre140By48InOrderWithFittingLabelsAndPaintedByTheMenu) {
    EnsureTestApplication();
    IconMenu menu;
    FillIconMenu(menu);
    menu.adjustSize();
    menu.setActiveAction(menu.actions().value(2));
    const QImage image = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 8);
    EXPECT_EQ(menu.sizeHint(), QSize(142, 8 * 48 + 2));
    const int room = 140 - 25 - 8;
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        // Stacked edge to edge inside a one-pixel panel.
        const QRect r = menu.actionGeometry(actions[i]);
        EXPECT_EQ(r, QRect(1, 1 + 48 * i, 140, 48));
        const IconMenuItem* item = menu.ItemFor(actions[i]);
        ASSERT_NE(item, nullptr);
        const auto& [id, label, icon] = kExpected[i];
        EXPECT_EQ(actions[i]->data().toInt(), id);
        EXPECT_EQ(item->label, QString::fromLatin1(label));
        EXPECT_EQ(item->normalIcon, icon);
        EXPECT_EQ(item->highlightedIcon, icon);
        EXPECT_LE(QFontMetrics(menu.font()).horizontalAdvance(item->label), room);
        // Drawn by the menu itself, the active item highlighted.
        const bool lit = i == 2;
        EXPECT_EQ(image.pixel(r.bottomLeft()), lit ? kBlack : kIconColumn);
        EXPECT_EQ(image.pixel(r.bottomRight()), lit ? kBlack : kTextArea);
        EXPECT_EQ(image.pixel(r.bottomRight() - QPoint(1, 1)), lit ? kHighlight : kTextArea);
        EXPECT_FALSE(LabelInk(image, r).isNull()) << "no label";
    }
    // A wide font is narrowed or shrunk until the longest label fits; one that fits is kept.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(18);
    const QFont fitted = IconMenuLabelFont(font);
    EXPECT_LE(QFontMetrics(fitted).horizontalAdvance("  Custom Background"), room);
    EXPECT_GE(QFontInfo(fitted).pixelSize(), 9);
    font.setPixelSize(9);
    EXPECT_EQ(IconMenuLabelFont(font), font);
}

namespace {

using Drive = std::function<void(IconMenu*)>;

void Mouse(IconMenu* menu, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
    QMouseEvent event(type, at, menu->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(menu, &event);
}

Drive Keys(std::vector<int> keys) {
    return [=](IconMenu* menu) {
        for (int key : keys) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(menu, &press);
        }
    };
}

// A user's click on an item: the pointer arrives, then press and release.
Drive Click(int index, Qt::MouseButton button) {
    return [=](IconMenu* menu) {
        const QPoint at = menu->actionGeometry(menu->actions()[index]).center();
        for (int i = 0; i < 8; ++i)
            Mouse(menu, QEvent::MouseMove, at);
        Mouse(menu, QEvent::MouseButtonPress, at, button);
        Mouse(menu, QEvent::MouseButtonRelease, at, button);
    };
}

}  // namespace

// Runs ExecIconMenu for each case and, once the popup is on screen, drives it.
TEST(IconMenuTracking, UserActionsReturnTheChosenCommandOrZero) {
    EnsureTestApplication();
    QWindow owner;
    owner.setGeometry(0, 0, 400, 500);
    owner.show();
    const int down = Qt::Key_Down, up = Qt::Key_Up, enter = Qt::Key_Return;
    const Drive escape = Keys({Qt::Key_Escape});
    // Opened over Feed Fish: the opening right click's release must leave the menu open.
    const Drive releaseThenEscape = [&](IconMenu* m) {
        Mouse(m, QEvent::MouseButtonRelease, {2, 2}, Qt::RightButton);
        EXPECT_TRUE(m->isVisible()) << "the release closed the menu";
        escape(m);
    };
    const Drive pressOutside = [](IconMenu* m) {
        Mouse(m, QEvent::MouseButtonPress, {-20, -20}, Qt::LeftButton);
    };
    const std::tuple<const char*, QWindow*, Drive, int> cases[] = {
        {"Escape", nullptr, escape, 0},
        {"click outside", nullptr, pressOutside, 0},
        {"right-click release, Escape", nullptr, releaseThenEscape, 0},
        {"click Feed", &owner, Click(0, Qt::LeftButton), ID_FEED_FISH},
        {"right-click Zoom In", &owner, Click(2, Qt::RightButton), ID_ZOOM_IN_FISH},
        {"click Exit", &owner, Click(7, Qt::LeftButton), ID_EXIT},
        {"Down x4, Return", nullptr, Keys({down, down, down, down, enter}), ID_ZOOM_OUT_FISH},
        {"Up x2, Return", &owner, Keys({up, up, enter}), ID_CUSTOM_BACKGROUND},
    };
    const QPoint at(80, 70);
    for (const auto& [name, window, drive, expected] : cases) {
        SCOPED_TRACE(name);
        bool driven = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<IconMenu*>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible() || driven) return;
            driven = true;
            EXPECT_EQ(menu->geometry().topLeft(), at) << "not opened at the point";
            EXPECT_EQ(window ? menu->windowHandle()->transientParent() : nullptr, window);
            drive(menu);
        });
        poll.start(20);
        // A popup that was never driven is closed so a failure cannot hang.
        QTimer::singleShot(5000, [] {
            if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        });
        EXPECT_EQ(ExecIconMenu(at, window), expected);
        EXPECT_TRUE(driven);
    }
}

TEST(Artwork, IconsAndCursorsLoadAt32AndOnlyTankModesChangeTheCursor) {
    EnsureTestApplication();
    for (const auto& [id, label, icon] : kExpected) {
        SCOPED_TRACE(icon);
        EXPECT_EQ(QSvgRenderer(IconResourcePath(icon)).defaultSize(), QSize(32, 32));
        const QImage image = IconForId(icon).pixmap(QSize(24, 24)).toImage();
        ASSERT_EQ(image.size(), QSize(24, 24));
        EXPECT_GT(Count(image, [](QRgb p) { return qAlpha(p) > 200; }), 24 * 24 / 5) << "empty";
    }
    EXPECT_TRUE(IconForId(999).isNull());

    // Cursor ids (button up, button down) per mode; 0 leaves the cursor alone.
    const std::tuple<int, int, int> modes[] = {{ID_FEED_FISH, 163, 164},
                                               {ID_TOUCH_FISH, 158, 159},
                                               {ID_ZOOM_IN_FISH, 167, 177},
                                               {ID_ZOOM_OUT_FISH, 169, 178},
                                               {ID_ADD_DELETE_FISH, 0, 0},
                                               {ID_CUSTOM_MUSIC, 0, 0},
                                               {ID_CUSTOM_BACKGROUND, 0, 0},
                                               {ID_EXIT, 0, 0},
                                               {0, 0, 0}};
    for (const auto& [mode, upId, downId] : modes) {
        SCOPED_TRACE(mode);
        QImage images[2];
        for (bool down : {false, true}) {
            const int id = down ? downId : upId;
            EXPECT_EQ(CursorIdForMode(mode, down), id);
            bool changes = id == 0;
            const QCursor cursor = CursorForMode(mode, down, &changes);
            EXPECT_EQ(changes, id != 0);
            if (id == 0) continue;
            EXPECT_EQ(QSvgRenderer(CursorResourcePath(id)).defaultSize(), QSize(32, 32));
            EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
            EXPECT_EQ(cursor.hotSpot(), CursorHotSpot(id));
            const QImage& image = images[down] = CursorImage(id);
            ASSERT_EQ(image.size(), QSize(32, 32));
            EXPECT_GT(qAlpha(image.pixel(CursorHotSpot(id))), 128) << "hot spot off the drawing";
            // Light fill and dark outline, so it reads on any background.
            EXPECT_GT(Count(image, [](QRgb p) { return qAlpha(p) >= 250 && qGray(p) > 200; }), 30);
            EXPECT_GT(Count(image, [](QRgb p) { return qAlpha(p) >= 250 && qGray(p) < 60; }), 30);
        }
        EXPECT_TRUE(!upId || images[0] != images[1]) << "pressed cursor looks like the normal one";
    }
}
