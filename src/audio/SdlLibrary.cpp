// SDL and SDL_mixer, with the decoders and sound servers they pull in (some
// forty libraries), are loaded the first time a sound is wanted rather than
// at every start: a screensaver without sound never needs them, and the
// tank's first frame does not wait for them. Each function below stands for
// the library's own and forwards to it; without the library it fails the
// way the library reports failure, and SDL_GetError says why.
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <mutex>
#include <string>

namespace {

enum class Lib { Sdl, Mixer };

struct Loaded {
    void* sdl = nullptr;
    void* mixer = nullptr;
    std::string problem;
};

const Loaded& Libraries() {
    static const Loaded loaded = [] {
        Loaded l;
        // The mixer brings in SDL itself; the second open only finds it.
        l.mixer = dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (l.mixer) l.sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!l.mixer || !l.sdl) {
            const char* why = dlerror();
            l.problem = std::string("cannot load the sound library: ") + (why ? why : "unknown");
        }
        return l;
    }();
    return loaded;
}

void* Symbol(Lib lib, const char* name) {
    const Loaded& l = Libraries();
    void* handle = lib == Lib::Sdl ? l.sdl : l.mixer;
    return handle ? dlsym(handle, name) : nullptr;
}

}  // namespace

#define TM_FORWARD(lib, ret, name, params, args, failed)                                  \
    extern "C" ret name params {                                                          \
        static const auto real = reinterpret_cast<decltype(&::name)>(Symbol(lib, #name)); \
        if (!real) return failed;                                                         \
        return real args;                                                                 \
    }

extern "C" const char* SDL_GetError(void) {
    static const auto real =
        reinterpret_cast<decltype(&::SDL_GetError)>(Symbol(Lib::Sdl, "SDL_GetError"));
    return real ? real() : Libraries().problem.c_str();
}

TM_FORWARD(Lib::Sdl, SDL_bool, SDL_SetHint, (const char* name, const char* value), (name, value),
           SDL_FALSE)
TM_FORWARD(Lib::Sdl, int, SDL_InitSubSystem, (Uint32 flags), (flags), -1)
TM_FORWARD(Lib::Sdl, void, SDL_QuitSubSystem, (Uint32 flags), (flags), )
TM_FORWARD(Lib::Sdl, SDL_RWops*, SDL_RWFromConstMem, (const void* mem, int size), (mem, size),
           nullptr)
TM_FORWARD(Lib::Sdl, SDL_RWops*, SDL_RWFromFP, (FILE * fp, SDL_bool autoclose), (fp, autoclose),
           nullptr)

TM_FORWARD(Lib::Mixer, int, Mix_Init, (int flags), (flags), 0)
TM_FORWARD(Lib::Mixer, int, Mix_OpenAudio, (int frequency, Uint16 format, int channels, int chunk),
           (frequency, format, channels, chunk), -1)
TM_FORWARD(Lib::Mixer, void, Mix_CloseAudio, (void), (), )
TM_FORWARD(Lib::Mixer, int, Mix_AllocateChannels, (int channels), (channels), 0)
TM_FORWARD(Lib::Mixer, int, Mix_ReserveChannels, (int count), (count), 0)
TM_FORWARD(Lib::Mixer, Mix_Chunk*, Mix_LoadWAV_RW, (SDL_RWops * src, int freesrc), (src, freesrc),
           nullptr)
TM_FORWARD(Lib::Mixer, Mix_Chunk*, Mix_QuickLoad_RAW, (Uint8 * mem, Uint32 len), (mem, len),
           nullptr)
TM_FORWARD(Lib::Mixer, void, Mix_FreeChunk, (Mix_Chunk * chunk), (chunk), )
TM_FORWARD(Lib::Mixer, int, Mix_PlayChannel, (int channel, Mix_Chunk* chunk, int loops),
           (channel, chunk, loops), -1)
TM_FORWARD(Lib::Mixer, int, Mix_Playing, (int channel), (channel), 0)
TM_FORWARD(Lib::Mixer, Mix_Chunk*, Mix_GetChunk, (int channel), (channel), nullptr)
TM_FORWARD(Lib::Mixer, int, Mix_QuerySpec, (int* frequency, Uint16* format, int* channels),
           (frequency, format, channels), 0)
TM_FORWARD(Lib::Mixer, int, Mix_HaltChannel, (int channel), (channel), 0)
TM_FORWARD(Lib::Mixer, int, Mix_Volume, (int channel, int volume), (channel, volume), 0)
TM_FORWARD(Lib::Mixer, Mix_Music*, Mix_LoadMUSType_RW,
           (SDL_RWops * src, Mix_MusicType type, int freesrc), (src, type, freesrc), nullptr)
TM_FORWARD(Lib::Mixer, void, Mix_FreeMusic, (Mix_Music * music), (music), )
TM_FORWARD(Lib::Mixer, int, Mix_PlayMusic, (Mix_Music * music, int loops), (music, loops), -1)
TM_FORWARD(Lib::Mixer, int, Mix_FadeInMusicPos,
           (Mix_Music * music, int loops, int ms, double position), (music, loops, ms, position),
           -1)
TM_FORWARD(Lib::Mixer, int, Mix_PlayingMusic, (void), (), 0)
TM_FORWARD(Lib::Mixer, int, Mix_HaltMusic, (void), (), 0)
TM_FORWARD(Lib::Mixer, void, Mix_PauseMusic, (void), (), )
TM_FORWARD(Lib::Mixer, void, Mix_ResumeMusic, (void), (), )
TM_FORWARD(Lib::Mixer, int, Mix_VolumeMusic, (int volume), (volume), 0)
TM_FORWARD(Lib::Mixer, int, Mix_SetMusicPosition, (double position), (position), -1)
TM_FORWARD(Lib::Mixer, double, Mix_GetMusicPosition, (Mix_Music * music), (music), -1.0)
TM_FORWARD(Lib::Mixer, double, Mix_MusicDuration, (Mix_Music * music), (music), -1.0)
TM_FORWARD(Lib::Mixer, int, Mix_GetNumMusicDecoders, (void), (), 0)
TM_FORWARD(Lib::Mixer, const char*, Mix_GetMusicDecoder, (int index), (index), nullptr)
