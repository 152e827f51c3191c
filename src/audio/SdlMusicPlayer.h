#pragma once

#include <string>

#include "audio/TrackPlayer.h"

typedef struct _Mix_Music Mix_Music;

// The user's music through SDL_mixer: one file at a time. Without a sound
// device it loads nothing and stays silent.
class SdlMusicPlayer final : public TrackPlayer {
public:
    SdlMusicPlayer() = default;
    ~SdlMusicPlayer() override;
    SdlMusicPlayer(const SdlMusicPlayer&) = delete;
    SdlMusicPlayer& operator=(const SdlMusicPlayer&) = delete;

    void SetFileName(const std::string& path) override { fileName_ = path; }
    const std::string& FileName() const { return fileName_; }
    void Open() override;
    bool CanPlay() const override { return canPlay_; }
    void Play() override;
    void Stop() override;
    void Close() override;
    void Seek(long ms) override;
    long Position() const override;
    long Length() const override;
    void SetVolume(int volume) override;
    int Volume() const { return volume_; }
    std::string LastError() const override { return error_; }

    // Mixer volume (0..128) for a player volume (0..1000).
    static int MixVolume(int volume);

private:
    bool Sounding() const;

    std::string fileName_;
    std::string error_;
    Mix_Music* music_ = nullptr;
    bool canPlay_ = false;
    bool started_ = false;  // Play ran and no Stop, Seek or Close since
    long resumeMs_ = 0;     // where Play starts
    int volume_ = 1000;
};
