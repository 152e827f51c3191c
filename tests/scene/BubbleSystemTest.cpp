#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "platform/Random.h"
#include "scene/BubbleSystem.h"

namespace {

constexpr int kRecords = 110;

// Records the corners of every quad.
class CornerSink final : public BubbleQuadSink {
public:
    void Quad(const BubbleVertex (&c)[4]) override { quads.push_back({c[0], c[1], c[2], c[3]}); }
    std::vector<std::array<BubbleVertex, 4>> quads;
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

TEST(Bubbles, RiseFasterAndFasterAndRecycledOnesFasterStill) {
    SeededRandom seeded(11);
    ScopedRandomSource scope(seeded);
    BubbleSystem bubbles;
    ASSERT_TRUE(bubbles.InitRecords(kRecords));
    bubbles.Count = kRecords;
    double startSpeed = 0;
    float previousY[kRecords], previousStep[kRecords] = {};
    for (int i = 0; i < kRecords; ++i) {
        startSpeed += bubbles.Particles[i].vy;
        previousY[i] = bubbles.Particles[i].y;
    }
    for (int frame = 0; frame < 20; ++frame) {
        bubbles.Update();
        for (int i = 0; i < kRecords; ++i) {
            const float step = bubbles.Particles[i].y - previousY[i];
            if (frame > 0) {
                ASSERT_GT(step, previousStep[i]) << "bubble " << i << " frame " << frame;
            }
            previousStep[i] = step;
            previousY[i] = bubbles.Particles[i].y;
        }
    }
    // Spent bubbles start again at the bottom, on average about three times as fast.
    for (int i = 0; i < kRecords; ++i) bubbles.Particles[i].life = 0;
    bubbles.Update();
    double recycledSpeed = 0;
    for (int i = 0; i < kRecords; ++i) {
        EXPECT_LT(bubbles.Particles[i].y, -0.9f);
        recycledSpeed += bubbles.Particles[i].vy;
    }
    EXPECT_GT(recycledSpeed, 2 * startSpeed);
    EXPECT_LT(recycledSpeed, 4 * startSpeed);
}

TEST(Bubbles, EachIsAnUnbrokenSquareOfItsSizeNearItsPlace) {
    BubbleSystem bubbles;
    InitRisers(bubbles, 3, 5.0f, 0.0f);
    bubbles.Particles[1].halfSize = 0.4f;
    SeededRandom seeded(3);
    ScopedRandomSource scope(seeded);
    CornerSink sink;
    bubbles.DrawTo(3, sink);
    ASSERT_EQ(sink.quads.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const auto& c = sink.quads[i];
        const float half = bubbles.Particles[i].halfSize;
        // Corners in order round the square, opposite corners opposite in the picture too.
        for (int k = 0; k < 4; ++k) {
            const BubbleVertex &a = c[k], &b = c[(k + 1) % 4], &o = c[(k + 2) % 4];
            EXPECT_NEAR(std::fabs(a.x - b.x) + std::fabs(a.y - b.y), 2 * half, 1e-5) << i << "/" << k;
            EXPECT_NEAR(std::fabs(a.x - o.x), 2 * half, 1e-5);
            EXPECT_NEAR(std::fabs(a.y - o.y), 2 * half, 1e-5);
            EXPECT_FLOAT_EQ(a.s + o.s, 1.0f);
            EXPECT_FLOAT_EQ(a.t + o.t, 1.0f);
            EXPECT_NE(a.s == b.s, a.t == b.t) << "one texture coordinate changes per edge";
            EXPECT_FLOAT_EQ(a.z, c[0].z);
        }
        const float cx = (c[0].x + c[2].x) / 2, cy = (c[0].y + c[2].y) / 2;
        EXPECT_TRUE(cx >= 10.0f && cx < 10.2f) << cx;  // jitter of up to 0.19
        EXPECT_FLOAT_EQ(cy, 5.0f);
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
        CornerSink sink;
        bubbles.DrawTo(count, sink);
        EXPECT_EQ(int(sink.quads.size()), drawn);
        EXPECT_EQ(bubbles.Count, drawn);
        for (int i = 0; i < kRecords; ++i) ASSERT_EQ(bubbles.Particles[i].y, i < drawn ? 0.5f : 0.0f) << i;
    }
}
