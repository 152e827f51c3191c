#include <gtest/gtest.h>

#include "FishTestSupport.h"

namespace {

constexpr int kBodyStrips = 10, kJawFirstStrip = 16, kLipFirstStrip = 29;

TEST(FishAnimation, Segment15NeverMovesWhileTheTailSways) {
    UseRandom quiet;
    Fish f = CalmFish(0);
    RecordingFishSink sink;
    sink.Frame(f);
    const auto first = sink.Strips;
    bool tailMoved = false;
    for (int frame = 0; frame < 120; ++frame) {
        sink.Frame(f);
        for (int s = 0; s < kBodyStrips; ++s) {
            for (int v = 0; v < 2 * 16; ++v)  // columns 0..15
                ASSERT_EQ(sink.Strips[s][v].p[1], first[s][v].p[1]) << v << " frame " << frame;
            tailMoved |= sink.Strips[s][2 * 23].p[1] != first[s][2 * 23].p[1];
        }
    }
    EXPECT_TRUE(tailMoved);
}

TEST(FishAnimation, Size12ScalesEveryVertexAndWaveButNotTheLips) {
    UseRandom quiet;
    Fish a = CalmFish(0), b = CalmFish(0);
    b.Size = 12;
    for (Fish* f : {&a, &b}) {
        f->SetExcited(true);            // mouth open: the jaw moves too
        f->PitchTarget = f->Pitch = 1;  // lips climb to their limit
    }
    RecordingFishSink small, large;
    for (int frame = 0; frame < 8; ++frame) {
        small.Frame(a);
        large.Frame(b);
    }
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

TEST(FishAnimation, CalmJawOpensForOneFrameWhenTheGulpTimerFires) {
    UseRandom quiet;  // the gulp timer restarts at 5
    Fish f = CalmFish(0);
    f.GulpTimer = 45;
    RecordingFishSink sink;
    sink.Frame(f);
    const float closedJawZ = sink.Strips[kJawFirstStrip][0].p[2];  // the chin
    std::vector<int> open;
    for (int frame = 1; frame < 120; ++frame) {
        sink.Frame(f);
        if (sink.Strips[kJawFirstStrip][0].p[2] < closedJawZ - 0.1f) open.push_back(frame);
    }
    EXPECT_EQ(open, (std::vector<int>{7, 54, 101}));  // fires at count 51, then every 47
}

}  // namespace
