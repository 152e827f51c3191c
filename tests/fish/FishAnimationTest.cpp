#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <tuple>

#include "FishTestSupport.h"

namespace {

constexpr int kBodyStrips = 10, kJawFirstStrip = 16, kLipFirstStrip = 29;

TEST(FishDrawing, NinePiecesMake918VerticesAndPitchTiltsAcrossTheHeading) {
    UseRandom quiet;
    Fish f = CalmFish(90);
    f.PitchTarget = 20;
    f.Pitch = 5;
    RecordingFishSink sink;
    sink.Frame(f);
    // Strips and vertices per strip: body, gill cover, jaw, back fin, pelvic,
    // pectoral, belly fin, tail, lips.
    const std::size_t pieces[][2] = {{10, 48}, {6, 16}, {6, 10}, {1, 20}, {2, 34},
                                     {2, 40},  {1, 16}, {1, 42}, {4, 14}};
    std::vector<std::size_t> expected, seen;
    for (const auto& [strips, vertices] : pieces)
        expected.insert(expected.end(), strips, vertices);
    for (const auto& strip : sink.Strips)
        seen.push_back(strip.size());
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(std::accumulate(seen.begin(), seen.end(), std::size_t{0}), 918u);
    EXPECT_TRUE(sink.Pushes == 1 && sink.Depth == 0);  // one balanced push
    ASSERT_EQ(sink.Rotations.size(), 2u);
    EXPECT_EQ(sink.Rotations[0], (std::array<float, 4>{-90, 1, 0, 0}));
    EXPECT_EQ(sink.Rotations[1][0], -6);  // one degree toward the target first
    EXPECT_NEAR(sink.Rotations[1][1], 1, 1e-6);
    EXPECT_NEAR(sink.Rotations[1][2], 0, 1e-6);
}

TEST(FishDrawing, ColumnsTurnWithTheirSegmentAndBothSidesSwayAlike) {
    UseRandom quiet;
    Fish straight = CalmFish(0), turned = CalmFish(90);
    RecordingFishSink a, b;
    a.Frame(straight);
    b.Frame(turned);
    // Column 3 (no body wave): a quarter turn about z, normals unturned.
    const auto &p = a.Strips[0][6], &q = b.Strips[0][6];
    EXPECT_NEAR(q.p[0], -p.p[1], 1e-5);
    EXPECT_NEAR(q.p[1], p.p[0], 1e-5);
    EXPECT_FLOAT_EQ(q.p[2], p.p[2]);
    EXPECT_EQ(q.n[0], p.n[0]);
    for (int i = 0; i < 6; ++i)
        a.Frame(straight);
    const float wave = straight.BodyWaveOffsets[22];
    ASSERT_GT(std::fabs(wave), 0.05f);
    for (int s = 0; s < kBodyStrips / 2; ++s) {
        const auto &near = a.Strips[s][2 * 22], &far = a.Strips[s + kBodyStrips / 2][2 * 22];
        EXPECT_NEAR(near.p[1] + far.p[1], 2 * wave, 1e-5);
        EXPECT_FLOAT_EQ(near.p[0], far.p[0]);
        EXPECT_FLOAT_EQ(near.n[1], -far.n[1]);
    }
}

TEST(FishAnimation, Segment15NeverMovesWhileTheTailSways) {
    UseRandom quiet;
    Fish f = CalmFish(0);
    RecordingFishSink sink;
    sink.Frame(f);
    const auto first = sink.Strips;
    bool tailMoved = false;
    for (int frame = 0; frame < 120; ++frame) {
        sink.Frame(f);
        EXPECT_EQ(f.BodyWaveOffsets[15], 0.0f);
        for (int s = 0; s < kBodyStrips; ++s) {
            for (int v = 0; v < 2 * 16; ++v)  // columns 0..15
                ASSERT_EQ(sink.Strips[s][v].p[1], first[s][v].p[1]) << v << " frame " << frame;
            tailMoved |= sink.Strips[s][2 * 23].p[1] != first[s][2 * 23].p[1];
        }
    }
    EXPECT_TRUE(tailMoved);
}

TEST(FishAnimation, WavePhaseGrowsEveryThirdFrameAndWrapsToExactlyZero) {
    UseRandom quiet;
    Fish f = CalmFish(0);
    FishWave* waves[] = {&f.BodyWave,       &f.LongFinWave,  &f.PairedFinWaveA,
                         &f.PairedFinWaveB, &f.ShortFinWave, &f.TailWave};
    for (FishWave* w : waves) {
        w->Phase = 6.0f;
        w->Tick = 2;  // advances this frame, past 6.283185
    }
    Ticks(f);
    for (FishWave* w : waves)
        EXPECT_TRUE(w->Phase == 0.0f && w->Tick == 0) << w->Phase;
    EXPECT_FLOAT_EQ(f.TailOffsets[4], std::sin(4 * 0.3926991f) * 10 * 0.02f);
    f.TailWave.Phase = 5.0f;
    f.TailWave.Tick = 2;
    const float s = 0.5235988f;  // 5 + 3s passes 6.283185
    for (float expected : {5 + s, 5 + s, 5 + s, 5 + 2 * s, 5 + 2 * s, 5 + 2 * s, 0.0f}) {
        Ticks(f);
        EXPECT_FLOAT_EQ(f.TailWave.Phase, expected);
    }
}

TEST(FishAnimation, Size12ScalesEveryVertexAndWaveButNotTheLips) {
    UseRandom quiet;
    Fish a = CalmFish(0), b = CalmFish(0);
    b.Size = 12;
    for (Fish* f : {&a, &b}) {
        f->SetExcited(true);            // mouth open: the jaw and gill arrays are filled
        f->PitchTarget = f->Pitch = 1;  // lips climb to their limit
    }
    RecordingFishSink small, large;
    for (int frame = 0; frame < 8; ++frame) {
        small.Frame(a);
        large.Frame(b);
    }
    const std::tuple<const float*, const float*, int> offsets[] = {
        {a.BodyWaveOffsets, b.BodyWaveOffsets, Fish::kSegments},
        {a.LongFinOffsets, b.LongFinOffsets, Fish::kLongFinPoints},
        {a.PairedFinOffsetsA, b.PairedFinOffsetsA, Fish::kPairedAPoints},
        {a.PairedFinOffsetsB, b.PairedFinOffsetsB, Fish::kPairedBPoints},
        {a.ShortFinOffsets, b.ShortFinOffsets, Fish::kShortFinPoints},
        {a.TailOffsets, b.TailOffsets, Fish::kTailPoints},
        {a.Jaw, b.Jaw, 5},
        {a.Gill, b.Gill, 8}};
    for (const auto& [x, y, n] : offsets)
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(y[i], 1.2f * x[i], 1e-5) << i;
    EXPECT_GT(a.Jaw[0], 0);
    ASSERT_TRUE(a.LipOffset == 0.008f && b.LipOffset == 0.008f);
    ASSERT_EQ(small.Strips.size(), large.Strips.size());
    for (std::size_t s = 0; s < small.Strips.size(); ++s) {
        for (std::size_t v = 0; v < small.Strips[s].size(); ++v) {
            const float *p = small.Strips[s][v].p, *q = large.Strips[s][v].p;
            if (static_cast<int>(s) >= kLipFirstStrip)  // 2L along x, unscaled
                EXPECT_NEAR(q[0] - 1.2f * p[0], -0.2f * 2 * a.LipOffset, 1e-5);
            else
                for (int c = 0; c < 3; ++c)
                    ASSERT_NEAR(q[c], 1.2f * p[c], 2e-5) << s << "/" << v;
        }
    }
}

TEST(FishAnimation, CalmJawOpensOneFramePerGulpAndExcitedJawStaysOpen) {
    UseRandom quiet;  // the gulp timer restarts at 5
    for (bool excited : {false, true}) {
        Fish f = CalmFish(0);
        f.GulpTimer = excited ? -1000000 : 45;
        f.SetExcited(excited);
        RecordingFishSink sink;
        std::vector<int> open;
        float closedJawZ = 0;
        for (int frame = 0; frame < 120; ++frame) {
            sink.Frame(f);
            const float jawZ = sink.Strips[kJawFirstStrip][0].p[2];  // the chin
            if (frame == 0) closedJawZ = jawZ;
            if (f.Jaw[0] > 0) open.push_back(frame);
            EXPECT_NEAR(jawZ, closedJawZ - (f.Jaw[0] > 0 ? 0.3f : 0.0f), 1e-4) << frame;
        }
        if (excited)  // all but the first frame, which shows the calm state
            EXPECT_TRUE(open.size() == 119u && open.front() == 1);
        else  // fires at count 51, then every 47 frames
            EXPECT_EQ(open, (std::vector<int>{7, 54, 101}));
    }
}

TEST(FishAnimation, LipsDriftWithThePitchTargetAndJitterWithinTheLimit) {
    Fish f = CalmFish(0);
    f.PitchTarget = f.Pitch = -10;
    // Each frame draws twice: a first of 0 bumps up, a second of 1 bumps down.
    const std::tuple<std::uint32_t, std::uint32_t, float> frames[] = {
        {5, 5, -0.002f}, {10, 5, 0.0f}, {3, 11, -0.006f}, {5, 5, -0.008f}, {5, 5, -0.008f}};
    for (const auto& [first, second, lip] : frames) {
        UseRandom draws({first, second});
        Ticks(f);
        EXPECT_FLOAT_EQ(f.LipOffset, lip);
    }
}

}  // namespace
