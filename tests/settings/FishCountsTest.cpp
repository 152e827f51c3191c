// The fish dialog's counts without widgets.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <climits>
#include <numeric>
#include <string>
#include <vector>

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

TEST(FishCounts, CountsFarOutOfRangeAreHeldWithinBoundsAndTheSceneGetsAtMostFive) {
    for (const Counts& counts : {Counts{INT_MAX, INT_MAX, 1, 0, 0}, Counts{-4, 3, 0, 1, 0}}) {
        FishCounts fish(counts);
        SettingsRecord record;
        fish.Apply(record);
        EXPECT_EQ(std::accumulate(record.FishCounts, record.FishCounts + 5, 0),
                  std::min(fish.Total(), 5));
    }
    TempDir dir;
    const std::string path = dir.File("KelvaronSet.ini");
    WriteWholeFile(path, "[Fish Number]\nFish0=-9999999999\nFish1=99999999999\n");
    FishCounts fish = FishCounts::FromFile(path);
    EXPECT_EQ(fish.Count(0), -FishCounts::kMaxStored);
    EXPECT_EQ(fish.Count(1), FishCounts::kMaxStored);
    fish.PressAt(50, 40);
    EXPECT_TRUE(fish.Delete());
    EXPECT_EQ(fish.Count(0), 0);
    fish.PressAt(150, 40);
    EXPECT_TRUE(fish.Delete());
    EXPECT_EQ(fish.Count(1), FishCounts::kMaxStored - 1);
}

// Only keys whose value changed are rewritten: equal values written
// differently, line endings and other sections stay byte for byte.
TEST(FishCounts, ASaveWritesOnlyWhatTheUserChangedAndTakesInWhatAnotherProgramWrote) {
    TempDir dir;
    const std::string path = dir.File("KelvaronSet.ini");
    const std::string tail = "[Custom Images]\r\nI=p\r\n";
    WriteWholeFile(
        path, "[Fish Number]\r\nFish0=1\r\nFish1 = 00\r\nFish2=x\r\nFish3=0\r\nFish4=0\r\n" + tail);
    FishCounts fish = FishCounts::FromFile(path);
    // Another program, while the dialog is open and untouched.
    ASSERT_TRUE(WriteProfileString(path, "Fish Number", "Fish3", "1"));
    EXPECT_TRUE(fish.Save(path));
    EXPECT_EQ(ReadProfileString(path, "Fish Number", "Fish3"), "1");
    EXPECT_EQ(fish.Count(3), 1);  // the dialog now shows it
    // The user deletes a fish of kind 0 while the other program adds one of kind 4.
    fish.PressAt(50, 40);
    ASSERT_TRUE(fish.Delete());
    ASSERT_TRUE(WriteProfileString(path, "Fish Number", "Fish4", "2"));
    EXPECT_TRUE(fish.Save(path));
    EXPECT_EQ(ReadWholeFile(path),
              "[Fish Number]\r\nFish0=0\r\nFish1 = 00\r\nFish2=x\r\nFish3=1\r\nFish4=2\r\n" + tail);
    EXPECT_EQ(fish.Counts(), (Counts{0, 0, 0, 1, 2}));
    // Counts not read from the file: values already there stay as they are written.
    EXPECT_TRUE(FishCounts({0, 0, 0, 1, 3}).Save(path));
    EXPECT_EQ(ReadWholeFile(path),
              "[Fish Number]\r\nFish0=0\r\nFish1 = 00\r\nFish2=x\r\nFish3=1\r\nFish4=3\r\n" + tail);
}

TEST(FishCounts, AFailedSaveIsToldOnceUntilASaveWorksAgain) {
    TempDir dir;
    const std::string path = dir.File("KelvaronSet.ini");
    WriteWholeFile(path, "[Fish Number]\nFish0=1\n");
    FishCounts fish = FishCounts::FromFile(path);
    fish.PressAt(50, 40);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    std::vector<std::string> told;
    const auto save = [&] {
        std::string notice;
        const bool ok = fish.Save(path, &notice);
        if (!notice.empty()) told.push_back(notice);
        return ok;
    };
    ASSERT_TRUE(fish.Add());
    for (int tick = 0; tick < 7; ++tick)
        EXPECT_FALSE(save());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("read-only"), std::string::npos) << told[0];
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    EXPECT_TRUE(save());
    EXPECT_EQ(ReadProfileString(path, "Fish Number", "Fish0"), "2");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_TRUE(fish.Add());
    EXPECT_FALSE(save());
    EXPECT_EQ(told.size(), 2u);  // a new run of failures is told again
}

}  // namespace
