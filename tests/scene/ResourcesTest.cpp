#include <gtest/gtest.h>

#include <QFile>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "scene/ResourceKey.h"
#include "scene/Resources.h"
#include "scene/Textures.h"
#include "support/TempDir.h"

namespace {

using resourcekey::kKey;

std::string Folder(const TempDir& dir) { return dir.Path() + "/"; }

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::uint32_t Le32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}
std::uint16_t Le16(const std::string& s, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      static_cast<unsigned char>(s[at + 1]) << 8);
}

// Any status but a clean 0: the run must not report success.
bool ExitedWithFailure(int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; }

}  // namespace

// --- Unscrambling -----------------------------------------------------------

TEST(Unscramble, SingleByteIsShiftedByKeyByteOne) {
    TempDir dir;
    WriteWholeFile(dir.File("one.ad"), std::string(1, '\x10'));
    UnscrambleFile(Folder(dir), "one");
    const std::string out = ReadWholeFile(dir.File("one.bmp"));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(out[0]), (0x10 + kKey[1]) & 0xff);
}

TEST(Unscramble, KeyWrapsAfterFiftyBytes) {
    TempDir dir;
    // Zeros reveal the key stream itself, byte by byte.
    WriteWholeFile(dir.File("wrap.ad"), std::string(131, '\0'));
    UnscrambleFile(Folder(dir), "wrap");
    const std::string out = ReadWholeFile(dir.File("wrap.bmp"));
    ASSERT_EQ(out.size(), 131u);
    EXPECT_EQ(static_cast<unsigned char>(out[48]), kKey[49]);
    EXPECT_EQ(static_cast<unsigned char>(out[49]), kKey[0]);
    EXPECT_EQ(static_cast<unsigned char>(out[50]), kKey[1]);
    EXPECT_EQ(static_cast<unsigned char>(out[99]), kKey[0]);
    for (std::size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(static_cast<unsigned char>(out[i]), kKey[(i + 1) % 50]) << "byte " << i;
}

TEST(Unscramble, AdditionWrapsModulo256) {
    TempDir dir;
    std::string in(50, '\xff');
    WriteWholeFile(dir.File("hi.ad"), in);
    UnscrambleFile(Folder(dir), "hi");
    const std::string out = ReadWholeFile(dir.File("hi.bmp"));
    for (std::size_t i = 0; i < out.size(); ++i)
        EXPECT_EQ(static_cast<unsigned char>(out[i]), (0xff + kKey[(i + 1) % 50]) & 0xff);
}

TEST(Unscramble, OnlyTheExactStemMusicBecomesWav) {
    TempDir dir;
    WriteWholeFile(dir.File("Music.ad"), "abc");
    WriteWholeFile(dir.File("music.ad"), "abc");
    WriteWholeFile(dir.File("Musical.ad"), "abc");
    UnscrambleFile(Folder(dir), "Music");
    UnscrambleFile(Folder(dir), "music");
    UnscrambleFile(Folder(dir), "Musical");
    EXPECT_TRUE(Exists(dir.File("Music.wav")));
    EXPECT_FALSE(Exists(dir.File("Music.bmp")));
    EXPECT_TRUE(Exists(dir.File("music.bmp")));
    EXPECT_FALSE(Exists(dir.File("music.wav")));
    EXPECT_TRUE(Exists(dir.File("Musical.bmp")));
}

TEST(Unscramble, ScrambleOfTheSharedKeyRoundTrips) {
    for (std::size_t i = 0; i < 200; ++i)
        for (int b : {0, 1, 127, 128, 255})
            ASSERT_EQ(resourcekey::Unscramble(resourcekey::Scramble(b, i), i), b);
}

TEST(UnscrambleDeathTest, MissingInputEndsTheProcessWithFailure) {
    TempDir dir;
    // The message goes to standard output; route it where the death test looks.
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            UnscrambleFile(Folder(dir), "absent");
        },
        ExitedWithFailure, "^cannot open infile\n");
}

TEST(UnscrambleDeathTest, UnwritableOutputEndsTheProcessWithFailure) {
    TempDir dir;
    WriteWholeFile(dir.File("blocked.ad"), "abc");
    // A folder where the output file should go cannot be opened for writing.
    std::filesystem::create_directory(dir.File("blocked.bmp"));
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            UnscrambleFile(Folder(dir), "blocked");
        },
        ExitedWithFailure, "^ cannot open outfile\n");
}

// --- Extraction -------------------------------------------------------------

struct BuiltIn {
    int id;
    const char* stem;
};
const BuiltIn kBuiltIns[] = {{154, "BackGround0"}, {10000, "fish0"}, {10001, "fish1"},
                             {10002, "fish2"},     {10003, "fish3"}, {10004, "fish4"},
                             {10005, "fish5"},     {166, "Particle1"}, {227, "Music"}};

TEST(Extract, EveryBuiltInResourceIsEmbeddedAndRoundTrips) {
    TempDir dir;
    for (const BuiltIn& r : kBuiltIns) {
        SCOPED_TRACE(r.stem);
        ASSERT_EQ(ExtractResource(r.id, Folder(dir), r.stem), 1);
        QFile embedded(QStringLiteral(":/rcad/%1").arg(r.id));
        ASSERT_TRUE(embedded.open(QIODevice::ReadOnly));
        const QByteArray raw = embedded.readAll();
        const std::string scrambled = ReadWholeFile(dir.File(std::string(r.stem) + ".ad"));
        EXPECT_EQ(scrambled, raw.toStdString());
        const bool music = std::strcmp(r.stem, "Music") == 0;
        const std::string plain =
            ReadWholeFile(dir.File(std::string(r.stem) + (music ? ".wav" : ".bmp")));
        ASSERT_EQ(plain.size(), scrambled.size());
        // Stored scrambled: the plain signature must not show in the resource.
        EXPECT_NE(scrambled.substr(0, 2), plain.substr(0, 2));
        EXPECT_EQ(plain.substr(0, music ? 4 : 2), music ? "RIFF" : "BM");
    }
}

TEST(Extract, BuiltInPicturesHaveTheirSizes) {
    TempDir dir;
    struct Expect {
        int id;
        const char* stem;
        int w, h;
    };
    const Expect expects[] = {{154, "BackGround0", 1024, 512}, {10000, "fish0", 256, 128},
                              {10004, "fish4", 256, 128},      {10005, "fish5", 128, 64},
                              {166, "Particle1", 64, 64}};
    for (const Expect& e : expects) {
        SCOPED_TRACE(e.stem);
        ASSERT_EQ(ExtractResource(e.id, Folder(dir), e.stem), 1);
        BitmapInfo info;
        auto rgb = ReadRgbBitmap(dir.File(std::string(e.stem) + ".bmp"), &info);
        ASSERT_NE(rgb, nullptr);
        EXPECT_EQ(info.width, e.w);
        EXPECT_EQ(info.height, e.h);
        EXPECT_EQ(info.bitCount, 24);
    }
}

TEST(Extract, BackgroundHasNoSeeThroughPixels) {
    TempDir dir;
    ASSERT_EQ(ExtractResource(154, Folder(dir), "BackGround0"), 1);
    BitmapInfo info;
    auto rgba = ReadRgbaBitmap(dir.File("BackGround0.bmp"), &info);
    ASSERT_NE(rgba, nullptr);
    const std::size_t pixels = static_cast<std::size_t>(info.width) * info.height;
    std::size_t transparent = 0;
    for (std::size_t i = 0; i < pixels; ++i) transparent += rgba[i * 4 + 3] == 0;
    EXPECT_EQ(transparent, 0u);
}

TEST(Extract, BubbleIsRoundOnBlack) {
    TempDir dir;
    ASSERT_EQ(ExtractResource(166, Folder(dir), "Particle1"), 1);
    BitmapInfo info;
    auto rgb = ReadRgbBitmap(dir.File("Particle1.bmp"), &info);
    ASSERT_NE(rgb, nullptr);
    auto at = [&](int x, int y) { return &rgb[(static_cast<std::size_t>(y) * info.width + x) * 3]; };
    // Corners are black (they add nothing when drawn additively), the rim is lit.
    for (auto [x, y] : {std::pair{0, 0}, {info.width - 1, 0}, {0, info.height - 1}})
        EXPECT_EQ(at(x, y)[0] | at(x, y)[1] | at(x, y)[2], 0);
    const int mid = info.height / 2;
    const int rimX = info.width / 2 - static_cast<int>(info.width * 0.42f);
    EXPECT_GT(at(rimX, mid)[2], 60);
}

TEST(Extract, BuiltInSoundIsASeamlessPcmLoop) {
    TempDir dir;
    ASSERT_EQ(ExtractResource(227, Folder(dir), "Music"), 1);
    const std::string wav = ReadWholeFile(dir.File("Music.wav"));
    ASSERT_GE(wav.size(), 44u);
    EXPECT_LT(wav.size(), 1024u * 1024u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le32(wav, 4), wav.size() - 8);
    EXPECT_EQ(Le16(wav, 20), 1);  // PCM
    const int channels = Le16(wav, 22);
    EXPECT_TRUE(channels == 1 || channels == 2);
    EXPECT_EQ(Le32(wav, 24), 22050u);
    EXPECT_EQ(Le16(wav, 34), 16);
    EXPECT_EQ(wav.substr(36, 4), "data");
    const std::uint32_t dataBytes = Le32(wav, 40);
    ASSERT_EQ(dataBytes, wav.size() - 44);
    const std::size_t frames = dataBytes / (2 * channels);
    EXPECT_GE(frames, 22050u * 2);  // a few seconds

    std::vector<int> s(frames);
    for (std::size_t i = 0; i < frames; ++i)
        s[i] = static_cast<std::int16_t>(Le16(wav, 44 + i * 2 * channels));
    // The jump from the last sample back to the first is no larger than the
    // steps inside the loop, so the repeat does not click.
    int largestStep = 0;
    long long energy = 0;
    for (std::size_t i = 1; i < frames; ++i) {
        largestStep = std::max(largestStep, std::abs(s[i] - s[i - 1]));
        energy += static_cast<long long>(s[i]) * s[i];
    }
    EXPECT_LE(std::abs(s.front() - s.back()), largestStep);
    EXPECT_GT(energy / static_cast<long long>(frames), 500LL * 500LL);  // not silence
}

TEST(Extract, ReplacesALongerLeftOverFileWhole) {
    TempDir dir;
    const std::string junk(300000, 'x');
    WriteWholeFile(dir.File("fish2.ad"), junk);
    WriteWholeFile(dir.File("fish2.bmp"), junk);
    ASSERT_EQ(ExtractResource(10002, Folder(dir), "fish2"), 1);
    QFile embedded(QStringLiteral(":/rcad/10002"));
    ASSERT_TRUE(embedded.open(QIODevice::ReadOnly));
    EXPECT_EQ(ReadWholeFile(dir.File("fish2.ad")), embedded.readAll().toStdString());
    EXPECT_EQ(ReadWholeFile(dir.File("fish2.bmp")).size(), static_cast<std::size_t>(embedded.size()));
}

TEST(Extract, MissingIdWritesNothingAndLeavesLeftOversAlone) {
    TempDir dir;
    EXPECT_EQ(ExtractResource(155, Folder(dir), "Particle2"), 0);
    EXPECT_EQ(ExtractResource(999999, Folder(dir), "nothing"), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

    // A picture of that name already in the folder stays for the loader to read.
    ASSERT_EQ(ExtractResource(10000, Folder(dir), "fish0"), 1);
    const std::string picture = ReadWholeFile(dir.File("fish0.bmp"));
    EXPECT_EQ(ExtractResource(10019, Folder(dir), "fish0"), 0);
    EXPECT_EQ(ReadWholeFile(dir.File("fish0.bmp")), picture);
    BitmapInfo info;
    EXPECT_NE(ReadRgbBitmap(dir.File("fish0.bmp"), &info), nullptr);
    EXPECT_EQ(info.width, 256);
}

TEST(ExtractDeathTest, UnwritableFolderDoesNotEndSilently) {
    TempDir dir;
    const std::string missingFolder = dir.File("no/such/folder/");
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            ExtractResource(154, missingFolder, "BackGround0");
            std::exit(0);
        },
        ExitedWithFailure, "cannot open infile");
}

TEST(Extract, DeleteRemovesTheFileAndIgnoresAbsentOnes) {
    TempDir dir;
    ASSERT_EQ(ExtractResource(166, Folder(dir), "Particle1"), 1);
    DeleteExtractedFile(dir.File("Particle1.ad"));
    DeleteExtractedFile(dir.File("Particle1.bmp"));
    DeleteExtractedFile(dir.File("never-was.bmp"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(Extract, TheProgramItselfCarriesTheResources) {
    // The same scrambled bytes the tests read must be linked into tidemere.
    const std::string binary = ReadWholeFile(TIDEMERE_BINARY);
    ASSERT_FALSE(binary.empty()) << "build the tidemere target first";
    for (int id : {154, 10003, 227}) {
        QFile embedded(QStringLiteral(":/rcad/%1").arg(id));
        ASSERT_TRUE(embedded.open(QIODevice::ReadOnly));
        const std::string head = embedded.read(256).toStdString();
        EXPECT_NE(binary.find(head), std::string::npos) << "resource " << id;
    }
}
