#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QImage>
#include <vector>

#include "fish/FishTestSupport.h"
#include "fish/GlFishSink.h"
#include "platform/Random.h"
#include "scene/PickPass.h"
#include "scene/TankScene.h"
#include "scene/TextOverlay.h"
#include "settings/SettingsRecord.h"
#include "support/OffscreenTank.h"

namespace {

constexpr int kWidth = 320, kHeight = 180;

// Everything that moves, and the next random number, after a run.
std::vector<float> Snapshot(const TankScene& s) {
    std::vector<float> v;
    for (const Fish& f : s.Fishes)
        v.insert(v.end(), {f.X, f.Y, f.Z, f.Heading, f.Pitch, f.Speed, f.LipOffset,
                           f.TailWave.Phase, static_cast<float>(f.GulpTimer)});
    for (const FoodFish& f : s.Food)
        v.insert(v.end(), {f.WorldPos[0], f.WorldPos[1], f.WorldPos[2], f.Inner.Heading,
                           static_cast<float>(f.Active), f.Alive});
    for (int i = 0; i < s.Bubbles.Capacity; ++i) {
        const Particle& p = s.Bubbles.Particles[i];
        v.insert(v.end(), {p.x, p.y, p.z, p.life});
    }
    v.insert(v.end(), {s.Backdrop.Wave, s.PickColumns[0].x, s.PickColumns[100].x, s.PickRows[0].y,
                       static_cast<float>(s.HelpTextVisible), static_cast<float>(HelpFrameCounter),
                       static_cast<float>(s.PreyEaten), static_cast<float>(s.StepsTaken),
                       static_cast<float>(RandomInt(1 << 30))});
    return v;
}

double MeanBrightness(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            sum += qRed(p) + qGreen(p) + qBlue(p);
        }
    return sum / (3.0 * image.width() * image.height());
}

// How RunTank sets up the tank, and one drawing shortcut turned on or off.
struct Look {
    bool TankScene::*shortcut = nullptr;
    int steps = 0, light = 0;
    // 1: the fixed quad, black, as every settings file has it; 2: also the gradient.
    // Without either the wall and the fish take whatever colour the text left: black.
    int quads = 1;
    int background = 0, colour = 0;
    bool on = true;
};

class TankGl : public OffscreenTank {
protected:
    TankGl() : OffscreenTank(kWidth, kHeight) {}

    void SetUp() override {
        ASSERT_TRUE(gl.Valid());
        WriteCompleteSettingsFile();
    }

    QImage Frames(int n) {
        RenderFrames(n);
        return gl.Grab();
    }

    // `count` calm fish of kind 0 in one line of sight at the back of the
    // tank, behind one another, and a frame drawn with a press over them.
    void PressOverCalmFish(int count, int mode) {
        StartTank(5);
        for (int& n : scene->Settings.FishCounts)
            n = 0;
        scene->Settings.FishCounts[0] = count;
        for (int i = 0; i < count; ++i) {
            Fish& f = scene->Fishes[i];
            f = CalmFish(0);
            f.SetBounds(-50, 50, scene->Bounds.yMax - 10, scene->Bounds.yMin + 6, -80, -60);
            f.Z = count == 1 ? -70 : -78 + 16 * i;
        }
        scene->SetInteractionMode(mode);
        scene->MousePos[0] = kWidth / 2;
        scene->MousePos[1] = kHeight / 2;
        scene->ButtonDown = true;
        RenderFrames(1);
    }

    Look look;

    // A full tank: five fish, every bubble, prey across the middle; then
    // `steps` steps, of which every `drawEvery`-th is drawn (and the last).
    std::vector<float> RunTank(int steps, int drawEvery, QImage* last = nullptr) {
        WriteCompleteSettingsFile();
        PickState() = FeedPickState{};
        HelpFrameCounter = 0;
        // As StartTank, with the shortcut already set for the start sequence.
        SeedDefaultRandom(21);
        scene = std::make_unique<TankScene>();
        if (look.shortcut) scene.get()->*look.shortcut = look.on;
        gl.MakeCurrent();
        scene->Start(gl.Width(), gl.Height());
        EXPECT_EQ(scene->State, TankScene::StartState::Started);
        // Starting reads the file again; these are read every step.
        for (int& n : scene->Settings.FishCounts)
            n = 1;
        scene->Settings.QiPaoNum = 0;
        scene->Settings.LightQiangDu = look.light;
        scene->Settings.Background = look.background;
        scene->Settings.BackGuding = look.quads >= 1 ? 1 : 0;
        scene->Settings.BackManJianBian = look.quads == 2 ? 1 : 0;
        scene->Settings.BackColor = look.colour;
        if (look.shortcut) scene.get()->*look.shortcut = look.on;
        for (int i = 0; i < 30; ++i)
            ReleaseFoodFish(scene->Food, TankScene::kFoodFishCount, -40.0f + 3 * i, (i % 7) * 3.0f);
        gl.MakeCurrent();
        for (int i = 1; i <= steps; ++i) {
            if (i % drawEvery == 0 || i == steps)
                scene->RenderFrame();
            else
                scene->AdvanceStep();
        }
        // The window has no alpha channel; the offscreen buffer has.
        if (last) *last = gl.Grab().convertToFormat(QImage::Format_RGB32);
        return Snapshot(*scene);
    }
};

TEST_F(TankGl, TheTankIsTheSameAfterNStepsWhateverTheFrameRate) {
    // Long enough for the help text to go, prey to be eaten and bubbles to recycle.
    constexpr int kSteps = 400;
    QImage every, third;
    const std::vector<float> drawnEvery = RunTank(kSteps, 1, &every);   // 100 fps: today's loop
    const std::vector<float> drawnThird = RunTank(kSteps, 3, &third);   // about 33 fps
    const std::vector<float> neverDrawn = RunTank(kSteps, kSteps + 1);  // only the last
    EXPECT_EQ(drawnThird, drawnEvery);
    EXPECT_EQ(neverDrawn, drawnEvery);
    // The same state draws the same picture.
    EXPECT_GT(MeanBrightness(every), 20.0);
    EXPECT_TRUE(third == every);
}

// Every drawing shortcut gives the same state and pixel for pixel the same picture:
// fish from vertex arrays (also where the light is weak enough for normals to matter);
// the backdrop drawn first (quads on or off, light from full to the weakest that still
// saturates and one that does not, the first frame); the black fixed quad skipped
// (with the wall shown or not, in the first frame; a coloured quad never);
// fewer GL states (from the second frame, with the help text, after it, without the wall).
TEST_F(TankGl, DrawingShortcutsGiveTheSamePixels) {
    const auto arrays = &TankScene::DrawFishFromArrays, first = &TankScene::FastBackdrop;
    const auto skip = &TankScene::SkipHiddenFills, fewer = &TankScene::FewerGlStates;
    const Look cases[] = {{arrays, 2},        {arrays, 60, 85},
                          {first, 1},         {first, 3, 0, 2},
                          {first, 120, 20},   {first, 40, 60, 2},
                          {skip, 4},          {skip, 4, 0, 1, 1},
                          {skip, 1, 0, 1, 1}, {skip, 4, 0, 1, 1, 0x2040c0},
                          {fewer, 2},         {fewer, 3, 60, 1, 1},
                          {fewer, 150, 85}};
    for (const Look& c : cases) {
        QImage on, off;
        look = c;
        const std::vector<float> a = RunTank(c.steps, 1, &on);
        look.on = false;
        EXPECT_EQ(RunTank(c.steps, 1, &off), a);
        EXPECT_GT(MeanBrightness(on), 1.0) << "a picture to compare, not a black frame";
        EXPECT_TRUE(on == off) << "case " << &c - cases << ": " << c.steps << " steps, light "
                               << c.light << ", style " << c.background;
    }
}

// The first frame looks like the next (no white flash at start); the light, read every
// frame, darkens the wall.
TEST_F(TankGl, FirstFrameLightStrengthAndTheBlackQuadWithoutTheWall) {
    StartTank(11);
    scene->HelpTextVisible = false;  // the text is unlit
    const double first = MeanBrightness(Frames(1));
    const double lit = MeanBrightness(Frames(2));
    EXPECT_TRUE(lit > 40.0 && lit < 200.0) << lit;
    EXPECT_NEAR(first, lit, 10.0);
    scene->Settings.LightQiangDu = 50;
    const double half = MeanBrightness(Frames(1));
    scene->Settings.LightQiangDu = 100;
    const double dark = MeanBrightness(Frames(1));
    EXPECT_LT(dark, lit * 0.25);  // only the global ambient light is left
    EXPECT_TRUE(half > dark && half < lit) << half;
    // Another backdrop style, or the terrain off, leaves the black quad.
    scene->Settings.LightQiangDu = 0;
    scene->Settings.Background = 1;
    EXPECT_LT(MeanBrightness(Frames(2)), 12.0);
    scene->Settings.Background = 0;
    scene->Settings.ShowTerra = 0;
    EXPECT_LT(MeanBrightness(Frames(2)), 12.0);
}

TEST_F(TankGl, OfTwoOverlappingFishOnlyTheLowerIndexReacts) {
    PressOverCalmFish(2, ID_ZOOM_IN_FISH);
    EXPECT_EQ(scene->Fishes[0].Size, 12.0f);
    EXPECT_EQ(scene->Fishes[1].Size, 10.0f);
}

TEST_F(TankGl, APressFromAnEarlierModeDoesNotTouchAFishAfterTouchIsChosen) {
    // A left press in a mode that neither reads nor clears it, over the fish.
    PressOverCalmFish(1, ID_ADD_DELETE_FISH);
    scene->SetInteractionMode(ID_TOUCH_FISH);
    const float target = scene->Fishes[0].HeadingTarget;
    RenderFrames(1);
    EXPECT_EQ(scene->Fishes[0].HeadingTarget, target);  // untouched: no turn away
}

// The prey goes where the pointer is: up and to the left of the middle here.
TEST_F(TankGl, AFeedClickWaitsForADrawnStepAndReleasesPreyUnderThePointer) {
    PickState() = FeedPickState{};
    StartTank(5);
    gl.MakeCurrent();
    scene->MousePos[0] = kWidth / 4;
    scene->MousePos[1] = kHeight / 4;
    scene->FeedClickPending = true;
    for (int i = 0; i < 50; ++i)
        scene->AdvanceStep();
    EXPECT_EQ(scene->PreyReleased, 0);
    scene->RenderFrame();
    ASSERT_EQ(scene->PreyReleased, 1);
    const float* at = scene->Food[0].SpawnPoint;
    EXPECT_TRUE(at[0] > -35 && at[0] < -10 && at[1] > 3 && at[1] < 15) << at[0] << "," << at[1];
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

TEST_F(TankGl, FishPicksAgreeWithGlSelectionMode) {
    StartTank(5);
    UseRandom quiet;
    scene->SetProjectionAndCamera();
    glViewport(0, 0, kWidth, kHeight);
    Fish fish = CalmFish(0);
    fish.X = 3.3f;
    fish.Y = -1.7f;
    fish.Z = -30;     // near, so the outline covers many pixels
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

// A window that changes shape after the start (a resized window, the
// daemon's preview) is still filled edge to edge.
TEST_F(TankGl, ANewShapeGetsBoundsThatFillTheView) {
    SeedDefaultRandom(3);
    scene = std::make_unique<TankScene>();
    gl.MakeCurrent();
    scene->Start(kHeight * 4 / 3, kHeight);
    const TankBounds fourByThree = scene->Bounds;
    scene->Reshape(kWidth, kHeight);
    EXPECT_GT(scene->Bounds.xMax, fourByThree.xMax);
    EXPECT_LT(scene->PickColumns[0].x, fourByThree.xMin);
    const QImage frame = Frames(3);
    for (int x : {0, 1, kWidth - 2, kWidth - 1}) {
        int dark = 0;
        for (int y = 0; y < kHeight; ++y) {
            const QRgb p = frame.pixel(x, y);
            dark += qRed(p) + qGreen(p) + qBlue(p) < 24;
        }
        EXPECT_LT(dark, kHeight / 5) << "column " << x;
    }
}

}  // namespace
