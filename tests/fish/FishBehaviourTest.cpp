// What a viewer sees fish do: bend into a turn, spread out when crowded,
// swerve when crossing, turn toward prey, react to zoom, touch and contact;
// prey stay near where they were let go.
#include <gtest/gtest.h>

#include <cmath>

#include "FishTestSupport.h"
#include "fish/FoodFish.h"
#include "fish/Reactions.h"

namespace {

TEST(FishBehaviour, ATurningFishLeadsWithItsHeadAndTheTailFollows) {
    UseRandom quiet;
    // Up and down the heading scale: the head is always furthest into the turn.
    for (const auto& [from, to] : {std::pair{0.0f, 90.0f}, {90.0f, 20.0f}}) {
        Fish f = CalmFish(from);
        f.ZMin = f.XMin = -1000;  // no wall interrupts the turn
        f.ZMax = f.XMax = 1000;
        f.HeadingTarget = to;
        Ticks(f, 4);
        const float sense = to > from ? 1.0f : -1.0f;
        for (int i = 1; i < Fish::kSegments; ++i)
            EXPECT_LT(sense * f.SegmentAngles[i], sense * f.SegmentAngles[i - 1])
                << from << " seg " << i;
        EXPECT_GT(sense * (f.SegmentAngles[0] - f.SegmentAngles[Fish::kSegments - 1]), 20) << from;
        f.ChangeHeading(0, false, HeadingChange::Reverse);  // dropped: the turn is not done
        Ticks(f, 120);  // once round, the body straightens onto the new heading
        for (float a : f.SegmentAngles)
            EXPECT_EQ(a, to) << from;
    }
}

TEST(FishBehaviour, CrowdedFishDriftApartVertically) {
    for (const float above : {1.5f, -1.5f}) {  // fish 0 above, then below fish 1
        UseRandom quiet;
        Fish fish[2] = {CalmFish(0, 0, above), CalmFish(0, 1, 0)};
        for (int frame = 0; frame < 40; ++frame) {
            const FishPositionRecord seen[2] = {{fish[0].X, fish[0].Y, fish[0].Z},
                                                {fish[1].X, fish[1].Y, fish[1].Z}};
            CrowdApart(fish, seen, 2);
            Ticks(fish[0]);
            Ticks(fish[1]);
        }
        EXPECT_GT(std::fabs(fish[0].Y - fish[1].Y), 1.5f + 1) << above;
        EXPECT_EQ(fish[0].Y > fish[1].Y, above > 0) << "they never swap places";
    }
}

TEST(FishBehaviour, FishCrossingAtRightAnglesSwerveSlightlyApart) {
    UseRandom quiet;
    Fish fish[3] = {CalmFish(0), CalmFish(90, -1, 0, -68), Fish()};
    ResolveContact(fish, 3, 0);
    const float turnNear = fish[1].HeadingTarget - 90, turnFar = fish[0].HeadingTarget;
    EXPECT_TRUE(std::fabs(turnNear) >= 10 && std::fabs(turnNear) < 20) << turnNear;
    EXPECT_TRUE(std::fabs(turnFar) >= 10 && std::fabs(turnFar) < 20) << turnFar;
    EXPECT_LT(turnNear * turnFar, 0) << "they turn opposite ways";
    EXPECT_GT(fish[1].PitchTarget, fish[0].PitchTarget) << "the higher one tilts up";
}

TEST(FishBehaviour, AHungryFishSteersTowardPreyOnEitherSideAndTurnsForPreyBehind) {
    // A fish heading `heading` that sees prey at (x off its head, depth z) for
    // `seen` frames, then swims on for `more`.
    const auto chase = [](float heading, float x, float z, int seen, int more) {
        UseRandom quiet;
        Fish f = CalmFish(heading);
        FoodFish pool[1];
        pool[0].Active = true;
        pool[0].WorldPos[0] = f.Head[0] + x;
        pool[0].WorldPos[1] = f.Head[1];
        pool[0].WorldPos[2] = z;
        for (int frame = 0; frame < seen; ++frame) {
            RespondToFood(f, pool, 1, true);
            Ticks(f);
        }
        Ticks(f, more);
        return f;
    };
    for (const float heading : {0.0f, 180.0f}) {
        const float ahead = heading == 0 ? -1.0f : 1.0f;  // heading 0 swims toward -x
        for (const float side : {4.0f, -4.0f}) {          // nearer the glass, then deeper
            const Fish f = chase(heading, ahead * 6, -70 + side, 30, 0);
            EXPECT_GT((f.Z + 70) * side, 1.0f) << "side " << side << " heading " << heading;
            EXPECT_GT(f.X * ahead, 2.0f) << "it keeps going forward";
        }
        const Fish passed = chase(heading, -ahead * 3 - CalmFish(heading).Head[0], -71, 1, 99);
        EXPECT_GT(std::fabs(passed.Heading - heading), 120) << "it turns round " << heading;
    }
}

TEST(FishBehaviour, LineAngleHandlesVerticalLines) {
    EXPECT_NEAR(LineAngle(1, 0, 0, 1), 90, 0.01);   // vertical against horizontal
    EXPECT_NEAR(LineAngle(1, 0, 1, 1), 45, 0.01);   // vertical against the diagonal
    EXPECT_NEAR(LineAngle(-2, 0, 3, 0), 0, 0.01);   // two verticals
    EXPECT_NEAR(LineAngle(1, 1, -1, 1), 90, 0.01);  // perpendicular diagonals
}

TEST(FishBehaviour, PreyStayNearTheDepthTheyWereReleasedAt) {
    SeededRandom seeded(77);
    ScopedRandomSource guard(seeded);
    FoodFish pool[6];
    for (int i = 0; i < 6; ++i)
        ReleaseFoodFish(pool, 6, -30.0f + 12 * i, 0);
    CountingFishSink sink;
    float deepest = 0;
    for (int frame = 0; frame < 4000; ++frame) {
        DrawFoodFishes(pool, 6, sink);
        for (const FoodFish& p : pool)
            deepest = std::min(deepest, p.WorldPos[2]);
    }
    EXPECT_GE(deepest, -70 - 9.5f);
    EXPECT_LT(deepest, -75) << "they do swim about";
}

TEST(ZoomAndTouch, ZoomStopsAtTwelveAndATouchedFishQuarterTurnsAtTopSpeed) {
    Fish f = CalmFish(30);
    for (int i = 0; i < 3; ++i)
        RespondToZoom(f, true);
    RespondToTouch(f);
    EXPECT_EQ(f.Size, 12.0f);
    EXPECT_EQ(f.HeadingTarget, 120.0f);
    EXPECT_EQ(f.Speed, 0.4f);
}

// Contact for fish 0 (and 1 when asked).
void Contact(Fish (&fish)[2], const Fish& a, const Fish& b, bool both) {
    UseRandom quiet;
    fish[0] = a;
    fish[1] = b;
    ResolveContact(fish, 2, 0);
    if (both) ResolveContact(fish, 2, 1);
}

TEST(Contact, SameWayTheOneAheadPullsAwayHeadOnTheSmallerTurnsAbout) {
    Fish fish[2];
    // Heading 0 swims toward -x, so the fish at -3 leads.
    Contact(fish, CalmFish(0), CalmFish(0, -3, 0.5f), true);
    EXPECT_NEAR(fish[1].Speed - fish[0].Speed, 0.1f, 1e-5);
    Fish s = CalmFish(0), o = CalmFish(180, -4, 0);  // toward each other
    s.Size = 8;
    Contact(fish, s, o, false);
    EXPECT_EQ(std::fabs(fish[0].HeadingTarget), 180.0f);
    s.Size = 10;  // of equals, the other turns
    Contact(fish, s, o, false);
    EXPECT_EQ(fish[1].HeadingTarget, 360.0f);
}

TEST(FoodResponse, PreyIsEatenOnlyWithinFiveDeepAndExcitementOutlivesFeedMode) {
    FoodFish pool[1];
    pool[0].Reset();
    pool[0].Active = true;
    Fish f = CalmFish(0);
    for (const auto& [deeper, alive] : {std::pair{5.5f, 1.0f}, {4.5f, 0.0f}}) {
        pool[0].WorldPos[0] = f.Head[0];
        pool[0].WorldPos[1] = f.Head[1] + 1.5f;
        pool[0].WorldPos[2] = f.Head[2] - deeper;
        RespondToFood(f, pool, 1, true);
        EatNearbyFood(f, pool, 1);
        EXPECT_EQ(pool[0].Alive, alive) << deeper;
    }
    pool[0].Active = false;
    RespondToFood(f, pool, 1, false);
    EXPECT_TRUE(f.Excited);
}

TEST(FoodFishPool, PreyStartTwoBelowTheClickAndAFullPoolTakesNoMore) {
    FoodFish pool[3];
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ReleaseFoodFish(pool, 3, float(i), 4.0f), i);
    EXPECT_EQ(ReleaseFoodFish(pool, 3, 99.0f, 99.0f), -1);
    EXPECT_EQ(pool[2].SpawnPoint[1], 2.0f);
}

}  // namespace
