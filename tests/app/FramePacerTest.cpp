#include <gtest/gtest.h>

#include "view/FramePacer.h"

namespace {

constexpr std::int64_t kMs = 1'000'000;

// Runs frames at the times the pacer asks for (each costing `costNs`) and
// returns the steps taken over `seconds` of real time and the frames drawn.
std::pair<long long, int> RunFrames(FramePacer& pacer, double seconds, std::int64_t costNs) {
    std::int64_t now = 0;
    pacer.Start(now);
    int frames = 0;
    while (now < static_cast<std::int64_t>(seconds * 1e9)) {
        now = std::max(now, pacer.NextFrameNs());
        if (pacer.TakeSteps(now) == 0) {
            now += kMs;
            continue;
        }
        ++frames;
        now += costNs;
        pacer.FrameDone(now);
    }
    return {pacer.StepsTaken(), frames};
}

TEST(FramePacer, TheTankMovesAHundredStepsASecondAtAnyFrameRate) {
    for (int fps : {0, 1, 30, 60, 100, 144, 1000}) {
        FramePacer pacer(fps);
        const auto [steps, frames] = RunFrames(pacer, 10.0, 2 * kMs);
        EXPECT_NEAR(steps, 1000, 2) << fps;
        const int expected = fps == 0 ? 100 : std::min(fps, 100);
        EXPECT_NEAR(frames, expected * 10, 12) << fps;
        EXPECT_EQ(pacer.StepsDropped(), 0) << fps;
    }
}

TEST(FramePacer, AtAHundredFramesEveryFrameIsOneStep) {
    FramePacer pacer(100);
    pacer.Start(0);
    for (int frame = 1; frame <= 500; ++frame) {
        const std::int64_t now = pacer.NextFrameNs();
        ASSERT_EQ(now, frame * 10 * kMs);
        ASSERT_EQ(pacer.TakeSteps(now), 1) << frame;
        pacer.FrameDone(now + 3 * kMs);
    }
}

TEST(FramePacer, ASlowMachineStillMovesTheTankInRealTime) {
    // 45 ms a frame: about 22 frames a second, 4 or 5 steps each.
    FramePacer pacer(0);
    const auto [steps, frames] = RunFrames(pacer, 10.0, 45 * kMs);
    EXPECT_NEAR(steps, 1000, 6);
    EXPECT_NEAR(frames, 223, 3);
    EXPECT_EQ(pacer.StepsDropped(), 0);
}

TEST(FramePacer, AStallDropsTimeInsteadOfRacing) {
    FramePacer pacer(30);
    pacer.Start(0);
    EXPECT_EQ(pacer.TakeSteps(34 * kMs), 3);
    // Two seconds without a frame: one frame's steps plus the catch-up, no more.
    const int steps = pacer.TakeSteps(2034 * kMs);
    EXPECT_EQ(steps, pacer.MaxStepsPerFrame());
    EXPECT_EQ(steps, 4 + FramePacer::kCatchUpSteps);
    EXPECT_EQ(pacer.StepsDropped(), 203 - 3 - steps);
    // Afterwards the pace is the ordinary one again.
    pacer.FrameDone(2034 * kMs);
    EXPECT_EQ(pacer.TakeSteps(2034 * kMs + 34 * kMs), 3);
    EXPECT_EQ(pacer.TakeSteps(2034 * kMs + 35 * kMs), 0);
}

TEST(FramePacer, AfterAStallFramesKeepTheirRateInsteadOfBunching) {
    FramePacer pacer(10);
    pacer.Start(0);
    std::int64_t now = pacer.NextFrameNs();
    pacer.TakeSteps(now);
    now += 3000 * kMs;  // a frame that took three seconds
    pacer.FrameDone(now);
    int frames = 0;
    const std::int64_t end = now + 1000 * kMs;
    while (true) {
        now = std::max(now, pacer.NextFrameNs());
        if (now >= end) break;
        if (pacer.TakeSteps(now) > 0) ++frames;
        pacer.FrameDone(now);
    }
    EXPECT_NEAR(frames, 10, 1);
}

TEST(FramePacer, AFrameThatMustBeDrawnBorrowsAStep) {
    FramePacer pacer(30);
    pacer.Start(0);
    EXPECT_EQ(pacer.TakeSteps(5 * kMs), 0);
    EXPECT_EQ(pacer.TakeSteps(5 * kMs, true), 1);
    // The borrowed step is paid back: by 34 ms only three are owed in all.
    EXPECT_EQ(pacer.TakeSteps(34 * kMs), 2);
}

TEST(FramePacer, FrameRatesOutsideTheRangeAreHeldToIt) {
    EXPECT_EQ(FramePacer(0).Fps(), 0);
    EXPECT_EQ(FramePacer(-5).Fps(), 0);
    EXPECT_EQ(FramePacer(5000).Fps(), 1000);
    EXPECT_EQ(FramePacer(1).MaxStepsPerFrame(), 100 + FramePacer::kCatchUpSteps);
}

}  // namespace
