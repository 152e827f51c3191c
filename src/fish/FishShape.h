#pragma once

// The shape every fish kind shares, and where each part of the body samples
// the 256 x 128 skin image. The mesh is built from these outlines and the
// skin painter paints to the same mapping, so the two always agree.
//
// Model space, size 1: x runs along the body, snout at kSnoutX, tail end at
// kTailEndX; z is up (dorsal); y is lateral. One side is stored, the other is
// drawn mirrored.
//
// Skin image (256 x 128, texture coordinates s to the right, t up, t = 0 on
// the bottom row of the image):
//
//   t 1.00 +--------------------------------------------------+
//          |  side view: s = x + 0.5, t from model z           |
//          |  body inside BodyTopZ/BodyBottomZ, eye at kEye*,  |
//          |  fin membrane everywhere outside the body outline |
//   t 0.25 +--------------------------------------------------+
//          |  paired-fin swatch: s = chord, t = span (root up) |
//   t 0.00 +--------------------------------------------------+

#include <algorithm>
#include <cmath>

namespace fishshape {

constexpr int kSkinWidth = 256;
constexpr int kSkinHeight = 128;

constexpr float kSnoutX = -0.49f;
constexpr float kBodyEndX = 0.30f;  // caudal peduncle: the tail fin starts here
constexpr float kTailEndX = 0.50f;

// Range of model z mapped onto the side-view band of the skin.
constexpr float kSideViewZMin = -0.30f;
constexpr float kSideViewZMax = 0.30f;
constexpr float kSideViewTMin = 0.25f;  // bottom of the side-view band
constexpr float kFinSwatchTMax = 0.25f; // top of the paired-fin swatch

// Eye and gill-cover edge, in model x / z.
constexpr float kEyeX = -0.395f;
constexpr float kEyeZ = 0.022f;
constexpr float kEyeRadius = 0.022f;
constexpr float kGillX = -0.30f;

// Position along the body, 0 at the snout, 1 at the caudal peduncle.
inline float BodyU(float x) {
    return std::clamp((x - kSnoutX) / (kBodyEndX - kSnoutX), 0.0f, 1.0f);
}

// Half the body depth (model z) at x: a rounded head, the deepest point a
// third of the way back, a slim peduncle before the tail.
inline float BodyHalfDepth(float x) {
    const float u = BodyU(x);
    const float head = std::sqrt(std::min(u / 0.10f, 1.0f));
    // sin(pi) rounds just below zero in float; keep pow's argument non-negative.
    const float belly =
        std::pow(std::max(0.0f, std::sin(3.14159265f * std::pow(u, 0.72f))), 0.85f);
    const float peduncle = 0.020f * std::pow(u, 2.0f);
    return head * (0.098f * belly) + peduncle;
}

// The body's centre line drops a little towards the tail.
inline float BodyCentreZ(float x) { return 0.006f - 0.012f * BodyU(x); }

inline float BodyTopZ(float x) { return BodyCentreZ(x) + BodyHalfDepth(x); }
inline float BodyBottomZ(float x) { return BodyCentreZ(x) - BodyHalfDepth(x); }

// Half the body width (model y): fish are flattened from side to side.
inline float BodyHalfWidth(float x) { return 0.42f * BodyHalfDepth(x); }

// Skin coordinates of a point of the side view (body, median fins, tail, head pieces).
inline float SideViewS(float x) { return std::clamp(x + 0.5f, 0.0f, 1.0f); }
inline float SideViewT(float z) {
    const float f = (z - kSideViewZMin) / (kSideViewZMax - kSideViewZMin);
    return kSideViewTMin + (1.0f - kSideViewTMin) * std::clamp(f, 0.0f, 1.0f);
}

// Skin coordinates on the paired-fin swatch: chord 0 (leading edge) .. 1
// (trailing edge), span 0 (root) .. 1 (tip).
inline float FinSwatchS(float chord) { return 0.02f + 0.96f * std::clamp(chord, 0.0f, 1.0f); }
inline float FinSwatchT(float span) {
    return 0.235f - 0.22f * std::clamp(span, 0.0f, 1.0f);
}

}  // namespace fishshape
