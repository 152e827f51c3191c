// The fish dialog's counts: selection, the four commands, the total, and how
// the counts reach the file and the scene.

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

TEST(FishCounts, PressSelectsCellFromTheGridAndBelowTheGridClears) {
    FishCounts fish;
    for (auto [x, y, want] : {std::tuple{0, 0, 0},
                              {99, 89, 0},
                              {100, 0, 1},
                              {499, 10, 4},
                              {50, 100, 5},
                              {150, 450, 26}}) {
        EXPECT_TRUE(fish.PressAt(x, y));
        EXPECT_EQ(fish.Selection(), want) << x << "," << y;
    }
    EXPECT_FALSE(fish.PressAt(150, 451));
    EXPECT_EQ(fish.Selection(), -1);

    // Index 5 names no kind: Add and Delete leave every count alone.
    FishCounts none({1, 1, 0, 0, 0});
    none.PressAt(50, 100);
    EXPECT_FALSE(none.HasKindSelected());
    EXPECT_FALSE(none.Add());
    EXPECT_FALSE(none.Delete());
    EXPECT_EQ(none.Counts(), (Counts{1, 1, 0, 0, 0}));

    const FishCounts::Cell c = FishCounts::CellRect(3);
    EXPECT_EQ((std::array{c.left, c.top, c.right, c.bottom}), (std::array{302, 2, 402, 92}));
}

TEST(FishCounts, AddNeedsASelectedKindAndRoomUnderFive) {
    FishCounts unselected({0, 0, 0, 0, 0});
    EXPECT_FALSE(unselected.Add());

    FishCounts full = Selected({1, 1, 1, 1, 1}, 0);
    EXPECT_FALSE(full.Add());
    EXPECT_EQ(full.Counts(), (Counts{1, 1, 1, 1, 1}));

    FishCounts some = Selected({1, 0, 2, 0, 0}, 2);
    EXPECT_TRUE(some.Add());
    EXPECT_TRUE(some.Add());
    EXPECT_FALSE(some.Add());
    EXPECT_EQ(some.Counts(), (Counts{1, 0, 4, 0, 0}));

    // A negative count is no fish; Add makes it one fish.
    FishCounts negative = Selected({-7, 0, 0, 0, 0}, 0);
    EXPECT_TRUE(negative.Add());
    EXPECT_EQ(negative.Count(0), 1);
}

TEST(FishCounts, DeleteStopsAtZeroAndWorksAboveTheLimit) {
    FishCounts fish = Selected({0, 9, 0, 0, 0}, 1);
    EXPECT_TRUE(fish.Delete());
    EXPECT_EQ(fish.Count(1), 8);

    FishCounts zero = Selected({0, 0, 0, 0, 0}, 0);
    EXPECT_FALSE(zero.Delete());
    EXPECT_EQ(zero.Count(0), 0);

    FishCounts negative = Selected({-3, 0, 0, 0, 0}, 0);
    EXPECT_TRUE(negative.Delete());
    EXPECT_EQ(negative.Count(0), 0);
}

TEST(FishCounts, RandomFollowsTheDrawsAndNeverGivesFiveOrTwoOfAKind) {
    struct Case {
        std::vector<std::uint32_t> draws;
        Counts want;
    };
    const Case cases[] = {
        {{1, 1, 1, 1, 1}, {1, 1, 1, 1, 0}},  // the fifth fish would make five
        {{7, 4, 9, 2, 3}, {1, 0, 1, 0, 1}},  // each draw is taken modulo 2
        {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
        {{1, 0, 1, 1, 1}, {1, 0, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        ScriptedRandom random(c.draws, 99);
        ScopedRandomSource use(random);
        FishCounts fish = Selected({3, 0, 2, 0, 0}, 2);
        fish.Random();
        EXPECT_EQ(fish.Counts(), c.want);
        EXPECT_EQ(random.Drawn(), 5u);
        EXPECT_EQ(fish.Selection(), -1);
        EXPECT_LE(fish.Total(), 4);
    }
}

TEST(FishCounts, TotalCountsStoredValuesAndTheSceneNeverGetsMoreThanFive) {
    FishCounts nine({0, 0, 9, 0, 0});
    EXPECT_EQ(nine.TotalText(), "Total: 9   (Max:5)");
    nine.Apply();
    EXPECT_EQ(std::to_array(Settings.FishCounts), (Counts{0, 0, 5, 0, 0}));

    FishCounts three({1, 0, 2, 0, 0});
    EXPECT_EQ(three.TotalText(), "Total: 3   (Max:5)");

    // Huge and negative values: no overflow, negatives count as no fish, and
    // the scene shows exactly min(total, 5).
    for (const Counts& counts : {Counts{INT_MAX, INT_MAX, 1, 0, 0}, Counts{-4, 3, 0, 1, 0},
                                 Counts{2, -9, 9, 0, 1}, Counts{0, 0, 0, 0, INT_MIN}}) {
        FishCounts fish(counts);
        fish.Apply();
        int scene = 0;
        for (int n : Settings.FishCounts)
            scene += n;
        EXPECT_GE(fish.Total(), 0);
        EXPECT_EQ(scene, std::min(fish.Total(), 5));
    }
    EXPECT_EQ(FishCounts({INT_MAX, INT_MAX, 0, 0, 0}).Total(), INT_MAX);

    FishCounts clear({2, 2, 9, 0, 1});
    clear.Clear();
    EXPECT_EQ(clear.TotalText(), "Total: 0   (Max:5)");
}

TEST(FishCounts, ReadsWhatTheFileHoldsSaturatingBadValuesToNumbers) {
    TempDir dir;
    const std::string path = dir.File("KelvaronSet.ini");
    WriteWholeFile(path,
                   "[Fish Number]\nFish0=3\nFish1=\nFish2=99999999999999\nFish3=-2\nfish4=abc\n");
    EXPECT_EQ(FishCounts::FromFile(path).Counts(), (Counts{3, 0, INT_MAX, -2, 0}));
    EXPECT_EQ(FishCounts::FromFile(dir.File("missing.ini")).Counts(), (Counts{0, 0, 0, 0, 0}));
}

TEST(FishCounts, SaveRewritesOnlyChangedFishKeysAndKeepsEveryOtherByte) {
    TempDir dir;
    const std::string path = dir.File("KelvaronSet.ini");
    const std::string before =
        "; my tank\r\n[Aquarium Settings]\r\nShow Water = 1\r\n"
        "[Fish Number]\r\nFish0=1\r\nFish1 = 02\r\nFish3=x\r\n"
        "[Custom Images]\r\nImage0=/home/me/pic.png\r\n";
    WriteWholeFile(path, before);

    // Unchanged values (even written differently) stay as they are.
    EXPECT_TRUE(FishCounts({1, 2, 0, 0, 0}).Save(path));
    const std::string same = ReadWholeFile(path);
    EXPECT_NE(same.find("Fish1 = 02\r\n"), std::string::npos);
    EXPECT_NE(same.find("Fish3=x\r\n"), std::string::npos);

    EXPECT_TRUE(FishCounts({4, 2, 0, 1, 0}).Save(path));
    const IniDocument doc = IniDocument::Load(path);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(AtoiLike(doc.Get("Fish Number", "Fish" + std::to_string(i)).value_or("-1")),
                  (std::array{4, 2, 0, 1, 0}[i]));
    std::string after = ReadWholeFile(path);
    EXPECT_EQ(after.substr(0, after.find("[Fish Number]")),
              before.substr(0, before.find("[Fish Number]")));
    EXPECT_EQ(after.substr(after.find("[Custom Images]")),
              before.substr(before.find("[Custom Images]")));
}

}  // namespace
