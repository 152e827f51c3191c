#include <gtest/gtest.h>

#include "scene/TankBounds.h"

namespace {

TEST(TankBounds, OtherScreensBorrowTheNearestShape) {
    EXPECT_FLOAT_EQ(TankBoundsForScreen(1920, 1080).xMax, 58);  // 16:9 like 1600x900
    EXPECT_FLOAT_EQ(TankBoundsForScreen(640, 360).xMax, 58);
    EXPECT_FLOAT_EQ(TankBoundsForScreen(1600, 1200).xMax, 49);  // 4:3
    EXPECT_FLOAT_EQ(TankBoundsForScreen(2560, 2048).xMax, 49);  // 5:4
    // 16:10 is shared by 1440x900 and 1680x1050: the nearer pixel count wins.
    EXPECT_FLOAT_EQ(TankBoundsForScreen(1920, 1200).xMax, 54);
    EXPECT_FLOAT_EQ(TankBoundsForScreen(1280, 800).xMax, 55);
    EXPECT_FLOAT_EQ(TankBoundsForScreen(3440, 1440).xMax, 58);  // wider than any
}

TEST(Frustum, ShorterSideGetsPointFour) {
    const Frustum landscape = FrameFrustum(1280, 1024);
    EXPECT_DOUBLE_EQ(landscape.right, 0.5);
    EXPECT_DOUBLE_EQ(landscape.left, -0.5);
    EXPECT_DOUBLE_EQ(landscape.top, 0.4);
    EXPECT_DOUBLE_EQ(landscape.bottom, -0.4);
    const Frustum portrait = FrameFrustum(768, 1024);
    EXPECT_DOUBLE_EQ(portrait.right, 0.4);
    EXPECT_NEAR(portrait.top, 0.5333333, 1e-6);
    EXPECT_NEAR(portrait.bottom, -0.5333333, 1e-6);
}

}  // namespace
