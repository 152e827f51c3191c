#include <gtest/gtest.h>

#include "view/FramePacer.h"

namespace {

constexpr std::int64_t kMs = 1'000'000;

// Draws frames at the times the pacer asks for, each costing `costNs`, from
// `now` until `end`; returns the frames drawn.
int RunFrames(FramePacer& pacer, std::int64_t& now, std::int64_t end, std::int64_t costNs) {
    int frames = 0;
    while (now < end) {
        now = std::max(now, pacer.NextFrameNs());
        if (pacer.TakeSteps(now) == 0) {
            now += kMs;
            continue;
        }
        ++frames;
        now += costNs;
        pacer.FrameDone(now);
    }
    return frames;
}

TEST(FramePacer, TheTankMovesAHundredStepsASecondAtAnyFrameRateOrSpeed) {
    // {fps, ms a frame costs, frames expected in ten seconds}; 45 ms a frame
    // is a slow machine: about 22 frames a second, 4 or 5 steps each.
    // A rate below the range is the default, not one frame a second.
    const int cases[][3] = {{0, 2, 1000},   {1, 2, 10},      {30, 2, 300}, {100, 2, 1000},
                            {144, 2, 1000}, {1000, 2, 1000}, {0, 45, 223}, {-5, 2, 1000}};
    for (const auto [fps, cost, expected] : cases) {
        FramePacer pacer(fps);
        std::int64_t now = 0;
        pacer.Start(now);
        EXPECT_NEAR(RunFrames(pacer, now, 10'000 * kMs, cost * kMs), expected, 12)
            << fps << " " << cost;
        EXPECT_NEAR(pacer.StepsTaken(), 1000, 6) << fps << " " << cost;
        EXPECT_EQ(pacer.StepsDropped(), 0) << fps;
    }
}

TEST(FramePacer, AnEarlyFrameBorrowsAStepAndAStallDropsTimeInsteadOfRacing) {
    FramePacer pacer(30);
    pacer.Start(0);
    // A frame that must be drawn early borrows a step; by 34 ms three are owed in all.
    EXPECT_EQ(pacer.TakeSteps(5 * kMs), 0);
    EXPECT_EQ(pacer.TakeSteps(5 * kMs, true), 1);
    EXPECT_EQ(pacer.TakeSteps(34 * kMs), 2);
    // Two seconds without a frame: one frame's steps plus the catch-up, no more.
    const int steps = pacer.TakeSteps(2034 * kMs);
    EXPECT_EQ(steps, 4 + FramePacer::kCatchUpSteps);
    EXPECT_EQ(pacer.StepsDropped(), 203 - 3 - steps);
    pacer.FrameDone(2034 * kMs);
    EXPECT_EQ(pacer.TakeSteps(2034 * kMs + 34 * kMs), 3);
    EXPECT_EQ(pacer.TakeSteps(2034 * kMs + 35 * kMs), 0);
    // A frame that took three seconds: the next second has its 30 frames, not a burst.
    std::int64_t now = 5000 * kMs;
    pacer.FrameDone(now);
    EXPECT_NEAR(RunFrames(pacer, now, now + 1000 * kMs, 0), 31, 1);
}

}  // namespace
