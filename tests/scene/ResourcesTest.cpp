#include <gtest/gtest.h>

#include <QFile>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "scene/ResourceKey.h"
#include "scene/Resources.h"
#include "scene/Textures.h"
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
    // Zeros reveal the key stream itself; 0xff shows the sum wrapping.
    for (const std::string& in : {std::string(1, '\x10'), std::string(131, '\0'), std::string(50, '\xff')}) {
        SCOPED_TRACE(in.size());
        WriteWholeFile(dir.File("k.ad"), in);
        UnscrambleFile(Folder(dir), "k");
        const std::string out = ReadWholeFile(dir.File("k.bmp"));
        ASSERT_EQ(out.size(), in.size());
        // Byte 49 takes key byte 0, byte 50 key byte 1 again.
        for (std::size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(static_cast<unsigned char>(out[i]),
                      (static_cast<unsigned char>(in[i]) + resourcekey::kKey[(i + 1) % 50]) & 0xff)
                << "byte " << i;
    }
    for (std::size_t i = 0; i < 100; ++i)
        for (int b : {0, 1, 127, 128, 255})
            ASSERT_EQ(resourcekey::Unscramble(resourcekey::Scramble(b, i), i), b);
}

TEST(Unscramble, OnlyTheExactStemMusicBecomesWav) {
    TempDir dir;
    for (const char* stem : {"Music", "music", "Musical"}) {
        WriteWholeFile(dir.File(std::string(stem) + ".ad"), "abc");
        UnscrambleFile(Folder(dir), stem);
    }
    EXPECT_TRUE(Exists(dir.File("Music.wav")));
    EXPECT_FALSE(Exists(dir.File("Music.bmp")));
    EXPECT_TRUE(Exists(dir.File("music.bmp")));
    EXPECT_FALSE(Exists(dir.File("music.wav")));
    EXPECT_TRUE(Exists(dir.File("Musical.bmp")));
}

TEST(ResourcesDeathTest, UnopenableFilesEndTheProcessWithTheirMessage) {
    TempDir dir;
    WriteWholeFile(dir.File("blocked.ad"), "abc");
    // A folder where the output file should go cannot be opened for writing.
    std::filesystem::create_directory(dir.File("blocked.bmp"));
    const struct {
        std::function<void()> run;
        const char* message;
    } cases[] = {
        {[&] { UnscrambleFile(Folder(dir), "absent"); }, "^cannot open infile\n"},
        {[&] { UnscrambleFile(Folder(dir), "blocked"); }, "^ cannot open outfile\n"},
        {[&] { ExtractResource(154, dir.File("no/such/folder/"), "BackGround0"); }, "cannot open infile"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        // The message goes to standard output; route it where the death test looks.
        EXPECT_EXIT(
            {
                dup2(STDERR_FILENO, STDOUT_FILENO);
                c.run();
                std::exit(0);
            },
            [](int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; }, c.message);
    }
}

TEST(Extract, EveryBuiltInResourceRoundTripsAndIsDeletedAgain) {
    const struct {
        int id;
        const char* stem;
        int w, h;  // 0 for the sound
    } builtIns[] = {{154, "BackGround0", 1024, 512}, {10000, "fish0", 256, 128}, {10001, "fish1", 256, 128},
                    {10002, "fish2", 256, 128},     {10003, "fish3", 256, 128}, {10004, "fish4", 256, 128},
                    {10005, "fish5", 128, 64},      {166, "Particle1", 64, 64}, {227, "Music", 0, 0}};
    TempDir dir;
    for (const auto& r : builtIns) {
        SCOPED_TRACE(r.stem);
        ASSERT_EQ(ExtractResource(r.id, Folder(dir), r.stem), 1);
        const std::string ad = dir.File(std::string(r.stem) + ".ad");
        const std::string plainPath = dir.File(std::string(r.stem) + (r.w ? ".bmp" : ".wav"));
        const std::string scrambled = ReadWholeFile(ad), plain = ReadWholeFile(plainPath);
        EXPECT_EQ(scrambled, Embedded(r.id));
        ASSERT_EQ(plain.size(), scrambled.size());
        // Stored scrambled: the plain signature must not show in the resource.
        EXPECT_NE(scrambled.substr(0, 2), plain.substr(0, 2));
        EXPECT_EQ(plain.substr(0, r.w ? 2 : 4), r.w ? "BM" : "RIFF");
        if (r.w) {
            BitmapInfo info;
            EXPECT_NE(ReadRgbBitmap(plainPath, &info), nullptr);
            EXPECT_EQ(info.width, r.w);
            EXPECT_EQ(info.height, r.h);
        }
        DeleteExtractedFile(ad);
        DeleteExtractedFile(plainPath);
    }
    DeleteExtractedFile(dir.File("never-was.bmp"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(Extract, BuiltInBubbleIsRoundOnBlackAndSoundIsASeamlessPcmLoop) {
    TempDir dir;
    ASSERT_EQ(ExtractResource(166, Folder(dir), "Particle1"), 1);
    BitmapInfo info;
    const auto rgb = ReadRgbBitmap(dir.File("Particle1.bmp"), &info);
    ASSERT_NE(rgb, nullptr);
    // Corners are black (they add nothing when drawn additively), the rim is lit.
    EXPECT_EQ(rgb[0] | rgb[1] | rgb[2], 0);
    EXPECT_GT(rgb[(info.height / 2 * info.width + info.width / 2 - info.width * 42 / 100) * 3 + 2], 60);

    ASSERT_EQ(ExtractResource(227, Folder(dir), "Music"), 1);
    const std::string wav = ReadWholeFile(dir.File("Music.wav"));
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le(wav, 4, 4), wav.size() - 8);
    const int channels = Le(wav, 22, 2);
    // PCM, 22050 Hz, 16 bits, all of the rest is sample data.
    EXPECT_EQ(Le(wav, 20, 2), 1u);
    EXPECT_EQ(Le(wav, 24, 4), 22050u);
    EXPECT_EQ(Le(wav, 34, 2), 16u);
    EXPECT_EQ(wav.substr(36, 4), "data");
    ASSERT_EQ(Le(wav, 40, 4), wav.size() - 44);
    const std::size_t frames = (wav.size() - 44) / (2 * channels);
    ASSERT_GE(frames, 22050u * 2);
    const auto sample = [&](std::size_t i) { return int(std::int16_t(Le(wav, 44 + i * 2 * channels, 2))); };
    // The jump from the last sample back to the first is no larger than the
    // steps inside the loop, so the repeat does not click; and it is not silence.
    int largestStep = 0;
    long long energy = 0;
    for (std::size_t i = 1; i < frames; ++i) {
        largestStep = std::max(largestStep, std::abs(sample(i) - sample(i - 1)));
        energy += static_cast<long long>(sample(i)) * sample(i);
    }
    EXPECT_LE(std::abs(sample(0) - sample(frames - 1)), largestStep);
    EXPECT_GT(energy / static_cast<long long>(frames), 500LL * 500LL);
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
    EXPECT_EQ(ExtractResource(999999, Folder(dir), "nothing"), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    // A picture of that name already in the folder stays for the loader to read.
    WriteWholeFile(dir.File("fish0.bmp"), "left over");
    EXPECT_EQ(ExtractResource(10019, Folder(dir), "fish0"), 0);
    EXPECT_EQ(ReadWholeFile(dir.File("fish0.bmp")), "left over");
}

TEST(Extract, TheProgramItselfCarriesTheResources) {
    const std::string binary = ReadWholeFile(TIDEMERE_BINARY);
    ASSERT_FALSE(binary.empty()) << "build the tidemere target first";
    for (int id : {154, 10003, 227})
        EXPECT_NE(binary.find(Embedded(id).substr(0, 256)), std::string::npos) << "resource " << id;
}
