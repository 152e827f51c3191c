#pragma once

#include <QWindow>

#include "view/TankView.h"

// The borderless top-level window; its only child is the tank view, which
// fills it.
class CMainFrame : public QWindow {
    Q_OBJECT
public:
    explicit CMainFrame(const RunOptions& options);
    ~CMainFrame() override;

    // Null when the temp folder was missing at start.
    TankView* View() const { return view_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TankView* view_ = nullptr;
};
