#include "view/IconMenu.h"

#include <QAction>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QPaintEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <QWindow>
#include <map>

#include "fish/SceneTypes.h"
#include "view/Cursors.h"

namespace {

const QColor kHighlightFill(177, 185, 207);
const QColor kIconColumnFill(219, 216, 209);
const QColor kTextAreaFill(249, 248, 247);
const QColor kPanelFrame(112, 112, 112);
constexpr int kLabelIndent = 8;
constexpr int kIconInset = 3;

// Gives every item the fixed item size and the menu a one-pixel panel with no
// margins, so the items tile the menu exactly. Painting is the menu's own.
class IconMenuStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
            case PM_MenuPanelWidth:
                return 1;
            case PM_MenuHMargin:
            case PM_MenuVMargin:
            case PM_MenuDesktopFrameWidth:
                return 0;
            default:
                return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuItem) return {kIconMenuItemWidth, kIconMenuItemHeight};
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        switch (hint) {
            // A blinking or fading item would delay the command for no gain.
            case SH_Menu_FlashTriggeredItem:
            case SH_Menu_FadeOutOnHide:
                return 0;
            default:
                return QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    }
};

// Parsed artwork, kept for the life of the process (the menu is rebuilt on
// every right click and the icons never change).
QSvgRenderer* IconRenderer(int iconId) {
    static auto* renderers = new std::map<int, QSvgRenderer*>;
    auto it = renderers->find(iconId);
    if (it != renderers->end()) return it->second;
    EnsureArtworkResources();
    QSvgRenderer* renderer = nullptr;
    const QString path = IconResourcePath(iconId);
    if (QFile::exists(path)) {
        renderer = new QSvgRenderer(path);
        if (!renderer->isValid()) {
            delete renderer;
            renderer = nullptr;
        }
    }
    renderers->emplace(iconId, renderer);
    return renderer;
}

}  // namespace

const std::array<IconMenuCommand, 8>& IconMenuCommands() {
    static const std::array<IconMenuCommand, 8> commands = {{
        {ID_FEED_FISH, {133, 133, QStringLiteral("  Feed Fish")}},
        {ID_TOUCH_FISH, {160, 160, QStringLiteral("  Touch Fish")}},
        {ID_ZOOM_IN_FISH, {134, 134, QStringLiteral("  Zoom In Fish")}},
        {ID_ZOOM_OUT_FISH, {135, 135, QStringLiteral("  Zoom Out Fish")}},
        {ID_ADD_DELETE_FISH, {180, 180, QStringLiteral("  Add/Delete Fish")}},
        {ID_CUSTOM_MUSIC, {253, 253, QStringLiteral("  Custom Music")}},
        {ID_CUSTOM_BACKGROUND, {232, 232, QStringLiteral("  Custom Background")}},
        {ID_EXIT, {175, 175, QStringLiteral("  Exit")}},
    }};
    return commands;
}

void DrawIconById(QPainter& painter, int iconId, const QRect& target) {
    QSvgRenderer* renderer = IconRenderer(iconId);
    if (!renderer) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    renderer->render(&painter, QRectF(target));
    painter.restore();
}

QIcon IconForId(int iconId) {
    if (!IconRenderer(iconId)) return {};
    QIcon icon;
    for (int side : {16, kIconMenuIconSize, 32, 48}) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        DrawIconById(painter, iconId, QRect(0, 0, side, side));
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

void PaintIconMenuItem(QPainter& painter, const QRect& rect, bool highlighted,
                       const IconMenuItem& item) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect iconColumn(rect.left(), rect.top(), kIconMenuIconColumn, rect.height());
    const QRect textArea(rect.left() + kIconMenuIconColumn, rect.top(),
                         rect.width() - kIconMenuIconColumn, rect.height());

    if (highlighted) {
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::NoBrush);
        // A cosmetic pen outlines width + 1 pixels: this covers the rect's border exactly.
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.fillRect(rect.adjusted(1, 1, -1, -1), kHighlightFill);
    } else {
        painter.fillRect(iconColumn, kIconColumnFill);
        painter.fillRect(textArea, kTextAreaFill);
    }

    // Centred down the item like the label, in from the left edge.
    QRect iconBox(iconColumn.left() + kIconInset,
                  iconColumn.top() + (iconColumn.height() - kIconMenuIconSize) / 2,
                  kIconMenuIconSize, kIconMenuIconSize);
    if (highlighted) iconBox.translate(-1, -1);  // the icon appears lifted under the pointer
    DrawIconById(painter, highlighted ? item.highlightedIcon : item.normalIcon, iconBox);

    painter.setPen(Qt::black);
    painter.drawText(textArea.adjusted(kLabelIndent, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, item.label);
    painter.restore();
}

IconMenu::IconMenu(QWidget* parent) : QMenu(parent) {
    auto* style = new IconMenuStyle;
    style->setParent(this);
    setStyle(style);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSeparatorsCollapsible(false);
    setToolTipsVisible(false);
    setFont(IconMenuLabelFont(font()));
}

IconMenu::~IconMenu() = default;

QAction* IconMenu::AddItem(int commandId, const IconMenuItem& item) {
    QAction* action = addAction(item.label);
    action->setData(commandId);
    entries_.push_back({action, item});
    return action;
}

const IconMenuItem* IconMenu::ItemFor(const QAction* action) const {
    for (const Entry& entry : entries_) {
        if (entry.action == action) return &entry.item;
    }
    return nullptr;
}

void IconMenu::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.setPen(QPen(kPanelFrame, 0));
    painter.setBrush(kTextAreaFill);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setFont(font());
    const QAction* active = activeAction();
    for (const Entry& entry : entries_) {
        const QRect itemRect = actionGeometry(entry.action);
        if (itemRect.isEmpty() || !event->region().intersects(itemRect)) continue;
        PaintIconMenuItem(painter, itemRect, entry.action == active, entry.item);
    }
}

QFont IconMenuLabelFont(const QFont& base) {
    const int room = kIconMenuItemWidth - kIconMenuIconColumn - kLabelIndent - 2;
    auto fits = [room](const QFont& font) {
        const QFontMetrics metrics(font);
        for (const IconMenuCommand& command : IconMenuCommands()) {
            if (metrics.horizontalAdvance(command.item.label) > room) return false;
        }
        return true;
    };
    if (fits(base)) return base;
    // Wide desktop fonts clip "Custom Background" in the fixed item width:
    // narrow the face first, then shrink it, never below legibility.
    QFont font = base;
    font.setStretch(QFont::Condensed);
    if (font.pixelSize() <= 0) font.setPixelSize(QFontInfo(base).pixelSize());
    while (!fits(font) && font.pixelSize() > 9)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void FillIconMenu(IconMenu& menu) {
    for (const IconMenuCommand& command : IconMenuCommands()) {
        menu.AddItem(command.commandId, command.item);
    }
}

int ExecIconMenu(QPoint globalPos, QWindow* owner) {
    IconMenu menu;
    FillIconMenu(menu);
    if (owner) {
        // The view is a QWindow, not a widget: tie the popup to it so the
        // window manager stacks it above the view.
        menu.winId();
        if (QWindow* handle = menu.windowHandle()) handle->setTransientParent(owner);
    }
    QAction* chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toInt() : 0;
}
