#include "settings/Slideshow.h"

#include <algorithm>
#include <cstdint>

#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "platform/ProductInfo.h"
#include "platform/Random.h"


namespace {

constexpr const char* kSection = "Custom Images";
// What an empty interval box stands for, in the file and in the dialog alike.
constexpr int kEmptyBoxSeconds = 5;

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

bool IsOne(const IniDocument& doc, const char* key) {
    const auto v = doc.Get(kSection, key);
    return v && AtoiLike(*v) == 1;
}

}  // namespace

int IntervalSecondsFor(const std::string& text) {
    const bool blank = std::all_of(text.begin(), text.end(), IsBlankChar);
    if (blank) return kEmptyBoxSeconds;
    return std::max(1, AtoiLike(text));
}

std::string MaximumImagesMessage(int count) {
    return "The maximum number of background is: " + std::to_string(count);
}

std::string ImageLoadErrorMessage(const std::string& path) {
    return "(" + path + ")" + "image loading error.";
}

void Slideshow::AddImage(const std::string& path, bool chosenByUser) {
    const int n = ImageCount() + static_cast<int>(pending_.size());
    if (n >= kMaxImages) {
        ShowMessageBox(MaximumImagesMessage(n), kApplicationName);
        return;
    }
    // A line break could not be kept in the settings file.
    if (path.find_first_of("\r\n") != std::string::npos || !StartLoad) {
        // Said, not listed; the other pictures go on.
        ShowMessageBox(ImageLoadErrorMessage(path), kApplicationName);
        return;
    }
    pending_.push_back(path);
    pendingByUser_.push_back(chosenByUser);
    StartLoad(path);
}

void Slideshow::ImageLoaded(const std::string& path, unsigned texture) {
    const auto it = std::find(pending_.begin(), pending_.end(), path);
    if (it == pending_.end()) {
        // Removed while it was loading.
        Release(texture);
        return;
    }
    const auto index = it - pending_.begin();
    const bool byUser = pendingByUser_[index];
    pending_.erase(it);
    pendingByUser_.erase(pendingByUser_.begin() + index);
    if (texture == 0) {
        // Said, not listed; the slideshow goes on with the pictures that load.
        ShowMessageBox(ImageLoadErrorMessage(path), kApplicationName);
        return;
    }
    rows_.push_back({path, texture, false, MeasureAspect ? MeasureAspect(path) : 0.0});
    if (byUser && ImageCount() == 1 && OwnImageChecked) StartSlideshow();
}

void Slideshow::Release(unsigned texture) {
    if (texture != 0 && ReleaseTexture) ReleaseTexture(texture);
}

void Slideshow::RemoveSelectedImage(int row) {
    if (row >= 0 && row < ImageCount()) {
        const unsigned texture = rows_[row].texture;
        rows_.erase(rows_.begin() + row);
        Release(texture);
    }
    if (rows_.empty()) {
        CurrentTexture = 0;
        return;
    }
    const int picked = PickImage(0, true);
    if (picked != -1) {
        CurrentTexture = picked;
        return;
    }
    // Stopped: keep what is shown, unless it was the picture just removed.
    const bool stillListed = std::any_of(rows_.begin(), rows_.end(), [this](const Row& r) {
        return static_cast<int>(r.texture) == CurrentTexture;
    });
    if (!stillListed) CurrentTexture = 0;
}

void Slideshow::RemoveAllImages() {
    for (const Row& r : rows_) Release(r.texture);
    rows_.clear();
    pending_.clear();
    pendingByUser_.clear();
    CurrentTexture = 0;
}

void Slideshow::ClickRow(int row) {
    if (row < 0 || row >= ImageCount()) return;
    // While stopped nothing is picked and the shown picture stays.
    const int picked = PickImage(row, true);
    if (picked != -1) CurrentTexture = picked;
}

void Slideshow::MarkOnly(int row) {
    for (int i = 0; i < ImageCount(); ++i) rows_[i].on = i == row;
}

int Slideshow::PickImage(int row, bool byUser) {
    if (rows_.empty() || !Playing) return -1;
    const int n = ImageCount();
    if (byUser) {
        if (row < 0 || row >= n) return -1;
        MarkOnly(row);
        return static_cast<int>(rows_[row].texture);
    }
    switch (PlayMode) {
        case RepeatOne:
            return CurrentTexture != 0 ? CurrentTexture : static_cast<int>(rows_[0].texture);
        case RepeatAll: {
            int i = 0;
            while (i < n && static_cast<int>(rows_[i].texture) != CurrentTexture) ++i;
            // With no current picture the round starts at the first row.
            if (i == n) return static_cast<int>(rows_[0].texture);
            return static_cast<int>(rows_[(i + 1) % n].texture);
        }
        case Random:
            return static_cast<int>(rows_[RandomInt(n)].texture);
        default:
            return 0;
    }
}

void Slideshow::SlideshowTick() {
    OwnBackgroundActive = OwnImageChecked;
    if (!Playing) return;
    ++TickCounter;
    const std::int64_t seconds = IntervalSeconds();
    if (TickCounter != 0 && std::int64_t{TickCounter} * kTickMs < seconds * 1000) return;
    const int picked = PickImage(-1, false);
    if (picked == -1) {
        // Nothing listed yet (pictures may still be loading): try again next tick.
        TickCounter = -1;
        return;
    }
    CurrentTexture = picked;
    TickCounter = 0;
    if (picked == 0) return;
    for (int i = 0; i < ImageCount(); ++i)
        if (static_cast<int>(rows_[i].texture) == picked) {
            MarkOnly(i);
            break;
        }
}

double Slideshow::CurrentAspect() const {
    for (const Row& r : rows_)
        if (CurrentTexture > 0 && static_cast<int>(r.texture) == CurrentTexture) return r.aspect;
    return 0;
}

void Slideshow::StartSlideshow() {
    Playing = true;
    TickCounter = -1;
}

void Slideshow::StopSlideshow() {
    for (Row& r : rows_) r.on = false;
    Playing = false;
}

void Slideshow::SetPlayMode(int mode) {
    PlayMode = mode;
    for (int i = 0; i < 3; ++i) ModeChecked[i] = i == mode;
}

void Slideshow::SetOwnImage(bool checked) {
    OwnImageChecked = checked;
    if (checked) StartSlideshow();
    else if (Playing) StopSlideshow();
}

void Slideshow::LoadImageSettings(const std::string& settingsPath) {
    const IniDocument doc = IniDocument::Load(settingsPath);
    RemoveAllImages();

    ModeChecked[Random] = IsOne(doc, "RandomImage");
    ModeChecked[RepeatAll] = IsOne(doc, "CycImage");
    ModeChecked[RepeatOne] = IsOne(doc, "RepeatImage");
    OwnImageChecked = IsOne(doc, "OwnImage");
    const auto interval = doc.Get(kSection, "ImageTime");
    IntervalText = interval && !interval->empty() ? *interval : std::to_string(kEmptyBoxSeconds);

    const auto sum = doc.Get(kSection, "ImageSum");
    const int n = sum ? AtoiLike(*sum) : 0;
    for (int i = 0; i < n; ++i) {
        const auto path = doc.Get(kSection, "ImageList" + std::to_string(i));
        // Past the tenth only listed pictures get their message, so a huge
        // count cannot flood the screen with boxes.
        if (i >= kMaxImages && !path) break;
        AddImage(path.value_or(""));
    }

    if (!ModeChecked[0] && !ModeChecked[1] && !ModeChecked[2]) ModeChecked[RepeatOne] = true;
    if (ModeChecked[Random]) SetPlayMode(Random);
    if (ModeChecked[RepeatAll]) SetPlayMode(RepeatAll);
    if (ModeChecked[RepeatOne]) SetPlayMode(RepeatOne);
    if (n > 0 && OwnImageChecked) StartSlideshow();
    saved_ = Current();
}

Slideshow::Stored Slideshow::Current() const {
    Stored now{{ModeChecked[0], ModeChecked[1], ModeChecked[2]}, OwnImageChecked, IntervalText, {}};
    // Pictures still loading belong to the list too, after the loaded ones.
    for (const Row& r : rows_) now.paths.push_back(r.path);
    now.paths.insert(now.paths.end(), pending_.begin(), pending_.end());
    return now;
}

bool Slideshow::SaveImageSettings(const std::string& settingsPath, std::string* error) const {
    IniDocument doc = IniDocument::Load(settingsPath);
    const Stored now = Current();
    // What the user changed, and what the file lacks; nothing else.
    const auto put = [&](const char* key, bool changed, const std::string& value) {
        if (!saved_ || changed || !doc.Get(kSection, key)) doc.Set(kSection, key, value);
    };
    const auto flag = [&](const char* key, int mode) {
        put(key, saved_ && saved_->modes[mode] != now.modes[mode], now.modes[mode] ? "1" : "0");
    };
    flag("RandomImage", Random);
    flag("CycImage", RepeatAll);
    flag("RepeatImage", RepeatOne);
    put("OwnImage", saved_ && saved_->own != now.own, now.own ? "1" : "0");
    put("ImageTime", saved_ && saved_->interval != now.interval, now.interval);
    if (!saved_ || saved_->paths != now.paths || !doc.Get(kSection, "ImageSum")) {
        const int n = static_cast<int>(now.paths.size());
        doc.Set(kSection, "ImageSum", std::to_string(n));
        for (int i = 0; i < n; ++i) doc.Set(kSection, "ImageList" + std::to_string(i), now.paths[i]);
        doc.RemoveListFrom(kSection, "ImageList", n);
    }
    if (!doc.SaveChanges(settingsPath, "the background pictures", error)) return false;
    saved_ = now;
    return true;
}
