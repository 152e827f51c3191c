// Screensaver hack mode: the real binary drawing into plain X windows made
// here on a connection of their own, the way a screensaver daemon or a
// settings preview does.

#include <QScreen>
#include <memory>

#include "E2e.h"
#include "support/GlTestContext.h"
// After Qt and gtest: Xlib's macros clash with their names.
#include <X11/Xlib.h>

namespace {

// A plain magenta X window; closing its connection destroys it.
class PlainWindow {
public:
    PlainWindow(int x, int w, int h) : display_(XOpenDisplay(nullptr)) {
        EnsureTestApplication();  // for its screen grabs
        XSetWindowAttributes a{};
        a.background_pixel = 0xff00ff;
        a.override_redirect = True;  // placed exactly, with or without a window manager
        id_ = XCreateWindow(display_, DefaultRootWindow(display_), x, 0, w, h, 0, CopyFromParent,
                            InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect, &a);
        XMapRaised(display_, id_);
        XSync(display_, False);
    }
    ~PlainWindow() { XCloseDisplay(display_); }
    std::string Id() const { return "0x" + QString::number(id_, 16).toStdString(); }
    void Resize(int w, int h) const {
        XResizeWindow(display_, id_, w, h);
        XSync(display_, False);
    }
    // What the screen shows where the window is, the program's own window
    // inside it included.
    QImage Grab() const {
        XWindowAttributes at;
        XGetWindowAttributes(display_, id_, &at);
        QScreen* screen = QGuiApplication::primaryScreen();
        return screen->grabWindow(0, at.x, at.y, at.width, at.height).toImage();
    }

private:
    Display* display_;
    Window id_;
};

// A pixel showing the window's own background.
const auto bare = [](QRgb p) { return p == qRgb(255, 0, 255); };

// Waits until the window shows the tank, then checks that it moves.
void ExpectLiveTank(const PlainWindow& window, TankProcess& hack) {
    QImage first;
    for (int i = 0; i < 150 && Share(first = window.Grab(), bare) >= 0.01; ++i)
        ASSERT_EQ(hack.Wait(0.1), -1) << hack.Output();
    EXPECT_LT(Share(first, bare), 0.01) << "the tank does not fill the window";
    Sleep(400);
    EXPECT_NE(window.Grab(), first) << "the picture stands still";
}

TEST_F(EndToEnd, HacksFillTheirWindowsFollowTheirSizeAndLeaveWithThem) {
    // Two copies side by side, so neither takes the lock: an odd size at a
    // scale factor of 2, named by a decimal id; and a window named in the
    // environment, the way xsecurelock does.
    auto left = std::make_unique<PlainWindow>(0, 241, 161);
    PlainWindow right(600, 200, 150);
    TankProcess first(home, {"-window-id", std::to_string(std::stoul(left->Id(), nullptr, 16))},
                      {{"QT_SCALE_FACTOR", "2"}});
    TankProcess second(home, {"-root"}, {{"XSCREENSAVER_WINDOW", right.Id()}});
    ExpectLiveTank(*left, first);
    ExpectLiveTank(right, second);
    // Neither holds the lock a full-screen copy would see.
    TankProcess windowed(home, {"--window", "160x120", "--frames", "5"});
    windowed.Wait(30);
    EXPECT_NE(windowed.Output().find("Tank after 5 frames"), std::string::npos)
        << windowed.Output();
    left->Resize(481, 361);
    QImage grown;
    for (int i = 0; i < 40 && Share(grown = left->Grab(), bare) > 0; ++i)
        Sleep(100);
    EXPECT_EQ(grown.size(), QSize(481, 361));
    EXPECT_EQ(Share(grown, bare), 0.0) << "a bare edge is left";
    EXPECT_GT(Colours(grown.copy(240, 180, 241, 181), 4), 20u) << "no tank in the new lower right";
    // The daemon takes a window away: its hack ends, the other runs on.
    left.reset();
    EXPECT_EQ(first.Wait(10), 0) << first.Output();
    EXPECT_EQ(second.Wait(0), -1) << second.Output();
}

}  // namespace
