// Cost of one bubble pass on the CPU side: the jitter draws, the quad
// corners and the update, for the default count (10) and the full cloud.
#include <benchmark/benchmark.h>

#include "platform/Random.h"
#include "scene/BubbleSystem.h"

namespace {

// Consumes the corners so the work is not optimised away.
class SumSink final : public BubbleQuadSink {
public:
    void Quad(const BubbleVertex (&corners)[4]) override {
        for (const BubbleVertex& v : corners)
            sum += v.x + v.y + v.z + v.s + v.t;
    }
    float sum = 0;
};

void BM_BubblePass(benchmark::State& state) {
    SeedDefaultRandom(42);
    BubbleSystem bubbles;
    bubbles.InitRecords(110);
    for (int i = 0; i < 110; ++i)
        bubbles.Update();
    SumSink sink;
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        bubbles.DrawTo(count, sink);
        benchmark::DoNotOptimize(sink.sum);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_BubblePass)->Arg(10)->Arg(110);

}  // namespace

BENCHMARK_MAIN();
