// The real program's sound, written by SDL's disk audio driver.

#include <signal.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "E2e.h"

namespace {

TEST_F(EndToEnd, TheBuiltInLoopSoundsWithinTwoSecondsOfStart) {
    constexpr std::size_t kTwoSeconds = 2 * 44100 * 2 * 2;  // two 16-bit channels
    const std::string audio = home.File("audio.raw");
    TankProcess run(home, {"--window", "320x240"}, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", audio}});
    for (int i = 0; i < 1200 && ReadWholeFile(audio).size() < kTwoSeconds; ++i) Sleep(50);
    kill(run.Pid(), SIGTERM);
    EXPECT_EQ(run.Wait(10), 128 + SIGTERM) << "SIGTERM ends the program";
    const std::string raw = ReadWholeFile(audio);
    ASSERT_GE(raw.size(), kTwoSeconds) << run.Output();
    std::vector<std::int16_t> s(kTwoSeconds / 2);
    std::memcpy(s.data(), raw.data(), kTwoSeconds);
    int loudest = 0, imbalance = 0;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        loudest = std::max(loudest, std::abs(int(s[i])));
        imbalance = std::max(imbalance, std::abs(int(s[i]) - int(s[i + 1])));
    }
    EXPECT_GT(loudest, 500) << run.Output();
    EXPECT_EQ(imbalance, 0) << "left and right differ";
}

}  // namespace
