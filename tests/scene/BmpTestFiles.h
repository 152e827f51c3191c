#pragma once

// Small BMP files built byte by byte, good ones and broken ones.

#include <cstdint>
#include <string>
#include <vector>

struct BmpSpec {
    std::int32_t width = 2, height = 2;
    std::uint16_t bitCount = 24;
    std::vector<std::uint32_t> palette;  // entries written, each 0x00RRGGBB; colours used stays 0
};

inline void PutLe(std::string& s, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// `pixels` are the stored rows (bottom row first, padded), written as given.
inline std::string MakeBmp(const BmpSpec& shape, const std::string& pixels) {
    const auto table = static_cast<std::uint32_t>(shape.palette.size() * 4);
    const auto size = static_cast<std::uint32_t>(pixels.size());
    std::string f = "BM";
    // File size, reserved, pixel offset, info header size, width, height, planes and bit count.
    for (std::uint32_t v : {54 + table + size, 0u, 54 + table, 40u, std::uint32_t(shape.width),
                            std::uint32_t(shape.height), 1u | std::uint32_t(shape.bitCount) << 16})
        PutLe(f, v, 4);
    // Compression, image size, resolution, colours used, colours important.
    for (std::uint32_t v : {0u, size, 2835u, 2835u, 0u, 0u}) PutLe(f, v, 4);
    for (std::uint32_t rgb : shape.palette) PutLe(f, rgb, 4);
    return f + pixels;
}

// A 24-bit image whose pixel (x, y) (y = 0 bottom) has colour(x, y) as 0xRRGGBB.
template <class ColourFn>
std::string MakeBmp24(int width, int height, ColourFn colour) {
    std::string rows;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) PutLe(rows, colour(x, y), 3);
        rows.resize((rows.size() + 3) / 4 * 4, '\0');  // rows are padded to 4 bytes
    }
    return MakeBmp({width, height, 24, {}}, rows);
}

// Overwrites a little-endian field of an already built file.
inline std::string PatchLe(std::string file, std::size_t at, std::uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
    return file;
}

namespace bmpfield {
constexpr std::size_t kOffset = 10, kWidth = 18, kHeight = 22, kBitCount = 28, kImageSize = 34;
}
