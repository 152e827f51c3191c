#include <gtest/gtest.h>

#include <cmath>

#include "fish/FishModel.h"
#include "fish/FishShape.h"

namespace {

using namespace fishshape;

template <class Table>
void ExpectWellFormed(const Table& t, const char* name, float tMin, float tMax) {
    for (int i = 0; i < Table::Count; ++i) {
        for (int c = 0; c < 3; ++c) {
            ASSERT_TRUE(std::isfinite(t.Position[i][c])) << name << " vertex " << i;
            ASSERT_TRUE(std::isfinite(t.Normal[i][c])) << name << " normal " << i;
        }
        const float* n = t.Normal[i];
        EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-4) << name << " " << i;
        EXPECT_TRUE(t.Tex[i][0] >= 0 && t.Tex[i][0] <= 1) << name << " " << i;
        EXPECT_TRUE(t.Tex[i][1] >= tMin && t.Tex[i][1] <= tMax) << name << " " << i;
    }
}

TEST(FishModel, EveryPieceIsFiniteLitAndOnItsPartOfTheSkin) {
    const FishModel& m = TheFishModel();
    ExpectWellFormed(m.Body, "body", kSideViewTMin, 1);
    ExpectWellFormed(m.Gill, "gill", kSideViewTMin, 1);
    ExpectWellFormed(m.Jaw, "jaw", kSideViewTMin, 1);
    ExpectWellFormed(m.LongFin, "long fin", kSideViewTMin, 1);
    ExpectWellFormed(m.ShortFin, "short fin", kSideViewTMin, 1);
    ExpectWellFormed(m.Tail, "tail", kSideViewTMin, 1);
    ExpectWellFormed(m.Flap, "flap", kSideViewTMin, 1);
    ExpectWellFormed(m.PairedA, "pelvic", 0, kFinSwatchTMax);
    ExpectWellFormed(m.PairedB, "pectoral", 0, kFinSwatchTMax);
    // A skin painted from the side view lands on the same spot of the mesh.
    for (int i = 0; i < m.Body.Count; ++i) {
        EXPECT_FLOAT_EQ(m.Body.Tex[i][0], SideViewS(m.Body.Position[i][0]));
        EXPECT_FLOAT_EQ(m.Body.Tex[i][1], SideViewT(m.Body.Position[i][2]));
    }
    for (int i = 0; i < m.Tail.Count; ++i)
        EXPECT_FLOAT_EQ(m.Tail.Tex[i][0], SideViewS(m.Tail.Position[i][0]));
}

TEST(FishModel, OutlineRunsFromSnoutToTailWithNormalsOutAndFinsOffTheBody) {
    const FishModel& m = TheFishModel();
    float minX = 1, maxX = -1;
    auto span = [&](const auto& t) {
        for (int i = 0; i < t.Count; ++i) {
            minX = std::fmin(minX, t.Position[i][0]);
            maxX = std::fmax(maxX, t.Position[i][0]);
        }
    };
    span(m.Body);
    span(m.Tail);
    span(m.Flap);
    EXPECT_NEAR(minX, kSnoutX, 0.01f);
    EXPECT_NEAR(maxX, kTailEndX, 0.01f);
    EXPECT_FLOAT_EQ(BodyColumnX(0), kSnoutX);
    EXPECT_FLOAT_EQ(BodyColumnX(23), kBodyEndX);
    for (int c = 1; c < 24; ++c)
        EXPECT_GT(BodyColumnX(c), BodyColumnX(c - 1));
    // Rows run back to belly; flank normals face the stored side, the back up,
    // the belly down, the snout forward.
    for (int c = 2; c < 24; ++c) {
        EXPECT_GT(m.Body.Position[c][2], m.Body.Position[5 * 24 + c][2]) << c;
        EXPECT_GT(m.Body.Normal[2 * 24 + c][1], 0.5f) << c;
        EXPECT_GT(m.Body.Normal[c][2], 0.5f) << c;
        EXPECT_LT(m.Body.Normal[5 * 24 + c][2], -0.5f) << c;
    }
    EXPECT_LT(m.Body.Normal[2 * 24][0], -0.5f);
    // The back fin rises from the back over columns 11.., the belly fin hangs
    // from the belly, the side fins stand out from the flank.
    for (int c = 0; c < 10; ++c) {
        const float x = m.LongFin.Position[c][0];
        EXPECT_FLOAT_EQ(x, BodyColumnX(11 + c));
        EXPECT_LE(m.LongFin.Position[c][2], BodyTopZ(x));
        EXPECT_GT(m.LongFin.Position[10 + c][2], BodyTopZ(x) + 0.015f);
    }
    for (int c = 0; c < 8; ++c) {
        const float x = m.ShortFin.Position[c][0];
        EXPECT_GE(m.ShortFin.Position[c][2], BodyBottomZ(x));
        EXPECT_LT(m.ShortFin.Position[8 + c][2], BodyBottomZ(x) - 0.01f);
    }
    for (int c = 0; c < 20; ++c)
        EXPECT_GT(m.PairedB.Position[20 + c][1], m.PairedB.Position[c][1]);
}

}  // namespace
