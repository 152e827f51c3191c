#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>

#include "FishTestSupport.h"
#include "fish/FoodFish.h"
#include "fish/Reactions.h"

namespace {

TEST(ZoomAndTouch, ZoomStopsAtTwelveAndTouchAtExactlyMinus75OnlySpeedsUp) {
    Fish g = CalmFish(0);
    for (int i = 0; i < 3; ++i) RespondToZoom(g, true);
    EXPECT_EQ(g.Size, 12.0f);
    for (const auto& [z, target] : {std::pair{-70.0f, 120.0f}, {-75.0f, 30.0f}}) {
        Fish f = PlacedFish(30, 0, 0, z);
        RespondToTouch(f);
        EXPECT_EQ(f.HeadingTarget, target) << z;
        EXPECT_EQ(f.Speed, 0.4f) << z;
    }
}

// Contact for fish 0 (and 1 when asked) among five slots: the two given, then three that never swam.
void Contact(Fish (&fish)[5], const Fish& a, const Fish& b, bool both) {
    UseRandom quiet;
    fish[0] = a;
    fish[1] = b;
    for (int i = 2; i < 5; ++i) fish[i] = Fish();
    ResolveContact(fish, 5, 0);
    if (both) ResolveContact(fish, 5, 1);
}

TEST(Contact, SameWayTheOneAheadPullsAwayHeadOnTheSmallerTurnsAbout) {
    Fish fish[5];
    // Heading 0 swims toward -x, so the fish at -3 leads.
    Contact(fish, PlacedFish(0, 0, 0, -70), PlacedFish(0, -3, 0.5f, -70), true);
    EXPECT_NEAR(fish[1].Speed - fish[0].Speed, 0.1f, 1e-5);
    Fish s = PlacedFish(0, 0, 0, -70), o = PlacedFish(180, -4, 0, -70);  // toward each other
    s.Size = 8;
    Contact(fish, s, o, false);
    EXPECT_EQ(std::fabs(fish[0].HeadingTarget), 180.0f);
    EXPECT_EQ(fish[1].HeadingTarget, 180.0f);
    s.Size = 10;  // of equals, the other turns
    Contact(fish, s, o, false);
    EXPECT_EQ(fish[0].HeadingTarget, 0.0f);
    EXPECT_EQ(fish[1].HeadingTarget, 360.0f);
}

TEST(FoodResponse, PreyExcitesAtAnyDepthButIsEatenOnlyWithinFiveAndExcitementOutlivesFeedMode) {
    UseRandom quiet;
    FoodFish pool[2];
    pool[0].Reset();
    pool[0].Active = true;
    Fish f = PlacedFish(0, 0, 0, -70);
    const auto place = [&](float up, float deeper) {  // above and deeper than the snout
        pool[0].WorldPos[0] = f.Head[0];
        pool[0].WorldPos[1] = f.Head[1] + up;
        pool[0].WorldPos[2] = f.Head[2] - deeper;
    };
    place(9, 40);
    RespondToFood(f, pool, 2, true);
    EXPECT_TRUE(f.Excited);
    for (const auto& [up, deeper, alive] :
         {std::tuple{9.0f, 40.0f, 1.0f}, {1.5f, 5.5f, 1.0f}, {1.5f, 4.5f, 0.0f}}) {
        place(up, deeper);
        EatNearbyFood(f, pool, 2);
        EXPECT_EQ(pool[0].Alive, alive) << deeper;
    }
    pool[0].Active = false;
    RespondToFood(f, pool, 2, false);
    EXPECT_TRUE(f.Excited);
}

TEST(FoodFishPool, PreyStartTwoBelowTheClickAndTheFiftyFirstIsDropped) {
    UseRandom quiet;
    constexpr int kPool = 50;
    auto pool = std::make_unique<FoodFish[]>(kPool);
    for (int i = 0; i < kPool; ++i) pool[i].Reset();
    for (int i = 0; i < kPool; ++i)
        ASSERT_EQ(ReleaseFoodFish(pool.get(), kPool, static_cast<float>(i), 4.0f), i);
    EXPECT_EQ(ReleaseFoodFish(pool.get(), kPool, 99.0f, 99.0f), -1);
    for (int i = 0; i < kPool; ++i) {
        EXPECT_EQ(pool[i].SpawnPoint[0], static_cast<float>(i)) << "slot " << i << " respawned";
        EXPECT_EQ(pool[i].SpawnPoint[1], 2.0f);
        EXPECT_EQ(pool[i].SpawnPoint[2], -70.0f);
    }
}

}  // namespace
