#include <gtest/gtest.h>

#include "scene/BmpTestFiles.h"
#include "scene/Textures.h"
#include "support/TempDir.h"

TEST(TextureTargetSize, PowerOfTwoUpToTheCapAndTheDriverLimit) {
    // size, driver limit, side
    const int cases[][3] = {{256, 1024, 256}, {128, 1024, 128}, {300, 1024, 512}, {100, 1024, 128},
                            {1024, 1024, 512}, {513, 8192, 512}, {1, 1024, 2},    {2, 1024, 2},
                            {3, 1024, 4},      {300, 256, 256},  {1024, 64, 64},  {40, 64, 64}};
    for (const auto& c : cases)
        EXPECT_EQ(TextureTargetSize(c[0], c[1]), c[2]) << c[0] << " limit " << c[1];
}

TEST(ReadRgbBitmap, SwapsToRgbDropsPaddingAndOnlyPureBlackIsTransparent) {
    // 3 x 2, odd width: every stored row carries 3 bytes of padding.
    const std::string file = MakeBmp24(3, 2, [](int x, int y) -> std::uint32_t {
        const std::uint32_t colours[2][3] = {{0x102030, 0x000000, 0xff0001},
                                             {0x000001, 0x405060, 0xa0b0c0}};
        return colours[y][x];
    });
    std::string shifted = file;  // eight extra bytes between the headers and the pixels
    shifted.insert(54, std::string(8, '\x77'));
    const std::string variants[] = {file, PatchLe(file, bmpfield::kImageSize, 0),
                                    PatchLe(shifted, bmpfield::kOffset, 62)};
    const std::uint8_t rgb[] = {0x10, 0x20, 0x30, 0, 0, 0, 0xff, 0x00, 0x01,
                                0x00, 0x00, 0x01, 0x40, 0x50, 0x60, 0xa0, 0xb0, 0xc0};
    const std::uint8_t alpha[] = {255, 0, 255, 255, 255, 255};
    TempDir dir;
    for (const std::string& bytes : variants) {
        SCOPED_TRACE(&bytes - variants);
        WriteWholeFile(dir.File("a.bmp"), bytes);
        BitmapInfo info;
        const auto got = ReadRgbBitmap(dir.File("a.bmp"), &info);
        const auto rgba = ReadRgbaBitmap(dir.File("a.bmp"), nullptr);
        ASSERT_TRUE(got && rgba);
        EXPECT_EQ(info.width, 3);
        EXPECT_EQ(info.height, 2);
        EXPECT_EQ(info.bitCount, 24);
        EXPECT_EQ(info.imageSize, sizeof rgb);
        for (std::size_t i = 0; i < sizeof rgb; ++i) {
            EXPECT_EQ(got[i], rgb[i]) << "byte " << i;
            EXPECT_EQ(rgba[i / 3 * 4 + i % 3], rgb[i]) << "byte " << i;
        }
        for (int i = 0; i < 6; ++i) EXPECT_EQ(rgba[i * 4 + 3], alpha[i]) << "pixel " << i;
    }
}
