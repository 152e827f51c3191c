#pragma once

#include <chrono>
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
    Run Progress() const override;
    void SetVolume(int volume) override;
    int Volume() const { return volume_; }
    std::string LastError() const override { return error_; }

    // Mixer volume (0..128) for a player volume (0..1000).
    static int MixVolume(int volume);

    // A position standing still this long while the mixer plays is the end.
    static constexpr std::chrono::milliseconds kStall{3000};
    // Without a position, the stated length plus this is the end.
    static constexpr std::chrono::milliseconds kOverrun{2000};

private:
    bool Sounding() const;
    void MarkRunning(long fromMs);

    std::string fileName_;
    std::string error_;
    Mix_Music* music_ = nullptr;
    bool canPlay_ = false;
    bool started_ = false;  // Play ran and no Stop or Close since
    bool refused_ = false;  // the mixer would not start the track
    long runFromMs_ = 0;    // where the track was when it last started or seeked
    std::chrono::steady_clock::time_point runSince_{};
    mutable double lastPosition_ = -1;
    mutable std::chrono::steady_clock::time_point lastMove_{};
    long resumeMs_ = 0;  // where Play starts
    int volume_ = 1000;
};
