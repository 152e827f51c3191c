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

constexpr int kWidth = 640, kHeight = 480;

// Projection, camera and blending of the frame's bubble pass, translated to
// the emitter frame (emitter at the origin); draws, then reads the frame.
QImage DrawBubblePass(BubbleSystem& bubbles, int count, float clearGrey) {
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
    glColor4f(1, 1, 1, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glTranslatef(5, -25, -60);
    bubbles.Draw(count);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glFinish();
    QImage image(kWidth, kHeight, QImage::Format_RGBA8888);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    return image.mirrored();
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
    ASSERT_TRUE(glIsTexture(bubbles.Texture));
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, bubbles.Texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_GT(width, 0) << "the bubble image was uploaded";
    EXPECT_TRUE(std::filesystem::is_empty(config.Path() + "/VelmarScr")) << "extracted files are deleted";

    for (int i = 0; i < 110; ++i) bubbles.Draw(110);  // the pre-warm
    const QImage image = DrawBubblePass(bubbles, 110, 0);
    int lit = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) lit += (image.pixel(x, y) & 0xffffff) != 0;
    EXPECT_GT(lit, 200);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), bubbles.Texture);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(BubblesGl, SquaresAddTheirTextureToWhatIsBehind) {
    GlTestContext context(kWidth, kHeight);
    ASSERT_TRUE(context.Valid());
    ScriptedRandom random({});  // no jitter, no recycling draws needed
    ScopedRandomSource scope(random);
    BubbleSystem bubbles;
    ASSERT_TRUE(bubbles.InitRecords(3));
    // An 8 x 8 texture of grey 64.
    std::vector<GLubyte> texels(8 * 8 * 4, 64);
    glGenTextures(1, &bubbles.Texture);
    glBindTexture(GL_TEXTURE_2D, bubbles.Texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    // Two overlapping at the centre of the view, one apart to the left. In the
    // emitter frame the view's centre is (-5, 25); one unit is 240/20 px.
    const float places[3][3] = {{-5, 25, 2}, {-5, 25, 1}, {-15, 25, 1}};
    for (int i = 0; i < 3; ++i) {
        bubbles.Particles[i] = Particle{};
        bubbles.Particles[i].x = places[i][0];
        bubbles.Particles[i].y = places[i][1];
        bubbles.Particles[i].halfSize = places[i][2];
        bubbles.Particles[i].life = 200;
    }
    const QImage image = DrawBubblePass(bubbles, 3, 0.25f);
    const int cx = kWidth / 2, cy = kHeight / 2;
    EXPECT_NEAR(qRed(image.pixel(cx, cy)), 64 + 64 + 64, 2) << "two bubbles over the clear";
    EXPECT_NEAR(qRed(image.pixel(cx + 18, cy)), 64 + 64, 2) << "only the big bubble";
    EXPECT_NEAR(qRed(image.pixel(cx - 120, cy)), 64 + 64, 2) << "the lone bubble";
    EXPECT_NEAR(qRed(image.pixel(cx + 40, cy)), 64, 2) << "no bubble";
    // The squares are 2 x half size wide: 4 units = 48 pixels.
    int wide = 0;
    for (int x = 0; x < kWidth; ++x) wide += qRed(image.pixel(x, cy - 20)) > 70;
    EXPECT_NEAR(wide, 48, 2);
}
