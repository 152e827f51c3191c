// A music file: any bytes are either refused by their first bytes or handed
// to the mixer's decoder for the type those bytes name, which loads them or
// says no; nothing crashes, and the length it states is a number or unknown.
#include <SDL_mixer.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "audio/AudioDevice.h"
#include "audio/TrackFile.h"
#include "support/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    fuzz::Check(OpenAudioDevice(), "the silent sound device opens");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::WriteScratch("track", data, size);
    OpenedTrack track = OpenTrack(path);
    const int type = TrackTypeOf(data, size < kTrackHeadBytes ? size : kTrackHeadBytes);
    fuzz::Check((track.rw != nullptr) == (type != MUS_NONE), "refused exactly when unknown");
    if (!track.rw) return 0;
    fuzz::Check(track.type == type, "the type comes from the first bytes");
    QuietStderr quiet;
    Mix_Music* music = Mix_LoadMUSType_RW(track.rw, static_cast<Mix_MusicType>(type), 1);
    if (music) {
        const double seconds = Mix_MusicDuration(music);
        fuzz::Check(std::isnan(seconds) || seconds >= -1, "a length or unknown");
        Mix_FreeMusic(music);
    }
    return 0;
}
