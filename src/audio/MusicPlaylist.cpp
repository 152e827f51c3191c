#include "audio/MusicPlaylist.h"

#include <algorithm>
#include <cstdio>

#include "audio/BuiltinSound.h"
#include "audio/TrackPlayer.h"
#include "platform/IniFile.h"
#include "platform/Random.h"
#include "platform/MessageBox.h"

namespace {

const char* const kSection = "Custom Settings";

bool Flag(const IniDocument& doc, const char* key) {
    return AtoiLike(doc.Get(kSection, key).value_or("")) == 1;
}

}  // namespace

MusicPlaylist::MusicPlaylist(TrackPlayer& player, int volume) : player_(player), volume_(volume) {
    SelectMode(RepeatOne);
    player_.SetFileName("");
    player_.Open();
    player_.SetVolume(volume_);
}

bool MusicPlaylist::AddRow(const std::string& path) {
    if (path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
    rows_.push_back(path);
    return true;
}

void MusicPlaylist::Select(int row) {
    selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
}

int MusicPlaylist::NextRow(int index, bool clicked) const {
    const int count = static_cast<int>(rows_.size());
    if (state_ != PlayState::Playing || (clicked && selected_ >= 0)) {
        if (selected_ >= 0) return selected_;
        switch (mode_) {
            case RepeatOne: return std::clamp(index, 0, count - 1);
            case RepeatAll: return 0;
            default: return RandomInt(count);
        }
    }
    switch (mode_) {
        case RepeatOne: return std::clamp(currentIndex_, 0, count - 1);
        case RepeatAll: return currentIndex_ + 1 >= count || currentIndex_ < 0 ? 0 : currentIndex_ + 1;
        default: return RandomInt(count);
    }
}

bool MusicPlaylist::LoadRow(int row) {
    currentIndex_ = row;
    player_.Stop();
    player_.Close();
    player_.SetFileName(rows_[row]);
    player_.Open();
    const bool playable = player_.CanPlay();
    if (!playable) {
        // Said once here; the state falls back to Stopped rather than
        // pretending to play silence for ever.
        if (player_.LastError() != "no sound device")
            ReportProblem("cannot play " + rows_[row] + ": " + player_.LastError());
        Stop();
    }
    player_.Seek(0);
    player_.SetVolume(volume_);
    return playable;
}

bool MusicPlaylist::ChooseTrack(int index, bool clicked) {
    if (rows_.empty()) return false;
    return LoadRow(NextRow(index, clicked));
}

void MusicPlaylist::Play() {
    if (rows_.empty()) return;
    if (!player_.CanPlay()) return;  // the failed load has stopped and said why
    ownMusic_ = true;
    state_ = PlayState::Playing;
    player_.Play();
    currentTrackRow_ = currentIndex_;
}

void MusicPlaylist::Stop() {
    state_ = PlayState::Stopped;
    player_.Stop();
    player_.Seek(0);
    currentIndex_ = -1;
    currentTrackRow_ = -1;
    selected_ = -1;
}

void MusicPlaylist::SelectMode(int mode) {
    mode_ = std::clamp(mode, 0, 2);
    for (int m = 0; m < 3; ++m) modeChecked_[m] = m == mode_;
}

void MusicPlaylist::OnPlayButton() {
    ChooseTrack(0, false);
    Play();
}

void MusicPlaylist::OnStopButton() { Stop(); }

bool MusicPlaylist::OnRemove() {
    if (selected_ < 0) return false;
    rows_.erase(rows_.begin() + selected_);
    selected_ = -1;
    ChooseTrack(0, false);
    return true;
}

void MusicPlaylist::OnRemoveAll() {
    rows_.clear();
    selected_ = -1;
}

void MusicPlaylist::OnOwnMusicToggled(bool checked) {
    ownMusic_ = checked;
    if (checked)
        OnPlayButton();
    else if (state_ == PlayState::Playing)
        Stop();
}

void MusicPlaylist::OnRowClicked() {
    if (selected_ < 0) return;
    ChooseTrack(0, true);
    if (state_ == PlayState::Playing) Play();
}

void MusicPlaylist::OnVolume(int volume) {
    player_.SetVolume(volume);
    volume_ = volume;
}

void MusicPlaylist::AdvanceAfterEnd() {
    const int count = static_cast<int>(rows_.size());
    int row = NextRow(0, false);
    // A file that cannot be played is passed over, once round the list at most.
    for (int attempt = 0; attempt < count; ++attempt) {
        if (LoadRow(row)) {
            Play();
            return;
        }
        if (mode_ == RepeatOne) return;
        row = mode_ == RepeatAll ? (row + 1) % count : RandomInt(count);
    }
}

void MusicPlaylist::OnTimer() {
    MusicSilenceRequest = ownMusic_;
    if (state_ != PlayState::Playing || rows_.empty()) return;
    if (player_.CanPlay() && player_.Length() == player_.Position()) AdvanceAfterEnd();
}

void MusicPlaylist::LoadSaved(const IniDocument& doc) {
    rows_.clear();
    selected_ = -1;
    const bool random = Flag(doc, "RandomMusic");
    const bool repeatAll = Flag(doc, "CycMusic");
    const bool repeatOne = Flag(doc, "RepeatMusic");
    ownMusic_ = Flag(doc, "OwnMusic");
    // A count larger than the file could hold is a damaged file: no more rows
    // are read than there are lines.
    const std::string text = doc.Text();
    const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    const int count = std::min(AtoiLike(doc.Get(kSection, "MusicSum").value_or("")), lines);
    for (int i = 0; i < count; ++i)
        rows_.push_back(doc.Get(kSection, "MusicList" + std::to_string(i)).value_or(""));
    SelectMode(random ? Random : repeatAll ? RepeatAll : RepeatOne);
    (void)repeatOne;  // unchecked or not, Repeat One is what remains
    if (!rows_.empty() && ownMusic_) {
        ChooseTrack(0, false);
        Play();
    }
    saved_ = Current();
}

MusicPlaylist::Stored MusicPlaylist::Current() const {
    return {{modeChecked_[0], modeChecked_[1], modeChecked_[2]}, ownMusic_, rows_};
}

void MusicPlaylist::LoadSaved(const std::string& settingsPath) {
    LoadSaved(IniDocument::Load(settingsPath));
}

void MusicPlaylist::StoreSaved(IniDocument& doc) const {
    doc.Set(kSection, "RandomMusic", modeChecked_[Random] ? "1" : "0");
    doc.Set(kSection, "CycMusic", modeChecked_[RepeatAll] ? "1" : "0");
    doc.Set(kSection, "RepeatMusic", modeChecked_[RepeatOne] ? "1" : "0");
    doc.Set(kSection, "OwnMusic", ownMusic_ ? "1" : "0");
    doc.Set(kSection, "MusicSum", std::to_string(rows_.size()));
    for (std::size_t i = 0; i < rows_.size(); ++i)
        doc.Set(kSection, "MusicList" + std::to_string(i), rows_[i]);
    doc.RemoveListFrom(kSection, "MusicList", static_cast<int>(rows_.size()));
}

bool MusicPlaylist::Save(const std::string& settingsPath, std::string* error) const {
    IniDocument doc = IniDocument::Load(settingsPath);
    const Stored now = Current();
    if (!saved_) {
        StoreSaved(doc);
    } else {
        // What the user changed, and what the file lacks; nothing else.
        const auto put = [&](const char* key, bool changed, bool on) {
            if (changed || !doc.Get(kSection, key)) doc.Set(kSection, key, on ? "1" : "0");
        };
        const char* const modeKeys[3] = {"RepeatMusic", "CycMusic", "RandomMusic"};
        for (int m = 0; m < 3; ++m)
            put(modeKeys[m], saved_->modes[m] != now.modes[m], now.modes[m]);
        put("OwnMusic", saved_->own != now.own, now.own);
        if (saved_->rows != now.rows || !doc.Get(kSection, "MusicSum")) {
            doc.Set(kSection, "MusicSum", std::to_string(now.rows.size()));
            for (std::size_t i = 0; i < now.rows.size(); ++i)
                doc.Set(kSection, "MusicList" + std::to_string(i), now.rows[i]);
            doc.RemoveListFrom(kSection, "MusicList", static_cast<int>(now.rows.size()));
        }
    }
    if (!doc.SaveChanges(settingsPath, "the music list", error)) return false;
    saved_ = now;
    return true;
}
