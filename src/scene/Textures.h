#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

// The fields of a BMP information header that callers use.
struct BitmapInfo {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t colorsUsed = 0;
};

// Every reader takes the bytes of a whole BMP file, already in memory: the
// built-in pictures are uploaded straight from the program, never through a file.
using BmpBytes = std::span<const std::uint8_t>;
inline BmpBytes AsBmpBytes(std::string_view bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

// Pixels of a 24-bit BMP in R, G, B order, bottom row first, rows unpadded,
// or nullptr for anything malformed. info->imageSize then holds the size of
// the returned buffer (width * height * 3).
std::unique_ptr<std::uint8_t[]> ReadRgbBitmap(BmpBytes bmp, BitmapInfo* info);
// The same pixels as R, G, B, A; pure black gets alpha 0, every other pixel 255.
std::unique_ptr<std::uint8_t[]> ReadRgbaBitmap(BmpBytes bmp, BitmapInfo* info);

// Mipmapped RGBA texture from a 24-bit BMP (repeat wrap, linear filtering).
void CreateMipmappedTexture(BmpBytes bmp, GLuint* texture);
// Single-level texture from an 8-, 24- or 32-bit BMP, scaled to a power of two.
// Malformed bytes leave the new texture bound without an image.
void CreateBitmapTexture(BmpBytes bmp, GLuint* texture);

// Target size of one side for CreateBitmapTexture: the smallest power of two
// not below min(maxTextureSize, 512, size); 1 becomes 2.
int TextureTargetSize(int size, int maxTextureSize);
