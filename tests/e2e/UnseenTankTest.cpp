// A tank nobody can see draws nothing, and once it shows again the fish are
// where the 10 ms steps put them: the time away is dropped, not raced.

#include <algorithm>
#include <ctime>
#include <functional>
#include <sstream>

#include "E2e.h"
// After Qt and gtest: Xlib's macros clash with their names.
#include <X11/Xlib.h>

namespace {

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// One line of TIDEMERE_FRAME_TRACE.
struct TracedFrame {
    double atMs;
    long long steps, dropped;
};

std::vector<TracedFrame> Frames(const std::string& output) {
    std::vector<TracedFrame> frames;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        TracedFrame f{};
        int n = 0;
        if (std::sscanf(line.c_str(), "frame %d at %lf ms, steps %lld, dropped %lld", &n, &f.atMs,
                        &f.steps, &f.dropped) == 4)
            frames.push_back(f);
    }
    return frames;
}

// A plain X window on a connection of its own (a screensaver daemon's, or
// one that covers the whole screen); closing the connection destroys it.
class PlainWindow {
public:
    explicit PlainWindow(bool wholeScreen) : display_(XOpenDisplay(nullptr)) {
        XSetWindowAttributes a{};
        a.background_pixel = 0x00ff00;
        a.override_redirect = True;
        const int screen = DefaultScreen(display_);
        const int w = wholeScreen ? DisplayWidth(display_, screen) : 320;
        const int h = wholeScreen ? DisplayHeight(display_, screen) : 240;
        id_ = XCreateWindow(display_, DefaultRootWindow(display_), 0, 0, w, h, 0, CopyFromParent,
                            InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect, &a);
    }
    ~PlainWindow() { XCloseDisplay(display_); }
    unsigned long Id() const { return id_; }
    void Map(bool mapped) const {
        if (mapped)
            XMapRaised(display_, id_);
        else
            XUnmapWindow(display_, id_);
        XSync(display_, False);
    }

private:
    Display* display_;
    Window id_;
};

std::string VisibleTankWindow() {
    FILE* p = popen("xdotool search --onlyvisible --name '^Tidemere' 2>/dev/null", "r");
    char line[64] = {};
    const bool got = p && std::fgets(line, sizeof line, p);
    if (p) pclose(p);
    return got ? std::string(line, std::strcspn(line, "\n")) : "";
}

}  // namespace

TEST_F(EndToEnd, HiddenTankDrawsNothingAndKeepsTimeWhenShownAgain) {
    struct Case {
        const char* how;
        bool hack;  // drawing into a daemon's window that the daemon unmaps
        std::function<void(bool shown)> show;
    };
    PlainWindow daemonWindow(false), cover(true);
    std::string tank;
    const Case cases[] = {
        {"unmapped", false,
         [&](bool shown) {
             ASSERT_TRUE(Sh("xdotool " + std::string(shown ? "windowmap" : "windowunmap") +
                            " --sync " + tank));
         }},
        {"covered by another window", false, [&](bool shown) { cover.Map(!shown); }},
        {"hack whose window the daemon unmaps", true, [&](bool shown) { daemonWindow.Map(shown); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        std::vector<std::string> args{"--window", "320x240", "--seed", "3"};
        if (c.hack) {
            daemonWindow.Map(true);
            args = {"--window-id", std::to_string(daemonWindow.Id()), "--fps", "100"};
        }
        TankProcess run(home, args, {{"TIDEMERE_FRAME_TRACE", "1"}});
        if (!c.hack) {
            for (int i = 0; i < 100 && (tank = VisibleTankWindow()).empty(); ++i)
                Sleep(100);
            ASSERT_FALSE(tank.empty()) << run.Output();
        }
        for (int i = 0; i < 100 && Frames(run.Output()).size() < 20; ++i)
            Sleep(100);
        ASSERT_GE(Frames(run.Output()).size(), 20u) << run.Output();

        c.show(false);
        const double hiddenAt = NowMs();
        Sleep(2000);
        const double shownAt = NowMs();
        c.show(true);
        Sleep(1000);
        ASSERT_EQ(run.Wait(0), -1) << run.Output();
        const std::vector<TracedFrame> frames = Frames(run.Output());

        // The event takes a moment to arrive; after that, not one frame.
        const double settled = hiddenAt + 300;
        int before = -1, drawnHidden = 0, after = -1;
        for (int i = 0; i < static_cast<int>(frames.size()); ++i) {
            if (frames[i].atMs < hiddenAt) before = i;
            if (frames[i].atMs > settled && frames[i].atMs < shownAt) ++drawnHidden;
            if (after < 0 && frames[i].atMs >= shownAt) after = i;
        }
        EXPECT_EQ(drawnHidden, 0);
        ASSERT_GE(before, 0);
        ASSERT_GE(after, 0) << "no frame once shown again";
        const TracedFrame& last = frames.back();
        EXPECT_GT(last.atMs - frames[after].atMs, 500) << "drawing did not go on";
        // The first frame back moves the fish at most a frame's steps plus
        // the quarter second of catch-up: the time away is dropped.
        EXPECT_LE(frames[after].steps - frames[after - 1].steps, 26);
        EXPECT_GT(frames[after].dropped, frames[before].dropped + 150);
        // Once started, steps taken and dropped add up to wall time, hidden
        // or not: 100 a second.
        const TracedFrame& from = frames[std::min(before, 10)];
        const double wallSteps = (last.atMs - from.atMs) / 10.0;
        const long long counted = (last.steps + last.dropped) - (from.steps + from.dropped);
        EXPECT_NEAR(static_cast<double>(counted), wallSteps, 3.0);
    }
}
