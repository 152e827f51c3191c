// The fish dialog's counts without widgets.

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <numeric>
#include <string>

#include "platform/IniFile.h"
#include "platform/Random.h"
#include "settings/FishCounts.h"
#include "settings/SettingsRecord.h"
#include "support/TempDir.h"

namespace {

using Counts = std::array<int, 5>;

// Counts with the cell in row 0, column `kind` selected.
FishCounts Selected(Counts counts, int kind) {
    FishCounts fish(counts);
    fish.PressAt(100 * kind + 50, 40);
    return fish;
}

TEST(FishCounts, AddStopsAtFiveDeleteAtZero) {
    struct Case {
        Counts counts;
        int kind;
        bool add, ok;
        int want;
    };
    const Case cases[] = {
        {{1, 0, 3, 0, 0}, 2, true, true, 4},   {{1, 0, 4, 0, 0}, 2, true, false, 4},
        {{-7, 0, 0, 0, 0}, 0, true, true, 1},  {{0, 9, 0, 0, 0}, 1, false, true, 8},
        {{0, 0, 0, 0, 0}, 0, false, false, 0}, {{-3, 0, 0, 0, 0}, 0, false, true, 0}};
    EXPECT_FALSE(Selected({1, 1, 0, 0, 0}, 5).Add());  // cell five names no kind
    for (const Case& c : cases) {
        FishCounts fish = Selected(c.counts, c.kind);
        EXPECT_EQ(c.add ? fish.Add() : fish.Delete(), c.ok) << c.kind << c.add;
        EXPECT_EQ(fish.Count(c.kind), c.want) << c.kind << c.add;
    }
}

TEST(FishCounts, RandomFollowsTheDrawsButNeverGivesFive) {
    ScriptedRandom random({1, 1, 1, 1, 1}, 99);
    ScopedRandomSource use(random);
    FishCounts fish = Selected({3, 0, 2, 0, 0}, 2);
    fish.Random();
    EXPECT_EQ(fish.Counts(), (Counts{1, 1, 1, 1, 0}));
    EXPECT_EQ(random.Drawn(), 5u);
}

TEST(FishCounts, HugeAndNegativeCountsNeverOverflowAndTheSceneGetsAtMostFive) {
    for (const Counts& counts : {Counts{INT_MAX, INT_MAX, 1, 0, 0}, Counts{-4, 3, 0, 1, 0}}) {
        FishCounts fish(counts);
        fish.Apply();
        EXPECT_EQ(std::accumulate(Settings.FishCounts, Settings.FishCounts + 5, 0),
                  std::min(fish.Total(), 5));
    }
}

TEST(FishCounts, SaveRewritesOnlyTheKeysWhoseValueChanged) {
    TempDir dir;
    const std::string path = dir.File("KelvaronSet.ini");
    const std::string tail = "Fish2=0\r\nFish4=0\r\n[Custom Images]\r\nI=p\r\n";
    WriteWholeFile(path, "[Fish Number]\r\nFish0=1\r\nFish1 = 02\r\nFish3=x\r\n" + tail);
    EXPECT_TRUE(FishCounts({1, 2, 0, 0, 0}).Save(path));  // equal values, written differently, stay
    EXPECT_EQ(ReadWholeFile(path), "[Fish Number]\r\nFish0=1\r\nFish1 = 02\r\nFish3=x\r\n" + tail);
    EXPECT_TRUE(FishCounts({4, 2, 0, 1, 0}).Save(path));
    EXPECT_EQ(ReadWholeFile(path), "[Fish Number]\r\nFish0=4\r\nFish1 = 02\r\nFish3=1\r\n" + tail);
}

}  // namespace
