#include <gtest/gtest.h>

#include <vector>

#include "platform/Random.h"
#include "scene/BubbleSystem.h"

namespace {

constexpr int kRecords = 110;

class RecordingSink final : public BubbleQuadSink {
public:
    void Begin() override { ++begins; }
    void Quad(const BubbleVertex (&corners)[4]) override { quads.emplace_back(corners, corners + 4); }
    void End() override { ++ends; }
    int begins = 0, ends = 0;
    std::vector<std::vector<BubbleVertex>> quads;
};

// A record at x 10, z 0.5 that moves straight up by vy and never dies of age.
Particle Riser(float y, float vy) {
    Particle p{};
    p.x = 10.0f;
    p.y = y;
    p.z = 0.5f;
    p.vy = vy;
    p.halfSize = 1.0f;
    p.life = 200.0f;
    return p;
}

// `n` records, every one set to `p`; the start values come from a source of
// their own, so a test's script only sees the draws it is about.
void InitWith(BubbleSystem& bubbles, int n, const Particle& p) {
    ScriptedRandom startValues({});
    ScopedRandomSource scope(startValues);
    ASSERT_TRUE(bubbles.InitRecords(n));
    for (int i = 0; i < n; ++i) bubbles.Particles[i] = p;
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
    EXPECT_EQ(bubbles.Count, 3);
    EXPECT_EQ(random.Drawn(), 27u);
    const float expected[3][8] = {
        {50, -0.98f, 0.025f, 7000 * 0.000007f, 3000 * 0.000042f / 3.0f, 0.002f, 0.9f, 0.5f},
        {99, -0.96f, 0.025f, (10 - 8999) * 0.000007f, 6000 * 0.000042f / 3.0f, 0.000001f, 2.1f, 2.45f},
        {-100, -1, 0, 0, 0, 0, 0.2f, 0}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const Particle& p = bubbles.Particles[i];
        const float got[8] = {p.x, p.y, p.z, p.vx, p.vy, p.vz, p.halfSize, p.fade};
        for (int k = 0; k < 8; ++k) EXPECT_FLOAT_EQ(got[k], expected[i][k]) << "value " << k;
        EXPECT_FLOAT_EQ(p.life, 200.0f);
        EXPECT_EQ(p.ax, 0.0f);
        EXPECT_FLOAT_EQ(p.ay, 0.000833333f);
        EXPECT_EQ(p.az, 0.0f);
    }
}

TEST(BubbleUpdate, MovesAgesAndAcceleratesOnlyUpward) {
    BubbleSystem bubbles;
    Particle start = Riser(0.0f, 0.5f);
    start.vx = 0.25f;
    start.vz = -0.125f;
    start.ax = start.az = 1.0f;  // only the y acceleration counts
    start.ay = 0.25f;
    start.fade = 2.0f;
    InitWith(bubbles, 1, start);
    ScriptedRandom random({});
    ScopedRandomSource scope(random);
    bubbles.Update();
    const Particle& p = bubbles.Particles[0];
    const float got[7] = {p.x, p.y, p.z, p.vx, p.vy, p.vz, p.life};
    const float expected[7] = {10.25f, 0.5f, 0.375f, 0.25f, 0.75f, -0.125f, 198.0f};
    for (int k = 0; k < 7; ++k) EXPECT_FLOAT_EQ(got[k], expected[k]) << "value " << k;
    bubbles.Update();
    EXPECT_FLOAT_EQ(p.y, 1.25f);  // the new velocity moves it next time
    EXPECT_EQ(random.Drawn(), 0u);
}

TEST(BubbleRecycle, AtTheTopBottomAndEndOfLifeKeepingTheSize) {
    // Recycle draws: x, y, z, vx (two), vy, vz, fade.
    const std::vector<std::uint32_t> recycle = {30, 8, 4500, 100, 4100, 9000 + 8999, 89999, 3};
    Particle dying = Riser(0.0f, 0.0f);
    dying.life = dying.fade = 1.0f;
    Particle ageing = dying;
    ageing.life = 1.5f;
    const struct {
        const char* name;
        Particle start;
        bool recycled;
    } cases[] = {
        {"reaches 130 exactly", Riser(129.0f, 1.0f), true},  {"just below 130", Riser(129.0f, 0.5f), false},
        {"falls to -25 exactly", Riser(-24.0f, -1.0f), true}, {"just above -25", Riser(-24.0f, -0.5f), false},
        {"life reaches 0", dying, true},                      {"life left", ageing, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BubbleSystem bubbles;
        Particle start = c.start;
        start.halfSize = 1.7f;
        InitWith(bubbles, 1, start);
        ScriptedRandom random(recycle);
        ScopedRandomSource scope(random);
        bubbles.Update();
        const Particle& p = bubbles.Particles[0];
        EXPECT_FLOAT_EQ(p.halfSize, 1.7f);  // the size survives recycling
        EXPECT_EQ(random.Drawn(), c.recycled ? recycle.size() : 0u);
        if (!c.recycled) continue;
        // Up to three times the start speed, and a wider depth drift.
        const float got[9] = {p.x, p.y, p.z, p.vx, p.vy, p.vz, p.ay, p.life, p.fade};
        const float expected[9] = {-70, -0.96f, 0.0045f, (100 - 4100) * 0.000007f, 8999 * 0.000042f,
                                   89999 * 0.000001f, 0.000833333f, 200, 0.15f};
        for (int k = 0; k < 9; ++k) EXPECT_FLOAT_EQ(got[k], expected[k]) << "value " << k;
    }
}

TEST(BubbleDraw, SquaresWithFreshJitterEachFrame) {
    BubbleSystem bubbles;
    Particle start = Riser(5.0f, 0.0f);
    start.halfSize = 0.5f;
    InitWith(bubbles, 1, start);
    ScriptedRandom random({7, 19, 0, 0});  // jitter a, b for two frames
    ScopedRandomSource scope(random);
    RecordingSink sink;
    bubbles.DrawTo(1, sink);
    EXPECT_FLOAT_EQ(bubbles.Particles[0].x, 10.0f) << "the jitter does not move the record";
    EXPECT_FLOAT_EQ(bubbles.Particles[0].z, 0.5f);
    bubbles.DrawTo(1, sink);
    ASSERT_EQ(sink.quads.size(), 2u);
    EXPECT_EQ(sink.begins, 2);
    EXPECT_EQ(sink.ends, 2);
    // s, t, x, y, z of the four corners, first frame jittered by (0.07, 0.19).
    const float cx = 10.07f, cz = 0.69f;
    const float expected[4][5] = {{0, 0, cx - 0.5f, 4.5f, cz}, {1, 0, cx - 0.5f, 5.5f, cz},
                                  {1, 1, cx + 0.5f, 5.5f, cz}, {0, 1, cx + 0.5f, 4.5f, cz}};
    for (int i = 0; i < 4; ++i) {
        const BubbleVertex& v = sink.quads[0][i];
        const float got[5] = {v.s, v.t, v.x, v.y, v.z};
        for (int k = 0; k < 5; ++k) EXPECT_NEAR(got[k], expected[i][k], 1e-5) << "corner " << i << " value " << k;
    }
    EXPECT_FLOAT_EQ(sink.quads[1][0].x, 9.5f) << "no jitter in frame two";
    EXPECT_FLOAT_EQ(sink.quads[1][0].z, 0.5f);
}

TEST(BubbleDraw, CountDecidesWhichRecordsDrawAndMove) {
    // count, records drawn and moved
    const int cases[][2] = {{0, 0}, {-5, 0}, {10, 10}, {kRecords + 40, kRecords}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        BubbleSystem bubbles;
        InitWith(bubbles, kRecords, Riser(0.0f, 0.5f));
        ScriptedRandom random({});
        ScopedRandomSource scope(random);
        RecordingSink sink;
        bubbles.DrawTo(c[0], sink);
        EXPECT_EQ(sink.quads.size(), std::size_t(c[1]));
        EXPECT_EQ(sink.begins, c[1] > 0 ? 1 : 0);
        EXPECT_EQ(bubbles.Count, c[1]);
        EXPECT_EQ(random.Drawn(), 2u * c[1]) << "two jitter draws each, no recycling";
        for (int i = 0; i < kRecords; ++i) ASSERT_EQ(bubbles.Particles[i].y, i < c[1] ? 0.5f : 0.0f) << i;
    }
    BubbleSystem never;  // never initialised: a stray count must not reach missing records
    RecordingSink sink;
    never.DrawTo(kRecords, sink);
    never.Count = 50;
    never.Update();
    EXPECT_TRUE(sink.quads.empty());
}
