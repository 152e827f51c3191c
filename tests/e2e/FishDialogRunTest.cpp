// The fish dialog in the real program: opened from the menu, changing the tank
// behind it while open, and saving what it shows.

#include "E2e.h"

namespace {

TEST_F(EndToEnd, TheFishDialogChangesTheTankBehindItAndSavesTheCount) {
    WriteWholeFile(Settings(), "[Fish Number]\nFish0=0\nFish1=0\nFish2=0\nFish3=0\nFish4=0\n");
    const std::string shot = home.File("tank.png");
    TankProcess run(
        home, {"--window", "1024x768", "--seed", "4", "--frames", "1200", "--screenshot", shot});
    ASSERT_TRUE(WaitForWindow("^Tidemere 1.1$", true, 600));
    Sleep(1500);  // its first frames
    // The run ends by itself after its frames: the frame loop keeps going
    // under the modal dialog, and its last frame shows the added fish.
    // The menu's fifth item opens the dialog; select the first kind and fill
    // the tank with clownfish, so some are in view whatever their paths.
    ASSERT_TRUE(
        Sh("xdotool mousemove 300 300 click 3 sleep 0.8 key Down Down Down Down Down "
           "sleep 0.2 key Return"));
    ASSERT_TRUE(WaitForWindow("Fish Settings", true, 300));
    ASSERT_TRUE(
        Sh("xdotool sleep 0.5 mousemove 512 384 key Right key a key A key a key A key a "
           "sleep 0.5 key Return"));
    EXPECT_TRUE(WaitForWindow("Fish Settings", false, 50)) << "Enter closes the dialog";
    ASSERT_EQ(run.Wait(240), 0) << run.Output();
    // The clownfish's orange: the tank's backdrop has none.
    const auto orange = [](QRgb p) {
        return qRed(p) > 200 && qGreen(p) > 70 && qGreen(p) < 170 && qBlue(p) < 80;
    };
    EXPECT_GT(Share(QImage(QString::fromStdString(shot)), orange, 1), 150.0 / (1024 * 768));
    EXPECT_NE(ReadWholeFile(Settings()).find("Fish0=5"), std::string::npos);
}

}  // namespace
