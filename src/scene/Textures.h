#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <string>

// The fields of a BMP information header that callers use.
struct BitmapInfo {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t colorsUsed = 0;
};

// Pixels of a 24-bit BMP in R, G, B order, bottom row first, rows unpadded,
// or nullptr for anything malformed. info->imageSize then holds the size of
// the returned buffer (width * height * 3).
std::unique_ptr<std::uint8_t[]> ReadRgbBitmap(const std::string& path, BitmapInfo* info);
// The same pixels as R, G, B, A; pure black gets alpha 0, every other pixel 255.
std::unique_ptr<std::uint8_t[]> ReadRgbaBitmap(const std::string& path, BitmapInfo* info);

// Mipmapped RGBA texture from a 24-bit BMP (repeat wrap, linear filtering).
void CreateMipmappedTexture(const std::string& path, GLuint* texture);
// Single-level texture from an 8-, 24- or 32-bit BMP, scaled to a power of two.
void CreateBitmapTexture(const std::string& path, GLuint* texture);

// Target size of one side for CreateBitmapTexture: the smallest power of two
// not below min(maxTextureSize, 512, size); 1 becomes 2.
int TextureTargetSize(int size, int maxTextureSize);
