// Loading a long music list: the playlist alone from the settings file, and
// the whole Custom Music dialog built around it (what the program does at
// start-up, on the GUI thread). Rows: 2 000 and 16 000. Needs a display
// (xvfb-run) for the dialog.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "audio/MusicPlaylist.h"
#include "audio/SdlMusicPlayer.h"
#include "dialogs/MusicDialog.h"
#include "platform/Folders.h"

namespace {

// A settings folder whose file lists `rows` tracks.
std::string SettingsWithRows(int rows) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = std::string(tmp ? tmp : "/tmp") + "/tidemere-music-list-bench";
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    const std::string path = SettingsFilePath();
    std::ofstream out(path, std::ios::trunc);
    out << "[Custom Settings]\nRandomMusic=0\nCycMusic=1\nRepeatMusic=0\nOwnMusic=0\nMusicSum="
        << rows << "\n";
    for (int i = 0; i < rows; ++i)
        out << "MusicList" << i << "=/home/user/Music/Album " << i / 12 << "/Track " << i
            << ".mp3\n";
    return path;
}

void BM_LoadMusicList(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string path = SettingsWithRows(rows);
    SdlMusicPlayer player;
    MusicPlaylist list(player, 1000);
    for (auto _ : state) {
        list.LoadSaved(path);
        if (static_cast<int>(list.Rows().size()) != rows) state.SkipWithError("rows lost");
    }
}
BENCHMARK(BM_LoadMusicList)->Arg(2000)->Arg(16000)->Unit(benchmark::kMillisecond);

void BM_MusicDialogWithList(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    SettingsWithRows(rows);
    for (auto _ : state) {
        MusicRunner music;
        MusicDialog dialog(music);
        if (dialog.List()->rowCount() != rows) state.SkipWithError("rows lost");
    }
}
BENCHMARK(BM_MusicDialogWithList)->Arg(2000)->Arg(16000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
