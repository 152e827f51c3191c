#include <gtest/gtest.h>

#include <QImage>
#include <tuple>
#include <vector>

#include "platform/Random.h"
#include "scene/PickPass.h"
#include "scene/TankScene.h"
#include "scene/TextOverlay.h"
#include "settings/SettingsRecord.h"
#include "support/OffscreenTank.h"

namespace {

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

int DifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

class StepGl : public OffscreenTank {
protected:
    StepGl() : OffscreenTank(320, 180) {}

    void SetUp() override { ASSERT_TRUE(gl.Valid()); }

    bool arrays = true;
    bool fastBackdrop = true;
    int light = 0;
    bool quads = false;

    // A full tank: five fish, every bubble, prey across the middle; then
    // `steps` steps, of which every `drawEvery`-th is drawn (and the last).
    std::vector<float> RunTank(int steps, int drawEvery, QImage* last = nullptr) {
        LoadFreshSettings();
        for (int& n : Settings.FishCounts) n = 1;
        Settings.QiPaoNum = 0;
        Settings.LightQiangDu = light;
        Settings.BackGuding = quads ? 1 : 0;
        Settings.BackManJianBian = quads ? 1 : 0;
        Settings.BackColor = 0x2040c0;
        PickState() = FeedPickState{};
        HelpFrameCounter = 0;
        StartTank(21);
        scene->DrawFishFromArrays = arrays;
        scene->FastBackdrop = fastBackdrop;
        for (int i = 0; i < 30; ++i)
            ReleaseFoodFish(scene->Food, TankScene::kFoodFishCount, -40.0f + 3 * i, (i % 7) * 3.0f);
        gl.MakeCurrent();
        for (int i = 1; i <= steps; ++i) {
            if (i % drawEvery == 0 || i == steps)
                scene->RenderFrame();
            else
                scene->AdvanceStep();
        }
        if (last) *last = gl.Grab();
        return Snapshot(*scene);
    }
};

TEST_F(StepGl, TheTankIsTheSameAfterNStepsWhateverTheFrameRate) {
    // Long enough for the help text to go, prey to be eaten and bubbles to recycle.
    constexpr int kSteps = 400;
    QImage every, third, seventh;
    const std::vector<float> drawnEvery = RunTank(kSteps, 1, &every);     // 100 fps: today's loop
    const std::vector<float> drawnThird = RunTank(kSteps, 3, &third);     // about 33 fps
    const std::vector<float> drawnSeventh = RunTank(kSteps, 7, &seventh); // about 14 fps
    const std::vector<float> neverDrawn = RunTank(kSteps, kSteps + 1);    // only the last
    EXPECT_EQ(drawnThird, drawnEvery);
    EXPECT_EQ(drawnSeventh, drawnEvery);
    EXPECT_EQ(neverDrawn, drawnEvery);
    // The same state draws the same picture.
    EXPECT_TRUE(third == every);
    EXPECT_TRUE(seventh == every);
    // A few more steps move the tank: the comparison is not between still pictures.
    EXPECT_NE(RunTank(kSteps + 3, 1), drawnEvery);
}

TEST_F(StepGl, FishFromVertexArraysDrawTheSamePixelsAsImmediateMode) {
    // Every frame, fish and prey under way, lit and textured: pixel for pixel,
    // also where the light is weak enough for normals to matter.
    for (int steps : {1, 2, 60, 250}) {
        light = steps == 60 ? 50 : 0;
        QImage fromArrays, immediate;
        arrays = true;
        const std::vector<float> a = RunTank(steps, 1, &fromArrays);
        arrays = false;
        const std::vector<float> b = RunTank(steps, 1, &immediate);
        EXPECT_EQ(a, b);
        ASSERT_EQ(fromArrays.size(), immediate.size());
        EXPECT_EQ(DifferingPixels(fromArrays, immediate), 0) << "after " << steps << " steps";
    }
}

TEST_F(StepGl, TheBackdropDrawnFirstGivesTheSamePixels) {
    // Background quads on or off, light from full to the weakest that still
    // saturates (and one that does not, drawn the old way), fog in the first frame.
    for (const auto& [steps, l, q] : {std::tuple{1, 0, false}, {3, 0, true}, {120, 20, false},
                                      {250, 0, true}, {40, 60, true}}) {
        light = l;
        quads = q;
        QImage fast, plain;
        fastBackdrop = true;
        RunTank(steps, 1, &fast);
        fastBackdrop = false;
        RunTank(steps, 1, &plain);
        EXPECT_EQ(DifferingPixels(fast, plain), 0) << steps << " steps, light " << l;
    }
    light = 0;
    quads = false;
}

TEST_F(StepGl, AFeedClickWaitsForADrawnStep) {
    LoadFreshSettings();
    PickState() = FeedPickState{};
    StartTank(5);
    scene->HelpTextVisible = false;
    gl.MakeCurrent();
    scene->MousePos[0] = gl.Width() / 2;
    scene->MousePos[1] = gl.Height() / 2;
    scene->FeedClickPending = true;
    for (int i = 0; i < 50; ++i) scene->AdvanceStep();
    EXPECT_TRUE(scene->FeedClickPending);
    EXPECT_EQ(scene->PreyReleased, 0);
    for (int i = 0; i < 20 && scene->FeedClickPending; ++i) scene->RenderFrame();
    EXPECT_FALSE(scene->FeedClickPending);
    EXPECT_EQ(scene->PreyReleased, 1);
}

}  // namespace
