#include "Assets.h"

namespace assetgen {

// A thin bright rim (light bends most at the edge of a sphere), a faint body,
// a sharp highlight up-left and a softer reflection low-right. The surround
// is black so additive drawing leaves the water untouched.
Canvas PaintBubble(int size) {
    Canvas c(size, size);
    const float centre = size * 0.5f;
    const float radius = size * 0.44f;
    const int sub = 4;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Color sum;
            for (int sy = 0; sy < sub; ++sy) {
                for (int sx = 0; sx < sub; ++sx) {
                    const float px = x + (sx + 0.5f) / sub - centre;
                    const float py = y + (sy + 0.5f) / sub - centre;
                    const float r = std::sqrt(px * px + py * py) / radius;
                    if (r > 1.0f) continue;
                    const float rim = std::pow(r, 6.0f) * 0.85f;
                    const float body = 0.10f + 0.08f * r;
                    // Highlight up and to the left (y grows upwards).
                    const float hx = px / radius + 0.38f, hy = py / radius - 0.40f;
                    const float spot = std::exp(-(hx * hx + hy * hy) / 0.018f);
                    const float lx = px / radius - 0.42f, ly = py / radius + 0.45f;
                    const float glint = 0.35f * std::exp(-(lx * lx * 0.6f + ly * ly * 2.5f) / 0.02f);
                    const float edgeFade = Smooth(1.0f, 0.93f, r);
                    const float v = (rim + body) * edgeFade;
                    sum = sum + Color{0.62f * v, 0.86f * v, 1.0f * v} +
                          Color{1, 1, 1} * (spot * 0.95f + glint);
                }
            }
            c.At(x, y) = sum * (1.0f / (sub * sub));
        }
    }
    return c;
}

}  // namespace assetgen
