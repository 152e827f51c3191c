#include "Assets.h"
#include "fish/FishShape.h"

namespace assetgen {
namespace {

using namespace fishshape;

// Height of a median fin above (or below) the body at x, 0 outside its run.
// The runs and heights follow the fins of the swimming model.
float DorsalHeight(float x) {
    const float v = (x + 0.20f) / 0.40f;
    if (v < 0 || v > 1) return 0;
    return 0.02f + 0.10f * std::pow(std::sin(kPi * (0.08f + 0.84f * v)), 0.8f) * (1 - 0.3f * v);
}

float AnalHeight(float x) {
    const float v = (x + 0.02f) / 0.24f;
    if (v < 0 || v > 1) return 0;
    return 0.015f + 0.075f * std::pow(std::sin(kPi * (0.1f + 0.8f * v)), 0.8f) * (1 - 0.3f * v);
}

// Whether model point (x, z) lies on the fish's side view: body, median fins or tail.
bool OnFish(float x, float z) {
    if (x < kSnoutX || x > kTailEndX) return false;
    const float top = BodyTopZ(x), bottom = BodyBottomZ(x);
    if (x <= kBodyEndX && z <= top && z >= bottom) return true;
    // The fins lean back: sample their outline a little ahead.
    if (z > top && z - top < DorsalHeight(x - 0.35f * (z - top))) return x <= kBodyEndX;
    if (z < bottom && bottom - z < AnalHeight(x - 0.35f * (bottom - z))) return x <= kBodyEndX;
    // Forked tail: from the peduncle out to a trailing edge notched at the centre.
    const float rootX = kBodyEndX - 0.035f;
    if (x < rootX) return false;
    const float cz = BodyCentreZ(kBodyEndX);
    const float s = std::clamp((z - cz) / 0.175f, -1.0f, 1.0f);
    const float halfSpan = BodyHalfDepth(rootX) + (x - rootX) * 0.9f;
    if (std::fabs(z - cz) > std::min(halfSpan, 0.175f)) return false;
    const float edgeX = 0.405f + (kTailEndX - 0.405f) * std::pow(std::fabs(s), 1.4f);
    return x <= edgeX;
}

Color Sample(const Canvas& skin, float s, float t) {
    const int px = std::clamp(static_cast<int>(s * skin.Width()), 0, skin.Width() - 1);
    const int py = std::clamp(static_cast<int>(t * skin.Height()), 0, skin.Height() - 1);
    return skin.At(px, py);
}

}  // namespace

Canvas PaintFishStrip(int width, int height, int cellWidth) {
    Canvas strip(width, height);
    // Pixels per unit of the 100-pixel cell, so a larger strip is the same picture.
    const float u = cellWidth / 100.0f;
    // A pale sandy wash, lighter towards the top.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float t = static_cast<float>(y) / (height - 1);
            const float grain = 0.02f * (Fbm(x * 0.08f / u, y * 0.08f / u, 129, 2) - 0.5f);
            strip.At(x, y) =
                Mix(Rgb(226, 232, 236), Rgb(246, 248, 250), t) + Color{grain, grain, grain};
        }

    // Model units to pixels; the snout faces left as the fish swim in.
    const float scale = 0.92f * cellWidth;
    constexpr int kSuper = 3;  // samples per pixel side
    for (int kind = 0; kind < 5; ++kind) {
        const Canvas skin = PaintFishSkin(kind, kSkinWidth, kSkinHeight);
        const float centreX = cellWidth * kind + cellWidth * 0.5f + 2.0f * u;
        const float centreY = height * 0.45f;  // rows count up from the bottom
        for (int y = 0; y < height; ++y)
            for (int x = cellWidth * kind; x < std::min(width, cellWidth * (kind + 1)); ++x) {
                Color sum;
                int hits = 0;
                for (int sy = 0; sy < kSuper; ++sy)
                    for (int sx = 0; sx < kSuper; ++sx) {
                        const float mx = (x + (sx + 0.5f) / kSuper - centreX) / scale;
                        const float mz = (y + (sy + 0.5f) / kSuper - centreY) / scale;
                        if (!OnFish(mx, mz)) continue;
                        sum = sum + Sample(skin, SideViewS(mx), SideViewT(mz));
                        ++hits;
                    }
                if (hits > 0) {
                    const float cover = static_cast<float>(hits) / (kSuper * kSuper);
                    strip.Blend(x, y, sum * (1.0f / hits), cover);
                }
            }
        // A faint shadow on the sand under each fish.
        const int shadowRows = static_cast<int>(6 * u), shadowTop = static_cast<int>(4 * u);
        for (int y = 0; y < shadowRows; ++y)
            for (int x = cellWidth * kind + static_cast<int>(20 * u);
                 x < cellWidth * kind + static_cast<int>(85 * u) && x < width; ++x) {
                const float dx = (x - centreX) / (32.0f * u), dy = (y - 3.0f * u) / (3.0f * u);
                const float d = dx * dx + dy * dy;
                if (d < 1) strip.Blend(x, y + shadowTop, Rgb(150, 160, 170), 0.25f * (1 - d));
            }
    }
    return strip;
}

}  // namespace assetgen
