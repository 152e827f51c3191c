#include "Assets.h"

namespace assetgen {
namespace {

// Colours of the water, from the bright surface down to the hazy depth.
const Color kSurface = Rgb(92, 196, 214);
const Color kMidWater = Rgb(24, 112, 150);
const Color kDeep = Rgb(10, 52, 86);
const Color kSand = Rgb(208, 186, 138);
const Color kSandShade = Rgb(150, 128, 92);

struct Scene {
    int w, h;
    float floorBase;  // rows below the sand horizon are floor
};

float FloorLine(const Scene& s, float x) {
    return s.floorBase + 18.0f * (Fbm(x / 260.0f, 3.1f, 40, 3) - 0.5f) * 2.0f +
           6.0f * std::sin(x / 140.0f);
}

// Water: vertical depth gradient, a wobble of large soft clouds, and
// light shafts that slant down from the surface and fade with depth.
Color Water(const Scene& s, float x, float y) {
    const float depth = 1.0f - y / s.h;  // 0 at the surface
    Color c = depth < 0.45f ? Mix(kSurface, kMidWater, Smooth(0.0f, 0.45f, depth))
                            : Mix(kMidWater, kDeep, Smooth(0.45f, 1.0f, depth));
    c = c * (0.92f + 0.16f * Fbm(x / 180.0f, y / 120.0f, 5));
    // Shafts: noise across a slanted coordinate, sharpened into bands.
    const float slanted = x + (s.h - y) * 0.35f;
    float shaft = Fbm(slanted / 55.0f, 0.5f, 9, 3);
    shaft = Smooth(0.55f, 0.80f, shaft) * 0.8f + Smooth(0.45f, 0.9f, Fbm(slanted / 23.0f, 7.5f, 13, 2)) * 0.35f;
    shaft *= std::pow(1.0f - depth, 1.6f) * (0.8f + 0.4f * Fbm(x / 60.0f, y / 40.0f, 17, 2));
    c = c + Rgb(170, 230, 230) * (0.30f * shaft);
    // Shimmer right under the surface.
    const float ripple = 1.0f - std::fabs(2.0f * Fbm(x / 30.0f, y / 9.0f, 21, 3) - 1.0f);
    c = c + Rgb(210, 245, 250) * (Smooth(0.08f, 0.0f, depth) * std::pow(ripple, 6.0f) * 0.9f);
    return c;
}

// How much of the water colour lies in front of something `far` (0 near, 1 far).
Color Haze(Color c, const Scene& s, float y, float far) {
    const Color water = Mix(kMidWater, kDeep, Smooth(s.h * 0.9f, 0.0f, y) * 0.6f);
    return Mix(c, water, Clamp01(far));
}

Color Sand(const Scene& s, float x, float y, float horizon) {
    // Perspective: rows near the horizon are far away.
    const float nearness = Clamp01(1.0f - y / horizon);  // 1 at the bottom edge
    const float scale = 0.25f + 0.75f * nearness;
    const float warp = 10.0f * Fbm(x / 90.0f, y / 30.0f, 31, 3);
    const float ripples = std::sin((y / scale) * 0.55f + warp + x * 0.015f);
    Color c = Mix(kSandShade, kSand, 0.55f + 0.25f * ripples);
    c = c * (0.88f + 0.22f * Fbm(x / 3.0f, y / 3.0f, 37, 2));  // grain
    // Caustic net: bright where the noise crosses the middle.
    const float n = Fbm(x / (40.0f * scale), y / (18.0f * scale), 41, 3);
    const float caustic = std::pow(1.0f - std::fabs(2.0f * n - 1.0f), 8.0f);
    c = c + Rgb(255, 250, 210) * (0.35f * caustic * nearness);
    return Haze(c, s, y, std::pow(1.0f - nearness, 1.5f) * 0.75f);
}

// Distant ridges of rock, a silhouette just darker than the water.
float RidgeTop(float x, int seed, float base, float height) {
    return base + height * Fbm(x / 160.0f, 0.3f, seed, 4);
}

struct Rock {
    float cx, cy, rx, ry;
    int seed;
    Color tint;
};

struct Plant {
    float x, base, height, width, bend, phase;
    Color tint;
    int blades;
};

// Paints a blade that sways: a tapered ribbon around a curving centre line.
void PaintBlade(Canvas& c, const Scene& s, const Plant& p, float offset, float lean, float haze) {
    const int y0 = static_cast<int>(p.base) - 2;
    const int y1 = static_cast<int>(p.base + p.height);
    for (int y = std::max(0, y0); y < std::min(s.h, y1); ++y) {
        const float f = Clamp01((y - p.base) / p.height);
        const float cx = p.x + offset + lean * f * p.height * 0.35f +
                         p.bend * std::sin(f * 3.2f + p.phase) * f;
        const float half = p.width * (0.35f + 0.9f * std::sin(kPi * std::min(1.0f, f * 1.1f + 0.05f))) *
                           (1.0f - 0.85f * f);
        for (int x = static_cast<int>(cx - half - 2); x <= static_cast<int>(cx + half + 2); ++x) {
            if (x < 0 || x >= s.w) continue;
            const float d = std::fabs(x + 0.5f - cx);
            const float cover = Clamp01(half - d + 0.5f);
            if (cover <= 0) continue;
            const float across = d / std::max(half, 0.5f);
            Color col = Mix(p.tint * 0.55f, p.tint, Smooth(0.0f, 0.6f, f));  // dark at the root
            col = col * (1.0f - 0.25f * across) * (1.0f - 0.3f * Smooth(0.2f, 0.0f, across)) +
                  Rgb(180, 230, 120) * (0.12f * Smooth(0.9f, 0.3f, across) * f);
            col = col * (0.9f + 0.2f * ValueNoise(x / 4.0f, y / 9.0f, 57));
            c.Blend(x, y, Haze(col, s, static_cast<float>(y), haze), cover);
        }
    }
}

}  // namespace

Canvas PaintBackground(int width, int height) {
    Canvas c(width, height);
    Scene s{width, height, height * 0.30f};

    // Water and the far ridges, with the sand floor in front.
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float fx = x + 0.5f, fy = y + 0.5f;
            Color col = Water(s, fx, fy);
            const float ridgeFar = RidgeTop(fx, 61, s.floorBase + 10, height * 0.30f);
            col = Mix(col, Haze(Rgb(40, 90, 110), s, fy, 0.72f), Clamp01(ridgeFar - fy + 0.5f));
            const float ridgeNear = RidgeTop(fx + 400, 67, s.floorBase - 4, height * 0.20f);
            const float rockShade = 0.8f + 0.3f * Fbm(fx / 25.0f, fy / 25.0f, 71, 3);
            col = Mix(col, Haze(Rgb(52, 88, 92) * rockShade, s, fy, 0.5f),
                      Clamp01(ridgeNear - fy + 0.5f));
            const float horizon = FloorLine(s, fx);
            if (fy < horizon + 1.0f) col = Mix(col, Sand(s, fx, fy, horizon), Clamp01(horizon - fy + 0.5f));
            c.At(x, y) = col;
        }
    }

    Rng rng(1234);
    // A far-off school: small dark shapes half lost in the haze.
    Rng school(77);
    for (int i = 0; i < 16; ++i) {
        const float fx = (i < 9 ? 640.0f : 230.0f) + school.Range(-90, 90);
        const float fy = (i < 9 ? 330.0f : 270.0f) + school.Range(-35, 35);
        const float len = school.Range(10, 16), dir = i < 9 ? -1.0f : 1.0f;
        for (int y = static_cast<int>(fy - len); y < fy + len; ++y) {
            for (int x = static_cast<int>(fx - len * 1.5f); x < fx + len * 1.5f; ++x) {
                if (x < 0 || x >= width || y < 0 || y >= height) continue;
                const float u = (x + 0.5f - fx) * dir / len, v = (y + 0.5f - fy) / len;
                const float body = std::sqrt(u * u + (v * v) / 0.12f);
                float cover = Clamp01((1.0f - body) * len * 0.5f);
                // Tail: a small triangle behind the body.
                const float tu = u - 1.0f;
                if (tu > -0.1f && tu < 0.45f) cover = std::max(cover, Clamp01((tu * 0.7f - std::fabs(v)) * len));
                c.Blend(x, y, Haze(Rgb(30, 60, 80), s, y + 0.5f, 0.55f), cover * 0.8f);
            }
        }
    }

    // Plants in the back row, hazier.
    std::vector<Plant> backPlants;
    for (int i = 0; i < 18; ++i) {
        const float x = rng.Range(0, static_cast<float>(width));
        backPlants.push_back({x, FloorLine(s, x) - 2, rng.Range(60, 150), rng.Range(3, 6),
                              rng.Range(6, 20), rng.Range(0, 6.28f),
                              Mix(Rgb(60, 130, 70), Rgb(90, 140, 50), rng.Next()), 3});
    }
    for (const Plant& p : backPlants)
        for (int b = 0; b < p.blades; ++b)
            PaintBlade(c, s, p, (b - 1) * p.width * 1.5f, (b - 1) * 0.25f, 0.45f);

    // Pebbles scattered over the near sand.
    for (int i = 0; i < 90; ++i) {
        const float px = rng.Range(0, static_cast<float>(width));
        const float py = rng.Range(4, FloorLine(s, px) - 25);
        const float nearness = 1.0f - py / s.floorBase;
        const float rx = rng.Range(3, 8) * (0.5f + nearness), ry = rx * rng.Range(0.45f, 0.7f);
        const Color tint = Mix(Rgb(170, 150, 120), Rgb(120, 116, 112), rng.Next());
        for (int y = static_cast<int>(py - ry - 3); y < py + ry + 3; ++y) {
            for (int x = static_cast<int>(px - rx - 3); x < px + rx + 3; ++x) {
                const float dx = (x + 0.5f - px) / rx, dy = (y + 0.5f - py) / ry;
                const float d = std::sqrt(dx * dx + dy * dy);
                // A soft shadow below, then the stone lit from above.
                const float sdy = (y + 0.5f - (py - ry * 0.4f)) / ry;
                c.Blend(x, y, Rgb(90, 80, 60), 0.35f * Clamp01(1.2f - std::sqrt(dx * dx * 0.8f + sdy * sdy)));
                const float cover = Clamp01((1.0f - d) * ry);
                if (cover <= 0) continue;
                const Color col = tint * (0.65f + 0.45f * Clamp01(dy * 0.6f + 0.5f)) + Rgb(255, 255, 240) * (0.25f * Smooth(0.5f, 0.0f, std::hypot(dx + 0.3f, dy - 0.45f)));
                c.Blend(x, y, col, cover);
            }
        }
    }

    // Rocks resting on the sand.
    const Rock rocks[] = {
        {150, 0, 120, 70, 3, Rgb(150, 134, 112)},  {300, 0, 60, 40, 5, Rgb(128, 126, 120)},
        {640, 0, 150, 95, 7, Rgb(156, 138, 116)},  {820, 0, 70, 45, 9, Rgb(136, 124, 110)},
        {960, 0, 110, 60, 11, Rgb(142, 132, 120)}, {470, 0, 45, 28, 13, Rgb(160, 146, 122)},
    };
    for (Rock r : rocks) {
        r.cy = FloorLine(s, r.cx) - r.ry * 0.45f;
        for (int y = static_cast<int>(r.cy - r.ry - 4); y < r.cy + r.ry * 1.4f + 4; ++y) {
            for (int x = static_cast<int>(r.cx - r.rx * 1.3f); x < r.cx + r.rx * 1.3f; ++x) {
                if (x < 0 || x >= width || y < 0 || y >= height) continue;
                const float dx = (x + 0.5f - r.cx) / r.rx, dy = (y + 0.5f - r.cy) / r.ry;
                const float angle = std::atan2(dy, dx);
                const float edge = 0.85f + 0.25f * Fbm(std::cos(angle) * 2 + r.seed, std::sin(angle) * 2, r.seed, 3);
                const float d = std::sqrt(dx * dx + dy * dy);
                const float cover = Clamp01((edge - d) * r.rx * 0.9f);
                if (cover <= 0) continue;
                // Lit from above, darker below, with a crust of weed on top.
                const float light = 0.68f + 0.6f * Clamp01(dy * 0.7f + 0.45f) - 0.25f * (d / edge) * (d / edge);
                // Layered stone: faint strata and pitting.
                const float strata = 0.92f + 0.08f * std::sin(y * 0.35f + 4.0f * Fbm(x / 30.0f, y / 30.0f, r.seed + 70, 2));
                Color col = r.tint * light * strata * (0.75f + 0.45f * Fbm(x / 9.0f, y / 9.0f, r.seed + 80, 4));
                const float moss = Smooth(0.25f, 0.7f, dy) * Smooth(0.35f, 0.65f, Fbm(x / 14.0f, y / 10.0f, r.seed + 90, 3));
                col = Mix(col, Rgb(70, 120, 55) * (0.7f + 0.5f * light), moss * 0.8f);
                // Contact shadow on the sand at the foot of the rock.
                c.Blend(x, y, Haze(col, s, y + 0.5f, 0.08f), cover);
            }
        }
    }

    // Tall seaweed in front.
    for (int i = 0; i < 14; ++i) {
        const float x = rng.Range(0, static_cast<float>(width));
        Plant p{x, FloorLine(s, x) - rng.Range(20, 60), rng.Range(150, 330), rng.Range(5, 10),
                rng.Range(15, 40), rng.Range(0, 6.28f),
                i % 7 == 3 ? Mix(Rgb(170, 60, 50), Rgb(190, 90, 60), rng.Next())  // a few red stems
                           : Mix(Rgb(50, 150, 60), Rgb(120, 160, 40), rng.Next()),
                i % 3 == 0 ? 2 : 3};
        for (int b = 0; b < p.blades; ++b)
            PaintBlade(c, s, p, (b - 1) * p.width * 1.2f, (b - 1) * 0.3f, 0.08f);
    }

    // Nothing may end up pure black: that colour is see-through.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Color& p = c.At(x, y);
            p = {std::max(p.r, 0.02f), std::max(p.g, 0.02f), std::max(p.b, 0.03f)};
        }
    return c;
}

}  // namespace assetgen
