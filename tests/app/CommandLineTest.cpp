#include <gtest/gtest.h>

#include <sstream>

#include "app/CommandLine.h"
#include "view/FrameStats.h"

namespace {

// "a b c" as arguments.
std::vector<std::string> Args(const std::string& line) {
    std::vector<std::string> args;
    std::istringstream in(line);
    for (std::string arg; in >> arg;)
        args.push_back(arg);
    return args;
}

// The options of a command line that must be accepted.
CommandLineOptions Options(const std::string& line) {
    const CommandLineResult r = ParseCommandLine(Args(line));
    EXPECT_EQ(r.error, "") << line;
    return r.options;
}

TEST(CommandLine, ReadsEveryOptionInEverySpelling) {
    const auto o = Options(
        "--window 1280x720 --seed=4294967295 --frames 300 --screenshot tank.png --benchmark "
        "--fps=1000 --help --version");
    EXPECT_EQ(std::tuple(o.windowWidth, o.windowHeight, o.seed, o.frames, o.fps, o.screenshot),
              std::tuple(1280, 720, 4294967295u, 300, 1000, std::string("tank.png")));
    EXPECT_TRUE(o.benchmark && o.help && o.version);
    const auto hack = Options("-root -bubbles 0 --light=100");
    EXPECT_EQ(std::tuple(hack.root, hack.bubbles, hack.light), std::tuple(true, 0, 100));
    EXPECT_EQ(Options("-window-id 0x2a").windowId, 42u);
    // A settings preview adds the window to the configured --root command:
    // the window wins, in either order and either spelling.
    for (const char* line :
         {"--root --window-id 0x2a", "-window-id 42 -root", "--window-id=42 --root"}) {
        const auto preview = Options(line);
        EXPECT_EQ(std::tuple(preview.root, preview.windowId), std::tuple(false, 42u)) << line;
    }
    // A screensaver is silent unless asked; the program always may sound.
    EXPECT_FALSE(SoundAllowed(Options("--root")));
    EXPECT_FALSE(SoundAllowed(Options("--root --window-id 42")));
    EXPECT_TRUE(SoundAllowed(Options("-window-id 42 -sound")));
    EXPECT_TRUE(SoundAllowed(Options("--root --sound")));
    EXPECT_TRUE(SoundAllowed(Options("--window 320x200")));
    EXPECT_EQ(Options("--screen 1").screen, 1);
    EXPECT_TRUE(Options("--span").span);
    // Screensavers draw thirty frames a second unless told.
    EXPECT_EQ(RequestedFps(Options("--window-id=42")), 30);
    EXPECT_EQ(RequestedFps(Options("--root --fps 12")), 12);
    EXPECT_EQ(RequestedFps(Options("")), 0);
}

TEST(CommandLine, BadOrContradictoryOptionsAreRefusedNamingTheOptionAtFault) {
    std::istringstream lines(
        "--fullscreen;--window;--window 1280;--window 0x720;--window 1280x-1;--window 99999x10;"
        "--seed -1;--seed 4294967296;--frames 0;--frames 12.5;--frames;--fps;--fps 0;--fps 1001;"
        "--screenshot a.png;--screenshot=;tank.png;--window-id;--window-id garbage;"
        "--root --window 320x200;--window-id 5 --root --window 320x200;--sound;"
        "--window-id 5 --span;--root --screen 0;--span --screen 1;--span --window 320x200;--screen "
        "0 --window 320x200;--screen -1;"
        "--screen 256;--screen;--bubbles 111 --root;--light 101 --root;--bubbles 5;--light 5");
    for (std::string line; std::getline(lines, line, ';');) {
        const std::string error = ParseCommandLine(Args(line)).error;
        const std::string first = line.substr(0, line.find_first_of(" ="));
        EXPECT_NE(error.find(first), std::string::npos) << line << ": " << error;
    }
}

TEST(CommandLine, WindowIdsAreHexOrDecimalWithinThirtyTwoBits) {
    EXPECT_EQ(ParseWindowId("0X1E00007"), 0x1e00007u);
    EXPECT_EQ(ParseWindowId("0xffffffff"), 0xffffffffu);
    EXPECT_EQ(ParseWindowId("4294967295"), 4294967295u);
    for (const char* bad : {"", "0x", "0", "0x0", "0x100000000", "4294967296", "-5", "+5", " 5",
                            "5 ", "0x1g", "1e3", "12ab", "0x-1"})
        EXPECT_FALSE(ParseWindowId(bad)) << bad;
}

TEST(FrameStats, SummaryUsesNearestRankPercentiles) {
    std::vector<double> ms;
    for (int i = 100; i >= 1; --i)
        ms.push_back(i);
    const FrameSummary s = Summarise(ms);
    EXPECT_EQ(std::tuple(s.count, s.median, s.p95, s.p99), std::tuple(100, 50.5, 95.0, 99.0));
    EXPECT_NEAR(s.fps, 1000 / 50.5, 1e-9);
    EXPECT_EQ(Summarise({}).count, 0);
}

}  // namespace
