#pragma once

#include <array>
#include <optional>
#include <string>

class IniDocument;
struct SettingsRecord;

// What the fish dialog edits: five counts (as the settings file holds them,
// even when out of range), the selected cell of the thumbnail strip, and the
// rules of Add, Delete, Random and Clear. No widgets, so tests drive it alone.
//
// The total counts negative values as no fish and never overflows, so the
// tank shows min(Total(), 5) fish: exactly the total the dialog promises
// whenever that total is within the limit, and the limit otherwise.
class FishCounts {
public:
    static constexpr int kKinds = 5;
    static constexpr int kMaxTotal = 5;
    static constexpr int kCellWidth = 100;
    static constexpr int kCellHeight = 90;
    // A press below this line clears the selection.
    static constexpr int kClearBelowY = 450;
    static constexpr const char* kSection = "Fish Number";
    static constexpr int kMaxStored = 999999999;

    struct Cell {
        int left, top, right, bottom;
    };

    FishCounts() = default;
    explicit FishCounts(const std::array<int, kKinds>& counts) : counts_(counts) {}

    // Reads Fish0..Fish4; missing, empty or non-numeric keys read as 0 and
    // values beyond kMaxStored are taken as kMaxStored (or its negative).
    static FishCounts FromDocument(const IniDocument& doc);
    static FishCounts FromFile(const std::string& path);

    const std::array<int, kKinds>& Counts() const { return counts_; }
    int Count(int kind) const { return counts_.at(kind); }
    void SetCounts(const std::array<int, kKinds>& counts) { counts_ = counts; }

    // The selected cell; only 0..4 name a fish kind, -1 is none.
    int Selection() const { return selection_; }
    bool HasKindSelected() const { return selection_ >= 0 && selection_ < kKinds; }
    void ClearSelection() { selection_ = -1; }

    // Cell i of the strip in client pixels (right and bottom exclusive).
    static Cell CellRect(int index);

    // A left press at (x, y): below kClearBelowY clears the selection and
    // returns false (the press goes no further); otherwise selects the cell
    // x / 100 + (y / 90) * 5 and returns true.
    bool PressAt(int x, int y);

    // Each returns whether a count changed.
    bool Add();     // needs a kind selected and a total below 5
    bool Delete();  // needs a kind selected; never below 0
    void Random();  // 0 or 1 of each kind, at most four fish; clears the selection
    void Clear();

    // Sum of the counts, negative ones as 0, saturating at the int range.
    int Total() const;
    // "Total: N   (Max:5)"
    std::string TotalText() const;

    // Writes the counts the user changed since they were read (or last
    // saved) into the file as it is now, and takes the file's values for the
    // others, so what another program wrote meanwhile survives. Counts not
    // read from a file are written where the file's value differs or is
    // missing. Every other line stays as it was. Returns false when the file
    // could not be written; then *notice, when given, holds a message for
    // the user the first time in a row of failures, and is empty otherwise.
    bool Save(const std::string& path, std::string* notice = nullptr);
    // Hands the counts to the scene (its limits apply: at most 5 in all).
    void Apply(SettingsRecord& record) const;

private:
    std::array<int, kKinds> counts_{};
    // What the file held when last read or written.
    std::optional<std::array<int, kKinds>> saved_;
    bool failing_ = false;
    int selection_ = -1;
};
