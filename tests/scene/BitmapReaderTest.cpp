#include <gtest/gtest.h>

#include "scene/BmpTestFiles.h"
#include "scene/Textures.h"
#include "support/TempDir.h"

namespace {

std::string WriteBmp(const TempDir& dir, const std::string& name, const std::string& bytes) {
    const std::string path = dir.File(name);
    WriteWholeFile(path, bytes);
    return path;
}

// 3 x 2: odd width, so every stored row carries 3 bytes of padding.
std::string ThreeByTwo() {
    return MakeBmp24(3, 2, [](int x, int y) -> std::uint32_t {
        const std::uint32_t colours[2][3] = {{0x102030, 0x000000, 0xff0001},
                                             {0x000001, 0x405060, 0xa0b0c0}};
        return colours[y][x];
    });
}

}  // namespace

// --- Target size ------------------------------------------------------------

TEST(TextureTargetSize, PowerOfTwoUpToTheCap) {
    EXPECT_EQ(TextureTargetSize(256, 1024), 256);
    EXPECT_EQ(TextureTargetSize(128, 1024), 128);
    EXPECT_EQ(TextureTargetSize(300, 1024), 512);
    EXPECT_EQ(TextureTargetSize(100, 1024), 128);
    EXPECT_EQ(TextureTargetSize(1024, 1024), 512);
    EXPECT_EQ(TextureTargetSize(513, 8192), 512);
    EXPECT_EQ(TextureTargetSize(1, 1024), 2);
    EXPECT_EQ(TextureTargetSize(2, 1024), 2);
    EXPECT_EQ(TextureTargetSize(3, 1024), 4);
}

TEST(TextureTargetSize, SmallerDriverLimitWins) {
    EXPECT_EQ(TextureTargetSize(300, 256), 256);
    EXPECT_EQ(TextureTargetSize(1024, 64), 64);
    EXPECT_EQ(TextureTargetSize(40, 64), 64);
}

// --- Reading 24-bit pictures ------------------------------------------------

TEST(ReadRgbBitmap, SwapsToRgbAndDropsRowPadding) {
    TempDir dir;
    BitmapInfo info;
    auto rgb = ReadRgbBitmap(WriteBmp(dir, "a.bmp", ThreeByTwo()), &info);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(info.width, 3);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.bitCount, 24);
    EXPECT_EQ(info.imageSize, 3u * 2u * 3u);
    const std::uint8_t expected[] = {0x10, 0x20, 0x30, 0, 0, 0, 0xff, 0x00, 0x01,
                                     0x00, 0x00, 0x01, 0x40, 0x50, 0x60, 0xa0, 0xb0, 0xc0};
    for (std::size_t i = 0; i < sizeof expected; ++i) EXPECT_EQ(rgb[i], expected[i]) << "byte " << i;
}

TEST(ReadRgbaBitmap, OnlyPureBlackIsTransparent) {
    TempDir dir;
    BitmapInfo info;
    auto rgba = ReadRgbaBitmap(WriteBmp(dir, "a.bmp", ThreeByTwo()), &info);
    ASSERT_NE(rgba, nullptr);
    const std::uint8_t alpha[] = {255, 0, 255, 255, 255, 255};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(rgba[i * 4 + 3], alpha[i]) << "pixel " << i;
    // Colour bytes come through untouched, black included.
    EXPECT_EQ(rgba[0], 0x10);
    EXPECT_EQ(rgba[4], 0);
    EXPECT_EQ(rgba[8], 0xff);
    EXPECT_EQ(rgba[10], 0x01);
    EXPECT_EQ(rgba[14], 0x01);
}

TEST(ReadRgbBitmap, ZeroImageSizeIsWorkedOutFromTheRows) {
    TempDir dir;
    std::string file = ThreeByTwo();
    PatchLe(file, bmpfield::kImageSize, 0, 4);
    BitmapInfo info;
    auto rgb = ReadRgbBitmap(WriteBmp(dir, "a.bmp", file), &info);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb[15], 0xa0);  // last pixel of the top row
    EXPECT_EQ(rgb[17], 0xc0);
}

TEST(ReadRgbBitmap, HonoursThePixelOffset) {
    TempDir dir;
    std::string file = ThreeByTwo();
    // Eight extra bytes between the headers and the pixels.
    file.insert(54, std::string(8, '\x77'));
    PatchLe(file, bmpfield::kOffset, 62, 4);
    BitmapInfo info;
    auto rgb = ReadRgbBitmap(WriteBmp(dir, "a.bmp", file), &info);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb[0], 0x10);
    EXPECT_EQ(rgb[2], 0x30);
}

// --- Broken files: no image, no crash ---------------------------------------

struct BrokenCase {
    const char* name;
    std::string (*make)();
};

std::string Patched(std::size_t at, std::uint32_t value, int bytes = 4) {
    std::string f = ThreeByTwo();
    PatchLe(f, at, value, bytes);
    return f;
}

const BrokenCase kBroken[] = {
    {"empty", [] { return std::string(); }},
    {"only the file header", [] { return ThreeByTwo().substr(0, 14); }},
    {"headers cut short", [] { return ThreeByTwo().substr(0, 40); }},
    {"pixels cut short", [] { return ThreeByTwo().substr(0, 54 + 20); }},
    {"no pixels at all", [] { return ThreeByTwo().substr(0, 54); }},
    {"not BM", [] { std::string f = ThreeByTwo(); f[0] = 'P'; return f; }},
    {"image size larger than the file", [] { return Patched(bmpfield::kImageSize, 1000); }},
    {"image size huge", [] { return Patched(bmpfield::kImageSize, 0xfffffff0u); }},
    {"image size smaller than the rows", [] { return Patched(bmpfield::kImageSize, 12); }},
    {"offset past the end", [] { return Patched(bmpfield::kOffset, 5000); }},
    {"offset huge", [] { return Patched(bmpfield::kOffset, 0xffffffffu); }},
    {"offset inside the headers", [] { return Patched(bmpfield::kOffset, 20); }},
    {"width 0", [] { return Patched(bmpfield::kWidth, 0); }},
    {"height 0", [] { return Patched(bmpfield::kHeight, 0); }},
    {"negative width", [] { return Patched(bmpfield::kWidth, static_cast<std::uint32_t>(-3)); }},
    {"negative height", [] { return Patched(bmpfield::kHeight, static_cast<std::uint32_t>(-2)); }},
    {"absurd width", [] { return Patched(bmpfield::kWidth, 0x40000000u); }},
    {"absurd height", [] { return Patched(bmpfield::kHeight, 0x7fffffffu); }},
    {"wide enough to overrun the data", [] { return Patched(bmpfield::kWidth, 4000); }},
    {"16 bits", [] { return Patched(bmpfield::kBitCount, 16, 2); }},
    {"0 bits", [] { return Patched(bmpfield::kBitCount, 0, 2); }},
    {"compressed", [] { return Patched(bmpfield::kCompression, 1); }},
};

TEST(ReadRgbBitmap, BrokenFilesGiveNoImage) {
    TempDir dir;
    for (const BrokenCase& c : kBroken) {
        SCOPED_TRACE(c.name);
        const std::string path = WriteBmp(dir, "broken.bmp", c.make());
        BitmapInfo info;
        EXPECT_EQ(ReadRgbBitmap(path, &info), nullptr);
        EXPECT_EQ(ReadRgbaBitmap(path, &info), nullptr);
    }
    BitmapInfo info;
    EXPECT_EQ(ReadRgbBitmap(dir.File("missing.bmp"), &info), nullptr);
    EXPECT_EQ(ReadRgbaBitmap(dir.File("missing.bmp"), nullptr), nullptr);
}

TEST(ReadRgbBitmap, PaletteImagesAreNotRgb) {
    TempDir dir;
    BmpSpec spec;
    spec.bitCount = 8;
    spec.palette = std::vector<std::uint32_t>(256, 0x00ffffff);
    const std::string path = WriteBmp(dir, "p.bmp", MakeBmp(spec, std::string(8, '\x01')));
    EXPECT_EQ(ReadRgbBitmap(path, nullptr), nullptr);
}
