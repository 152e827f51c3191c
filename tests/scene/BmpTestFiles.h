#pragma once

// Builds small BMP files byte by byte, so tests can make both good images
// and every kind of broken header.

#include <cstdint>
#include <string>
#include <vector>

struct BmpSpec {
    std::int32_t width = 2;
    std::int32_t height = 2;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    // Palette entries actually written (8-bit), each B, G, R, 0.
    std::vector<std::uint32_t> palette;
    // Overrides of derived fields; -1 keeps the honest value.
    std::int64_t imageSizeField = -1;
    std::int64_t offsetField = -1;
};

inline void PutLe(std::string& s, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

inline std::size_t BmpRowBytes(int bits, int width) {
    return ((static_cast<std::size_t>(bits) * width + 31) / 32) * 4;
}

// `pixels` are the stored rows (bottom row first, padded), written as given.
inline std::string MakeBmp(const BmpSpec& spec, const std::string& pixels) {
    std::string paletteBytes;
    for (std::uint32_t bgr : spec.palette) PutLe(paletteBytes, bgr, 4);
    const std::uint32_t offset =
        spec.offsetField >= 0 ? static_cast<std::uint32_t>(spec.offsetField)
                              : static_cast<std::uint32_t>(54 + paletteBytes.size());
    const std::uint32_t imageSize = spec.imageSizeField >= 0
                                        ? static_cast<std::uint32_t>(spec.imageSizeField)
                                        : static_cast<std::uint32_t>(pixels.size());
    std::string f = "BM";
    PutLe(f, static_cast<std::uint32_t>(54 + paletteBytes.size() + pixels.size()), 4);
    PutLe(f, 0, 4);
    PutLe(f, offset, 4);
    PutLe(f, 40, 4);
    PutLe(f, static_cast<std::uint32_t>(spec.width), 4);
    PutLe(f, static_cast<std::uint32_t>(spec.height), 4);
    PutLe(f, 1, 2);
    PutLe(f, spec.bitCount, 2);
    PutLe(f, spec.compression, 4);
    PutLe(f, imageSize, 4);
    PutLe(f, 2835, 4);
    PutLe(f, 2835, 4);
    PutLe(f, spec.colorsUsed, 4);
    PutLe(f, 0, 4);
    return f + paletteBytes + pixels;
}

// A 24-bit image whose pixel (x, y) (y = 0 bottom) has colour colour(x, y) as 0xRRGGBB.
template <class ColourFn>
std::string MakeBmp24(int width, int height, ColourFn colour) {
    std::string rows;
    const std::size_t row = BmpRowBytes(24, width);
    for (int y = 0; y < height; ++y) {
        std::string line;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colour(x, y);
            line.push_back(static_cast<char>(c & 0xff));
            line.push_back(static_cast<char>((c >> 8) & 0xff));
            line.push_back(static_cast<char>((c >> 16) & 0xff));
        }
        line.resize(row, '\0');
        rows += line;
    }
    BmpSpec spec;
    spec.width = width;
    spec.height = height;
    return MakeBmp(spec, rows);
}

// Little-endian field of an already built file.
inline void PatchLe(std::string& file, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

// Offsets of the header fields tests like to break.
namespace bmpfield {
constexpr std::size_t kOffset = 10, kWidth = 18, kHeight = 22, kBitCount = 28,
                      kCompression = 30, kImageSize = 34, kColorsUsed = 46;
}
