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

}  // namespace

TEST(Bubbles, RiseFasterAndFasterAndRecycledOnesFasterStill) {
    SeededRandom seeded(11);
    ScopedRandomSource scope(seeded);
    BubbleSystem bubbles;
    ASSERT_TRUE(bubbles.InitRecords(kRecords));
    const auto drawn = [&] {  // each frame draws the bubbles, then moves them
        CornerSink unseen;
        bubbles.DrawTo(kRecords, unseen);
    };
    float y[3][kRecords];
    for (auto& frame : y) {
        for (int i = 0; i < kRecords; ++i)
            frame[i] = bubbles.Particles[i].y;
        drawn();
    }
    double startSpeed = 0;  // the first frame's rise is the starting speed
    for (int i = 0; i < kRecords; ++i) {
        ASSERT_GT(y[2][i] - y[1][i], y[1][i] - y[0][i]) << i;
        startSpeed += y[1][i] - y[0][i];
        bubbles.Particles[i].life = 0;
    }
    // Spent bubbles start again at the bottom, on average about three times as fast.
    drawn();
    double recycledSpeed = 0;
    for (int i = 0; i < kRecords; ++i) {
        EXPECT_LT(bubbles.Particles[i].y, -0.9f);
        recycledSpeed += bubbles.Particles[i].vy;
    }
    EXPECT_GT(recycledSpeed, 2 * startSpeed);
    EXPECT_LT(recycledSpeed, 4 * startSpeed);
    // Each fades on its own: many vanish long before they reach the top.
    int vanishedLow = 0;
    for (int frame = 0; frame < 400; ++frame) {
        float before[kRecords];
        for (int i = 0; i < kRecords; ++i) before[i] = bubbles.Particles[i].y;
        drawn();
        for (int i = 0; i < kRecords; ++i)
            vanishedLow += bubbles.Particles[i].y < before[i] && before[i] < 60;
    }
    EXPECT_GT(vanishedLow, 50);
}

TEST(Bubbles, EachDrawnRecordIsAnUnbrokenSquareOfItsSizeNearItsPlace) {
    SeededRandom seeded(3);
    ScopedRandomSource scope(seeded);
    BubbleSystem bubbles;
    ASSERT_TRUE(bubbles.InitRecords(4));
    for (int i = 0; i < 4; ++i) {
        bubbles.Particles[i].x = 10.0f;
        bubbles.Particles[i].y = 5.0f;
        bubbles.Particles[i].halfSize = 0.4f + i;
    }
    CornerSink sink;
    bubbles.DrawTo(3, sink);
    EXPECT_EQ(bubbles.Particles[3].y, 5.0f) << "a record not drawn does not move";
    bubbles.DrawTo(9, sink);  // more than there are: all four
    ASSERT_EQ(sink.quads.size(), 7u);
    for (int i = 0; i < 3; ++i) {
        const auto& c = sink.quads[i];
        const float half = 0.4f + i;
        // Corners in order round the square, opposite corners opposite in the picture too.
        for (int k = 0; k < 4; ++k) {
            const BubbleVertex &a = c[k], &b = c[(k + 1) % 4], &o = c[(k + 2) % 4];
            EXPECT_NEAR(std::fabs(a.x - b.x) + std::fabs(a.y - b.y), 2 * half, 1e-5) << i << "/" << k;
            EXPECT_NEAR(std::fabs(a.x - o.x) + std::fabs(a.y - o.y), 4 * half, 1e-5);
            EXPECT_TRUE(a.s + o.s == 1 && a.t + o.t == 1);
            EXPECT_NE(a.s == b.s, a.t == b.t) << "one texture coordinate changes per edge";
            EXPECT_FLOAT_EQ(a.z, c[0].z);
        }
        const float cx = (c[0].x + c[2].x) / 2, cy = (c[0].y + c[2].y) / 2;
        EXPECT_TRUE(cx >= 10.0f && cx < 10.2f && cy == 5.0f)
            << cx << ", " << cy;  // jitter up to 0.19
    }
}
