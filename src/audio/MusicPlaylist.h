#pragma once

#include <optional>
#include <chrono>
#include <string>
#include <unordered_map>
#include <vector>

#include "audio/TrackFile.h"

class IniDocument;
class TrackPlayer;

// The Custom Music state machine without its window: the playlist rows, the
// selected row, the play state and mode, the On/Off box, and what is saved in
// "Custom Settings". The dialog forwards its controls here and redraws from
// the getters.
class MusicPlaylist {
public:
    enum class PlayState { Playing = 0, Idle = 1, Stopped = 2 };
    enum PlayMode { RepeatOne = 0, RepeatAll = 1, Random = 2 };

    // Starts with Repeat One, On/Off off and an empty list; the player is
    // opened with no media at `volume`.
    MusicPlaylist(TrackPlayer& player, int volume);

    // Rows. A path that cannot be kept on one settings line is refused.
    const std::vector<std::string>& Rows() const { return rows_; }
    // Why `row` did not play, as the player said when it was last tried.
    std::string WhyUnplayable(int row) const;
    bool AddRow(const std::string& path);
    // The one selected row, or -1.
    int Selected() const { return selected_; }
    void Select(int row);

    // Loads the next track into the player without starting it. False when
    // the list is empty or the track cannot be played (then it stops).
    // A track that failed is not opened again until the list or the file
    // changes, and is reported on stderr once.
    bool ChooseTrack(int index, bool clicked);
    void Play();
    void Stop();
    void SelectMode(int mode);

    // The controls.
    // Plays the selected row, or else the first playable track from where
    // the play mode points.
    void OnPlayButton();
    void OnStopButton();
    // False when no row is selected (the user is told to pick one).
    bool OnRemove();
    void OnRemoveAll();
    void OnOwnMusicToggled(bool checked);
    void OnModeClicked(int mode) { SelectMode(mode); }
    void OnRowClicked();
    void OnVolume(int volume);
    // Every 200 ms: publishes On/Off and moves on when a track has ended or
    // broken, passing over tracks that cannot play.
    void OnTimer();

    // "Custom Settings" in the settings file. StoreSaved writes every value;
    // Save only what changed since LoadSaved or the last Save, into the file
    // as it is then, so what another program wrote meanwhile survives. A
    // list is written whole, without keys past its new end. On failure
    // *error holds the reason.
    void LoadSaved(const IniDocument& doc);
    void LoadSaved(const std::string& settingsPath);
    void StoreSaved(IniDocument& doc) const;
    bool Save(const std::string& settingsPath, std::string* error = nullptr) const;

    PlayState State() const { return state_; }
    int CurrentIndex() const { return currentIndex_; }
    int Mode() const { return mode_; }
    bool ModeChecked(int mode) const { return modeChecked_[mode]; }
    bool OwnMusic() const { return ownMusic_; }
    void SetOwnMusic(bool on) { ownMusic_ = on; }
    // Should the built-in sound keep quiet? "Own music" as of the last timer
    // tick; true until the first one.
    bool SilenceRequested() const { return silenceRequested_; }
    int Volume() const { return volume_; }
    // The row drawn highlighted, or -1.
    int CurrentTrackRow() const { return currentTrackRow_; }
    // Add Music, Remove, Remove All and Play are usable only when not playing.
    bool ListButtonsEnabled() const { return state_ != PlayState::Playing; }

private:
    // What a timer tick may spend looking for a playable track: opens, and
    // time, whichever runs out first.
    static constexpr int kOpensPerTick = 24;
    static constexpr std::chrono::milliseconds kSearchPerTick{8};

    int NextRow(int index, bool clicked) const;
    bool TryLoad(int row);
    bool LoadRow(int row);
    void StartPlaying();
    // Plays the first playable row from firstRow on, round the list once.
    void Search(int firstRow);
    void ContinueSearch();
    bool KnownBad(const std::string& path) const;
    void MarkBad(const std::string& path, const std::string& why);
    void ListChanged();

    TrackPlayer& player_;
    std::vector<std::string> rows_;
    int selected_ = -1;
    PlayState state_ = PlayState::Idle;
    int currentIndex_ = -1;
    int mode_ = RepeatOne;
    bool modeChecked_[3] = {true, false, false};
    bool ownMusic_ = false;
    bool silenceRequested_ = true;
    int volume_ = 1000;
    int currentTrackRow_ = -1;

    struct Stored {
        bool modes[3];
        bool own;
        std::vector<std::string> rows;
    };
    Stored Current() const;
    // What the file held when last read or written.
    mutable std::optional<Stored> saved_;
    struct Failure {
        FileStamp stamp;
        std::string why;
    };
    std::unordered_map<std::string, Failure> failed_;
    int searchRow_ = 0;
    int searchLeft_ = 0;  // rows still to try; the state is Playing meanwhile
};
