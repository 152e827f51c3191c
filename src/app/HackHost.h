#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "app/XWindowProbe.h"
#include "view/TankView.h"

class QWindow;

// Screensaver hack mode: the tank view as a child of a window another program
// made (the daemon's, a settings preview, the root window). No frame, menu,
// cursor or lock; input passes through to the owner of the window.
class HackHost : public QObject {
    Q_OBJECT
public:
    // `target` was found and checked by FindHackTarget.
    HackHost(const HackTarget& target, const RunOptions& options);
    ~HackHost() override;

    TankView* View() const { return view_; }

private:
    // Follows the window's size; leaves when the window is gone.
    void Follow();
    void FitTo(int deviceWidth, int deviceHeight);
    [[noreturn]] static void Leave();

    XWindowProbe probe_;
    std::uint32_t windowId_;
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<QWindow> foreign_;
    TankView* view_ = nullptr;
    QTimer followTimer_;
};
