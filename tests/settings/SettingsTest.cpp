#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"
#include "settings/SettingsRecord.h"
#include "support/TimedChild.h"
#include "support/TempDir.h"

namespace {

// Each test gets its own config folder, not there yet, and a zeroed record.
class SettingsTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv env{"XDG_CONFIG_HOME", dir.File("config")};
    std::string folder = dir.File("config/VelmarScr");
    std::string path = folder + "/KelvaronSet.ini";
    ScriptedRandom random{{1, 0, 1, 1, 0}};
    ScopedRandomSource useRandom{random};
    MessageBoxHandler previousBoxes = SetMessageBoxHandler([](auto&, auto&) {});

    SettingsRecord record;

    ~SettingsTest() override { SetMessageBoxHandler(previousBoxes); }

    void Write(const std::string& text) {
        std::filesystem::create_directories(folder);
        WriteWholeFile(path, text);
    }
    std::string Stored(const std::string& section, const std::string& key) const {
        return IniDocument::Load(path).Get(section, key).value_or("<missing>");
    }
};

// Runs `prepare`, then two loads in a child; returns the light level the run
// used, or 255 unless exactly one box was shown and it holds `box`.
template <typename Prepare>
int LoadInChild(Prepare prepare, const std::string& box) {
    return InChildWithin(30, [&] {
        if (!prepare()) return 254;
        std::vector<std::string> boxes;
        SetMessageBoxHandler([&](const std::string& text, auto&) { boxes.push_back(text); });
        SettingsRecord record;
        LoadSettings(record);
        LoadSettings(record);
        const bool said = boxes.size() == 1 && boxes[0].find(box) != std::string::npos;
        return said ? record.LightQiangDu : 255;
    });
}

TEST_F(SettingsTest, FirstStartWritesEveryKeyOnceAndLaterStartsLeaveTheFile) {
    LoadSettings(record);
    const std::string text = ReadWholeFile(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 35);  // 2 headers, 32 keys, a blank
    EXPECT_TRUE(text.ends_with(
        "VIEWSNEARFAR=0\n\n[Fish Number]\nFish0=1\nFish1=0\nFish2=1\nFish3=1\nFish4=0\n"));
    chmod(folder.c_str(), 0777);  // a shared settings folder is made private again
    struct stat before, after;
    stat(path.c_str(), &before);
    LoadSettings(record);
    stat(path.c_str(), &after);
    EXPECT_EQ(ReadWholeFile(path), text);
    EXPECT_EQ(before.st_ino, after.st_ino);  // not replaced
    EXPECT_EQ(random.Drawn(), 5u);           // one draw per missing fish count, once
    EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all);
}

TEST_F(SettingsTest, ForcedKeysAreRewrittenOthersKeepWhatTheUserWrote) {
    Write(
        "[Aquarium Settings]\nShow Water=1\nShow Light=1\nShow Terra=0\nBACK GUDING=0\n"
        "BACKCOLOR=255\nBACK AUTOJIANBIAN=1\nBACK COLOR1=17\nQIPAONUM=12 bubbles\n"
        "[Fish Number]\nFish0=2\nFish1=-1\nFish2=9\nFish3=1\nFish4=4\n");
    LoadSettings(record);
    const SettingsRecord& s = record;
    EXPECT_EQ((std::vector{s.ShowWater, s.ShowLight, s.ShowTerra, s.BackGuding, s.BackColor,
                           s.BackAutoJianBian, s.BackColor1, s.QiPaoNum}),
              (std::vector{0, 0, 1, 1, 0, 0, 17, 12}));
    EXPECT_EQ(Stored("Aquarium Settings", "BACKCOLOR"), "0");
    EXPECT_EQ(Stored("Aquarium Settings", "QIPAONUM"), "12 bubbles");
    // The tank holds five fish; the file keeps what it had.
    EXPECT_EQ(std::to_array(s.FishCounts), (std::array{2, 0, 3, 0, 0}));
    EXPECT_EQ(Stored("Fish Number", "Fish2"), "9");
    EXPECT_EQ(random.Drawn(), 0u);
}

TEST_F(SettingsTest, FogLightAndBubblesAreLimited) {
    struct Case {
        const char *fog, *light, *bubbles;
        int fogWant, lightWant, bubblesWant;
        const char* fogStored;  // out of range is replaced, the rest kept as written
    };
    const Case cases[] = {{"26", "101", "500", 25, 0, 110, "25"},
                          {"-1", "100", "-30", 25, 100, 0, "25"},
                          {"0", "-5", "3", 0, 0, 3, "0"},
                          {"lots", "dim", "x", 0, 0, 0, "lots"}};
    for (const Case& c : cases) {
        Write(std::string("[Aquarium Settings]\nFOGNONGDU=") + c.fog + "\nLIGHTQIANGDU=" + c.light +
              "\nQIPAONUM=" + c.bubbles + "\n");
        LoadSettings(record);
        EXPECT_EQ(std::tuple(record.FogNongDu, record.LightQiangDu, record.QiPaoNum),
                  std::tuple(c.fogWant, c.lightWant, c.bubblesWant))
            << c.fog;
        EXPECT_EQ(BubbleCount(record), 110 - c.bubblesWant) << c.bubbles;
        EXPECT_EQ(Stored("Aquarium Settings", "FOGNONGDU"), c.fogStored);
    }
}

const char* const kUsersFile =
    "[Custom Images]\nImage0=/home/u/reef.jpg\n[Aquarium Settings]\nLIGHTQIANGDU=30\n";

TEST_F(SettingsTest, AFullDiskOrAnUnreadableFileLeavesTheFileWholeAndSaysSoOnce) {
    Write(kUsersFile);
    const auto fullDisk = [] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0;
    };
    EXPECT_EQ(LoadInChild(fullDisk, "Cannot save"), 30);  // what was read is used
    EXPECT_EQ(ReadWholeFile(path), kUsersFile);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);  // no temp left

    // Unreadable: root reads anything, so the load runs as nobody, who owns the folders.
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    const uid_t nobody = 65534;
    for (const std::string& p : {dir.Path(), dir.File("config"), folder, path})
        ASSERT_TRUE(geteuid() != 0 || chown(p.c_str(), nobody, nobody) == 0);
    const auto asNobody = [] {
        return geteuid() != 0 || (setgid(nobody) == 0 && setuid(nobody) == 0);
    };
    EXPECT_EQ(LoadInChild(asNobody, "Permission denied"), 0);  // the defaults
    EXPECT_EQ(ReadWholeFile(path), kUsersFile);
}

TEST_F(SettingsTest, WithoutASettingsFolderTheRunUsesDefaultsAndWritesNowhere) {
    WriteWholeFile(dir.File("file"), "x");
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("file"));
    mkdir(dir.File("cwd").c_str(), 0700);
    const auto inCwd = [&] { return chdir(dir.File("cwd").c_str()) == 0; };
    EXPECT_EQ(LoadInChild(inCwd, "Error Find TempPath."), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("cwd")));  // never the current folder
    EXPECT_TRUE(TempPath().ends_with('/'));                   // what the run uses instead
}

}  // namespace
