#include "Assets.h"
#include "fish/FishShape.h"

namespace assetgen {
namespace {

using namespace fishshape;

enum class FinPart { Dorsal, Ventral, Tail, Paired };

// Where a skin texel lands on the fish, worked out from the shared layout.
struct BodyPoint {
    float x, z;  // model coordinates
    float u;     // 0 at the snout, 1 at the peduncle
    float v;     // -1 belly edge, 0 centre line, +1 back edge
};

// Overlapping scales in model units (the skin is stretched more in z than
// in x, so working in texels would squash them): a dark arc along the rear
// edge of each scale and a faint sheen on its front.
float Scales(float x, float z, float size) {
    float sx = x / size;
    const float sz = z / (size * 0.9f);
    const float row = std::floor(sz);
    if (static_cast<int>(row) & 1) sx += 0.5f;
    const float fx = Fract(sx), fz = Fract(sz) - 0.5f;
    const float d = std::sqrt(fx * fx + fz * fz);
    const float rim = std::exp(-std::pow((d - 0.80f) / 0.12f, 2.0f));
    const float sheen = Smooth(0.75f, 0.15f, d);
    return 1.0f - 0.20f * rim + 0.08f * sheen;
}

// A soft stripe of half-width `half` around `centre`, `aa` wide at the edges.
float Band(float value, float centre, float half, float aa = 0.006f) {
    return Smooth(half + aa, half - aa, std::fabs(value - centre));
}

Color Countershade(Color back, Color side, Color belly, float v) {
    return v > 0 ? Mix(side, back, Smooth(0.1f, 1.0f, v)) : Mix(side, belly, Smooth(-0.1f, -0.9f, v));
}

Color BodyColour(int kind, const BodyPoint& p) {
    switch (kind) {
    case 0: {  // clownfish: orange, three white bands edged black
        Color c = Countershade(Rgb(226, 84, 8), Rgb(246, 112, 20), Rgb(252, 150, 60), p.v);
        const float head = -0.300f + 0.018f * (1 - p.v * p.v);
        const float mid = -0.030f - 0.055f * (1.0f - std::fabs(p.v));
        const float tail = 0.262f;
        const float bands[][2] = {{head, 0.026f}, {mid, 0.032f}, {tail, 0.018f}};
        for (const auto& b : bands) {
            c = Mix(c, Rgb(20, 14, 12), Band(p.x, b[0], b[1] + 0.010f));
            c = Mix(c, Rgb(250, 250, 246), Band(p.x, b[0], b[1]));
        }
        return c * Scales(p.x, p.z, 0.030f);
    }
    case 1: {  // neon tetra: olive back, electric blue stripe, red rear belly
        Color c = Countershade(Rgb(70, 74, 52), Rgb(150, 160, 150), Rgb(226, 230, 232), p.v);
        const float red = Smooth(0.40f, 0.52f, p.u) * Smooth(0.05f, -0.15f, p.v) * Smooth(-1.0f, -0.7f, p.v);
        c = Mix(c, Rgb(222, 28, 44), red);
        const float along = Smooth(0.10f, 0.18f, p.u) * Smooth(0.98f, 0.85f, p.u);
        const float stripeCentre = 0.24f + 0.06f * std::sin(p.u * kPi);
        const float stripe = along * Band(p.v, stripeCentre, 0.20f, 0.06f);
        const Color neon = Mix(Rgb(30, 200, 255), Rgb(60, 110, 255), Smooth(0.2f, 0.9f, p.u));
        c = Mix(c, neon, stripe);
        c = c + Rgb(180, 240, 255) * (0.35f * stripe * Band(p.v, stripeCentre + 0.05f, 0.05f, 0.05f));
        return c * Scales(p.x, p.z, 0.024f);
    }
    case 2: {  // angelfish: silver with black vertical bars
        Color c = Countershade(Rgb(196, 196, 170), Rgb(222, 224, 226), Rgb(240, 240, 242), p.v);
        c = Mix(c, Rgb(230, 210, 140), Smooth(0.3f, 1.0f, p.v) * Smooth(0.5f, 0.1f, p.u) * 0.6f);
        const float bars[][2] = {{kEyeX, 0.016f}, {-0.19f, 0.030f}, {0.06f, 0.036f}, {0.265f, 0.014f}};
        for (const auto& b : bars) {
            const float wobble = 0.010f * std::sin(p.v * 2.5f);
            c = Mix(c, Rgb(28, 28, 34), 0.92f * Band(p.x + wobble, b[0], b[1]));
        }
        return c * Scales(p.x, p.z, 0.024f);
    }
    case 3: {  // goldfish: deep gold with big shining scales
        Color c = Countershade(Rgb(228, 104, 10), Rgb(250, 154, 24), Rgb(255, 206, 104), p.v);
        c = c * (0.92f + 0.16f * Fbm(p.x * 30, p.z * 30, 301, 2));
        return c * Scales(p.x, p.z, 0.042f) * 1.05f;
    }
    case 4: {  // regal tang: royal blue, black "palette" loop, yellow tail
        Color c = Countershade(Rgb(16, 56, 170), Rgb(28, 86, 214), Rgb(70, 140, 230), p.v);
        // From the eye the band climbs under the dorsal fin and runs to the
        // tail; a lower branch closes a blue window behind the pectoral.
        const float climb = Smooth(0.08f, 0.35f, p.u);
        const float upper = 0.15f + 0.40f * climb + 0.05f * std::sin(kPi * p.u);
        const float lower = -0.18f + 0.14f * std::sin(kPi * Clamp01((p.u - 0.30f) / 0.70f));
        float black = Smooth(0.06f, 0.11f, p.u) * Band(p.v, upper, 0.12f + 0.12f * climb, 0.06f);
        black = std::max(black, Smooth(0.30f, 0.40f, p.u) * Band(p.v, lower, 0.13f, 0.06f));
        black = std::max(black, Smooth(0.80f, 0.92f, p.u) * Band(p.v, 0.1f, 0.45f, 0.05f));
        c = Mix(c, Rgb(14, 14, 26), black);
        return c * Scales(p.x, p.z, 0.020f);
    }
    default: {  // prey fish: olive back, silver flanks, gilded lateral line
        Color c = Countershade(Rgb(86, 104, 58), Rgb(196, 204, 196), Rgb(236, 238, 234), p.v);
        c = c + Rgb(200, 170, 80) * (0.35f * Band(p.v, 0.18f, 0.06f, 0.05f) * Smooth(0.1f, 0.25f, p.u));
        return c * Scales(p.x, p.z, 0.030f);
    }
    }
}

// Fin membrane: a translucent tint with darker rays, and the species' margin.
// `outward` runs 0 at the fin root to 1 at its outer edge, `ray` is a phase
// across the rays.
Color FinColour(int kind, FinPart part, float outward, float ray, float across) {
    const float rays = std::pow(0.5f + 0.5f * std::cos(ray), 6.0f);
    const float edge = Smooth(0.70f, 0.95f, outward);
    Color c;
    switch (kind) {
    case 0:
        c = Mix(Rgb(250, 120, 24), Rgb(18, 14, 12), Smooth(0.62f, 0.78f, outward));
        c = Mix(c, Rgb(250, 250, 246), Smooth(0.88f, 0.97f, outward));
        if (part == FinPart::Paired) c = Mix(Rgb(250, 130, 30), Rgb(20, 14, 12), Smooth(0.7f, 0.9f, outward));
        return c * (1.0f - 0.15f * rays);
    case 1:
        c = Mix(Rgb(150, 166, 176), Rgb(186, 198, 206), outward);
        if (part == FinPart::Tail) c = Mix(c, Rgb(220, 70, 70), 0.35f * Smooth(0.4f, 0.0f, outward));
        return c * (1.0f - 0.12f * rays);
    case 2:
        c = Mix(Rgb(184, 188, 192), Rgb(214, 218, 222), outward);
        // The bars run on into the long median fins as streaks.
        if (part != FinPart::Tail && part != FinPart::Paired)
            c = Mix(c, Rgb(40, 40, 48), 0.8f * Band(across, 0.06f, 0.035f, 0.01f));
        if (part == FinPart::Tail) c = Mix(c, Rgb(60, 60, 66), 0.5f * rays);
        return c * (1.0f - 0.10f * rays);
    case 3:
        c = Mix(Rgb(246, 128, 20), Rgb(255, 214, 150), Smooth(0.2f, 1.0f, outward));
        return c * (1.0f - 0.22f * rays) + Rgb(255, 230, 160) * (0.15f * edge);
    case 4:
        if (part == FinPart::Tail || part == FinPart::Paired) {
            c = Rgb(255, 212, 16);
            if (part == FinPart::Tail) c = Mix(c, Rgb(14, 14, 26), Smooth(0.40f, 0.48f, std::fabs(across)));
            return c * (1.0f - 0.12f * rays);
        }
        c = Mix(Rgb(30, 80, 200), Rgb(14, 14, 26), Smooth(0.65f, 0.85f, outward));
        return Mix(c, Rgb(90, 170, 240), Smooth(0.9f, 1.0f, outward)) * (1.0f - 0.1f * rays);
    default:
        c = Mix(Rgb(150, 160, 146), Rgb(196, 204, 196), outward);
        return c * (1.0f - 0.12f * rays);
    }
}

Color IrisColour(int kind) {
    switch (kind) {
    case 0: return Rgb(240, 150, 40);
    case 1: return Rgb(120, 190, 230);
    case 2: return Rgb(200, 40, 30);
    case 3: return Rgb(255, 200, 80);
    case 4: return Rgb(90, 110, 140);
    default: return Rgb(210, 210, 200);
    }
}

// Dark pupil, coloured iris, a socket rim and a wet highlight.
Color PaintEye(int kind, Color under, float x, float z, float aa) {
    const float dx = (x - kEyeX) / kEyeRadius, dz = (z - kEyeZ) / kEyeRadius;
    const float r = std::sqrt(dx * dx + dz * dz);
    Color c = Mix(under, under * 0.55f, Smooth(1.35f + aa, 1.0f, r) * 0.8f);
    const Color iris = Mix(IrisColour(kind), IrisColour(kind) * 0.55f, Smooth(0.5f, 1.0f, r));
    c = Mix(c, iris, Smooth(1.0f + aa, 1.0f - aa, r));
    c = Mix(c, Rgb(8, 8, 12), Smooth(0.58f + aa, 0.58f - aa, r));
    const float hx = dx + 0.28f, hz = dz - 0.30f;
    c = Mix(c, Rgb(255, 255, 255), Smooth(0.26f + aa, 0.20f - aa, std::sqrt(hx * hx + hz * hz)));
    return c;
}

}  // namespace

Canvas PaintFishSkin(int kind, int width, int height) {
    Canvas canvas(width, height);
    const float texelX = 1.0f / width;
    const float texelZ = (kSideViewZMax - kSideViewZMin) / ((1.0f - kSideViewTMin) * height);
    // The tail fin's rays fan out from the peduncle.
    const float tailRootX = kBodyEndX - 0.04f, tailRootZ = BodyCentreZ(kBodyEndX);
    const float midX = -0.06f, midZ = BodyCentreZ(midX);

    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            const float s = (px + 0.5f) / width, t = (py + 0.5f) / height;
            Color c;
            if (t < kSideViewTMin) {
                // Paired fins: chord left to right, span down from the root.
                const float chord = (s - 0.02f) / 0.96f;
                const float span = Clamp01((0.235f - t) / 0.22f);
                const float ray = (chord * (1.0f + 0.4f * span)) * 2 * kPi * 9;
                const float outward = std::max(span, Smooth(0.75f, 1.0f, chord) * span);
                c = FinColour(kind, FinPart::Paired, outward, ray, chord);
                canvas.At(px, py) = c;
                continue;
            }
            const float x = s - 0.5f;
            const float z = kSideViewZMin + (t - kSideViewTMin) / (1.0f - kSideViewTMin) *
                                                (kSideViewZMax - kSideViewZMin);
            const float top = BodyTopZ(x), bottom = BodyBottomZ(x), centre = BodyCentreZ(x);

            // Membrane around the body: tail behind the peduncle, dorsal above,
            // ventral below; the two meet in a short blend.
            {
                const float ax = x - tailRootX, az = z - tailRootZ;
                const float angle = std::atan2(az, ax);
                // Trailing edge of the forked tail, from the lobe tips to the fork.
                const float lobe = Clamp01(std::fabs(az) / 0.17f);
                const float edgeX = 0.405f + (kTailEndX - 0.405f) * std::pow(lobe, 1.4f);
                const float tailOut = Clamp01(ax / std::max(edgeX - tailRootX, 0.05f));
                const Color tail = FinColour(kind, FinPart::Tail, tailOut, angle * 38.0f, angle / 1.2f);

                const float mx = x - midX, mz = z - midZ;
                const bool dorsal = z > centre;
                const float rootGap = dorsal ? z - top : bottom - z;
                // The dorsal fin stands about 0.12 tall, the anal fin about 0.09.
                const float finOut = Clamp01(rootGap / (dorsal ? 0.115f : 0.085f));
                const Color median = FinColour(kind, dorsal ? FinPart::Dorsal : FinPart::Ventral, finOut,
                                               std::atan2(mz, mx) * 55.0f, x - midX);
                c = Mix(median, tail, Smooth(kBodyEndX - 0.07f, kBodyEndX - 0.03f, x));
            }

            // Body over the membrane, edged over about one texel.
            const float inside = std::min(top - z, z - bottom) / texelZ;
            float cover = Clamp01(inside + 0.5f);
            cover *= Clamp01((kBodyEndX - x) / texelX + 0.5f);
            cover *= Clamp01((x - kSnoutX) / texelX + 0.5f);
            if (cover > 0.0f) {
                const float half = std::max(BodyHalfDepth(x), 1e-4f);
                BodyPoint p{x, z, BodyU(x), std::clamp((z - centre) / half, -1.0f, 1.0f)};
                Color body = BodyColour(kind, p);
                // Rounded flank: darker towards the outline.
                body = body * (0.78f + 0.22f * std::sqrt(std::max(0.0f, 1.0f - p.v * p.v)));
                // Gill cover: a dark line with a lit edge behind it.
                const float gillX = kGillX + 0.022f * (1.0f - p.v * p.v);
                const float gillLine = std::exp(-std::pow((x - gillX) / 0.0045f, 2.0f)) * Smooth(0.95f, 0.75f, std::fabs(p.v));
                const float gillLit = std::exp(-std::pow((x - gillX - 0.008f) / 0.005f, 2.0f)) * Smooth(0.95f, 0.75f, std::fabs(p.v));
                body = body * (1.0f - 0.45f * gillLine) + Color{1, 1, 1} * (0.08f * gillLit);
                // Mouth: a short dark cleft at the snout.
                body = Mix(body, body * 0.4f, Smooth(0.02f, 0.0f, x - kSnoutX) * Band(p.v, -0.05f, 0.12f, 0.1f));
                body = PaintEye(kind, body, x, z, 0.35f);
                c = Mix(c, body, cover);
            }
            canvas.At(px, py) = c;
        }
    }
    return canvas;
}

}  // namespace assetgen
