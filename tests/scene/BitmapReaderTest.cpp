#include <gtest/gtest.h>

#include "scene/BmpTestFiles.h"
#include "scene/Textures.h"
#include "support/TempDir.h"

TEST(TextureTargetSize, PowerOfTwoUpToTheCapAndTheDriverLimit) {
    // size, driver limit, side
    const int cases[][3] = {{256, 1024, 256}, {128, 1024, 128}, {300, 1024, 512}, {100, 1024, 128},
                            {1024, 1024, 512}, {1, 1024, 2},    {300, 256, 256}};
    for (const auto& c : cases) EXPECT_EQ(TextureTargetSize(c[0], c[1]), c[2]) << c[0] << " limit " << c[1];
}

TEST(ReadRgbBitmap, SwapsToRgbDropsPaddingAndOnlyPureBlackIsTransparent) {
    // 3 x 2, odd width: every stored row carries 3 bytes of padding.
    const std::uint32_t colours[2][3] = {{0x102030, 0x000000, 0xff0001}, {0x000001, 0x405060, 0xa0b0c0}};
    TempDir dir;
    WriteWholeFile(dir.File("a.bmp"), MakeBmp24(3, 2, [&](int x, int y) { return colours[y][x]; }));
    BitmapInfo info;
    const auto rgb = ReadRgbBitmap(dir.File("a.bmp"), &info);
    const auto rgba = ReadRgbaBitmap(dir.File("a.bmp"), nullptr);
    ASSERT_TRUE(rgb && rgba);
    EXPECT_EQ(info.width * 10 + info.height, 32);
    for (int i = 0; i < 6; ++i) {
        const std::uint32_t c = colours[i / 3][i % 3];
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(rgb[i * 3 + k], (c >> (16 - 8 * k)) & 0xff) << "pixel " << i;
            EXPECT_EQ(rgba[i * 4 + k], (c >> (16 - 8 * k)) & 0xff) << "pixel " << i;
        }
        EXPECT_EQ(rgba[i * 4 + 3], c == 0 ? 0 : 255) << "pixel " << i;
    }
}
