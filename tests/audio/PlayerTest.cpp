// The music player and the built-in loop on SDL's real mixer (silent driver).

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio/AudioDevice.h"
#include "audio/AudioTestSupport.h"
#include "audio/BuiltinSound.h"
#include "audio/SdlMusicPlayer.h"
#include "audio/MusicPlaylist.h"
#include "settings/SettingsRecord.h"

namespace {

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
        if (list.CurrentTrackRow() != seen.back()) seen.push_back(list.CurrentTrackRow());
    }
    return seen;
}

TEST_F(RealAudio, RepeatAllPlaysTracksToTheirEndsAndPassesOverWhatIsNotAudio) {
    SdlMusicPlayer player;
    MusicPlaylist list(player, 500);
    WriteWholeFile(dir.File("text.mp3"), std::string(4000, 'x') + "not music at all");
    for (const std::string& path :
         {Track("a.wav", 150), dir.File("text.mp3"), dir.File("gone.wav"), Track("d.wav", 150)})
        list.AddRow(path);
    list.SelectMode(MusicPlaylist::RepeatAll);
    list.OnPlayButton();
    EXPECT_NEAR(player.Length(), 150, 5);
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    EXPECT_EQ(PlayedRows(list, 3), (std::vector<int>{0, 3, 0}));
    list.OnStopButton();
    EXPECT_FALSE(Mix_PlayingMusic());
    EXPECT_EQ(player.Position(), 0);
}

TEST_F(RealAudio, BuiltInLoopStartsOnceWhenSilenceEnds) {
    Settings.Yinliang = 32767;
    MusicSilenceRequest = true;
    const BuiltinSoundCounters before = BuiltinSoundCounts();
    for (int i = 0; i < 5; ++i)
        BuiltinSoundHandshake();
    EXPECT_EQ(BuiltinSoundCounts().starts, before.starts);

    MusicSilenceRequest = false;
    for (int i = 0; i < 5; ++i)
        BuiltinSoundHandshake();
    EXPECT_EQ(BuiltinSoundCounts().starts, before.starts + 1);
    EXPECT_TRUE(BuiltinSoundPlaying());
    EXPECT_EQ(Mix_Volume(kBuiltinSoundChannel, -1), 64);  // 65535 - 32767, halved

    MusicSilenceRequest = true;
    BuiltinSoundHandshake();
    EXPECT_FALSE(BuiltinSoundPlaying());
}

}  // namespace
