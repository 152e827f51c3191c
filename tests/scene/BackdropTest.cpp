#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>

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

// Window shapes from portrait 9:16 to 32:9, the table's own sizes among them.
const std::pair<int, int> kShapes[] = {
    {800, 600},   {1024, 768},  {1280, 960},  {1280, 1024}, {1440, 900},  {1600, 900},
    {1680, 1050}, {1920, 1080}, {1366, 768},  {320, 180},   {600, 600},   {2520, 1080},
    {3440, 1440}, {2560, 720},  {3840, 1080}, {5120, 1440}, {1080, 1920}, {1200, 1920},
    {768, 1024},  {800, 1000},  {1080, 1350}, {360, 640},
};

TEST(BackdropView, TheWallFillsEveryShapeFromPortraitToSuperWide) {
    for (auto [w, h] : kShapes) {
        auto s = SceneFor(w, h);
        for (int i = 0; i < 400; ++i) {  // however far the top sways
            s->Backdrop.ComputeControlPoints(s->Bounds, 0);
            ASSERT_TRUE(s->BackdropCoversView()) << w << "x" << h << " wave " << s->Backdrop.Wave;
        }
    }
    auto back = SceneFor(1920, 1080);
    back->CameraZOffset = 20.0f;  // the eye pulled back sees round the wall
    EXPECT_FALSE(back->BackdropCoversView());
}

TEST(TankBounds, TheTableSizesKeepTheirBoundsAndOtherShapesGrowToTheViewsEdges) {
    const int table[][3] = {{800, 600, 49},  {1024, 768, 49}, {1280, 960, 49}, {1280, 1024, 49},
                            {1440, 900, 55}, {1600, 900, 58}, {1680, 1050, 54}};
    for (const auto& [w, h, xMax] : table) {
        const TankBounds b = TankBoundsForScreen(w, h);
        EXPECT_EQ(std::tuple(b.xMin, b.xMax, b.yMax, b.yMin, b.zBack),
                  std::tuple(-xMax, xMax, 21.0f, -21.0f, -50.0f))
            << w;
        EXPECT_EQ(std::tuple(b.fishXMax, b.pickColumnStep, b.wallHeightScale),
                  std::tuple(50.0f, 0.990099f, 1.0f))
            << w;
    }
    // Shapes the table covers borrow the nearest one: 16:9, 4:3, 5:4, 16:10 (the
    // nearer pixel count wins).
    const int borrowed[][3] = {{1920, 1080, 58}, {1600, 1200, 49}, {2560, 2048, 49},
                               {1920, 1200, 54}, {1280, 800, 55}};
    for (const auto& [w, h, xMax] : borrowed)
        EXPECT_FLOAT_EQ(TankBoundsForScreen(w, h).xMax, xMax) << w;

    for (auto [w, h] : kShapes) {
        const TankBounds b = TankBoundsForScreen(w, h);
        const Frustum f = FrameFrustum(w, h);
        // The back of the swimming volume (70 from the eye) reaches the view's
        // sides; the water the fish use keeps its share of the view's height.
        EXPECT_GE(b.fishXMax, f.right * 70 - 0.5) << w << "x" << h;
        EXPECT_NEAR(b.yMax / (f.top * 70), 0.75, 0.01) << w << "x" << h;
        EXPECT_EQ(b.yMin, -b.yMax);
        EXPECT_FLOAT_EQ(b.wallHeightScale, b.yMax / 21);
        // Feed columns, 60 from the eye, reach from side to side on wide screens.
        if (f.right > 0.75) {
            EXPECT_LE(b.xMin, -f.right * 60) << w;
            EXPECT_GE(b.xMin + 100 * b.pickColumnStep, f.right * 60) << w;
        }
    }
}

TEST(BackdropPicture, PicturesCoverTheViewCroppedNeverStretchedAndReadTheirWayRound) {
    for (auto [w, h] : kShapes)
        for (double picture : {0.5, 0.75, 1.0, 4.0 / 3, 2.0, 3.0})
            for (bool mirrored : {false, true}) {
                SCOPED_TRACE(testing::Message() << w << "x" << h << " picture " << picture
                                                << (mirrored ? " mirrored" : ""));
                const TankBounds b = TankBoundsForScreen(w, h);
                const Frustum f = FrameFrustum(w, h);
                const BackdropTextureMap m = CoverMapping(b, f, 80, picture, mirrored);
                // Where a point of the flat wall lands on the picture.
                const double top = kBackdropTop * b.wallHeightScale;
                const double bottom = kBackdropBottom * b.wallHeightScale;
                auto s = [&](double x) {
                    return (b.xMax - x) / (b.xMax - b.xMin) * m.sScale + m.sOffset;
                };
                auto t = [&](double y) {
                    return (y - bottom) / (top - bottom) * m.tScale + m.tOffset;
                };
                const double vx = f.right * 80, vy = f.top * 80;  // the view's edges on the wall
                EXPECT_NEAR(s(0), 0.5, 1e-9);
                EXPECT_NEAR(t(0), 0.5, 1e-9);
                // Inside the picture with room for the sway, one side all but whole.
                for (double e : {s(-vx), s(vx), t(-vy), t(vy)}) {
                    EXPECT_GE(e, 0.015);
                    EXPECT_LE(e, 0.985);
                }
                const double across = std::abs(s(vx) - s(-vx)), down = std::abs(t(vy) - t(-vy));
                EXPECT_GT(std::max(across, down), 0.95);
                // The picture's shown part has the view's shape.
                EXPECT_NEAR(across * picture / down, vx / vy, 1e-9);
                // Photos read left to right; the built-in picture keeps its way.
                EXPECT_EQ(s(-vx) < s(vx), mirrored);
                EXPECT_LT(t(-vy), t(vy));
            }
    // A shape not known keeps the whole picture over the view.
    const BackdropTextureMap whole =
        CoverMapping(TankBoundsForScreen(1024, 768), FrameFrustum(1024, 768), 80, 0, false);
    EXPECT_EQ(std::pair(whole.shown.across, whole.shown.down), std::pair(1.0, 1.0));
}

}  // namespace
