// Screensaver hack mode: the real binary drawing into plain X windows that a
// small helper makes, the way a screensaver daemon or a settings preview does.

#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/TankProcess.h"
#include "support/TempDir.h"

namespace {

using Env = TankProcess::Env;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The binary in hack mode; the daemon ends a hack with SIGTERM.
class Hack : public TankProcess {
public:
    Hack(const TempDir& home, std::vector<std::string> args, const Env& env = {})
        : TankProcess(home, std::move(args), env, SIGTERM) {}
};

// A plain X window that lives as long as this object.
class PlainWindow {
public:
    PlainWindow(int w, int h) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            execl(TIDEMERE_XHELPER, TIDEMERE_XHELPER, "create", std::to_string(w).c_str(),
                  std::to_string(h).c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        FILE* out = fdopen(fds[0], "r");
        char line[64] = {};
        if (out && std::fgets(line, sizeof line, out)) id_ = line;
        if (out) std::fclose(out);
        while (!id_.empty() && (id_.back() == '\n' || id_.back() == '\r')) id_.pop_back();
    }
    ~PlainWindow() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& Id() const { return id_; }
    void Resize(int w, int h) const {
        std::system((std::string(TIDEMERE_XHELPER) + " resize " + id_ + " " + std::to_string(w) + " " +
                     std::to_string(h))
                        .c_str());
    }
    // What the screen shows where the window is.
    QImage Grab(const TempDir& home) const { return GrabScreen(home, id_); }

    static QImage GrabScreen(const TempDir& home, const std::string& window) {
        const std::string file = home.File("grab.ppm");
        std::remove(file.c_str());
        std::system((std::string(TIDEMERE_XHELPER) + " grab " + window + " " + file).c_str());
        return QImage(QString::fromStdString(file));
    }

private:
    pid_t pid_ = -1;
    std::string id_;
};

const QRgb kBackground = qRgb(255, 0, 255);

// Share of the pixels in `area` that show the window's own background.
double BareShare(const QImage& image, QRect area) {
    area &= image.rect();
    long bare = 0, all = 0;
    for (int y = area.top(); y <= area.bottom(); y += 2)
        for (int x = area.left(); x <= area.right(); x += 2, ++all) bare += image.pixel(x, y) == kBackground;
    return all ? double(bare) / all : 1.0;
}

long ChangedPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    long changed = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) changed += a.pixel(x, y) != b.pixel(x, y);
    return changed;
}

class HackMode : public ::testing::Test {
protected:
    TempDir home;
    HackMode() {
        std::system(("mkdir -p " + home.File("config") + " " + home.File("runtime") + " && chmod 700 " +
                     home.File("runtime"))
                        .c_str());
    }
    std::string SettingsFile() const { return home.File("config/VelmarScr/KelvaronSet.ini"); }

    // Waits until the window shows the tank, then checks it moves.
    void ExpectLiveTank(const PlainWindow& window, Hack& hack) {
        QImage first;
        for (int i = 0; i < 150; ++i) {
            first = window.Grab(home);
            if (!first.isNull() && BareShare(first, first.rect()) < 0.01) break;
            ASSERT_EQ(hack.Wait(0.1), -1) << hack.Output();
        }
        ASSERT_FALSE(first.isNull());
        EXPECT_LT(BareShare(first, first.rect()), 0.01) << "the tank does not fill the window";
        Sleep(400);
        const QImage second = window.Grab(home);
        EXPECT_GT(ChangedPixels(first, second), first.width() * first.height() / 200)
            << "the picture stands still";
        EXPECT_EQ(hack.Wait(0), -1) << hack.Output();
    }
};

TEST_F(HackMode, WindowIdInHexOrDecimalFillsThePlainWindowWithAMovingTank) {
    PlainWindow window(320, 240);
    ASSERT_EQ(window.Id().rfind("0x", 0), 0u) << window.Id();
    {
        Hack hack(home, {"--window-id", window.Id()});
        ExpectLiveTank(window, hack);
    }
    // The daemon spelling, with the id in decimal.
    const std::string decimal = std::to_string(std::stoul(window.Id(), nullptr, 16));
    Hack hack(home, {"-window-id", decimal});
    ExpectLiveTank(window, hack);
}

TEST_F(HackMode, AtScaleFactorTwoTheTankStillFillsAnOddSizedWindow) {
    PlainWindow window(321, 241);
    Hack hack(home, {"--window-id", window.Id()}, {{"QT_SCALE_FACTOR", "2"}});
    ExpectLiveTank(window, hack);
    window.Resize(401, 301);
    QImage grown;
    for (int i = 0; i < 40 && BareShare(grown = window.Grab(home), QRect(0, 0, 401, 301)) > 0; ++i) Sleep(100);
    EXPECT_EQ(BareShare(grown, QRect(0, 0, 401, 301)), 0.0) << "a bare edge is left";
}

TEST_F(HackMode, RootDrawsIntoTheWindowNamedByXScreenSaver) {
    PlainWindow window(300, 200);
    Hack hack(home, {"-root"}, {{"XSCREENSAVER_WINDOW", window.Id()}});
    ExpectLiveTank(window, hack);
}

TEST_F(HackMode, TheTankFollowsTheWindowWhenItGrows) {
    PlainWindow window(240, 160);
    Hack hack(home, {"--window-id", window.Id()});
    ExpectLiveTank(window, hack);
    window.Resize(480, 360);
    QImage grown;
    for (int i = 0; i < 40; ++i) {
        Sleep(100);
        grown = window.Grab(home);
        if (BareShare(grown, QRect(240, 160, 240, 200)) < 0.01) break;
    }
    ASSERT_EQ(grown.size(), QSize(480, 360));
    EXPECT_LT(BareShare(grown, QRect(240, 0, 240, 360)), 0.01) << "the new right part stays bare";
    EXPECT_LT(BareShare(grown, QRect(0, 160, 480, 200)), 0.01) << "the new lower part stays bare";
    EXPECT_EQ(hack.Wait(0), -1) << hack.Output();
}

TEST_F(HackMode, LeavesWhenItsWindowIsGone) {
    auto window = std::make_unique<PlainWindow>(200, 150);
    Hack hack(home, {"--window-id", window->Id()});
    ExpectLiveTank(*window, hack);
    window.reset();  // the helper ends, the X server destroys its window
    EXPECT_EQ(hack.Wait(10), 0) << hack.Output();
}

TEST_F(HackMode, LightOptionDimsTheTankWithoutTouchingTheSettings) {
    PlainWindow window(240, 180);
    auto brightness = [&](const std::string& light) {
        Hack hack(home, {"--window-id", window.Id(), "--light", light});
        ExpectLiveTank(window, hack);
        const QImage image = window.Grab(home);
        double sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) sum += qGray(image.pixel(x, y));
        return sum / (image.width() * image.height());
    };
    const double full = brightness("100");
    const std::string settings = ReadWholeFile(SettingsFile());
    const double dark = brightness("0");
    EXPECT_LT(dark, full * 0.8) << "full " << full << ", dark " << dark;
    EXPECT_EQ(ReadWholeFile(SettingsFile()), settings);
    EXPECT_NE(settings.find("LIGHTQIANGDU=0"), std::string::npos);
}

TEST_F(HackMode, TwoCopiesRunSideBySideWithoutALock) {
    PlainWindow left(200, 150), right(200, 150);
    Hack first(home, {"--window-id", left.Id()});
    Hack second(home, {"--window-id", right.Id()});
    ExpectLiveTank(left, first);
    ExpectLiveTank(right, second);
    // Neither holds a lock a full-screen copy would see.
    Hack windowed(home, {"--window", "160x120", "--frames", "5"});
    EXPECT_EQ(windowed.Wait(30), 0) << windowed.Output();
    EXPECT_NE(windowed.Output().find("Tank after 5 frames"), std::string::npos) << windowed.Output();
}

TEST_F(HackMode, KeysAndClicksOverTheWindowAreTheDaemonsBusiness) {
    PlainWindow window(320, 240);
    Hack hack(home, {"--window-id", window.Id()});
    ExpectLiveTank(window, hack);
    // Escape would end the program and a right click would open its menu,
    // were the input its own.
    ASSERT_EQ(std::system("xdotool mousemove 100 100 key Escape click 3"), 0);
    Sleep(700);
    EXPECT_EQ(hack.Wait(0), -1) << hack.Output();
    const QImage picture = window.Grab(home);
    EXPECT_LT(BareShare(picture, picture.rect()), 0.01);
    // No menu covers the tank: its pale item colour appears nowhere.
    long pale = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) pale += picture.pixel(x, y) == qRgb(249, 248, 247);
    EXPECT_EQ(pale, 0);
}

TEST_F(HackMode, MissingOrGarbageWindowsAreStatusTwoWithAMessage) {
    struct Case {
        std::vector<std::string> args;
        Env env;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"--window-id", "0x1fffff0"}, {}, "no X window 0x1fffff0"},
        {{"--window-id", "12345"}, {}, "no X window 0x3039"},
        {{"--window-id", "0xnope"}, {}, "is not an X window id"},
        {{"--window-id", "99999999999"}, {}, "is not an X window id"},
        {{"--root"}, {{"XSCREENSAVER_WINDOW", "garbage"}}, "XSCREENSAVER_WINDOW='garbage'"},
        {{"--root"}, {{"XSCREENSAVER_WINDOW", "0x1fffff0"}}, "(XSCREENSAVER_WINDOW)"},
    };
    for (const Case& c : cases) {
        Hack hack(home, c.args, c.env);
        EXPECT_EQ(hack.Wait(20), 2) << c.args.back() << "\n" << hack.Output();
        EXPECT_NE(hack.Output().find(c.message), std::string::npos) << hack.Output();
    }
}

}  // namespace

namespace {

TEST_F(HackMode, AScreenThatIsNotThereListsTheScreens) {
    Hack bad(home, {"--screen", "7"});
    EXPECT_EQ(bad.Wait(20), 2) << bad.Output();
    EXPECT_NE(bad.Output().find("--screen 7: there is no such screen"), std::string::npos) << bad.Output();
    EXPECT_NE(bad.Output().find("0: "), std::string::npos) << bad.Output();
    // The first screen, and the span of all, are full-screen runs.
    for (const char* option : {"--screen", "--span"}) {
        const std::string shot = home.File(std::string(option + 2) + ".png");
        std::vector<std::string> args{option};
        if (std::string(option) == "--screen") args.push_back("0");
        for (const char* a : {"--frames", "20", "--screenshot"}) args.push_back(a);
        args.push_back(shot);
        Hack run(home, args);
        ASSERT_EQ(run.Wait(60), 0) << run.Output();
        const QImage screen = PlainWindow::GrabScreen(home, "root");
        EXPECT_EQ(QImage(QString::fromStdString(shot)).size(), screen.size()) << option;
    }
}

}  // namespace

namespace {

// An X server of its own with two screens, 800x600 and 640x480. The number is
// picked at random in a range test runners leave alone and checked by looking
// at the second screen, since an X server elsewhere on the machine may hold it.
class TwoScreenServer {
public:
    explicit TwoScreenServer(const TempDir& home) {
        std::srand(static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(std::time(nullptr)));
        for (int attempt = 0; attempt < 5 && display_.empty(); ++attempt) {
            const std::string display = ":" + std::to_string(300 + std::rand() % 500);
            pid_ = fork();
            if (pid_ == 0) {
                const int devnull = open("/dev/null", O_WRONLY);
                dup2(devnull, STDERR_FILENO);
                execlp("Xvfb", "Xvfb", display.c_str(), "-nolisten", "tcp", "-screen", "0", "800x600x24",
                       "-screen", "1", "640x480x24", static_cast<char*>(nullptr));
                _exit(127);
            }
            for (int i = 0; i < 50 && display_.empty() && waitpid(pid_, nullptr, WNOHANG) == 0; ++i) {
                Sleep(100);
                ScopedEnv env("DISPLAY", display + ".1");
                if (PlainWindow::GrabScreen(home, "root").size() == QSize(640, 480)) display_ = display;
            }
            if (display_.empty()) Stop();
        }
    }
    ~TwoScreenServer() { Stop(); }
    const std::string& Display() const { return display_; }

private:
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    pid_t pid_ = -1;
    std::string display_;
};

TEST_F(HackMode, ScreenOnePutsTheTankOnTheSecondScreen) {
    TwoScreenServer server(home);
    ASSERT_FALSE(server.Display().empty());
    Hack run(home, {"--screen", "1", "--frames", "100000"}, {{"DISPLAY", server.Display()}});
    // The second screen's root shows the tank; the first stays bare.
    auto colours = [&](const std::string& screen) {
        ScopedEnv display("DISPLAY", server.Display() + "." + screen);
        const QImage image = PlainWindow::GrabScreen(home, "root");
        std::set<QRgb> seen;
        for (int y = 0; y < image.height(); y += 8)
            for (int x = 0; x < image.width(); x += 8) seen.insert(image.pixel(x, y));
        return std::make_pair(image.size(), seen.size());
    };
    std::pair<QSize, size_t> second;
    for (int i = 0; i < 100 && (second = colours("1")).second < 50; ++i) {
        ASSERT_EQ(run.Wait(0.1), -1) << run.Output();
    }
    EXPECT_EQ(second.first, QSize(640, 480));
    EXPECT_GE(second.second, 50u) << "no tank on the second screen";
    EXPECT_LT(colours("0").second, 5u) << "the first screen was drawn on";

    Hack listed(home, {"--screen", "2"}, {{"DISPLAY", server.Display()}});
    EXPECT_EQ(listed.Wait(20), 2);
    EXPECT_NE(listed.Output().find("0: screen 800x600+0+0"), std::string::npos) << listed.Output();
    EXPECT_NE(listed.Output().find("1: screen 640x480+0+0"), std::string::npos) << listed.Output();
}

}  // namespace
