// The popup menu (owner-drawn items, tracking, commands) and the mode
// cursors, on a real display.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSvgRenderer>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <vector>

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

// The item is painted at this offset so stray paint outside it shows.
constexpr int kX = 10, kY = 10;

struct ExpectedCommand {
    int id;
    const char* label;
    int icon;
};
const ExpectedCommand kExpected[8] = {
    {ID_FEED_FISH, "  Feed Fish", 133},
    {ID_TOUCH_FISH, "  Touch Fish", 160},
    {ID_ZOOM_IN_FISH, "  Zoom In Fish", 134},
    {ID_ZOOM_OUT_FISH, "  Zoom Out Fish", 135},
    {ID_ADD_DELETE_FISH, "  Add/Delete Fish", 180},
    {ID_CUSTOM_MUSIC, "  Custom Music", 253},
    {ID_CUSTOM_BACKGROUND, "  Custom Background", 232},
    {ID_EXIT, "  Exit", 175},
};

QFont TestFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    return font;
}

QImage PaintItem(bool highlighted, const IconMenuItem& item) {
    EnsureTestApplication();
    QImage image(kIconMenuItemWidth + 2 * kX, kIconMenuItemHeight + 2 * kY, QImage::Format_RGB32);
    image.fill(kOutside);
    QPainter painter(&image);
    painter.setFont(TestFont());
    PaintIconMenuItem(painter, QRect(kX, kY, kIconMenuItemWidth, kIconMenuItemHeight), highlighted,
                      item);
    return image;
}

int Distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

// The icon drawn alone at 24 x 24 on transparency: where it is opaque, the
// item must show exactly these colours whatever fill lies behind.
QImage IconAlone(int iconId) {
    QImage image(24, 24, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DrawIconById(painter, iconId, QRect(0, 0, 24, 24));
    return image;
}

// How many opaque icon pixels the item shows unchanged with the icon's
// top-left corner at corner.
int OpaqueMatches(const QImage& item, const QImage& icon, QPoint corner, int* opaque) {
    int matches = 0;
    *opaque = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            const QRgb want = icon.pixel(x, y);
            if (qAlpha(want) != 255) continue;
            ++*opaque;
            matches += Distance(item.pixel(corner + QPoint(x, y)), want) <= 3;
        }
    }
    return matches;
}

struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

// Where the label's dark pixels lie, right of the icon.
InkBox LabelInk(const QImage& image) {
    InkBox box;
    for (int y = kY + 1; y < kY + kIconMenuItemHeight - 1; ++y) {
        for (int x = kX + 28; x < kX + kIconMenuItemWidth - 1; ++x) {
            if (qGray(image.pixel(x, y)) > 100) continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

}  // namespace

// ---- Painting one item ----

TEST(IconMenuPaint, PlainItemFillsIconColumnAndTextAreaOnly) {
    const QImage image = PaintItem(false, IconMenuCommands()[7].item);
    // Icon column: x 0..24, clear of the icon at the bottom and left edges.
    EXPECT_EQ(image.pixel(kX, kY), kIconColumn);
    EXPECT_EQ(image.pixel(kX + 24, kY + 47), kIconColumn);
    EXPECT_EQ(image.pixel(kX, kY + 47), kIconColumn);
    // Text area from x 25 to the right edge, no frame.
    EXPECT_EQ(image.pixel(kX + 25, kY + 47), kTextArea);
    EXPECT_EQ(image.pixel(kX + 139, kY), kTextArea);
    EXPECT_EQ(image.pixel(kX + 139, kY + 47), kTextArea);
    // Nothing outside the 140 x 48 rectangle.
    for (int x = 0; x < image.width(); ++x) {
        EXPECT_EQ(image.pixel(x, kY - 1), kOutside) << x;
        EXPECT_EQ(image.pixel(x, kY + 48), kOutside) << x;
    }
    for (int y = 0; y < image.height(); ++y) {
        EXPECT_EQ(image.pixel(kX - 1, y), kOutside) << y;
        EXPECT_EQ(image.pixel(kX + 140, y), kOutside) << y;
    }
}

TEST(IconMenuPaint, HighlightedItemHasOnePixelBlackFrameAndBlueFill) {
    const QImage image = PaintItem(true, IconMenuCommands()[7].item);
    for (int x = kX; x < kX + 140; ++x) {
        EXPECT_EQ(image.pixel(x, kY), kBlack) << x;
        EXPECT_EQ(image.pixel(x, kY + 47), kBlack) << x;
        EXPECT_EQ(image.pixel(x, kY - 1), kOutside) << x;
        EXPECT_EQ(image.pixel(x, kY + 48), kOutside) << x;
    }
    for (int y = kY; y < kY + 48; ++y) {
        EXPECT_EQ(image.pixel(kX, y), kBlack) << y;
        EXPECT_EQ(image.pixel(kX + 139, y), kBlack) << y;
        EXPECT_EQ(image.pixel(kX - 1, y), kOutside) << y;
        EXPECT_EQ(image.pixel(kX + 140, y), kOutside) << y;
    }
    // One fill colour inside, across both the icon column and the text area.
    EXPECT_EQ(image.pixel(kX + 1, kY + 1), kHighlight);
    EXPECT_EQ(image.pixel(kX + 1, kY + 46), kHighlight);
    EXPECT_EQ(image.pixel(kX + 24, kY + 46), kHighlight);
    EXPECT_EQ(image.pixel(kX + 30, kY + 46), kHighlight);
    EXPECT_EQ(image.pixel(kX + 138, kY + 1), kHighlight);
    EXPECT_EQ(image.pixel(kX + 138, kY + 46), kHighlight);
}

TEST(IconMenuPaint, IconIs24PixelsAtTheInsetCornerAndLiftsWhenHighlighted) {
    const QPoint plainCorner(kX + 3, kY + 3);
    const QPoint litCorner = plainCorner - QPoint(1, 1);
    for (const IconMenuCommand& command : IconMenuCommands()) {
        SCOPED_TRACE(command.item.label.toStdString());
        const QImage icon = IconAlone(command.item.normalIcon);
        const QImage plain = PaintItem(false, command.item);
        const QImage lit = PaintItem(true, command.item);
        int opaque = 0;
        EXPECT_GE(OpaqueMatches(plain, icon, plainCorner, &opaque), opaque * 98 / 100);
        ASSERT_GT(opaque, 60) << "icon mostly transparent";
        EXPECT_GE(OpaqueMatches(lit, icon, litCorner, &opaque), opaque * 98 / 100);
        // Drawn in place (or shifted only one way) the highlighted icon would not line up.
        for (QPoint wrong : {plainCorner, plainCorner - QPoint(1, 0), plainCorner - QPoint(0, 1)}) {
            EXPECT_LT(OpaqueMatches(lit, icon, wrong, &opaque), opaque * 90 / 100)
                << wrong.x() << "," << wrong.y();
        }
    }
}

TEST(IconMenuPaint, LabelStartsEightPixelsIntoTextAreaAndIsCentred) {
    const QFontMetrics metrics(TestFont());
    for (bool highlighted : {false, true}) {
        SCOPED_TRACE(highlighted);
        const QImage image = PaintItem(highlighted, IconMenuCommands()[0].item);
        const InkBox ink = LabelInk(image);
        ASSERT_GE(ink.right, 0) << "no label drawn";
        // Two leading blanks, then 'F' whose stem starts within a pixel or two.
        const int expectedLeft = kX + 25 + 8 + metrics.horizontalAdvance(QStringLiteral("  "));
        EXPECT_NEAR(ink.left, expectedLeft, 2);
        const double centre = (ink.top + ink.bottom) / 2.0;
        EXPECT_NEAR(centre, kY + 24, 3.5);
        // The label is black, on a single line.
        EXPECT_LE(ink.bottom - ink.top, metrics.height());
        int darkest = 255;
        for (int y = ink.top; y <= ink.bottom; ++y)
            for (int x = ink.left; x <= ink.right; ++x)
                darkest = std::min(darkest, qGray(image.pixel(x, y)));
        EXPECT_LE(darkest, 30);
    }
}

// ---- The menu widget ----

TEST(IconMenuWidget, EveryItemIs140By48AndItemsTileTheMenu) {
    EnsureTestApplication();
    IconMenu menu;
    FillIconMenu(menu);
    menu.adjustSize();
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 8);
    const QRect first = menu.actionGeometry(actions[0]);
    for (int i = 0; i < actions.size(); ++i) {
        const QRect r = menu.actionGeometry(actions[i]);
        EXPECT_EQ(r.size(), QSize(140, 48)) << i;
        EXPECT_EQ(r.left(), first.left()) << i;
        EXPECT_EQ(r.top(), first.top() + 48 * i) << i;
    }
    // Only a one-pixel panel around the items, no margins.
    EXPECT_EQ(first.topLeft(), QPoint(1, 1));
    EXPECT_EQ(menu.sizeHint(), QSize(142, 8 * 48 + 2));
}

TEST(IconMenuWidget, LabelsIconsAndCommandsInMenuOrder) {
    EnsureTestApplication();
    IconMenu menu;
    FillIconMenu(menu);
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 8);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        const IconMenuItem* item = menu.ItemFor(actions[i]);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(actions[i]->data().toInt(), kExpected[i].id);
        EXPECT_EQ(item->label, QString::fromLatin1(kExpected[i].label));
        EXPECT_EQ(item->normalIcon, kExpected[i].icon);
        EXPECT_EQ(item->highlightedIcon, kExpected[i].icon);
        EXPECT_FALSE(actions[i]->isSeparator());
        EXPECT_FALSE(actions[i]->isCheckable());
        EXPECT_TRUE(actions[i]->isEnabled());
        EXPECT_EQ(actions[i]->menu(), nullptr);
    }
}

TEST(IconMenuWidget, MenuPaintsEveryItemItselfWithTheActiveOneHighlighted) {
    EnsureTestApplication();
    IconMenu menu;
    FillIconMenu(menu);
    menu.adjustSize();
    menu.setActiveAction(menu.actions()[2]);
    const QImage image = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        const QRect r = menu.actionGeometry(menu.actions()[i]);
        if (i == 2) {
            EXPECT_EQ(image.pixel(r.topLeft()), kBlack);
            EXPECT_EQ(image.pixel(r.bottomRight()), kBlack);
            EXPECT_EQ(image.pixel(r.right() - 1, r.bottom() - 1), kHighlight);
        } else {
            EXPECT_EQ(image.pixel(r.left(), r.bottom()), kIconColumn);
            EXPECT_EQ(image.pixel(r.right(), r.bottom()), kTextArea);
        }
        const QRect padded(r.topLeft() - QPoint(kX, kY), r.size() + QSize(2 * kX, 2 * kY));
        EXPECT_GE(LabelInk(image.copy(padded)).right, 0) << "no label";
    }
}

TEST(IconMenuWidget, EveryLabelFitsItsItem) {
    EnsureTestApplication();
    const int room = 140 - 25 - 8;
    IconMenu menu;
    const QFontMetrics metrics(menu.font());
    for (const IconMenuCommand& command : IconMenuCommands()) {
        EXPECT_LE(metrics.horizontalAdvance(command.item.label), room)
            << command.item.label.toStdString();
    }
    // A wide font is narrowed or shrunk until the longest label fits.
    QFont wide(QStringLiteral("DejaVu Sans"));
    wide.setPixelSize(18);
    const QFont fitted = IconMenuLabelFont(wide);
    EXPECT_LE(QFontMetrics(fitted).horizontalAdvance(QStringLiteral("  Custom Background")), room);
    EXPECT_GE(QFontInfo(fitted).pixelSize(), 9);
    // One that already fits is kept as it is.
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(9);
    EXPECT_EQ(IconMenuLabelFont(small), small);
}

// ---- Tracking the real popup ----

namespace {

// Runs ExecIconMenu and, once the popup is on screen, hands it to drive.
// A watchdog closes a popup that was never driven so a failure cannot hang.
struct MenuRun {
    int result = -1;
    QRect geometry;
    QWindow* transientParent = nullptr;
    bool driven = false;
};

MenuRun RunMenu(QPoint at, QWindow* owner, const std::function<void(IconMenu*)>& drive) {
    EnsureTestApplication();
    MenuRun run;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<IconMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible() || run.driven) return;
        run.driven = true;
        run.geometry = menu->geometry();
        if (menu->windowHandle()) run.transientParent = menu->windowHandle()->transientParent();
        drive(menu);
    });
    poll.start();
    QTimer::singleShot(5000, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    run.result = ExecIconMenu(at, owner);
    return run;
}

void SendKey(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

// A user's click on a point of the menu: the pointer arrives, then press and release.
void Click(IconMenu* menu, QPoint local, Qt::MouseButton button) {
    const QPointF global = menu->mapToGlobal(local);
    for (int i = 0; i < 8; ++i) {
        QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(menu, &move);
    }
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
    QApplication::sendEvent(menu, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(menu, &release);
}

QPoint ItemCentre(IconMenu* menu, int index) {
    return menu->actionGeometry(menu->actions()[index]).center();
}

}  // namespace

TEST(IconMenuTracking, EscapeOrAClickOutsideChoosesNothing) {
    const QPoint at(60, 50);
    MenuRun escaped = RunMenu(at, nullptr, [](IconMenu* menu) { SendKey(menu, Qt::Key_Escape); });
    EXPECT_TRUE(escaped.driven);
    EXPECT_EQ(escaped.result, 0);
    // Opened with its top-left corner at the point.
    EXPECT_EQ(escaped.geometry.topLeft(), at);

    MenuRun outside = RunMenu(at, nullptr, [](IconMenu* menu) {
        const QPoint local(-20, -20);
        QMouseEvent press(QEvent::MouseButtonPress, local, menu->mapToGlobal(local), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(menu, &press);
    });
    EXPECT_TRUE(outside.driven);
    EXPECT_EQ(outside.result, 0);
}

TEST(IconMenuTracking, ReleaseOfTheOpeningRightClickDoesNotChoose) {
    // The menu opens under the pointer, over Feed Fish; the release of the
    // right button that opened it must leave the menu open.
    bool stillOpen = false;
    MenuRun run = RunMenu(QPoint(60, 50), nullptr, [&](IconMenu* menu) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2),
                            menu->mapToGlobal(QPoint(2, 2)), Qt::RightButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(menu, &release);
        stillOpen = menu->isVisible();
        SendKey(menu, Qt::Key_Escape);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(run.result, 0);
}

TEST(IconMenuTracking, ClickingAnItemReturnsItsCommandWithEitherButton) {
    QWindow owner;
    owner.setGeometry(0, 0, 400, 500);
    owner.show();
    MenuRun feed = RunMenu(QPoint(80, 70), &owner, [](IconMenu* menu) {
        Click(menu, ItemCentre(menu, 0), Qt::LeftButton);
    });
    EXPECT_EQ(feed.result, ID_FEED_FISH);
    EXPECT_EQ(feed.transientParent, &owner);

    MenuRun zoomIn = RunMenu(QPoint(80, 70), &owner, [](IconMenu* menu) {
        Click(menu, ItemCentre(menu, 2), Qt::RightButton);
    });
    EXPECT_EQ(zoomIn.result, ID_ZOOM_IN_FISH);

    MenuRun exitCmd = RunMenu(QPoint(80, 70), &owner, [](IconMenu* menu) {
        Click(menu, ItemCentre(menu, 7), Qt::LeftButton);
    });
    EXPECT_EQ(exitCmd.result, ID_EXIT);
}

TEST(IconMenuTracking, KeyboardChoosesInMenuOrder) {
    MenuRun down = RunMenu(QPoint(60, 50), nullptr, [](IconMenu* menu) {
        for (int i = 0; i < 4; ++i)
            SendKey(menu, Qt::Key_Down);
        SendKey(menu, Qt::Key_Return);
    });
    EXPECT_EQ(down.result, ID_ZOOM_OUT_FISH);

    MenuRun up = RunMenu(QPoint(60, 50), nullptr, [](IconMenu* menu) {
        SendKey(menu, Qt::Key_Up);
        SendKey(menu, Qt::Key_Up);
        SendKey(menu, Qt::Key_Return);
    });
    EXPECT_EQ(up.result, ID_CUSTOM_BACKGROUND);
}

// ---- Artwork ----

TEST(Artwork, EveryMenuIconLoadsAt32AndDrawsAt24) {
    EnsureTestApplication();
    for (const ExpectedCommand& expected : kExpected) {
        SCOPED_TRACE(expected.icon);
        ASSERT_TRUE(QFile::exists(IconResourcePath(expected.icon)));
        QSvgRenderer renderer(IconResourcePath(expected.icon));
        ASSERT_TRUE(renderer.isValid());
        EXPECT_EQ(renderer.defaultSize(), QSize(32, 32));
        const QIcon icon = IconForId(expected.icon);
        ASSERT_FALSE(icon.isNull());
        const QImage image = icon.pixmap(QSize(24, 24)).toImage();
        EXPECT_EQ(image.size(), QSize(24, 24));
        int opaque = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 200;
        EXPECT_GT(opaque, 24 * 24 / 5) << "icon mostly empty";
    }
    EXPECT_TRUE(IconForId(999).isNull());
}

TEST(Artwork, TankModesHaveTheirOwnUpAndDownCursors) {
    EnsureTestApplication();
    struct Mode {
        int mode, up, down;
    };
    for (const Mode m : {Mode{ID_FEED_FISH, 163, 164}, Mode{ID_TOUCH_FISH, 158, 159},
                         Mode{ID_ZOOM_IN_FISH, 167, 177}, Mode{ID_ZOOM_OUT_FISH, 169, 178}}) {
        SCOPED_TRACE(m.mode);
        EXPECT_EQ(CursorIdForMode(m.mode, false), m.up);
        EXPECT_EQ(CursorIdForMode(m.mode, true), m.down);
        QImage images[2];
        for (bool down : {false, true}) {
            const int id = down ? m.down : m.up;
            bool changes = false;
            const QCursor cursor = CursorForMode(m.mode, down, &changes);
            EXPECT_TRUE(changes);
            EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
            EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
            EXPECT_EQ(cursor.hotSpot(), CursorHotSpot(id));
            QSvgRenderer renderer(CursorResourcePath(id));
            EXPECT_EQ(renderer.defaultSize(), QSize(32, 32));

            const QImage image = CursorImage(id);
            ASSERT_EQ(image.size(), QSize(32, 32));
            // The hot spot lies on the drawing, not on a transparent pixel.
            const QPoint hot = CursorHotSpot(id);
            EXPECT_GT(qAlpha(image.pixel(hot)), 128) << id;
            // Light fill and dark outline, so it reads on any background.
            int light = 0, dark = 0;
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 32; ++x) {
                    const QRgb p = image.pixel(x, y);
                    if (qAlpha(p) < 250) continue;
                    light += qGray(p) > 200;
                    dark += qGray(p) < 60;
                }
            }
            EXPECT_GT(light, 30) << id;
            EXPECT_GT(dark, 30) << id;
            images[down] = image;
        }
        EXPECT_NE(images[0], images[1]) << "pressed cursor looks like the normal one";
    }
}

TEST(Artwork, OtherModesLeaveTheCursorAlone) {
    EnsureTestApplication();
    for (int mode : {int(ID_ADD_DELETE_FISH), int(ID_CUSTOM_MUSIC), int(ID_CUSTOM_BACKGROUND),
                     int(ID_EXIT), 0}) {
        for (bool down : {false, true}) {
            bool changes = true;
            CursorForMode(mode, down, &changes);
            EXPECT_FALSE(changes) << mode;
            EXPECT_EQ(CursorIdForMode(mode, down), 0) << mode;
        }
    }
}
