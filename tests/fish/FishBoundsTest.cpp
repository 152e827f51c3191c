#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "FishTestSupport.h"
#include "scene/FishPass.h"
#include "scene/TankScene.h"

namespace {

TEST(FishWalls, SideWallReversesPushesBackAndFacesTheNewTargetAtOnce) {
    UseRandom quiet;
    // Heading 0 swims toward -x, 180 toward +x.
    for (const auto& [heading, x, target, event] :
         {std::tuple{0.0f, -49.95f, 180.0f, LeftWall}, {180.0f, 49.95f, 360.0f, RightWall}}) {
        Fish f = CalmFish(heading);
        f.Speed = 0.1f;
        f.X = x;
        Ticks(f);
        EXPECT_EQ(f.HeadingTarget, target);
        EXPECT_EQ(f.LastBoundEvent, event);
        EXPECT_NEAR(f.X, x, 1e-5);  // one step out, pushed back 0.1
        Ticks(f);
        EXPECT_EQ(f.Heading, target);
        for (int i = 0; i < Fish::kSegments; ++i)
            EXPECT_TRUE(f.SegmentAngles[i] == target && f.SegmentHeadings[i] == target) << i;
        EXPECT_LT(std::fabs(f.X), std::fabs(x));  // already swimming away
        EXPECT_EQ(f.LastBoundEvent, NoBound);
    }
}

TEST(FishWalls, TopAndBottomMirrorThePitchTargetAndPinY) {
    UseRandom quiet;
    for (float pitch : {30.0f, -30.0f}) {
        Fish f = CalmFish(0);
        const bool top = pitch > 0;
        f.PitchTarget = f.Pitch = pitch;
        f.Y = top ? f.YTop - 0.05f : f.YBottom + 0.05f;
        Ticks(f);
        EXPECT_EQ(f.Y, top ? f.YTop : f.YBottom);
        EXPECT_EQ(f.PitchTarget, -pitch);
        EXPECT_EQ(f.LastBoundEvent, top ? TopWall : BottomWall);
        EXPECT_FLOAT_EQ(f.Speed, 0.1f);
    }
}

TEST(FishWalls, BackWallTurnsAsideAndHoldsTheFish) {
    UseRandom draws({5, 5, 40});  // two lip draws, then the side turn
    Fish f = CalmFish(270);       // heading 270 swims toward -z
    f.Z = f.ZMin + 2.05f;
    Ticks(f);
    EXPECT_EQ(f.Z, f.ZMin + 2);
    EXPECT_EQ(f.HeadingTarget, 310);  // away from the wall, heading -x: + d
    EXPECT_FLOAT_EQ(f.Speed, 0.1f);
}

TEST(FishWander, FiresAfterTheCountPasses200AndTurnsOnlyInsideADepthBand) {
    // Draws: lip, lip, restart, speed, then heading (discard, d) and pitch, or pitch only.
    for (const auto& [z, heading, pitch] :
         {std::tuple{-70.0f, 100.0f, 18.0f}, {-77.0f, 100.0f, 18.0f}, {-75.0f, 40.0f, 22.0f}}) {
        UseRandom draws({5, 5, 50, 3, 7, 60, 3});
        Fish f = CalmFish(40);
        f.Z = z;
        f.WanderTimer = 201;
        Ticks(f);
        EXPECT_TRUE(f.WanderTimer == 50 && f.Speed == 0.25f) << z;
        EXPECT_EQ(f.HeadingTarget, heading) << z;
        EXPECT_EQ(f.PitchTarget, pitch) << z;
    }
    UseRandom quiet;
    Fish f = CalmFish(0);
    f.WanderTimer = 199;
    Ticks(f, 2);
    EXPECT_EQ(f.WanderTimer, 201);
    Ticks(f);
    EXPECT_EQ(f.WanderTimer, 5);
    f.Touching = true;
    Ticks(f);
    EXPECT_EQ(f.WanderTimer, 5);  // touching fish do not wander
}

TEST(FishExtents, BoxFollowsTargetsAndSize) {
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

    f.Heading = f.HeadingTarget = 90;
    f.Size = 12;
    f.UpdateDirectionFlags();
    f.UpdateExtents();
    EXPECT_NEAR(f.BoxZMax, -70 + 0.64383f * 12 / 2, 1e-4);
    EXPECT_NEAR(f.BoxXMax - f.BoxXMin, 0, 1e-4);
}

TEST(FishPlacement, FiveFishPlacedInTheTankWithTheirBox) {
    TankScene scene;  // its fish draw their own start values first
    UseRandom draws({99, 29, 19, 0, 0, 0}, 0);
    scene.Bounds = TankBounds{-49, 49, 21, -21, -50};
    PlaceFish(scene);
    EXPECT_TRUE(scene.Fishes[0].X == 49 && scene.Fishes[0].Y == 14 && scene.Fishes[0].Z == -61);
    EXPECT_TRUE(scene.Fishes[1].X == -50 && scene.Fishes[1].Y == -15 && scene.Fishes[1].Z == -80);
    for (const Fish& f : scene.Fishes) {  // y from the tank: top - 10 + 10, bottom + 6 + 5
        EXPECT_TRUE(f.XMin == -50 && f.XMax == 50 && f.ZMin == -80 && f.ZMax == -60);
        EXPECT_TRUE(f.YTop == 21 && f.YBottom == -10);
    }
    EXPECT_EQ(draws.Script.Drawn(), 15u);
}

TEST(FishLongRun, FiveProddedFishKeepEveryClampAndStayNearTheirBox) {
    SeededRandom seeded(20240611);
    ScopedRandomSource guard(seeded);
    TankScene scene;
    scene.Bounds = TankBounds{-49, 49, 21, -21, -50};
    PlaceFish(scene);
    CountingFishSink sink;
    // Y is pinned to the box. Along x and z the walls only slow the fish and
    // re-aim its target, so a fish mid-turn can drift past a wall until the
    // turn completes: beyond one fastest step plus the push-back, an
    // excursion must end within the slowest complete turn (720 degrees at 1
    // degree every third frame).
    const float step = 0.4f + 0.1f;
    const int slowestTurnFrames = 720 * 3, kFrames = 20000;
    int outsideRun[TankScene::kFishCount] = {}, wallHits = 0;
    for (int frame = 0; frame < kFrames; ++frame) {
        for (int i = 0; i < TankScene::kFishCount; ++i) {
            Fish& f = scene.Fishes[i];
            // Outside prods like the ones food, touch and zoom give.
            if (RandomInt(997) == 0) f.SetExcited(!f.Excited);
            if (RandomInt(1499) == 0) f.ChangeHeading(0, true, HeadingChange::TurnAbout);
            if (RandomInt(1999) == 0) f.ChangePitch(50, RandomInt(2) == 0, PitchChange::TiltBy);
            if (RandomInt(2999) == 0) f.Resize(1.5f, RandomInt(2) == 0);
            f.Tick(sink);
            wallHits += f.LastBoundEvent != NoBound;
            // NaN fails every range check below; x, z and pitch have none.
            ASSERT_TRUE(std::isfinite(f.X) && std::isfinite(f.Z) && std::isfinite(f.Pitch));
            ASSERT_TRUE(f.Speed >= 0.1f && f.Speed <= 0.4f) << f.Speed;
            ASSERT_TRUE(f.Size >= 8 && f.Size <= 12) << f.Size;
            ASSERT_TRUE(std::fabs(f.PitchTarget) <= 45) << f.PitchTarget;
            ASSERT_TRUE(std::fabs(f.HeadingTarget) <= 360) << f.HeadingTarget;
            ASSERT_TRUE(std::fabs(f.Heading) <= 360) << f.Heading;
            ASSERT_TRUE(f.Y >= f.YBottom && f.Y <= f.YTop) << f.Y;
            const float out = std::max({f.XMin - f.X, f.X - f.XMax, f.ZMin - f.Z, f.Z - f.ZMax});
            outsideRun[i] = out > step ? outsideRun[i] + 1 : 0;
            ASSERT_LE(outsideRun[i], slowestTurnFrames) << "fish " << i << " frame " << frame;
        }
    }
    EXPECT_GT(wallHits, 100);  // the run does reach the walls
    EXPECT_EQ(sink.Vertices, 918L * kFrames * TankScene::kFishCount);
    EXPECT_EQ(sink.Depth, 0);
}

}  // namespace
