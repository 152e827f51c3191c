#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <memory>

#include "fish/FishTestSupport.h"
#include "fish/GlFishSink.h"
#include "platform/Random.h"
#include "scene/PickPass.h"
#include "scene/TankScene.h"
#include "settings/SettingsRecord.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTank.h"
#include "support/TempDir.h"

namespace {

// Wide enough that the pick view sees past the right end of the pick columns.
constexpr int kWidth = 480, kHeight = 180;

// The pick projection (45 degrees, camera at z -10) on the plane of the pick
// bars (z -69): world to pixel and back.
const float kHalf = (-10 + 69) * std::tan(22.5f * 3.14159265f / 180);
float WorldX(int px) { return (2.0f * px / kWidth - 1) * kHalf * kWidth / kHeight; }
float WorldY(int py) { return (1 - 2.0f * py / kHeight) * kHalf; }
int PixelX(float x) { return int(std::lround((x / (kHalf * kWidth / kHeight) + 1) * kWidth / 2)); }
int PixelY(float y) { return int(std::lround((1 - y / kHalf) * kHeight / 2)); }

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
        for (int& n : Settings.FishCounts) n = 0;
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
        for (const FoodFish& f : scene->Food) n += f.Active ? 1 : 0;
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

TEST_F(PickGl, APressFromAnEarlierModeDoesNotTouchAFishAfterTouchIsChosen) {
    Settings.FishCounts[0] = 1;
    Fish& f = scene->Fishes[0];
    f = CalmFish(0);
    f.SetBounds(-50, 50, scene->Bounds.yMax - 10, scene->Bounds.yMin + 6, -80, -60);
    // A left press in a mode that neither reads nor clears it, over the fish.
    scene->SetInteractionMode(ID_ADD_DELETE_FISH);
    scene->MousePos[0] = kWidth / 2;
    scene->MousePos[1] = kHeight / 2;
    scene->ButtonDown = true;
    Frame();
    scene->SetInteractionMode(ID_TOUCH_FISH);
    const float speed = f.Speed, target = f.HeadingTarget;
    Frame();
    EXPECT_EQ(f.HeadingTarget, target);  // untouched: no turn away
    EXPECT_LE(f.Speed, speed);
}

// GL's own selection mode: does what `draw` issues at `at` hit the region around the mouse?
template <typename Draw>
bool GlSelects(const int mouse[2], int region, const Vec3f& at, Draw draw) {
    GLuint buffer[64];
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glSelectBuffer(64, buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(mouse[0], viewport[3] - mouse[1], region, region, viewport);
    gluPerspective(45.0, double(viewport[2]) / viewport[3], 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(at.x, at.y, at.z);
    draw();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return glRenderMode(GL_RENDER) > 0;
}

TEST_F(PickGl, BarPicksAgreeWithGlSelectionMode) {
    const Vec3f column[4] = {{-0.5f, -30, 1}, {0.5f, -30, 1}, {0.5f, 30, 1}, {-0.5f, 30, 1}};
    const Vec3f row[4] = {{-90, -0.5f, 1}, {90, -0.5f, 1}, {90, 0.5f, 1}, {-90, 0.5f, 1}};
    // A camera that is not the identity, and bars in front, across and behind the pick volume.
    scene->CameraZOffset = -7.3f;
    scene->SetProjectionAndCamera();
    glViewport(0, 0, kWidth, kHeight);
    int hits = 0, misses = 0;
    for (int px = -20; px < kWidth + 20; px += 13)
        for (int py = -10; py < kHeight + 10; py += 11) {
            const int mouse[2] = {px, py};
            const PickView view = CurrentPickView(mouse, 15);
            for (const Vec3f at : {Vec3f{-30.3f, 0, -70}, Vec3f{0.21f, 3.7f, -70}, Vec3f{12.6f, -5.2f, -30},
                                   Vec3f{4.4f, 1.1f, -1100}, Vec3f{0, 0, 5}}) {
                for (const auto* quad : {&column, &row}) {
                    const bool gl = GlSelects(mouse, 15, at, [&] {
                        glBegin(GL_QUADS);
                        for (const Vec3f& v : *quad) glVertex3f(v.x, v.y, v.z);
                        glEnd();
                    });
                    ASSERT_EQ(QuadInPickRegion(view, at, *quad), gl)
                        << "mouse " << px << "," << py << " at " << at.x << "," << at.y << "," << at.z;
                    (gl ? hits : misses)++;
                }
            }
        }
    EXPECT_GT(hits, 100);
    EXPECT_GT(misses, 100);
}

TEST_F(PickGl, FishPicksAgreeWithGlSelectionMode) {
    UseRandom quiet;
    scene->SetProjectionAndCamera();
    glViewport(0, 0, kWidth, kHeight);
    Fish fish = CalmFish(0);
    fish.X = 3.3f;
    fish.Y = -1.7f;
    fish.Z = -30;  // near, so the outline covers many pixels
    Ticks(fish, 40);  // under way: bent, tilted and turning
    fish.ChangeHeading(70, true, HeadingChange::TurnBy);
    fish.PitchTarget = 20;
    Ticks(fish, 30);
    int hits = 0, misses = 0;
    // A small region, so the outline itself decides, not a box around it.
    for (int px = 0; px < kWidth; px += 4)
        for (int py = 0; py < kHeight; py += 4) {
            const int mouse[2] = {px, py};
            const Vec3f at{fish.X, fish.Y, fish.Z};
            Fish a = fish, b = fish;  // each pick advances its fish a frame
            PickFishSink sink(CurrentPickView(mouse, 3), at);
            a.Tick(sink);
            GlFishSink gl;
            const bool selected = GlSelects(mouse, 3, at, [&] { b.Tick(gl); });
            ASSERT_EQ(sink.Hit, selected) << "mouse " << px << "," << py;
            (selected ? hits : misses)++;
        }
    EXPECT_GT(hits, 30);
    EXPECT_GT(misses, 100);
}

}  // namespace
