#include <gtest/gtest.h>

#include <cmath>

#include "FishTestSupport.h"
#include "fish/FoodFish.h"
#include "fish/Reactions.h"

namespace {

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
