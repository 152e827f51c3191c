#pragma once

#include <QObject>
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
    // False when the window cannot be followed (no second X connection):
    // such a hack would outlive its window, so it must not run.
    bool Following() const { return watcher_ && watcher_->Watching(); }

private:
    void FitTo(int deviceWidth, int deviceHeight);
    [[noreturn]] static void Leave();

    std::uint32_t windowId_;
    int width_ = 0;
    int height_ = 0;
    // Made first, so every way out of start-up still ends with the window.
    std::unique_ptr<XWindowWatcher> watcher_;
    std::unique_ptr<QWindow> foreign_;
    TankView* view_ = nullptr;
};
