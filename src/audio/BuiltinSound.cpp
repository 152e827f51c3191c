#include "audio/BuiltinSound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/AudioDevice.h"
#include "scene/Resources.h"
#include "platform/MessageBox.h"

namespace {

constexpr int kMusicResource = 227;
Mix_Chunk* loop = nullptr;
// The samples `loop` plays; they outlive it.
std::vector<Uint8> loopSamples;
BuiltinSoundCounters counters;
// Channel 0 holds one loop per process; it restarts after a silence.
bool restartPending = true;

void FreeLoop() {
    if (!loop) return;
    Mix_HaltChannel(kBuiltinSoundChannel);
    Mix_FreeChunk(loop);
    loop = nullptr;
    std::vector<Uint8>().swap(loopSamples);
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
    Mix_Chunk* decoded =
        Mix_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())), 1);
    if (!decoded) {
        ReportProblem(std::string("cannot play the built-in sound: ") + Mix_GetError());
        return;
    }
    // A converted chunk keeps the converter's whole working buffer, several
    // times the sound itself, for as long as it plays: the loop plays an
    // exact copy instead.
    loopSamples.assign(decoded->abuf, decoded->abuf + decoded->alen);
    Mix_FreeChunk(decoded);
    loop = Mix_QuickLoad_RAW(loopSamples.data(), static_cast<Uint32>(loopSamples.size()));
    if (!loop) {
        ReportProblem(std::string("cannot play the built-in sound: ") + Mix_GetError());
        std::vector<Uint8>().swap(loopSamples);
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
