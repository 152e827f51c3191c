#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "view/FrameStats.h"

namespace {

CommandLineOptions Options(std::vector<std::string> args) { return ParseCommandLine(args).options; }

TEST(CommandLine, ReadsEveryOptionInEverySpelling) {
    const auto r = ParseCommandLine(
        {"--window", "1280x720", "--seed=7", "--frames", "300", "--screenshot", "tank.png", "--benchmark"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.windowWidth, 1280);
    EXPECT_EQ(r.options.windowHeight, 720);
    EXPECT_EQ(r.options.seed, 7u);
    EXPECT_EQ(r.options.frames, 300);
    EXPECT_EQ(r.options.screenshot, "tank.png");
    EXPECT_TRUE(r.options.benchmark);
    EXPECT_TRUE(Options({"--help"}).help);
    EXPECT_TRUE(Options({"--version"}).version);
    EXPECT_EQ(Options({"--seed", "4294967295"}).seed, 4294967295u);
    EXPECT_EQ(Options({"--fps=1000"}).fps, 1000);
    EXPECT_TRUE(Options({"-root"}).root);
    EXPECT_EQ(Options({"-window-id", "0x2a"}).windowId, 42u);
    EXPECT_EQ(Options({"--window-id=42"}).windowId, 42u);
    EXPECT_EQ(Options({"--screen", "1"}).screen, 1);
    EXPECT_EQ(Options({}).screen, -1);
    EXPECT_TRUE(Options({"--span"}).span);
    const auto tuned = ParseCommandLine({"-root", "-bubbles", "0", "--light=100", "--seed", "3"});
    ASSERT_EQ(tuned.error, "");
    EXPECT_EQ(tuned.options.bubbles, 0);
    EXPECT_EQ(tuned.options.light, 100);
    EXPECT_EQ(Options({"--root"}).bubbles, -1);
}

TEST(CommandLine, BadOrContradictoryOptionsAreRefused) {
    using Args = std::vector<std::vector<std::string>>;
    // The option at fault is named in the error.
    for (const auto& args : Args{{"--fullscreen"}, {"--window"}, {"--window", "1280"}, {"--window", "0x720"},
                                 {"--window", "1280x-1"}, {"--window", "99999x10"}, {"--seed", "-1"},
                                 {"--seed", "4294967296"}, {"--seed", "abc"}, {"--frames", "0"},
                                 {"--frames", "12.5"}, {"--frames"}, {"--fps"}, {"--fps", "0"},
                                 {"--fps", "1001"}, {"--fps", "30.5"}, {"--screenshot", "a.png"},
                                 {"--screenshot="}, {"tank.png"}}) {
        const auto r = ParseCommandLine(args);
        EXPECT_NE(r.error.find(args[0].substr(0, args[0].find('='))), std::string::npos) << r.error;
    }
    for (const auto& args : Args{{"--window-id"}, {"--window-id", "garbage"}, {"--root", "--window-id", "5"},
                                 {"--root", "--window", "320x200"}, {"--window-id", "5", "--span"},
                                 {"--root", "--screen", "0"}, {"--span", "--screen", "1"},
                                 {"--span", "--window", "320x200"}, {"--screen", "0", "--window", "320x200"},
                                 {"--screen", "-1"}, {"--screen", "256"}, {"--screen"},
                                 {"--root", "--bubbles", "111"}, {"--root", "--light", "101"},
                                 {"--bubbles", "5"}, {"--light", "5"}})
        EXPECT_NE(ParseCommandLine(args).error, "") << args[0] << " " << args.back();
}

TEST(CommandLine, WindowIdsAreHexOrDecimalWithinThirtyTwoBits) {
    EXPECT_EQ(ParseWindowId("0X1E00007"), 0x1e00007u);
    EXPECT_EQ(ParseWindowId("31457287"), 31457287u);
    EXPECT_EQ(ParseWindowId("0xffffffff"), 0xffffffffu);
    EXPECT_EQ(ParseWindowId("4294967295"), 4294967295u);
    for (const char* bad : {"", "0x", "0", "0x0", "0x100000000", "4294967296", "-5", "+5", " 5", "5 ", "0x1g",
                            "1e3", "12ab", "0x-1"})
        EXPECT_FALSE(ParseWindowId(bad)) << bad;
}

TEST(CommandLine, HacksDrawThirtyFramesASecondUnlessTold) {
    EXPECT_EQ(RequestedFps(Options({"-window-id", "5"})), 30);
    EXPECT_EQ(RequestedFps(Options({})), 0);
    EXPECT_EQ(RequestedFps(Options({"--root", "--fps", "12"})), 12);
}

TEST(FrameStats, SummaryUsesNearestRankPercentiles) {
    std::vector<double> ms;
    for (int i = 100; i >= 1; --i) ms.push_back(i);
    const FrameSummary s = Summarise(ms);
    EXPECT_EQ(s.count, 100);
    EXPECT_DOUBLE_EQ(s.median, 50.5);
    EXPECT_DOUBLE_EQ(s.p95, 95);
    EXPECT_DOUBLE_EQ(s.p99, 99);
    EXPECT_NEAR(s.fps, 1000 / 50.5, 1e-9);
    EXPECT_EQ(Summarise({}).count, 0);
}

}  // namespace
