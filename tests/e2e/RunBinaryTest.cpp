// The real program run to its end: what it draws and sounds, and how it fails.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <tuple>
#include <vector>

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
    // Screenshot targets that are no file: refused, never waited on.
    ASSERT_EQ(mkfifo(home.File("fifo.png").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(home.File("dir.png").c_str(), 0700), 0);
    ASSERT_EQ(symlink("/dev/zero", home.File("zero.png").c_str()), 0);
    const auto shot = [&](const char* name) {
        return std::vector<std::string>{"--frames", "3", "--screenshot", home.File(name)};
    };
    const std::vector<Case> cases = {
        {{"--window", "wide"}, {}, 2, "--window"},
        {run, {{"TMPDIR", "/nonexistent/tidemere"}}, 1, "Error Find TempPath."},
        {run, {{"QT_XCB_GL_INTEGRATION", "none"}}, 1, "ChoosePixelFormat failed"},
        {shot("no/such/tank.png"), {}, 1, "cannot write"},
        {shot("fifo.png"), {}, 1, "not a regular file"},
        {shot("dir.png"), {}, 1, "it is a folder"},
        {shot("zero.png"), {}, 1, "not a regular file"},
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

// A screenshot target swapped for a FIFO while the run goes: refused, never written through.
TEST_F(EndToEnd, AScreenshotTargetSwappedForAFifoIsRefusedAndLeftAlone) {
    const std::string target = home.File("shot.png");
    WriteWholeFile(target, "old");
    TankProcess run(home, {"--window", "160x120", "--frames", "60", "--screenshot", target});
    const std::string fifo = home.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(rename(fifo.c_str(), target.c_str()), 0);
    EXPECT_EQ(run.Wait(60), 1) << run.Output();
    struct stat st;
    ASSERT_EQ(lstat(target.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A broken file listed first, then two good pictures: the built-in backdrop
// shows until the first good one is ready, never a white wall, and the
// broken one does not end the slideshow.
TEST_F(EndToEnd, ListedPicturesFollowTheBuiltInBackdropPastABrokenOne) {
    QImage a(64, 64, QImage::Format_RGB32), b(64, 64, QImage::Format_RGB32);
    a.fill(QColor(230, 20, 20));
    b.fill(QColor(20, 20, 230));
    ASSERT_TRUE(a.save(QString::fromStdString(home.File("first picture.png"))));
    ASSERT_TRUE(b.save(QString::fromStdString(home.File("second.png"))));
    WriteWholeFile(home.File("broken.png"), "\x89PNG\r\n\x1a\n not a picture after all");
    WriteWholeFile(Settings(),
                   "[Aquarium Settings]\nQIPAONUM=110\n"
                   "[Fish Number]\nFish0=0\nFish1=0\nFish2=0\nFish3=0\nFish4=0\n"
                   "[Custom Images]\nRandomImage=0\nCycImage=1\nRepeatImage=0\nOwnImage=1\n"
                   "ImageTime=3\nImageSum=3\nImageList0=" +
                       home.File("broken.png") + "\nImageList1=" + home.File("first picture.png") +
                       "\nImageList2=" + home.File("second.png") + "\n");
    const auto red = [](QRgb p) {
        return qRed(p) > 120 && qRed(p) > qMax(qGreen(p), qBlue(p)) + 60;
    };
    const auto blue = [](QRgb p) {
        return qBlue(p) > 120 && qBlue(p) > qMax(qRed(p), qGreen(p)) + 60;
    };
    const auto white = [](QRgb p) { return qMin(qMin(qRed(p), qGreen(p)), qBlue(p)) > 200; };
    // Separate runs of growing length: the built-in picture (I) until the first good picture (A) is ready,
    // the second (B) three seconds later, and never a white wall (W) or
    // anything else (-). How soon a run gets going varies with the machine,
    // so the runs need not come in order.
    std::string seen, log;
    for (int frames : {1, 10, 40, 150, 300, 400, 500, 600}) {
        const QImage shot =
            LastFrame({"--window", "200x150", "--seed", "3", "--frames", std::to_string(frames)});
        const char c = Share(shot, white, 4) > 1.0 / 3  ? 'W'
                       : Share(shot, red, 4) > 1.0 / 3  ? 'A'
                       : Share(shot, blue, 4) > 1.0 / 3 ? 'B'
                       : Colours(shot, 8) > 40          ? 'I'
                                                        : '-';
        seen += c;
        log += std::to_string(frames) + ":" + c + " ";
        if (c == 'B') break;
    }
    EXPECT_EQ(seen.find_first_of("W-"), std::string::npos) << log;
    EXPECT_NE(seen.find('I'), std::string::npos) << log;
    EXPECT_NE(seen.find('A'), std::string::npos) << log;
    EXPECT_EQ(seen.back(), 'B') << log;
    // The dialog was never shown, so nothing saved over the list.
    EXPECT_NE(ReadWholeFile(Settings()).find("ImageSum=3"), std::string::npos);
}

// The real program's sound, written by SDL's disk audio driver.
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
