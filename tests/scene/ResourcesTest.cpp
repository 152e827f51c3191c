#include <gtest/gtest.h>

#include <filesystem>

#include <QFile>

#include "scene/BmpTestFiles.h"
#include "scene/ResourceKey.h"
#include "scene/Resources.h"
#include "scene/Textures.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::uint32_t Le(const std::string& s, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

TEST(Unscramble, ByteIIsShiftedByKeyByteIPlusOneModulo256) {
    QFile file(QStringLiteral(":/rcad/10000"));  // long enough for the key to wrap many times
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string scrambled = file.readAll().toStdString(), plain = LoadResourceBytes(10000);
    ASSERT_TRUE(plain.size() == scrambled.size() && plain.size() > 1000);
    for (std::size_t i = 0; i < plain.size(); ++i)
        ASSERT_EQ(std::uint8_t(plain[i]), std::uint8_t(scrambled[i] + resourcekey::kKey[(i + 1) % 50])) << i;
}

TEST(LoadResourceBytes, EveryBuiltInResourceIsAPictureOrTheSoundAndUnknownOnesAreEmpty) {
    for (const int id : {154, 10000, 10001, 10002, 10003, 10004, 10005, 166}) {
        const std::string plain = LoadResourceBytes(id);
        EXPECT_EQ(plain.substr(0, 2), "BM") << id;
        EXPECT_EQ(Le(plain, 2, 4), plain.size()) << id;  // the whole file is unscrambled
    }
    // PCM, 22050 Hz, 16 bits, all of the rest is sample data.
    const std::string wav = LoadResourceBytes(227);
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 8) + wav.substr(36, 4), "RIFFWAVEfmt data");
    EXPECT_EQ(Le(wav, 20, 2) * 100000 + Le(wav, 34, 2), 100016u);
    EXPECT_EQ(Le(wav, 24, 4), 22050u);
    EXPECT_EQ(Le(wav, 40, 4), wav.size() - 44);
    EXPECT_TRUE(LoadResourceBytes(155).empty());
    EXPECT_TRUE(LoadResourceBytes(10019).empty());
}

TEST(ExtractedResource, NeverFollowsOrNeedsAnExistingEntryAndRemovesOnlyItsOwnFile) {
    TempDir dir, elsewhere;
    const std::string folder = dir.Path() + "/", victim = elsewhere.File("victim");
    WriteWholeFile(victim, "precious");
    // Stray entries named like the files an older version unpacked.
    fs::create_directory(dir.File("fish0.bmp"));
    fs::create_symlink(victim, dir.File("fish0.ad"));
    fs::create_symlink(victim, dir.File("BackGround0.bmp"));
    std::string path;
    {
        const ExtractedResource fish(10000, folder, "fish0");
        const ExtractedResource background(154, folder, "BackGround0");
        path = fish.Path();
        ASSERT_EQ(path.rfind(folder + "fish0-", 0), 0u) << path;
        ASSERT_NE(background.Path(), path);
        EXPECT_EQ(ReadWholeFile(path), LoadResourceBytes(10000));
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(ReadWholeFile(victim), "precious");
    EXPECT_TRUE(fs::is_directory(dir.File("fish0.bmp")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 3);
    // Without a folder: the temp folder, not the current one.
    TempDir temp;
    ScopedEnv env("TMPDIR", temp.Path());
    const ExtractedResource music(227, "", "Music");
    EXPECT_EQ(music.Path().rfind(temp.Path() + "/Music-", 0), 0u) << music.Path();
    EXPECT_EQ(music.Path().substr(music.Path().size() - 4), ".wav");
    EXPECT_EQ(ReadWholeFile(music.Path()).substr(0, 4), "RIFF");
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
    // Textures: a power of two up to 512 and the driver's limit.
    const int sizes[][3] = {{300, 1024, 512}, {100, 1024, 128}, {1024, 1024, 512}, {1, 1024, 2}, {300, 256, 256}};
    for (const auto& [size, limit, side] : sizes) EXPECT_EQ(TextureTargetSize(size, limit), side) << size;
}

}  // namespace
