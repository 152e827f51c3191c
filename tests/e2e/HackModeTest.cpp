// The real binary drawing into plain X windows made here, the way a
// screensaver daemon or a settings preview does, and a tank hidden by them.

#include <QScreen>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <sstream>

#include "E2e.h"
#include "support/GlTestContext.h"
// After Qt and gtest: Xlib's macros clash with their names.
#include <X11/Xlib.h>

namespace {

// A plain magenta X window on a connection of its own, as a screensaver
// daemon makes; with no width, one that covers the whole screen. Closing the
// connection destroys it.
class PlainWindow {
public:
    PlainWindow(int x, int w = 0, int h = 0, bool mapped = true) : display_(XOpenDisplay(nullptr)) {
        EnsureTestApplication();  // for its screen grabs
        XSetWindowAttributes a{};
        a.background_pixel = 0xff00ff;
        a.override_redirect = True;  // placed exactly, with or without a window manager
        const int screen = DefaultScreen(display_);
        id_ = XCreateWindow(display_, DefaultRootWindow(display_), x, 0,
                            w ? w : DisplayWidth(display_, screen),
                            w ? h : DisplayHeight(display_, screen), 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWBackPixel | CWOverrideRedirect, &a);
        Map(mapped);
    }
    ~PlainWindow() { XCloseDisplay(display_); }
    std::string Id() const { return "0x" + QString::number(id_, 16).toStdString(); }
    void Map(bool mapped) const {
        if (mapped)
            XMapRaised(display_, id_);
        else
            XUnmapWindow(display_, id_);
        XSync(display_, False);
    }
    // Top-level windows on the screen (mapped children of the root) other than this one.
    int OtherShownTopLevels() const {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
        int shown = 0;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes at;
            if (children[i] != id_ && XGetWindowAttributes(display_, children[i], &at) &&
                at.map_state == IsViewable)
                ++shown;
        }
        if (children) XFree(children);
        return shown;
    }
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
    bool moves = false;
    for (int i = 0; i < 40 && !(moves = window.Grab() != first); ++i)
        Sleep(50);
    EXPECT_TRUE(moves) << "the picture stands still";
}

// The largest sample in what SDL's disk driver wrote; 0 for silence or no file.
int Loudest(const std::string& path) {
    const std::string raw = ReadWholeFile(path);
    std::vector<std::int16_t> s(raw.size() / 2);
    if (!s.empty()) std::memcpy(s.data(), raw.data(), s.size() * 2);
    int loudest = 0;
    for (const std::int16_t v : s)
        loudest = std::max(loudest, std::abs(int(v)));
    return loudest;
}

TEST_F(EndToEnd, HacksFillTheirWindowsFollowTheirSizeAndLeaveWithThem) {
    // Two copies side by side, so neither takes the lock. The first as a
    // settings preview runs it: --root with the window id added, which wins
    // over XSCREENSAVER_WINDOW too; an odd size at a scale factor of 2, named
    // by a decimal id. The second in the window named in the environment, the
    // way xsecurelock does, with --sound. Sound goes to files.
    auto left = std::make_unique<PlainWindow>(0, 241, 161);
    PlainWindow right(600, 200, 150);
    const std::string quiet = home.File("quiet.raw"), loud = home.File("loud.raw");
    TankProcess first(home,
                      {"-root", "-window-id", std::to_string(std::stoul(left->Id(), nullptr, 16))},
                      {{"QT_SCALE_FACTOR", "2"},
                       {"XSCREENSAVER_WINDOW", right.Id()},
                       {"SDL_AUDIODRIVER", "disk"},
                       {"SDL_DISKAUDIOFILE", quiet}});
    TankProcess second(home, {"-root", "--sound"},
                       {{"XSCREENSAVER_WINDOW", right.Id()},
                        {"SDL_AUDIODRIVER", "disk"},
                        {"SDL_DISKAUDIOFILE", loud}});
    ExpectLiveTank(*left, first);
    ExpectLiveTank(right, second);
    // Neither holds the lock a full-screen copy would see.
    TankProcess windowed(home, {"--window", "160x120", "--frames", "5"});
    windowed.Wait(30);
    EXPECT_NE(windowed.Output().find("Tank after 5 frames"), std::string::npos)
        << windowed.Output();
    // Taller only: a window that keeps its width is followed too.
    left->Resize(241, 361);
    QImage grown;
    for (int i = 0; i < 40 && Share(grown = left->Grab(), bare) > 0; ++i)
        Sleep(100);
    EXPECT_EQ(grown.size(), QSize(241, 361));
    EXPECT_EQ(Share(grown, bare), 0.0) << "a bare edge is left";
    EXPECT_GT(Colours(grown.copy(0, 180, 241, 181), 4), 20u) << "no tank in the new lower half";
    // A screensaver is silent unless asked: the device is never opened.
    for (int i = 0; i < 100 && Loudest(loud) <= 500; ++i)
        Sleep(50);
    EXPECT_GT(Loudest(loud), 500) << "--sound plays the built-in loop\n" << second.Output();
    EXPECT_EQ(Loudest(quiet), 0) << first.Output();
    // The daemon takes a window away: its hack ends, the other runs on.
    left.reset();
    EXPECT_EQ(first.Wait(10), 0) << first.Output();
    EXPECT_EQ(second.Wait(0), -1) << second.Output();
}

TEST_F(EndToEnd, AScreensaverOpensNoWindowOfItsOwnAndHidesTheKeyHelp) {
    // Dark and without bubbles, so the help text (drawn unlit) is the only
    // bright thing; the windowed program shows it at the start.
    const auto settings = [&](const std::string& images) {
        WriteWholeFile(Settings(),
                       "[Aquarium Settings]\nLIGHTQIANGDU=100\nQIPAONUM=110\n" + images);
    };
    const auto lit = [](QRgb p) { return qRed(p) > 180 && qGreen(p) > 180 && qBlue(p) > 180; };
    settings("");
    const QImage withHelp = LastFrame({"--window", "320x240", "--frames", "10"});
    ASSERT_GT(Share(withHelp, lit, 1), 0.002) << "the windowed program shows its key help";
    auto window = std::make_unique<PlainWindow>(0, 320, 240);
    const std::string shot = home.File("hack.png");
    TankProcess brief(home, {"--window-id", window->Id(), "--frames", "10", "--screenshot", shot});
    ASSERT_EQ(brief.Wait(60), 0) << brief.Output();
    EXPECT_EQ(Share(QImage(QString::fromStdString(shot)), lit, 1), 0.0) << "key help in a hack";

    // Pictures that cannot be loaded: each is one line on stderr, and no
    // box opens, however long the hack runs.
    Sh("mkdir -p " + home.File("folder.png"));
    WriteWholeFile(home.File("garbage.jpg"), "not a picture");
    const std::vector<std::string> broken = {home.File("garbage.jpg"), home.File("missing.png"),
                                             home.File("folder.png")};
    std::string images =
        "[Custom Images]\nRandomImage=0\nCycImage=1\nRepeatImage=0\nOwnImage=1\n"
        "ImageTime=1\nImageSum=3\n";
    for (size_t i = 0; i < broken.size(); ++i)
        images += "ImageList" + std::to_string(i) + "=" + broken[i] + "\n";
    settings(images);
    TankProcess hack(home, {"--root"}, {{"XSCREENSAVER_WINDOW", window->Id()}});
    // One that stops short of drawing (no temp folder) still ends with its window.
    TankProcess stranded(home, {"--window-id", window->Id()}, {{"TMPDIR", home.File("none")}});
    const auto reported = [&](const std::string& path) {
        const std::string out = hack.Output();
        const std::string line = "(" + path + ")image loading error.\n";
        size_t n = 0;
        for (auto at = out.find(line); at != std::string::npos; at = out.find(line, at + 1))
            ++n;
        return n;
    };
    for (int i = 0; i < 150 && reported(broken[0]) + reported(broken[1]) + reported(broken[2]) < 3;
         ++i)
        ASSERT_EQ(hack.Wait(0.1), -1) << hack.Output();
    Sleep(1000);  // a box would be up by now
    for (const std::string& path : broken)
        EXPECT_EQ(reported(path), 1u) << path << "\n" << hack.Output();
    EXPECT_EQ(window->OtherShownTopLevels(), 0) << "a hack opened a window of its own";
    EXPECT_EQ(hack.Wait(0), -1) << "the hack goes on\n" << hack.Output();
    EXPECT_NE(stranded.Output().find("ERROR: Error Find TempPath.\n"), std::string::npos)
        << stranded.Output();
    window.reset();
    EXPECT_EQ(hack.Wait(10), 0) << hack.Output();
    EXPECT_EQ(stranded.Wait(10), 0) << stranded.Output();
}

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

std::string VisibleTankWindow() {
    FILE* p = popen("xdotool search --onlyvisible --name '^Tidemere' 2>/dev/null", "r");
    char line[64] = {};
    const bool got = p && std::fgets(line, sizeof line, p);
    if (p) pclose(p);
    return got ? std::string(line, std::strcspn(line, "\n")) : "";
}

// A tank nobody can see draws nothing, and once it shows again the fish are
// where the 10 ms steps put them: the time away is dropped, not raced.
TEST_F(EndToEnd, HiddenTankDrawsNothingAndKeepsTimeWhenShownAgain) {
    struct Case {
        const char* how;
        bool hack;  // drawing into a daemon's window that the daemon unmaps
        std::function<void(bool shown)> show;
    };
    PlainWindow daemonWindow(0, 320, 240, false), cover(0, 0, 0, false);
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
            args = {"--window-id", daemonWindow.Id(), "--fps", "100"};
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

TEST_F(EndToEnd, ASilentScreensaverNeverLoadsTheSoundLibraries) {
    // The dynamic loader names every library it opens; --sound is the control,
    // and even then the first frame does not wait for them.
    PlainWindow window(0, 160, 120);
    for (const bool sound : {false, true}) {
        SCOPED_TRACE(sound ? "--sound" : "silent");
        std::vector<std::string> args = {"--window-id", window.Id(), "--frames", "10"};
        if (sound) args.push_back("--sound");
        TankProcess run(home, args,
                        {{"LD_DEBUG", "files"},
                         {"SDL_AUDIODRIVER", "dummy"},
                         {"TIDEMERE_STARTUP_TRACE", "1"}});
        ASSERT_EQ(run.Wait(60), 0) << run.Output();
        const std::string out = run.Output();
        const auto mixer = out.find("libSDL2_mixer");
        EXPECT_EQ(mixer != std::string::npos, sound);
        if (sound) {
            EXPECT_LT(out.find("first frame drawn"), mixer);
        }
    }
}

}  // namespace
