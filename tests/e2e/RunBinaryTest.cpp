#include <filesystem>
#include <tuple>

#include "E2e.h"

namespace {

namespace fs = std::filesystem;

TEST_F(EndToEnd, SecondCopyLeavesAtOnceWhileTheFirstRunsUntilEscapeOrExit) {
    // No window manager: keys go to the window under the pointer. In the
    // menu, Up wraps to its last item, Exit.
    for (const char* input : {"key Escape", "click 3 sleep 0.7 key Up sleep 0.2 key Return"}) {
        TankProcess first(home, {"--window", "320x240"});
        ASSERT_TRUE(WaitForWindow("^Tidemere 1.1$", true, 600)) << first.Output();
        // No frame limit: only finding the first copy can end the second one.
        TankProcess second(home, {"--window", "320x240"});
        EXPECT_EQ(second.Wait(10), 0) << "the second copy kept running: " << second.Output();
        ASSERT_EQ(first.Wait(0.5), -1) << "the first copy must keep running";
        ASSERT_TRUE(Sh(std::string("xdotool mousemove 100 100 ") + input));
        EXPECT_EQ(first.Wait(10), 0) << input << "\n" << first.Output();
    }
}

TEST_F(EndToEnd, FeedClicksReleaseOnePreyEachEvenWhenDoubleAndTheFishEatThem) {
    WriteWholeFile(Settings(), "[Fish Number]\nFish0=1\nFish1=1\nFish2=1\nFish3=1\nFish4=1\n");
    TankProcess p(home, {"--window", "640x360", "--seed", "5", "--frames", "1000"});
    ASSERT_TRUE(WaitForWindow("^Tidemere", true, 100)) << p.Output();
    // Feed mode is the starting mode: a click releases one prey, and so does
    // a fast double click.
    std::string clicks = "xdotool";
    for (int x = 80; x <= 560; x += 80)
        for (int y = 120; y <= 240; y += 60)
            clicks += " mousemove " + std::to_string(x) + " " + std::to_string(y) +
                      " click --repeat 2 --delay 60 1 sleep 0.05";
    ASSERT_TRUE(Sh(clicks));
    ASSERT_EQ(p.Wait(180), 0) << p.Output();
    int released = -1, eaten = -1;
    const std::string out = p.Output();
    std::sscanf(out.substr(out.find("prey released")).c_str(), "prey released %d, eaten %d",
                &released, &eaten);
    EXPECT_GE(released, 15) << out;  // clicks within one frame merge into one
    EXPECT_LE(released, 21) << out;
    EXPECT_GE(eaten, 1) << out;
}

TEST_F(EndToEnd, AtALowFrameRateTheTankKeepsAHundredStepsASecondAndIsDrawn) {
    // Stray entries named like the files the program unpacks are neither
    // followed nor needed.
    const std::string folder = home.File("config/VelmarScr/");
    WriteWholeFile(home.File("victim"), "precious");
    fs::create_directory(folder + "fish0.bmp");
    fs::create_symlink(home.File("victim"), folder + "BackGround0.bmp");
    fs::create_symlink(home.File("victim"), folder + "fish5.ad");
    std::string out;
    const QImage image = LastFrame({"--window", "320x240", "--fps", "25", "--frames", "50"}, &out);
    EXPECT_EQ(image.size(), QSize(320, 240));
    EXPECT_GT(Colours(image, 8), 50u) << "the picture is nearly blank";
    long long steps = -1, dropped = -1;
    double seconds = 0;
    ASSERT_EQ(std::sscanf(out.substr(out.find("Steps ")).c_str(),
                          "Steps %lld in %lf s (%lld dropped)", &steps, &seconds, &dropped),
              3);
    // Fifty frames at 25 a second take two seconds or more, about four steps
    // each; a stalled machine may drop steps, but none are lost track of.
    EXPECT_GE(seconds, 1.9) << out;
    EXPECT_GE(steps, 3 * 50) << out;
    EXPECT_NEAR(static_cast<double>(steps + dropped), seconds * 100, 10 + seconds * 5) << out;
    EXPECT_EQ(ReadWholeFile(home.File("victim")), "precious");
    // Only the settings file joins the strays: every unpacked file is gone.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 4);
}

TEST_F(EndToEnd, FailedStartsSayWhyWithTheirStatus) {
    using Case = std::tuple<std::vector<std::string>, TankProcess::Env, int, std::string>;
    const std::vector<std::string> run = {"--window", "320x240", "--frames", "5"};
    const std::vector<Case> cases = {
        {{"--window", "wide"}, {}, 2, "--window"},
        {run, {{"TMPDIR", "/nonexistent/tidemere"}}, 1, "Error Find TempPath."},
        {run, {{"QT_XCB_GL_INTEGRATION", "none"}}, 1, "ChoosePixelFormat failed"},
        {{"--frames", "3", "--screenshot", home.File("no/such/tank.png")}, {}, 1, "cannot write"},
        {{"--window-id", "0x1fffff0"}, {}, 2, "no X window 0x1fffff0"},
        {{"--root"}, {{"XSCREENSAVER_WINDOW", "garbage"}}, 2, "XSCREENSAVER_WINDOW='garbage'"},
        // No display, or a window too large: a message, not Qt's abort.
        {run, {{"DISPLAY", ""}}, 2, "no display"},
        {run, {{"DISPLAY", ":4093"}}, 2, "cannot open the display ':4093'"},
        {{"--frames", "3"}, {{"DISPLAY", ":4093"}}, 2, "cannot open the display ':4093'"},
        {{"--window", "16384x16384", "--frames", "3"}, {}, 2, "16384x16384 does not fit"},
        // Wayland that cannot start, and hack mode on Wayland.
        {run,
         {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-none"}},
         2,
         "no Wayland compositor answers"},
        {{"--root", "--frames", "5"}, {{"QT_QPA_PLATFORM", "wayland"}}, 2, "X11 windows only"},
        // The screens are listed so the user can pick one.
        {{"--screen", "7"}, {}, 2, "--screen 7: there is no such screen; the screens are:\n  0: "}};
    for (const auto& [args, env, status, message] : cases) {
        TankProcess p(home, args, env);
        EXPECT_EQ(p.Wait(60), status) << message << "\n" << p.Output();
        EXPECT_NE(p.Output().find(message), std::string::npos) << p.Output();
    }
}

}  // namespace
