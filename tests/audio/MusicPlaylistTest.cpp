// The playlist's state machine, driven without windows or sound.

#include <gtest/gtest.h>

#include <algorithm>

#include "audio/AudioTestSupport.h"
#include "audio/MusicPlaylist.h"
#include "platform/IniFile.h"
#include "platform/Random.h"

namespace {

using State = MusicPlaylist::PlayState;
using Names = std::vector<std::string>;

class Playlist : public ::testing::Test {
protected:
    RecordingPlayer player;
    MusicPlaylist list{player, 700};

    void AddRows(std::initializer_list<const char*> rows) {
        for (const char* r : rows)
            list.AddRow(r);
    }
    // The loaded track ends and the next timer tick reacts.
    void EndTracks(int n) {
        for (int i = 0; i < n; ++i) {
            player.FinishTrack();
            list.OnTimer();
        }
    }
};

TEST_F(Playlist, RandomFollowsTheRandomSourceIncludingTheFirstTrack) {
    AddRows({"a.wav", "b.wav", "c.wav"});
    ScriptedRandom script({5, 7, 4});
    ScopedRandomSource use(script);
    list.SelectMode(MusicPlaylist::Random);
    list.OnPlayButton();  // nothing selected: 5 % 3
    EndTracks(2);         // 7 % 3, then 4 % 3: the same track again
    EXPECT_EQ(player.played, (Names{"c.wav", "b.wav", "b.wav"}));
    EXPECT_EQ(player.volume, 700);
}

TEST_F(Playlist, PlayClickAndStopFollowTheRules) {
    AddRows({"a.wav", "b.wav", "c.wav"});
    list.Select(2);
    list.OnRowClicked();  // stopped: loaded, not played
    EXPECT_EQ(player.file, "c.wav");
    EXPECT_FALSE(player.playing);
    list.OnPlayButton();
    EXPECT_EQ(player.played, (Names{"c.wav"}));
    EXPECT_FALSE(list.ListButtonsEnabled());
    EXPECT_TRUE(list.OwnMusic()) << "playing checks On/Off";
    list.Select(0);
    list.OnRowClicked();  // playing: starts at once
    EXPECT_EQ(player.played.back(), "a.wav");
    list.OnStopButton();
    list.Select(1);
    list.OnPlayButton();
    ASSERT_EQ(list.CurrentTrackRow(), 1);

    list.OnStopButton();
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(list.CurrentTrackRow(), -1);
    EXPECT_TRUE(list.ListButtonsEnabled());
    EXPECT_TRUE(list.OwnMusic()) << "Stop leaves On/Off alone";
    for (int mode : {MusicPlaylist::RepeatOne, MusicPlaylist::RepeatAll}) {
        list.SelectMode(mode);
        list.OnStopButton();
        list.OnPlayButton();  // no selection: the first row
        EXPECT_EQ(player.played.back(), "a.wav") << mode;
    }
}

TEST_F(Playlist, RepeatOneRepeatsThePlayingRowAtTheVolumeLastSet) {
    AddRows({"a.wav", "b.wav"});
    list.Select(1);
    list.OnPlayButton();
    list.OnVolume(300);
    EndTracks(2);
    EXPECT_EQ(player.played, (Names{"b.wav", "b.wav", "b.wav"}));
    EXPECT_EQ(player.volume, 300);
}

TEST_F(Playlist, OnOffStartsAndStopsAndAloneSilencesTheBuiltInSound) {
    list.OnOwnMusicToggled(true);  // empty list: nothing plays
    EXPECT_NE(list.State(), State::Playing);
    list.OnTimer();
    EXPECT_TRUE(list.SilenceRequested());
    list.OnOwnMusicToggled(false);
    list.OnTimer();
    EXPECT_FALSE(list.SilenceRequested());
    AddRows({"a.wav"});
    list.OnOwnMusicToggled(true);
    EXPECT_EQ(list.State(), State::Playing);
    list.OnOwnMusicToggled(false);
    EXPECT_EQ(list.State(), State::Stopped);
    EXPECT_FALSE(player.playing);
}

TEST_F(Playlist, TracksThatCannotPlayArePassedOverTriedOnceAndReportedOnce) {
    AddRows({"bad1.wav", "b.wav", "bad2.wav", "d.wav"});
    for (int i = 0; i < 60; ++i)
        list.AddRow("bad-many" + std::to_string(i) + ".wav");
    list.AddRow("f.wav");
    list.SelectMode(MusicPlaylist::RepeatAll);
    testing::internal::CaptureStderr();
    list.OnPlayButton();  // nothing selected: from the first row to the first that plays
    EXPECT_EQ(list.State(), State::Playing);
    EXPECT_EQ(list.CurrentTrackRow(), 1);
    EXPECT_TRUE(list.OwnMusic());
    // d, then sixty broken rows, then f: a tick opens only some of them.
    EndTracks(2);
    EXPECT_EQ(player.played.back(), "d.wav");
    player.FinishTrack();
    list.OnTimer();
    EXPECT_EQ(list.State(), State::Playing) << "still looking";
    EXPECT_EQ(list.CurrentTrackRow(), -1);
    EXPECT_FALSE(list.ListButtonsEnabled());
    for (int i = 0; i < 60 && player.played.back() != "f.wav"; ++i)
        list.OnTimer();
    EXPECT_EQ(list.CurrentTrackRow(), 64);
    EndTracks(3);  // the second round opens no broken file again
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(player.played, (Names{"b.wav", "d.wav", "f.wav", "b.wav", "d.wav", "f.wav"}));
    EXPECT_EQ(player.opens["bad1.wav"], 1);
    EXPECT_EQ(player.opens["bad-many7.wav"], 1);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 62) << said;

    list.AddRow("g.wav");  // a changed list tries them again
    list.OnStopButton();
    list.OnPlayButton();
    EXPECT_EQ(player.opens["bad1.wav"], 2);
    // A row the user picked is played or refused, never swapped for another.
    list.OnStopButton();
    list.Select(2);
    list.OnPlayButton();
    EXPECT_EQ(list.State(), State::Stopped);
    EXPECT_EQ(player.played.back(), "b.wav");
}

TEST_F(Playlist, ATrackThatBreaksWhilePlayingIsLeftEvenInRepeatOne) {
    AddRows({"a.wav", "b.wav"});
    list.OnPlayButton();
    player.breaks = "a.wav";
    list.OnTimer();
    EndTracks(2);
    EXPECT_EQ(player.played, (Names{"a.wav", "b.wav", "b.wav", "b.wav"}));
    EXPECT_EQ(player.opens["a.wav"], 1);
}

// How values are quoted is the settings file's business (IniDocumentTest).
TEST_F(Playlist, SavedValuesRoundTripWhateverThePathHolds) {
    TempDir dir;
    const std::string ini = dir.File("KelvaronSet.ini");
    const Names rows = {"/music/" + std::string(150, 'x') + "/Fisch – Grüße 海.mp3", " '/m/b' "};
    for (const std::string& r : rows)
        list.AddRow(r);
    list.SelectMode(MusicPlaylist::RepeatAll);
    ASSERT_TRUE(list.Save(ini));
    RecordingPlayer other;
    MusicPlaylist reread(other, 1000);
    reread.LoadSaved(ini);
    EXPECT_EQ(std::pair(reread.Rows(), reread.Mode()),
              std::pair(rows, int{MusicPlaylist::RepeatAll}));
    EXPECT_FALSE(list.AddRow("/m/two\nlines.wav")) << "a path must fit on one line";
    std::filesystem::permissions(ini, std::filesystem::perms::owner_read);
    EXPECT_TRUE(list.Save(ini)) << "nothing changed: a read-only file is no failure";
}

TEST_F(Playlist, SavedModesResolveToOneAndOwnMusicStartsTheFirstRow) {
    IniDocument doc;
    for (const char* key : {"RandomMusic", "RepeatMusic", "CycMusic"})
        doc.Set("Custom Settings", key, "1");
    list.LoadSaved(doc);
    EXPECT_EQ(list.Mode(), MusicPlaylist::Random);

    IniDocument own;
    for (const char* key : {"CycMusic", "OwnMusic"})
        own.Set("Custom Settings", key, "1");
    own.Set("Custom Settings", "MusicSum", "6");
    for (int i : {0, 1, 2, 4})
        own.Set("Custom Settings", "MusicList" + std::to_string(i), "t" + std::to_string(i));
    list.LoadSaved(own);
    ASSERT_EQ(list.Rows(), (Names{"t0", "t1", "t2"})) << "the list ends at the first gap";
    EXPECT_EQ(player.played, (Names{"t0"}));
    own.Set("Custom Settings", "MusicSum", "2000000000");  // far more than the file holds
    list.LoadSaved(own);
    EXPECT_EQ(list.Rows().size(), 3u);
    list.LoadSaved(IniDocument{});
    EXPECT_EQ(list.Mode(), MusicPlaylist::RepeatOne);
    EXPECT_FALSE(list.OwnMusic());
}

}  // namespace
