#include "app/HackHost.h"

#include <signal.h>
#include <time.h>
#include <QWindow>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/Folders.h"
#include "platform/MessageBox.h"

namespace {

struct sigaction g_previousSegv, g_previousBus;

// A fault just after the daemon destroyed the window comes from the GL driver
// still drawing into it, and the watcher thread is about to end the program
// quietly: give it the moment. Any other fault is still the crash it was,
// handled as before a moment later.
void AwaitTheWatcher(int signal, siginfo_t* info, void*) {
    timespec pause{0, 200000000};
    while (nanosleep(&pause, &pause) != 0) {
    }
    sigaction(signal, signal == SIGBUS ? &g_previousBus : &g_previousSegv, nullptr);
    // Returning runs the faulting instruction again, under the old handler;
    // a signal sent by kill has no such instruction.
    if (info->si_code <= 0) raise(signal);
}

}  // namespace

HackHost::HackHost(const HackTarget& target, const RunOptions& options)
    : windowId_(target.window), width_(target.width), height_(target.height) {
    // A frame drawn after the window is gone can crash the GL driver (Mesa's
    // llvmpipe does), and the frame loop cannot look up mid-frame: the
    // watcher's thread ends the program the moment the window is destroyed.
    // New sizes reach the view through the event loop, as the daemon's own
    // hacks get their reshape.
    watcher_ = std::make_unique<XWindowWatcher>(
        windowId_,
        [this](int w, int h) {
            QMetaObject::invokeMethod(
                this, [this, w, h] { FitTo(w, h); }, Qt::QueuedConnection);
        },
        [] { Leave(); });
    if (watcher_->Watching()) {
        struct sigaction action {};
        action.sa_sigaction = AwaitTheWatcher;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(SIGSEGV, &action, &g_previousSegv);
        sigaction(SIGBUS, &action, &g_previousBus);
    }
    foreign_.reset(QWindow::fromWinId(static_cast<WId>(target.window)));
    if (TempPath().empty()) {
        ShowMessageBox("Error Find TempPath.", "ERROR");
        return;
    }
    RunOptions run = options;
    run.boundsWidth = target.width;
    run.boundsHeight = target.height;
    view_ = new TankView(run, foreign_.get());
    // Its keys and menu are out of reach here, so their help would mislead.
    view_->Scene().HelpTextVisible = false;
    // The daemon owns the pointer and keys: events go to its window, and its
    // cursor stays.
    view_->setFlag(Qt::WindowTransparentForInput, true);
    FitTo(width_, height_);
    view_->show();
}

HackHost::~HackHost() {
    watcher_.reset();  // no size arrives for a view that is going
    if (view_) {
        view_->Teardown();
        delete view_;
    }
}

void HackHost::FitTo(int deviceWidth, int deviceHeight) {
    width_ = deviceWidth;
    height_ = deviceHeight;
    if (!view_) return;
    // Rounded up, so an odd size at a scale factor of 2 leaves no bare edge;
    // the parent clips the rest.
    const qreal dpr = view_->devicePixelRatio();
    const int w = std::max(1, static_cast<int>(std::ceil(deviceWidth / dpr)));
    const int h = std::max(1, static_cast<int>(std::ceil(deviceHeight / dpr)));
    view_->setGeometry(0, 0, w, h);
}

void HackHost::Leave() {
    // The daemon took its window away: nothing left to draw into. Leaves
    // the same way as every other end.
    TankView::LeaveFromAnyThread();
}
