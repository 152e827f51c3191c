#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QImage>

#include "fish/Fish.h"
#include "fish/GlFishSink.h"
#include "platform/Random.h"
#include "scene/FishPass.h"
#include "scene/TankScene.h"
#include "settings/SettingsRecord.h"
#include "support/GlTestContext.h"

namespace {

constexpr int kW = 320, kH = 240;

GLuint SolidTexture(unsigned char r, unsigned char g, unsigned char b) {
    unsigned char pixels[4 * 4 * 3];
    for (int i = 0; i < 16; ++i) {
        pixels[3 * i] = r;
        pixels[3 * i + 1] = g;
        pixels[3 * i + 2] = b;
    }
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
    const GLfloat level[4] = {0.5f, 0.5f, 0.5f, 1};
    const GLfloat pos[4] = {1000, -1000, 1000, 1};
    glLightfv(GL_LIGHT1, GL_AMBIENT, level);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, level);
    glLightfv(GL_LIGHT1, GL_POSITION, pos);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    gluLookAt(0, 0, -10, 0, 0, -500, 0, 1, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

int LitPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) > 20) ++n;
    return n;
}

TEST(FishGl, FishIsDrawnAndMovesBetweenFrames) {
    GlTestContext gl(kW, kH);
    ASSERT_TRUE(gl.Valid());
    SeededRandom seeded(3);
    ScopedRandomSource guard(seeded);
    const GLuint white = SolidTexture(255, 255, 255);
    Fish fish;
    fish.SetBounds(-50, 50, 11, -15, -80, -60);
    fish.Z = -70;
    fish.HeadingTarget = 30;  // seen a little from the front while it turns
    GlFishSink sink;
    QImage frames[2];
    for (int f = 0; f < 2; ++f) {
        for (int i = 0; i < 6; ++i) {
            BeginFrame();
            glBindTexture(GL_TEXTURE_2D, white);
            glPushMatrix();
            glTranslatef(fish.X, fish.Y, fish.Z);
            fish.Tick(sink);
            glPopMatrix();
        }
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        frames[f] = gl.Grab();
    }
    // A ten-unit fish 60 units away covers a visible patch of the screen.
    const int lit = LitPixels(frames[0]);
    EXPECT_GT(lit, 400);
    EXPECT_LT(lit, kW * kH / 4);
    int changed = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (frames[0].pixel(x, y) != frames[1].pixel(x, y)) ++changed;
    EXPECT_GT(changed, 50);
    // Lighting shades the body: not one flat grey.
    int darkest = 255, brightest = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const int g = qGray(frames[0].pixel(x, y));
            if (g > 20) {
                darkest = std::min(darkest, g);
                brightest = std::max(brightest, g);
            }
        }
    EXPECT_GT(brightest - darkest, 30);
}

TEST(FishGl, PassDrawsEachKindWithItsSkinAndRecordsPositions) {
    GlTestContext gl(kW, kH);
    ASSERT_TRUE(gl.Valid());
    SeededRandom seeded(5);
    ScopedRandomSource guard(seeded);
    TankScene scene;
    scene.Bounds = TankBounds{-49, 49, 21, -21, -50};
    PlaceFish(scene);
    const GLuint red = SolidTexture(255, 0, 0), green = SolidTexture(0, 255, 0),
                 blue = SolidTexture(0, 0, 255);
    scene.FishTextures[0] = red;
    scene.FishTextures[1] = green;
    scene.FishTextures[2] = blue;
    const SettingsRecord saved = Settings;
    // Kind 0 takes fish 0 and 1, kind 2 fish 2; kind 1 has none.
    const int counts[5] = {2, 0, 1, 0, 0};
    for (int k = 0; k < 5; ++k)
        Settings.FishCounts[k] = counts[k];
    const float xs[5] = {-12, 0, 12, 30, 30};
    for (int i = 0; i < 5; ++i) {
        scene.Fishes[i].X = xs[i];
        scene.Fishes[i].Y = 0;
        scene.Fishes[i].Z = -70;
        scene.Fishes[i].HeadingTarget = scene.Fishes[i].Heading = 0;
    }
    BeginFrame();
    DrawFishPass(scene);
    const QImage img = gl.Grab();
    Settings = saved;

    int reds = 0, greens = 0, blues = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const QRgb p = img.pixel(x, y);
            if (qRed(p) > 40 && qGreen(p) < 10 && qBlue(p) < 10) ++reds;
            if (qGreen(p) > 40 && qRed(p) < 10 && qBlue(p) < 10) ++greens;
            if (qBlue(p) > 40 && qRed(p) < 10 && qGreen(p) < 10) ++blues;
        }
    EXPECT_GT(reds, 2 * 200);
    EXPECT_GT(blues, 200);
    EXPECT_EQ(greens, 0);
    EXPECT_GT(reds, blues);  // two red fish against one blue
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(scene.FishPositions[i].x, scene.Fishes[i].X);
        EXPECT_EQ(scene.FishPositions[i].z, scene.Fishes[i].Z);
    }
    EXPECT_EQ(scene.FishPositions[3].x, 0);  // not swimming: not recorded
}

}  // namespace
