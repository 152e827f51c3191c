#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QFont>
#include <QImage>
#include <QRawFont>

#include <array>
#include <memory>

#include "scene/OutlineFont.h"
#include "scene/TextOverlay.h"
#include "support/GlTestContext.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

std::array<GLfloat, 16> ModelView() {
    std::array<GLfloat, 16> m{};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

struct Frame {
    QImage image;
    int lit = 0;  // pixels that are not black
    QRect bounds;
};

// The colour buffer, top row first, read straight from GL.
Frame ReadFrame() {
    glFinish();
    Frame f;
    f.image = QImage(kWidth, kHeight, QImage::Format_RGBA8888);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, f.image.bits());
    f.image = f.image.mirrored();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if ((f.image.pixel(x, y) & 0xffffff) == 0) continue;
            ++f.lit;
            f.bounds |= QRect(x, y, 1, 1);
        }
    }
    return f;
}

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

    static std::unique_ptr<GlTestContext> context_;
};

std::unique_ptr<GlTestContext> OutlineFontGl::context_;

TEST_F(OutlineFontGl, ListsAdvanceByTheirCellAndCode255DrawsNothing) {
    View(true);
    for (int code : {0, 1, int(' '), int('A'), int('i'), int('W'), 0x80, 0xE9, 0xFE, 0xFF}) {
        SCOPED_TRACE(code);
        glLoadIdentity();
        glCallList(TextListBase + code);
        const auto m = ModelView();
        EXPECT_FLOAT_EQ(m[12], GlyphMetrics[code].cellIncX);
        EXPECT_EQ(m[12] > 0.0f, code != 0xFF);
        EXPECT_FLOAT_EQ(m[13], 0.0f);
        EXPECT_FLOAT_EQ(m[14], 0.0f);
    }
    View(true);
    glLoadIdentity();
    DrawText3D("\xff\xff\xff");
    EXPECT_EQ(ModelView()[12], 0.0f);
    EXPECT_EQ(ReadFrame().lit, 0) << "code 255 draws nothing";
    DrawText3D(nullptr);
    EXPECT_EQ(ModelView()[12], 0.0f) << "a null format draws nothing";
    DrawText3D("%d", 42);
    EXPECT_NEAR(ModelView()[12], GlyphMetrics['4'].cellIncX + GlyphMetrics['2'].cellIncX, 1e-5);
    EXPECT_GT(ReadFrame().lit, 100);
    GLint base = -1;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 0) << "the list base is restored";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(OutlineFontGl, GlyphsAreOneUnitPerEmOnTheBaselineAndExtruded) {
    // Bold letters of a text font are well under an em wide, 'W' wider than 'i'.
    EXPECT_GT(GlyphMetrics['W'].cellIncX, GlyphMetrics['i'].cellIncX);
    EXPECT_LT(GlyphMetrics['W'].cellIncX, 1.3f);
    EXPECT_GT(GlyphMetrics['i'].cellIncX, 0.15f);
    const GlyphMetric& h = GlyphMetrics['H'];
    EXPECT_GT(h.blackBoxY, 0.6f);  // cap height of common fonts: 0.65..0.75 em
    EXPECT_LT(h.blackBoxY, 0.8f);
    EXPECT_NEAR(h.originY - h.blackBoxY, 0.0f, 0.02f) << "bottom of 'H' on the baseline";
    EXPECT_LT(GlyphMetrics['p'].originY - GlyphMetrics['p'].blackBoxY, -0.1f) << "descender";
    EXPECT_EQ(GlyphMetrics[' '].blackBoxX, 0.0f);

    // Drawn, 'H' covers the cell the metrics describe.
    View(true);
    glCallList(TextListBase + 'H');
    Frame f = ReadFrame();
    ASSERT_GT(f.lit, 0);
    EXPECT_NEAR(f.bounds.height() / 200.0, h.blackBoxY, 0.02);
    EXPECT_NEAR(f.bounds.width() / 200.0, h.blackBoxX, 0.02);
    EXPECT_NEAR((kHeight / 2.0 - (f.bounds.bottom() + 1)) / 200.0, 0.0, 0.02);

    // Edge-on from the side only the walls show, 0.2 deep.
    View(true);
    glRotatef(90, 0, 1, 0);
    glCallList(TextListBase + 'I');
    f = ReadFrame();
    EXPECT_NEAR(f.bounds.width() / 200.0, 0.2, 0.015);
    EXPECT_NEAR(f.bounds.height() / 200.0, GlyphMetrics['I'].blackBoxY, 0.02);
}

TEST_F(OutlineFontGl, OverlayShowsInTheCurrentColourForHundredFrames) {
    bool visible = true;
    for (int frame = 1; frame <= 100; ++frame) {
        View(false);
        glColor4f(1, 0, 0, 0);  // the colour a Feed-mode frame leaves, tinted
        DrawHelpOverlay(visible);
        if (frame != 1 && frame != 100) continue;
        SCOPED_TRACE(frame);
        const Frame f = ReadFrame();
        // Four lines of a few hundred text pixels each. 50 units in front of
        // the eye one unit is 300/20 = 15 pixels: the title's left edge sits
        // 5.5 units left of the centre, the address line's baseline 2 below it.
        EXPECT_GT(f.lit, 2000);
        EXPECT_NEAR(f.bounds.left(), kWidth / 2 - 5.5 * 15, 8);
        EXPECT_NEAR(f.bounds.top(), kHeight / 2 - 4.75 * 15, 8);
        EXPECT_NEAR(f.bounds.bottom(), kHeight / 2 + 2.25 * 15, 8);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) ASSERT_EQ(f.image.pixel(x, y) & 0x00ffff, 0u) << "only red";
    }
    View(false);
    DrawHelpOverlay(visible);
    EXPECT_EQ(ReadFrame().lit, 0) << "frame 101 is empty";
    EXPECT_FALSE(visible);
}

TEST_F(OutlineFontGl, OverlayIgnoresTheTextureThePreviousFrameLeftBound) {
    // A bubble pass leaves its texture bound and the texture coordinate of a
    // black corner; the text must still show in the current colour.
    GLuint black = 0;
    glGenTextures(1, &black);
    glBindTexture(GL_TEXTURE_2D, black);
    const GLubyte texel[4] = {0, 0, 0, 255};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    bool visible = true;
    View(false);
    glBindTexture(GL_TEXTURE_2D, black);
    glTexCoord2f(0, 1);
    glColor3f(1, 1, 1);
    DrawHelpOverlay(visible);
    const QImage image = ReadFrame().image;
    int white = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) white += image.pixel(x, y) == qRgba(255, 255, 255, 255);
    EXPECT_GT(white, 2000);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is back on for the rest of the frame";
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), black);
    glDeleteTextures(1, &black);
}

TEST(OutlineGlyphs, RealFontGlyphsTessellateWithTheirHoles) {
    EnsureTestApplication();
    QFont font;
    font.setBold(true);
    font.setPixelSize(64);
    const QRawFont raw = QRawFont::fromFont(font);
    ASSERT_TRUE(raw.isValid());
    GlyphTessellator tessellator;
    GlyphMesh mesh;
    // Outline contours of a character and the area its triangles fill.
    const auto fill = [&](QChar ch, std::size_t contours) {
        quint32 index = 0;
        int count = 1;
        raw.glyphIndexesForChars(&ch, 1, &index, &count);
        const auto outline = GlyphOutline(raw, index);
        EXPECT_EQ(outline.size(), contours) << ch.toLatin1();
        EXPECT_TRUE(tessellator.Tessellate(outline, mesh));
        double sum = 0;
        for (std::size_t i = 0; i + 2 < mesh.triangles.size(); i += 3) {
            const GlyphPoint &a = mesh.triangles[i], &b = mesh.triangles[i + 1], &c = mesh.triangles[i + 2];
            sum += 0.5 * ((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y));
        }
        return sum;
    };
    const double ring = fill('O', 2);
    EXPECT_EQ(mesh.boundary.size(), 2u);
    EXPECT_GT(ring, fill('.', 1));
    EXPECT_GT(ring, 0.1);
    EXPECT_LT(ring, 0.45) << "the counter of 'O' is not filled";
    fill(' ', 0);
}

}  // namespace
