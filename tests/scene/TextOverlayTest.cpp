#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <string>
#include <vector>

#include "scene/OutlineFont.h"
#include "scene/TextOverlay.h"

namespace {

// Runs `frames` frames of the overlay counter; returns how many showed text.
int ShownFrames(bool& visible, int frames) {
    int shown = 0;
    for (int i = 0; i < frames; ++i)
        shown += AdvanceHelpOverlay(visible) ? 1 : 0;
    return shown;
}

// Frames shown from now until the overlay times out (bounded).
int FramesUntilHidden(bool& visible) {
    int shown = 0;
    while (AdvanceHelpOverlay(visible) && shown < 1000)
        ++shown;
    return shown;
}

class HelpOverlayCounter : public ::testing::Test {
protected:
    void SetUp() override { HelpFrameCounter = 0; }
    void TearDown() override { HelpFrameCounter = 0; }
    bool visible = true;  // as at start-up
};

std::string Format(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int length = FormatText3D(buffer, format, args);
    va_end(args);
    EXPECT_EQ(static_cast<size_t>(length), std::string(buffer).size());
    return std::string(buffer, length);
}

double TriangleArea(const GlyphPoint& a, const GlyphPoint& b, const GlyphPoint& c) {
    return 0.5 * ((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y));
}

double LoopArea(const GlyphContour& loop) {
    double twice = 0;
    for (size_t i = 0; i < loop.size(); ++i) {
        const GlyphPoint& a = loop[i];
        const GlyphPoint& b = loop[(i + 1) % loop.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2;
}

GlyphContour Square(double x0, double y0, double size, bool counterClockwise) {
    GlyphContour c = {{x0, y0}, {x0 + size, y0}, {x0 + size, y0 + size}, {x0, y0 + size}};
    if (!counterClockwise) std::reverse(c.begin(), c.end());
    return c;
}

struct MeshSummary {
    double triangleArea = 0;
    bool allCounterClockwise = true;
    std::vector<double> loopAreas;
};

MeshSummary Summarise(const GlyphMesh& mesh) {
    MeshSummary s;
    EXPECT_EQ(mesh.triangles.size() % 3, 0u);
    for (size_t i = 0; i + 2 < mesh.triangles.size(); i += 3) {
        const double a =
            TriangleArea(mesh.triangles[i], mesh.triangles[i + 1], mesh.triangles[i + 2]);
        s.triangleArea += a;
        if (a < 0) s.allCounterClockwise = false;
    }
    for (const GlyphContour& loop : mesh.boundary)
        s.loopAreas.push_back(LoopArea(loop));
    std::sort(s.loopAreas.begin(), s.loopAreas.end());
    return s;
}

}  // namespace

TEST_F(HelpOverlayCounter, ShowsForTheFirstHundredFrames) {
    EXPECT_EQ(ShownFrames(visible, 99), 99);
    EXPECT_TRUE(AdvanceHelpOverlay(visible)) << "frame 100 still shows the text";
    EXPECT_FALSE(AdvanceHelpOverlay(visible)) << "frame 101 does not";
    EXPECT_FALSE(visible);
    EXPECT_EQ(HelpFrameCounter, 0);
    EXPECT_EQ(ShownFrames(visible, 500), 0) << "stays hidden without F1";
}

TEST_F(HelpOverlayCounter, F1AfterTimeoutShowsExactlyHundredMore) {
    ShownFrames(visible, 150);
    ASSERT_FALSE(visible);
    visible = !visible;  // F1
    EXPECT_EQ(FramesUntilHidden(visible), 100);
    EXPECT_FALSE(visible);
}

TEST_F(HelpOverlayCounter, HiddenEarlyKeepsTheRemainingFrames) {
    EXPECT_EQ(ShownFrames(visible, 40), 40);
    visible = !visible;  // F1 at frame 40 hides it
    EXPECT_EQ(ShownFrames(visible, 25), 0);
    EXPECT_EQ(HelpFrameCounter, 40) << "hidden frames are not counted";
    visible = !visible;  // F1 again
    EXPECT_EQ(FramesUntilHidden(visible), 60);
    // Once timed out, the next F1 gives the full hundred again.
    visible = !visible;
    EXPECT_EQ(FramesUntilHidden(visible), 100);
}

TEST(Text3DFormat, FormatsBoundedAndRejectsNull) {
    EXPECT_EQ(Format("%s %d", "Tidemere", 11), "Tidemere 11");
    EXPECT_EQ(Format(""), "");
    EXPECT_EQ(Format(nullptr), "");
    // Longer text is cut to the 255 characters the buffer holds, never overrun.
    const std::string longText(1000, 'x');
    const std::string cut = Format("%s", longText.c_str());
    EXPECT_EQ(cut, std::string(255, 'x'));
    // A code-255 byte passes through to be drawn (as nothing) by its list.
    EXPECT_EQ(Format("a\xff"
                     "b"),
              std::string("a\xff"
                          "b"));
}

TEST(AnsiCodes, MapLikeWindowsCodePage1252) {
    EXPECT_EQ(AnsiCodeToUnicode('A'), U'A');
    EXPECT_EQ(AnsiCodeToUnicode(0x20), U' ');
    EXPECT_EQ(AnsiCodeToUnicode(0x80), U'\u20AC');  // euro sign
    EXPECT_EQ(AnsiCodeToUnicode(0x92), U'\u2019');  // right single quote
    EXPECT_EQ(AnsiCodeToUnicode(0x9F), U'\u0178');  // Y with diaeresis
    EXPECT_EQ(AnsiCodeToUnicode(0x81), U'\u0081');  // unassigned stays
    EXPECT_EQ(AnsiCodeToUnicode(0xA0), U'\u00A0');  // above 0x9F it is Latin-1
    EXPECT_EQ(AnsiCodeToUnicode(0xE9), U'\u00E9');
    EXPECT_EQ(AnsiCodeToUnicode(0xFF), U'\u00FF');
}

TEST(GlyphTessellation, FillsOutlinesAndLeavesHoles) {
    GlyphTessellator tessellator;
    GlyphMesh mesh;
    struct Case {
        const char* name;
        std::vector<GlyphContour> contours;
        double area;
        std::vector<double> loopAreas;  // sorted: holes negative
    };
    const Case cases[] = {
        {"square", {Square(0, 0, 1, true)}, 1.0, {1.0}},
        {"clockwise square comes out counter-clockwise", {Square(0, 0, 1, false)}, 1.0, {1.0}},
        {"ring, font-style opposite winding",
         {Square(0, 0, 3, true), Square(1, 1, 1, false)},
         8.0,
         {-1.0, 9.0}},
        {"two separate squares", {Square(0, 0, 1, true), Square(2, 0, 1, true)}, 2.0, {1.0, 1.0}},
        // Overlapping parts of one letter merge into one solid (nonzero rule).
        {"overlapping squares", {Square(0, 0, 2, true), Square(1, 1, 2, true)}, 7.0, {7.0}},
        {"degenerate contour ignored", {{{0, 0}, {1, 1}}}, 0.0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(tessellator.Tessellate(c.contours, mesh));
        const MeshSummary s = Summarise(mesh);
        EXPECT_NEAR(s.triangleArea, c.area, 1e-9);
        EXPECT_TRUE(s.allCounterClockwise);
        ASSERT_EQ(s.loopAreas.size(), c.loopAreas.size());
        for (size_t i = 0; i < s.loopAreas.size(); ++i) {
            EXPECT_NEAR(s.loopAreas[i], c.loopAreas[i], 1e-9);
        }
    }
}

TEST(GlyphTessellation, ReusedTessellatorForgetsThePreviousGlyph) {
    GlyphTessellator tessellator;
    GlyphMesh mesh;
    mesh.advance = 0.75f;
    ASSERT_TRUE(tessellator.Tessellate({Square(0, 0, 3, true), Square(1, 1, 1, false)}, mesh));
    ASSERT_TRUE(tessellator.Tessellate({Square(5, 5, 2, true)}, mesh));
    const MeshSummary s = Summarise(mesh);
    EXPECT_NEAR(s.triangleArea, 4.0, 1e-9);
    ASSERT_EQ(mesh.boundary.size(), 1u);
    for (const GlyphPoint& p : mesh.boundary[0]) {
        EXPECT_GE(p.x, 5.0);
        EXPECT_GE(p.y, 5.0);
    }
    EXPECT_FLOAT_EQ(mesh.advance, 0.75f) << "the advance is the caller's";
    ASSERT_TRUE(tessellator.Tessellate({}, mesh));  // a space: nothing to fill
    EXPECT_TRUE(mesh.triangles.empty());
    EXPECT_TRUE(mesh.boundary.empty());
}
