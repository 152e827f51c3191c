#include "audio/SdlMusicPlayer.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>

#include "audio/AudioDevice.h"
#include "audio/TrackFile.h"

namespace {

// SDL_mixer has one music stream per process, so which player holds it is a
// fact of the process, kept here alone: a player stops, measures or sets the
// volume of the stream only while it holds it.
class MixerMusicChannel {
public:
    static bool HeldBy(const SdlMusicPlayer* player) { return Holder() == player; }
    // Playing takes the stream from whoever held it; a refused start leaves it to nobody.
    static void Take(const SdlMusicPlayer* player) { Holder() = player; }
    static void Release(const SdlMusicPlayer* player) {
        if (Holder() == player) Holder() = nullptr;
    }

private:
    static const SdlMusicPlayer*& Holder() {
        static const SdlMusicPlayer* holder = nullptr;
        return holder;
    }
};

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
    OpenedTrack track = OpenTrack(fileName_);
    if (!track.rw) {
        error_ = track.error;
        return;
    }
    {
        // The MP3 decoder reports every bad frame it skips while probing a
        // file; one line of our own says what went wrong instead.
        QuietStderr quiet;
        music_ = Mix_LoadMUSType_RW(track.rw, static_cast<Mix_MusicType>(track.type), 1);
    }
    if (!music_) {
        error_ = Mix_GetError();
        return;
    }
    canPlay_ = true;
    resumeMs_ = 0;
}

bool SdlMusicPlayer::Sounding() const {
    return music_ && MixerMusicChannel::HeldBy(this) && Mix_PlayingMusic();
}

void SdlMusicPlayer::Play() {
    if (!music_) return;
    Mix_VolumeMusic(MixVolume(volume_));
    const double from = resumeMs_ / 1000.0;
    const int result = from > 0 ? Mix_FadeInMusicPos(music_, 0, 0, from) : Mix_PlayMusic(music_, 0);
    MixerMusicChannel::Take(result == 0 ? this : nullptr);
    started_ = true;
    refused_ = result != 0;
    if (refused_) error_ = Mix_GetError();
    MarkRunning(resumeMs_);
}

void SdlMusicPlayer::MarkRunning(long fromMs) {
    runFromMs_ = fromMs;
    runSince_ = std::chrono::steady_clock::now();
    lastPosition_ = -1;
    lastMove_ = runSince_;
}

TrackPlayer::Run SdlMusicPlayer::Progress() const {
    if (!music_ || !started_) return Run::Going;
    if (refused_) return Run::Broken;
    if (!Sounding()) return Run::Finished;
    const auto now = std::chrono::steady_clock::now();
    const double seconds = Mix_GetMusicPosition(music_);
    if (seconds >= 0) {
        // A position that stops moving while the mixer says it plays is
        // silence for ever.
        if (seconds != lastPosition_) {
            lastPosition_ = seconds;
            lastMove_ = now;
        } else if (now - lastMove_ > kStall) {
            return Run::Finished;
        }
        // A position past the length is no end: a VBR MP3 without a header
        // states a length far too short and plays on.
        return Run::Going;
    }
    // No position from this decoder (modules): a looping module would play
    // for ever, so its stated length plus a margin is the end.
    const long length = Length();
    if (length >= 0 && now - runSince_ > std::chrono::milliseconds(length - runFromMs_) + kOverrun)
        return Run::Finished;
    return Run::Going;
}

void SdlMusicPlayer::Stop() {
    if (Sounding()) {
        resumeMs_ = Position();
        Mix_HaltMusic();
    }
    started_ = false;
    refused_ = false;
}

void SdlMusicPlayer::Close() {
    Stop();
    if (music_) {
        MixerMusicChannel::Release(this);
        Mix_FreeMusic(music_);
        music_ = nullptr;
    }
    resumeMs_ = 0;
}

void SdlMusicPlayer::Seek(long ms) {
    resumeMs_ = std::max(0L, ms);
    if (Sounding()) {
        Mix_SetMusicPosition(resumeMs_ / 1000.0);
        MarkRunning(resumeMs_);
    }
}

long SdlMusicPlayer::Length() const {
    if (!music_) return 0;
    const double seconds = Mix_MusicDuration(music_);
    // Some decoders state NaN for a stream they cannot measure.
    return !(seconds >= 0) ? -1 : std::lround(seconds * 1000.0);
}

long SdlMusicPlayer::Position() const {
    if (!music_) return 0;
    // Played through (or cut short by a read error): the track is at its end.
    if (started_ && !Sounding()) return Length();
    if (!Sounding()) return resumeMs_;
    const double seconds = Mix_GetMusicPosition(music_);
    if (!(seconds >= 0)) return resumeMs_;
    // Decoders may report a hair past the length at the very end.
    return std::min(std::lround(seconds * 1000.0), std::max(0L, Length() - 1));
}

void SdlMusicPlayer::SetVolume(int volume) {
    volume_ = std::clamp(volume, 0, 1000);
    if (AudioDeviceOpen() && MixerMusicChannel::HeldBy(this)) Mix_VolumeMusic(MixVolume(volume_));
}
