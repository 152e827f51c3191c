#include "scene/TankBounds.h"

#include <cmath>
#include <cstdlib>

namespace {

struct KnownScreen {
    int width, height;
    float halfWidth;
};

// Screens the tank was laid out for; others borrow the nearest shape.
constexpr KnownScreen kScreens[] = {
    {800, 600, 29},   {1024, 768, 29}, {1280, 960, 29}, {1280, 1024, 29},
    {1440, 900, 35},  {1600, 900, 38}, {1680, 1050, 34},
};

constexpr float kWidening = 20.0f;

}  // namespace

TankBounds TankBoundsForScreen(int width, int height) {
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    const KnownScreen* best = nullptr;
    for (const auto& s : kScreens)
        if (s.width == width && s.height == height) best = &s;
    if (!best) {
        // Nearest aspect ratio (compared as a ratio, so 2:1 and 1:2 are equally far
        // from square); ties go to the nearest pixel count.
        const double aspect = std::log(static_cast<double>(width) / height);
        const double area = static_cast<double>(width) * height;
        double bestAspect = 0, bestArea = 0;
        for (const auto& s : kScreens) {
            const double d = std::abs(std::log(static_cast<double>(s.width) / s.height) - aspect);
            const double a = std::abs(std::log(static_cast<double>(s.width) * s.height / area));
            if (!best || d < bestAspect - 1e-9 || (std::abs(d - bestAspect) <= 1e-9 && a < bestArea)) {
                best = &s;
                bestAspect = d;
                bestArea = a;
            }
        }
    }
    TankBounds b;
    b.xMin = -best->halfWidth - kWidening;
    b.xMax = best->halfWidth + kWidening;
    b.yMax = 21;
    b.yMin = -21;
    b.zBack = -50;
    return b;
}

Frustum FrameFrustum(int width, int height) {
    constexpr double h = 0.4;
    const double w = width < 1 ? 1 : width;
    const double ht = height < 1 ? 1 : height;
    if (w > ht) return {-h * w / ht, h * w / ht, -h, h};
    return {-h, h, -h * ht / w, h * ht / w};
}
