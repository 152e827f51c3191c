#include <gtest/gtest.h>

#include <QFile>

#include "scene/BmpTestFiles.h"
#include "scene/ResourceKey.h"
#include "scene/Resources.h"
#include "scene/Textures.h"

namespace {

TEST(Unscramble, ByteIIsShiftedByKeyByteIPlusOneModulo256) {
    QFile file(QStringLiteral(":/rcad/10000"));  // long enough for the key to wrap many times
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string scrambled = file.readAll().toStdString(), plain = LoadResourceBytes(10000);
    ASSERT_TRUE(plain.size() == scrambled.size() && plain.size() > 1000);
    for (std::size_t i = 0; i < plain.size(); ++i)
        ASSERT_EQ(std::uint8_t(plain[i]), std::uint8_t(scrambled[i] + resourcekey::kKey[(i + 1) % 50])) << i;
}

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
