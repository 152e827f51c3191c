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
