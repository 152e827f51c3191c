#include "audio/SdlMusicPlayer.h"

#include <SDL_mixer.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>

#include "audio/AudioDevice.h"

namespace {

// The mixer plays one piece of music at a time; this is the player that owns it.
const SdlMusicPlayer* owner = nullptr;
}  // namespace

SdlMusicPlayer::~SdlMusicPlayer() { Close(); }

int SdlMusicPlayer::MixVolume(int volume) {
    return (std::clamp(volume, 0, 1000) * MIX_MAX_VOLUME + 500) / 1000;
}

void SdlMusicPlayer::Open() {
    Close();
    canPlay_ = false;
    error_.clear();
    // The device opens with the first player, media or not.
    if (!OpenAudioDevice()) {
        error_ = "no sound device";
        return;
    }
    if (fileName_.empty()) return;  // a player with no media
    struct stat st {};
    if (stat(fileName_.c_str(), &st) != 0) {
        error_ = "no such file";
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        error_ = "not a file";
        return;
    }
    {
        // The MP3 decoder reports every bad frame it skips while probing a
        // file; one line of our own says what went wrong instead.
        QuietStderr quiet;
        music_ = Mix_LoadMUS(fileName_.c_str());
    }
    if (!music_) {
        error_ = Mix_GetError();
        return;
    }
    canPlay_ = true;
    resumeMs_ = 0;
}

bool SdlMusicPlayer::Sounding() const { return music_ && owner == this && Mix_PlayingMusic(); }

void SdlMusicPlayer::Play() {
    if (!music_) return;
    Mix_VolumeMusic(MixVolume(volume_));
    const double from = resumeMs_ / 1000.0;
    const int result = from > 0 ? Mix_FadeInMusicPos(music_, 0, 0, from) : Mix_PlayMusic(music_, 0);
    owner = result == 0 ? this : nullptr;
    started_ = result == 0;
}

void SdlMusicPlayer::Stop() {
    if (Sounding()) {
        resumeMs_ = Position();
        Mix_HaltMusic();
    }
    started_ = false;
}

void SdlMusicPlayer::Close() {
    Stop();
    if (music_) {
        if (owner == this) owner = nullptr;
        Mix_FreeMusic(music_);
        music_ = nullptr;
    }
    resumeMs_ = 0;
}

void SdlMusicPlayer::Seek(long ms) {
    resumeMs_ = std::max(0L, ms);
    if (Sounding()) Mix_SetMusicPosition(resumeMs_ / 1000.0);
}

long SdlMusicPlayer::Length() const {
    if (!music_) return 0;
    const double seconds = Mix_MusicDuration(music_);
    return seconds < 0 ? -1 : std::lround(seconds * 1000.0);
}

long SdlMusicPlayer::Position() const {
    if (!music_) return 0;
    // Played through (or cut short by a read error): the track is at its end.
    if (started_ && !Sounding()) return Length();
    if (!Sounding()) return resumeMs_;
    const double seconds = Mix_GetMusicPosition(music_);
    if (seconds < 0) return resumeMs_;
    // Decoders may report a hair past the length at the very end.
    return std::min(std::lround(seconds * 1000.0), std::max(0L, Length() - 1));
}

void SdlMusicPlayer::SetVolume(int volume) {
    volume_ = std::clamp(volume, 0, 1000);
    if (AudioDeviceOpen() && owner == this) Mix_VolumeMusic(MixVolume(volume_));
}
