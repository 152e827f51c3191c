#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <string>
#include <vector>

#include "scene/OutlineFont.h"
#include "scene/TextOverlay.h"

namespace {

// Runs `frames` frames of the overlay counter; returns how many showed text.
int ShownFrames(bool& visible, int frames = 1000) {
    int shown = 0;
    for (int i = 0; i < frames; ++i) shown += AdvanceHelpOverlay(visible) ? 1 : 0;
    return shown;
}

std::string Format(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int length = FormatText3D(buffer, format, args);
    va_end(args);
    EXPECT_EQ(std::size_t(length), std::string(buffer).size());
    return std::string(buffer, length);
}

GlyphContour Square(double x0, double y0, double size, bool counterClockwise) {
    GlyphContour c = {{x0, y0}, {x0 + size, y0}, {x0 + size, y0 + size}, {x0, y0 + size}};
    if (!counterClockwise) std::reverse(c.begin(), c.end());
    return c;
}

// Twice the signed area of a closed loop (counter-clockwise positive).
double TwiceArea(const GlyphContour& loop) {
    double twice = 0;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const GlyphPoint &a = loop[i], &b = loop[(i + 1) % loop.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice;
}

}  // namespace

TEST(HelpOverlayCounter, ShowsAHundredFramesAndF1ShowsTheRest) {
    HelpFrameCounter = 0;
    bool visible = true;  // as at start-up
    EXPECT_EQ(ShownFrames(visible, 99), 99);
    EXPECT_TRUE(AdvanceHelpOverlay(visible)) << "frame 100 still shows the text";
    EXPECT_FALSE(AdvanceHelpOverlay(visible)) << "frame 101 does not";
    EXPECT_EQ(HelpFrameCounter, 0);
    EXPECT_EQ(ShownFrames(visible, 500), 0) << "stays hidden without F1";
    visible = true;  // F1 after the timeout
    EXPECT_EQ(ShownFrames(visible, 40), 40);
    visible = false;  // F1 at frame 40 hides it; hidden frames are not counted
    EXPECT_EQ(ShownFrames(visible, 25), 0);
    EXPECT_EQ(HelpFrameCounter, 40);
    visible = true;  // F1 again: the remaining 60
    EXPECT_EQ(ShownFrames(visible), 60);
    visible = true;  // F1 after the timeout: exactly 100 more
    EXPECT_EQ(ShownFrames(visible), 100);
    EXPECT_FALSE(visible);
    HelpFrameCounter = 0;
}

TEST(Text3DFormat, FormatsBoundedAndRejectsNull) {
    EXPECT_EQ(Format("%s %d", "Tidemere", 11), "Tidemere 11");
    EXPECT_EQ(Format(""), "");
    EXPECT_EQ(Format(nullptr), "");
    // Longer text is cut to the 255 characters the buffer holds, never overrun.
    EXPECT_EQ(Format("%s", std::string(1000, 'x').c_str()), std::string(255, 'x'));
    // A code-255 byte passes through to be drawn (as nothing) by its list.
    EXPECT_EQ(Format("a\xff" "b"), "a\xff" "b");
}

TEST(AnsiCodes, MapLikeWindowsCodePage1252) {
    // Code, character: the 0x80..0x9F block differs from Latin-1; unassigned codes stay.
    const std::pair<int, char32_t> cases[] = {{'A', U'A'},       {0x20, U' '},      {0x80, U'\u20AC'},
                                              {0x92, U'\u2019'}, {0x9F, U'\u0178'}, {0x81, U'\u0081'},
                                              {0xA0, U'\u00A0'}, {0xE9, U'\u00E9'}, {0xFF, U'\u00FF'}};
    for (const auto& [code, character] : cases) EXPECT_EQ(AnsiCodeToUnicode(code), character) << code;
}

TEST(GlyphTessellation, FillsOutlinesLeavesHolesAndForgetsThePreviousGlyph) {
    // One tessellator and mesh for all, so nothing may leak from one glyph to the next.
    GlyphTessellator tessellator;
    GlyphMesh mesh;
    mesh.advance = 0.75f;
    const struct {
        const char* name;
        std::vector<GlyphContour> contours;
        double area;
        std::vector<double> loopAreas;  // sorted: holes negative
    } cases[] = {
        {"ring, font-style opposite winding", {Square(0, 0, 3, true), Square(1, 1, 1, false)}, 8.0, {-1.0, 9.0}},
        {"square", {Square(5, 5, 1, true)}, 1.0, {1.0}},
        {"clockwise square comes out counter-clockwise", {Square(0, 0, 1, false)}, 1.0, {1.0}},
        {"two separate squares", {Square(0, 0, 1, true), Square(2, 0, 1, true)}, 2.0, {1.0, 1.0}},
        // Overlapping parts of one letter merge into one solid (nonzero rule).
        {"overlapping squares", {Square(0, 0, 2, true), Square(1, 1, 2, true)}, 7.0, {7.0}},
        {"degenerate contour ignored", {{{0, 0}, {1, 1}}}, 0.0, {}},
        {"a space: nothing to fill", {}, 0.0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(tessellator.Tessellate(c.contours, mesh));
        ASSERT_EQ(mesh.triangles.size() % 3, 0u);
        double area = 0;
        for (std::size_t i = 0; i < mesh.triangles.size(); i += 3) {
            const double twice = TwiceArea({mesh.triangles[i], mesh.triangles[i + 1], mesh.triangles[i + 2]});
            EXPECT_GE(twice, 0) << "triangle " << i / 3 << " is counter-clockwise";
            area += twice / 2;
        }
        EXPECT_NEAR(area, c.area, 1e-9);
        std::vector<double> loops;
        for (const GlyphContour& loop : mesh.boundary) loops.push_back(TwiceArea(loop) / 2);
        std::sort(loops.begin(), loops.end());
        ASSERT_EQ(loops.size(), c.loopAreas.size());
        for (std::size_t i = 0; i < loops.size(); ++i) EXPECT_NEAR(loops[i], c.loopAreas[i], 1e-9);
        EXPECT_FLOAT_EQ(mesh.advance, 0.75f) << "the advance is the caller's";
    }
}
