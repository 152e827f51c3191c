#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "FishTestSupport.h"
#include "fish/FoodFish.h"
#include "fish/Reactions.h"

namespace {

// Records, per placed prey, where it was placed and how much was drawn there.
class RecordingPreySink final : public PreySink {
public:
    struct Placement {
        float at[3];
        long vertices = 0;
    };

    void BeginStrip() override {}
    void Vertex(float, float, float, float, float, float, float, float) override {
        ++Placements.back().vertices;
    }
    void EndStrip() override {}
    void PushMatrix() override {}
    void PopMatrix() override {}
    void Rotate(float, float, float, float) override {}
    void Translate(float x, float y, float z) override { Placements.push_back({{x, y, z}}); }

    std::vector<Placement> Placements;
};

constexpr int kPool = 50;

// A pool as the scene holds it, every slot set up (without a GL texture).
std::unique_ptr<FoodFish[]> MakePool() {
    auto pool = std::make_unique<FoodFish[]>(kPool);
    for (int i = 0; i < kPool; ++i)
        pool[i].Reset();
    return pool;
}

TEST(FoodFishPool, FiftyReleasesFillThePoolAndTheFiftyFirstIsDropped) {
    UseRandom quiet;
    auto pool = MakePool();
    for (int i = 0; i < kPool; ++i)
        ASSERT_EQ(ReleaseFoodFish(pool.get(), kPool, static_cast<float>(i), 1.0f), i);
    EXPECT_EQ(ReleaseFoodFish(pool.get(), kPool, 99.0f, 99.0f), -1);
    for (int i = 0; i < kPool; ++i)
        EXPECT_EQ(pool[i].SpawnPoint[0], static_cast<float>(i)) << "slot " << i << " respawned";
}

TEST(FoodFishPool, PreyStartsTwoBelowTheClickAtDepthSeventy) {
    UseRandom quiet;
    auto pool = MakePool();
    ASSERT_EQ(ReleaseFoodFish(pool.get(), kPool, 12.5f, 4.0f), 0);
    EXPECT_EQ(pool[0].SpawnPoint[0], 12.5f);
    EXPECT_EQ(pool[0].SpawnPoint[1], 2.0f);
    EXPECT_EQ(pool[0].SpawnPoint[2], -70.0f);
}

TEST(FoodFishPool, EatenPreyIsNotDrawnThatFrameAndItsSlotGoesToTheNextClick) {
    UseRandom quiet;
    auto pool = MakePool();
    for (int i = 0; i < 3; ++i)
        ReleaseFoodFish(pool.get(), kPool, -20.0f + 20.0f * i, 0.0f);
    RecordingPreySink sink;
    for (int frame = 0; frame < 5; ++frame)
        DrawFoodFishes(pool.get(), kPool, sink);
    // A large fish with its snout on prey 1.
    Fish hunter = CalmFish(0);
    hunter.Head[0] = pool[1].WorldPos[0] + 1.5f;
    hunter.Head[1] = pool[1].WorldPos[1] - 1.5f;
    hunter.Head[2] = pool[1].WorldPos[2] + 4.5f;
    EatNearbyFood(hunter, pool.get(), kPool);
    sink.Placements.clear();
    DrawFoodFishes(pool.get(), kPool, sink);
    ASSERT_EQ(sink.Placements.size(), 3u);
    EXPECT_GT(sink.Placements[0].vertices, 0);
    EXPECT_EQ(sink.Placements[1].vertices, 0);
    EXPECT_GT(sink.Placements[2].vertices, 0);
    // The freed slot takes the next click and starts at the new point.
    EXPECT_EQ(ReleaseFoodFish(pool.get(), kPool, 5.0f, 5.0f), 1);
    sink.Placements.clear();
    DrawFoodFishes(pool.get(), kPool, sink);
    EXPECT_EQ(sink.Placements[1].at[0], 5.0f);
    EXPECT_GT(sink.Placements[1].vertices, 0);
}

}  // namespace
