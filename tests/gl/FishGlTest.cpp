#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QImage>

#include <algorithm>

#include "fish/Fish.h"
#include "platform/Random.h"
#include "scene/FishPass.h"
#include "scene/TankScene.h"
#include "settings/SettingsRecord.h"
#include "support/GlTestContext.h"

namespace {

constexpr int kW = 320, kH = 240;

GLuint SolidTexture(unsigned char r, unsigned char g, unsigned char b) {
    const unsigned char rgb[3] = {r, g, b};
    unsigned char pixels[4 * 4 * 3];
    for (int i = 0; i < 4 * 4 * 3; ++i)
        pixels[i] = rgb[i % 3];
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    return id;
}

// The tank's camera: eye at z -10 looking down -z, one light, half-lit so
// shading shows.
void BeginFrame() {
    glViewport(0, 0, kW, kH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double h = 0.4, a = static_cast<double>(kW) / kH;
    glFrustum(-h * a, h * a, -h, h, 1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat level[4] = {0.5f, 0.5f, 0.5f, 1}, pos[4] = {1000, -1000, 1000, 1};
    glLightfv(GL_LIGHT1, GL_AMBIENT, level);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, level);
    glLightfv(GL_LIGHT1, GL_POSITION, pos);
    for (GLenum cap : {GL_LIGHT1, GL_LIGHTING, GL_COLOR_MATERIAL, GL_DEPTH_TEST, GL_TEXTURE_2D})
        glEnable(cap);
    glColor4f(1, 1, 1, 1);
    gluLookAt(0, 0, -10, 0, 0, -500, 0, 1, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Draws five fish through the pass (kind 0 takes fish 0 and 1 in red, kind
// 2 fish 2 in blue, kind 1 has none) and checks the drawn pixels, the pixels
// changing between frames and the recorded positions.
TEST(FishGl, PassDrawsEachKindInItsSkinLitAndSwimmingAndRecordsPositions) {
    GlTestContext gl(kW, kH);
    ASSERT_TRUE(gl.Valid());
    SeededRandom seeded(5);
    ScopedRandomSource guard(seeded);
    TankScene scene;
    scene.Bounds = TankBounds{-49, 49, 21, -21, -50};
    PlaceFish(scene);
    scene.FishTextures[0] = SolidTexture(255, 0, 0);
    scene.FishTextures[1] = SolidTexture(0, 255, 0);
    scene.FishTextures[2] = SolidTexture(0, 0, 255);
    const SettingsRecord saved = Settings;
    const int counts[5] = {2, 0, 1, 0, 0};
    const float xs[5] = {-12, 0, 12, 30, 30};
    for (int i = 0; i < 5; ++i) {
        Settings.FishCounts[i] = counts[i];
        Fish& f = scene.Fishes[i];
        f.X = xs[i];
        f.Y = 0;
        f.Z = -70;
        f.HeadingTarget = f.Heading = 0;
    }
    QImage frames[2];
    for (QImage& frame : frames) {
        for (int i = 0; i < 6; ++i) {
            BeginFrame();
            DrawFishPass(scene);
        }
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        frame = gl.Grab();
    }
    Settings = saved;

    int reds = 0, greens = 0, blues = 0, changed = 0, darkest = 255, brightest = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const QRgb p = frames[0].pixel(x, y);
            if (qRed(p) > 40 && qGreen(p) < 10 && qBlue(p) < 10) {
                ++reds;
                darkest = std::min(darkest, qRed(p));
                brightest = std::max(brightest, qRed(p));
            }
            greens += qGreen(p) > 40 && qRed(p) < 10 && qBlue(p) < 10;
            blues += qBlue(p) > 40 && qRed(p) < 10 && qGreen(p) < 10;
            changed += p != frames[1].pixel(x, y);
        }
    }
    // A ten-unit fish 60 units away covers a visible patch of the screen.
    EXPECT_GT(reds, 2 * 200);
    EXPECT_GT(blues, 200);
    EXPECT_LT(reds + blues, kW * kH / 4);
    EXPECT_EQ(greens, 0);
    EXPECT_GT(reds, blues);              // two red fish against one blue
    EXPECT_GT(brightest - darkest, 30);  // lighting shades the body
    EXPECT_GT(changed, 50);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(scene.FishPositions[i].x, scene.Fishes[i].X);
        EXPECT_EQ(scene.FishPositions[i].z, scene.Fishes[i].Z);
    }
    EXPECT_EQ(scene.FishPositions[3].x, 0);  // not swimming: not recorded
}

}  // namespace
