#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "scene/BmpTestFiles.h"
#include "scene/Textures.h"
#include "support/GlTestContext.h"
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
    std::string Write(const std::string& bytes) {
        WriteWholeFile(dir_.File("t.bmp"), bytes);
        return dir_.File("t.bmp");
    }

    GlTestContext context_{64, 64};
    TempDir dir_;
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
        CreateBitmapTexture(Write(MakeBmp24(w, h, colour)), &tex);
        ASSERT_EQ(Level(GL_TEXTURE_WIDTH), tw);
        ASSERT_EQ(Level(GL_TEXTURE_HEIGHT), th);
        const auto texels = Texels();
        for (std::size_t i = 0; i < texels.size() / 4; i += 37)
            ExpectTexel(texels, i, colour(i % tw, i / tw));
    }
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
        CreateBitmapTexture(Write(WithLongerInfoHeader(MakeBmp24(4, 4, Pattern), infoSize, 8)),
                            &tex);
        auto texels = Texels();
        ASSERT_EQ(texels.size(), 4u * 4 * 4);
        for (std::size_t i = 0; i < 16; ++i) ExpectTexel(texels, i, Pattern(i % 4, i / 4));

        CreateBitmapTexture(Write(WithLongerInfoHeader(MakeBmp(eight, indices), infoSize, 4)),
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
        const std::string path = Write(bytes);
        EXPECT_EQ(ReadRgbBitmap(path, nullptr), nullptr);
        EXPECT_EQ(ReadRgbaBitmap(path, nullptr), nullptr);
        GLuint tex = 0;
        CreateMipmappedTexture(path, &tex);
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 0);
        CreateBitmapTexture(path, &tex);
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 0);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

