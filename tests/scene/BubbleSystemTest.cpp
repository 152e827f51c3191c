#include <gtest/gtest.h>

#include <vector>

#include "platform/Random.h"
#include "scene/BubbleSystem.h"

namespace {

constexpr int kRecords = 110;

class CountingSink final : public BubbleQuadSink {
public:
    void Quad(const BubbleVertex (&)[4]) override { ++quads; }
    int quads = 0;
};

// `n` records, each at x 10 and height y, moving up by vy, half size 1.7, never dying of age;
// the start values come from a source of their own, so a test's script only sees its draws.
void InitRisers(BubbleSystem& bubbles, int n, float y, float vy) {
    ScriptedRandom startValues({});
    ScopedRandomSource scope(startValues);
    ASSERT_TRUE(bubbles.InitRecords(n));
    for (int i = 0; i < n; ++i) {
        Particle& p = bubbles.Particles[i] = Particle{};
        p.x = 10.0f;
        p.y = y;
        p.vy = vy;
        p.halfSize = 1.7f;
        p.life = 200.0f;
    }
}

}  // namespace

TEST(BubbleStart, ValuesFollowTheDrawOrder) {
    // Per record: x, y, z, vx (two draws), vy, vz, half size, fade. Record 0
    // has distinct values so a swapped draw shows; record 1 the top of every
    // range (raw values are reduced modulo n); record 2 all zeros, the bottom.
    ScriptedRandom random({150, 4, 5, 8000, 1000, 3000, 2000, 7, 10,
                           399, 17, 11, 10, 8999, 9000 + 6000, 1, 19 + 20, 49 + 50}, 0);
    ScopedRandomSource scope(random);
    BubbleSystem bubbles;
    ASSERT_TRUE(bubbles.InitRecords(3));
    EXPECT_EQ(random.Drawn(), 27u);
    // x, y, z, vx, vy, vz, half size, fade, life, rise acceleration
    const float expected[3][10] = {
        {50, -0.98f, 0.025f, 7000 * 0.000007f, 3000 * 0.000042f / 3.0f, 0.002f, 0.9f, 0.5f, 200, 0.000833333f},
        {99, -0.96f, 0.025f, (10 - 8999) * 0.000007f, 6000 * 0.000042f / 3.0f, 0.000001f, 2.1f, 2.45f, 200,
         0.000833333f},
        {-100, -1, 0, 0, 0, 0, 0.2f, 0, 200, 0.000833333f}};
    for (int i = 0; i < 3; ++i) {
        const Particle& p = bubbles.Particles[i];
        const float got[10] = {p.x, p.y, p.z, p.vx, p.vy, p.vz, p.halfSize, p.fade, p.life, p.ay};
        for (int k = 0; k < 10; ++k) EXPECT_FLOAT_EQ(got[k], expected[i][k]) << "record " << i << " value " << k;
    }
}

TEST(BubbleRecycle, AtHeight130AtOnceKeepingTheSize) {
    // Recycle draws: x, y, z, vx (two), vy, vz, fade.
    const std::vector<std::uint32_t> recycle = {30, 8, 4500, 100, 4100, 9000 + 8999, 89999, 3};
    for (const float vy : {1.0f, 0.5f}) {  // from 129: reaches 130 exactly, or stays below
        SCOPED_TRACE(vy);
        BubbleSystem bubbles;
        InitRisers(bubbles, 1, 129.0f, vy);
        ScriptedRandom random(recycle);
        ScopedRandomSource scope(random);
        bubbles.Update();
        const Particle& p = bubbles.Particles[0];
        EXPECT_FLOAT_EQ(p.halfSize, 1.7f);
        EXPECT_EQ(random.Drawn(), vy == 1.0f ? recycle.size() : 0u);
        EXPECT_FLOAT_EQ(p.y, vy == 1.0f ? -0.96f : 129.5f);
    }
}

TEST(BubbleDraw, CountDecidesWhichRecordsDrawAndMove) {
    // count, records drawn and moved
    const int cases[][2] = {{0, 0}, {-5, 0}, {10, 10}, {kRecords + 40, kRecords}};
    for (const auto& [count, drawn] : cases) {
        SCOPED_TRACE(count);
        BubbleSystem bubbles;
        InitRisers(bubbles, kRecords, 0.0f, 0.5f);
        ScriptedRandom random({});
        ScopedRandomSource scope(random);
        CountingSink sink;
        bubbles.DrawTo(count, sink);
        EXPECT_EQ(sink.quads, drawn);
        EXPECT_EQ(bubbles.Count, drawn);
        for (int i = 0; i < kRecords; ++i) ASSERT_EQ(bubbles.Particles[i].y, i < drawn ? 0.5f : 0.0f) << i;
    }
}
