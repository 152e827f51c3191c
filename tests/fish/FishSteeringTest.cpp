#include <gtest/gtest.h>

#include <cmath>

#include "FishTestSupport.h"

namespace {

// Neutral draws: no lip bumps, nothing else fires.
ScriptedRandom Quiet() {
    return ScriptedRandom({}, 5);
}

TEST(FishStart, DrawsStartValuesInOrder) {
    ScriptedRandom script({44 + 45, 179, 14, 999, 199 + 200});
    ScopedRandomSource guard(script);
    Fish f;
    EXPECT_EQ(f.PitchTarget, 44);
    EXPECT_EQ(f.HeadingTarget, 179);
    EXPECT_EQ(f.GulpTimer, 14);
    EXPECT_EQ(f.WanderTimer, 199);
    EXPECT_EQ(script.Drawn(), 5u);
    EXPECT_EQ(f.Size, 10.0f);
    EXPECT_EQ(f.Speed, 0.2f);
    EXPECT_TRUE(f.MouthClosed);
    EXPECT_EQ(f.Heading, 0.0f);
}

TEST(FishTurn, SmallTargetStepsOneDegreeEveryThirdFrame) {
    auto script = Quiet();
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    f.HeadingTarget = 3;
    CountingFishSink sink;
    float seen[12];
    for (float& h : seen) {
        f.Tick(sink);
        h = f.Heading;
    }
    const float expected[12] = {0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(seen[i], expected[i]) << "frame " << i + 1;
    EXPECT_TRUE(f.TurnDone);
}

TEST(FishTurn, LargeTargetStepsTenDegreesAndBendsTheBodyMeanwhile) {
    auto script = Quiet();
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    f.HeadingTarget = 170;
    CountingFishSink sink;
    for (int frame = 1; frame <= 51; ++frame) {
        f.Tick(sink);
        EXPECT_EQ(f.Heading, static_cast<float>(10 * (frame / 3))) << "frame " << frame;
        if (frame == 30) {
            // Mid turn the head leads and the tail trails on the far side.
            EXPECT_FALSE(f.TurnDone);
            EXPECT_EQ(f.SegmentHeadings[0], 100);
            EXPECT_NEAR(f.SegmentHeadings[23], 30, 1);  // bent by what is left to turn
            EXPECT_GT(f.SegmentHeadings[10], f.SegmentHeadings[20]);
        }
    }
    EXPECT_TRUE(f.TurnDone);
    // Straightening: the tail catches up 2 degrees a frame.
    const int tailBefore = f.SegmentHeadings[23];
    f.Tick(sink);
    EXPECT_EQ(f.SegmentHeadings[23], std::min(tailBefore + 2, 170));
    for (int i = 0; i < 200; ++i)
        f.Tick(sink);
    EXPECT_TRUE(f.BodyStraight);
    for (int s : f.SegmentHeadings)
        EXPECT_EQ(s, 170);
}

TEST(FishTurn, ExcitedFishStraightensFiveTimesFasterAndNeverWanders) {
    auto script = Quiet();
    ScopedRandomSource guard(script);
    auto framesToStraighten = [](bool excited, int* firstStep) {
        Fish f = CalmFish(0);
        f.Z = -75;  // a wander may change pitch and speed here, but never the heading
        f.BodyStraight = false;
        for (int& s : f.SegmentHeadings)
            s = 40;
        f.WanderTimer = 500;  // would fire on the next frame if wandering ran
        f.SetExcited(excited);
        CountingFishSink sink;
        f.Tick(sink);
        *firstStep = 40 - f.SegmentHeadings[0];
        int frames = 1;
        while (!f.BodyStraight && frames < 1000) {
            f.Tick(sink);
            ++frames;
        }
        if (excited) {
            EXPECT_EQ(f.WanderTimer, 500);
            EXPECT_EQ(f.Speed, 0.2f);
        } else {
            EXPECT_LT(f.WanderTimer, 100);  // restarted by the wander
        }
        return frames;
    };
    int calmStep = 0, excitedStep = 0;
    const int calm = framesToStraighten(false, &calmStep);
    const int excited = framesToStraighten(true, &excitedStep);
    EXPECT_EQ(calmStep, 2);
    EXPECT_EQ(excitedStep, 10);
    EXPECT_EQ(calm, 21);  // 20 moving frames and one that finds nothing to move
    EXPECT_EQ(excited, 5);
}

TEST(FishSteering, ChangeHeadingIsIgnoredWhileTurning) {
    auto script = Quiet();
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    f.HeadingTarget = 90;
    f.ChangeHeading(0, false, HeadingChange::Reverse);
    EXPECT_EQ(f.HeadingTarget, 90);
    f.Heading = 89.95f;  // within the 0.1 guard: the turn counts as done
    f.ChangeHeading(0, false, HeadingChange::Reverse);
    EXPECT_EQ(f.HeadingTarget, 270);
    EXPECT_EQ(script.Drawn(), 0u);
}

TEST(FishSteering, HeadingKinds) {
    auto ready = [](float target, bool minusX) {
        Fish f = CalmFish(target);
        f.GoesMinusX = minusX;
        return f;
    };
    {
        Fish f = ready(200, true);
        f.ChangeHeading(0, false, HeadingChange::Reverse);
        EXPECT_EQ(f.HeadingTarget, 20);
    }
    {
        ScriptedRandom script({111, 60});  // first draw is thrown away
        ScopedRandomSource guard(script);
        Fish f = ready(200, true);
        f.ChangeHeading(0, true, HeadingChange::RandomTurn);
        EXPECT_EQ(f.HeadingTarget, 140);
        EXPECT_EQ(script.Drawn(), 2u);
    }
    {
        ScriptedRandom script({0, 60});
        ScopedRandomSource guard(script);
        Fish f = ready(100, true);
        f.ChangeHeading(0, true, HeadingChange::RandomTurn);
        EXPECT_EQ(f.HeadingTarget, 160);
    }
    {
        // Sign rule: toward subtracts when heading to -x, away adds.
        ScriptedRandom script({30, 30, 30, 30});
        ScopedRandomSource guard(script);
        Fish a = ready(50, true), b = ready(50, true), c = ready(50, false), d = ready(50, false);
        a.ChangeHeading(0, true, HeadingChange::SideTurn);
        b.ChangeHeading(0, false, HeadingChange::SideTurn);
        c.ChangeHeading(0, true, HeadingChange::SideTurn);
        d.ChangeHeading(0, false, HeadingChange::SideTurn);
        EXPECT_EQ(a.HeadingTarget, 20);
        EXPECT_EQ(b.HeadingTarget, 80);
        EXPECT_EQ(c.HeadingTarget, 80);
        EXPECT_EQ(d.HeadingTarget, 20);
    }
    {
        ScriptedRandom script({7});
        ScopedRandomSource guard(script);
        Fish f = ready(50, false);
        f.ChangeHeading(0, false, HeadingChange::SmallTurn);
        EXPECT_EQ(f.HeadingTarget, 33);
    }
    {
        Fish f = ready(300, true);
        f.ChangeHeading(0, false, HeadingChange::TurnAbout);
        EXPECT_EQ(f.HeadingTarget, 360);  // 480 clamped
        Fish g = ready(-300, false);
        g.ChangeHeading(0, false, HeadingChange::TurnAbout);
        EXPECT_EQ(g.HeadingTarget, -360);
    }
    {
        Fish f = ready(50, true);
        f.ChangeHeading(-37.9f, true, HeadingChange::TurnBy);
        EXPECT_EQ(f.HeadingTarget, 13);
    }
    {
        const float from[4] = {100, 200, -100, -200};
        const float to[4] = {190, 110, -190, -110};
        for (int i = 0; i < 4; ++i) {
            Fish f = ready(from[i], true);
            f.ChangeHeading(0, false, HeadingChange::QuarterTurn);
            EXPECT_EQ(f.HeadingTarget, to[i]) << from[i];
            Fish g = ready(from[i], true);
            g.Z = -75;  // the boundary of the two depth bands belongs to neither
            g.ChangeHeading(0, false, HeadingChange::QuarterTurn);
            EXPECT_EQ(g.HeadingTarget, from[i]);
        }
    }
}

TEST(FishSteering, PitchKindsAndClamp) {
    Fish f = CalmFish(0);
    {
        ScriptedRandom script({4});
        ScopedRandomSource guard(script);
        f.PitchTarget = 10;
        f.ChangePitch(0, false, PitchChange::RandomTilt);
        EXPECT_EQ(f.PitchTarget, -9);
        f.PitchTarget = -40;
        script = ScriptedRandom({14});
        f.ChangePitch(0, false, PitchChange::RandomTilt);
        EXPECT_EQ(f.PitchTarget, -11);
    }
    f.PitchTarget = 12;
    f.ChangePitch(0, false, PitchChange::Mirror);
    EXPECT_EQ(f.PitchTarget, -12);
    f.ChangePitch(0, true, PitchChange::Nudge);
    EXPECT_EQ(f.PitchTarget, -11);
    f.ChangePitch(0, false, PitchChange::Nudge);
    EXPECT_EQ(f.PitchTarget, -12);
    f.PitchTarget = 40;
    f.ChangePitch(30, true, PitchChange::TiltBy);
    EXPECT_EQ(f.PitchTarget, 45);
    f.PitchTarget = 40;
    f.ChangePitch(60, false, PitchChange::TiltBy);  // 40 + 60 > 90: refused
    EXPECT_EQ(f.PitchTarget, 40);
    f.ChangePitch(20, false, PitchChange::TiltBy);
    EXPECT_EQ(f.PitchTarget, 20);
}

TEST(FishSteering, SpeedAndSizeStepWithoutSnappingAndStayClamped) {
    Fish f = CalmFish(0);
    f.ApproachSpeed(0.15f, 0.25f);
    EXPECT_FLOAT_EQ(f.Speed, 0.35f);  // overshoots the target: no snap
    f.ApproachSpeed(0.15f, 0.5f);
    EXPECT_EQ(f.Speed, 0.4f);
    f.ApproachSpeed(1.0f, 0.0f);
    EXPECT_EQ(f.Speed, 0.1f);
    f.ApproachSpeed(0.05f, 0.1f);
    EXPECT_EQ(f.Speed, 0.1f);
    f.Resize(1.5f, true);
    EXPECT_EQ(f.Size, 11.5f);
    f.Resize(1.5f, true);
    EXPECT_EQ(f.Size, 12.0f);
    f.Resize(9.0f, false);
    EXPECT_EQ(f.Size, 8.0f);
}

TEST(FishSteering, DirectionFlagsFollowHeadingPitchAndTarget) {
    Fish f = CalmFish(0);
    struct Case {
        float heading;
        bool minusX, plusZ;
    } cases[] = {{0, true, true},      {45, true, true},    {135, false, true},
                 {225, false, false},  {300, true, false},  {-45, true, false},
                 {-135, false, false}, {-200, false, true}, {-300, true, true}};
    for (const Case& c : cases) {
        f.Heading = c.heading;
        f.HeadingTarget = c.heading;
        f.Pitch = c.heading > 0 ? 1.0f : 0.0f;
        f.UpdateDirectionFlags();
        EXPECT_EQ(f.GoesMinusX, c.minusX) << c.heading;
        EXPECT_EQ(f.GoesPlusX, !c.minusX) << c.heading;
        EXPECT_EQ(f.GoesPlusZ, c.plusZ) << c.heading;
        EXPECT_EQ(f.GoesMinusZ, !c.plusZ) << c.heading;
        EXPECT_EQ(f.TargetMinusX, c.minusX) << c.heading;
        EXPECT_EQ(f.TargetPlusZ, c.plusZ) << c.heading;
        EXPECT_EQ(f.PitchUp, c.heading > 0) << c.heading;
    }
}

}  // namespace
