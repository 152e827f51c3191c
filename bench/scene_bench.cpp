// Whole frames of the tank, offscreen, against the same frame drawn the
// straightforward way (fish in immediate mode, backdrop lit and depth-tested
// after the fish, mip-mapped skin), a frame holding only the backdrop, and a
// bare clear. Tanks: the default one, and a full one (five fish, every
// bubble, fifty prey). Also one undrawn step of the full tank.
// Size with --size=WxH (default 1920x1080). Needs a display (xvfb-run).
// CPU is the whole process (the renderer works in threads of its own).
// Noisy machines: run with --benchmark_enable_random_interleaving=true
// --benchmark_repetitions=3 and read the medians.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BenchGl.h"
#include "platform/Random.h"
#include "scene/TankScene.h"
#include "settings/SettingsRecord.h"

namespace {

int g_width = 1920, g_height = 1080;
BenchGl* g_gl = nullptr;

struct Tank {
    std::unique_ptr<TankScene> scene;
};

enum class Kind { Default, Full, BackdropOnly };

Tank MakeTank(Kind kind) {
    Tank t;
    SeedDefaultRandom(4);
    t.scene = std::make_unique<TankScene>();
    t.scene->Start(g_width, g_height);
    t.scene->HelpTextVisible = false;
    // Starting reads the file; these are read every step.
    SettingsRecord& settings = t.scene->Settings;
    if (kind == Kind::Full) {
        for (int& n : settings.FishCounts) n = 1;
        settings.QiPaoNum = 0;
    } else if (kind == Kind::BackdropOnly) {
        for (int& n : settings.FishCounts) n = 0;
        settings.QiPaoNum = kMaxBubbles;
    }
    if (kind == Kind::Full) {
        for (int i = 0; i < TankScene::kFoodFishCount; ++i)
            ReleaseFoodFish(t.scene->Food, TankScene::kFoodFishCount, -45.0f + 1.8f * i,
                            static_cast<float>(i % 9) * 3.0f - 12.0f);
    }
    return t;
}

Tank& TankOf(Kind kind) {
    static Tank tanks[3] = {MakeTank(Kind::Default), MakeTank(Kind::Full),
                            MakeTank(Kind::BackdropOnly)};
    return tanks[static_cast<int>(kind)];
}

void Frames(benchmark::State& state, Kind kind, bool straightforward) {
    if (!g_gl || !g_gl->ok) return state.SkipWithError("no GL context");
    Tank& t = TankOf(kind);
    t.scene->DrawFishFromArrays = !straightforward;
    t.scene->FastBackdrop = !straightforward;
    int prey = 0;
    for (auto _ : state) {
        t.scene->RenderFrame();
        // Keep the pool full: eaten prey come back.
        for (const FoodFish& f : t.scene->Food) prey += f.Active;
        if (kind == Kind::Full && prey < TankScene::kFoodFishCount * 45 / 50)
            ReleaseFoodFish(t.scene->Food, TankScene::kFoodFishCount, 0.0f, 0.0f);
        prey = 0;
    }
    int active = 0;
    for (const FoodFish& f : t.scene->Food) active += f.Active;
    state.counters["prey"] = active;
}

void BM_Bare(benchmark::State& state) {
    if (!g_gl || !g_gl->ok) return state.SkipWithError("no GL context");
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
    }
}

void BM_UndrawnStepFull(benchmark::State& state) {
    Tank& t = TankOf(Kind::Full);
    for (auto _ : state) t.scene->AdvanceStep();
}

}  // namespace

int main(int argc, char** argv) {
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);  // as the program does
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--size=", 7) == 0)
            std::sscanf(argv[i] + 7, "%dx%d", &g_width, &g_height);
        else
            args.push_back(argv[i]);
    }
    int n = static_cast<int>(args.size());
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QGuiApplication app(argc, argv);
    BenchGl gl(g_width, g_height);
    g_gl = &gl;
    const std::string size = std::to_string(g_width) + "x" + std::to_string(g_height);
    auto add = [&](const std::string& name, auto fn) {
        benchmark::RegisterBenchmark((name + "/" + size).c_str(), fn)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime();  // the renderer's threads too
    };
    add("Bare", BM_Bare);
    add("BackdropOnly/before", [](benchmark::State& s) { Frames(s, Kind::BackdropOnly, true); });
    add("BackdropOnly/after", [](benchmark::State& s) { Frames(s, Kind::BackdropOnly, false); });
    add("DefaultTank/before", [](benchmark::State& s) { Frames(s, Kind::Default, true); });
    add("DefaultTank/after", [](benchmark::State& s) { Frames(s, Kind::Default, false); });
    add("FullTank/before", [](benchmark::State& s) { Frames(s, Kind::Full, true); });
    add("FullTank/after", [](benchmark::State& s) { Frames(s, Kind::Full, false); });
    add("UndrawnStep/full", BM_UndrawnStepFull);
    benchmark::Initialize(&n, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
