#pragma once

#include <unistd.h>

#include <cstdint>
#include <map>
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

// Ends the whole test program (SIGALRM) when a scope outlives its time: a
// hang fails at once instead of holding up the run.
struct Watchdog {
    explicit Watchdog(unsigned seconds) { alarm(seconds); }
    ~Watchdog() { alarm(0); }
};

// A FLAC stream header stating `samples` at 44.1 kHz, followed by `body`.
inline std::string FlacHeader(std::uint64_t samples, const std::string& body) {
    std::string info = {0x10, 0x00, 0x10, 0x00, 0,
                        0,    0,    0,    0,    0};  // block sizes 4096, frame sizes unknown
    const std::uint64_t bits = (std::uint64_t{44100} << 44) | (std::uint64_t{1} << 41) |
                               (std::uint64_t{15} << 36) | samples;
    for (int i = 7; i >= 0; --i)
        info += static_cast<char>(bits >> (8 * i));
    info += std::string(16, '\0');  // no checksum
    return "fLaC" + std::string{'\x80', 0, 0, 34} + info + body;
}

// A four-channel tracker module of one pattern that plays one note and jumps
// back to its start: it states no length worth the name and gives no position.
inline std::string LoopingModule() {
    std::string m = "tidemere loop";
    m.resize(20, '\0');
    for (int i = 0; i < 31; ++i) {
        std::string sample(30, '\0');
        sample[0] = 's';
        if (i == 0) sample[23] = 16;  // 16 words of sample data
        sample[25] = 0x40;            // full volume
        sample[29] = 1;               // loop length 1: no loop
        m += sample;
    }
    m += std::string{1, 127} + std::string(128, '\0') + "M.K.";
    std::string pattern(1024, '\0');
    pattern.replace(0, 8, std::string{0x10, '\xD6', 0x0F, 0x01, 0, 0, 0x0B, 0});
    return m + pattern + std::string(32, '\0');
}

// A player that only remembers: which file, whether it plays, where it is.
// Files whose name starts with "bad" cannot be played.
class RecordingPlayer final : public TrackPlayer {
public:
    void SetFileName(const std::string& path) override { file = path; }
    void Open() override {
        canPlay = !file.empty() && file.rfind("bad", 0) != 0;
        if (!file.empty()) ++opens[file];
    }
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
    Run Progress() const override {
        if (!playing) return Run::Going;
        return file == breaks ? Run::Broken : position >= length ? Run::Finished : Run::Going;
    }
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
    std::string breaks;  // the file the mixer gives up on once it plays
    std::vector<std::string> played;
    std::map<std::string, int> opens;
};
