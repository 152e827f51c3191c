#include "audio/BuiltinSound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/AudioDevice.h"
#include "platform/Folders.h"
#include "scene/Resources.h"
#include "settings/SettingsRecord.h"

bool MusicSilenceRequest = true;
bool MusicRestartPending = true;

namespace {

constexpr int kMusicResource = 227;
Mix_Chunk* loop = nullptr;
BuiltinSoundCounters counters;

void FreeLoop() {
    if (!loop) return;
    Mix_HaltChannel(kBuiltinSoundChannel);
    Mix_FreeChunk(loop);
    loop = nullptr;
}

std::vector<char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int BuiltinSoundMixVolume(int yinliang) {
    const long level = 65535 - std::clamp(yinliang, 0, 65535);
    return static_cast<int>((level * MIX_MAX_VOLUME + 32767) / 65535);
}

void StartBuiltInSound() {
    ++counters.starts;
    if (!OpenAudioDevice()) return;
    const std::string folder = WindowsFolder();
    if (!ExtractResource(kMusicResource, folder, "Music")) {
        std::fprintf(stderr, "tidemere: the built-in sound is missing\n");
        return;
    }
    // Held in memory, so the files can go at once.
    const std::vector<char> wav = ReadFile(folder + "Music.wav");
    DeleteExtractedFile(folder + "Music.ad");
    DeleteExtractedFile(folder + "Music.wav");

    FreeLoop();
    if (wav.empty()) {
        std::fprintf(stderr, "tidemere: cannot read the built-in sound\n");
        return;
    }
    loop = Mix_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())), 1);
    if (!loop) {
        std::fprintf(stderr, "tidemere: cannot play the built-in sound: %s\n", Mix_GetError());
        return;
    }
    // One level for the channel: left and right sound alike.
    Mix_Volume(kBuiltinSoundChannel, BuiltinSoundMixVolume(Settings.Yinliang));
    if (Mix_PlayChannel(kBuiltinSoundChannel, loop, -1) < 0)
        std::fprintf(stderr, "tidemere: cannot play the built-in sound: %s\n", Mix_GetError());
}

void StopBuiltInSound() {
    ++counters.stopRequests;
    FreeLoop();
}

void BuiltinSoundHandshake() {
    if (MusicSilenceRequest) {
        MusicRestartPending = true;
        StopBuiltInSound();
    } else if (MusicRestartPending) {
        StartBuiltInSound();
        MusicRestartPending = false;
    }
}

const BuiltinSoundCounters& BuiltinSoundCounts() { return counters; }

bool BuiltinSoundPlaying() {
    return loop && AudioDeviceOpen() && Mix_Playing(kBuiltinSoundChannel);
}
