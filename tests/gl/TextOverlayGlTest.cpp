#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QImage>

#include "scene/TextOverlay.h"
#include "support/GlTestContext.h"

TEST(OutlineFontGl, OverlayShowsInTheCurrentColourOverABlackTextureForHundredFrames) {
    constexpr int kWidth = 800, kHeight = 600;
    GlTestContext context(kWidth, kHeight);
    ASSERT_TRUE(context.Valid());
    BuildOutlineFont();
    ASSERT_NE(TextListBase, 0u);
    HelpFrameCounter = 0;
    // Pixels with exactly this colour (0xRRGGBB), or (-1) not black.
    const auto count = [&](int rgb = -1) {
        const QImage image = context.Grab();
        int n = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const int got = int(image.pixel(x, y) & 0xffffff);
                n += rgb < 0 ? got != 0 : got == rgb;
            }
        return n;
    };
    // A bubble pass leaves its texture bound and the texture coordinate of a
    // black corner; the text must still show in the current colour.
    GLuint black = 0;
    glGenTextures(1, &black);
    glBindTexture(GL_TEXTURE_2D, black);
    const GLubyte texel[4] = {0, 0, 0, 255};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    const double h = 0.4, aspect = double(kWidth) / kHeight;
    bool visible = true;
    for (int frame = 1; frame <= 101; ++frame) {
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(-h * aspect, h * aspect, -h, h, 1, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 0, -10, 0, 0, -500, 0, 1, 0);
        glClearColor(0, 0, 0, 0.5f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, black);
        glTexCoord2f(0, 1);
        glColor4f(1, 0, 0, 0);  // the colour a Feed-mode frame leaves, tinted
        DrawHelpOverlay(visible);
        if (frame != 1 && frame < 100) continue;
        const int lit = count();
        EXPECT_EQ(lit, count(0xff0000)) << "only the current colour, frame " << frame;
        EXPECT_TRUE(frame <= 100 ? lit > 2000 : lit == 0) << "frame " << frame << ": " << lit;
    }
    EXPECT_FALSE(visible);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is back on for the rest of the frame";
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), black);
    glDeleteTextures(1, &black);
}
