#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QImage>

#include <memory>
#include <vector>

#include "scene/TextOverlay.h"
#include "support/GlTestContext.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

// One font for the whole suite: display lists belong to their context.
class OutlineFontGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        context_ = std::make_unique<GlTestContext>(kWidth, kHeight);
        if (context_->Valid()) BuildOutlineFont();
    }
    static void TearDownTestSuite() { context_.reset(); }
    void SetUp() override {
        ASSERT_TRUE(context_->Valid());
        ASSERT_NE(TextListBase, 0u);
        context_->MakeCurrent();
        HelpFrameCounter = 0;
    }

    // The frame's camera and start state, or (ortho) a view along -z at 200 pixels a unit.
    static void View(bool ortho) {
        const double h = 0.4, aspect = double(kWidth) / kHeight;
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        ortho ? glOrtho(-2, 2, -1.5, 1.5, 0, 2) : glFrustum(-h * aspect, h * aspect, -h, h, 1, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ortho ? gluLookAt(0, 0, 1, 0, 0, 0, 0, 1, 0) : gluLookAt(0, 0, -10, 0, 0, -500, 0, 1, 0);
        glClearColor(0, 0, 0, ortho ? 0 : 0.5f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glBindTexture(GL_TEXTURE_2D, 0);
        ortho ? glDisable(GL_TEXTURE_2D) : glEnable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
    }

    // Pixels of the frame with exactly this colour (0xRRGGBB), or (-1) not black.
    static int Count(int rgb = -1) {
        const QImage image = context_->Grab();
        int n = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const int got = int(image.pixel(x, y) & 0xffffff);
                n += rgb < 0 ? got != 0 : got == rgb;
            }
        return n;
    }
    static GLfloat ModelViewX() {
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        return m[12];
    }

    static std::unique_ptr<GlTestContext> context_;
};

std::unique_ptr<GlTestContext> OutlineFontGl::context_;

TEST_F(OutlineFontGl, Code255DrawsNothingAndDoesNotAdvance) {
    View(true);
    DrawText3D("\xff\xff\xff");
    EXPECT_EQ(ModelViewX(), 0.0f);
    EXPECT_EQ(Count(), 0);
    DrawText3D("%d", 42);
    EXPECT_NEAR(ModelViewX(), GlyphMetrics['4'].cellIncX + GlyphMetrics['2'].cellIncX, 1e-5);
    EXPECT_GT(Count(), 100);
}

TEST_F(OutlineFontGl, OverlayShowsInTheCurrentColourOverABlackTextureForHundredFrames) {
    // A bubble pass leaves its texture bound and the texture coordinate of a
    // black corner; the text must still show in the current colour.
    GLuint black = 0;
    glGenTextures(1, &black);
    glBindTexture(GL_TEXTURE_2D, black);
    const GLubyte texel[4] = {0, 0, 0, 255};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    bool visible = true;
    for (int frame = 1; frame <= 101; ++frame) {
        View(false);
        glBindTexture(GL_TEXTURE_2D, black);
        glTexCoord2f(0, 1);
        glColor4f(1, 0, 0, 0);  // the colour a Feed-mode frame leaves, tinted
        DrawHelpOverlay(visible);
        if (frame != 1 && frame < 100) continue;
        SCOPED_TRACE(frame);
        const int lit = Count();
        EXPECT_EQ(lit, Count(0xff0000)) << "only the current colour";
        if (frame <= 100) EXPECT_GT(lit, 2000);
        else EXPECT_EQ(lit, 0) << "frame 101 is empty";
        if (frame == 1) {
            // The title stands apart above the help lines, in the upper half.
            const QImage image = context_->Grab();
            std::vector<int> bandTops;
            bool inBand = false;
            for (int y = 0; y < kHeight; ++y) {
                bool ink = false;
                for (int x = 0; x < kWidth && !ink; ++x) ink = (image.pixel(x, y) & 0xffffff) != 0;
                if (ink && !inBand) bandTops.push_back(y);
                inBand = ink;
            }
            ASSERT_GE(bandTops.size(), 3u);
            EXPECT_LT(bandTops[0], kHeight / 2 - kHeight / 20);
        }
    }
    EXPECT_FALSE(visible);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is back on for the rest of the frame";
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), black);
    glDeleteTextures(1, &black);
}

}  // namespace
