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
    HelpFrameCounter = 0;
    // A bubble pass leaves its texture bound and the texture coordinate of a
    // black corner; the text must still show in the current colour.
    GLuint black = 0;
    glGenTextures(1, &black);
    glBindTexture(GL_TEXTURE_2D, black);
    const GLubyte texel[4] = {0, 0, 0, 255};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45, double(kWidth) / kHeight, 1, 1000);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(0, 0, -10, 0, 0, -500, 0, 1, 0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    bool visible = true;
    for (int frame = 1; frame <= 101; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glTexCoord2f(0, 1);
        glColor4f(1, 0, 0, 0);  // the colour a Feed-mode frame leaves, tinted
        DrawHelpOverlay(visible);
        if (frame != 1 && frame < 100) continue;
        const QImage image = context.Grab();
        int lit = 0, red = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const QRgb p = image.pixel(x, y) & 0xffffff;
                lit += p != 0;
                red += p == 0xff0000;
            }
        EXPECT_EQ(lit, red) << "only the current colour, frame " << frame;
        EXPECT_TRUE(frame <= 100 ? lit > 2000 : lit == 0) << "frame " << frame << ": " << lit;
    }
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is back on for the rest of the frame";
}
