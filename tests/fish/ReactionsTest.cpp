#include <gtest/gtest.h>

#include <cmath>

#include "FishTestSupport.h"
#include "fish/Reactions.h"

namespace {

ScriptedRandom Quiet() {
    return ScriptedRandom({}, 5);
}

// A calm fish at the given place whose snout and boxes match it.
Fish PlacedFish(float heading, float x, float y, float z) {
    Fish f = CalmFish(heading);
    f.X = x;
    f.Y = y;
    f.Z = z;
    f.UpdateExtents();
    return f;
}

// Five slots: the two given, then three that never swam (boxes at the origin).
struct Tank {
    Fish fish[5];
    Tank(const Fish& a, const Fish& b) {
        fish[0] = a;
        fish[1] = b;
        for (int i = 2; i < 5; ++i)
            fish[i] = MakeFish(0, 0);
    }
};

TEST(LineAngle, ParallelSlopedPerpendicularAndVertical) {
    EXPECT_NEAR(LineAngle(1, 2, 2, 4), 0.0f, 1e-4);
    EXPECT_NEAR(LineAngle(1, 1, 0, 1), 45.0f, 1e-3);
    // Perpendicular: the vanishing denominator is replaced, atan(2 * 10000).
    EXPECT_NEAR(LineAngle(1, 1, -1, 1), 89.99713f, 1e-4);
    // A vertical line is given a steep finite slope instead.
    EXPECT_NEAR(LineAngle(1, 0, 0, 1), 89.994f, 1e-3);
    EXPECT_NEAR(LineAngle(1, 0.00005f, 1, 0), 0.0f, 1e-4);
}

TEST(FoldedPolarAngle, OnlyTheFirstQuadrantKeepsItsAngle) {
    EXPECT_EQ(FoldedPolarAngle(0, 0), 0.0f);
    EXPECT_EQ(FoldedPolarAngle(5, 2), 21.0f);    // 21.8 truncated
    EXPECT_EQ(FoldedPolarAngle(-5, 2), 69.0f);   // 21 + 90, folded
    EXPECT_EQ(FoldedPolarAngle(-5, -2), 69.0f);  // 21 + 180
    EXPECT_EQ(FoldedPolarAngle(5, -2), 69.0f);   // 21 + 270
    EXPECT_EQ(FoldedPolarAngle(0, 3), 90.0f);
    EXPECT_EQ(FoldedPolarAngle(0.00005f, -3), 90.0f);  // 270
    EXPECT_EQ(FoldedPolarAngle(-3, 0), 90.0f);         // 180
    EXPECT_EQ(FoldedPolarAngle(3, 0.00005f), 0.0f);
}

TEST(ZoomAndTouch, ZoomInThreeTimesFromTenEndsAtTwelveAndZoomOutStopsAtEight) {
    Fish f = CalmFish(0);
    RespondToZoom(f, true);
    EXPECT_EQ(f.Size, 12.0f);
    RespondToZoom(f, true);
    RespondToZoom(f, true);
    EXPECT_EQ(f.Size, 12.0f);
    for (int i = 0; i < 3; ++i)
        RespondToZoom(f, false);
    EXPECT_EQ(f.Size, 8.0f);
}

TEST(ZoomAndTouch, TouchTurnsAQuarterOnlyInsideTheDepthBandAndAlwaysSpeedsUp) {
    Fish inBand = PlacedFish(30, 0, 0, -70);
    RespondToTouch(inBand);
    EXPECT_EQ(inBand.HeadingTarget, 120.0f);
    EXPECT_EQ(inBand.Speed, 0.4f);

    Fish onEdge = PlacedFish(30, 0, 0, -75);
    RespondToTouch(onEdge);
    EXPECT_EQ(onEdge.HeadingTarget, 30.0f);
    EXPECT_EQ(onEdge.Speed, 0.4f);
}

TEST(Contact, SideBySideSameWayTheOneAheadPullsAway) {
    auto script = Quiet();
    ScopedRandomSource guard(script);
    // Heading 0 swims toward -x, so the fish at -3 leads.
    Tank tank(PlacedFish(0, 0, 0, -70), PlacedFish(0, -3, 0.5f, -70));
    ResolveContact(tank.fish, 5, 0);
    ResolveContact(tank.fish, 5, 1);
    // Each pass speeds the leader to 0.1 above the other; single-precision
    // rounding may lift the follower a step too, but the gap stays.
    EXPECT_GE(tank.fish[1].Speed, 0.3f);
    EXPECT_NEAR(tank.fish[1].Speed - tank.fish[0].Speed, 0.1f, 1e-5);
    // The higher one tilts up, the lower one down; neither turns.
    EXPECT_GT(tank.fish[1].PitchTarget, tank.fish[0].PitchTarget);
    EXPECT_EQ(tank.fish[0].HeadingTarget, 0.0f);
    EXPECT_EQ(tank.fish[1].HeadingTarget, 0.0f);
}

TEST(Contact, HeadOnTheSmallerTurnsAboutAndOfEqualsTheOther) {
    auto script = Quiet();
    ScopedRandomSource guard(script);
    Fish s = PlacedFish(0, 0, 0, -70);     // toward -x
    Fish o = PlacedFish(180, -4, 0, -70);  // toward +x
    s.Size = 8;
    Tank smallerFirst(s, o);
    ResolveContact(smallerFirst.fish, 5, 0);
    EXPECT_EQ(std::fabs(smallerFirst.fish[0].HeadingTarget), 180.0f);
    EXPECT_EQ(smallerFirst.fish[1].HeadingTarget, 180.0f);

    s.Size = 10;
    Tank equal(s, o);
    ResolveContact(equal.fish, 5, 0);
    EXPECT_EQ(equal.fish[0].HeadingTarget, 0.0f);
    EXPECT_EQ(equal.fish[1].HeadingTarget, 360.0f);
}

TEST(Crowding, OnlyTheLowerIndexTiltsAwayFromAClosePosition) {
    Fish fish[3] = {CalmFish(0), CalmFish(0), CalmFish(0)};
    const FishPositionRecord close[3] = {{0, 3, -70}, {4, 0, -66}, {40, 0, -70}};
    CrowdApart(fish, close, 3);
    EXPECT_EQ(fish[0].PitchTarget, 1.0f);
    EXPECT_EQ(fish[1].PitchTarget, 0.0f);
    EXPECT_EQ(fish[2].PitchTarget, 0.0f);
}

TEST(FoodResponse, PreyAboveTheSnoutExcitesAtAnyDepthButIsEatenOnlyWithinFive) {
    auto script = Quiet();
    ScopedRandomSource guard(script);
    FoodFish pool[2];
    pool[0].Reset();
    pool[0].Active = true;
    Fish f = PlacedFish(0, 0, 0, -70);
    pool[0].WorldPos[0] = f.Head[0];
    pool[0].WorldPos[1] = f.Head[1] + 9;
    pool[0].WorldPos[2] = f.Head[2] - 40;

    RespondToFood(f, pool, 2, true);
    EXPECT_TRUE(f.Excited);
    EatNearbyFood(f, pool, 2);
    EXPECT_EQ(pool[0].Alive, 1.0f);

    pool[0].WorldPos[1] = f.Head[1] + 1.5f;
    pool[0].WorldPos[2] = f.Head[2] - 5.5f;
    EatNearbyFood(f, pool, 2);
    EXPECT_EQ(pool[0].Alive, 1.0f);
    pool[0].WorldPos[2] = f.Head[2] - 4.5f;
    EatNearbyFood(f, pool, 2);
    EXPECT_EQ(pool[0].Alive, 0.0f);
}

TEST(FoodResponse, LeavingFeedModeKeepsTheFishExcited) {
    FoodFish pool[1];
    pool[0].Reset();
    pool[0].Active = true;
    Fish f = PlacedFish(0, 0, 0, -70);
    pool[0].WorldPos[0] = f.Head[0] - 4;
    pool[0].WorldPos[2] = -70;
    RespondToFood(f, pool, 1, true);
    ASSERT_TRUE(f.Excited);
    pool[0].Active = false;
    RespondToFood(f, pool, 1, false);
    EXPECT_TRUE(f.Excited);
    RespondToFood(f, pool, 1, true);
    EXPECT_FALSE(f.Excited);
}

TEST(FoodResponse, TurnsTowardPreyAheadAboutForPreyBehindAndTiltsForPreyOnItsAxis) {
    auto script = Quiet();
    ScopedRandomSource guard(script);
    FoodFish pool[1];
    pool[0].Reset();
    pool[0].Active = true;
    auto respond = [&](Fish f, float fx, float fy, float fz) {
        pool[0].WorldPos[0] = fx;
        pool[0].WorldPos[1] = fy;
        pool[0].WorldPos[2] = fz;
        RespondToFood(f, pool, 1, true);
        return f;
    };
    // Heading 0 swims toward -x. Ahead and 26.6 degrees deeper: turn 26 toward it.
    Fish ahead = respond(PlacedFish(0, 0, 0, -70), -8, 0, -74);
    EXPECT_EQ(ahead.HeadingTarget, -26.0f);
    EXPECT_FLOAT_EQ(ahead.Speed, 0.2f);
    // Behind at 31 degrees: turn the other 149.
    Fish behind = respond(PlacedFish(0, 0, 0, -70), 5, 0, -73);
    EXPECT_EQ(behind.HeadingTarget, -149.0f);
    // On its axis, up and to the left of the tank axis: tilt by the folded angle.
    Fish tilted = respond(PlacedFish(0, 1, 0, -70), -2, 5, -70);
    EXPECT_EQ(tilted.HeadingTarget, 0.0f);
    EXPECT_EQ(tilted.PitchTarget, 22.0f);
    // At the snout the fish slows to a crawl.
    Fish close = respond(PlacedFish(0, 0, 0, -70), -4, 1, -70);
    EXPECT_FLOAT_EQ(close.Speed, 0.1f);
}

}  // namespace
