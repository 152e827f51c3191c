#pragma once

// Small painting kit for the generated artwork: a float RGB canvas, value
// noise and the smooth-edge helpers that keep every shape anti-aliased.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

constexpr float kPi = 3.14159265358979f;

struct Color {
    float r = 0, g = 0, b = 0;
};

inline Color Rgb(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }
inline Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Color operator*(Color a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Color operator*(Color a, Color b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Color Mix(Color a, Color b, float t) { return a * (1.0f - t) + b * t; }

inline float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
inline float Smooth(float edge0, float edge1, float x) {
    const float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}
inline float Fract(float v) { return v - std::floor(v); }

// Rows are stored bottom-up (row 0 is the bottom), as in a BMP and as GL
// samples a texture, so painting code can think with y pointing up.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height), pixels_(width * height) {}
    int Width() const { return width_; }
    int Height() const { return height_; }
    Color& At(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    const Color& At(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y) * width_ + x];
    }
    // Lays `c` over the pixel with coverage `alpha`.
    void Blend(int x, int y, Color c, float alpha) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0.0f) return;
        Color& p = At(x, y);
        p = Mix(p, c, Clamp01(alpha));
    }

private:
    int width_, height_;
    std::vector<Color> pixels_;
};

// Deterministic lattice hash in [0, 1).
inline float Hash(int x, int y, int seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8da6b343u ^
                      static_cast<std::uint32_t>(y) * 0xd8163841u ^
                      static_cast<std::uint32_t>(seed) * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h & 0xffffffu) / 16777216.0f;
}

inline float ValueNoise(float x, float y, int seed) {
    const int xi = static_cast<int>(std::floor(x));
    const int yi = static_cast<int>(std::floor(y));
    const float fx = x - xi, fy = y - yi;
    const float u = fx * fx * (3 - 2 * fx), v = fy * fy * (3 - 2 * fy);
    const float a = Hash(xi, yi, seed), b = Hash(xi + 1, yi, seed);
    const float c = Hash(xi, yi + 1, seed), d = Hash(xi + 1, yi + 1, seed);
    return (a + (b - a) * u) * (1 - v) + (c + (d - c) * u) * v;
}

// Fractal sum of octaves, roughly in [0, 1).
inline float Fbm(float x, float y, int seed, int octaves = 4) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * ValueNoise(x, y, seed + o * 101);
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

// Deterministic pseudo-random numbers for placing things.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state_(seed * 2654435761u + 1u) {}
    float Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return (state_ & 0xffffffu) / 16777216.0f;
    }
    float Range(float lo, float hi) { return lo + (hi - lo) * Next(); }

private:
    std::uint32_t state_;
};

// Bytes of a 24-bit BMP of the canvas. Pure black is reserved for "see
// through", so unless `allowBlack` every pixel keeps at least one lit channel.
std::vector<std::uint8_t> EncodeBmp24(const Canvas& canvas, bool allowBlack);

// Bytes of a 16-bit PCM WAV.
std::vector<std::uint8_t> EncodeWav16(const std::vector<std::int16_t>& samples, int channels,
                                      int sampleRate);

}  // namespace assetgen
