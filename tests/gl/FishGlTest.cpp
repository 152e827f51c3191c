#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QImage>

#include <algorithm>
#include <vector>

#include "platform/Random.h"
#include "scene/FishPass.h"
#include "scene/TankScene.h"
#include "settings/SettingsRecord.h"
#include "support/GlTestContext.h"

namespace {

constexpr int kW = 320, kH = 240;

// One red fish through the pass, seen by the tank's camera, shows up and swims.
TEST(FishGl, PassDrawsASwimmingFish) {
    GlTestContext gl(kW, kH);
    ASSERT_TRUE(gl.Valid());
    SeededRandom seeded(5);
    ScopedRandomSource guard(seeded);
    TankScene scene;
    scene.Bounds = TankBounds{-49, 49, 21, -21, -50};
    PlaceFish(scene);
    std::vector<unsigned char> red(4 * 4 * 3, 0);
    for (std::size_t i = 0; i < red.size(); i += 3)
        red[i] = 255;
    glGenTextures(1, &scene.FishTextures[0]);
    glBindTexture(GL_TEXTURE_2D, scene.FishTextures[0]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, red.data());
    const SettingsRecord saved = Settings;
    for (int& n : Settings.FishCounts)
        n = 0;
    Settings.FishCounts[0] = 1;
    Fish& f = scene.Fishes[0];
    f.X = f.Y = 0;
    f.Z = -70;
    f.HeadingTarget = f.Heading = 0;
    QImage frames[2];
    for (QImage& frame : frames) {
        for (int i = 0; i < 6; ++i) {
            glViewport(0, 0, kW, kH);
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            gluPerspective(45, static_cast<double>(kW) / kH, 1, 1000);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            gluLookAt(0, 0, -10, 0, 0, -500, 0, 1, 0);
            glEnable(GL_DEPTH_TEST);
            glEnable(GL_TEXTURE_2D);
            glColor4f(1, 1, 1, 1);
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            DrawFishPass(scene);
        }
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        frame = gl.Grab();
    }
    Settings = saved;
    // The red patch of each frame: its size and middle.
    struct Patch {
        int count = 0, left = kW, right = -1, top = kH, bottom = -1;
        double middleX = 0;
    } patch[2];
    for (int k = 0; k < 2; ++k)
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const QRgb p = frames[k].pixel(x, y);
                if (!(qRed(p) > 40 && qGreen(p) < 10 && qBlue(p) < 10)) continue;
                Patch& r = patch[k];
                ++r.count;
                r.left = std::min(r.left, x);
                r.right = std::max(r.right, x);
                r.top = std::min(r.top, y);
                r.bottom = std::max(r.bottom, y);
                r.middleX += x;
            }
    for (Patch& r : patch) r.middleX /= std::max(r.count, 1);
    // A ten-unit fish 60 units away, seen side on: longer than tall, upright.
    EXPECT_GT(patch[0].count, 200);
    EXPECT_LT(patch[0].count, kW * kH / 4);
    EXPECT_GT(patch[0].right - patch[0].left, 2 * (patch[0].bottom - patch[0].top));
    EXPECT_NEAR((patch[0].top + patch[0].bottom) / 2.0, kH / 2.0, kH / 10.0) << "at the height of the camera";
    // Heading 0 swims toward -x, to the left on screen.
    EXPECT_LT(patch[1].middleX, patch[0].middleX - 2);
}

}  // namespace
