#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "fish/FishTestSupport.h"
#include "platform/Random.h"
#include "scene/PickPass.h"
#include "scene/TankScene.h"
#include "settings/SettingsRecord.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTank.h"
#include "support/TempDir.h"

namespace {

// Wide enough that the pick view sees past the right end of the pick columns.
constexpr int kWidth = 480;
constexpr int kHeight = 180;

// The pick projection (45 degrees, camera at z -10), on the plane of the pick
// bars (z -69) or at the given depth: world to pixel and back.
float Half(float z) {
    return (-10 - z) * std::tan(22.5f * 3.14159265f / 180);
}
float WorldX(int px) {
    return (2.0f * px / kWidth - 1) * Half(-69) * kWidth / kHeight;
}
float WorldY(int py) {
    return (1 - 2.0f * py / kHeight) * Half(-69);
}
int PixelX(float x, float z = -69) {
    return static_cast<int>(std::lround((x / (Half(z) * kWidth / kHeight) + 1) * kWidth / 2));
}
int PixelY(float y, float z = -69) {
    return static_cast<int>(std::lround((1 - y / Half(z)) * kHeight / 2));
}

// A started tank with no large fish unless a test places some.
class PickGl : public OffscreenTank {
protected:
    PickGl() : OffscreenTank(kWidth, kHeight) {}

    void SetUp() override {
        ASSERT_TRUE(gl.Valid());
        LoadFreshSettings();
        PickState() = FeedPickState{};
        StartTank(5);
        scene->HelpTextVisible = false;
        for (int& n : Settings.FishCounts)
            n = 0;
    }

    // Clicks at the pixel and renders one frame.
    void ClickFrame(int px, int py) {
        scene->MousePos[0] = px;
        scene->MousePos[1] = py;
        scene->ButtonDown = true;
        if (scene->InteractionMode == ID_FEED_FISH) scene->FeedClickPending = true;
        Frame();
    }
    void Frame() { RenderFrames(1); }

    int ActivePrey() const {
        int n = 0;
        for (const FoodFish& f : scene->Food)
            n += f.Active ? 1 : 0;
        return n;
    }
};

TEST_F(PickGl, FeedClickOverNoBarStillResolves) {
    // Right of every column: x falls back to 0.
    ASSERT_GT(WorldX(PixelX(55)), scene->PickColumns[100].x + 8);
    ClickFrame(PixelX(55), 60);
    ASSERT_EQ(ActivePrey(), 1);
    EXPECT_EQ(scene->Food[0].SpawnPoint[0], 0.0f);
    // Below every row: y falls back to 0, so the prey starts at y -2.
    ASSERT_GT(scene->PickRows[0].y - 1.0f, WorldY(kHeight - 1) + 2.1f);
    ClickFrame(PixelX(-20), kHeight - 1);
    ASSERT_EQ(ActivePrey(), 2);
    EXPECT_EQ(scene->Food[1].SpawnPoint[1], -2.0f);
}

TEST_F(PickGl, ColumnBeyondTheTankStaysPendingUntilThePointerMovesInside) {
    scene->Bounds.xMax = 20;  // narrower than the 99 units the columns span
    ClickFrame(PixelX(32), 60);
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_TRUE(scene->FeedClickPending) << "frame " << frame;
        EXPECT_EQ(ActivePrey(), 0);
        Frame();
    }
    // The retry uses the newest pointer position.
    scene->MousePos[0] = PixelX(-10);
    scene->MousePos[1] = PixelY(-15);
    Frame();
    EXPECT_FALSE(scene->FeedClickPending);
    ASSERT_EQ(ActivePrey(), 1);
    EXPECT_NEAR(scene->Food[0].SpawnPoint[0], -10 - 1.5f, 1.5f);
    // The height came with the first click (within the 15-pixel pick region); prey start 2 lower.
    EXPECT_NEAR(scene->Food[0].SpawnPoint[1], WorldY(60) - 2, 2.5f);
}

TEST_F(PickGl, OfTwoOverlappingFishOnlyTheLowerIndexReacts) {
    Settings.FishCounts[0] = 2;
    for (int i : {0, 1}) {
        Fish& f = scene->Fishes[i];
        f = CalmFish(0);
        f.SetBounds(-50, 50, scene->Bounds.yMax - 10, scene->Bounds.yMin + 6, -80, -60);
        f.Z = i == 0 ? -78 : -62;  // behind and in front, same line of sight
    }
    scene->InteractionMode = ID_ZOOM_IN_FISH;
    ClickFrame(kWidth / 2, kHeight / 2);
    EXPECT_EQ(scene->Fishes[0].Size, 12.0f);
    EXPECT_EQ(scene->Fishes[1].Size, 10.0f);
}

}  // namespace
