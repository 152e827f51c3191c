// CPU the sound costs the process: 20 s with the built-in loop playing
// against 20 s with the device open and silent. Wall time is the pace of the
// audio device, so only the cpu_percent counter says anything.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "audio/AudioDevice.h"
#include "audio/BuiltinSound.h"

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void BM_SoundCpu(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // The built-in sound unpacks into the settings folder: use a scratch one.
    setenv("XDG_CONFIG_HOME", (std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                               "/tidemere-sound-bench").c_str(), 1);
    if (!OpenAudioDevice()) {
        state.SkipWithError("no audio device");
        return;
    }
    const bool playing = state.range(0) == 1;
    const double seconds = static_cast<double>(state.range(1));
    for (auto _ : state) {
        BuiltinSoundHandshake(!playing, 0);
        const double cpu0 = CpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        // The view's 10 ms tick runs the hand-shake; do the same.
        while (std::chrono::steady_clock::now() - t0 < std::chrono::duration<double>(seconds)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            BuiltinSoundHandshake(!playing, 0);
        }
        const double cpu = CpuSeconds() - cpu0;
        state.counters["cpu_percent"] = 100.0 * cpu / seconds;
        state.counters["loop_playing"] = BuiltinSoundPlaying() ? 1 : 0;
        BuiltinSoundHandshake(true, 0);
    }
}
BENCHMARK(BM_SoundCpu)
    ->ArgNames({"loop", "seconds"})
    ->Args({0, 20})
    ->Args({1, 20})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
