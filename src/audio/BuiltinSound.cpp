#include "audio/BuiltinSound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "audio/AudioDevice.h"
#include "scene/Resources.h"
#include "platform/MessageBox.h"

namespace {

constexpr int kMusicResource = 227;
Mix_Chunk* loop = nullptr;
BuiltinSoundCounters counters;
// Channel 0 holds one loop per process; it restarts after a silence.
bool restartPending = true;

void FreeLoop() {
    if (!loop) return;
    Mix_HaltChannel(kBuiltinSoundChannel);
    Mix_FreeChunk(loop);
    loop = nullptr;
}

}  // namespace

int BuiltinSoundMixVolume(int yinliang) {
    const long level = 65535 - std::clamp(yinliang, 0, 65535);
    return static_cast<int>((level * MIX_MAX_VOLUME + 32767) / 65535);
}

void StartBuiltInSound(int yinliang) {
    ++counters.starts;
    if (!OpenAudioDevice()) return;
    // Unscrambled in memory: no file is written, so none can be hijacked or left behind.
    const std::string wav = LoadResourceBytes(kMusicResource);
    FreeLoop();
    if (wav.empty()) {
        ReportProblem("the built-in sound is missing");
        return;
    }
    loop = Mix_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())), 1);
    if (!loop) {
        ReportProblem(std::string("cannot play the built-in sound: ") + Mix_GetError());
        return;
    }
    // One level for the channel: left and right sound alike.
    Mix_Volume(kBuiltinSoundChannel, BuiltinSoundMixVolume(yinliang));
    if (Mix_PlayChannel(kBuiltinSoundChannel, loop, -1) < 0)
        ReportProblem(std::string("cannot play the built-in sound: ") + Mix_GetError());
}

void StopBuiltInSound() {
    ++counters.stopRequests;
    FreeLoop();
}

void BuiltinSoundHandshake(bool silenceRequested, int yinliang) {
    if (silenceRequested) {
        restartPending = true;
        StopBuiltInSound();
    } else if (restartPending) {
        StartBuiltInSound(yinliang);
        restartPending = false;
    }
}

const BuiltinSoundCounters& BuiltinSoundCounts() { return counters; }

bool BuiltinSoundPlaying() {
    return loop && AudioDeviceOpen() && Mix_Playing(kBuiltinSoundChannel);
}
