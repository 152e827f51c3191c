// The fish dialog in the real program: opened from the menu, changing the tank
// behind it while open, and saving what it shows.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/TankProcess.h"
#include "support/TempDir.h"

namespace {

using TankRun = TankProcess;

// Pixels of the clownfish's orange: the tank's backdrop has none.
int OrangePixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += qRed(p) > 200 && qGreen(p) > 70 && qGreen(p) < 170 && qBlue(p) < 80;
        }
    return n;
}

bool Sh(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Whether a visible window's title matches `pattern`. Windows that come and
// go while xdotool walks the tree make it fail with an X error: ask again.
bool WindowShown(const std::string& pattern) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::string output;
        FILE* p =
            popen(("xdotool search --onlyvisible --name '" + pattern + "' 2>&1").c_str(), "r");
        if (!p) return false;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p))
            output += buffer;
        const int status = pclose(p);
        if (output.find("X Error") != std::string::npos) continue;
        return status == 0 && !output.empty();
    }
    return false;
}

bool WaitForWindow(const std::string& pattern, bool shown, double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (WindowShown(pattern) != shown) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

class FishDialogRun : public ::testing::Test {
protected:
    TempDir home;
    std::string shot = home.File("tank.png");

    FishDialogRun() {
        Sh("mkdir -p " + home.File("config/VelmarScr") + " " + home.File("runtime") +
           " && chmod 700 " + home.File("runtime"));
        WriteWholeFile(Settings(),
                       "[My Notes]\nTank=living room\n[Fish Number]\n"
                       "Fish0=0\nFish1=0\nFish2=0\nFish3=0\nFish4=0\n");
    }
    std::string Settings() const { return home.File("config/VelmarScr/KelvaronSet.ini"); }
    bool Holds(const std::string& text) const {
        return ReadWholeFile(Settings()).find(text) != std::string::npos;
    }
    // Waits for the tank, then opens the dialog from the popup menu (item 5)
    // and leaves the pointer over it.
    static bool OpenDialog() {
        if (!WaitForWindow("^Tidemere 1.1$", true, 60)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // its first frames
        return Sh("xdotool mousemove 300 300 click 3 sleep 0.8 key Down Down Down Down Down "
                  "sleep 0.2 key Return") &&
               WaitForWindow("Fish Settings", true, 30) &&
               Sh("xdotool sleep 0.5 mousemove 512 384");
    }
};

TEST_F(FishDialogRun, TheTankChangesBehindTheOpenDialog) {
    // The run ends by itself after its frames: the frame loop keeps going
    // under the modal dialog, and its last frame shows the added fish.
    TankRun run(home,
                {"--window", "1024x768", "--seed", "4", "--frames", "1200", "--screenshot", shot});
    ASSERT_TRUE(OpenDialog());
    // Select the first kind, add two clownfish.
    ASSERT_TRUE(Sh("xdotool key Right key a key A"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_TRUE(Holds("Fish0=2")) << ReadWholeFile(Settings());
    ASSERT_EQ(run.Wait(240), 0);
    const QImage image(QString::fromStdString(shot));
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(OrangePixels(image), 150);
    EXPECT_TRUE(Holds("[My Notes]\nTank=living room\n[Fish Number]\n"));
}

TEST_F(FishDialogRun, EnterClosesTheDialogAndTheFileKeepsTheCount) {
    TankRun run(home, {"--window", "1024x768", "--seed", "4", "--frames", "100000"});
    ASSERT_TRUE(OpenDialog());
    ASSERT_TRUE(Sh("xdotool key Right key Right key Right key a key Return"));
    EXPECT_TRUE(WaitForWindow("Fish Settings", false, 5));
    EXPECT_TRUE(Holds("Fish2=1")) << ReadWholeFile(Settings());
    EXPECT_EQ(run.Wait(0.5), -1) << "the tank keeps running";
}

TEST_F(FishDialogRun, WithoutFishTheTankShowsNoOrange) {
    // The control for the first test: the same run without the dialog.
    TankRun run(home,
                {"--window", "1024x768", "--seed", "4", "--frames", "300", "--screenshot", shot});
    ASSERT_EQ(run.Wait(240), 0);
    EXPECT_LT(OrangePixels(QImage(QString::fromStdString(shot))), 20);
}

}  // namespace
