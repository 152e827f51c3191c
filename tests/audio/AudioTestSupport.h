#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/TrackPlayer.h"
#include "support/TempDir.h"

// Every audio test runs on SDL's silent driver unless told otherwise.
inline void UseDummyAudio() {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

// A mono 16-bit PCM WAV file holding `ms` of silence: the tests follow
// positions and ends, not what is heard.
inline void WriteSilentWav(const std::string& path, int ms) {
    const std::uint32_t rate = 22050, bytes = rate * ms / 1000 * 2;
    auto u32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8),
                           static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    };
    auto u16 = [](std::uint16_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
    };
    WriteWholeFile(path, "RIFF" + u32(36 + bytes) + "WAVEfmt " + u32(16) + u16(1) + u16(1) +
                             u32(rate) + u32(rate * 2) + u16(2) + u16(16) + "data" + u32(bytes) +
                             std::string(bytes, '\0'));
}

// A player that only remembers: which file, whether it plays, where it is.
// Files whose name starts with "bad" cannot be played.
class RecordingPlayer final : public TrackPlayer {
public:
    void SetFileName(const std::string& path) override { file = path; }
    void Open() override { canPlay = !file.empty() && file.rfind("bad", 0) != 0; }
    bool CanPlay() const override { return canPlay; }
    void Play() override {
        if (canPlay) {
            playing = true;
            played.push_back(file);
        }
    }
    void Stop() override { playing = false; }
    void Close() override { playing = false; }
    void Seek(long ms) override { position = ms; }
    long Position() const override { return position; }
    long Length() const override { return length; }
    void SetVolume(int v) override { volume = v; }
    std::string LastError() const override { return "unreadable"; }

    // The loaded track plays to its end.
    void FinishTrack() { position = length; }

    std::string file;
    bool canPlay = false;
    bool playing = false;
    long position = 0;
    long length = 5000;
    int volume = -1;
    std::vector<std::string> played;
};
