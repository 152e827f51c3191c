// Cost of the feed pick at 1920x1080: sweeping the bars alone, and with a
// click pending that hits no bar, so every column and row is tried (152
// selection passes), against a bare colour + depth clear of the same target.
// Needs a display (run under xvfb-run).
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QGuiApplication>

#include <memory>

#include "BenchGl.h"
#include "scene/PickPass.h"
#include "scene/TankScene.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Draws into a 1920x1080 framebuffer object.
struct Gl : BenchGl {
    Gl() : BenchGl(kWidth, kHeight) {
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
    }
};

// Made in main, after the application and before any benchmark.
Gl* g_gl = nullptr;

Gl& Context() {
    return *g_gl;
}

// Bars laid out as at scene start, for a 1920x1080 tank.
std::unique_ptr<TankScene> BarScene() {
    auto scene = std::make_unique<TankScene>();
    scene->ScreenWidth = kWidth;
    scene->ScreenHeight = kHeight;
    scene->Bounds = TankBoundsForScreen(kWidth, kHeight);
    const TankBounds& b = scene->Bounds;
    for (int i = 0; i < TankScene::kPickColumns; ++i)
        scene->PickColumns[i] = {b.xMin + i * 0.990099f, 0.0f, -70.0f};
    const int span = static_cast<int>(b.yMax - b.yMin);
    for (int j = 0; j < TankScene::kPickRows; ++j)
        scene->PickRows[j] = {0.0f, b.yMin + span * 0.02f * j, -70.0f};
    return scene;
}

void BM_ClearFloor(benchmark::State& state) {
    if (!Context().ok) return state.SkipWithError("no GL context");
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
    }
}
BENCHMARK(BM_ClearFloor)->Unit(benchmark::kMillisecond);

void BM_FeedPassSweepOnly(benchmark::State& state) {
    if (!Context().ok) return state.SkipWithError("no GL context");
    auto scene = BarScene();
    scene->SetProjectionAndCamera();
    for (auto _ : state) {
        FeedPass(*scene);
        glFinish();
    }
}
BENCHMARK(BM_FeedPassSweepOnly)->Unit(benchmark::kMicrosecond);

void BM_FeedPassClickPending(benchmark::State& state) {
    if (!Context().ok) return state.SkipWithError("no GL context");
    auto scene = BarScene();
    // Over no bar, in a tank that does not hold 0: the click never resolves.
    scene->MousePos[0] = -5000;
    scene->MousePos[1] = -5000;
    scene->Bounds.xMin = scene->Bounds.yMin = 1;
    scene->SetProjectionAndCamera();
    for (auto _ : state) {
        scene->FeedClickPending = true;
        PickState().XResolved = PickState().YResolved = false;
        FeedPass(*scene);
        glFinish();
    }
    if (!scene->FeedClickPending) state.SkipWithError("the click resolved");
}
BENCHMARK(BM_FeedPassClickPending)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    Gl gl;
    g_gl = &gl;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
