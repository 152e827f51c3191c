#include <gtest/gtest.h>

#include <QFile>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

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
    TempDir dir;
    // A 1-byte file; zeros past byte 50 show the key wrapping (byte 49 takes
    // key byte 0, byte 50 key byte 1 again); 0xff shows the sum wrapping.
    for (const std::string& in : {std::string(1, '\x10'), std::string(131, '\0'), std::string(51, '\xff')}) {
        SCOPED_TRACE(in.size());
        WriteWholeFile(dir.File("k.ad"), in);
        UnscrambleFile(Folder(dir), "k");
        const std::string out = ReadWholeFile(dir.File("k.bmp"));
        ASSERT_EQ(out.size(), in.size());
        for (std::size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(static_cast<unsigned char>(out[i]),
                      (static_cast<unsigned char>(in[i]) + resourcekey::kKey[(i + 1) % 50]) & 0xff)
                << "byte " << i;
    }
}

TEST(Unscramble, OnlyTheExactStemMusicBecomesWav) {
    TempDir dir;
    for (const char* stem : {"Music", "music"}) {
        WriteWholeFile(dir.File(std::string(stem) + ".ad"), "abc");
        UnscrambleFile(Folder(dir), stem);
    }
    EXPECT_TRUE(Exists(dir.File("Music.wav")) && Exists(dir.File("music.bmp")));
    EXPECT_FALSE(Exists(dir.File("Music.bmp")) || Exists(dir.File("music.wav")));
}

TEST(ResourcesDeathTest, UnopenableFilesEndTheProcessWithTheirMessage) {
    TempDir dir;
    WriteWholeFile(dir.File("blocked.ad"), "abc");
    // A folder where the output file should go cannot be opened for writing.
    std::filesystem::create_directory(dir.File("blocked.bmp"));
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { UnscrambleFile(Folder(dir), "absent"); }, "^cannot open infile\n"},
        {[&] { UnscrambleFile(Folder(dir), "blocked"); }, "^ cannot open outfile\n"},
        {[&] { ExtractResource(154, dir.File("no/such/folder/"), "BackGround0"); }, "cannot open infile"},
    };
    for (const auto& [run, message] : cases) {
        SCOPED_TRACE(message);
        // The message goes to standard output; route it where the death test looks.
        EXPECT_EXIT(
            {
                dup2(STDERR_FILENO, STDOUT_FILENO);
                run();
                std::exit(0);
            },
            [](int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; }, message);
    }
}

TEST(Extract, EveryBuiltInResourceRoundTripsAndIsDeletedAgain) {
    const std::pair<int, const char*> builtIns[] = {{154, "BackGround0"}, {10000, "fish0"}, {10001, "fish1"},
                                                    {10002, "fish2"},     {10003, "fish3"}, {10004, "fish4"},
                                                    {10005, "fish5"},     {166, "Particle1"}, {227, "Music"}};
    TempDir dir;
    for (const auto& [id, stem] : builtIns) {
        SCOPED_TRACE(stem);
        const bool sound = id == 227;
        ASSERT_EQ(ExtractResource(id, Folder(dir), stem), 1);
        const std::string ad = dir.File(std::string(stem) + ".ad");
        const std::string plainPath = dir.File(std::string(stem) + (sound ? ".wav" : ".bmp"));
        const std::string plain = ReadWholeFile(plainPath);
        EXPECT_EQ(ReadWholeFile(ad), Embedded(id));
        EXPECT_EQ(plain.size(), Embedded(id).size());
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
        DeleteExtractedFile(ad);
        DeleteExtractedFile(plainPath);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(Extract, ReplacesALongerLeftOverFileWhole) {
    TempDir dir;
    WriteWholeFile(dir.File("fish2.ad"), std::string(300000, 'x'));
    WriteWholeFile(dir.File("fish2.bmp"), std::string(300000, 'x'));
    ASSERT_EQ(ExtractResource(10002, Folder(dir), "fish2"), 1);
    EXPECT_EQ(ReadWholeFile(dir.File("fish2.ad")), Embedded(10002));
    EXPECT_EQ(ReadWholeFile(dir.File("fish2.bmp")).size(), Embedded(10002).size());
}

TEST(Extract, MissingIdWritesNothingAndLeavesLeftOversAlone) {
    TempDir dir;
    EXPECT_EQ(ExtractResource(155, Folder(dir), "Particle2"), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    // A picture of that name already in the folder stays for the loader to read.
    WriteWholeFile(dir.File("fish0.bmp"), "left over");
    EXPECT_EQ(ExtractResource(10019, Folder(dir), "fish0"), 0);
    EXPECT_EQ(ReadWholeFile(dir.File("fish0.bmp")), "left over");
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
        const std::string plain = ReadWholeFile(path);
        const std::string scrambled = Embedded(10000);
        ASSERT_EQ(plain.size(), scrambled.size());
        for (std::size_t i = 0; i < plain.size(); i += 97)
            ASSERT_EQ(static_cast<unsigned char>(plain[i]),
                      resourcekey::Unscramble(static_cast<unsigned char>(scrambled[i]), i));
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
