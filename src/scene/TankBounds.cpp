#include "scene/TankBounds.h"

#include <algorithm>
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
constexpr float kHalfHeight = 21.0f;
constexpr float kFishHalfWidth = 50.0f;
constexpr float kPickColumnStep = 0.990099f;
constexpr int kPickColumnGaps = 100;

// The wall's side edges stand 80 behind the eye and sway up to one unit
// nearer and one unit inwards; the view's half-size is 0.4 on the shorter
// side. An edge this far out (per unit of the width/height ratio, plus the
// sway) stays outside the view however the wall sways.
constexpr float kEdgePerAspect = 31.7f;
constexpr float kEdgeSway = 1.5f;
// Fish swim out to the view's sides at the back of their water, 70 behind
// the eye, as they do on the widest known screen.
constexpr float kFishBackDepth = 70.0f;
constexpr float kViewHalfSize = 0.4f;

}  // namespace

TankBounds TankBoundsForScreen(int width, int height) {
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    const KnownScreen* best = nullptr;
    for (const auto& s : kScreens)
        if (s.width == width && s.height == height) best = &s;
    const bool known = best != nullptr;
    const double aspect = static_cast<double>(width) / height;
    if (!best) {
        // Nearest aspect ratio (compared as a ratio, so 2:1 and 1:2 are equally far
        // from square); ties go to the nearest pixel count.
        const double logAspect = std::log(aspect);
        const double area = static_cast<double>(width) * height;
        double bestAspect = 0, bestArea = 0;
        for (const auto& s : kScreens) {
            const double d =
                std::abs(std::log(static_cast<double>(s.width) / s.height) - logAspect);
            const double a = std::abs(std::log(static_cast<double>(s.width) * s.height / area));
            if (!best || d < bestAspect - 1e-9 ||
                (std::abs(d - bestAspect) <= 1e-9 && a < bestArea)) {
                best = &s;
                bestAspect = d;
                bestArea = a;
            }
        }
    }
    TankBounds b;
    b.xMin = -best->halfWidth - kWidening;
    b.xMax = best->halfWidth + kWidening;
    b.yMax = kHalfHeight;
    b.yMin = -kHalfHeight;
    b.zBack = -50;
    if (known) return b;

    // Wider than the borrowed shape covers: the wall, and with it the fish
    // and the feed columns, reach the view's sides.
    const float wideEdge = std::ceil(kEdgePerAspect * static_cast<float>(aspect) + kEdgeSway);
    if (wideEdge > b.xMax) {
        b.xMax = wideEdge;
        b.xMin = -wideEdge;
        b.fishXMax =
            std::max(kFishHalfWidth, kViewHalfSize * static_cast<float>(aspect) * kFishBackDepth);
        b.pickColumnStep = (b.xMax - b.xMin) / kPickColumnGaps;
    }
    // Portrait: the view is taller than wide by 1/aspect, and so are the wall
    // and the water the fish swim in.
    if (aspect < 1.0) {
        b.wallHeightScale = static_cast<float>(1.0 / aspect);
        b.yMax = kHalfHeight * b.wallHeightScale;
        b.yMin = -b.yMax;
    }
    return b;
}

Frustum FrameFrustum(int width, int height) {
    constexpr double h = 0.4;
    const double w = width < 1 ? 1 : width;
    const double ht = height < 1 ? 1 : height;
    if (w > ht) return {-h * w / ht, h * w / ht, -h, h};
    return {-h, h, -h * ht / w, h * ht / w};
}

CoverCrop CoverCropFor(double pictureAspect, double areaAspect) {
    if (!(pictureAspect > 0) || !(areaAspect > 0)) return {};
    if (pictureAspect > areaAspect) return {areaAspect / pictureAspect, 1};
    return {1, pictureAspect / areaAspect};
}
