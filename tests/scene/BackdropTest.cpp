#include <gtest/gtest.h>

#include <vector>

#include "scene/Backdrop.h"

namespace {

TEST(BackdropPatch, ControlPointsSpanTheTankAndTheTopRowsWave) {
    BackdropPatch patch;
    const TankBounds b{-49, 49, 21, -21, -50};
    patch.ComputeControlPoints(b, 0);
    EXPECT_FLOAT_EQ(patch.Wave, 0.008f);
    EXPECT_DOUBLE_EQ(patch.Points[5][0].x, -49);
    EXPECT_DOUBLE_EQ(patch.Points[5][5].x, 49);
    EXPECT_DOUBLE_EQ(patch.Points[3][2].x, -49 + 2 * 19.6);
    EXPECT_DOUBLE_EQ(patch.Points[0][0].y, 39);
    EXPECT_NEAR(patch.Points[5][0].y, -38, 1e-5);
    EXPECT_DOUBLE_EQ(patch.Points[2][3].z, -90);
    EXPECT_NEAR(patch.Points[0][0].z, 0.008 - 90, 1e-6);  // even column: w - 90
    EXPECT_NEAR(patch.Points[1][1].z, -90 - 0.008, 1e-6); // odd column: -90 - w
    EXPECT_NEAR(patch.Points[1][1].x, -49 + 19.6 + 0.008, 1e-6);
}

TEST(BackdropPatch, WaveSwingsBetweenItsEndsAndOnlyForStylesZeroAndTwo) {
    BackdropPatch patch;
    const TankBounds b{-49, 49, 21, -21, -50};
    float lo = 0, hi = 0;
    for (int i = 0; i < 2000; ++i) {
        patch.ComputeControlPoints(b, 2);
        lo = std::min(lo, patch.Wave);
        hi = std::max(hi, patch.Wave);
    }
    EXPECT_NEAR(hi, 1.0 + 0.008, 0.009);
    EXPECT_NEAR(lo, -0.5 - 0.008, 0.009);
    const float before = patch.Wave;
    patch.ComputeControlPoints(b, 1);
    patch.ComputeControlPoints(b, 3);
    EXPECT_EQ(patch.Wave, before);
}

TEST(BackdropPatch, TessellationRunsTextureRightToLeftAndBottomToTop) {
    BackdropPatch patch;
    patch.ComputeControlPoints({-49, 49, 21, -21, -50}, 1);
    std::vector<BackdropPatch::Vertex> vertices;
    int strips = 0;
    patch.Tessellate([&] { ++strips; }, [&](const BackdropPatch::Vertex& v) { vertices.push_back(v); },
                     [] {});
    ASSERT_EQ(strips, 3);
    ASSERT_EQ(vertices.size(), 18u);
    // The first strip has no area: both of its columns lie on the xMax edge.
    EXPECT_DOUBLE_EQ(vertices[0].p.x, vertices[1].p.x);
    EXPECT_DOUBLE_EQ(vertices[0].p.x, 49);
    EXPECT_DOUBLE_EQ(vertices[0].s, -0.5);
    // s = 0 at xMax, s = 1 at xMin; t = 0 at the bottom row, t = 1 at the top.
    const auto& last = vertices.back();  // i = 2, j = 2
    EXPECT_DOUBLE_EQ(last.s, 1.0);
    EXPECT_DOUBLE_EQ(last.t, 1.0);
    EXPECT_NEAR(last.p.x, -49, 1e-9);
    EXPECT_NEAR(last.p.y, 39, 1e-5);
    const auto& bottomRight = vertices[1];  // i = 0, j = 0
    EXPECT_DOUBLE_EQ(bottomRight.s, 0.0);
    EXPECT_DOUBLE_EQ(bottomRight.t, 0.0);
    EXPECT_NEAR(bottomRight.p.y, -38, 1e-5);
}

}  // namespace
