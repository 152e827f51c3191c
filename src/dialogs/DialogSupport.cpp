#include "dialogs/DialogSupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <memory>

#include "controls/Readable.h"
#include "platform/MessageBox.h"
#include "platform/ProductInfo.h"

void TakeKeyboard(QWidget* dialog) {
    dialog->raise();
    dialog->activateWindow();
    // The menu that opened the dialog hands the keyboard back to the tank
    // as it goes, sometimes after the dialog had it: ask until it has kept
    // it for a moment.
    auto* retry = new QTimer(dialog);
    retry->setInterval(100);
    auto ticks = std::make_shared<int>(0);
    auto kept = std::make_shared<int>(0);
    QObject::connect(retry, &QTimer::timeout, dialog, [dialog, retry, ticks, kept] {
        const bool has = QGuiApplication::focusWindow() == dialog->windowHandle();
        *kept = has ? *kept + 1 : 0;
        if (!dialog->isVisible() || *kept >= 3 || ++*ticks >= 20) {
            retry->deleteLater();
            return;
        }
        if (!has) {
            dialog->raise();
            dialog->activateWindow();
        }
    });
    retry->start();
}

void ReturnKeyboard(QWidget* dialog) {
    QWindow* handle = dialog->windowHandle();
    if (handle && handle->transientParent() && handle->transientParent()->isVisible())
        handle->transientParent()->requestActivate();
}

bool PressFocusedButton(QWidget* dialog, const QKeyEvent* event) {
    const int key = event->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space) return false;
    auto* button = qobject_cast<QAbstractButton*>(dialog->focusWidget());
    if (!button || !button->isVisible() || !button->isEnabled()) return false;
    button->click();
    return true;
}

void ColourList(QAbstractItemView* list, const QColor& base, const QColor& text) {
    QPalette pal = list->palette();
    if (!IsDarkPalette(pal)) {
        pal.setColor(QPalette::Base, base);
        pal.setColor(QPalette::AlternateBase, base);
        pal.setColor(QPalette::Text, text);
    }
    list->setPalette(pal);
}

QColor RowBackground(const QPalette& palette, const QColor& ours) {
    return IsDarkPalette(palette) ? palette.color(QPalette::Base) : ours;
}

QColor RowText(const QPalette& palette, const QColor& ours, const QColor& background) {
    if (!IsDarkPalette(palette)) return ours;
    return ReadableOn(palette.color(QPalette::Text), background,
                      palette.color(QPalette::WindowText));
}

void LetTabLeave(QAbstractItemView* list) {
    list->setTabKeyNavigation(false);
}

void SaveFailureNotice::After(bool ok, const std::string& what, const std::string& path,
                              const std::string& why) {
    if (!ok && !failing_)
        ShowMessageBox("Cannot save " + what + " to " + path + ": " + why + ".", kApplicationName);
    failing_ = !ok;
}
