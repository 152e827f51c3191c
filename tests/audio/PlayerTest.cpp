// The music player and the built-in loop on SDL's real mixer (silent driver).

#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "audio/AudioDevice.h"
#include "audio/AudioTestSupport.h"
#include "audio/BuiltinSound.h"
#include "audio/MciPlayer.h"
#include "audio/MusicPlaylist.h"
#include "settings/SettingsRecord.h"

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class RealAudio : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override {
        UseDummyAudio();
        ASSERT_TRUE(OpenAudioDevice()) << SDL_GetError();
    }
    std::string Tone(const std::string& name, int ms) {
        WriteToneWav(dir.File(name), ms);
        return dir.File(name);
    }
};

TEST_F(RealAudio, PlaysToTheEndAndRefusesWhatIsNotAudio) {
    MciPlayer player;
    player.SetFileName(Tone("tone.wav", 250));
    player.Open();
    ASSERT_TRUE(player.CanPlay()) << player.LastError();
    EXPECT_NEAR(player.Length(), 250, 5);
    player.SetVolume(500);
    player.Play();
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    for (int i = 0; i < 300 && player.Position() != player.Length(); ++i) Sleep(10);
    EXPECT_EQ(player.Position(), player.Length());
    player.Stop();
    player.Seek(0);
    EXPECT_EQ(player.Position(), 0);
    EXPECT_FALSE(Mix_PlayingMusic());

    WriteWholeFile(dir.File("empty.wav"), "");
    WriteWholeFile(dir.File("text.mp3"), std::string(4000, 'x') + "not music at all");
    WriteWholeFile(dir.File("junk.wav"), "RIFF\x10\0\0\0WAVEjunkjunk");
    std::filesystem::create_directory(dir.File("folder.mp3"));
    for (const char* name : {"missing.wav", "empty.wav", "text.mp3", "junk.wav", "folder.mp3"}) {
        player.SetFileName(dir.File(name));
        player.Open();
        EXPECT_FALSE(player.CanPlay()) << name;
        EXPECT_FALSE(player.LastError().empty()) << name;
    }
}

// Runs the dialog's 200 ms timer (faster) until `rows` tracks have started.
std::vector<int> PlayedRows(MusicPlaylist& list, std::size_t rows) {
    std::vector<int> seen{list.CurrentTrackRow()};
    for (int i = 0; i < 600 && seen.size() < rows; ++i) {
        Sleep(10);
        list.OnTimer();
        if (list.CurrentTrackRow() != seen.back()) seen.push_back(list.CurrentTrackRow());
    }
    return seen;
}

TEST_F(RealAudio, RepeatAllWrapsAndRepeatOneRestartsOnRealTracks) {
    MciPlayer player;
    MusicPlaylist list(player, 1000);
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) list.AddRow(Tone(name, 150));
    list.SelectMode(MusicPlaylist::RepeatAll);
    list.OnPlayButton();
    EXPECT_EQ(PlayedRows(list, 4), (std::vector<int>{0, 1, 2, 0}));
    unlink(dir.File("a.wav").c_str());  // deleted while it plays: it ends and the list moves on
    EXPECT_EQ(PlayedRows(list, 2), (std::vector<int>{0, 1}));

    list.OnStopButton();
    list.SelectMode(MusicPlaylist::RepeatOne);
    list.Select(2);
    list.OnPlayButton();
    // Repeat One never changes row; it is back at the start after the end.
    bool restarted = false;
    long last = 0;
    for (int i = 0; i < 300 && !restarted; ++i) {
        Sleep(10);
        list.OnTimer();
        const long pos = player.Position();
        restarted = pos < last;
        last = pos;
    }
    EXPECT_TRUE(restarted);
    EXPECT_EQ(list.CurrentTrackRow(), 2);
    EXPECT_EQ(player.FileName(), dir.File("c.wav"));
}

std::atomic<long> mixedFrames{0}, loudest{0}, worstImbalance{0};

void Measure(void*, Uint8* stream, int len) {
    const auto* s = reinterpret_cast<const Sint16*>(stream);
    for (int i = 0; i + 1 < len / 2; i += 2) {
        loudest = std::max<long>(loudest, std::abs(s[i]));
        worstImbalance = std::max<long>(worstImbalance, std::abs(s[i] - s[i + 1]));
    }
    mixedFrames += len / 4;
}

TEST_F(RealAudio, BuiltInLoopStartsOnceWhenSilenceEndsAndSoundsAlikeOnBothChannels) {
    ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
    Settings.Yinliang = 32767;
    MusicSilenceRequest = true;
    const BuiltinSoundCounters before = BuiltinSoundCounts();
    for (int i = 0; i < 5; ++i) BuiltinSoundHandshake();
    EXPECT_EQ(BuiltinSoundCounts().stopRequests, before.stopRequests + 5);
    EXPECT_EQ(BuiltinSoundCounts().starts, before.starts);
    EXPECT_FALSE(BuiltinSoundPlaying());

    Mix_SetPostMix(Measure, nullptr);
    MusicSilenceRequest = false;
    for (int i = 0; i < 5; ++i) BuiltinSoundHandshake();
    EXPECT_EQ(BuiltinSoundCounts().starts, before.starts + 1);
    EXPECT_TRUE(BuiltinSoundPlaying());
    EXPECT_EQ(Mix_Volume(kBuiltinSoundChannel, -1), 64);  // 65535 - 32767, halved
    // The unpacked files are gone at once.
    EXPECT_FALSE(std::filesystem::exists(dir.File("VelmarScr/Music.wav")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("VelmarScr/Music.ad")));

    const long start = mixedFrames;
    for (int i = 0; i < 200 && mixedFrames - start < 22050; ++i) Sleep(10);
    Mix_SetPostMix(nullptr, nullptr);
    EXPECT_GE(mixedFrames - start, 22050);
    EXPECT_GT(loudest, 200) << "the loop is audible";
    EXPECT_EQ(worstImbalance, 0) << "left and right differ";

    MusicSilenceRequest = true;
    BuiltinSoundHandshake();
    EXPECT_FALSE(BuiltinSoundPlaying());
}

}  // namespace
