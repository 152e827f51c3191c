#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QImage>

#include <vector>

#include "platform/Random.h"
#include "scene/BubbleSystem.h"
#include "support/GlTestContext.h"
#include "support/TempDir.h"

TEST(BubblesGl, BuiltInTextureLoadsAndSquaresAddTheirTextureToWhatIsBehind) {
    constexpr int kWidth = 640, kHeight = 480;
    GlTestContext context(kWidth, kHeight);
    ASSERT_TRUE(context.Valid());
    TempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.Path());
    ScriptedRandom random({});  // no jitter, no recycling draws needed
    ScopedRandomSource scope(random);
    BubbleSystem bubbles;
    ASSERT_TRUE(bubbles.Init(3));
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, bubbles.Texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_GT(width, 0) << "the built-in bubble image was uploaded";

    // Swap in an 8 x 8 texture of grey 64.
    std::vector<GLubyte> texels(8 * 8 * 4, 64);
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
    // Projection, camera and blending of the frame's bubble pass, in the emitter frame.
    const double h = 0.4, aspect = double(kWidth) / kHeight;
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glFrustum(-h * aspect, h * aspect, -h, h, 1, 1000);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(0, 0, -10, 0, 0, -500, 0, 1, 0);
    glClearColor(0.25f, 0.25f, 0.25f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glTranslatef(5, -25, -60);
    bubbles.Draw(3);
    const QImage image = context.Grab();
    const int cx = kWidth / 2, cy = kHeight / 2;
    EXPECT_NEAR(qRed(image.pixel(cx, cy)), 64 + 64 + 64, 2) << "two bubbles over the clear";
    EXPECT_NEAR(qRed(image.pixel(cx + 18, cy)), 64 + 64, 2) << "only the big bubble";
    EXPECT_NEAR(qRed(image.pixel(cx - 120, cy)), 64 + 64, 2) << "the lone bubble";
    EXPECT_NEAR(qRed(image.pixel(cx + 40, cy)), 64, 2) << "no bubble";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
