#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "view/FrameStats.h"

namespace {

CommandLineResult Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(CommandLine, ReadsEveryOptionInBothSpellings) {
    const auto r = Parse({"--window", "1280x720", "--seed=7", "--frames", "300", "--screenshot",
                          "tank.png", "--benchmark"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.windowWidth, 1280);
    EXPECT_EQ(r.options.windowHeight, 720);
    EXPECT_EQ(r.options.seed, 7u);
    EXPECT_EQ(r.options.frames, 300);
    EXPECT_EQ(r.options.screenshot, "tank.png");
    EXPECT_TRUE(r.options.benchmark);
    EXPECT_TRUE(Parse({"--help"}).options.help);
    EXPECT_TRUE(Parse({"--version"}).options.version);
    EXPECT_EQ(Parse({"--seed", "4294967295"}).options.seed, 4294967295u);
    EXPECT_EQ(Parse({}).options.fps, 0);
    EXPECT_EQ(Parse({"--fps", "1"}).options.fps, 1);
    EXPECT_EQ(Parse({"--fps=1000"}).options.fps, 1000);
}

TEST(CommandLine, BadOptionsAndValuesAreNamedInTheError) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--fullscreen"},
             {"--window"},
             {"--window", "1280"},
             {"--window", "0x720"},
             {"--window", "1280x-1"},
             {"--window", "99999x10"},
             {"--seed", "-1"},
             {"--seed", "4294967296"},
             {"--seed", "abc"},
             {"--frames", "0"},
             {"--frames", "12.5"},
             {"--frames"},
             {"--fps"},
             {"--fps", "0"},
             {"--fps", "1001"},
             {"--fps", "30.5"},
             {"--screenshot", "a.png"},
             {"--screenshot="},
             {"tank.png"}}) {
        const auto r = ParseCommandLine(args);
        EXPECT_NE(r.error, "") << args[0];
        EXPECT_NE(r.error.find(args[0].substr(0, args[0].find('='))), std::string::npos)
            << r.error;
    }
}

TEST(FrameStats, SummaryUsesNearestRankPercentiles) {
    std::vector<double> ms;
    for (int i = 100; i >= 1; --i) ms.push_back(i);
    const FrameSummary s = Summarise(ms);
    EXPECT_EQ(s.count, 100);
    EXPECT_DOUBLE_EQ(s.mean, 50.5);
    EXPECT_DOUBLE_EQ(s.median, 50.5);
    EXPECT_DOUBLE_EQ(s.p95, 95);
    EXPECT_DOUBLE_EQ(s.p99, 99);
    EXPECT_NEAR(s.fps, 1000 / 50.5, 1e-9);
    EXPECT_EQ(Summarise({}).count, 0);
}

}  // namespace

namespace {

TEST(WindowId, HexOrDecimalWithinThirtyTwoBits) {
    EXPECT_EQ(ParseWindowId("0x1e00007"), 0x1e00007u);
    EXPECT_EQ(ParseWindowId("0X1E00007"), 0x1e00007u);
    EXPECT_EQ(ParseWindowId("31457287"), 31457287u);
    EXPECT_EQ(ParseWindowId("0xffffffff"), 0xffffffffu);
    EXPECT_EQ(ParseWindowId("4294967295"), 4294967295u);
    for (const char* bad : {"", "0x", "0", "0x0", "0x100000000", "4294967296", "99999999999", "-5",
                            "+5", " 5", "5 ", "0x1g", "1e3", "12ab", "0x-1", "garbage"})
        EXPECT_FALSE(ParseWindowId(bad)) << bad;
}

TEST(CommandLine, HackModeAndScreenOptionsInEverySpelling) {
    EXPECT_TRUE(Parse({"--root"}).options.root);
    EXPECT_TRUE(Parse({"-root"}).options.root);
    EXPECT_EQ(Parse({"-window-id", "0x2a"}).options.windowId, 42u);
    EXPECT_EQ(Parse({"--window-id=42"}).options.windowId, 42u);
    EXPECT_EQ(Parse({"--screen", "1"}).options.screen, 1);
    EXPECT_EQ(Parse({}).options.screen, -1);
    EXPECT_TRUE(Parse({"--span"}).options.span);
    EXPECT_EQ(Parse({"--root", "--seed", "3"}).error, "");
    const auto tuned = Parse({"-root", "-bubbles", "0", "--light=100"});
    ASSERT_EQ(tuned.error, "");
    EXPECT_EQ(tuned.options.bubbles, 0);
    EXPECT_EQ(tuned.options.light, 100);
    EXPECT_EQ(Parse({"--root"}).options.bubbles, -1);
}

TEST(CommandLine, HacksDrawThirtyFramesASecondUnlessTold) {
    EXPECT_EQ(RequestedFps(Parse({"--root"}).options), 30);
    EXPECT_EQ(RequestedFps(Parse({"-window-id", "5"}).options), 30);
    EXPECT_EQ(RequestedFps(Parse({}).options), 0);
    CommandLineOptions told = Parse({"--root"}).options;
    told.fps = 12;
    EXPECT_EQ(RequestedFps(told), 12);
}

TEST(CommandLine, HackAndScreenOptionsThatContradictAreRefused) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--window-id"},
             {"--window-id", "garbage"},
             {"-window-id", "0x"},
             {"--root", "--window-id", "5"},
             {"--root", "--window", "320x200"},
             {"--window-id", "5", "--span"},
             {"--root", "--screen", "0"},
             {"--span", "--screen", "1"},
             {"--span", "--window", "320x200"},
             {"--screen", "0", "--window", "320x200"},
             {"--screen", "-1"},
             {"--screen", "256"},
             {"--screen"},
             {"--root", "--bubbles", "111"},
             {"--root", "--light", "101"},
             {"--bubbles", "5"},
             {"--light", "5"}}) {
        const auto r = ParseCommandLine(args);
        EXPECT_NE(r.error, "") << args[0] << " " << args.back();
    }
}

}  // namespace
