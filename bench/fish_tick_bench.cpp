#include <benchmark/benchmark.h>

#include "fish/Fish.h"
#include "fish/FishSink.h"
#include "platform/Random.h"

// One fish frame without GL: deformation arrays, turn, 918 vertices through a
// counting sink, move and extents.
static void BM_FishTick(benchmark::State& state) {
    SeededRandom seeded(7);
    ScopedRandomSource guard(seeded);
    Fish fish;
    fish.SetBounds(-50, 50, 11, -15, -80, -60);
    fish.Z = -70;
    CountingFishSink sink;
    for (auto _ : state) {
        fish.Tick(sink);
        benchmark::DoNotOptimize(sink.Vertices);
    }
    state.counters["vertices/tick"] = benchmark::Counter(static_cast<double>(sink.Vertices) /
                                                         static_cast<double>(state.iterations()));
}
BENCHMARK(BM_FishTick);

BENCHMARK_MAIN();
