// Reading a settings file that holds a long list: the load, then every row
// looked up by key, as the music and picture lists read them. The time per
// row (items_per_second) should stay flat from 2 000 to 30 000 rows: linear
// in all.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/IniFile.h"

namespace {

std::string MakeFile(int rows) {
    char name[] = "/tmp/tidemere-ini-bench-XXXXXX";
    const int fd = mkstemp(name);
    close(fd);
    std::ofstream out(name, std::ios::binary);
    out << "[Aquarium Settings]\r\nShow Water=0\r\nQIPAONUM=100\r\n\r\n[Custom Settings]\r\n"
        << "CycMusic=1\r\nMusicSum=" << rows << "\r\n";
    for (int i = 0; i < rows; ++i)
        out << "MusicList" << i << "=/home/user/Music/Album " << i % 97 << "/Track " << i
            << ".mp3\r\n";
    out << "\r\n[Fish Number]\r\nFish0=1\r\n";
    return name;
}

void BM_LoadAndReadList(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string path = MakeFile(rows);
    size_t bytes = 0;
    for (auto _ : state) {
        const IniDocument doc = IniDocument::Load(path);
        const int sum = AtoiLike(doc.Get("custom settings", "MUSICSUM").value_or(""));
        for (int i = 0; i < sum; ++i)
            bytes += doc.Get("Custom Settings", "MusicList" + std::to_string(i))->size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * rows);
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadAndReadList)->Arg(2000)->Arg(8000)->Arg(30000)->Unit(benchmark::kMillisecond);

// Adding rows one by one to an empty list, as a save of a new long list does.
void BM_SetNewRows(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        IniDocument doc;
        doc.Set("Custom Settings", "MusicSum", std::to_string(rows));
        for (int i = 0; i < rows; ++i)
            doc.Set("Custom Settings", "MusicList" + std::to_string(i), "/m/t.mp3");
        benchmark::DoNotOptimize(doc.LineCount());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_SetNewRows)->Arg(2000)->Arg(8000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
