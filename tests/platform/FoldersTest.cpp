#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "support/TempDir.h"

namespace {

struct BoxRecorder {
    std::vector<std::string> shown;
    MessageBoxHandler previous;
    BoxRecorder() {
        previous = SetMessageBoxHandler(
            [this](const std::string& text, const std::string& caption) {
                shown.push_back(caption + ": " + text);
            });
    }
    ~BoxRecorder() { SetMessageBoxHandler(previous); }
};

TEST(Folders, SettingsLiveInAPrivateFolderUnderTheConfigHome) {
    TempDir dir;
    ScopedEnv env("XDG_CONFIG_HOME", dir.Path() + "/deep/config");
    BoxRecorder boxes;
    EXPECT_EQ(WindowsFolder(), dir.Path() + "/deep/config/VelmarScr/");
    EXPECT_EQ(SettingsFilePath(), dir.Path() + "/deep/config/VelmarScr/./KelvaronSet.ini");
    struct stat st;
    ASSERT_EQ(stat((dir.Path() + "/deep/config/VelmarScr").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(boxes.shown.empty());
    // A folder that already exists, shared, is made private too.
    chmod((dir.Path() + "/deep/config/VelmarScr").c_str(), 0777);
    WindowsFolder();
    ASSERT_EQ(stat((dir.Path() + "/deep/config/VelmarScr").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(Folders, AFolderThatCannotBeMadeIsReportedOnceAndGivesNoPaths) {
    TempDir dir;
    WriteWholeFile(dir.File("notadir"), "x");
    ScopedEnv env("XDG_CONFIG_HOME", dir.File("notadir"));
    BoxRecorder boxes;
    EXPECT_EQ(WindowsFolder(), "");
    EXPECT_EQ(SettingsFilePath(), "");  // never the current folder
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], "ERROR: Error Find TempPath.");
}

TEST(Folders, TempPathExistsAndEndsWithASlash) {
    const std::string temp = TempPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '/');
    ScopedEnv env("TMPDIR", "/nonexistent/tidemere");
    EXPECT_EQ(TempPath(), "");
}

}  // namespace
