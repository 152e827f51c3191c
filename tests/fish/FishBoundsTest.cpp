#include <gtest/gtest.h>

#include <cmath>

#include "FishTestSupport.h"
#include "scene/FishPass.h"
#include "scene/TankScene.h"

namespace {

TEST(FishWalls, FishAtLeftWallReversesAndFacesTheNewTargetAtOnce) {
    ScriptedRandom script({}, 5);
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);  // heading 0 swims toward -x
    f.Speed = 0.1f;
    f.X = -49.95f;
    CountingFishSink sink;
    f.Tick(sink);
    EXPECT_EQ(f.HeadingTarget, 180);
    EXPECT_EQ(f.LastBoundEvent, LeftWall);
    EXPECT_NEAR(f.X, -49.95f - 0.1f + 0.1f, 1e-5);
    const float pushedX = f.X;

    f.Tick(sink);
    EXPECT_EQ(f.Heading, 180);
    for (int i = 0; i < Fish::kSegments; ++i) {
        EXPECT_EQ(f.SegmentAngles[i], 180) << i;
        EXPECT_EQ(f.SegmentHeadings[i], 180) << i;
    }
    EXPECT_GT(f.X, pushedX);  // already swimming away from the wall
    EXPECT_EQ(f.LastBoundEvent, NoBound);
}

TEST(FishWalls, TopAndBottomMirrorThePitchTargetAndPinY) {
    ScriptedRandom script({}, 5);
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    f.PitchTarget = f.Pitch = 30;
    f.Y = f.YTop - 0.05f;
    CountingFishSink sink;
    f.Tick(sink);
    EXPECT_EQ(f.Y, f.YTop);
    EXPECT_EQ(f.PitchTarget, -30);
    EXPECT_EQ(f.LastBoundEvent, TopWall);
    EXPECT_FLOAT_EQ(f.Speed, 0.1f);

    Fish g = CalmFish(0);
    g.PitchTarget = g.Pitch = -30;
    g.Y = g.YBottom + 0.05f;
    g.Tick(sink);
    EXPECT_EQ(g.Y, g.YBottom);
    EXPECT_EQ(g.PitchTarget, 30);
    EXPECT_EQ(g.LastBoundEvent, BottomWall);
}

TEST(FishWalls, BackWallTurnsAsideAndHoldsTheFish) {
    ScriptedRandom script({5, 5, 40}, 5);  // two lip draws, then the side turn
    ScopedRandomSource guard(script);
    Fish f = CalmFish(270);  // heading 270 swims toward -z
    f.Z = f.ZMin + 2.05f;
    CountingFishSink sink;
    f.Tick(sink);
    EXPECT_EQ(f.Z, f.ZMin + 2);
    EXPECT_EQ(f.HeadingTarget, 310);  // away from the wall, heading -x: + d
    EXPECT_FLOAT_EQ(f.Speed, 0.1f);
}

// Runs one wander at depth z with the same draws; returns the fish after it.
Fish WanderAt(float z) {
    // lip, lip, restart, speed, then heading (discard, d) and pitch, or pitch only
    ScriptedRandom script({5, 5, 50, 3, 7, 60, 3}, 5);
    ScopedRandomSource guard(script);
    Fish f = CalmFish(40);
    f.Z = z;
    f.WanderTimer = 201;
    CountingFishSink sink;
    f.Tick(sink);
    EXPECT_EQ(f.WanderTimer, 50);
    EXPECT_FLOAT_EQ(f.Speed, 0.25f);
    return f;
}

TEST(FishWander, DepthBandDecidesTheTurnAndMinus75IsInNeither) {
    const Fish front = WanderAt(-70);
    EXPECT_EQ(front.HeadingTarget, 100);  // 40 + 60
    EXPECT_EQ(front.PitchTarget, 18);     // 15 + 3
    const Fish back = WanderAt(-77);
    EXPECT_EQ(back.HeadingTarget, 100);
    const Fish edge = WanderAt(-75);
    EXPECT_EQ(edge.HeadingTarget, 40);
    EXPECT_EQ(edge.PitchTarget, 22);  // 15 + 7: the pitch draw came next
}

TEST(FishWander, FiresAfterTheCountPasses200) {
    ScriptedRandom script({}, 5);
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    f.Z = -75;
    f.WanderTimer = 199;
    CountingFishSink sink;
    f.Tick(sink);
    f.Tick(sink);
    EXPECT_EQ(f.WanderTimer, 201);
    f.Tick(sink);
    EXPECT_EQ(f.WanderTimer, 5);
    f.Touching = true;
    f.Tick(sink);
    EXPECT_EQ(f.WanderTimer, 5);  // touching fish do not wander
}

TEST(FishExtents, BoxFollowsTargetsAndSize) {
    ScriptedRandom script({}, 5);
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    f.X = 10;
    f.UpdateExtents();
    const float half = 0.64383f * 10 / 2;
    EXPECT_FLOAT_EQ(f.Head[0], 10 - half);  // snout toward -x
    EXPECT_FLOAT_EQ(f.Tail[0], 10 + half);
    EXPECT_FLOAT_EQ(f.BoxXMin, 10 - half);
    EXPECT_FLOAT_EQ(f.BoxXMax, 10 + half);
    EXPECT_FLOAT_EQ(f.BoxYMax, 0.181513f * 10 / 2);
    EXPECT_FLOAT_EQ(f.BoxZMax, -70 + 5);
    EXPECT_FLOAT_EQ(f.HitXMax, 10 + 2 * half);
    EXPECT_FLOAT_EQ(f.HitYMin, -0.181513f * 10 / 2 - 0.181513f * 10 / 4);
    EXPECT_FLOAT_EQ(f.HitZMin, -75 - 2.5f);

    f.HeadingTarget = 90;
    f.Heading = 90;
    f.Size = 12;
    f.UpdateDirectionFlags();
    f.UpdateExtents();
    const float half12 = 0.64383f * 12 / 2;
    EXPECT_NEAR(f.BoxZMax, -70 + half12, 1e-4);
    EXPECT_NEAR(f.BoxXMax - f.BoxXMin, 0, 1e-4);
}

TEST(FishPlacement, FiveFishPlacedInTheTankWithTheirBox) {
    TankScene scene;  // its fish draw their own start values first
    ScriptedRandom script({99, 29, 19, 0, 0, 0});
    ScopedRandomSource guard(script);
    scene.Bounds = TankBounds{-49, 49, 21, -21, -50};
    PlaceFish(scene);
    const Fish& first = scene.Fishes[0];
    EXPECT_EQ(first.X, 49);
    EXPECT_EQ(first.Y, 14);
    EXPECT_EQ(first.Z, -61);
    EXPECT_EQ(scene.Fishes[1].X, -50);
    EXPECT_EQ(scene.Fishes[1].Z, -80);
    for (const Fish& f : scene.Fishes) {
        EXPECT_EQ(f.XMin, -50);
        EXPECT_EQ(f.XMax, 50);
        EXPECT_EQ(f.YTop, 21);
        EXPECT_EQ(f.YBottom, -10);
        EXPECT_EQ(f.ZMin, -80);
        EXPECT_EQ(f.ZMax, -60);
    }
    EXPECT_EQ(script.Drawn(), 15u);
}

TEST(FishLongRun, FiveFishKeepEveryClampAndStayInTheirBox) {
    SeededRandom seeded(20240611);
    ScopedRandomSource guard(seeded);
    TankScene scene;
    scene.Bounds = TankBounds{-49, 49, 21, -21, -50};
    PlaceFish(scene);
    CountingFishSink sink;
    // Y is pinned to the box. Along x and z the walls only slow the fish and
    // re-aim its target; a fish mid-turn (slow when the target is near 0) can
    // drift past a wall until the turn completes. A step of the fastest fish
    // plus the push-back is allowed without counting, and every excursion must
    // end within the slowest complete turn: 720 degrees at 1 degree every
    // third frame.
    const float step = 0.4f + 0.1f;
    const int slowestTurnFrames = 720 * 3;
    int outsideRun[TankScene::kFishCount] = {};
    int longestRun = 0;
    float worst = 0;
    for (int frame = 0; frame < 100000; ++frame) {
        for (int i = 0; i < TankScene::kFishCount; ++i) {
            Fish& f = scene.Fishes[i];
            // Outside prods like the ones food and touch will give.
            if (RandomInt(997) == 0) f.SetExcited(!f.Excited);
            if (RandomInt(1499) == 0) f.ChangeHeading(0, true, HeadingChange::TurnAbout);
            if (RandomInt(1999) == 0) f.ChangePitch(50, RandomInt(2) == 0, PitchChange::TiltBy);
            if (RandomInt(2999) == 0) f.Resize(1.5f, RandomInt(2) == 0);
            f.Tick(sink);
            ASSERT_TRUE(std::isfinite(f.X) && std::isfinite(f.Y) && std::isfinite(f.Z));
            ASSERT_TRUE(std::isfinite(f.Heading) && std::isfinite(f.Pitch));
            ASSERT_GE(f.Speed, 0.1f);
            ASSERT_LE(f.Speed, 0.4f);
            ASSERT_GE(f.Size, 8.0f);
            ASSERT_LE(f.Size, 12.0f);
            ASSERT_GE(f.PitchTarget, -45.0f);
            ASSERT_LE(f.PitchTarget, 45.0f);
            ASSERT_GE(f.HeadingTarget, -360.0f);
            ASSERT_LE(f.HeadingTarget, 360.0f);
            ASSERT_GE(f.Heading, -360.0f);
            ASSERT_LE(f.Heading, 360.0f);
            ASSERT_GE(f.Y, f.YBottom);
            ASSERT_LE(f.Y, f.YTop);
            const float out = std::max({f.XMin - f.X, f.X - f.XMax, f.ZMin - f.Z, f.Z - f.ZMax});
            worst = std::max(worst, out);
            outsideRun[i] = out > step ? outsideRun[i] + 1 : 0;
            longestRun = std::max(longestRun, outsideRun[i]);
            ASSERT_LE(outsideRun[i], slowestTurnFrames) << "fish " << i << " frame " << frame;
        }
    }
    EXPECT_EQ(sink.Vertices, 100000L * 5 * 918);
    EXPECT_EQ(sink.Depth, 0);
    RecordProperty("worst_excursion", std::to_string(worst));
    RecordProperty("longest_excursion_frames", longestRun);
}

}  // namespace
