// The music player and the built-in loop on SDL's real mixer (silent driver).

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "audio/AudioDevice.h"
#include "audio/AudioTestSupport.h"
#include "audio/BuiltinSound.h"
#include "audio/MusicPlaylist.h"
#include "audio/SdlMusicPlayer.h"
#include "audio/TrackFile.h"
#include "scene/Resources.h"

namespace {

using namespace std::string_literals;

class RealAudio : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override {
        UseDummyAudio();
        ASSERT_TRUE(OpenAudioDevice()) << SDL_GetError();
    }
    std::string Track(const std::string& name, int ms) {
        WriteSilentWav(dir.File(name), ms);
        return dir.File(name);
    }
};

// Runs the dialog's 200 ms timer (faster) until `rows` tracks have started.
std::vector<int> PlayedRows(MusicPlaylist& list, std::size_t rows) {
    std::vector<int> seen{list.CurrentTrackRow()};
    for (int i = 0; i < 600 && seen.size() < rows; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        list.OnTimer();
        const int row = list.CurrentTrackRow();  // -1 while it looks for a track
        if (row >= 0 && row != seen.back()) seen.push_back(row);
    }
    return seen;
}

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = static_cast<char>(gen());
    return bytes;
}

void SparseFile(const std::string& path, const std::string& head, off_t size) {
    WriteWholeFile(path, head);
    ASSERT_EQ(truncate(path.c_str(), size), 0);
}

std::size_t LinesNaming(const std::string& text, const std::string& path) {
    std::size_t n = 0;
    for (std::size_t at = text.find(path + ":"); at != std::string::npos;
         at = text.find(path + ":", at + 1))
        ++n;
    return n;
}

// What the first bytes say decides the decoder; anything else is refused
// before a decoder sees it (the module player would read it whole).
TEST(TrackType, OnlyContentTheMixerKnowsIsMusic) {
    std::string mod(1084, '\0');
    mod.replace(1080, 4, "M.K.");
    std::string wav;
    {
        TempDir d;
        WriteSilentWav(d.File("t.wav"), 10);
        wav = ReadWholeFile(d.File("t.wav"));
    }
    const struct {
        std::string head;
        int type;
    } cases[] = {
        {wav, MUS_WAV},
        {"FORM\0\0\0\0AIFF"s, MUS_WAV},
        {"OggS" + std::string(24, '\0') + "OpusHead", MUS_OPUS},
        {"OggS" + std::string(40, '\0'), MUS_OGG},
        {FlacHeader(0, ""), MUS_FLAC},
        {"MThd\0\0\0\6"s, MUS_MID},
        {"ID3\3\0\0\0\0\1\0"s, MUS_MP3},
        {"\xFF\xFB\x90\xC0"s, MUS_MP3},  // MPEG-1 layer III frame
        {"Extended Module: song"s, MUS_MOD},
        {mod, MUS_MOD},
        {"ID3\3\0\0\x80\0\0\0"s, MUS_NONE},  // a tag size no tag has
        {"\xFF\xFF\xFF\xFF"s, MUS_NONE},     // sync, but no real rate
        {std::string(1084, '\0'), MUS_NONE},
        {RandomBytes(4096, 5), MUS_NONE},
        {"", MUS_NONE},
    };
    for (const auto& c : cases) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(c.head.data());
        EXPECT_EQ(TrackTypeOf(bytes, c.head.size()), c.type)
            << testing::PrintToString(c.head.substr(0, 16));
    }
}

// Each hostile row is refused or passed over without blocking and said once
// on stderr; the list always goes on to the next track that plays.
TEST_F(RealAudio, HostileTracksAreRefusedOnceAndTheListMovesOn) {
    const Watchdog watchdog(60);
    struct Hostile {
        const char* name;
        std::function<void(const std::string&)> make;
    };
    const std::vector<Hostile> hostile = {
        {"fifo.wav", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
        {"folder.mp3", [](const std::string& p) { std::filesystem::create_directory(p); }},
        {"zero.wav", [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); }},
        {"gone.wav", [](const std::string&) {}},
        {"random.mp3", [](const std::string& p) { WriteWholeFile(p, RandomBytes(300000, 1)); }},
        {"random.flac", [](const std::string& p) { WriteWholeFile(p, RandomBytes(300000, 2)); }},
        {"random.xm", [](const std::string& p) { WriteWholeFile(p, RandomBytes(300000, 3)); }},
        // A FLAC header the mixer takes, over frames it cannot play.
        {"header.flac",
         [](const std::string& p) { WriteWholeFile(p, FlacHeader(44100, RandomBytes(20000, 4))); }},
        // Sparse: no disk is used.
        {"huge.dat",
         [](const std::string& p) {
             WriteSilentWav(p, 100);  // a short WAV made huge
             SparseFile(p, ReadWholeFile(p), off_t{2} << 30);
         }},
        {"zeros.dat", [](const std::string& p) { SparseFile(p, "", off_t{200} << 20); }},
        {"huge.xm",
         [](const std::string& p) { SparseFile(p, "Extended Module: x", off_t{200} << 20); }},
    };
    SdlMusicPlayer player;
    MusicPlaylist list(player, 500);
    list.AddRow(Track("a.wav", 120));
    for (const Hostile& h : hostile)
        list.AddRow(dir.File(h.name));
    list.AddRow(Track("swapped.wav", 120));
    list.AddRow(Track("b-caf\xE9.wav", 120));  // a Latin-1 name: bytes, not UTF-8
    for (const Hostile& h : hostile)
        h.make(dir.File(h.name));
    const int a = 0, swapped = static_cast<int>(hostile.size()) + 1, b = swapped + 1;

    testing::internal::CaptureStderr();
    list.SelectMode(MusicPlaylist::RepeatAll);
    list.OnPlayButton();
    EXPECT_NEAR(player.Length(), 120, 5);
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    std::vector<int> rows = PlayedRows(list, 3);
    // The listed file becomes a FIFO once it has played.
    std::filesystem::remove(dir.File("swapped.wav"));
    ASSERT_EQ(mkfifo(dir.File("swapped.wav").c_str(), 0600), 0);
    const std::vector<int> more = PlayedRows(list, 3);
    rows.insert(rows.end(), more.begin() + 1, more.end());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(rows, (std::vector<int>{a, swapped, b, a, b}));
    for (const Hostile& h : hostile)
        EXPECT_EQ(LinesNaming(said, dir.File(h.name)), 1u) << said;
    EXPECT_EQ(LinesNaming(said, dir.File("swapped.wav")), 1u) << said;
    list.OnStopButton();
    EXPECT_FALSE(Mix_PlayingMusic());
    EXPECT_EQ(player.Position(), 0);
}

// A track the mixer plays but that stops moving ends: paused music stands in
// for a decoder that gives nothing.
TEST_F(RealAudio, ATrackThatStopsMovingEnds) {
    const Watchdog watchdog(30);
    WriteWholeFile(dir.File("loop.mod"), LoopingModule());
    for (const std::string& path : {Track("long.wav", 60000), dir.File("loop.mod")}) {
        SCOPED_TRACE(path);
        SdlMusicPlayer player;
        player.SetFileName(path);
        player.Open();
        ASSERT_TRUE(player.CanPlay()) << player.LastError();
        player.Play();
        Mix_PauseMusic();
        EXPECT_EQ(player.Progress(), TrackPlayer::Run::Going);
        const auto t0 = std::chrono::steady_clock::now();
        while (player.Progress() == TrackPlayer::Run::Going &&
               std::chrono::steady_clock::now() - t0 < std::chrono::seconds(8))
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Mix_ResumeMusic();
        EXPECT_EQ(player.Progress(), TrackPlayer::Run::Finished);
        player.Close();
    }
}

TEST_F(RealAudio, BuiltInLoopStartsOnceWhenSilenceEnds) {
    const int yinliang = 32767;
    const BuiltinSoundCounters before = BuiltinSoundCounts();
    for (int i = 0; i < 5; ++i)
        BuiltinSoundHandshake(true, yinliang);
    EXPECT_EQ(BuiltinSoundCounts().starts, before.starts);

    for (int i = 0; i < 5; ++i)
        BuiltinSoundHandshake(false, yinliang);
    EXPECT_EQ(BuiltinSoundCounts().starts, before.starts + 1);
    EXPECT_TRUE(BuiltinSoundPlaying());
    EXPECT_EQ(Mix_Volume(kBuiltinSoundChannel, -1), 64);  // 65535 - 32767, halved
    // The loop holds the whole sound, converted to the device's format.
    const std::string wav = LoadResourceBytes(227);
    ASSERT_GT(wav.size(), 44u);
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
    const auto le32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at])) |
               static_cast<unsigned char>(wav[at + 1]) << 8 |
               static_cast<unsigned char>(wav[at + 2]) << 16 |
               static_cast<unsigned char>(wav[at + 3]) << 24;
    };
    const double seconds = (wav.size() - 44.0) / le32(28);  // bytes over bytes a second
    const double expected = seconds * frequency * channels * SDL_AUDIO_BITSIZE(format) / 8;
    ASSERT_NE(Mix_GetChunk(kBuiltinSoundChannel), nullptr);
    EXPECT_NEAR(Mix_GetChunk(kBuiltinSoundChannel)->alen, expected, expected / 100);

    BuiltinSoundHandshake(true, yinliang);
    EXPECT_FALSE(BuiltinSoundPlaying());
}

}  // namespace
