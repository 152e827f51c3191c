#include "audio/AudioDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>

namespace {

enum class DeviceState { Untried, Open, Failed };
DeviceState state = DeviceState::Untried;

void CloseAtExit() {
    // Halts the mixer before the process goes, so the audio thread never
    // touches sound data that static destructors have freed.
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace

bool OpenAudioDevice() {
    if (state != DeviceState::Untried) return state == DeviceState::Open;
    state = DeviceState::Failed;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "tidemere: no sound: %s\n", SDL_GetError());
        return false;
    }
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 2048) != 0) {
        std::fprintf(stderr, "tidemere: no sound: %s\n", Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(2);
    Mix_ReserveChannels(1);  // the built-in loop keeps its own channel
    state = DeviceState::Open;
    std::atexit(CloseAtExit);
    return true;
}

bool AudioDeviceOpen() { return state == DeviceState::Open; }
