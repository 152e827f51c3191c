#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "scene/BmpTestFiles.h"
#include "scene/Resources.h"
#include "scene/Textures.h"
#include "support/GlTestContext.h"
#include "support/TempDir.h"

namespace {

class TexturesGl : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(context_.Valid()); }

    static GLint Level(GLenum what, int level = 0) {
        GLint v = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, what, &v);
        return v;
    }
    static GLint Param(GLenum what) {
        GLint v = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, what, &v);
        return v;
    }
    // Level 0 of the bound texture as tightly packed RGBA bytes, bottom row first.
    static std::vector<std::uint8_t> Texels() {
        std::vector<std::uint8_t> out(std::size_t(Level(GL_TEXTURE_WIDTH)) * Level(GL_TEXTURE_HEIGHT) * 4);
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

std::uint32_t Pattern(int x, int y) { return std::uint32_t((x * 7) & 0xff) << 16 | ((y * 13) & 0xff) << 8 | 0x40; }

// Expects texel i to be 0xRRGGBB (within one step of rounding).
void ExpectTexel(const std::vector<std::uint8_t>& t, std::size_t i, std::uint32_t rgb) {
    for (int k = 0; k < 3; ++k)
        ASSERT_NEAR(t[i * 4 + k], (rgb >> (16 - 8 * k)) & 0xff, 1) << "texel " << i << " channel " << k;
}

}  // namespace

TEST_F(TexturesGl, BitmapTexturesArePowersOfTwoWithTheirTexels) {
    struct Case {
        int w, h, tw, th;
    };
    for (const Case& c : {Case{256, 128, 256, 128}, Case{300, 100, 512, 128}, Case{1024, 1024, 512, 512},
                          Case{1, 1, 2, 2}, Case{3, 5, 4, 8}}) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        // Unscaled pictures keep every texel; scaled ones are one colour, which scaling keeps.
        const bool same = c.w == c.tw && c.h == c.th;
        const auto colour = [same](int x, int y) { return same ? Pattern(x, y) : 0x3c7da2u; };
        GLuint tex = 0;
        CreateBitmapTexture(Write(MakeBmp24(c.w, c.h, colour)), &tex);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        ASSERT_NE(tex, 0u);
        EXPECT_EQ(GLuint(bound), tex);
        ASSERT_EQ(Level(GL_TEXTURE_WIDTH), c.tw);
        ASSERT_EQ(Level(GL_TEXTURE_HEIGHT), c.th);
        EXPECT_EQ(Param(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
        EXPECT_EQ(Param(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        const auto texels = Texels();
        for (std::size_t i = 0; i < texels.size() / 4; i += 37) ExpectTexel(texels, i, colour(i % c.tw, i / c.tw));
    }
}

TEST_F(TexturesGl, ThirtyTwoBitAndPaletteBitmaps) {
    BmpSpec argb;  // 2 x 2, B G R A each
    argb.bitCount = 32;
    GLuint tex = 0;
    CreateBitmapTexture(Write(MakeBmp(argb, std::string(16, '\0').replace(0, 4, "\x10\x20\x30\x80", 4))), &tex);
    auto texels = Texels();
    ASSERT_EQ(texels.size(), 16u);
    EXPECT_EQ(texels[0] << 24 | texels[1] << 16 | texels[2] << 8 | texels[3], 0x30201080) << "alpha kept";

    // Colours used 0: a full 256-entry table, the pixels 1024 bytes after the headers.
    BmpSpec full;
    full.width = 4;
    full.bitCount = 8;
    full.palette.assign(256, 0x808080);
    full.palette[1] = 0xff0000;
    full.palette[2] = 0x0000ff;
    CreateBitmapTexture(Write(MakeBmp(full, std::string("\x01\x02\x01\x02\x02\x02\x01\x01", 8))), &tex);
    texels = Texels();
    ASSERT_EQ(texels.size(), 4u * 2 * 4);
    const bool red[8] = {true, false, true, false, false, false, true, true};
    for (int i = 0; i < 8; ++i) ExpectTexel(texels, i, red[i] ? 0xff0000 : 0x0000ff);

    // A short table (2 entries, pixels right after it), odd width: rows padded to 4 bytes.
    BmpSpec odd;
    odd.width = 3;
    odd.bitCount = 8;
    odd.colorsUsed = 2;
    odd.palette = {0x000000, 0x00ff00};
    CreateBitmapTexture(Write(MakeBmp(odd, std::string("\x01\x00\x01\x00\x00\x01\x00\x00", 8))), &tex);
    texels = Texels();
    ASSERT_EQ(texels.size(), 4u * 2 * 4);
    // Scaled 3 -> 4 across: the ends sample the source ends, green below, black above.
    for (int i : {0, 3}) EXPECT_GT(texels[i * 4 + 1], 200) << "texel " << i;
    for (int i : {4, 7}) EXPECT_LT(texels[i * 4 + 1], 60) << "texel " << i;
}

TEST_F(TexturesGl, MalformedBitmapsGiveNoImageAndNoCrash) {
    const std::string good = MakeBmp24(3, 2, Pattern);
    const std::size_t pixels = good.size() - 54;
    BmpSpec palette;
    palette.bitCount = 8;
    const auto eightBit = [&](std::uint32_t used, std::size_t written) {
        palette.colorsUsed = used;
        palette.palette.assign(written, 0xffffff);
        return MakeBmp(palette, std::string(8, '\0'));
    };
    const struct {
        const char* name;
        std::string bytes;
        bool texture;  // the texture builder reads it anyway (it loads 8-bit and ignores the offset)
    } cases[] = {
        {"empty", "", false},
        {"only the file header", good.substr(0, 14), false},
        {"headers cut short", good.substr(0, 40), false},
        {"no pixels", good.substr(0, 54), false},
        {"pixels cut short", good.substr(0, 54 + pixels - 4), false},
        {"pixels cut short, image size 0", PatchLe(good.substr(0, 54 + pixels - 4), bmpfield::kImageSize, 0), false},
        {"not BM", PatchLe(good, 0, 'P', 1), false},
        {"image size larger than the file", PatchLe(good, bmpfield::kImageSize, 1000), false},
        {"image size huge", PatchLe(good, bmpfield::kImageSize, 0xfffffff0u), false},
        {"image size smaller than the rows", PatchLe(good, bmpfield::kImageSize, 12), false},
        {"offset past the end", PatchLe(good, bmpfield::kOffset, 5000), false},
        {"offset huge", PatchLe(good, bmpfield::kOffset, 0xffffffffu), false},
        {"offset inside the headers", PatchLe(good, bmpfield::kOffset, 20), true},
        {"width 0", PatchLe(good, bmpfield::kWidth, 0), false},
        {"height 0", PatchLe(good, bmpfield::kHeight, 0), false},
        {"negative width", PatchLe(good, bmpfield::kWidth, std::uint32_t(-3)), false},
        {"negative height", PatchLe(good, bmpfield::kHeight, std::uint32_t(-2)), false},
        {"absurd width", PatchLe(good, bmpfield::kWidth, 0x40000000u), false},
        {"absurd height", PatchLe(good, bmpfield::kHeight, 0x7fffffffu), false},
        {"wide enough to overrun the data", PatchLe(good, bmpfield::kWidth, 4000), false},
        {"0 bits", PatchLe(good, bmpfield::kBitCount, 0, 2), false},
        {"4 bits", PatchLe(good, bmpfield::kBitCount, 4, 2), false},
        {"16 bits", PatchLe(good, bmpfield::kBitCount, 16, 2), false},
        {"compressed", PatchLe(good, bmpfield::kCompression, 1), false},
        {"8 bits: not RGB for the readers", eightBit(1, 1), true},
        {"8 bits, palette missing", eightBit(200, 0), false},
        {"8 bits, palette beyond 256", eightBit(0x40000000, 0), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(c.bytes);
        BitmapInfo info;
        EXPECT_EQ(ReadRgbBitmap(path, &info), nullptr);
        EXPECT_EQ(ReadRgbaBitmap(path, nullptr), nullptr);
        GLuint tex = 0;
        CreateMipmappedTexture(path, &tex);
        EXPECT_NE(tex, 0u);
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 0);
        CreateBitmapTexture(path, &tex);
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH) > 0, c.texture);
    }
    BitmapInfo info;
    EXPECT_EQ(ReadRgbBitmap(dir_.File("missing.bmp"), &info), nullptr);
    GLuint tex = 0;
    CreateBitmapTexture(dir_.File("missing.bmp"), &tex);
    EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TexturesGl, MipmappedTexturesMakeBlackTransparent) {
    // Black on the left half; on the right one colour below and another above.
    const auto colour = [](int x, int y) -> std::uint32_t { return x < 16 ? 0 : y < 8 ? 0x2080c0 : 0xc08020; };
    GLuint tex = 0;
    CreateMipmappedTexture(Write(MakeBmp24(32, 16, colour)), &tex);
    ASSERT_NE(tex, 0u);
    ASSERT_EQ(Level(GL_TEXTURE_WIDTH), 32);
    ASSERT_EQ(Level(GL_TEXTURE_HEIGHT), 16);
    EXPECT_EQ(Level(GL_TEXTURE_WIDTH, 1), 16) << "there are smaller levels";
    EXPECT_EQ(Param(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(Param(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(Param(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(Param(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    const auto texels = Texels();
    for (std::size_t i = 0; i < 32 * 16; ++i) {
        ExpectTexel(texels, i, colour(i % 32, i / 32));
        ASSERT_EQ(texels[i * 4 + 3], i % 32 < 16 ? 0 : 255) << "texel " << i;
    }

    // The built-in backdrop: full size and opaque everywhere.
    ASSERT_EQ(ExtractResource(154, dir_.Path() + "/", "BackGround0"), 1);
    CreateMipmappedTexture(dir_.File("BackGround0.bmp"), &tex);
    ASSERT_EQ(Level(GL_TEXTURE_WIDTH), 1024);
    ASSERT_EQ(Level(GL_TEXTURE_HEIGHT), 512);
    const auto backdrop = Texels();
    for (std::size_t i = 0; i < 1024 * 512; ++i) ASSERT_NE(backdrop[i * 4 + 3], 0) << "texel " << i;
}
