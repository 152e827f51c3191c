// Screensaver hack mode: the real binary drawing into plain X windows that a
// small helper makes, the way a screensaver daemon or a settings preview does.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "E2e.h"

namespace {

// The binary in hack mode; the daemon ends a hack with SIGTERM.
struct Hack : TankProcess {
    Hack(const TempDir& home, std::vector<std::string> args, const Env& env = {})
        : TankProcess(home, std::move(args), env, SIGTERM) {}
};

// A plain X window with a magenta background that lives as long as this object.
class PlainWindow {
public:
    PlainWindow(int w, int h) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            execl(TIDEMERE_XHELPER, TIDEMERE_XHELPER, "create", std::to_string(w).c_str(),
                  std::to_string(h).c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char line[64] = {};
        if (read(fds[0], line, sizeof line - 1) > 0) id_ = std::string(line, std::strcspn(line, "\r\n"));
        close(fds[0]);
    }
    ~PlainWindow() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& Id() const { return id_; }
    void Resize(int w, int h) const {
        Sh(std::string(TIDEMERE_XHELPER) + " resize " + id_ + " " + std::to_string(w) + " " + std::to_string(h));
    }
    // What the screen shows where the window is.
    QImage Grab(const TempDir& home) const {
        const std::string file = home.File("grab.ppm");
        std::remove(file.c_str());
        Sh(std::string(TIDEMERE_XHELPER) + " grab " + id_ + " " + file);
        return Picture(file);
    }

private:
    pid_t pid_ = -1;
    std::string id_;
};

// Share of the pixels that show the window's own background.
double BareShare(const QImage& image) {
    long bare = 0, all = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2, ++all) bare += image.pixel(x, y) == qRgb(255, 0, 255);
    return all ? double(bare) / all : 1.0;
}

class HackMode : public EndToEnd {
protected:
    // Waits until the window shows the tank, then checks it moves.
    void ExpectLiveTank(const PlainWindow& window, Hack& hack) {
        QImage first;
        for (int i = 0; i < 150 && BareShare(first = window.Grab(home)) >= 0.01; ++i)
            ASSERT_EQ(hack.Wait(0.1), -1) << hack.Output();
        EXPECT_LT(BareShare(first), 0.01) << "the tank does not fill the window";
        Sleep(400);
        const QImage second = window.Grab(home);
        ASSERT_EQ(first.size(), second.size());
        long changed = 0;
        for (int y = 0; y < first.height(); ++y)
            for (int x = 0; x < first.width(); ++x) changed += first.pixel(x, y) != second.pixel(x, y);
        EXPECT_GT(changed, first.width() * first.height() / 200) << "the picture stands still";
        EXPECT_EQ(hack.Wait(0), -1) << hack.Output();
    }
};

TEST_F(HackMode, AtScaleTwoTheTankFillsAnOddSizedWindowAndFollowsItsSize) {
    PlainWindow window(241, 161);
    Hack hack(home, {"--window-id", window.Id()}, {{"QT_SCALE_FACTOR", "2"}});
    ExpectLiveTank(window, hack);
    window.Resize(481, 361);
    QImage grown;
    for (int i = 0; i < 40 && BareShare(grown = window.Grab(home)) > 0; ++i) Sleep(100);
    EXPECT_EQ(grown.size(), QSize(481, 361));
    EXPECT_EQ(BareShare(grown), 0.0) << "a bare edge is left";
    EXPECT_GT(Colours(grown.copy(240, 180, 241, 181), 4), 20u) << "no tank in the new lower right";
    EXPECT_EQ(hack.Wait(0), -1) << hack.Output();
}

TEST_F(HackMode, TwoCopiesRunSideBySideWithoutALock) {
    PlainWindow left(200, 150), right(200, 150);
    // The daemon spellings: a decimal id, and the window named in the environment.
    Hack first(home, {"-window-id", std::to_string(std::stoul(left.Id(), nullptr, 16))});
    Hack second(home, {"-root"}, {{"XSCREENSAVER_WINDOW", right.Id()}});
    ExpectLiveTank(left, first);
    ExpectLiveTank(right, second);
    // Neither holds the lock a full-screen copy would see.
    TankProcess windowed(home, {"--window", "160x120", "--frames", "5"});
    EXPECT_EQ(windowed.Wait(30), 0) << windowed.Output();
    EXPECT_NE(windowed.Output().find("Tank after 5 frames"), std::string::npos) << windowed.Output();
}

}  // namespace
