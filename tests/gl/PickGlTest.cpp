#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "fish/FishTestSupport.h"
#include "platform/Random.h"
#include "scene/PickPass.h"
#include "scene/TankScene.h"
#include "settings/SettingsRecord.h"
#include "support/GlTestContext.h"
#include "support/TempDir.h"

namespace {

// Wide enough that the pick view sees past the right end of the pick columns.
constexpr int kWidth = 480;
constexpr int kHeight = 180;

// The pick projection (45 degrees, camera at z -10): the world point under a
// pixel on the plane of the pick bars (z -69) or at the given depth.
float WorldX(int px, float z = -69) {
    const float half = (-10 - z) * std::tan(22.5f * 3.14159265f / 180);
    return (2.0f * px / kWidth - 1) * half * kWidth / kHeight;
}
float WorldY(int py, float z = -69) {
    const float half = (-10 - z) * std::tan(22.5f * 3.14159265f / 180);
    return (1 - 2.0f * py / kHeight) * half;
}
int PixelX(float x, float z) {
    const float half = (-10 - z) * std::tan(22.5f * 3.14159265f / 180);
    return static_cast<int>(std::lround((x / (half * kWidth / kHeight) + 1) * kWidth / 2));
}
int PixelY(float y, float z) {
    const float half = (-10 - z) * std::tan(22.5f * 3.14159265f / 180);
    return static_cast<int>(std::lround((1 - y / half) * kHeight / 2));
}

// A started tank in its own config folder, rendered offscreen.
class PickGl : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv env{"XDG_CONFIG_HOME", dir.Path()};
    GlTestContext gl{kWidth, kHeight};
    std::unique_ptr<TankScene> scene;

    void SetUp() override {
        ASSERT_TRUE(gl.Valid());
        Settings = SettingsRecord{};
        LoadSettings();
        PickState() = FeedPickState{};
        SeedDefaultRandom(5);
        scene = std::make_unique<TankScene>();
        gl.MakeCurrent();
        scene->Start(kWidth, kHeight);
        ASSERT_EQ(scene->State, TankScene::StartState::Started);
        scene->HelpTextVisible = false;
        for (int& n : Settings.FishCounts)
            n = 0;
    }

    void Frame() {
        gl.MakeCurrent();
        scene->RenderFrame();
    }

    void Click(int px, int py) {
        scene->MousePos[0] = px;
        scene->MousePos[1] = py;
        scene->ButtonDown = true;
        if (scene->InteractionMode == ID_FEED_FISH) scene->FeedClickPending = true;
    }

    int ActivePrey() const {
        int n = 0;
        for (const FoodFish& f : scene->Food)
            n += f.Active ? 1 : 0;
        return n;
    }

    // Swimming fish i, calm, at the given place.
    void PlaceFish(int i, float x, float y, float z) {
        Fish& f = scene->Fishes[i];
        f = CalmFish(0);
        f.SetBounds(-50, 50, scene->Bounds.yMax - 10, scene->Bounds.yMin + 6, -80, -60);
        f.X = x;
        f.Y = y;
        f.Z = z;
    }
};

TEST_F(PickGl, FeedClickOverNoColumnStillResolvesToXZero) {
    // Right of every column, a third of the way down.
    const int px = PixelX(55, -69), py = 60;
    ASSERT_GT(WorldX(px), scene->PickColumns[100].x + 8);
    Click(px, py);
    Frame();
    EXPECT_FALSE(scene->FeedClickPending);
    ASSERT_EQ(ActivePrey(), 1);
    const FoodFish& prey = scene->Food[0];
    EXPECT_EQ(prey.SpawnPoint[0], 0.0f);
    // The first row under the 15-pixel region lies up to 2.5 below the pointer.
    EXPECT_NEAR(prey.SpawnPoint[1] + 2, WorldY(py) - 1.5f, 1.5f);
    EXPECT_EQ(prey.SpawnPoint[2], -70.0f);

    // Below every row the y falls back to 0: the prey starts at y -2.
    const int bottom = kHeight - 1;
    ASSERT_GT(scene->PickRows[0].y - 1.0f, WorldY(bottom) + 2.1f);  // after this frame's sweep
    Click(PixelX(-20, -69), bottom);
    Frame();
    ASSERT_EQ(ActivePrey(), 2);
    EXPECT_EQ(scene->Food[1].SpawnPoint[1], -2.0f);
    EXPECT_NEAR(scene->Food[1].SpawnPoint[0], -20 - 1.5f, 1.5f);
}

TEST_F(PickGl, ColumnBeyondTheTankStaysPendingUntilThePointerMovesInside) {
    // A tank narrower than the 99 units the columns span.
    scene->Bounds.xMax = 20;
    const int py = 60;
    Click(PixelX(32, -69), py);
    for (int frame = 0; frame < 3; ++frame) {
        Frame();
        EXPECT_TRUE(scene->FeedClickPending) << "frame " << frame;
        EXPECT_EQ(ActivePrey(), 0);
    }
    EXPECT_TRUE(PickState().YResolved);
    EXPECT_FALSE(PickState().XResolved);

    // The retry uses the newest pointer position; the y found first stays.
    scene->MousePos[0] = PixelX(-10, -69);
    scene->MousePos[1] = PixelY(-15, -69);
    Frame();
    EXPECT_FALSE(scene->FeedClickPending);
    ASSERT_EQ(ActivePrey(), 1);
    EXPECT_NEAR(scene->Food[0].SpawnPoint[0], -10 - 1.5f, 1.5f);
    EXPECT_NEAR(scene->Food[0].SpawnPoint[1] + 2, WorldY(py) - 1.5f, 1.5f);
    EXPECT_FALSE(PickState().XResolved);
    EXPECT_FALSE(PickState().YResolved);
}

TEST_F(PickGl, OfTwoOverlappingFishOnlyTheLowerIndexReacts) {
    Settings.FishCounts[0] = 3;
    PlaceFish(0, 0, 0, -78);  // behind
    PlaceFish(1, 0, 0, -62);  // in front, same line of sight
    PlaceFish(2, 30, 10, -70);
    scene->InteractionMode = ID_ZOOM_IN_FISH;
    Click(kWidth / 2, kHeight / 2);
    Frame();
    EXPECT_FALSE(scene->ButtonDown);
    EXPECT_EQ(scene->Fishes[0].Size, 12.0f);
    EXPECT_EQ(scene->Fishes[1].Size, 10.0f);
    EXPECT_EQ(scene->Fishes[2].Size, 10.0f);

    // Zoom out on the lone fish.
    scene->InteractionMode = ID_ZOOM_OUT_FISH;
    Click(PixelX(scene->Fishes[2].X, -70), PixelY(scene->Fishes[2].Y, -70));
    Frame();
    EXPECT_EQ(scene->Fishes[2].Size, 8.0f);
    EXPECT_EQ(scene->Fishes[0].Size, 12.0f);
}

TEST_F(PickGl, TouchOverEmptyWaterOnlyConsumesTheClick) {
    Settings.FishCounts[0] = 2;
    PlaceFish(0, -20, 0, -70);
    PlaceFish(1, 30, 10, -70);
    scene->InteractionMode = ID_TOUCH_FISH;
    Click(PixelX(5, -70), PixelY(-12, -70));
    Frame();
    EXPECT_FALSE(scene->ButtonDown);
    for (int i = 0; i < 2; ++i) {
        EXPECT_LT(scene->Fishes[i].Speed, 0.4f) << "fish " << i;
        EXPECT_EQ(scene->Fishes[i].HeadingTarget, 0.0f) << "fish " << i;
    }

    // The same click on a fish startles it: a quarter turn and full speed.
    Click(PixelX(scene->Fishes[1].X, -70), PixelY(scene->Fishes[1].Y, -70));
    Frame();
    EXPECT_FALSE(scene->ButtonDown);
    EXPECT_EQ(scene->Fishes[1].Speed, 0.4f);
    EXPECT_EQ(std::fabs(scene->Fishes[1].HeadingTarget), 90.0f);
    EXPECT_LT(scene->Fishes[0].Speed, 0.4f);
}

}  // namespace
