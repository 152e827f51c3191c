#include "audio/AudioDevice.h"
#include "platform/MessageBox.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <unistd.h>

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
    bool opened = false;
    // SDL would otherwise take SIGINT and SIGTERM for its own event queue,
    // which nobody reads here: a screensaver daemon could no longer end us.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    {
        QuietStderr quiet;  // the sound system lists every device it tries
        opened = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        if (opened) {
            Mix_Init(MIX_INIT_MP3);
            opened = Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 2048) == 0;
            if (!opened) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    if (!opened) {
        ReportProblem(std::string("no sound: ") + SDL_GetError());
        return false;
    }
    Mix_AllocateChannels(2);
    Mix_ReserveChannels(1);  // the built-in loop keeps its own channel
    state = DeviceState::Open;
    std::atexit(CloseAtExit);
    return true;
}

bool AudioDeviceOpen() { return state == DeviceState::Open; }

QuietStderr::QuietStderr() : saved_(dup(STDERR_FILENO)) {
    std::fflush(stderr);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) close(null);
}

QuietStderr::~QuietStderr() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
}
