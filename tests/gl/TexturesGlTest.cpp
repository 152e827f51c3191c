#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "platform/Folders.h"
#include "scene/BmpTestFiles.h"
#include "scene/Resources.h"
#include "scene/Textures.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTank.h"
#include "support/TempDir.h"

namespace {

class TexturesGl : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(context_.Valid()); }

    static GLint Level(GLenum what) {
        GLint v = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &v);
        return v;
    }
    // Level 0 of the bound texture as tightly packed RGBA bytes, bottom row first.
    static std::vector<std::uint8_t> Texels() {
        std::vector<std::uint8_t> out(std::size_t(Level(GL_TEXTURE_WIDTH)) *
                                      Level(GL_TEXTURE_HEIGHT) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
        return out;
    }
    static GLint Parameter(GLenum what) {
        GLint v = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, what, &v);
        return v;
    }

    GlTestContext context_{64, 64};
};

std::uint32_t Pattern(int x, int y) {
    return std::uint32_t((x * 7) & 0xff) << 16 | ((y * 13) & 0xff) << 8 | 0x40;
}

// Expects texel i to be 0xRRGGBB (within one step of rounding).
void ExpectTexel(const std::vector<std::uint8_t>& t, std::size_t i, std::uint32_t rgb) {
    for (int k = 0; k < 3; ++k)
        ASSERT_NEAR(t[i * 4 + k], (rgb >> (16 - 8 * k)) & 0xff, 1)
            << "texel " << i << " channel " << k;
}

}  // namespace

TEST_F(TexturesGl, BitmapTexturesArePowersOfTwoWithTheirTexels) {
    // width, height, texture width, texture height
    const int cases[][4] = {
        {256, 128, 256, 128}, {300, 100, 512, 128}, {1024, 1024, 512, 512}, {1, 1, 2, 2}};
    for (const auto& [w, h, tw, th] : cases) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        // Unscaled pictures keep every texel; scaled ones are one colour, which scaling keeps.
        const bool same = w == tw && h == th;
        const auto colour = [same](int x, int y) { return same ? Pattern(x, y) : 0x3c7da2u; };
        GLuint tex = 0;
        CreateBitmapTexture(AsBmpBytes(MakeBmp24(w, h, colour)), &tex);
        ASSERT_EQ(Level(GL_TEXTURE_WIDTH), tw);
        ASSERT_EQ(Level(GL_TEXTURE_HEIGHT), th);
        const auto texels = Texels();
        for (std::size_t i = 0; i < texels.size() / 4; i += 37)
            ExpectTexel(texels, i, colour(i % tw, i / tw));
    }
}

// Every level of the bound texture, each as tight RGBA bytes.
std::vector<std::vector<std::uint8_t>> AllLevels() {
    std::vector<std::vector<std::uint8_t>> levels;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (GLint n = 0;; ++n) {
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, n, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, n, GL_TEXTURE_HEIGHT, &h);
        if (w == 0 || h == 0) return levels;
        levels.emplace_back(std::size_t(w) * h * 4);
        glGetTexImage(GL_TEXTURE_2D, n, GL_RGBA, GL_UNSIGNED_BYTE, levels.back().data());
    }
}

TEST_F(TexturesGl, MipmapLevelsHoldTheTexelsGluBuilds) {
    // Noise makes odd sums, so any change in rounding shows; then a single
    // row, a single column, a size GLU must scale first, and the backdrop.
    const auto noise = [](int x, int y) {
        const std::uint32_t v = std::uint32_t(x) * 2654435761u ^ std::uint32_t(y) * 40503u;
        return (v ^ v >> 13) & 0xffffff;
    };
    const std::pair<const char*, std::string> cases[] = {
        {"64x16", MakeBmp24(64, 16, noise)}, {"16x1", MakeBmp24(16, 1, noise)},
        {"1x8", MakeBmp24(1, 8, noise)},     {"12x5", MakeBmp24(12, 5, noise)},
        {"backdrop", LoadResourceBytes(154)}};
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        GLuint ours = 0, glu = 0;
        CreateMipmappedTexture(AsBmpBytes(bytes), &ours);
        const auto got = AllLevels();
        BitmapInfo info;
        const auto rgba = ReadRgbaBitmap(AsBmpBytes(bytes), &info);
        ASSERT_TRUE(rgba);
        glGenTextures(1, &glu);
        glBindTexture(GL_TEXTURE_2D, glu);
        gluBuild2DMipmaps(GL_TEXTURE_2D, 4, info.width, info.height, GL_RGBA, GL_UNSIGNED_BYTE,
                          rgba.get());
        const auto want = AllLevels();
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t n = 0; n < got.size(); ++n) EXPECT_EQ(got[n], want[n]) << "level " << n;
        glDeleteTextures(1, &ours);
        glDeleteTextures(1, &glu);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The same picture with a 108- or 124-byte information header and `gap`
// stray bytes before the pixels, the offset field saying where they start.
std::string WithLongerInfoHeader(const std::string& bmp, std::uint32_t infoSize, std::size_t gap) {
    const std::size_t oldOffset = std::uint8_t(bmp[10]) | std::uint8_t(bmp[11]) << 8;
    const std::size_t extra = infoSize - 40;
    std::string out = bmp.substr(0, 54) + std::string(extra, '\0') +
                      bmp.substr(54, oldOffset - 54) + std::string(gap, '\xaa') +
                      bmp.substr(oldOffset);
    out = PatchLe(out, 2, std::uint32_t(out.size()));
    out = PatchLe(out, bmpfield::kOffset, std::uint32_t(oldOffset + extra + gap));
    return PatchLe(out, 14, infoSize);
}

TEST_F(TexturesGl, LongerInfoHeadersAndAGapBeforeThePixelsReadTheSameTexels) {
    // Colours used 0: a full table.
    BmpSpec eight{4, 2, 8, std::vector<std::uint32_t>(256, 0x808080)};
    eight.palette[1] = 0xff0000;
    eight.palette[2] = 0x0000ff;
    const std::string indices("\x01\x02\x01\x02\x02\x02\x01\x01", 8);
    for (const std::uint32_t infoSize : {108u, 124u}) {
        SCOPED_TRACE(infoSize);
        GLuint tex = 0;
        CreateBitmapTexture(AsBmpBytes(WithLongerInfoHeader(MakeBmp24(4, 4, Pattern), infoSize, 8)),
                            &tex);
        auto texels = Texels();
        ASSERT_EQ(texels.size(), 4u * 4 * 4);
        for (std::size_t i = 0; i < 16; ++i) ExpectTexel(texels, i, Pattern(i % 4, i / 4));

        CreateBitmapTexture(AsBmpBytes(WithLongerInfoHeader(MakeBmp(eight, indices), infoSize, 4)),
                            &tex);
        texels = Texels();
        ASSERT_EQ(texels.size(), 4u * 2 * 4);
        for (int i = 0; i < 8; ++i) ExpectTexel(texels, i, indices[i] == 1 ? 0xff0000 : 0x0000ff);
    }
}

TEST_F(TexturesGl, MalformedBitmapsGiveNoImageAndNoCrash) {
    const std::string good = MakeBmp24(3, 2, Pattern);
    const std::string short_ = good.substr(0, good.size() - 4);
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"headers cut short", good.substr(0, 40)},
        {"pixels cut short", short_},
        {"pixels cut short, image size 0", PatchLe(short_, bmpfield::kImageSize, 0)},
        {"image size larger than the file", PatchLe(good, bmpfield::kImageSize, 1000)},
        {"offset past the end", PatchLe(good, bmpfield::kOffset, 5000)},
        {"offset inside the headers", PatchLe(good, bmpfield::kOffset, 20)},
        {"width 0", PatchLe(good, bmpfield::kWidth, 0)},
        {"height 0", PatchLe(good, bmpfield::kHeight, 0)},
        {"negative width", PatchLe(good, bmpfield::kWidth, std::uint32_t(-3))},
        {"negative height", PatchLe(good, bmpfield::kHeight, std::uint32_t(-2))},
        {"absurd width", PatchLe(good, bmpfield::kWidth, 0x40000000u)},
        {"absurd height", PatchLe(good, bmpfield::kHeight, 0x7fffffffu)},
        {"16 bits", PatchLe(good, bmpfield::kBitCount, 16, 2)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        const BmpBytes bmp = AsBmpBytes(bytes);
        EXPECT_EQ(ReadRgbBitmap(bmp, nullptr), nullptr);
        EXPECT_EQ(ReadRgbaBitmap(bmp, nullptr), nullptr);
        GLuint tex = 0;
        CreateMipmappedTexture(bmp, &tex);
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 0);
        CreateBitmapTexture(bmp, &tex);
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 0);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TexturesGl, BuiltinPicturesUploadFromMemoryWithTheirOwnPixelsAndFilters) {
    // The backdrop: every texel of its 24-bit picture, pure black see-through, mipmapped.
    const std::string backdrop = LoadResourceBytes(154);
    BitmapInfo info;
    const auto rgba = ReadRgbaBitmap(AsBmpBytes(backdrop), &info);
    ASSERT_TRUE(rgba);
    GLuint tex = 0;
    CreateMipmappedTexture(AsBmpBytes(backdrop), &tex);
    ASSERT_EQ(std::tuple(Level(GL_TEXTURE_WIDTH), Level(GL_TEXTURE_HEIGHT)),
              std::tuple(info.width, info.height));
    const auto texels = Texels();
    ASSERT_TRUE(std::equal(texels.begin(), texels.end(), rgba.get()));
    GLint level1 = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
    EXPECT_EQ(level1, info.width / 2);
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(Parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(Parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);

    // A fish skin: one level of linear-filtered texels at a power of two up to 512.
    for (const int id : {10000, 10004, 10005, 166}) {
        SCOPED_TRACE(id);
        const std::string skin = LoadResourceBytes(id);
        ASSERT_GT(skin.size(), 54u);
        const auto field = [&](std::size_t at) {
            return int(std::uint8_t(skin[at]) | std::uint8_t(skin[at + 1]) << 8);
        };
        CreateBitmapTexture(AsBmpBytes(skin), &tex);
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH), TextureTargetSize(field(bmpfield::kWidth), 512));
        EXPECT_EQ(Level(GL_TEXTURE_HEIGHT), TextureTargetSize(field(bmpfield::kHeight), 512));
        EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

namespace {

class BuiltinTank : public OffscreenTank {
protected:
    BuiltinTank() : OffscreenTank(64, 64) {}
};

// Names of the entries made in `dirs` while `run` runs, even those removed again.
template <class Run>
std::vector<std::string> EntriesMadeDuring(const std::vector<std::string>& dirs, Run run) {
    const int fd = inotify_init1(IN_NONBLOCK);
    for (const std::string& d : dirs)
        inotify_add_watch(fd, d.c_str(), IN_CREATE | IN_MOVED_TO);
    run();
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        for (char* p = buffer; p < buffer + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            names.push_back(e->len ? e->name : "?");
            p += sizeof(inotify_event) + e->len;
        }
    close(fd);
    return names;
}

}  // namespace

// The built-in pictures need no disk: starting the tank makes no file in the
// temp or the settings folder, not even for a moment, and every built-in
// texture has its picture, the prey all sharing one.
TEST_F(BuiltinTank, StartsWithoutMakingAFileAndEveryBuiltinTextureHasItsPicture) {
    TempDir temp;
    ScopedEnv tmp("TMPDIR", temp.Path());
    WriteCompleteSettingsFile();
    const std::vector<std::string> made =
        EntriesMadeDuring({temp.Path(), WindowsFolder()}, [this] { StartTank(3); });
    EXPECT_TRUE(made.empty()) << made.front();
    std::vector<GLuint> textures(std::begin(scene->FishTextures), std::end(scene->FishTextures));
    textures.push_back(scene->BackgroundTexture);
    textures.push_back(scene->Bubbles.Texture);
    textures.push_back(scene->Food[0].Texture);
    for (const FoodFish& food : scene->Food)
        EXPECT_EQ(food.Texture, scene->Food[0].Texture);
    for (const GLuint t : textures) {
        glBindTexture(GL_TEXTURE_2D, t);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_GE(width, 2) << "texture " << t;
    }
}
