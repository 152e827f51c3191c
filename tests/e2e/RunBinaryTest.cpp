#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"

namespace {

// The real program, run with its own config and runtime folders.
class Program {
public:
    Program(const TempDir& home, std::vector<std::string> args) {
        output_ = home.File("output-" + std::to_string(counter_++) + ".txt");
        pid_ = fork();
        if (pid_ == 0) {
            setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
            setenv("XDG_RUNTIME_DIR", home.File("runtime").c_str(), 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            freopen(output_.c_str(), "w", stdout);
            dup2(fileno(stdout), fileno(stderr));
            std::vector<char*> argv{const_cast<char*>(TIDEMERE_BINARY)};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(TIDEMERE_BINARY, argv.data());
            _exit(127);
        }
    }
    ~Program() {
        if (pid_ > 0 && !done_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    // Exit status, or -1 when it had not ended within `seconds`.
    int Wait(double seconds) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                done_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }
    std::string Output() const { return ReadWholeFile(output_); }

private:
    static inline int counter_ = 0;
    pid_t pid_ = -1;
    bool done_ = false;
    std::string output_;
};

class EndToEnd : public ::testing::Test {
protected:
    TempDir home;
    EndToEnd() {
        std::system(("mkdir -p " + home.File("config") + " " + home.File("runtime") +
                     " && chmod 700 " + home.File("runtime"))
                        .c_str());
    }
    std::string SettingsFile() const { return home.File("config/VelmarScr/KelvaronSet.ini"); }
    // A copy is up once it has written its settings; give its window a moment more.
    bool WaitUntilStarted() const {
        for (int i = 0; i < 500 && ReadWholeFile(SettingsFile()).empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return !ReadWholeFile(SettingsFile()).empty();
    }
};

TEST_F(EndToEnd, RunsFramesSavesAScreenshotAndWritesCompleteSettings) {
    const std::string shot = home.File("tank.png");
    Program p(home, {"--window", "1024x768", "--frames", "120", "--seed", "7", "--screenshot", shot});
    ASSERT_EQ(p.Wait(120), 0) << p.Output();

    QImage image(QString::fromStdString(shot));
    ASSERT_FALSE(image.isNull()) << p.Output();
    EXPECT_EQ(image.width(), 1024);
    EXPECT_EQ(image.height(), 768);
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 16)
        for (int x = 0; x < image.width(); x += 16) colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 50u) << "the picture is nearly blank";

    const std::string settings = ReadWholeFile(SettingsFile());
    for (const char* key : {"Show Water=0", "Show Terra=1", "FRONTCOLOR=16777215", "BACKCOLOR=0",
                            "BACK COLOR1=65280", "YINLIANG=32767.5", "QIPAONUM=100",
                            "BACKGROUND=0", "FOGNONGDU=25", "LIGHTQIANGDU=0", "CHECK VIEWS=1",
                            "VIEWSNEARFAR=0", "[Fish Number]", "Fish0=", "Fish4="})
        EXPECT_NE(settings.find(key), std::string::npos) << key;
}

TEST_F(EndToEnd, SecondCopyLeavesAtOnceWhileTheFirstRuns) {
    Program first(home, {"--window", "320x240", "--frames", "100000"});
    // Wait until the first copy is up (it writes its settings on start).
    ASSERT_TRUE(WaitUntilStarted()) << first.Output();
    // No frame limit: only finding the first copy can end the second one.
    Program second(home, {"--window", "320x240"});
    EXPECT_EQ(second.Wait(10), 0) << "the second copy kept running: " << second.Output();
    EXPECT_EQ(first.Wait(0.5), -1) << "the first copy must keep running";
}

TEST_F(EndToEnd, EscapeLeavesAtOnceWithStatusZero) {
    Program p(home, {"--window", "320x240"});
    ASSERT_TRUE(WaitUntilStarted()) << p.Output();
    // No window manager: the key goes to the window under the pointer.
    ASSERT_EQ(std::system("xdotool mousemove 100 100 key Escape"), 0);
    EXPECT_EQ(p.Wait(10), 0) << p.Output();
}

TEST_F(EndToEnd, ExitFromTheMenuEndsWithStatusZero) {
    Program p(home, {"--window", "640x480"});
    ASSERT_TRUE(WaitUntilStarted()) << p.Output();
    // Right click opens the menu; Up wraps to its last item, Exit.
    ASSERT_EQ(std::system("xdotool mousemove 100 100 click 3 sleep 0.7 key Up sleep 0.2 key Return"), 0);
    EXPECT_EQ(p.Wait(10), 0) << p.Output();
}

// "prey released R, eaten E" from the summary a scripted run prints.
std::pair<int, int> PreyCounts(const std::string& output) {
    int released = -1, eaten = -1;
    const auto at = output.find("prey released");
    if (at != std::string::npos) std::sscanf(output.c_str() + at, "prey released %d, eaten %d", &released, &eaten);
    return {released, eaten};
}

TEST_F(EndToEnd, FeedClicksReleasePreyThatTheFishEat) {
    std::system(("mkdir -p " + home.File("config/VelmarScr")).c_str());
    WriteWholeFile(SettingsFile(), "[Fish Number]\nFish0=1\nFish1=1\nFish2=1\nFish3=1\nFish4=1\n");
    Program p(home, {"--window", "640x360", "--seed", "5", "--frames", "1500"});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    // Feed mode is the starting mode: every click releases one prey.
    std::string clicks = "xdotool";
    for (int x = 80; x <= 560; x += 80)
        for (int y = 120; y <= 240; y += 60)
            clicks += " mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1 sleep 0.05";
    ASSERT_EQ(std::system(clicks.c_str()), 0);
    ASSERT_EQ(p.Wait(180), 0) << p.Output();
    const auto [released, eaten] = PreyCounts(p.Output());
    EXPECT_GE(released, 15) << p.Output();  // clicks within one frame merge into one
    EXPECT_LE(released, 21);
    EXPECT_GE(eaten, 1) << p.Output();
}

TEST_F(EndToEnd, FastDoubleClickReleasesOnePrey) {
    Program p(home, {"--window", "320x240", "--frames", "300"});
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    ASSERT_EQ(std::system("xdotool mousemove 160 120 click --repeat 2 --delay 60 1"), 0);
    ASSERT_EQ(p.Wait(60), 0) << p.Output();
    EXPECT_EQ(PreyCounts(p.Output()).first, 1) << p.Output();
}

TEST_F(EndToEnd, TheTankKeepsAHundredStepsASecondAtALowFrameRate) {
    Program p(home, {"--window", "320x240", "--fps", "25", "--frames", "50"});
    ASSERT_EQ(p.Wait(60), 0) << p.Output();
    long long steps = -1, dropped = -1;
    double seconds = 0;
    const std::string out = p.Output();
    const auto at = out.find("Steps ");
    ASSERT_NE(at, std::string::npos) << out;
    ASSERT_EQ(std::sscanf(out.c_str() + at, "Steps %lld in %lf s (%lld dropped)", &steps, &seconds,
                          &dropped),
              3)
        << out;
    // Fifty frames at 25 a second take two seconds or more, about four steps
    // each; a stalled machine may drop steps, but none are lost track of.
    EXPECT_GE(seconds, 1.9) << out;
    EXPECT_GE(steps, 3 * 50) << out;
    EXPECT_NEAR(static_cast<double>(steps + dropped), seconds * 100, 10 + seconds * 5) << out;
}

TEST_F(EndToEnd, MissingTempFolderIsReportedAndAScriptedRunFails) {
    setenv("TMPDIR", "/nonexistent/tidemere", 1);
    Program p(home, {"--window", "320x240", "--frames", "10"});
    unsetenv("TMPDIR");
    EXPECT_EQ(p.Wait(30), 1) << p.Output();
    EXPECT_NE(p.Output().find("Error Find TempPath."), std::string::npos) << p.Output();
}

TEST_F(EndToEnd, CommandLineErrorsExitWithStatusTwo) {
    Program bad(home, {"--window", "wide"});
    EXPECT_EQ(bad.Wait(10), 2);
    EXPECT_NE(bad.Output().find("--window"), std::string::npos) << bad.Output();
    Program help(home, {"--help"});
    EXPECT_EQ(help.Wait(10), 0);
    EXPECT_NE(help.Output().find("--screenshot"), std::string::npos);
}

TEST_F(EndToEnd, UnwritableScreenshotIsAFailure) {
    Program p(home, {"--window", "320x240", "--frames", "3", "--screenshot",
                     home.File("no/such/folder/tank.png")});
    EXPECT_EQ(p.Wait(60), 1) << p.Output();
    EXPECT_NE(p.Output().find("cannot write the screenshot"), std::string::npos) << p.Output();
}

}  // namespace
