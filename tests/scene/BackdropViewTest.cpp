#include <gtest/gtest.h>

#include <memory>

#include "scene/TankScene.h"

namespace {

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
        // However far the top sways either way.
        for (int i = 0; i < 400; ++i) {
            s->Backdrop.ComputeControlPoints(s->Bounds, 0);
            ASSERT_TRUE(s->BackdropCoversView()) << w << "x" << h << " wave " << s->Backdrop.Wave;
        }
    }
    // Wider than the widest layout shows past the wall's ends; tall, past its top.
    for (auto [w, h] : {std::pair{2560, 1080}, {3840, 1080}, {1080, 1920}, {800, 1000}})
        EXPECT_FALSE(SceneFor(w, h)->BackdropCoversView()) << w << "x" << h;
    // The eye pulled back sees round the wall.
    auto back = SceneFor(1920, 1080);
    back->CameraZOffset = 20.0f;
    EXPECT_FALSE(back->BackdropCoversView());
}

TEST(BackdropView, OnlySmallViewsShrinkTheSkinEnoughForMipLevels) {
    for (auto [w, h] : {std::pair{1920, 1080}, {1280, 720}, {1024, 768}, {2560, 1440}})
        EXPECT_TRUE(SceneFor(w, h)->BackdropNeverMinified(1024, 512)) << w << "x" << h;
    for (auto [w, h] : {std::pair{640, 360}, {320, 180}, {400, 300}})
        EXPECT_FALSE(SceneFor(w, h)->BackdropNeverMinified(1024, 512)) << w << "x" << h;
    // A larger skin shrinks sooner.
    EXPECT_FALSE(SceneFor(1280, 720)->BackdropNeverMinified(4096, 2048));
}

}  // namespace
