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
#include "support/InChild.h"
#include "support/TempDir.h"

namespace {

// Each test gets its own config folder and a zeroed record.
class SettingsTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv env{"XDG_CONFIG_HOME", dir.Path()};
    ScriptedRandom random{{1, 0, 1, 1, 0}};
    ScopedRandomSource useRandom{random};
    MessageBoxHandler previousBoxes = SetMessageBoxHandler([](auto&, auto&) {});

    SettingsTest() { Settings = SettingsRecord{}; }
    ~SettingsTest() override { SetMessageBoxHandler(previousBoxes); }

    std::string Path() const { return dir.Path() + "/VelmarScr/KelvaronSet.ini"; }
    void Load(const std::string& text) {
        mkdir((dir.Path() + "/VelmarScr").c_str(), 0700);
        WriteWholeFile(Path(), text);
        LoadSettings();
    }
    std::string Stored(const std::string& section, const std::string& key) const {
        return IniDocument::Load(Path()).Get(section, key).value_or("<missing>");
    }
};

// Runs `prepare`, then two loads in a child collecting the boxes; 0 when `check` passes.
template <typename Prepare, typename Check>
int LoadInChild(Prepare prepare, Check check) {
    return InChild([&] {
        if (!prepare()) return 2;
        std::vector<std::string> boxes;
        SetMessageBoxHandler([&](const std::string& text, auto&) { boxes.push_back(text); });
        LoadSettings();
        LoadSettings();
        return check(boxes) ? 0 : 1;
    });
}

TEST_F(SettingsTest, FirstStartWritesEveryKeyOnceDrawsTheFishAndLaterStartsLeaveTheFile) {
    LoadSettings();
    const std::string text = ReadWholeFile(Path());
    EXPECT_EQ(text.rfind("[Aquarium Settings]\nShow Water=0\nShow Light=0\nShow Terra=1\n", 0), 0u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 35);  // 2 headers, 32 keys, a blank
    EXPECT_NE(text.find("VIEWSNEARFAR=0\n\n[Fish Number]\nFish0=1\nFish1=0\nFish2=1\nFish3=1\nFish4=0\n"),
              std::string::npos);
    EXPECT_EQ(Settings.Yinliang, 32767);  // "32767.5" reads as 32767
    struct stat before, after;
    stat(Path().c_str(), &before);
    Settings = SettingsRecord{};
    LoadSettings();
    stat(Path().c_str(), &after);
    EXPECT_EQ(ReadWholeFile(Path()), text);
    EXPECT_EQ(before.st_ino, after.st_ino);  // not replaced
    EXPECT_EQ(random.Drawn(), 5u);           // one draw per missing fish count, once
}

TEST_F(SettingsTest, ForcedKeysAreRewrittenOthersKeepWhatTheUserWrote) {
    Load("[Aquarium Settings]\nShow Water=1\nShow Light=1\nShow Terra=0\nBACK GUDING=0\n"
         "BACKCOLOR=255\nBACK AUTOJIANBIAN=1\nFRONT GUDING=0\nBACK COLOR1=17\nQIPAONUM=12 bubbles\n"
         "BACKGROUND=two\nLOCKBACK ROT=3.9\n");
    EXPECT_EQ((std::vector{Settings.ShowWater, Settings.ShowLight, Settings.ShowTerra, Settings.BackGuding,
                           Settings.BackColor, Settings.BackAutoJianBian}),
              (std::vector{0, 0, 1, 1, 0, 0}));
    EXPECT_EQ(Stored("Aquarium Settings", "BACKCOLOR"), "0");
    EXPECT_EQ(Settings.FrontGuding, 0);
    EXPECT_EQ(Settings.BackColor1, 17);
    EXPECT_EQ(Settings.QiPaoNum, 12);
    EXPECT_EQ(Settings.Background, 0);
    EXPECT_FLOAT_EQ(Settings.LockBackRot, 3.0f);
    EXPECT_EQ(Stored("Aquarium Settings", "QIPAONUM"), "12 bubbles");  // kept as written
}

TEST_F(SettingsTest, FogLightAndBubblesAreLimited) {
    struct Case {
        const char *fog, *light, *bubbles;
        int fogWant, lightWant, bubblesWant;
    };
    for (const Case c : {Case{"26", "101", "500", 25, 0, 110}, Case{"-1", "100", "-30", 25, 100, 0},
                         Case{"0", "-5", "3", 0, 0, 3}, Case{"lots", "dim", "x", 0, 0, 0}}) {
        Load(std::string("[Aquarium Settings]\nFOGNONGDU=") + c.fog + "\nLIGHTQIANGDU=" + c.light +
             "\nQIPAONUM=" + c.bubbles + "\n");
        EXPECT_EQ(Settings.FogNongDu, c.fogWant) << c.fog;
        EXPECT_EQ(Settings.LightQiangDu, c.lightWant) << c.light;
        EXPECT_EQ(Settings.QiPaoNum, c.bubblesWant) << c.bubbles;
        EXPECT_EQ(BubbleCount(Settings), 110 - c.bubblesWant) << c.bubbles;
        EXPECT_EQ(Stored("Aquarium Settings", "FOGNONGDU"),
                  std::string(c.fog) == "lots" ? "lots" : std::to_string(c.fogWant));
    }
}

TEST_F(SettingsTest, FishCountsNeverAddUpToMoreFishThanTheTankHolds) {
    Load("[Fish Number]\nFish0=2\nFish1=-1\nFish2=9\nFish3=1\nFish4=4\n");
    EXPECT_EQ(std::to_array(Settings.FishCounts), (std::array{2, 0, 3, 0, 0}));
    EXPECT_EQ(Stored("Fish Number", "Fish2"), "9");  // the file keeps what it had
    EXPECT_EQ(random.Drawn(), 0u);
    const int refreshed[5] = {1, 1, 1, 1, 7};
    RefreshFishCounts(refreshed);
    EXPECT_EQ(std::to_array(Settings.FishCounts), (std::array{1, 1, 1, 1, 1}));
}

const char* const kUsersFile = "[Custom Images]\nImage0=/home/u/reef.jpg\n[Aquarium Settings]\nLIGHTQIANGDU=30\n";

TEST_F(SettingsTest, AnUnreadableFileIsNeverWrittenAndAFailedSaveIsReportedOnce) {
    mkdir((dir.Path() + "/VelmarScr").c_str(), 0700);
    WriteWholeFile(Path(), kUsersFile);
    const auto full = [] {  // a full disk
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0;
    };
    EXPECT_EQ(LoadInChild(full,
                          [](auto& boxes) {
                              return Settings.LightQiangDu == 30 && boxes.size() == 1 &&
                                     boxes[0].find("Cannot save") != std::string::npos;
                          }),
              0);
    EXPECT_EQ(ReadWholeFile(Path()), kUsersFile);

    // Unreadable: root reads anything, so the load runs as nobody, who owns the folder.
    ASSERT_EQ(chmod(Path().c_str(), 0), 0);
    const uid_t nobody = 65534;
    for (const std::string& p : {dir.Path(), dir.Path() + "/VelmarScr", Path()}) {
        if (geteuid() == 0) { ASSERT_EQ(chown(p.c_str(), nobody, nobody), 0); }
    }
    const auto asNobody = [] { return geteuid() != 0 || (setgid(nobody) == 0 && setuid(nobody) == 0); };
    EXPECT_EQ(LoadInChild(asNobody,
                          [](auto& boxes) {
                              return Settings.LightQiangDu == 0 && Settings.QiPaoNum == 100 && boxes.size() == 1 &&
                                     boxes[0].find("Permission denied") != std::string::npos;
                          }),
              0);
    EXPECT_EQ(ReadWholeFile(Path()), kUsersFile);
}

TEST_F(SettingsTest, WithoutASettingsFolderTheRunUsesDefaultsAndWritesNowhere) {
    WriteWholeFile(dir.File("file"), "x");
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("file"));
    mkdir(dir.File("cwd").c_str(), 0700);
    EXPECT_EQ(LoadInChild([&] { return chdir(dir.File("cwd").c_str()) == 0; },
                          [](auto& boxes) { return Settings.FogNongDu == 25 && boxes.size() == 1; }),
              0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("cwd")));
}

}  // namespace
