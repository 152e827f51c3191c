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

}  // namespace

FishCounts FishCounts::FromDocument(const IniDocument& doc) {
    std::array<int, kKinds> counts{};
    for (int i = 0; i < kKinds; ++i)
        counts[i] = AtoiLike(doc.Get(kSection, KeyFor(i)).value_or(""));
    return FishCounts(counts);
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
    count = std::max(count - 1, 0);
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

bool FishCounts::Save(const std::string& path) const {
    // A file that cannot be read is never written: the document refuses to save it.
    IniDocument doc = IniDocument::Load(path);
    for (int i = 0; i < kKinds; ++i) {
        const auto stored = doc.Get(kSection, KeyFor(i));
        if (!stored || stored->empty() || AtoiLike(*stored) != counts_[i])
            doc.Set(kSection, KeyFor(i), std::to_string(counts_[i]));
    }
    return doc.SaveChanges(path, "the fish counts");
}

void FishCounts::Apply() const {
    RefreshFishCounts(counts_.data());
}
