#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QFont>
#include <QImage>
#include <QRawFont>

#include <array>
#include <memory>
#include <vector>

#include "scene/OutlineFont.h"
#include "scene/TextOverlay.h"
#include "support/GlTestContext.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// The colour buffer, top row first, read straight from GL.
QImage ReadFrame(int width, int height) {
    glFinish();
    QImage image(width, height, QImage::Format_RGBA8888);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    return image.mirrored();
}

std::array<GLfloat, 16> ModelView() {
    std::array<GLfloat, 16> m{};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

// One font for the whole suite: display lists belong to their context.
class OutlineFontGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        context_ = std::make_unique<GlTestContext>(kWidth, kHeight);
        if (!context_->Valid()) return;
        BuildOutlineFont();
    }
    static void TearDownTestSuite() { context_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(context_->Valid());
        ASSERT_NE(TextListBase, 0u);
        context_->MakeCurrent();
        HelpFrameCounter = 0;
    }

    // The frame's projection and camera, with the state a frame starts with.
    static void BeginFrame() {
        const double h = 0.4, aspect = double(kWidth) / kHeight;
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(-h * aspect, h * aspect, -h, h, 1, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 0, -10, 0, 0, -500, 0, 1, 0);
        glClearColor(0, 0, 0, 0.5f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    // An orthographic view along -z from z = +1 (or along +z from z = -1),
    // one unit = `pixelsPerUnit` pixels, origin at the image centre.
    static void OrthoView(double pixelsPerUnit, bool fromBehind) {
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        const double hw = kWidth / 2.0 / pixelsPerUnit, hh = kHeight / 2.0 / pixelsPerUnit;
        glOrtho(-hw, hw, -hh, hh, 0, 2);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        if (fromBehind) {
            gluLookAt(0, 0, -1, 0, 0, 0, 0, 1, 0);
        } else {
            gluLookAt(0, 0, 1, 0, 0, 0, 0, 1, 0);
        }
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glColor3f(1, 1, 1);
    }

    struct Lit {
        int count = 0;
        QRect bounds;
    };
    static Lit LitPixels(const QImage& image) {
        Lit lit;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if ((image.pixel(x, y) & 0xffffff) == 0) continue;
                ++lit.count;
                lit.bounds |= QRect(x, y, 1, 1);
            }
        }
        return lit;
    }

    static float DepthAt(int x, int yFromTop) {
        float depth = 0;
        glReadPixels(x, kHeight - 1 - yFromTop, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    }

    static std::unique_ptr<GlTestContext> context_;
};

std::unique_ptr<GlTestContext> OutlineFontGl::context_;

TEST_F(OutlineFontGl, Code255DrawsNothingAndDoesNotAdvance) {
    OrthoView(100, false);
    glLoadIdentity();
    const auto before = ModelView();
    glCallList(TextListBase + 255);
    EXPECT_EQ(ModelView(), before);
    DrawText3D("\xff\xff\xff");
    EXPECT_EQ(ModelView(), before);
    EXPECT_EQ(LitPixels(ReadFrame(kWidth, kHeight)).count, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(OutlineFontGl, EveryOtherCodeAdvancesByItsCellIncrement) {
    for (int code : {0, 1, int(' '), int('A'), int('i'), int('W'), 0x80, 0xE9, 0xFE}) {
        SCOPED_TRACE(code);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glCallList(TextListBase + code);
        const auto m = ModelView();
        EXPECT_FLOAT_EQ(m[12], GlyphMetrics[code].cellIncX);
        EXPECT_FLOAT_EQ(m[13], 0.0f);
        EXPECT_FLOAT_EQ(m[14], 0.0f);
        EXPECT_GT(m[12], 0.0f);
    }
    // Bold letters of a text font are well under an em wide, 'W' wider than 'i'.
    EXPECT_GT(GlyphMetrics['W'].cellIncX, GlyphMetrics['i'].cellIncX);
    EXPECT_LT(GlyphMetrics['W'].cellIncX, 1.3f);
    EXPECT_GT(GlyphMetrics['i'].cellIncX, 0.15f);
}

TEST_F(OutlineFontGl, GlyphsAreOneUnitPerEmStandingOnTheBaseline) {
    const GlyphMetric& h = GlyphMetrics['H'];
    EXPECT_GT(h.blackBoxY, 0.6f);  // cap height of common fonts: 0.65..0.75 em
    EXPECT_LT(h.blackBoxY, 0.8f);
    EXPECT_NEAR(h.originY - h.blackBoxY, 0.0f, 0.02f) << "bottom of 'H' on the baseline";
    const GlyphMetric& p = GlyphMetrics['p'];
    EXPECT_LT(p.originY - p.blackBoxY, -0.1f) << "descender below the baseline";
    EXPECT_EQ(GlyphMetrics[' '].blackBoxX, 0.0f);
    EXPECT_GT(GlyphMetrics[' '].cellIncX, 0.0f);

    // Drawn, 'H' covers the cell the metrics describe.
    OrthoView(200, false);
    glCallList(TextListBase + 'H');
    const Lit lit = LitPixels(ReadFrame(kWidth, kHeight));
    ASSERT_GT(lit.count, 0);
    EXPECT_NEAR(lit.bounds.height() / 200.0, h.blackBoxY, 0.02);
    EXPECT_NEAR(lit.bounds.width() / 200.0, h.blackBoxX, 0.02);
    EXPECT_NEAR((kHeight / 2.0 - (lit.bounds.bottom() + 1)) / 200.0, 0.0, 0.02);
}

TEST_F(OutlineFontGl, ExtrudedPointTwoBehindTheFrontFace) {
    OrthoView(200, false);
    glCallList(TextListBase + 'I');
    Lit lit = LitPixels(ReadFrame(kWidth, kHeight));
    ASSERT_GT(lit.count, 0);
    const QPoint c = lit.bounds.center();
    // Depth over the 0..2 range: front face at z 0 seen from z +1 is 0.5.
    EXPECT_NEAR(DepthAt(c.x(), c.y()), 0.5f, 0.002f);

    OrthoView(200, true);
    glCallList(TextListBase + 'I');
    lit = LitPixels(ReadFrame(kWidth, kHeight));
    ASSERT_GT(lit.count, 0);
    // From behind, the back face at z -0.2 is the nearest: 0.8 of 2.
    EXPECT_NEAR(DepthAt(lit.bounds.center().x(), lit.bounds.center().y()), 0.4f, 0.002f);

    // Edge-on from the side only the walls show, 0.2 deep.
    OrthoView(200, false);
    glRotatef(90, 0, 1, 0);
    glCallList(TextListBase + 'I');
    lit = LitPixels(ReadFrame(kWidth, kHeight));
    ASSERT_GT(lit.count, 0);
    EXPECT_NEAR(lit.bounds.width() / 200.0, 0.2, 0.015);
    EXPECT_NEAR(lit.bounds.height() / 200.0, GlyphMetrics['I'].blackBoxY, 0.02);
}

TEST_F(OutlineFontGl, EveryVisibleFaceIsLitByALightAtTheViewer) {
    // Turned about y, the glyph shows a face (front or back) and a side wall.
    // With a light from the eye, a surface only stays dark if its normal
    // points into the solid.
    const GLfloat white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1}, atEye[4] = {0, 0, 1, 0};
    for (float angle : {60.0f, -60.0f, 120.0f, -120.0f}) {
        SCOPED_TRACE(angle);
        OrthoView(200, false);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
        glLightfv(GL_LIGHT0, GL_AMBIENT, black);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glPushMatrix();
        glLoadIdentity();
        glLightfv(GL_LIGHT0, GL_POSITION, atEye);
        glPopMatrix();
        glRotatef(angle, 0, 1, 0);
        glTranslatef(-0.2f, -0.35f, 0.1f);  // the glyph's middle near the axis
        glCallList(TextListBase + 'I');
        glDisable(GL_LIGHTING);
        glDisable(GL_LIGHT0);
        const QImage image = ReadFrame(kWidth, kHeight);
        std::vector<float> depth(kWidth * kHeight);
        glReadPixels(0, 0, kWidth, kHeight, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        int drawn = 0, dark = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (depth[(kHeight - 1 - y) * kWidth + x] >= 1.0f) continue;
                ++drawn;
                dark += qRed(image.pixel(x, y)) < 40;
            }
        }
        // The front or back face alone would be 0.5 x (width) wide; the wall adds
        // 0.2 x sin(60).
        const double faceWidth = GlyphMetrics['I'].blackBoxX * 0.5;
        const double expected = (faceWidth + 0.2 * 0.866) * GlyphMetrics['I'].blackBoxY * 200 * 200;
        EXPECT_NEAR(drawn, expected, expected * 0.1);
        EXPECT_LT(dark, drawn / 50);
    }
}

TEST_F(OutlineFontGl, OverlayShowsInTheCurrentColourForHundredFrames) {
    bool visible = true;
    QImage image;
    for (int frame = 1; frame <= 100; ++frame) {
        BeginFrame();
        glColor4f(1, 0, 0, 0);  // the colour a Feed-mode frame leaves, tinted
        DrawHelpOverlay(visible);
        if (frame == 1 || frame == 100) {
            SCOPED_TRACE(frame);
            image = ReadFrame(kWidth, kHeight);
            const Lit lit = LitPixels(image);
            // Four lines of a few hundred text pixels each.
            EXPECT_GT(lit.count, 2000);
            // 50 units in front of the eye, one unit is 300/20 = 15 pixels:
            // the title's left edge sits 5.5 units left of the centre,
            // the address line's baseline 2 units below it.
            EXPECT_NEAR(lit.bounds.left(), kWidth / 2 - 5.5 * 15, 8);
            EXPECT_NEAR(lit.bounds.top(), kHeight / 2 - 4.75 * 15, 8);
            EXPECT_NEAR(lit.bounds.bottom(), kHeight / 2 + 2.25 * 15, 8);
        }
    }
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            ASSERT_EQ(qGreen(c), 0);
            ASSERT_EQ(qBlue(c), 0);
        }
    }
    BeginFrame();
    DrawHelpOverlay(visible);
    EXPECT_EQ(LitPixels(ReadFrame(kWidth, kHeight)).count, 0) << "frame 101 is empty";
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
    HelpFrameCounter = 0;
    BeginFrame();
    glBindTexture(GL_TEXTURE_2D, black);
    glTexCoord2f(0, 1);
    glColor3f(1, 1, 1);
    DrawHelpOverlay(visible);
    const QImage image = ReadFrame(kWidth, kHeight);
    int white = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            white += image.pixel(x, y) == qRgba(255, 255, 255, 255);
    }
    EXPECT_GT(white, 2000);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is back on for the rest of the frame";
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), black);
    glDeleteTextures(1, &black);
}

TEST_F(OutlineFontGl, OverlayHidesWhatLiesBehindItsPlane) {
    bool visible = true;
    BeginFrame();
    glDisable(GL_TEXTURE_2D);
    glColor3f(0, 0, 1);
    DrawHelpOverlay(visible);
    // A green wall behind the text plane and a red one in front of it.
    const auto wall = [](float z) {
        glBegin(GL_QUADS);
        glVertex3f(-30, -30, z);
        glVertex3f(30, -30, z);
        glVertex3f(30, 30, z);
        glVertex3f(-30, 30, z);
        glEnd();
    };
    glColor3f(0, 1, 0);
    wall(-80);
    const QImage behind = ReadFrame(kWidth, kHeight);
    int blue = 0, green = 0;
    for (int y = 0; y < behind.height(); ++y) {
        for (int x = 0; x < behind.width(); ++x) {
            blue += qBlue(behind.pixel(x, y)) > 0;
            green += qGreen(behind.pixel(x, y)) > 0;
        }
    }
    EXPECT_GT(blue, 2000) << "the text stays in front of the farther wall";
    EXPECT_GT(green, blue);
    glColor3f(1, 0, 0);
    wall(-40);
    const QImage front = ReadFrame(kWidth, kHeight);
    int nonRed = 0;
    for (int y = 0; y < front.height(); ++y) {
        for (int x = 0; x < front.width(); ++x)
            nonRed += qRed(front.pixel(x, y)) == 0;
    }
    EXPECT_EQ(nonRed, 0) << "nearer things draw over the text";
    glEnable(GL_TEXTURE_2D);
}

TEST_F(OutlineFontGl, TextIsDrawnFromItsFormat) {
    OrthoView(100, false);
    glTranslatef(-3, 0, 0);
    DrawText3D(nullptr);
    EXPECT_EQ(ModelView()[12], -3.0f) << "a null format draws nothing";
    DrawText3D("%d", 42);
    EXPECT_NEAR(ModelView()[12], -3.0f + GlyphMetrics['4'].cellIncX + GlyphMetrics['2'].cellIncX,
                1e-5);
    EXPECT_GT(LitPixels(ReadFrame(kWidth, kHeight)).count, 100);
    GLint base = -1;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 0) << "the list base is restored";
}

TEST(OutlineGlyphs, RealFontGlyphsTessellateWithTheirHoles) {
    EnsureTestApplication();
    QFont font;
    font.setBold(true);
    font.setPixelSize(64);
    const QRawFont raw = QRawFont::fromFont(font);
    ASSERT_TRUE(raw.isValid());
    const auto glyph = [&](QChar c) {
        quint32 index = 0;
        int count = 1;
        raw.glyphIndexesForChars(&c, 1, &index, &count);
        return index;
    };
    GlyphTessellator tessellator;
    GlyphMesh mesh;
    const auto area = [&](const GlyphMesh& m) {
        double sum = 0;
        for (size_t i = 0; i + 2 < m.triangles.size(); i += 3) {
            const GlyphPoint &a = m.triangles[i], &b = m.triangles[i + 1], &c = m.triangles[i + 2];
            sum += 0.5 * ((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y));
        }
        return sum;
    };
    const auto contoursO = GlyphOutline(raw, glyph('O'));
    EXPECT_EQ(contoursO.size(), 2u);
    ASSERT_TRUE(tessellator.Tessellate(contoursO, mesh));
    EXPECT_EQ(mesh.boundary.size(), 2u);
    const double ringArea = area(mesh);
    // Filled 'l' and 'O' ring areas: a ring is well below its bounding box.
    const auto contoursDot = GlyphOutline(raw, glyph('.'));
    ASSERT_TRUE(tessellator.Tessellate(contoursDot, mesh));
    const double dotArea = area(mesh);
    EXPECT_GT(ringArea, dotArea);
    EXPECT_GT(ringArea, 0.1);
    EXPECT_LT(ringArea, 0.45) << "the counter of 'O' is not filled";
    EXPECT_TRUE(GlyphOutline(raw, glyph(' ')).empty());
}

}  // namespace
