#pragma once

#include <QMenu>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class QFont;
class QIcon;
class QPainter;
class QWindow;

// What one menu item shows: an icon id for each state and its label.
struct IconMenuItem {
    int normalIcon = 0;
    int highlightedIcon = 0;
    QString label;
};

// One entry of the tank's popup menu.
struct IconMenuCommand {
    int commandId = 0;
    IconMenuItem item;
};

// The eight commands in menu order.
const std::array<IconMenuCommand, 8>& IconMenuCommands();

constexpr int kIconMenuItemWidth = 140;
constexpr int kIconMenuItemHeight = 48;
constexpr int kIconMenuIconColumn = 25;  // width of the icon column at the left
constexpr int kIconMenuIconSize = 24;    // icons are drawn at this size

// An icon of the menu by its id (built from the 32 x 32 artwork); a null icon
// for an unknown id.
QIcon IconForId(int iconId);

// Draws an icon scaled into target. Does nothing for an unknown id.
void DrawIconById(QPainter& painter, int iconId, const QRect& target);

// Paints one item into rect (normally 140 x 48) with the painter's font.
void PaintIconMenuItem(QPainter& painter, const QRect& rect, bool highlighted,
                       const IconMenuItem& item);

// The label font: base itself when every label fits the text area of an
// item, otherwise a condensed and if need be smaller variant of it.
QFont IconMenuLabelFont(const QFont& base);

// A popup menu whose items are all drawn by PaintIconMenuItem at a fixed
// 140 x 48. Selection, keyboard and mouse handling are QMenu's own.
class IconMenu : public QMenu {
    Q_OBJECT
public:
    explicit IconMenu(QWidget* parent = nullptr);
    ~IconMenu() override;

    // Appends an item; the action's data is the command id.
    QAction* AddItem(int commandId, const IconMenuItem& item);

    // The item an action of this menu draws, or null.
    const IconMenuItem* ItemFor(const QAction* action) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Entry {
        QAction* action;
        IconMenuItem item;
    };
    std::vector<Entry> entries_;
};

// Appends the eight commands of IconMenuCommands() in order.
void FillIconMenu(IconMenu& menu);

// Builds the popup, shows it with its top-left corner at globalPos (logical
// screen coordinates, e.g. owner->mapToGlobal(event->position())) and waits
// until it closes. Returns the chosen command id, or 0 when the menu was
// dismissed (Escape or a click outside). owner may be null.
int ExecIconMenu(QPoint globalPos, QWindow* owner);
