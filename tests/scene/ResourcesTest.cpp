#include <gtest/gtest.h>

#include "scene/BmpTestFiles.h"
#include "scene/Textures.h"

namespace {

TEST(ReadRgbBitmap, SwapsToRgbDropsPaddingAndOnlyPureBlackIsTransparent) {
    // 3 x 2, odd width: every stored row carries 3 bytes of padding.
    const std::uint32_t colours[2][3] = {{0x102030, 0x000000, 0xff0001}, {0x000001, 0x405060, 0xa0b0c0}};
    const std::string bmp = MakeBmp24(3, 2, [&](int x, int y) { return colours[y][x]; });
    const auto rgba = ReadRgbaBitmap(AsBmpBytes(bmp), nullptr);
    ASSERT_TRUE(rgba);
    for (int i = 0; i < 6; ++i) {
        const std::uint32_t c = colours[i / 3][i % 3];
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(rgba[i * 4 + k], (c >> (16 - 8 * k)) & 0xff) << "pixel " << i;
        EXPECT_EQ(rgba[i * 4 + 3], c == 0 ? 0 : 255) << "pixel " << i;
    }
}

}  // namespace
