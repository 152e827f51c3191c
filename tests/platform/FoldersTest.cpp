#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "support/TempDir.h"

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

TEST(Folders, PrivateFolderUnderTheConfigHomeOrNothingAndOneBox) {
    TempDir dir;
    std::vector<std::string> boxes;
    MessageBoxHandler previous = SetMessageBoxHandler(
        [&](const std::string& text, const std::string& caption) { boxes.push_back(caption + ": " + text); });
    {
        ScopedEnv env("XDG_CONFIG_HOME", dir.Path() + "/deep/config");
        const std::string folder = dir.Path() + "/deep/config/VelmarScr";
        EXPECT_EQ(SettingsFilePath(), folder + "/./KelvaronSet.ini");
        EXPECT_EQ(ModeOf(folder), 0700u);
        chmod(folder.c_str(), 0777);  // an existing shared folder is made private too
        EXPECT_EQ(WindowsFolder(), folder + "/");
        EXPECT_EQ(ModeOf(folder), 0700u);
        EXPECT_TRUE(boxes.empty());
    }
    WriteWholeFile(dir.File("notadir"), "x");
    ScopedEnv env("XDG_CONFIG_HOME", dir.File("notadir"));
    EXPECT_EQ(WindowsFolder(), "");
    EXPECT_EQ(SettingsFilePath(), "");  // never the current folder
    EXPECT_EQ(boxes, (std::vector<std::string>{"ERROR: Error Find TempPath."}));
    SetMessageBoxHandler(previous);

    ASSERT_FALSE(TempPath().empty());
    EXPECT_EQ(TempPath().back(), '/');
    ScopedEnv tmp("TMPDIR", "/nonexistent/tidemere");
    EXPECT_EQ(TempPath(), "");
}

}  // namespace
