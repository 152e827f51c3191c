#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/Random.h"
#include "settings/Slideshow.h"
#include "support/TempDir.h"

namespace {

using Strings = std::vector<std::string>;

// Drives the slideshow without widgets or GL: texture names are numbers the
// test hands back as the loader's answer.
class SlideshowTest : public ::testing::Test {
protected:
    Slideshow show;
    Strings messages, loading;
    std::vector<unsigned> released;
    MessageBoxHandler previousBoxes = SetMessageBoxHandler(
        [this](const std::string& text, const std::string&) { messages.push_back(text); });
    TempDir dir;
    std::string ini = dir.File("set.ini");

    SlideshowTest() {
        show.StartLoad = [this](const std::string& path) { loading.push_back(path); };
        show.ReleaseTexture = [this](unsigned t) { released.push_back(t); };
    }
    ~SlideshowTest() override { SetMessageBoxHandler(previousBoxes); }

    // Adds pictures whose textures are 102, 103, ...
    void AddLoaded(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string path = "/p/" + std::to_string(show.ImageCount());
            show.AddImage(path);
            show.ImageLoaded(path, 102 + show.ImageCount());
        }
    }
    int OnRow() const {
        for (int i = 0; i < show.ImageCount(); ++i)
            if (show.Rows()[i].on) return i;
        return -1;
    }
};

TEST_F(SlideshowTest, RepeatAllChangesAtTheFirstTickThenEveryWholeIntervalAndWraps) {
    AddLoaded(3);  // textures 102, 103, 104
    show.SetPlayMode(Slideshow::RepeatAll);
    show.IntervalText = "2";
    show.StartSlideshow();
    std::vector<std::pair<int, int>> changes;  // tick, texture
    for (int tick = 1, last = 0; tick <= 35; ++tick, last = show.CurrentTexture) {
        show.SlideshowTick();
        if (show.CurrentTexture != last) changes.emplace_back(tick, show.CurrentTexture);
    }
    EXPECT_EQ(changes,
              (std::vector<std::pair<int, int>>{{1, 102}, {11, 103}, {21, 104}, {31, 102}}));
}

TEST_F(SlideshowTest, RepeatOneKeepsThePictureAndRandomFollowsTheDraws) {
    AddLoaded(3);
    auto tick = [&](int current) {
        show.CurrentTexture = current;
        show.StartSlideshow();  // a pick at the next tick
        show.SlideshowTick();
        return show.CurrentTexture;
    };
    EXPECT_EQ(tick(0), 102);  // nothing shown yet: the first row
    EXPECT_EQ(tick(104), 104);
    ScriptedRandom random{{5, 3}};
    ScopedRandomSource use{random};
    show.SetPlayMode(Slideshow::Random);
    EXPECT_EQ(tick(102), 104);  // 5 mod 3
    EXPECT_EQ(tick(104), 102);  // 3 mod 3
    EXPECT_EQ(OnRow(), 0);
}

TEST_F(SlideshowTest, ClicksAndRemovalsNeverLeaveAStalePicture) {
    AddLoaded(3);  // 102, 103, 104
    show.CurrentTexture = 103;
    show.ClickRow(2);  // stopped: nothing changes
    EXPECT_EQ(std::pair(show.CurrentTexture, OnRow()), std::pair(103, -1));
    show.StartSlideshow();
    show.ClickRow(2);
    EXPECT_EQ(std::pair(show.CurrentTexture, OnRow()), std::pair(104, 2));
    show.RemoveSelectedImage(1);
    EXPECT_EQ(std::pair(show.CurrentTexture, OnRow()), std::pair(102, 0));  // playing: row 0
    show.StopSlideshow();
    EXPECT_EQ(OnRow(), -1);
    show.CurrentTexture = 104;
    show.RemoveSelectedImage(1);  // the shown one, while stopped
    EXPECT_EQ(show.CurrentTexture, 0);
    show.RemoveSelectedImage(0);  // the only one
    EXPECT_EQ(released, (std::vector<unsigned>{103, 104, 102}));
    AddLoaded(2);
    show.RemoveAllImages();
    EXPECT_EQ(released.size(), 5u);
    show.AddImage("/late");
    show.RemoveAllImages();  // while it loads: freed when it arrives, never listed
    show.ImageLoaded("/late", 200);
    EXPECT_EQ(std::pair(show.ImageCount(), released.back()), std::pair(0, 200u));
}

TEST(SlideshowInterval, AnEmptyBoxIsFiveSecondsAndAnythingUnderASecondIsOne) {
    const std::pair<const char*, int> cases[] = {{"", 5},
                                                 {" ", 5},
                                                 {"0", 1},
                                                 {"00", 1},
                                                 {"-3", 1},
                                                 {"abc", 1},
                                                 {"1", 1},
                                                 {"2", 2},
                                                 {"0007", 7},
                                                 {"12x", 12},
                                                 {"999999999", 999999999}};
    for (const auto& [text, seconds] : cases)
        EXPECT_EQ(IntervalSecondsFor(text), seconds) << text;
}

TEST_F(SlideshowTest, TheIntervalIsPacedByItsFloorWhileTheFileKeepsWhatWasTyped) {
    AddLoaded(2);
    show.SetPlayMode(Slideshow::RepeatAll);
    // Ticks between changes: "0" waits a whole second, and an empty box (as
    // typed in the dialog, or read from the file) the usual five.
    auto gaps = [&](const std::string& text) {
        show.IntervalText = text;
        show.StartSlideshow();
        std::vector<int> at;
        for (int tick = 1, last = show.CurrentTexture; tick <= 60; ++tick) {
            show.SlideshowTick();
            if (show.CurrentTexture != last) at.push_back(tick);
            last = show.CurrentTexture;
        }
        std::vector<int> gap;
        for (size_t i = 1; i < at.size(); ++i)
            gap.push_back(at[i] - at[i - 1]);
        return gap;
    };
    EXPECT_EQ(gaps("0"), std::vector<int>(11, 5));
    EXPECT_EQ(gaps(""), (std::vector<int>{25, 25}));
    show.IntervalText = "0";
    ASSERT_TRUE(show.SaveImageSettings(ini));
    EXPECT_NE(ReadWholeFile(ini).find("ImageTime=0\n"), std::string::npos);
    WriteWholeFile(ini, "[Custom Images]\nImageTime=\n");
    Slideshow fromFile;
    fromFile.LoadImageSettings(ini);
    EXPECT_EQ(fromFile.IntervalSeconds(), IntervalSecondsFor(""));
}

TEST_F(SlideshowTest, TheFirstPictureAddedStartsTheShowWhenOwnPicturesAreOn) {
    WriteWholeFile(ini, "[Custom Images]\nOwnImage=1\nImageSum=0\n");
    show.LoadImageSettings(ini);
    ASSERT_FALSE(show.Playing);  // nothing listed, nothing to play
    show.AddImage("/broken", true);
    show.AddImage("/first", true);
    show.ImageLoaded("/broken", 0);
    show.ImageLoaded("/first", 7);
    show.SlideshowTick();
    EXPECT_EQ(std::tuple(show.Playing, show.CurrentTexture, OnRow()), std::tuple(true, 7, 0));
    // One added later, or one the settings listed, does not start it again.
    show.StopSlideshow();
    show.AddImage("/second", true);
    show.ImageLoaded("/second", 8);
    EXPECT_FALSE(show.Playing);
}

TEST_F(SlideshowTest, ABrokenPictureIsSaidAndSkippedWhileTheShowGoesOn) {
    AddLoaded(2);  // 102, 103
    show.SetPlayMode(Slideshow::RepeatAll);
    show.IntervalText = "1";
    show.StartSlideshow();
    show.SlideshowTick();
    ASSERT_EQ(show.CurrentTexture, 102);
    show.AddImage("/broken", true);
    show.ImageLoaded("/broken", 0);
    show.AddImage("/line\nbreak", true);
    EXPECT_EQ(messages,
              (Strings{"(/broken)image loading error.", "(/line\nbreak)image loading error."}));
    EXPECT_EQ(std::tuple(show.ImageCount(), show.Playing, OnRow()), std::tuple(2, true, 0));
    for (int i = 0; i < 5; ++i)
        show.SlideshowTick();
    EXPECT_EQ(std::pair(show.CurrentTexture, OnRow()), std::pair(103, 1));
}

TEST_F(SlideshowTest, TheShownPicturesShapeIsKnownOnlyWhileItIsShown) {
    show.MeasureAspect = [](const std::string& path) { return path == "/wide" ? 2.5 : 0.75; };
    show.AddImage("/wide");
    show.ImageLoaded("/wide", 5);
    show.AddImage("/tall");
    show.ImageLoaded("/tall", 6);
    EXPECT_EQ(show.CurrentAspect(), 0);  // nothing shown yet
    show.StartSlideshow();
    show.ClickRow(1);
    EXPECT_EQ(show.CurrentAspect(), 0.75);
    show.ClickRow(0);
    EXPECT_EQ(show.CurrentAspect(), 2.5);
}

TEST_F(SlideshowTest, TickWithNothingListedKeepsThePictureAndTriesAgain) {
    show.OwnImageChecked = true;
    show.StartSlideshow();
    show.IntervalText = "5";
    show.SlideshowTick();
    EXPECT_TRUE(show.OwnBackgroundActive);
    AddLoaded(1);  // arrives later: shown at the next tick, not an interval later
    show.SlideshowTick();
    EXPECT_EQ(show.CurrentTexture, 102);
    show.OwnImageChecked = false;
    show.SlideshowTick();
    EXPECT_FALSE(show.OwnBackgroundActive);
}

TEST_F(SlideshowTest, LoadingResolvesTheModeAndStopsAtTenPictures) {
    WriteWholeFile(ini,
                   "[Custom Images]\nRandomImage=1\nRepeatImage=1\nOwnImage=1\nImageTime=\n"
                   "ImageSum=1\nImageList0=/x.png\n");
    show.LoadImageSettings(ini);
    EXPECT_EQ(std::tuple(show.PlayMode, show.IntervalText, show.Playing),
              std::tuple(Slideshow::Random, "5", true));
    EXPECT_EQ(loading, Strings{"/x.png"});
    show.ImageLoaded("/x.png", 0);  // the loader failed: a message, and the show waits for more
    EXPECT_EQ(std::tuple(messages, show.ImageCount(), show.Playing),
              std::tuple(Strings{"(/x.png)image loading error."}, 0, true));

    // Pictures still loading count towards the ten; a huge count with nothing
    // behind it stops at the first gap past the tenth.
    std::string text = "[Custom Images]\nImageSum=2000000000\n";
    for (int i = 0; i < 12; ++i)
        text += "ImageList" + std::to_string(i) + "=/p/\n";
    WriteWholeFile(ini, text);
    loading.clear();
    messages.clear();
    show.LoadImageSettings(ini);
    EXPECT_EQ(show.PlayMode, Slideshow::RepeatOne);  // nothing checked
    EXPECT_EQ(loading.size(), 10u);
    EXPECT_EQ(messages, Strings(2, "The maximum number of background is: 10"));
}

TEST_F(SlideshowTest, WhatIsSavedLoadsBackOneStillLoadingIncluded) {
    const Strings paths = {" blanks ", "/p/slow"};
    show.AddImage(paths[0]);
    show.AddImage(paths[1]);
    show.ImageLoaded(paths[0], 10);
    show.SetPlayMode(Slideshow::RepeatAll);
    show.SetOwnImage(true);
    show.IntervalText = "7";
    ASSERT_TRUE(show.SaveImageSettings(ini));
    Slideshow again;
    Strings asked;
    again.StartLoad = [&](const std::string& p) { asked.push_back(p); };
    again.LoadImageSettings(ini);
    EXPECT_EQ(asked, paths);
    EXPECT_EQ(std::tuple(again.PlayMode, again.IntervalText, again.Playing),
              std::tuple(Slideshow::RepeatAll, "7", true));
    // A read-only file: nothing to save is no failure; a change is refused and said.
    std::filesystem::permissions(ini, std::filesystem::perms::owner_read);
    EXPECT_TRUE(show.SaveImageSettings(ini));
    show.IntervalText = "9";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(show.SaveImageSettings(ini));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("read-only"), std::string::npos);
}

}  // namespace
