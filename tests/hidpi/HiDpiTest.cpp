// The full-screen program at a scale factor of 2: the tank covers the whole
// screen in device pixels, and a click lands on the fish under the pointer.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cmath>
#include <cstdlib>
#include <set>

#include "app/AquariumApp.h"
#include "fish/FishTestSupport.h"
#include "fish/SceneTypes.h"
#include "support/TempDir.h"

namespace {

// Read by Qt when the application starts, so set before main.
const bool kScaled = [] {
    setenv("QT_SCALE_FACTOR", "2", 1);
    return true;
}();

// Runs the event loop until `done` or about `ms` have passed.
template <typename F>
bool ProcessUntil(F done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(HiDpi, FullScreenTankCoversEveryQuadrantAndClicksHitTheFishUnderThePointer) {
    ASSERT_TRUE(kScaled);
    TempDir home;
    ScopedEnv config("XDG_CONFIG_HOME", home.File("config"));
    ScopedEnv runtime("XDG_RUNTIME_DIR", home.File("runtime"));
    ASSERT_EQ(0, std::system(("mkdir -p " + home.File("config/VelmarScr") + " " +
                              home.File("runtime") + " && chmod 700 " + home.File("runtime"))
                                 .c_str()));
    WriteWholeFile(home.File("config/VelmarScr/KelvaronSet.ini"),
                   "[Fish Number]\nFish0=1\nFish1=0\nFish2=0\nFish3=0\nFish4=0\n");

    int argc = 1;
    char* argv[] = {const_cast<char*>("tidemere"), nullptr};
    AquariumApp app(argc, argv);
    QScreen* screen = app.primaryScreen();
    ASSERT_EQ(screen->devicePixelRatio(), 2.0);
    const QSize device = screen->size() * 2;

    ASSERT_EQ(app.InitInstance(RunOptions{}, -1, false), -1);
    TankView* view = app.Frame()->View();
    ASSERT_TRUE(ProcessUntil([&] { return view->FramesDrawn() > 20; }, 20000));

    // What the X server shows, in device pixels.
    const QImage shot = screen->grabWindow(0).toImage();
    ASSERT_EQ(shot.size(), device);
    const int w = device.width() / 2, h = device.height() / 2;
    for (const QPoint at : {QPoint(0, 0), QPoint(w, 0), QPoint(0, h), QPoint(w, h)}) {
        std::set<QRgb> colours;
        for (int y = 0; y < h; y += 8)
            for (int x = 0; x < w; x += 8) colours.insert(shot.pixel(at.x() + x, at.y() + y));
        EXPECT_GT(colours.size(), 20u) << "no tank at " << at.x() << "," << at.y();
    }

    // One calm fish whose centre is drawn at device pixel (3/4, 5/8) of the
    // screen, in the lower right quadrant: the camera's 45 degree view seen
    // from z -10. A click taken in logical pixels would land at (3/8, 5/16).
    // A loaded machine may take long enough over xdotool for the fish to
    // swim from under the pointer before the press is seen, so a miss is
    // tried again with the fish put back; a press in the wrong place never hits.
    Fish& fish = view->Scene().Fishes[0];
    view->OnCommand(ID_ZOOM_IN_FISH);
    const std::string press = "xdotool mousemove " + std::to_string(device.width() * 3 / 4) + " " +
                              std::to_string(device.height() * 5 / 8) + " mousedown 1";
    bool hit = false;
    for (int attempt = 0; attempt < 4 && !hit; ++attempt) {
        fish = CalmFish(0);
        const float half = (-10 - fish.Z) * std::tan(22.5f * 3.14159265f / 180);
        fish.X = 0.5f * half * device.width() / device.height();
        fish.Y = -0.25f * half;
        ASSERT_EQ(std::system(press.c_str()), 0);
        hit = ProcessUntil([&] { return fish.Size != 10.0f; }, 1500);
        ASSERT_EQ(std::system("xdotool mouseup 1"), 0);
    }
    EXPECT_TRUE(hit) << "the click missed the fish under the pointer";
    EXPECT_EQ(fish.Size, 12.0f);
}

}  // namespace
