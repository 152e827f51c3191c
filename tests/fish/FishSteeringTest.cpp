#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "FishTestSupport.h"

namespace {

TEST(FishStart, DrawsStartValuesInOrder) {
    UseRandom draws({44 + 45, 179, 14, 999, 199 + 200});
    Fish f;
    EXPECT_EQ(f.PitchTarget, 44);
    EXPECT_EQ(f.HeadingTarget, 179);
    EXPECT_EQ(f.GulpTimer, 14);
    EXPECT_EQ(f.WanderTimer, 199);
    EXPECT_EQ(draws.Script.Drawn(), 5u);
}

TEST(FishTurn, HeadingStepsEveryThirdFrameAndTheBodyBendsMeanwhile) {
    UseRandom quiet;
    // 1 degree a step below a target of 5, 3 below 10, 10 from there on.
    for (const auto& [target, step] : {std::pair{3.0f, 1.0f}, {7.0f, 3.0f}, {170.0f, 10.0f}}) {
        Fish f = CalmFish(0);
        f.HeadingTarget = target;
        for (int frame = 1; frame <= 3 * static_cast<int>(std::ceil(target / step)) + 3; ++frame) {
            Ticks(f);
            ASSERT_EQ(f.Heading, std::min(step * (frame / 3), target)) << target << "@" << frame;
            if (target == 170 && frame == 30) {  // the head leads, the tail trails
                EXPECT_FALSE(f.TurnDone);
                EXPECT_EQ(f.SegmentHeadings[0], 100);
                EXPECT_NEAR(f.SegmentHeadings[23], 30, 1);  // bent by what is left to turn
                EXPECT_GT(f.SegmentHeadings[10], f.SegmentHeadings[20]);
            }
        }
        EXPECT_TRUE(f.TurnDone) << target;
    }
}

TEST(FishTurn, ExcitedFishStraightensFiveTimesFasterAndNeverWanders) {
    UseRandom quiet;
    for (bool excited : {false, true}) {
        Fish f = CalmFish(0);
        f.Z = -75;  // a wander may change pitch and speed here, never the heading
        f.BodyStraight = false;
        std::fill(std::begin(f.SegmentHeadings), std::end(f.SegmentHeadings), 40);
        f.WanderTimer = 500;  // fires on the next frame if wandering runs
        f.SetExcited(excited);
        Ticks(f);
        EXPECT_EQ(40 - f.SegmentHeadings[0], excited ? 10 : 2);
        int frames = 1;
        for (; !f.BodyStraight && frames < 1000; ++frames)
            Ticks(f);
        EXPECT_EQ(frames, excited ? 5 : 21);  // moving frames, then one finding nothing
        EXPECT_EQ(f.HeadingTarget, 0);
        if (excited)
            EXPECT_TRUE(f.WanderTimer == 500 && f.Speed == 0.2f);
        else
            EXPECT_LT(f.WanderTimer, 100);  // restarted by the wander
    }
}

TEST(FishSteering, HeadingRequestsWaitForTheTurnThenFollowTheirKind) {
    Fish turning = CalmFish(0);
    turning.HeadingTarget = 90;
    turning.ChangeHeading(0, false, HeadingChange::Reverse);
    EXPECT_EQ(turning.HeadingTarget, 90);
    turning.Heading = 89.95f;  // within 0.1: the turn counts as done
    turning.ChangeHeading(0, false, HeadingChange::Reverse);
    EXPECT_EQ(turning.HeadingTarget, 270);

    using H = HeadingChange;
    // Draws, start, heading to -x, z, amount, toward, kind, new target. Sign
    // rule: toward subtracts when heading to -x, away adds. A random turn
    // throws its first draw away.
    const std::tuple<std::vector<std::uint32_t>, float, bool, float, float, bool, H, float>
        cases[] = {{{}, 200, true, -70, 0, false, H::Reverse, 20},
                   {{111, 60}, 200, true, -70, 0, true, H::RandomTurn, 140},
                   {{0, 60}, 100, true, -70, 0, true, H::RandomTurn, 160},
                   {{30}, 50, true, -70, 0, true, H::SideTurn, 20},
                   {{30}, 50, true, -70, 0, false, H::SideTurn, 80},
                   {{30}, 50, false, -70, 0, true, H::SideTurn, 80},
                   {{30}, 50, false, -70, 0, false, H::SideTurn, 20},
                   {{7}, 50, false, -70, 0, false, H::SmallTurn, 33},
                   {{}, 300, true, -70, 0, false, H::TurnAbout, 360},  // 480 clamped
                   {{}, -300, false, -70, 0, false, H::TurnAbout, -360},
                   {{}, 50, true, -70, -37.9f, true, H::TurnBy, 13},
                   {{}, 100, true, -70, 0, false, H::QuarterTurn, 190},
                   {{}, 200, true, -70, 0, false, H::QuarterTurn, 110},
                   {{}, -100, true, -70, 0, false, H::QuarterTurn, -190},
                   {{}, -200, true, -77, 0, false, H::QuarterTurn, -110},
                   {{}, 100, true, -75, 0, false, H::QuarterTurn, 100}};  // between the bands
    for (const auto& [draws, from, minusX, z, amount, toward, kind, to] : cases) {
        UseRandom script(draws, 0);
        Fish f = CalmFish(from);
        f.GoesMinusX = minusX;
        f.Z = z;
        f.ChangeHeading(amount, toward, kind);
        EXPECT_EQ(f.HeadingTarget, to) << static_cast<int>(kind) << " from " << from;
        EXPECT_EQ(script.Script.Drawn(), draws.size()) << static_cast<int>(kind);
    }
}

TEST(FishSteering, PitchRequestsStayClampedAndSpeedStepsWithoutSnapping) {
    using P = PitchChange;
    // Draw, start, amount, toward, kind, new target.
    const std::tuple<std::uint32_t, float, float, bool, P, float> cases[] = {
        {4, 10, 0, false, P::RandomTilt, -9},  // 10 - (15 + 4)
        {14, -40, 0, false, P::RandomTilt, -11}, {0, 12, 0, false, P::Mirror, -12},
        {0, -12, 0, true, P::Nudge, -11},        {0, -12, 0, false, P::Nudge, -13},
        {0, 40, 30, true, P::TiltBy, 45},   // 70 clamped
        {0, 40, 60, false, P::TiltBy, 40},  // 40 + 60 > 90: refused
        {0, 40, 20, false, P::TiltBy, 20}};
    for (const auto& [draw, from, amount, toward, kind, to] : cases) {
        UseRandom script({draw});
        Fish f = CalmFish(0);
        f.PitchTarget = from;
        f.ChangePitch(amount, toward, kind);
        EXPECT_EQ(f.PitchTarget, to) << static_cast<int>(kind) << " from " << from;
    }
    Fish f = CalmFish(0);
    f.ApproachSpeed(0.15f, 0.25f);
    EXPECT_FLOAT_EQ(f.Speed, 0.35f);  // overshoots the target
    f.ApproachSpeed(0.15f, 0.5f);
    EXPECT_EQ(f.Speed, 0.4f);
    f.ApproachSpeed(1.0f, 0.0f);
    EXPECT_EQ(f.Speed, 0.1f);
}

TEST(FishSteering, DirectionFlagsFollowHeadingPitchAndTarget) {
    Fish f = CalmFish(0);
    // Heading, then whether it heads to -x and to +z.
    const std::tuple<float, bool, bool> cases[] = {
        {0, true, true},      {45, true, true},    {135, false, true},
        {225, false, false},  {300, true, false},  {-45, true, false},
        {-135, false, false}, {-200, false, true}, {-300, true, true}};
    for (const auto& [heading, minusX, plusZ] : cases) {
        f.Heading = f.HeadingTarget = heading;
        f.Pitch = heading > 0 ? 1.0f : 0.0f;
        f.UpdateDirectionFlags();
        const bool want[] = {minusX,  !minusX, plusZ,  !plusZ,     minusX,
                             !minusX, plusZ,   !plusZ, heading > 0};
        const bool seen[] = {f.GoesMinusX,  f.GoesPlusX,    f.GoesPlusZ,
                             f.GoesMinusZ,  f.TargetMinusX, f.TargetPlusX,
                             f.TargetPlusZ, f.TargetMinusZ, f.PitchUp};
        EXPECT_TRUE(std::equal(std::begin(want), std::end(want), std::begin(seen))) << heading;
    }
}

}  // namespace
