#include <gtest/gtest.h>

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

}  // namespace

TEST(HelpOverlayCounter, HiddenFramesDoNotCountAndF1ShowsTheRest) {
    HelpFrameCounter = 0;
    bool visible = true;  // as at start-up
    EXPECT_EQ(ShownFrames(visible, 40), 40);
    visible = false;  // F1 at frame 40 hides it; hidden frames are not counted
    EXPECT_EQ(ShownFrames(visible, 25), 0);
    visible = true;  // F1 again: the remaining 60
    EXPECT_EQ(ShownFrames(visible), 60);
    visible = true;  // F1 after the timeout: exactly 100 more
    EXPECT_EQ(ShownFrames(visible), 100);
    HelpFrameCounter = 0;
}

TEST(GlyphTessellation, FillsTheRingAroundAHole) {
    // Outer square 3 x 3 counter-clockwise, inner 1 x 1 clockwise, as fonts wind them.
    GlyphContour outer = {{0, 0}, {3, 0}, {3, 3}, {0, 3}}, hole = {{1, 1}, {1, 2}, {2, 2}, {2, 1}};
    GlyphTessellator tessellator;
    GlyphMesh mesh;
    ASSERT_TRUE(tessellator.Tessellate({outer, hole}, mesh));
    double area = 0;
    for (std::size_t i = 0; i < mesh.triangles.size(); i += 3) {
        const GlyphPoint &a = mesh.triangles[i], &b = mesh.triangles[i + 1], &c = mesh.triangles[i + 2];
        area += 0.5 * ((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y));
    }
    EXPECT_NEAR(area, 8.0, 1e-9) << "the hole stays empty";
    EXPECT_EQ(mesh.boundary.size(), 2u);
}
