#include "E2e.h"

namespace {

// The darkest column and the darkest row of a frame, as their share of
// near-black pixels: a bar at any side shows up as a share near 1.
std::pair<double, double> DarkestLines(const QImage& image) {
    auto black = [](QRgb p) { return qRed(p) + qGreen(p) + qBlue(p) < 24; };
    double column = 0, row = 0;
    for (int x = 0; x < image.width(); ++x) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) n += black(image.pixel(x, y));
        column = std::max(column, double(n) / image.height());
    }
    for (int y = 0; y < image.height(); ++y) {
        int n = 0;
        for (int x = 0; x < image.width(); ++x) n += black(image.pixel(x, y));
        row = std::max(row, double(n) / image.width());
    }
    return {column, row};
}

// 21:9 and portrait 9:16 (the shape decides the tank, not the pixel count):
// the backdrop reaches every edge, with no black column or row (fish and
// text may darken part of a line, never much of it).
TEST_F(EndToEnd, WideAndPortraitWindowsAreFilledEdgeToEdge) {
    for (const auto& [shape, w, h] : {std::tuple("840x360", 840, 360), {"360x640", 360, 640}}) {
        SCOPED_TRACE(shape);
        const QImage shot = LastFrame({"--window", shape, "--seed", "5", "--frames", "20"});
        ASSERT_EQ(shot.size(), QSize(w, h));
        const auto [column, row] = DarkestLines(shot);
        EXPECT_LT(column, 0.2);
        EXPECT_LT(row, 0.2);
    }
}

}  // namespace
