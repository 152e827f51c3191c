#include "settings/FishCounts.h"

#include <algorithm>
#include <climits>

#include "platform/IniFile.h"
#include "platform/Random.h"
#include "settings/SettingsRecord.h"

namespace {

std::string KeyFor(int kind) {
    return "Fish" + std::to_string(kind);
}

int Stored(const IniDocument& doc, int kind) {
    return std::clamp(AtoiLike(doc.Get(FishCounts::kSection, KeyFor(kind)).value_or("")),
                      -FishCounts::kMaxStored, FishCounts::kMaxStored);
}

}  // namespace

FishCounts FishCounts::FromDocument(const IniDocument& doc) {
    std::array<int, kKinds> counts{};
    for (int i = 0; i < kKinds; ++i)
        counts[i] = Stored(doc, i);
    FishCounts fish(counts);
    if (doc.LoadError().empty()) fish.saved_ = counts;
    return fish;
}

FishCounts FishCounts::FromFile(const std::string& path) {
    return FromDocument(IniDocument::Load(path));
}

FishCounts::Cell FishCounts::CellRect(int index) {
    const int left = kCellWidth * index + 2;
    return {left, 2, left + kCellWidth, 2 + kCellHeight};
}

bool FishCounts::PressAt(int x, int y) {
    if (y > kClearBelowY) {
        selection_ = -1;
        return false;
    }
    selection_ = x / kCellWidth + (y / kCellHeight) * kKinds;
    return true;
}

bool FishCounts::Add() {
    if (!HasKindSelected() || Total() >= kMaxTotal) return false;
    // A negative count is no fish: adding one makes it one.
    int& count = counts_[selection_];
    count = std::min(std::max(count, 0) + 1, kMaxTotal);
    return true;
}

bool FishCounts::Delete() {
    if (!HasKindSelected()) return false;
    int& count = counts_[selection_];
    const int before = count;
    count = count > 0 ? count - 1 : 0;
    return count != before;
}

void FishCounts::Random() {
    int sum = 0;
    for (int& count : counts_) {
        const int v = RandomInt(2);
        sum += v;
        count = sum >= kMaxTotal ? 0 : v;
    }
    selection_ = -1;
}

void FishCounts::Clear() {
    counts_.fill(0);
}

int FishCounts::Total() const {
    long long sum = 0;
    for (int count : counts_)
        sum += std::max(count, 0);
    return static_cast<int>(std::min<long long>(sum, INT_MAX));
}

std::string FishCounts::TotalText() const {
    return "Total: " + std::to_string(Total()) + "   (Max:5)";
}

bool FishCounts::Save(const std::string& path, std::string* notice) {
    // A file that cannot be read is never written: the document refuses to save it.
    IniDocument doc = IniDocument::Load(path);
    std::array<int, kKinds> merged = counts_;
    for (int i = 0; i < kKinds; ++i) {
        const auto stored = doc.Get(kSection, KeyFor(i));
        const bool changed = saved_ ? counts_[i] != (*saved_)[i]
                                    : !stored || stored->empty() || AtoiLike(*stored) != counts_[i];
        if (changed)
            doc.Set(kSection, KeyFor(i), std::to_string(counts_[i]));
        else if (saved_ && doc.LoadError().empty())
            merged[i] = Stored(doc, i);
    }
    std::string why;
    const bool ok = doc.SaveChanges(path, "the fish counts", &why);
    if (notice) notice->clear();
    if (ok) {
        counts_ = merged;
        if (doc.LoadError().empty()) saved_ = merged;
    } else if (!failing_ && notice) {
        *notice = "Cannot save the fish counts to " + path + ": " + why + ".";
    }
    failing_ = !ok;
    return ok;
}

void FishCounts::Apply(SettingsRecord& record) const {
    RefreshFishCounts(record, counts_.data());
}
