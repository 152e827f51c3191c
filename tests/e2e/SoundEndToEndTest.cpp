// The real program's sound, written by SDL's disk audio driver.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "E2e.h"

namespace {

TEST_F(EndToEnd, TheBuiltInLoopSoundsWithinTwoSecondsUnlessOwnMusicIsOn) {
    constexpr std::size_t kTwoSeconds = 2 * 44100 * 2 * 2;  // two 16-bit channels
    for (const bool ownMusic : {false, true}) {
        SCOPED_TRACE(ownMusic ? "own music on, empty list" : "built-in loop");
        const std::string audio = home.File(ownMusic ? "own.raw" : "builtin.raw");
        if (ownMusic) WriteWholeFile(Settings(), "[Custom Settings]\nOwnMusic=1\nMusicSum=0\n");
        TankProcess run(home, {"--window", "320x240"},
                        {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", audio}});
        for (int i = 0; i < 1200 && ReadWholeFile(audio).size() < kTwoSeconds; ++i)
            Sleep(50);
        kill(run.Pid(), SIGTERM);
        EXPECT_EQ(run.Wait(10), 0) << "SIGTERM ends the program in order";
        const std::string raw = ReadWholeFile(audio);
        ASSERT_GE(raw.size(), kTwoSeconds) << run.Output();
        std::vector<std::int16_t> s(kTwoSeconds / 2);
        std::memcpy(s.data(), raw.data(), kTwoSeconds);
        int loudest = 0, imbalance = 0;
        for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
            loudest = std::max({loudest, std::abs(int(s[i])), std::abs(int(s[i + 1]))});
            imbalance = std::max(imbalance, std::abs(int(s[i]) - int(s[i + 1])));
        }
        EXPECT_TRUE(ownMusic ? loudest == 0 : loudest > 500) << loudest << "\n" << run.Output();
        EXPECT_EQ(imbalance, 0) << "left and right differ";
    }
}

}  // namespace
