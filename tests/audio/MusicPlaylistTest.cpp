// The playlist's state machine, driven without windows or sound.

#include <gtest/gtest.h>

#include "audio/AudioTestSupport.h"
#include "audio/BuiltinSound.h"
#include "audio/MusicPlaylist.h"
#include "platform/IniFile.h"
#include "platform/Random.h"

namespace {

using State = MusicPlaylist::PlayState;

class Playlist : public ::testing::Test {
protected:
    RecordingPlayer player;
    MusicPlaylist list{player, 700};

    void AddRows(std::initializer_list<const char*> rows) {
        for (const char* r : rows) list.AddRow(r);
    }
    // The loaded track ends and the next timer tick reacts.
    void EndTrack() {
        player.FinishTrack();
        list.OnTimer();
    }
};

TEST_F(Playlist, RepeatAllPlaysOnAndWrapsToTheFirstRow) {
    AddRows({"a.wav", "b.wav", "c.wav"});
    list.SelectMode(MusicPlaylist::RepeatAll);
    list.OnPlayButton();
    EndTrack();
    EndTrack();
    EndTrack();
    EXPECT_EQ(player.played, (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "a.wav"}));
    EXPECT_EQ(list.CurrentTrackRow(), 0);
    EXPECT_EQ(player.volume, 700);
}

TEST_F(Playlist, RandomFollowsTheRandomSourceIncludingTheFirstTrack) {
    ScriptedRandom script({5, 7, 4});
    ScopedRandomSource use(script);
    AddRows({"a.wav", "b.wav", "c.wav"});
    list.SelectMode(MusicPlaylist::Random);
    list.OnPlayButton();  // nothing selected: 5 % 3
    EndTrack();           // 7 % 3
    EndTrack();           // 4 % 3, the same track again
    EXPECT_EQ(player.played, (std::vector<std::string>{"c.wav", "b.wav", "b.wav"}));
    EXPECT_EQ(script.Drawn(), 3u);
}

TEST_F(Playlist, PlayWithoutSelectionStartsTheFirstRowInBothRepeatModes) {
    AddRows({"a.wav", "b.wav"});
    for (int mode : {MusicPlaylist::RepeatOne, MusicPlaylist::RepeatAll}) {
        list.SelectMode(mode);
        list.OnStopButton();
        list.OnPlayButton();
        EXPECT_EQ(player.played.back(), "a.wav") << mode;
        EXPECT_EQ(list.State(), State::Playing);
        EXPECT_FALSE(list.ListButtonsEnabled());
        EXPECT_TRUE(list.OwnMusic()) << "playing checks On/Off";
    }
}

TEST_F(Playlist, ARowClickedWhileStoppedIsLoadedButOnlyPlayPlaysIt) {
    AddRows({"a.wav", "b.wav", "c.wav"});
    list.Select(2);
    list.OnRowClicked();
    EXPECT_EQ(player.file, "c.wav");
    EXPECT_FALSE(player.playing);
    EXPECT_NE(list.State(), State::Playing);
    list.OnPlayButton();
    EXPECT_EQ(player.played, (std::vector<std::string>{"c.wav"}));
    // While playing, a click starts the clicked row at once.
    list.Select(0);
    list.OnRowClicked();
    EXPECT_EQ(player.played.back(), "a.wav");
    EXPECT_EQ(list.CurrentTrackRow(), 0);
}

TEST_F(Playlist, StopClearsSelectionAndHighlightAndPlayStartsOverByTheRules) {
    AddRows({"a.wav", "b.wav", "c.wav"});
    list.SelectMode(MusicPlaylist::RepeatAll);
    list.Select(1);
    list.OnPlayButton();
    ASSERT_EQ(list.CurrentTrackRow(), 1);
    list.OnStopButton();
    EXPECT_EQ(list.State(), State::Stopped);
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(list.CurrentTrackRow(), -1);
    EXPECT_EQ(list.CurrentIndex(), -1);
    EXPECT_TRUE(list.ListButtonsEnabled());
    EXPECT_TRUE(list.OwnMusic()) << "Stop leaves On/Off alone";
    list.OnPlayButton();
    EXPECT_EQ(player.played.back(), "a.wav");
}

TEST_F(Playlist, OnOffStartsAndStopsAndAloneSilencesTheBuiltInSound) {
    list.OnOwnMusicToggled(true);  // empty list: nothing plays
    EXPECT_NE(list.State(), State::Playing);
    list.OnTimer();
    EXPECT_TRUE(MusicSilenceRequest);
    list.OnOwnMusicToggled(false);
    list.OnTimer();
    EXPECT_FALSE(MusicSilenceRequest);

    AddRows({"a.wav"});
    list.OnOwnMusicToggled(true);
    EXPECT_EQ(list.State(), State::Playing);
    list.OnOwnMusicToggled(false);
    EXPECT_EQ(list.State(), State::Stopped);
    EXPECT_FALSE(player.playing);
}

TEST_F(Playlist, RemoveNeedsASelectedRowAndLoadsTheFirstRowAfterwards) {
    AddRows({"a.wav", "b.wav", "c.wav"});
    EXPECT_FALSE(list.OnRemove());
    EXPECT_EQ(list.Rows().size(), 3u);
    list.Select(0);
    EXPECT_TRUE(list.OnRemove());
    EXPECT_EQ(list.Rows(), (std::vector<std::string>{"b.wav", "c.wav"}));
    EXPECT_EQ(player.file, "b.wav");
    EXPECT_FALSE(player.playing);
    list.OnRemoveAll();
    EXPECT_TRUE(list.Rows().empty());
    list.OnPlayButton();
    EXPECT_NE(list.State(), State::Playing);
}

TEST_F(Playlist, AFileThatCannotPlayStopsInsteadOfPlayingSilence) {
    AddRows({"bad.wav", "b.wav", "bad2.wav", "d.wav"});
    list.SelectMode(MusicPlaylist::RepeatAll);
    list.OnPlayButton();
    EXPECT_EQ(list.State(), State::Stopped);
    EXPECT_TRUE(list.ListButtonsEnabled());
    EXPECT_EQ(list.CurrentTrackRow(), -1);
    EXPECT_TRUE(player.played.empty());
    EXPECT_FALSE(list.OwnMusic()) << "a failed start does not switch own music on";

    // Moving on by itself passes over the unplayable rows.
    list.Select(1);
    list.OnPlayButton();
    EndTrack();
    EndTrack();
    EXPECT_EQ(player.played, (std::vector<std::string>{"b.wav", "d.wav", "b.wav"}));
    EXPECT_EQ(list.State(), State::Playing);
}

TEST_F(Playlist, SavedValuesRoundTripWithLongUtf8PathsAndLeaveOldRowsInTheFile) {
    TempDir dir;
    const std::string ini = dir.File("KelvaronSet.ini");
    const std::string longPath = "/music/" + std::string(150, 'x') + "/Fisch – Grüße 海.mp3";
    for (const char* p : {"/m/0.wav", "/m/1.wav", "/m/2.wav", "/m/3.wav", " /m/blank edge.wav "})
        list.AddRow(p);
    list.SelectMode(MusicPlaylist::RepeatAll);
    ASSERT_TRUE(list.Save(ini));

    list.OnRemoveAll();
    list.AddRow(longPath);
    list.AddRow("/m/b.wav");
    list.SetOwnMusic(false);
    ASSERT_TRUE(list.Save(ini));
    const IniDocument doc = IniDocument::Load(ini);
    EXPECT_EQ(doc.Get("Custom Settings", "MusicSum"), "2");
    EXPECT_EQ(doc.Get("Custom Settings", "CycMusic"), "1");
    EXPECT_EQ(doc.Get("Custom Settings", "RepeatMusic"), "0");
    EXPECT_EQ(doc.Get("Custom Settings", "MusicList2"), "/m/2.wav");
    EXPECT_EQ(doc.Get("Custom Settings", "MusicList4"), " /m/blank edge.wav ");

    RecordingPlayer other;
    MusicPlaylist reread(other, 1000);
    reread.LoadSaved(ini);
    EXPECT_EQ(reread.Rows(), (std::vector<std::string>{longPath, "/m/b.wav"}));
    EXPECT_EQ(reread.Mode(), MusicPlaylist::RepeatAll);
    EXPECT_NE(reread.State(), State::Playing);
    EXPECT_FALSE(list.AddRow("/m/two\nlines.wav")) << "a path must fit on one line";
}

TEST_F(Playlist, SavedModesResolveToOneAndOwnMusicStartsTheFirstRow) {
    IniDocument doc;
    doc.Set("Custom Settings", "RandomMusic", "1");
    doc.Set("Custom Settings", "RepeatMusic", "1");
    doc.Set("Custom Settings", "CycMusic", "01");  // reads as 1 too
    list.LoadSaved(doc);
    EXPECT_EQ(list.Mode(), MusicPlaylist::Random);
    EXPECT_TRUE(list.ModeChecked(MusicPlaylist::Random));
    EXPECT_FALSE(list.ModeChecked(MusicPlaylist::RepeatOne));
    EXPECT_FALSE(list.ModeChecked(MusicPlaylist::RepeatAll));

    IniDocument own;
    own.Set("Custom Settings", "OwnMusic", "1");
    own.Set("Custom Settings", "CycMusic", "1");
    own.Set("Custom Settings", "MusicSum", "3");
    for (int i = 0; i < 3; ++i) own.Set("Custom Settings", "MusicList" + std::to_string(i), "t" + std::to_string(i));
    list.LoadSaved(own);
    EXPECT_EQ(list.State(), State::Playing);
    EXPECT_EQ(player.played.back(), "t0");
    EXPECT_EQ(list.CurrentTrackRow(), 0);

    IniDocument none;
    list.LoadSaved(none);
    EXPECT_EQ(list.Mode(), MusicPlaylist::RepeatOne);
    EXPECT_TRUE(list.Rows().empty());
    EXPECT_FALSE(list.OwnMusic());
}

TEST_F(Playlist, AHugeSavedCountReadsNoMoreRowsThanTheFileHolds) {
    IniDocument doc;
    doc.Set("Custom Settings", "MusicSum", "2000000000");
    doc.Set("Custom Settings", "MusicList0", "a.wav");
    list.LoadSaved(doc);
    EXPECT_LE(list.Rows().size(), 10u);
    EXPECT_EQ(list.Rows().front(), "a.wav");
}

}  // namespace
