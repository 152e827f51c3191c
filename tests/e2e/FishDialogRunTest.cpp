// Changing the running tank from outside: prey released by clicks, and fish
// added from the fish dialog, opened from the menu.

#include "E2e.h"

namespace {

TEST_F(EndToEnd, FishAddedFromTheDialogJoinTheTankAndEatThePreyThatClicksRelease) {
    WriteWholeFile(Settings(), "[Fish Number]\nFish0=0\nFish1=0\nFish2=0\nFish3=0\nFish4=0\n");
    const std::string shot = home.File("tank.png");
    TankProcess run(
        home, {"--window", "1024x768", "--seed", "4", "--frames", "1500", "--screenshot", shot});
    ASSERT_TRUE(WaitForWindow("^Tidemere 1.1$", true, 600));
    Sleep(1500);  // its first frames
    // Feed mode is the starting mode: a click releases one prey, and so does
    // a fast double click.
    std::string clicks = "xdotool";
    for (int x = 128; x <= 896; x += 128)
        for (int y = 256; y <= 512; y += 128)
            clicks += " mousemove " + std::to_string(x) + " " + std::to_string(y) +
                      " click --repeat 2 --delay 60 1 sleep 0.05";
    // Then the menu's sixth item opens the dialog; select the first kind and
    // fill the tank with clownfish, so some are in view whatever their paths.
    ASSERT_TRUE(Sh(clicks + " mousemove 300 300 click 3 sleep 0.8 key Down Down Down Down Down "
                            "sleep 0.2 key Return"));
    ASSERT_TRUE(WaitForWindow("Fish Settings", true, 300));
    ASSERT_TRUE(
        Sh("xdotool sleep 0.5 mousemove 512 384 key Right key a key A key a key A key a "
           "sleep 0.5 key Return"));
    EXPECT_TRUE(WaitForWindow("Fish Settings", false, 50)) << "Enter closes the dialog";
    ASSERT_EQ(run.Wait(240), 0) << run.Output();
    const std::string out = run.Output();
    int released = -1, eaten = -1;
    std::sscanf(out.substr(out.find("prey released")).c_str(), "prey released %d, eaten %d",
                &released, &eaten);
    EXPECT_GE(released, 15) << out;  // clicks within one frame merge into one
    EXPECT_LE(released, 21) << out;
    EXPECT_GE(eaten, 1) << out;
    // The clownfish's orange: the tank's backdrop has none.
    const auto orange = [](QRgb p) {
        return qRed(p) > 200 && qGreen(p) > 70 && qGreen(p) < 170 && qBlue(p) < 80;
    };
    EXPECT_GT(Share(QImage(QString::fromStdString(shot)), orange, 1), 150.0 / (1024 * 768));
    EXPECT_TRUE(SettingsHold("Fish0=5")) << ReadWholeFile(Settings());
}

}  // namespace
