#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"
#include "settings/SettingsRecord.h"
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
    void WriteSettings(const std::string& text) {
        mkdir((dir.Path() + "/VelmarScr").c_str(), 0700);
        WriteWholeFile(Path(), text);
    }
    std::string Stored(const std::string& section, const std::string& key) const {
        return IniDocument::Load(Path()).Get(section, key).value_or("<missing>");
    }
};

TEST_F(SettingsTest, FirstStartWritesEveryKeyOnceAndDrawsOnlyTheFishCounts) {
    LoadSettings();
    const std::string text = ReadWholeFile(Path());
    EXPECT_EQ(text.rfind("[Aquarium Settings]\nShow Water=0\nShow Light=0\nShow Terra=1\n", 0), 0u);
    // Two headers, 27 + 5 keys and the blank line between the sections.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 35);
    EXPECT_NE(text.find("VIEWSNEARFAR=0\n\n[Fish Number]\nFish0=1\nFish1=0\nFish2=1\nFish3=1\nFish4=0\n"),
              std::string::npos);
    EXPECT_EQ(random.Drawn(), 5u);  // one draw per missing fish count
    EXPECT_EQ(Settings.Yinliang, 32767);  // "32767.5" reads as 32767
}

TEST_F(SettingsTest, CompleteFileIsNotRewritten) {
    LoadSettings();
    const std::string first = ReadWholeFile(Path());
    struct stat before;
    stat(Path().c_str(), &before);
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(ReadWholeFile(Path()), first);
    EXPECT_EQ(random.Drawn(), 5u);  // no fish key was missing the second time
    struct stat after;
    stat(Path().c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);  // not replaced
}

TEST_F(SettingsTest, ForcedKeysAreRewrittenWhateverTheFileHeld) {
    WriteSettings(
        "[Aquarium Settings]\nShow Water=1\nShow Light=1\nShow Terra=0\nBACK GUDING=0\n"
        "BACKCOLOR=255\nBACK AUTOJIANBIAN=1\nFRONT GUDING=0\nBACK COLOR1=17\n");
    LoadSettings();
    EXPECT_EQ(Settings.ShowWater, 0);
    EXPECT_EQ(Settings.ShowLight, 0);
    EXPECT_EQ(Settings.ShowTerra, 1);
    EXPECT_EQ(Settings.BackGuding, 1);
    EXPECT_EQ(Settings.BackColor, 0);
    EXPECT_EQ(Settings.BackAutoJianBian, 0);
    EXPECT_EQ(Stored("Aquarium Settings", "BACKCOLOR"), "0");
    EXPECT_EQ(Stored("Aquarium Settings", "Show Terra"), "1");
    // Keys that are not forced keep what the user wrote.
    EXPECT_EQ(Settings.FrontGuding, 0);
    EXPECT_EQ(Settings.BackColor1, 17);
}

TEST_F(SettingsTest, FogAndLightAreLimitedAndRewritten) {
    struct Case {
        const char* fog;
        int fogWant;
        const char* light;
        int lightWant;
    };
    for (const Case c : {Case{"26", 25, "101", 0}, Case{"-1", 25, "100", 100},
                         Case{"0", 0, "-5", 0}, Case{"25", 25, "50", 50},
                         Case{"lots", 0, "dim", 0}}) {
        WriteSettings(std::string("[Aquarium Settings]\nFOGNONGDU=") + c.fog +
                      "\nLIGHTQIANGDU=" + c.light + "\n");
        LoadSettings();
        EXPECT_EQ(Settings.FogNongDu, c.fogWant) << c.fog;
        EXPECT_EQ(Settings.LightQiangDu, c.lightWant) << c.light;
        EXPECT_EQ(Stored("Aquarium Settings", "FOGNONGDU"),
                  std::string(c.fog) == "lots" ? "lots" : std::to_string(c.fogWant));
    }
}

TEST_F(SettingsTest, HandEditedNumbersReadLikeAtoi) {
    WriteSettings(
        "[Aquarium Settings]\nQIPAONUM=12 bubbles\nBACKGROUND=two\nLOCKBACK ROT=3.9\n"
        "VIEWSNEARFAR=-4\n");
    LoadSettings();
    EXPECT_EQ(Settings.QiPaoNum, 12);
    EXPECT_EQ(Settings.Background, 0);
    EXPECT_FLOAT_EQ(Settings.LockBackRot, 3.0f);
    EXPECT_EQ(Settings.ViewsNearFar, -4);
    EXPECT_EQ(Stored("Aquarium Settings", "QIPAONUM"), "12 bubbles");  // kept as written
    // The bubble count indexes a fixed block of records: limited in memory.
    for (const auto& [text, want] : {std::pair{"500", 110}, std::pair{"-30", 0}}) {
        WriteSettings(std::string("[Aquarium Settings]\nQIPAONUM=") + text + "\n");
        LoadSettings();
        EXPECT_EQ(Settings.QiPaoNum, want) << text;
        EXPECT_EQ(BubbleCount(Settings), 110 - want) << text;
    }
}

TEST_F(SettingsTest, FishCountsNeverAddUpToMoreFishThanTheTankHolds) {
    WriteSettings("[Fish Number]\nFish0=2\nFish1=-1\nFish2=9\nFish3=1\nFish4=4\n");
    LoadSettings();
    const int expected[5] = {2, 0, 3, 0, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Settings.FishCounts[i], expected[i]) << i;
    EXPECT_EQ(Stored("Fish Number", "Fish2"), "9");  // the file keeps what it had
    EXPECT_EQ(Stored("Fish Number", "Fish1"), "-1");
    EXPECT_EQ(random.Drawn(), 0u);

    const int refreshed[5] = {1, 1, 1, 1, 7};
    RefreshFishCounts(refreshed);
    const int after[5] = {1, 1, 1, 1, 1};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Settings.FishCounts[i], after[i]) << i;
}

TEST_F(SettingsTest, MessyFileStillLoadsAndKeepsItsOtherLines) {
    WriteSettings(
        "; my notes\r\n\r\n[custom images]\r\nImageSum=2\r\n[AQUARIUM SETTINGS]\r\n"
        "qipaonum = 30\r\nQIPAONUM=31\r\n[Aquarium Settings]\r\nLIGHTQIANGDU=40\r\n");
    LoadSettings();
    EXPECT_EQ(Settings.QiPaoNum, 30);
    EXPECT_EQ(Settings.LightQiangDu, 40);
    const std::string text = ReadWholeFile(Path());
    EXPECT_EQ(text.rfind("; my notes\r\n\r\n[custom images]\r\nImageSum=2\r\n", 0), 0u);
    EXPECT_NE(text.find("QIPAONUM=31\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\r\r"), std::string::npos);
    EXPECT_EQ(text.find("LIGHTQIANGDU=0"), std::string::npos);  // found in the second section
}

TEST_F(SettingsTest, HugeFileLoads) {
    std::string big = "[Junk]\n";
    while (big.size() < 10 * 1024 * 1024) big += "line " + std::to_string(big.size()) + "=x\n";
    big += "[Aquarium Settings]\nLIGHTQIANGDU=7\n";
    WriteSettings(big);
    LoadSettings();
    EXPECT_EQ(Settings.LightQiangDu, 7);
    EXPECT_EQ(Stored("Aquarium Settings", "QIPAONUM"), "100");
}

// Runs `body` in a child process and returns its exit status.
template <typename Body>
int InChild(Body body) {
    const pid_t child = fork();
    if (child == 0) _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

const char* const kUsersFile = "[Custom Images]\nImage0=/home/u/reef.jpg\n[Aquarium Settings]\nLIGHTQIANGDU=30\n";

TEST_F(SettingsTest, AFileThatCannotBeReadIsNeverWrittenAndTheRunSaysWhyOnce) {
    WriteSettings(kUsersFile);
    ASSERT_EQ(chmod(Path().c_str(), 0), 0);
    // Root reads anything: the load runs as nobody, who owns the folder.
    const uid_t nobody = 65534;
    if (geteuid() == 0) {
        ASSERT_EQ(chown(dir.Path().c_str(), nobody, nobody), 0);
        ASSERT_EQ(chown((dir.Path() + "/VelmarScr").c_str(), nobody, nobody), 0);
        ASSERT_EQ(chown(Path().c_str(), nobody, nobody), 0);
    }
    const int status = InChild([] {
        if (geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0)) return 10;
        std::vector<std::string> boxes;
        SetMessageBoxHandler([&](const std::string& text, auto&) { boxes.push_back(text); });
        LoadSettings();
        LoadSettings();
        if (Settings.LightQiangDu != 0 || Settings.QiPaoNum != 100) return 11;  // the defaults
        if (boxes.size() != 1) return 12;
        return boxes[0].find("Permission denied") != std::string::npos ? 0 : 13;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadWholeFile(Path()), kUsersFile);
    struct stat st;
    ASSERT_EQ(stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0u);
}

TEST_F(SettingsTest, AFailedSaveIsReportedAndLeavesTheOldFileWhole) {
    WriteSettings(kUsersFile);
    const int status = InChild([] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};  // a full disk
        setrlimit(RLIMIT_FSIZE, &limit);
        std::vector<std::string> boxes;
        SetMessageBoxHandler([&](const std::string& text, auto&) { boxes.push_back(text); });
        LoadSettings();
        if (Settings.LightQiangDu != 30) return 11;
        return boxes.size() == 1 && boxes[0].find("Cannot save") != std::string::npos ? 0 : 12;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadWholeFile(Path()), kUsersFile);
}

TEST_F(SettingsTest, WithoutASettingsFolderTheRunUsesDefaultsAndWritesNowhere) {
    // The folder cannot be made: its parent is a file. The current folder
    // must stay untouched too.
    WriteWholeFile(dir.Path() + "/file", "x");
    ScopedEnv config("XDG_CONFIG_HOME", dir.Path() + "/file");
    mkdir((dir.Path() + "/cwd").c_str(), 0700);
    const int status = InChild([&] {
        if (chdir((dir.Path() + "/cwd").c_str()) != 0) return 10;
        std::vector<std::string> boxes;
        SetMessageBoxHandler([&](const std::string& text, auto&) { boxes.push_back(text); });
        LoadSettings();
        LoadSettings();
        if (Settings.FogNongDu != 25) return 11;
        return boxes.size() == 1 ? 0 : 12;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() + "/cwd"));
    EXPECT_EQ(SettingsFilePath(), "");
}

}  // namespace
