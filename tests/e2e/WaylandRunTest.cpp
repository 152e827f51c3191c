#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "E2e.h"

namespace {

// A headless weston listening as `socket` in `runtimeDir`, with its shell
// helpers in a process group of their own; the whole group ends with this.
class HeadlessWeston {
public:
    HeadlessWeston(const std::string& runtimeDir, const std::string& socket,
                   const std::string& log) {
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
            unsetenv("WAYLAND_DISPLAY");
            unsetenv("WAYLAND_SOCKET");
            if (!std::freopen(log.c_str(), "w", stdout)) _exit(126);
            dup2(fileno(stdout), fileno(stderr));
            const std::string socketArg = "--socket=" + socket;
            execlp("weston", "weston", "--backend=headless-backend.so", socketArg.c_str(),
                   "--width=1024", "--height=768", "--idle-time=0", nullptr);
            _exit(127);
        }
        setpgid(pid_, pid_);  // no race with the child's own call
        const std::string path = runtimeDir + "/" + socket;
        for (int i = 0; i < 200 && !ready_; ++i, Sleep(50))
            ready_ = std::filesystem::exists(path) && waitpid(pid_, nullptr, WNOHANG) == 0;
    }
    ~HeadlessWeston() {
        if (pid_ <= 0) return;
        kill(-pid_, SIGTERM);
        bool reaped = false;
        for (int i = 0; i < 100 && !reaped; ++i, Sleep(20))
            reaped = waitpid(pid_, nullptr, WNOHANG) != 0;
        kill(-pid_, SIGKILL);  // whatever is left of the group
        if (!reaped) waitpid(pid_, nullptr, 0);
    }
    HeadlessWeston(const HeadlessWeston&) = delete;
    HeadlessWeston& operator=(const HeadlessWeston&) = delete;

    bool Ready() const { return ready_; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

TEST_F(EndToEnd, OnWaylandTheWindowAndTheFullScreenShowTheTank) {
    if (!Sh("command -v weston >/dev/null 2>&1")) GTEST_SKIP() << "weston is not installed";
    HeadlessWeston weston(home.File("runtime"), "wayland-tm", home.File("weston.txt"));
    ASSERT_TRUE(weston.Ready()) << ReadWholeFile(home.File("weston.txt"));
    // No X display: the tank can only draw through Wayland.
    const TankProcess::Env env = {
        {"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-tm"}, {"DISPLAY", ""}};
    const std::string shot = home.File("wayland.png");
    for (const auto& [args, size] :
         {std::tuple(std::vector<std::string>{"--window", "800x600"}, QSize(800, 600)),
          std::tuple(std::vector<std::string>{}, QSize(1024, 768))}) {
        std::vector<std::string> run = args;
        run.insert(run.end(), {"--frames", "60", "--screenshot", shot});
        std::remove(shot.c_str());
        TankProcess tank(home, run, env);
        ASSERT_EQ(tank.Wait(90), 0) << tank.Output() << ReadWholeFile(home.File("weston.txt"));
        const QImage image(QString::fromStdString(shot));
        EXPECT_EQ(image.size(), size);
        EXPECT_GT(Colours(image, 8), 50u) << "the picture is nearly flat";
        const double dark = Share(image, [](QRgb p) { return qGray(p) < 16; });
        EXPECT_LT(dark, 0.5) << "the picture is mostly black";
    }
}

}  // namespace
