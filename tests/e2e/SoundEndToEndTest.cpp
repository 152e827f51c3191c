// The real program's sound, written by SDL's disk audio driver.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/TankProcess.h"
#include "support/TempDir.h"

namespace {

// 44100 frames a second, two 16-bit channels.
constexpr std::size_t kBytesPerSecond = 44100 * 2 * 2;

class SoundRun : public ::testing::Test {
protected:
    TempDir home;
    std::string audio = home.File("audio.raw");
    std::string output;  // what the last recorded run printed

    SoundRun() {
        std::system(("mkdir -p " + home.File("config/VelmarScr") + " " + home.File("runtime") +
                     " && chmod 700 " + home.File("runtime"))
                        .c_str());
    }
    // Starts the program with the disk audio driver.
    std::unique_ptr<TankProcess> Start(std::vector<std::string> args, const char* driver = "disk") {
        return std::make_unique<TankProcess>(
            home, std::move(args),
            TankProcess::Env{{"SDL_AUDIODRIVER", driver}, {"SDL_DISKAUDIOFILE", audio}});
    }
    // Runs for about `seconds` of audio, then ends the program.
    std::vector<std::int16_t> Record(double seconds) {
        const auto run = Start({"--window", "320x240"});
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (ReadWholeFile(audio).size() < seconds * kBytesPerSecond &&
               std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        output = run->Output();
        kill(run->Pid(), SIGTERM);
        EXPECT_EQ(run->Wait(10), 128 + SIGTERM) << "SIGTERM ends the program";
        const std::string raw = ReadWholeFile(audio);
        std::vector<std::int16_t> samples(raw.size() / 2);
        std::memcpy(samples.data(), raw.data(), samples.size() * 2);
        return samples;
    }
};

TEST_F(SoundRun, TheBuiltInLoopSoundsWithinTwoSecondsOfStart) {
    const std::vector<std::int16_t> s = Record(2.5);
    ASSERT_GE(s.size() * 2, 2 * kBytesPerSecond) << output;
    int loudest = 0, imbalance = 0;
    for (std::size_t i = 0; i + 1 < 2 * kBytesPerSecond / 2; i += 2) {
        loudest = std::max(loudest, std::abs(int(s[i])));
        imbalance = std::max(imbalance, std::abs(int(s[i]) - int(s[i + 1])));
    }
    EXPECT_GT(loudest, 500) << output;
    EXPECT_EQ(imbalance, 0) << "left and right differ";
}

TEST_F(SoundRun, OwnMusicOnWithAnEmptyListIsSilent) {
    WriteWholeFile(home.File("config/VelmarScr/KelvaronSet.ini"),
                   "[Custom Settings]\nOwnMusic=1\nMusicSum=0\n");
    const std::vector<std::int16_t> s = Record(2.5);
    ASSERT_GE(s.size() * 2, 2 * kBytesPerSecond) << output;
    int loudest = 0;
    for (std::int16_t v : s) loudest = std::max(loudest, std::abs(int(v)));
    EXPECT_EQ(loudest, 0);
}

bool Visible(const std::string& title) {
    return std::system(("xdotool search --onlyvisible --name '" + title + "' >/dev/null").c_str()) == 0;
}

TEST_F(SoundRun, CustomMusicShowsTheDialogAndEscapeHidesItAndSavesTheList) {
    const std::string settings = home.File("config/VelmarScr/KelvaronSet.ini");
    const auto run = Start({"--window", "800x600"}, "dummy");
    for (int i = 0; i < 500 && ReadWholeFile(settings).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string title = "Custom Music - Tidemere 1.1";
    EXPECT_FALSE(Visible(title)) << "created hidden";
    // Right click, then Up three times from the wrapped-to last item: Custom Music.
    ASSERT_EQ(std::system("xdotool mousemove 400 300 click 3 sleep 0.7 key Up sleep 0.1 key Up "
                          "sleep 0.1 key Up sleep 0.2 key Return sleep 1"),
              0);
    EXPECT_TRUE(Visible(title)) << run->Output();
    EXPECT_EQ(ReadWholeFile(settings).find("[Custom Settings]"), std::string::npos);
    // The dialog is centred over the tank, so the key goes to it.
    ASSERT_EQ(std::system("xdotool mousemove 400 300 key Escape sleep 0.5"), 0);
    EXPECT_FALSE(Visible(title));
    const std::string saved = ReadWholeFile(settings);
    EXPECT_NE(saved.find("[Custom Settings]"), std::string::npos) << saved;
    EXPECT_NE(saved.find("MusicSum=0"), std::string::npos) << saved;
    EXPECT_EQ(run->Wait(0.5), -1) << "the tank keeps running";
}

}  // namespace
