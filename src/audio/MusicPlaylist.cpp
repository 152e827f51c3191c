#include "audio/MusicPlaylist.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "audio/TrackFile.h"
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

bool MusicPlaylist::KnownBad(const std::string& path) const {
    const auto it = failed_.find(path);
    return it != failed_.end() && it->second.stamp == StampOf(path);
}

void MusicPlaylist::MarkBad(const std::string& path, const std::string& why) {
    // Without a sound device nothing plays; that is said once elsewhere.
    if (why == "no sound device") return;
    failed_[path] = {StampOf(path), why};
    ReportProblem("cannot play " + path + ": " + why);
}

std::string MusicPlaylist::WhyUnplayable(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return player_.LastError();
    const auto it = failed_.find(rows_[row]);
    return it != failed_.end() ? it->second.why : player_.LastError();
}

void MusicPlaylist::ListChanged() {
    failed_.clear();
    searchLeft_ = 0;
}

bool MusicPlaylist::TryLoad(int row) {
    currentIndex_ = row;
    player_.Stop();
    player_.Close();
    const std::string& path = rows_[row];
    // A file that failed is not read again until it changes: a long list of
    // broken files must not cost a round of opens and messages every time.
    const bool knownBad = KnownBad(path);
    player_.SetFileName(knownBad ? std::string() : path);
    player_.Open();
    const bool playable = !knownBad && player_.CanPlay();
    if (!playable && !knownBad) MarkBad(path, player_.LastError());
    player_.Seek(0);
    player_.SetVolume(volume_);
    return playable;
}

bool MusicPlaylist::LoadRow(int row) {
    searchLeft_ = 0;
    const bool playable = TryLoad(row);
    // The state falls back to Stopped rather than pretending to play silence.
    if (!playable) Stop();
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
    searchLeft_ = 0;
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

void MusicPlaylist::StartPlaying() {
    if (rows_.empty()) return;
    // A row the user picked is played or refused; otherwise the first
    // playable track from where the play mode points.
    if (selected_ >= 0) {
        ChooseTrack(0, false);
        Play();
        return;
    }
    Search(NextRow(0, false));
}

void MusicPlaylist::Search(int firstRow) {
    player_.Stop();
    player_.Close();
    state_ = PlayState::Playing;
    currentTrackRow_ = -1;
    searchRow_ = firstRow;
    searchLeft_ = static_cast<int>(rows_.size());
    ContinueSearch();
}

void MusicPlaylist::ContinueSearch() {
    const int count = static_cast<int>(rows_.size());
    const auto start = std::chrono::steady_clock::now();
    int opened = 0;
    while (searchLeft_ > 0) {
        // Files that fail to open cost time; the rest of the round waits for
        // the next tick rather than stalling a frame.
        if (opened == kOpensPerTick ||
            (opened > 0 && std::chrono::steady_clock::now() - start > kSearchPerTick))
            return;
        const int row = searchRow_ % count;
        searchRow_ = (row + 1) % count;
        --searchLeft_;
        if (KnownBad(rows_[row])) continue;
        ++opened;
        if (TryLoad(row)) {
            Play();
            // The mixer may refuse at once what it loaded.
            if (player_.Progress() != TrackPlayer::Run::Broken) {
                searchLeft_ = 0;
                return;
            }
            MarkBad(rows_[row], player_.LastError());
            player_.Stop();
            currentTrackRow_ = -1;
        }
    }
    Stop();  // nothing in the list plays
}

void MusicPlaylist::OnPlayButton() {
    StartPlaying();
}

void MusicPlaylist::OnStopButton() { Stop(); }

bool MusicPlaylist::AddRow(const std::string& path) {
    if (path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
    rows_.push_back(path);
    ListChanged();
    return true;
}

bool MusicPlaylist::OnRemove() {
    if (selected_ < 0) return false;
    rows_.erase(rows_.begin() + selected_);
    ListChanged();
    selected_ = -1;
    ChooseTrack(0, false);
    return true;
}

void MusicPlaylist::OnRemoveAll() {
    rows_.clear();
    ListChanged();
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

void MusicPlaylist::OnTimer() {
    silenceRequested_ = ownMusic_;
    if (state_ != PlayState::Playing || rows_.empty()) return;
    if (searchLeft_ > 0) {
        ContinueSearch();
        return;
    }
    const TrackPlayer::Run run = player_.Progress();
    if (run == TrackPlayer::Run::Going) return;
    const int count = static_cast<int>(rows_.size());
    if (run == TrackPlayer::Run::Broken && currentIndex_ >= 0 && currentIndex_ < count)
        MarkBad(rows_[currentIndex_], player_.LastError());
    // Ended or broken, the play mode picks the next track; a track that
    // cannot play is passed over for the rows after it.
    Search(NextRow(0, false));
}

void MusicPlaylist::LoadSaved(const IniDocument& doc) {
    rows_.clear();
    selected_ = -1;
    const bool random = Flag(doc, "RandomMusic");
    const bool repeatAll = Flag(doc, "CycMusic");
    const bool repeatOne = Flag(doc, "RepeatMusic");
    ownMusic_ = Flag(doc, "OwnMusic");
    // The list ends at the count or at the first missing row, whichever
    // comes first: a damaged count adds no blank rows.
    const int count = AtoiLike(doc.Get(kSection, "MusicSum").value_or(""));
    for (int i = 0; i < count; ++i) {
        auto path = doc.Get(kSection, "MusicList" + std::to_string(i));
        if (!path) break;
        rows_.push_back(std::move(*path));
    }
    ListChanged();
    SelectMode(random ? Random : repeatAll ? RepeatAll : RepeatOne);
    (void)repeatOne;  // unchecked or not, Repeat One is what remains
    if (!rows_.empty() && ownMusic_) StartPlaying();
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
