// The built-in pictures at start-up: unscrambling them out of the program and
// building their textures. A start pays the first time, which is mostly fresh
// pages (printed first, in CPU ms of the whole process); the repeated runs
// below show the steady cost. Needs a display (run under xvfb-run).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdio>
#include <ctime>

#include "BenchGl.h"
#include "scene/Resources.h"
#include "scene/Textures.h"

namespace {

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void FishTextures() {
    for (int id = 10000; id <= 10005; ++id) {
        GLuint tex = 0;
        CreateBitmapTexture(AsBmpBytes(LoadResourceBytes(id)), &tex);
        glDeleteTextures(1, &tex);
    }
    glFinish();
}

void BM_UnscrambleBackdrop(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadResourceBytes(154));
}
BENCHMARK(BM_UnscrambleBackdrop)->Unit(benchmark::kMillisecond);

void BM_BackdropTexture(benchmark::State& state) {
    const std::string bytes = LoadResourceBytes(154);
    for (auto _ : state) {
        GLuint tex = 0;
        CreateMipmappedTexture(AsBmpBytes(bytes), &tex);
        glFinish();
        glDeleteTextures(1, &tex);
    }
}
BENCHMARK(BM_BackdropTexture)->Unit(benchmark::kMillisecond);

void BM_FishTextures(benchmark::State& state) {
    for (auto _ : state)
        FishTextures();
}
BENCHMARK(BM_FishTextures)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    BenchGl gl;
    if (!gl.ok) return 1;
    const double t0 = CpuMs();
    const std::string bytes = LoadResourceBytes(154);
    const double t1 = CpuMs();
    GLuint tex = 0;
    CreateMipmappedTexture(AsBmpBytes(bytes), &tex);
    glFinish();
    const double t2 = CpuMs();
    FishTextures();
    std::printf("first time (CPU ms): unscramble backdrop %.1f, backdrop texture %.1f, fish %.1f\n",
                t1 - t0, t2 - t1, CpuMs() - t2);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
