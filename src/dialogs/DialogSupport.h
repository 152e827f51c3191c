#pragma once

#include <QColor>
#include <QDialog>
#include <QFontMetrics>
#include <QRect>
#include <algorithm>
#include <string>

class QAbstractItemView;
class QPalette;
class QKeyEvent;
class QWidget;

// What the three dialogs share about keys, focus and colours.

// Raises the shown `dialog` and gives it the keyboard. Asks again until it
// has it (for two seconds at most): without a window manager the first
// request comes before the window is mapped and is lost, and a window
// manager may map it late.
void TakeKeyboard(QWidget* dialog);

// Hands the keyboard back to the window the hidden `dialog` belongs to (the
// tank), so its keys work again without a click; a window manager would, but
// there may be none.
void ReturnKeyboard(QWidget* dialog);

// Enter or Space on a focused, enabled button presses it; true when it did.
bool PressFocusedButton(QWidget* dialog, const QKeyEvent* event);

// A list in our colours where they read well on the desktop's theme; in a
// dark theme its own base and text colours instead.
void ColourList(QAbstractItemView* list, const QColor& base, const QColor& text);

// A list row's colours: ours in a light theme; in a dark one the theme's
// base, and its text or whatever reads on `background`.
QColor RowBackground(const QPalette& palette, const QColor& ours);
QColor RowText(const QPalette& palette, const QColor& ours, const QColor& background);

// Tab leaves the list; the arrow keys move within it.
void LetTabLeave(QAbstractItemView* list);

// Dialog units: a quarter of the font's average character width across, an
// eighth of its height down, so the layout follows the user's font. Wide
// fonts are measured no narrower than the classic 6:13 cell, so labels fit.
class DialogUnits {
public:
    explicit DialogUnits(const QFontMetrics& fm)
        : baseX_(std::max((fm.horizontalAdvance(QStringLiteral(
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                               26 +
                           1) /
                              2,
                          (fm.height() * 6 + 6) / 13)),
          baseY_(fm.height()) {}
    int X(int du) const { return (du * baseX_ + 2) / 4; }
    int Y(int du) const { return (du * baseY_ + 4) / 8; }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }

private:
    int baseX_, baseY_;
};

// A save that fails again and again is shown once, until one works.
class SaveFailureNotice {
public:
    // Shows "Cannot save `what` to `path`: `why`." when `ok` is false and
    // the last save worked.
    void After(bool ok, const std::string& what, const std::string& path, const std::string& why);

private:
    bool failing_ = false;
};

// A dialog over the tank: it takes the keyboard when shown (the menu hands
// focus back to the tank just after) and gives it back when hidden.
class TankDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        TakeKeyboard(this);
    }
    void hideEvent(QHideEvent* event) override {
        QDialog::hideEvent(event);
        ReturnKeyboard(this);
    }
};
