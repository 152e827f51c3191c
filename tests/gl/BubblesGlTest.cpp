#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QImage>

#include <filesystem>
#include <vector>

#include "platform/Random.h"
#include "scene/BubbleSystem.h"
#include "support/GlTestContext.h"
#include "support/TempDir.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// The colour buffer, top row first, read straight from GL.
QImage ReadFrame(int width, int height) {
    glFinish();
    QImage image(width, height, QImage::Format_RGBA8888);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    return image.mirrored();
}

// Projection, camera and the state of the frame's bubble pass, translated
// to the emitter frame (emitter at the origin).
void BeginBubblePass(float clearGrey) {
    const double h = 0.4, aspect = double(kWidth) / kHeight;
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-h * aspect, h * aspect, -h, h, 1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, -10, 0, 0, -500, 0, 1, 0);
    glClearColor(clearGrey, clearGrey, clearGrey, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColor4f(1, 1, 1, 1);
    glDisable(GL_FOG);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glTranslatef(5, -25, -60);
}

void EndBubblePass() {
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

GLuint UniformTexture(GLubyte grey) {
    std::vector<GLubyte> pixels(8 * 8 * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = pixels[i + 1] = pixels[i + 2] = grey;
        pixels[i + 3] = 255;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

int NonBlackPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xffffff) != 0;
    }
    return n;
}

// A bubble at rest at the given place in the emitter frame.
Particle Still(float x, float y, float halfSize) {
    Particle p{};
    p.x = x;
    p.y = y;
    p.halfSize = halfSize;
    p.life = 200;
    return p;
}

}  // namespace

TEST(BubblesGl, BuiltInTextureLoadsAndPrewarmedBubblesShow) {
    GlTestContext context(kWidth, kHeight);
    ASSERT_TRUE(context.Valid());
    TempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.Path());
    SeededRandom seeded(7);
    ScopedRandomSource scope(seeded);

    BubbleSystem bubbles;
    ASSERT_TRUE(bubbles.Init(110));
    EXPECT_EQ(bubbles.Capacity, 110);
    ASSERT_NE(bubbles.Texture, 0u);
    EXPECT_TRUE(glIsTexture(bubbles.Texture));
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, bubbles.Texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_GT(width, 0) << "the bubble image was uploaded";
    // The extracted files are gone again.
    const std::string folder = config.Path() + "/VelmarScr/";
    EXPECT_FALSE(std::filesystem::exists(folder + "Particle1.ad"));
    EXPECT_FALSE(std::filesystem::exists(folder + "Particle1.bmp"));

    for (int i = 0; i < 110; ++i)
        bubbles.Draw(110);  // the pre-warm
    BeginBubblePass(0);
    bubbles.Draw(110);
    EndBubblePass();
    EXPECT_GT(NonBlackPixels(ReadFrame(kWidth, kHeight)), 200);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), bubbles.Texture);

    // QIPAONUM 110: nothing at all.
    BeginBubblePass(0);
    bubbles.Draw(0);
    EndBubblePass();
    EXPECT_EQ(NonBlackPixels(ReadFrame(kWidth, kHeight)), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(BubblesGl, SquaresAddTheirTextureToWhatIsBehind) {
    GlTestContext context(kWidth, kHeight);
    ASSERT_TRUE(context.Valid());
    ScriptedRandom random({});  // no jitter, no recycling draws needed
    ScopedRandomSource scope(random);
    BubbleSystem bubbles;
    ASSERT_TRUE(bubbles.InitRecords(3));
    bubbles.Texture = UniformTexture(64);
    // Two overlapping at the centre of the view, one apart to the left.
    // In the emitter frame the view's centre is (-5, 25); one unit is 240/20 px.
    bubbles.Particles[0] = Still(-5, 25, 2);
    bubbles.Particles[1] = Still(-5, 25, 1);
    bubbles.Particles[2] = Still(-15, 25, 1);

    BeginBubblePass(0.25f);
    bubbles.Draw(3);
    EndBubblePass();
    const QImage image = ReadFrame(kWidth, kHeight);
    const int cx = kWidth / 2, cy = kHeight / 2;
    EXPECT_NEAR(qRed(image.pixel(cx, cy)), 64 + 64 + 64, 2) << "two bubbles over the clear";
    EXPECT_NEAR(qRed(image.pixel(cx + 18, cy)), 64 + 64, 2) << "only the big bubble";
    EXPECT_NEAR(qRed(image.pixel(cx - 120, cy)), 64 + 64, 2) << "the lone bubble";
    EXPECT_NEAR(qRed(image.pixel(cx + 40, cy)), 64, 2) << "no bubble";
    // The squares are 2 x half size wide: 4 units = 48 pixels.
    int wide = 0;
    for (int x = 0; x < kWidth; ++x)
        wide += qRed(image.pixel(x, cy - 20)) > 70;
    EXPECT_NEAR(wide, 48, 2);
}
