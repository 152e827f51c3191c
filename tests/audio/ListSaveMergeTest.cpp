// The picture and music lists against another program writing the same
// settings file while this one runs.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "audio/AudioTestSupport.h"
#include "audio/MusicPlaylist.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "settings/Slideshow.h"
#include "support/TempDir.h"

namespace {

// One list as its dialog holds it.
struct ListUnderTest {
    const char *section, *sum, *row;
    std::function<void(const std::string& ini)> load;
    std::function<void()> removeFirst;
    std::function<bool(const std::string& ini)> save;
};

TEST(ListSave, AnotherWritersRowSurvivesUntilTheUserChangesTheListAndNoRowIsOrphaned) {
    MessageBoxHandler previous = SetMessageBoxHandler([](auto&, auto&) {});
    Slideshow show;
    show.StartLoad = [&](const std::string& path) { show.ImageLoaded(path, 7); };
    RecordingPlayer player;
    MusicPlaylist music(player, 1000);
    const ListUnderTest lists[] = {
        {"Custom Images", "ImageSum", "ImageList",
         [&](const std::string& ini) { show.LoadImageSettings(ini); },
         [&] { show.RemoveSelectedImage(0); },
         [&](const std::string& ini) { return show.SaveImageSettings(ini); }},
        {"Custom Settings", "MusicSum", "MusicList",
         [&](const std::string& ini) { music.LoadSaved(ini); },
         [&] {
             music.Select(0);
             music.OnRemove();
         },
         [&](const std::string& ini) { return music.Save(ini); }},
    };
    for (const ListUnderTest& list : lists) {
        TempDir dir;
        const std::string ini = dir.File("KelvaronSet.ini");
        const std::string key0 = std::string(list.row) + "0", key1 = std::string(list.row) + "1",
                          key2 = std::string(list.row) + "2";
        IniDocument start;
        start.Set(list.section, list.sum, "2");
        start.Set(list.section, key0, "/a");
        start.Set(list.section, key1, "/b");
        ASSERT_TRUE(start.Save(ini));
        list.load(ini);

        // Another program adds a row; this one's list is unchanged.
        ASSERT_TRUE(WriteProfileString(ini, list.section, key2, "/c"));
        ASSERT_TRUE(WriteProfileString(ini, list.section, list.sum, "3"));
        EXPECT_TRUE(list.save(ini)) << list.sum;
        const IniDocument theirs = IniDocument::Load(ini);
        EXPECT_EQ(theirs.Get(list.section, list.sum), "3") << list.sum;
        EXPECT_EQ(theirs.Get(list.section, key2), "/c") << list.sum;

        // The user removes a row: the list shown is written whole, nothing past its end.
        list.removeFirst();
        EXPECT_TRUE(list.save(ini)) << list.sum;
        const IniDocument after = IniDocument::Load(ini);
        EXPECT_EQ(after.Get(list.section, list.sum), "1") << list.sum;
        EXPECT_EQ(after.Get(list.section, key0), "/b") << list.sum;
        EXPECT_EQ(after.Get(list.section, key1), std::nullopt) << list.sum;
        EXPECT_EQ(after.Get(list.section, key2), std::nullopt) << list.sum;
    }
    SetMessageBoxHandler(previous);
}

}  // namespace
