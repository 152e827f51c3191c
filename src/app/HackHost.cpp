#include "app/HackHost.h"

#include <QWindow>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/Folders.h"
#include "platform/MessageBox.h"

HackHost::HackHost(const HackTarget& target, const RunOptions& options)
    : windowId_(target.window) {
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
    FitTo(target.width, target.height);
    view_->show();
    // A round trip four times a second: cheap, and needs no event plumbing
    // into a window this program does not own.
    followTimer_.setInterval(250);
    connect(&followTimer_, &QTimer::timeout, this, &HackHost::Follow);
    followTimer_.start();
}

HackHost::~HackHost() {
    followTimer_.stop();
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

void HackHost::Follow() {
    int w = 0, h = 0;
    if (!probe_.Size(windowId_, &w, &h)) {
        // The daemon took its window away: nothing left to draw into.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    if (w != width_ || h != height_) FitTo(w, h);
}
