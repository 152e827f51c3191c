#pragma once

#include <QWindow>

#include "view/TankView.h"

// The borderless top-level window; its only child is the tank view, which
// fills it. On Wayland the view is the top-level window itself and the frame
// is never shown: a child window there is a subsurface, which shows nothing
// until its parent has drawn a buffer of its own.
class CMainFrame : public QWindow {
    Q_OBJECT
public:
    explicit CMainFrame(const RunOptions& options);
    ~CMainFrame() override;

    // Null when the temp folder was missing at start.
    TankView* View() const { return view_; }
    // The window to size, place and show: the frame, or the view when it stands alone.
    QWindow* TopWindow();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TankView* view_ = nullptr;
};
