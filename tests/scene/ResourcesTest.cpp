#include <gtest/gtest.h>

#include <QFile>

#include <filesystem>

#include "scene/ResourceKey.h"
#include "scene/Resources.h"
#include "support/TempDir.h"

namespace {

std::string Folder(const TempDir& dir) { return dir.Path() + "/"; }
bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::string Embedded(int id) {
    QFile file(QStringLiteral(":/rcad/%1").arg(id));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "resource " << id;
    return file.readAll().toStdString();
}

std::uint32_t Le(const std::string& s, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

}  // namespace

TEST(Unscramble, ByteIIsShiftedByKeyByteIPlusOneModulo256) {
    // The skin is long enough for the key to wrap many times and for sums to
    // pass 255.
    const std::string scrambled = Embedded(10000);
    const std::string plain = LoadResourceBytes(10000);
    ASSERT_EQ(plain.size(), scrambled.size());
    ASSERT_GT(plain.size(), 1000u);
    for (std::size_t i = 0; i < plain.size(); ++i)
        ASSERT_EQ(static_cast<unsigned char>(plain[i]),
                  (static_cast<unsigned char>(scrambled[i]) + resourcekey::kKey[(i + 1) % 50]) & 0xff)
            << "byte " << i;
}

TEST(LoadResourceBytes, EveryBuiltInResourceIsAPictureOrTheSoundAndUnknownOnesAreEmpty) {
    for (const int id : {154, 10000, 10001, 10002, 10003, 10004, 10005, 166, 227}) {
        SCOPED_TRACE(id);
        const bool sound = id == 227;
        const std::string plain = LoadResourceBytes(id);
        EXPECT_EQ(plain.substr(0, sound ? 4 : 2), sound ? "RIFF" : "BM");
        if (sound) {
            // PCM, 22050 Hz, 16 bits, all of the rest is sample data.
            ASSERT_GE(plain.size(), 44u);
            EXPECT_EQ(plain.substr(8, 8) + plain.substr(36, 4), "WAVEfmt data");
            EXPECT_EQ(Le(plain, 20, 2), 1u);
            EXPECT_EQ(Le(plain, 24, 4), 22050u);
            EXPECT_EQ(Le(plain, 34, 2), 16u);
            EXPECT_EQ(Le(plain, 40, 4), plain.size() - 44);
        }
    }
    EXPECT_TRUE(LoadResourceBytes(155).empty());
    EXPECT_TRUE(LoadResourceBytes(10019).empty());
}

TEST(ExtractedResource, NeverFollowsOrNeedsAnExistingEntryAndRemovesOnlyItsOwnFile) {
    TempDir dir, elsewhere;
    const std::string victim = elsewhere.File("victim");
    WriteWholeFile(victim, "precious");
    // Stray entries named like the files an older version unpacked.
    std::filesystem::create_directory(dir.File("fish0.bmp"));
    std::filesystem::create_symlink(victim, dir.File("fish0.ad"));
    std::filesystem::create_symlink(victim, dir.File("BackGround0.bmp"));
    std::string path;
    {
        const ExtractedResource fish(10000, Folder(dir), "fish0");
        const ExtractedResource background(154, Folder(dir), "BackGround0");
        path = fish.Path();
        ASSERT_EQ(path.rfind(Folder(dir) + "fish0-", 0), 0u) << path;
        ASSERT_NE(background.Path(), path);
        EXPECT_EQ(ReadWholeFile(path), LoadResourceBytes(10000));
    }
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(ReadWholeFile(victim), "precious");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("fish0.bmp")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("fish0.ad")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
}

TEST(ExtractedResource, WithoutAFolderUsesTheTempFolderNotTheCurrentOne) {
    TempDir temp;
    ScopedEnv env("TMPDIR", temp.Path());
    const ExtractedResource music(227, "", "Music");
    EXPECT_EQ(music.Path().rfind(temp.Path() + "/Music-", 0), 0u) << music.Path();
    EXPECT_EQ(music.Path().substr(music.Path().size() - 4), ".wav");
    EXPECT_EQ(ReadWholeFile(music.Path()).substr(0, 4), "RIFF");
}
