// The fish dialog's counts without widgets.

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>

#include "platform/IniFile.h"
#include "platform/Random.h"
#include "settings/FishCounts.h"
#include "settings/SettingsRecord.h"
#include "support/TempDir.h"

namespace {

using Counts = std::array<int, 5>;

FishCounts Selected(Counts counts, int kind) {
    FishCounts fish(counts);
    fish.PressAt(100 * kind + 50, 40);
    return fish;
}

TEST(FishCounts, PressSelectsFromTheGridAndIndexFiveNamesNoKind) {
    FishCounts fish;
    for (auto [x, y, want] : {std::tuple{0, 0, 0}, {99, 89, 0}, {100, 0, 1}, {499, 10, 4}, {150, 450, 26}}) {
        EXPECT_TRUE(fish.PressAt(x, y));
        EXPECT_EQ(fish.Selection(), want) << x << "," << y;
    }
    EXPECT_FALSE(fish.PressAt(150, 451));
    EXPECT_EQ(fish.Selection(), -1);

    FishCounts none({1, 1, 0, 0, 0});
    none.PressAt(50, 100);
    EXPECT_EQ(none.Selection(), 5);
    EXPECT_FALSE(none.Add());
    EXPECT_FALSE(none.Delete());
    EXPECT_EQ(none.Counts(), (Counts{1, 1, 0, 0, 0}));
}

TEST(FishCounts, AddStopsAtFiveDeleteAtZero) {
    EXPECT_FALSE(FishCounts({0, 0, 0, 0, 0}).Add());  // nothing selected
    struct Case {
        Counts counts;
        int kind;
        bool add;
        bool ok;
        int want;
    };
    for (const Case& c : {Case{{1, 1, 1, 1, 1}, 0, true, false, 1}, Case{{1, 0, 3, 0, 0}, 2, true, true, 4},
                          Case{{1, 0, 4, 0, 0}, 2, true, false, 4}, Case{{-7, 0, 0, 0, 0}, 0, true, true, 1},
                          Case{{0, 9, 0, 0, 0}, 1, false, true, 8}, Case{{0, 0, 0, 0, 0}, 0, false, false, 0},
                          Case{{-3, 0, 0, 0, 0}, 0, false, true, 0}}) {
        FishCounts fish = Selected(c.counts, c.kind);
        EXPECT_EQ(c.add ? fish.Add() : fish.Delete(), c.ok) << c.kind << c.add;
        EXPECT_EQ(fish.Count(c.kind), c.want) << c.kind << c.add;
    }
}

TEST(FishCounts, RandomFollowsTheDrawsAndNeverGivesFiveOrTwoOfAKind) {
    const std::pair<std::vector<std::uint32_t>, Counts> cases[] = {
        {{1, 1, 1, 1, 1}, {1, 1, 1, 1, 0}},  // the fifth fish would make five
        {{7, 4, 9, 2, 3}, {1, 0, 1, 0, 1}},  // each draw is taken modulo 2
        {{1, 0, 1, 1, 1}, {1, 0, 1, 1, 1}},
    };
    for (const auto& [draws, want] : cases) {
        ScriptedRandom random(draws, 99);
        ScopedRandomSource use(random);
        FishCounts fish = Selected({3, 0, 2, 0, 0}, 2);
        fish.Random();
        EXPECT_EQ(fish.Counts(), want);
        EXPECT_EQ(random.Drawn(), 5u);
        EXPECT_EQ(fish.Selection(), -1);
    }
}

TEST(FishCounts, TotalCountsStoredValuesAndTheSceneNeverGetsMoreThanFive) {
    FishCounts nine({0, 0, 9, 0, 0});
    EXPECT_EQ(nine.TotalText(), "Total: 9   (Max:5)");
    nine.Apply();
    EXPECT_EQ(std::to_array(Settings.FishCounts), (Counts{0, 0, 5, 0, 0}));
    // Huge and negative values: no overflow, negatives are no fish, the scene shows min(total, 5).
    for (const Counts& counts : {Counts{INT_MAX, INT_MAX, 1, 0, 0}, Counts{-4, 3, 0, 1, 0},
                                 Counts{2, -9, 9, 0, 1}, Counts{0, 0, 0, 0, INT_MIN}}) {
        FishCounts fish(counts);
        fish.Apply();
        int scene = 0;
        for (int n : Settings.FishCounts) scene += n;
        EXPECT_GE(fish.Total(), 0);
        EXPECT_EQ(scene, std::min(fish.Total(), 5));
    }
    FishCounts clear({2, 2, 9, 0, 1});
    clear.Clear();
    EXPECT_EQ(clear.TotalText(), "Total: 0   (Max:5)");
}

TEST(FishCounts, FileValuesSaturateAndSaveRewritesOnlyChangedKeys) {
    TempDir dir;
    const std::string path = dir.File("KelvaronSet.ini");
    WriteWholeFile(path, "[Fish Number]\nFish0=3\nFish1=\nFish2=99999999999999\nFish3=-2\nfish4=abc\n");
    EXPECT_EQ(FishCounts::FromFile(path).Counts(), (Counts{3, 0, INT_MAX, -2, 0}));

    const std::string before = "[Fish Number]\r\nFish0=1\r\nFish1 = 02\r\nFish2=0\r\nFish3=x\r\nFish4=0\r\n"
                               "[Custom Images]\r\nI=p\r\n";
    WriteWholeFile(path, before);
    EXPECT_TRUE(FishCounts({1, 2, 0, 0, 0}).Save(path));  // equal values, written differently, stay
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_TRUE(FishCounts({4, 2, 0, 1, 0}).Save(path));
    const IniDocument doc = IniDocument::Load(path);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(AtoiLike(doc.Get("Fish Number", "Fish" + std::to_string(i)).value_or("-1")),
                  (Counts{4, 2, 0, 1, 0}[i]));
    EXPECT_EQ(doc.Get("Custom Images", "I"), "p");
}

}  // namespace
