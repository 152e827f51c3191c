#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"
#include "settings/Slideshow.h"
#include "support/TempDir.h"

namespace {

// Drives the slideshow without widgets or GL: texture names are numbers the
// test hands back as the loader's answer.
class SlideshowTest : public ::testing::Test {
protected:
    Slideshow show;
    std::vector<std::string> messages, loading;
    std::vector<unsigned> released;
    MessageBoxHandler previousBoxes =
        SetMessageBoxHandler([this](const std::string& text, const std::string&) { messages.push_back(text); });
    TempDir dir;

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
    std::string Ini() const { return dir.File("set.ini"); }
};

TEST_F(SlideshowTest, IntervalChangesAtTheFirstTickThenEveryWholeInterval) {
    AddLoaded(3);
    show.SetPlayMode(Slideshow::RepeatAll);
    show.IntervalText = "2";
    show.StartSlideshow();
    std::vector<int> changes;
    for (int tick = 1, last = show.CurrentTexture; tick <= 25; ++tick, last = show.CurrentTexture) {
        show.SlideshowTick();
        if (show.CurrentTexture != last) changes.push_back(tick);
    }
    EXPECT_EQ(changes, (std::vector<int>{1, 11, 21}));
}

TEST_F(SlideshowTest, EachModePicksTheNextRow) {
    AddLoaded(3);  // textures 102, 103, 104
    show.IntervalText = "0";
    show.StartSlideshow();
    auto tick = [&](int current) {
        show.CurrentTexture = current;
        show.SlideshowTick();
        return show.CurrentTexture;
    };
    // Repeat One keeps the current, or shows the first row.
    EXPECT_EQ(tick(0), 102);
    EXPECT_EQ(tick(104), 104);
    EXPECT_EQ(OnRow(), 2);
    show.SetPlayMode(Slideshow::RepeatAll);
    EXPECT_EQ(tick(0), 102);
    EXPECT_EQ(tick(103), 104);
    EXPECT_EQ(tick(104), 102);
    EXPECT_EQ(OnRow(), 0);
    ScriptedRandom random{{5, 3}};
    ScopedRandomSource use{random};
    show.SetPlayMode(Slideshow::Random);
    EXPECT_EQ(tick(102), 104);  // 5 mod 3
    EXPECT_EQ(tick(104), 102);  // 3 mod 3
}

TEST_F(SlideshowTest, ClickWhileStoppedChangesNothingAndWhilePlayingShowsTheRow) {
    AddLoaded(3);
    show.CurrentTexture = 103;
    show.ClickRow(2);
    EXPECT_EQ(show.CurrentTexture, 103);  // never -1
    EXPECT_EQ(OnRow(), -1);
    show.StartSlideshow();
    show.ClickRow(2);
    EXPECT_EQ(show.CurrentTexture, 104);
    EXPECT_EQ(OnRow(), 2);
    show.StopSlideshow();
    EXPECT_EQ(OnRow(), -1);
}

TEST_F(SlideshowTest, RemovingReleasesTexturesAndNeverLeavesAStaleOne) {
    AddLoaded(3);  // 102, 103, 104
    show.StartSlideshow();
    show.ClickRow(1);
    show.RemoveSelectedImage(1);
    EXPECT_EQ(show.CurrentTexture, 102);  // playing: row 0 by user
    EXPECT_EQ(OnRow(), 0);
    show.StopSlideshow();
    show.CurrentTexture = 104;
    show.RemoveSelectedImage(1);  // the shown one, while stopped
    EXPECT_EQ(show.CurrentTexture, 0);
    show.RemoveSelectedImage(0);  // the only one
    EXPECT_EQ(show.CurrentTexture, 0);
    EXPECT_EQ(released, (std::vector<unsigned>{103, 104, 102}));
    AddLoaded(2);
    show.CurrentTexture = 102;
    show.RemoveAllImages();
    EXPECT_EQ(show.ImageCount(), 0);
    EXPECT_EQ(show.CurrentTexture, 0);
    EXPECT_EQ(released.size(), 5u);
}

TEST_F(SlideshowTest, TickWithNothingListedKeepsThePictureAndTriesAgain) {
    show.OwnImageChecked = true;
    show.StartSlideshow();
    show.IntervalText = "5";
    show.SlideshowTick();
    EXPECT_TRUE(OwnBackgroundActive);
    AddLoaded(1);  // arrives later: shown at the next tick, not an interval later
    show.SlideshowTick();
    EXPECT_EQ(show.CurrentTexture, 102);
    show.OwnImageChecked = false;
    show.SlideshowTick();
    EXPECT_FALSE(OwnBackgroundActive);
}

TEST_F(SlideshowTest, LimitAndLoadErrorsGiveTheMessagesAndAddNothing) {
    show.SetOwnImage(true);
    show.StopSlideshow();
    show.AddImage("/a.png", true);
    show.ImageLoaded("/a.png", 7);
    EXPECT_TRUE(show.Playing);  // the first picture the user chose starts the show
    AddLoaded(8);
    show.AddImage("/p/slow");  // still loading counts towards the ten
    show.AddImage("/p/eleven");
    EXPECT_EQ(messages, (std::vector<std::string>{"The maximum number of background is: 10"}));
    show.ImageLoaded("/p/slow", 0);
    EXPECT_EQ(messages.back(), "(/p/slow)image loading error.");
    EXPECT_EQ(show.ImageCount(), 9);
    EXPECT_FALSE(show.Playing);
}

TEST_F(SlideshowTest, LoadingResolvesTheModeAndStopsAtTenPictures) {
    WriteWholeFile(Ini(), "[Custom Images]\nRandomImage=1\nRepeatImage=1\nOwnImage=1\nImageTime=\n"
                          "ImageSum=1\nImageList0=/x.png\n");
    show.LoadImageSettings(Ini());
    EXPECT_EQ(show.PlayMode, Slideshow::Random);
    EXPECT_EQ((std::vector<bool>{show.ModeChecked[0], show.ModeChecked[1], show.ModeChecked[2]}),
              (std::vector<bool>{false, false, true}));
    EXPECT_EQ(show.IntervalText, "5");
    EXPECT_TRUE(show.Playing);
    EXPECT_EQ(loading, (std::vector<std::string>{"/x.png"}));

    std::string text = "[Custom Images]\nImageSum=50\n";
    for (int i = 0; i < 50; ++i) text += "ImageList" + std::to_string(i) + "=/p/" + std::to_string(i) + "\n";
    WriteWholeFile(Ini(), text);
    loading.clear();
    show.LoadImageSettings(Ini());
    EXPECT_EQ(show.PlayMode, Slideshow::RepeatOne);  // nothing checked
    EXPECT_EQ(loading.size(), 10u);
    EXPECT_EQ(messages.size(), 40u);

    // A huge count with nothing behind it stops at the first gap past the tenth.
    messages.clear();
    loading.clear();
    WriteWholeFile(Ini(), "[Custom Images]\nImageSum=2000000000\n");
    show.LoadImageSettings(Ini());
    EXPECT_EQ(loading.size(), 10u);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SlideshowTest, SavingAfterRemovingTwoOfFiveLeavesTheOldKeys) {
    AddLoaded(5);
    ASSERT_TRUE(show.SaveImageSettings(Ini()));
    show.RemoveSelectedImage(4);
    show.RemoveSelectedImage(0);
    ASSERT_TRUE(show.SaveImageSettings(Ini()));
    const IniDocument doc = IniDocument::Load(Ini());
    const char* want[][2] = {{"ImageSum", "3"},        {"ImageList0", "/p/1"}, {"ImageList2", "/p/3"},
                             {"ImageList3", "/p/3"},   {"ImageList4", "/p/4"}, {"ImageTime", "5"},
                             {"RepeatImage", "1"},     {"OwnImage", "0"}};
    for (auto& [key, value] : want) EXPECT_EQ(doc.Get("Custom Images", key), value) << key;
}

TEST_F(SlideshowTest, LongAndUnusualPathsSurviveSaveAndLoad) {
    const std::vector<std::string> paths = {"/photos/" + std::string(600, 'a') + ".jpg",
                                            "/fotos/Ålesund – føniks 海.png", " blanks ", "\"quoted\""};
    for (const auto& p : paths) show.AddImage(p);
    // One still loading when the dialog closes is kept as well.
    for (size_t i = 0; i + 1 < paths.size(); ++i) show.ImageLoaded(paths[i], 10 + i);
    ASSERT_TRUE(show.SaveImageSettings(Ini()));
    Slideshow again;
    std::vector<std::string> asked;
    again.StartLoad = [&](const std::string& p) { asked.push_back(p); };
    again.LoadImageSettings(Ini());
    EXPECT_EQ(asked, paths);
    EXPECT_TRUE(messages.empty());
}

}  // namespace
