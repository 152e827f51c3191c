#include <gtest/gtest.h>

#include <memory>

#include "scene/Backdrop.h"
#include "scene/TankBounds.h"
#include "scene/TankScene.h"

namespace {

const TankBounds kBounds{-49, 49, 21, -21, -50};

TEST(BackdropPatch, WaveSwingsBetweenItsEndsAndOnlyForStylesZeroAndTwo) {
    BackdropPatch patch;
    float lo = 0, hi = 0;
    for (int i = 0; i < 2000; ++i) {
        patch.ComputeControlPoints(kBounds, 2);
        lo = std::min(lo, patch.Wave);
        hi = std::max(hi, patch.Wave);
        // Even columns of the top row sit w in front of the wall, odd ones w behind.
        ASSERT_NEAR(patch.Points[0][0].z - patch.Points[0][1].z, 2 * patch.Wave, 1e-5);
    }
    // The top two rows sway; the rest of the wall stands still.
    const BackdropPatch was = patch;
    patch.ComputeControlPoints(kBounds, 2);
    for (int r = 0; r < BackdropPatch::kRows; ++r)
        for (int k = 0; k < BackdropPatch::kCols; ++k) {
            EXPECT_EQ(was.Points[r][k].x != patch.Points[r][k].x, r < 2) << r << "," << k;
            EXPECT_EQ(was.Points[r][k].z != patch.Points[r][k].z, r < 2) << r << "," << k;
        }
    EXPECT_NEAR(hi, 1.0 + 0.008, 0.009);
    EXPECT_NEAR(lo, -0.5 - 0.008, 0.009);
    const float before = patch.Wave;
    patch.ComputeControlPoints(kBounds, 1);
    patch.ComputeControlPoints(kBounds, 3);
    EXPECT_EQ(patch.Wave, before);
}

std::unique_ptr<TankScene> SceneFor(int w, int h) {
    auto s = std::make_unique<TankScene>();
    s->ScreenWidth = w;
    s->ScreenHeight = h;
    s->Bounds = TankBoundsForScreen(w, h);
    s->Backdrop.ComputeControlPoints(s->Bounds, 0);
    return s;
}

TEST(BackdropView, TheWallFillsOrdinaryScreensButNotVeryWideOrTallOnes) {
    for (auto [w, h] : {std::pair{1920, 1080}, {1280, 720}, {1680, 1050}, {1024, 768},
                        {1280, 1024}, {320, 180}, {600, 600}}) {
        auto s = SceneFor(w, h);
        for (int i = 0; i < 400; ++i) {  // however far the top sways
            s->Backdrop.ComputeControlPoints(s->Bounds, 0);
            ASSERT_TRUE(s->BackdropCoversView()) << w << "x" << h << " wave " << s->Backdrop.Wave;
        }
    }
    for (auto [w, h] : {std::pair{2560, 1080}, {3840, 1080}, {1080, 1920}, {800, 1000}})
        EXPECT_FALSE(SceneFor(w, h)->BackdropCoversView()) << w << "x" << h;
    auto back = SceneFor(1920, 1080);
    back->CameraZOffset = 20.0f;  // the eye pulled back sees round the wall
    EXPECT_FALSE(back->BackdropCoversView());
}

TEST(TankBounds, OtherScreensBorrowTheNearestShape) {
    // 16:9, 4:3, 5:4, 16:10 (the nearer pixel count wins), wider than any.
    const int cases[][3] = {{1920, 1080, 58}, {1600, 1200, 49}, {2560, 2048, 49},
                            {1920, 1200, 54}, {1280, 800, 55},  {3440, 1440, 58}};
    for (const auto& [w, h, xMax] : cases)
        EXPECT_FLOAT_EQ(TankBoundsForScreen(w, h).xMax, xMax) << w;
}

}  // namespace
