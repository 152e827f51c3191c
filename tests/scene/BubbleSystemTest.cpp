#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Random.h"
#include "scene/BubbleSystem.h"

namespace {

constexpr int kBubbleRecords = 110;

class RecordingSink final : public BubbleQuadSink {
public:
    void Begin() override { ++begins; }
    void Quad(const BubbleVertex (&corners)[4]) override {
        quads.emplace_back(corners, corners + 4);
    }
    void End() override { ++ends; }

    int begins = 0;
    int ends = 0;
    std::vector<std::vector<BubbleVertex>> quads;
};

// A record that moves straight up by vy and never dies of age.
Particle Riser(float y, float vy) {
    Particle p{};
    p.x = 10.0f;
    p.y = y;
    p.z = 0.5f;
    p.vy = vy;
    p.halfSize = 1.0f;
    p.life = 200.0f;
    p.fade = 0.0f;
    return p;
}

bool SameRecords(const BubbleSystem& a, const std::vector<Particle>& b) {
    return std::memcmp(a.Particles.get(), b.data(), b.size() * sizeof(Particle)) == 0;
}

// Initialises with start values drawn from a source of their own, so a test's
// script only sees the draws it is about.
void InitQuietly(BubbleSystem& bubbles, int n) {
    ScriptedRandom startValues({});
    ScopedRandomSource scope(startValues);
    ASSERT_TRUE(bubbles.InitRecords(n));
}

std::vector<Particle> Snapshot(const BubbleSystem& s) {
    return std::vector<Particle>(s.Particles.get(), s.Particles.get() + s.Capacity);
}

}  // namespace

TEST(BubbleStart, ValuesFollowTheDrawOrder) {
    // Record 0: x, y, z, vx (two draws), vy, vz, half size, fade.
    // Every value is distinct so a swapped draw shows.
    ScriptedRandom random({150, 4, 5, 8000, 1000, 3000, 2000, 7, 10,
                           // Record 1: raw values reduced modulo n.
                           399, 17, 11, 10, 8999, 9000 + 6000, 1, 19 + 20, 49 + 50},
                          0);
    ScopedRandomSource scope(random);
    BubbleSystem bubbles;
    ASSERT_TRUE(bubbles.InitRecords(3));
    EXPECT_EQ(bubbles.Count, 3);
    EXPECT_EQ(random.Drawn(), 27u);  // nine draws per record

    const Particle& a = bubbles.Particles[0];
    EXPECT_FLOAT_EQ(a.x, 50.0f);
    EXPECT_FLOAT_EQ(a.y, -0.98f);
    EXPECT_FLOAT_EQ(a.z, 0.025f);
    EXPECT_FLOAT_EQ(a.vx, 7000 * 0.000007f);
    EXPECT_FLOAT_EQ(a.vy, 3000 * 0.000042f / 3.0f);
    EXPECT_FLOAT_EQ(a.vz, 0.002f);
    EXPECT_FLOAT_EQ(a.halfSize, 0.9f);
    EXPECT_FLOAT_EQ(a.fade, 0.5f);
    EXPECT_FLOAT_EQ(a.life, 200.0f);
    EXPECT_FLOAT_EQ(a.ax, 0.0f);
    EXPECT_FLOAT_EQ(a.ay, 0.000833333f);
    EXPECT_FLOAT_EQ(a.az, 0.0f);

    const Particle& b = bubbles.Particles[1];
    EXPECT_FLOAT_EQ(b.x, 99.0f);
    EXPECT_FLOAT_EQ(b.y, -0.96f);
    EXPECT_FLOAT_EQ(b.z, 0.025f);  // 11 mod 6
    EXPECT_FLOAT_EQ(b.vx, (10 - 8999) * 0.000007f);
    EXPECT_FLOAT_EQ(b.vy, 6000 * 0.000042f / 3.0f);
    EXPECT_FLOAT_EQ(b.vz, 0.000001f);
    EXPECT_FLOAT_EQ(b.halfSize, 2.1f);
    EXPECT_FLOAT_EQ(b.fade, 2.45f);

    // All-zero draws give the low ends of every range.
    const Particle& c = bubbles.Particles[2];
    EXPECT_FLOAT_EQ(c.x, -100.0f);
    EXPECT_FLOAT_EQ(c.y, -1.0f);
    EXPECT_FLOAT_EQ(c.halfSize, 0.2f);
    EXPECT_FLOAT_EQ(c.fade, 0.0f);
}

TEST(BubbleUpdate, MovesAgesAndAcceleratesOnlyUpward) {
    BubbleSystem bubbles;
    InitQuietly(bubbles, 1);
    ScriptedRandom random({});
    ScopedRandomSource scope(random);
    Particle& p = bubbles.Particles[0];
    p = Riser(0.0f, 0.5f);
    p.vx = 0.25f;
    p.vz = -0.125f;
    p.ax = 1.0f;  // only the y acceleration counts
    p.az = 1.0f;
    p.ay = 0.25f;
    p.fade = 2.0f;
    bubbles.Update();
    EXPECT_FLOAT_EQ(p.x, 10.25f);
    EXPECT_FLOAT_EQ(p.y, 0.5f);
    EXPECT_FLOAT_EQ(p.z, 0.375f);
    EXPECT_FLOAT_EQ(p.vx, 0.25f);
    EXPECT_FLOAT_EQ(p.vy, 0.75f);
    EXPECT_FLOAT_EQ(p.vz, -0.125f);
    EXPECT_FLOAT_EQ(p.life, 198.0f);
    bubbles.Update();
    EXPECT_FLOAT_EQ(p.y, 1.25f);  // the new velocity moves it next time
    EXPECT_EQ(random.Drawn(), 0u);
}

TEST(BubbleRecycle, AtTheTopBottomAndEndOfLife) {
    // Recycle draws: x, y, z, vx (two), vy, vz, fade.
    const std::vector<std::uint32_t> recycle = {30, 8, 4500, 100, 4100, 9000 + 8999, 89999, 3};
    struct Case {
        const char* name;
        Particle start;
        bool recycled;
    };
    Particle dying = Riser(0.0f, 0.0f);
    dying.life = 1.0f;
    dying.fade = 1.0f;
    Particle ageing = dying;
    ageing.life = 1.5f;
    const Case cases[] = {
        {"reaches 130 exactly", Riser(129.0f, 1.0f), true},
        {"just below 130", Riser(129.0f, 0.5f), false},
        {"falls to -25 exactly", Riser(-24.0f, -1.0f), true},
        {"just above -25", Riser(-24.0f, -0.5f), false},
        {"life reaches 0", dying, true},
        {"life left", ageing, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BubbleSystem bubbles;
        InitQuietly(bubbles, 1);
        ScriptedRandom random(recycle);
        ScopedRandomSource scope(random);
        Particle& p = bubbles.Particles[0];
        p = c.start;
        p.halfSize = 1.7f;
        bubbles.Update();
        if (!c.recycled) {
            EXPECT_EQ(random.Drawn(), 0u);
            EXPECT_FLOAT_EQ(p.x, 10.0f);
            continue;
        }
        EXPECT_EQ(random.Drawn(), recycle.size());
        EXPECT_FLOAT_EQ(p.x, -70.0f);
        EXPECT_FLOAT_EQ(p.y, -0.96f);
        EXPECT_FLOAT_EQ(p.z, 0.0045f);
        EXPECT_FLOAT_EQ(p.vx, (100 - 4100) * 0.000007f);
        // Up to three times the start speed, and a wider depth drift.
        EXPECT_FLOAT_EQ(p.vy, 8999 * 0.000042f);
        EXPECT_FLOAT_EQ(p.vz, 89999 * 0.000001f);
        EXPECT_FLOAT_EQ(p.ay, 0.000833333f);
        EXPECT_FLOAT_EQ(p.life, 200.0f);
        EXPECT_FLOAT_EQ(p.fade, 0.15f);
        EXPECT_FLOAT_EQ(p.halfSize, 1.7f);  // the size survives recycling
    }
}

TEST(BubbleRecycle, FadeZeroLivesUntilTheTop) {
    BubbleSystem bubbles;
    InitQuietly(bubbles, 1);
    ScriptedRandom random({});
    ScopedRandomSource scope(random);
    bubbles.Particles[0] = Riser(0.0f, 1.0f);
    bubbles.Particles[0].ay = 0.0f;
    for (int i = 0; i < 129; ++i)
        bubbles.Update();
    EXPECT_EQ(random.Drawn(), 0u);
    EXPECT_FLOAT_EQ(bubbles.Particles[0].y, 129.0f);
    bubbles.Update();
    EXPECT_GT(random.Drawn(), 0u);
    EXPECT_LT(bubbles.Particles[0].y, 0.0f);
}

TEST(BubbleDraw, SquareCornersAndTextureCoordinates) {
    BubbleSystem bubbles;
    InitQuietly(bubbles, 1);
    ScriptedRandom random({7, 19});  // jitter a, b
    ScopedRandomSource scope(random);
    bubbles.Particles[0] = Riser(5.0f, 0.0f);
    bubbles.Particles[0].halfSize = 0.5f;
    RecordingSink sink;
    bubbles.DrawTo(1, sink);
    ASSERT_EQ(sink.quads.size(), 1u);
    const auto& q = sink.quads[0];
    const float cx = 10.07f, cz = 0.69f;
    const float expected[4][5] = {{0, 0, cx - 0.5f, 4.5f, cz},
                                  {1, 0, cx - 0.5f, 5.5f, cz},
                                  {1, 1, cx + 0.5f, 5.5f, cz},
                                  {0, 1, cx + 0.5f, 4.5f, cz}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(q[i].s, expected[i][0]);
        EXPECT_FLOAT_EQ(q[i].t, expected[i][1]);
        EXPECT_NEAR(q[i].x, expected[i][2], 1e-5);
        EXPECT_FLOAT_EQ(q[i].y, expected[i][3]);
        EXPECT_NEAR(q[i].z, expected[i][4], 1e-6);
    }
    EXPECT_EQ(sink.begins, 1);
    EXPECT_EQ(sink.ends, 1);
}

TEST(BubbleDraw, JitterIsFreshEachFrameAndNotAccumulated) {
    // Frame 1 jitters by the most, frame 2 by nothing.
    BubbleSystem bubbles;
    InitQuietly(bubbles, 1);
    ScriptedRandom random({19, 19, 0, 0});
    ScopedRandomSource scope(random);
    bubbles.Particles[0] = Riser(0.0f, 0.0f);
    bubbles.Particles[0].ay = 0.0f;
    RecordingSink sink;
    bubbles.DrawTo(1, sink);
    EXPECT_FLOAT_EQ(bubbles.Particles[0].x, 10.0f);  // the record did not move
    EXPECT_FLOAT_EQ(bubbles.Particles[0].z, 0.5f);
    bubbles.DrawTo(1, sink);
    ASSERT_EQ(sink.quads.size(), 2u);
    EXPECT_NEAR(sink.quads[0][0].x, 10.19f - 1.0f, 1e-5);
    EXPECT_NEAR(sink.quads[0][0].z, 0.69f, 1e-5);
    EXPECT_FLOAT_EQ(sink.quads[1][0].x, 9.0f);
    EXPECT_FLOAT_EQ(sink.quads[1][0].z, 0.5f);
    EXPECT_EQ(random.Drawn(), 4u);
}

TEST(BubbleDraw, CountDecidesWhichRecordsDrawAndMove) {
    ScriptedRandom init({});
    BubbleSystem bubbles;
    {
        ScopedRandomSource scope(init);
        ASSERT_TRUE(bubbles.InitRecords(kBubbleRecords));
    }
    for (int i = 0; i < kBubbleRecords; ++i)
        bubbles.Particles[i] = Riser(0.0f, 0.5f);

    {
        SCOPED_TRACE("count 0: nothing drawn, moved or drawn from the random source");
        ScriptedRandom random({});
        ScopedRandomSource scope(random);
        const std::vector<Particle> before = Snapshot(bubbles);
        RecordingSink sink;
        bubbles.DrawTo(0, sink);
        EXPECT_TRUE(sink.quads.empty());
        EXPECT_EQ(sink.begins, 0);
        EXPECT_EQ(random.Drawn(), 0u);
        EXPECT_TRUE(SameRecords(bubbles, before));
        EXPECT_EQ(bubbles.Count, 0);
    }
    {
        SCOPED_TRACE("negative count behaves like 0");
        ScriptedRandom random({});
        ScopedRandomSource scope(random);
        const std::vector<Particle> before = Snapshot(bubbles);
        RecordingSink sink;
        bubbles.DrawTo(-5, sink);
        EXPECT_TRUE(sink.quads.empty());
        EXPECT_EQ(random.Drawn(), 0u);
        EXPECT_TRUE(SameRecords(bubbles, before));
        EXPECT_EQ(bubbles.Count, 0);
    }
    {
        SCOPED_TRACE("count 10: only the first ten");
        ScriptedRandom random({});
        ScopedRandomSource scope(random);
        RecordingSink sink;
        bubbles.DrawTo(10, sink);
        EXPECT_EQ(sink.quads.size(), 10u);
        EXPECT_EQ(random.Drawn(), 20u);  // two jitter draws each, no recycling
        EXPECT_FLOAT_EQ(bubbles.Particles[9].y, 0.5f);
        EXPECT_FLOAT_EQ(bubbles.Particles[10].y, 0.0f);
    }
    {
        SCOPED_TRACE("count above the records is limited to them");
        ScriptedRandom random({});
        ScopedRandomSource scope(random);
        RecordingSink sink;
        bubbles.DrawTo(kBubbleRecords + 40, sink);
        EXPECT_EQ(sink.quads.size(), static_cast<size_t>(kBubbleRecords));
        EXPECT_EQ(bubbles.Count, kBubbleRecords);
        EXPECT_FLOAT_EQ(bubbles.Particles[kBubbleRecords - 1].y, 0.5f);
    }
    {
        SCOPED_TRACE("records left out resume where they stopped");
        ScriptedRandom random({});
        ScopedRandomSource scope(random);
        RecordingSink sink;
        bubbles.DrawTo(11, sink);
        EXPECT_FLOAT_EQ(bubbles.Particles[10].y, 1.0f);  // skipped once, moved twice
        EXPECT_FLOAT_EQ(bubbles.Particles[11].y, 0.5f);
    }
}

TEST(BubbleDraw, WithoutRecordsNothingHappens) {
    BubbleSystem bubbles;  // never initialised
    RecordingSink sink;
    ScriptedRandom random({});
    ScopedRandomSource scope(random);
    bubbles.DrawTo(110, sink);
    bubbles.Count = 50;  // a stray count must not reach missing records
    bubbles.Update();
    EXPECT_TRUE(sink.quads.empty());
    EXPECT_EQ(random.Drawn(), 0u);
}

TEST(BubblePrewarm, AdvancesKeepEveryBubbleAliveAndItsSize) {
    SeededRandom seeded(1234);
    ScopedRandomSource scope(seeded);
    BubbleSystem bubbles;
    ASSERT_TRUE(bubbles.InitRecords(kBubbleRecords));
    std::vector<float> sizes;
    for (int i = 0; i < kBubbleRecords; ++i)
        sizes.push_back(bubbles.Particles[i].halfSize);
    RecordingSink sink;
    for (int frame = 0; frame < 3 * kBubbleRecords; ++frame)
        bubbles.DrawTo(kBubbleRecords, sink);
    for (int i = 0; i < kBubbleRecords; ++i) {
        const Particle& p = bubbles.Particles[i];
        EXPECT_GT(p.y, -25.0f);
        EXPECT_LT(p.y, 130.0f);
        EXPECT_GT(p.life, 0.0f);
        EXPECT_LE(p.life, 200.0f);
        EXPECT_EQ(p.halfSize, sizes[i]);
        EXPECT_GE(p.halfSize, 0.2f - 1e-6f);
        EXPECT_LE(p.halfSize, 2.1f + 1e-6f);
    }
}
