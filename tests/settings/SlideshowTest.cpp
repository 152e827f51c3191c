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
    std::vector<std::string> messages;
    std::vector<std::string> loading;
    std::vector<unsigned> released;
    MessageBoxHandler previousBoxes =
        SetMessageBoxHandler([this](const std::string& text, const std::string&) { messages.push_back(text); });
    TempDir dir;

    SlideshowTest() {
        show.StartLoad = [this](const std::string& path) { loading.push_back(path); };
        show.ReleaseTexture = [this](unsigned t) { released.push_back(t); };
    }
    ~SlideshowTest() override { SetMessageBoxHandler(previousBoxes); }

    // Adds pictures whose textures are 101, 102, ...
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
    int last = show.CurrentTexture;
    for (int tick = 1; tick <= 25; ++tick) {
        show.SlideshowTick();
        if (show.CurrentTexture != last) changes.push_back(tick);
        last = show.CurrentTexture;
    }
    EXPECT_EQ(changes, (std::vector<int>{1, 11, 21}));

    // No number: every tick.
    show.IntervalText = "x";
    show.SlideshowTick();
    const int before = show.CurrentTexture;
    show.SlideshowTick();
    EXPECT_NE(show.CurrentTexture, before);
}

TEST_F(SlideshowTest, RepeatAllRunsOnFromTheCurrentAndStartsAtTheFirstRow) {
    AddLoaded(3);  // textures 102, 103, 104
    show.SetPlayMode(Slideshow::RepeatAll);
    show.IntervalText = "0";
    show.StartSlideshow();
    show.SlideshowTick();
    EXPECT_EQ(show.CurrentTexture, 102);  // nothing shown yet: the first row
    show.CurrentTexture = 103;            // B
    show.SlideshowTick();
    EXPECT_EQ(show.CurrentTexture, 104);
    EXPECT_EQ(OnRow(), 2);
    show.SlideshowTick();
    EXPECT_EQ(show.CurrentTexture, 102);
    EXPECT_EQ(OnRow(), 0);
}

TEST_F(SlideshowTest, RepeatOneKeepsTheCurrentOrShowsTheFirstRow) {
    AddLoaded(3);
    show.IntervalText = "0";
    show.StartSlideshow();
    show.SlideshowTick();
    EXPECT_EQ(show.CurrentTexture, 102);
    show.CurrentTexture = 104;
    show.SlideshowTick();
    EXPECT_EQ(show.CurrentTexture, 104);
    EXPECT_EQ(OnRow(), 2);
}

TEST_F(SlideshowTest, RandomDrawsTheRowFromTheRandomSource) {
    AddLoaded(3);
    ScriptedRandom random{{5, 3}};
    ScopedRandomSource use{random};
    show.SetPlayMode(Slideshow::Random);
    show.IntervalText = "0";
    show.StartSlideshow();
    show.SlideshowTick();
    EXPECT_EQ(show.CurrentTexture, 104);  // 5 mod 3
    show.SlideshowTick();
    EXPECT_EQ(show.CurrentTexture, 102);  // 3 mod 3
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
    EXPECT_FALSE(show.Playing);
}

TEST_F(SlideshowTest, RemovingReleasesTexturesAndNeverLeavesAStaleOne) {
    AddLoaded(3);  // 102, 103, 104
    show.StartSlideshow();
    show.ClickRow(1);
    show.RemoveSelectedImage(1);
    EXPECT_EQ(released, (std::vector<unsigned>{103}));
    EXPECT_EQ(show.CurrentTexture, 102);  // playing: row 0 by user
    EXPECT_EQ(OnRow(), 0);

    show.StopSlideshow();
    show.CurrentTexture = 104;
    show.RemoveSelectedImage(1);  // the shown one, while stopped
    EXPECT_EQ(show.CurrentTexture, 0);
    show.RemoveSelectedImage(0);  // the only one
    EXPECT_EQ(show.ImageCount(), 0);
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
    EXPECT_EQ(show.CurrentTexture, 0);
    AddLoaded(1);  // arrives later
    show.SlideshowTick();
    EXPECT_EQ(show.CurrentTexture, 102);
    show.OwnImageChecked = false;
    show.SlideshowTick();
    EXPECT_FALSE(OwnBackgroundActive);
}

TEST_F(SlideshowTest, LimitAndLoadErrorsGiveTheMessagesAndAddNothing) {
    AddLoaded(9);
    show.AddImage("/p/slow");  // still loading counts towards the ten
    show.AddImage("/p/eleven");
    EXPECT_EQ(messages, (std::vector<std::string>{"The maximum number of background is: 10"}));
    show.StartSlideshow();
    show.ImageLoaded("/p/slow", 0);
    EXPECT_EQ(messages.back(), "(/p/slow)image loading error.");
    EXPECT_EQ(show.ImageCount(), 9);
    EXPECT_FALSE(show.Playing);
}

TEST_F(SlideshowTest, FirstPictureChosenByTheUserStartsTheShowWhenOwnImagesAreOn) {
    show.SetOwnImage(true);
    show.StopSlideshow();
    show.AddImage("/a.png", true);
    EXPECT_FALSE(show.Playing);
    show.ImageLoaded("/a.png", 7);
    EXPECT_TRUE(show.Playing);
    show.SetOwnImage(false);
    EXPECT_FALSE(show.Playing);
}

TEST_F(SlideshowTest, RandomWinsOverRepeatOneWhenLoading) {
    WriteWholeFile(Ini(), "[Custom Images]\nRandomImage=1\nRepeatImage=1\nOwnImage=1\nImageTime=\n"
                          "ImageSum=1\nImageList0=/x.png\n");
    show.LoadImageSettings(Ini());
    EXPECT_EQ(show.PlayMode, Slideshow::Random);
    EXPECT_TRUE(show.ModeChecked[2]);
    EXPECT_FALSE(show.ModeChecked[0]);
    EXPECT_FALSE(show.ModeChecked[1]);
    EXPECT_EQ(show.IntervalText, "5");
    EXPECT_TRUE(show.Playing);
    EXPECT_EQ(loading, (std::vector<std::string>{"/x.png"}));

    // Nothing checked: Repeat One.
    WriteWholeFile(Ini(), "[Custom Images]\nImageTime=3\n");
    show.LoadImageSettings(Ini());
    EXPECT_EQ(show.PlayMode, Slideshow::RepeatOne);
    EXPECT_TRUE(show.ModeChecked[0]);
    EXPECT_EQ(show.IntervalText, "3");
}

TEST_F(SlideshowTest, FiftyListedLoadTenAndReportTheRestOnce) {
    std::string text = "[Custom Images]\nImageSum=50\n";
    for (int i = 0; i < 50; ++i) text += "ImageList" + std::to_string(i) + "=/p/" + std::to_string(i) + "\n";
    WriteWholeFile(Ini(), text);
    show.LoadImageSettings(Ini());
    EXPECT_EQ(loading.size(), 10u);
    EXPECT_EQ(messages.size(), 40u);

    // A huge count with nothing listed behind it stops at the first gap
    // past the tenth instead of running for ever.
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
    EXPECT_EQ(doc.Get("Custom Images", "ImageSum"), "3");
    EXPECT_EQ(doc.Get("Custom Images", "ImageList0"), "/p/1");
    EXPECT_EQ(doc.Get("Custom Images", "ImageList2"), "/p/3");
    EXPECT_EQ(doc.Get("Custom Images", "ImageList3"), "/p/3");  // left from the first save
    EXPECT_EQ(doc.Get("Custom Images", "ImageList4"), "/p/4");
    EXPECT_EQ(doc.Get("Custom Images", "ImageTime"), "5");
    EXPECT_EQ(doc.Get("Custom Images", "RepeatImage"), "1");
    EXPECT_EQ(doc.Get("Custom Images", "OwnImage"), "0");
}

TEST_F(SlideshowTest, LongAndUnusualPathsSurviveSaveAndLoad) {
    const std::vector<std::string> paths = {
        "/photos/" + std::string(600, 'a') + ".jpg",
        "/fotos/Ålesund – føniks 海.png",
        " leading and trailing blanks ",
        "\"quoted\"",
    };
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
