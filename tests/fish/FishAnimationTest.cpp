#include <gtest/gtest.h>

#include <cmath>

#include "FishTestSupport.h"
#include "fish/FishModel.h"

namespace {

using Strips = std::vector<std::vector<RecordingFishSink::Vert>>;

// Strip index where each piece starts: body 10, gill 6, jaw 6, long fin 1,
// paired A 2, paired B 2, short fin 1, tail 1, flap 4.
constexpr int kBodyStrips = 10;
constexpr int kFlapFirstStrip = 29;

TEST(FishDrawing, IssuesTheNinePiecesAs918VerticesInQuadStrips) {
    ScriptedRandom script({}, 5);
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    RecordingFishSink sink;
    f.Tick(sink);
    const int expected[] = {48, 48, 48, 48, 48, 48, 48, 48, 48, 48,  // body
                            16, 16, 16, 16, 16, 16,                  // gill cover
                            10, 10, 10, 10, 10, 10,                  // jaw
                            20,                                      // back fin
                            34, 34,                                  // pelvic fins
                            40, 40,                                  // pectoral fins
                            16,                                      // belly fin
                            42,                                      // tail
                            14, 14, 14, 14};                         // lips
    ASSERT_EQ(sink.Strips.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(static_cast<int>(sink.Strips[i].size()), expected[i]) << "strip " << i;
    }
    EXPECT_EQ(sink.VertexCount(), 918u);
    EXPECT_EQ(sink.Pushes, 1);
    EXPECT_EQ(sink.Pops, 1);
    ASSERT_EQ(sink.Rotations.size(), 2u);
    EXPECT_EQ(sink.Rotations[0].degrees, -90);
    EXPECT_EQ(sink.Rotations[0].ax, 1);
}

TEST(FishDrawing, PitchTiltsAboutTheAxisAcrossTheHeading) {
    ScriptedRandom script({}, 5);
    ScopedRandomSource guard(script);
    Fish f = CalmFish(90);
    f.PitchTarget = 20;
    f.Pitch = 5;
    RecordingFishSink sink;
    f.Tick(sink);
    ASSERT_EQ(sink.Rotations.size(), 2u);
    EXPECT_EQ(sink.Rotations[1].degrees, -6);  // one degree toward the target first
    EXPECT_NEAR(sink.Rotations[1].ax, 1, 1e-6);
    EXPECT_NEAR(sink.Rotations[1].ay, 0, 1e-6);
}

TEST(FishDrawing, MirroredSideSwaysTheSameWayAsTheStoredSide) {
    ScriptedRandom script({}, 5);
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    RecordingFishSink sink;
    for (int i = 0; i < 7; ++i) {
        sink.Clear();
        f.Tick(sink);
    }
    const float wave = f.BodyWaveOffsets[22];
    ASSERT_GT(std::fabs(wave), 0.05f);
    for (int strip = 0; strip < 5; ++strip) {
        const auto& near = sink.Strips[strip][2 * 22];
        const auto& far = sink.Strips[strip + 5][2 * 22];
        EXPECT_NEAR(near.p[1] + far.p[1], 2 * wave, 1e-5);
        EXPECT_FLOAT_EQ(near.p[0], far.p[0]);
        EXPECT_FLOAT_EQ(near.n[1], -far.n[1]);
    }
}

TEST(FishDrawing, ColumnsTurnWithTheirSegmentHeading) {
    ScriptedRandom script({}, 5);
    ScopedRandomSource guard(script);
    Fish straight = CalmFish(0);
    Fish turned = CalmFish(90);
    RecordingFishSink a, b;
    straight.Tick(a);
    turned.Tick(b);
    // Column 3 (no body wave) of the stored side: a quarter turn about z.
    const auto& p = a.Strips[0][6].p;
    const auto& q = b.Strips[0][6].p;
    EXPECT_NEAR(q[0], -p[1], 1e-5);
    EXPECT_NEAR(q[1], p[0], 1e-5);
    EXPECT_FLOAT_EQ(q[2], p[2]);
    EXPECT_EQ(a.Strips[0][6].n[0], b.Strips[0][6].n[0]);  // normals are not turned
}

TEST(FishAnimation, Segment15NeverMovesWhileTheTailSways) {
    ScriptedRandom script({}, 5);
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    RecordingFishSink sink;
    f.Tick(sink);
    const Strips first = sink.Strips;
    bool tailMoved = false;
    for (int frame = 0; frame < 120; ++frame) {
        sink.Clear();
        f.Tick(sink);
        EXPECT_EQ(f.BodyWaveOffsets[15], 0.0f);
        for (int strip = 0; strip < kBodyStrips; ++strip) {
            for (int col = 0; col <= 15; ++col) {
                for (int k = 0; k < 2; ++k) {
                    const auto& v = sink.Strips[strip][2 * col + k].p;
                    const auto& w = first[strip][2 * col + k].p;
                    ASSERT_EQ(v[1], w[1]) << "column " << col << " frame " << frame;
                }
            }
            if (sink.Strips[strip][2 * 23].p[1] != first[strip][2 * 23].p[1]) tailMoved = true;
        }
    }
    EXPECT_TRUE(tailMoved);
}

TEST(FishAnimation, PhasePassingAFullTurnRestartsAtExactlyZero) {
    ScriptedRandom script({}, 5);
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    FishWave* waves[] = {&f.BodyWave,       &f.LongFinWave,  &f.PairedFinWaveA,
                         &f.PairedFinWaveB, &f.ShortFinWave, &f.TailWave};
    for (FishWave* w : waves) {
        w->Phase = 6.0f;
        w->Tick = 2;  // advances this frame
    }
    CountingFishSink sink;
    f.Tick(sink);
    for (FishWave* w : waves) {
        EXPECT_EQ(w->Phase, 0.0f);
        EXPECT_EQ(w->Tick, 0);
    }
    EXPECT_FLOAT_EQ(f.TailOffsets[4], std::sin(4 * 0.3926991f) * 10 * 0.02f);

    // Below a full turn the phase just grows, every third frame.
    f.TailWave.Phase = 5.0f;
    f.TailWave.Tick = 2;
    f.Tick(sink);
    EXPECT_FLOAT_EQ(f.TailWave.Phase, 5.0f + 0.5235988f);
    for (int i = 0; i < 3; ++i)
        f.Tick(sink);
    EXPECT_FLOAT_EQ(f.TailWave.Phase, 5.0f + 2 * 0.5235988f);
    f.Tick(sink);
    f.Tick(sink);
    EXPECT_FLOAT_EQ(f.TailWave.Phase, 5.0f + 2 * 0.5235988f);
    f.Tick(sink);
    EXPECT_EQ(f.TailWave.Phase, 0.0f);  // 6.047 + 0.524 passes 6.283185
}

TEST(FishAnimation, SizeScalesEveryVertexAndWaveButNotTheLips) {
    RecordingFishSink small, large;
    Fish a = CalmFish(0), b = CalmFish(0);
    b.Size = 12;
    a.SetExcited(true);  // mouth open, so the jaw and gill arrays are filled
    b.SetExcited(true);
    a.PitchTarget = b.PitchTarget = 1;  // lips drift up
    a.Pitch = b.Pitch = 1;
    for (int frame = 0; frame < 8; ++frame) {
        small.Clear();
        large.Clear();
        {
            ScriptedRandom script({}, 5);
            ScopedRandomSource guard(script);
            a.Tick(small);
        }
        {
            ScriptedRandom script({}, 5);
            ScopedRandomSource guard(script);
            b.Tick(large);
        }
    }
    auto ratio = [](const float* x, const float* y, int n) {
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(y[i], 1.2f * x[i], 1e-5) << i;
    };
    ratio(a.BodyWaveOffsets, b.BodyWaveOffsets, Fish::kSegments);
    ratio(a.LongFinOffsets, b.LongFinOffsets, Fish::kLongFinPoints);
    ratio(a.PairedFinOffsetsA, b.PairedFinOffsetsA, Fish::kPairedAPoints);
    ratio(a.PairedFinOffsetsB, b.PairedFinOffsetsB, Fish::kPairedBPoints);
    ratio(a.ShortFinOffsets, b.ShortFinOffsets, Fish::kShortFinPoints);
    ratio(a.TailOffsets, b.TailOffsets, Fish::kTailPoints);
    EXPECT_GT(a.Jaw[0], 0);
    ratio(a.Jaw, b.Jaw, 5);
    ratio(a.Gill, b.Gill, 8);

    ASSERT_EQ(a.LipOffset, b.LipOffset);
    ASSERT_EQ(a.LipOffset, 0.008f);  // climbed to its limit
    ASSERT_EQ(small.Strips.size(), large.Strips.size());
    for (std::size_t s = 0; s < small.Strips.size(); ++s) {
        const bool lips = static_cast<int>(s) >= kFlapFirstStrip;
        for (std::size_t v = 0; v < small.Strips[s].size(); ++v) {
            const float* p = small.Strips[s][v].p;
            const float* q = large.Strips[s][v].p;
            if (!lips) {
                for (int c = 0; c < 3; ++c)
                    ASSERT_NEAR(q[c], 1.2f * p[c], 2e-5) << s << "/" << v;
            } else {
                // The lip offset is added unscaled: 2L along x.
                EXPECT_NEAR(q[0] - 1.2f * p[0], -0.2f * 2 * a.LipOffset, 1e-5);
            }
        }
    }
}

TEST(FishAnimation, CalmFishOpensItsJawForExactlyOneFramePerGulp) {
    ScriptedRandom script({}, 5);  // gulp restarts at random 25 = 5
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    f.GulpTimer = 45;
    RecordingFishSink sink;
    std::vector<int> openFrames;
    float closedJawZ = 0;
    for (int frame = 0; frame < 120; ++frame) {
        sink.Clear();
        f.Tick(sink);
        const float jawZ = sink.Strips[16][0].p[2];  // chin, first jaw strip
        if (frame == 0) closedJawZ = jawZ;
        if (f.Jaw[0] > 0) {
            openFrames.push_back(frame);
            EXPECT_NEAR(jawZ, closedJawZ - 0.3f, 1e-4);
        } else {
            EXPECT_EQ(jawZ, closedJawZ);
        }
    }
    // Fires at count 51: frame 6 then every 47 frames (restart at 5).
    const std::vector<int> expected = {7, 54, 101};
    EXPECT_EQ(openFrames, expected);
}

TEST(FishAnimation, ExcitedFishKeepsItsMouthOpen) {
    ScriptedRandom script({}, 5);
    ScopedRandomSource guard(script);
    Fish f = CalmFish(0);
    f.SetExcited(true);
    CountingFishSink sink;
    int open = 0;
    for (int frame = 0; frame < 40; ++frame) {
        f.Tick(sink);
        if (f.Jaw[0] > 0) ++open;
    }
    EXPECT_EQ(open, 39);  // all but the first, which shows the calm state before
}

TEST(FishAnimation, LipsDriftWithThePitchTargetAndJitter) {
    Fish f = CalmFish(0);
    f.PitchTarget = -10;
    f.Pitch = -10;
    CountingFishSink sink;
    {
        ScriptedRandom script({5, 5}, 5);
        ScopedRandomSource guard(script);
        f.Tick(sink);
        EXPECT_FLOAT_EQ(f.LipOffset, -0.002f);
    }
    {
        ScriptedRandom script({10, 5}, 5);  // random 10 is 0: a bump up
        ScopedRandomSource guard(script);
        f.Tick(sink);
        EXPECT_FLOAT_EQ(f.LipOffset, 0.0f);
    }
    {
        ScriptedRandom script({3, 11}, 5);  // second draw 1: a bump down
        ScopedRandomSource guard(script);
        f.Tick(sink);
        EXPECT_FLOAT_EQ(f.LipOffset, -0.006f);
        f.Tick(sink);
        f.Tick(sink);
        EXPECT_EQ(f.LipOffset, -0.008f);
    }
}

TEST(FishRotation, BuilderGivesTheStandardRotation) {
    float m[16];
    BuildRotation(m, 90 * kDegToRad, 0, 0, 2);  // axis is normalised
    EXPECT_NEAR(m[0], 0, 1e-6);
    EXPECT_NEAR(m[1], 1, 1e-6);  // x goes to y
    EXPECT_NEAR(m[4], -1, 1e-6);
    EXPECT_NEAR(m[10], 1, 1e-6);
    EXPECT_EQ(m[15], 1);
    BuildRotation(m, 1.0f, 0, 0, 0);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f);
    BuildRotation(m, 0.7f, 1, 2, 3);
    // Orthonormal columns, and the axis stays put.
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            float d = 0;
            for (int k = 0; k < 3; ++k)
                d += m[4 * a + k] * m[4 * b + k];
            EXPECT_NEAR(d, a == b ? 1 : 0, 1e-5);
        }
    }
    const float ax[3] = {1 / std::sqrt(14.f), 2 / std::sqrt(14.f), 3 / std::sqrt(14.f)};
    for (int r = 0; r < 3; ++r) {
        EXPECT_NEAR(m[r] * ax[0] + m[4 + r] * ax[1] + m[8 + r] * ax[2], ax[r], 1e-5);
    }
}

}  // namespace
