#pragma once

// Small picture files that claim, or really hold, far more pixels than their
// size suggests; written byte by byte so each costs only kilobytes to make.

#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>

namespace bomb {

inline void PutBe(std::string& s, std::uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
inline void PutLe(std::string& s, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

inline void PngChunk(std::string& out, const char* type, const std::string& data) {
    PutBe(out, static_cast<std::uint32_t>(data.size()), 4);
    const std::string body = std::string(type, 4) + data;
    out += body;
    PutBe(out,
          static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                           static_cast<uInt>(body.size()))),
          4);
}

// A PNG of one colour all over. Colour types: 0 grey, 2 RGB, 3 palette, 4
// grey + alpha, 6 RGBA. `pixel` holds the bytes of one pixel (one whole byte
// of packed pixels below 8 bits); each later pixel is stored as no change from
// its left neighbour. `palette` is PLTE's body, 3 bytes a colour.
struct PngShape {
    std::uint32_t width, height;
    int depth, colourType;
    std::string pixel, palette;
    bool interlaced;
};
inline PngShape Png(std::uint32_t width, std::uint32_t height, int depth = 8, int colourType = 2,
                   std::string pixel = std::string(3, '\0'), std::string palette = {},
                   bool interlaced = false) {
    return {width, height, depth, colourType, std::move(pixel), std::move(palette), interlaced};
}
inline std::string MakePng(const PngShape& shape) {
    static const int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    const std::uint64_t bits = std::uint64_t(kChannels[shape.colourType]) * shape.depth;
    std::string out("\x89PNG\r\n\x1a\n", 8), header;
    PutBe(header, shape.width, 4);
    PutBe(header, shape.height, 4);
    header += {static_cast<char>(shape.depth), static_cast<char>(shape.colourType), 0, 0,
               static_cast<char>(shape.interlaced)};
    PngChunk(out, "IHDR", header);
    if (!shape.palette.empty()) PngChunk(out, "PLTE", shape.palette);

    z_stream z{};
    deflateInit(&z, 6);
    std::string idat, row;
    char buffer[1 << 16];
    const auto feed = [&](const std::string& bytes, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        z.avail_in = static_cast<uInt>(bytes.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            deflate(&z, flush);
            idat.append(buffer, sizeof buffer - z.avail_out);
        } while (z.avail_out == 0);
    };
    // Adam7: first row, first column, row step, column step of each pass.
    static const int kPasses[7][4] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                      {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};
    const int passes = shape.interlaced ? 7 : 1;
    for (int p = 0; p < passes; ++p) {
        const int* a = shape.interlaced ? kPasses[p] : nullptr;
        const std::uint64_t w = a ? (shape.width + a[3] - 1 - a[1]) / a[3] : shape.width;
        const std::uint64_t h = a ? (shape.height + a[2] - 1 - a[0]) / a[2] : shape.height;
        if (w == 0 || h == 0) continue;
        row.assign(1 + (w * bits + 7) / 8, '\0');
        row[0] = 1;  // "Sub": each byte is the difference from the pixel to its left
        row.replace(1, shape.pixel.size(), shape.pixel);
        for (std::uint64_t y = 0; y < h; ++y)
            feed(row, Z_NO_FLUSH);
    }
    feed({}, Z_FINISH);
    deflateEnd(&z);
    PngChunk(out, "IDAT", idat);
    PngChunk(out, "IEND", {});
    return out;
}

// A JPEG whose header claims `width` x `height` with one, three or four
// components (four: CMYK), sequential or progressive, followed by a few
// bytes of scan data that decode to mid grey; libjpeg makes up the rest.
inline std::string MakeJpegHeader(int width, int height, int components, bool progressive) {
    std::string out("\xff\xd8", 2);
    const auto segment = [&out](int marker, const std::string& body) {
        out += {'\xff', static_cast<char>(marker)};
        PutBe(out, static_cast<std::uint32_t>(body.size() + 2), 2);
        out += body;
    };
    segment(0xdb, std::string(1, '\0') + std::string(64, '\1'));  // one table of ones
    std::string frame(1, '\x08');
    PutBe(frame, static_cast<std::uint32_t>(height), 2);
    PutBe(frame, static_cast<std::uint32_t>(width), 2);
    frame.push_back(static_cast<char>(components));
    for (int c = 1; c <= components; ++c)
        frame += {static_cast<char>(c), '\x11', '\0'};
    segment(progressive ? 0xc2 : 0xc0, frame);
    // One code, "0", for "no change": DC differences and the end of every block.
    std::string table(1, '\0');
    table += std::string(1, '\1') + std::string(15, '\0') + std::string(1, '\0');
    segment(0xc4, table);
    table[0] = '\x10';
    segment(0xc4, table);
    std::string scan(1, static_cast<char>(components));
    for (int c = 1; c <= components; ++c)
        scan += {static_cast<char>(c), '\0'};
    scan += progressive ? std::string("\0\0\0", 3) : std::string("\0\x3f\0", 3);
    segment(0xda, scan);
    out += std::string(64, '\0');
    return out + "\xff\xd9";
}

// A 1-bit BMP, every pixel palette entry `index` of {colour0, colour1} (0xRRGGBB).
inline std::string MakeBmp1(int width, int height, std::uint32_t colour0, std::uint32_t colour1,
                            int index) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) + 31) / 32 * 4;
    const std::uint32_t size = stride * static_cast<std::uint32_t>(height);
    std::string f = "BM";
    for (std::uint32_t v : {62 + size, 0u, 62u, 40u, std::uint32_t(width), std::uint32_t(height),
                            1u | 1u << 16, 0u, size, 2835u, 2835u, 2u, 0u, colour0, colour1})
        PutLe(f, v, 4);
    return f + std::string(size, index ? '\xff' : '\0');
}

}  // namespace bomb
