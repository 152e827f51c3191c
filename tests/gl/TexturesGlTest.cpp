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
    void SetUp() override {
        context_ = std::make_unique<GlTestContext>(64, 64);
        ASSERT_TRUE(context_->Valid());
        context_->MakeCurrent();
    }

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
    // Level 0 of the bound texture as tightly packed RGBA bytes.
    static std::vector<std::uint8_t> Texels(int level = 0) {
        std::vector<std::uint8_t> out(static_cast<std::size_t>(Level(GL_TEXTURE_WIDTH, level)) *
                                      Level(GL_TEXTURE_HEIGHT, level) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
        return out;
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        WriteWholeFile(dir_.File(name), bytes);
        return dir_.File(name);
    }

    TempDir dir_;
    std::unique_ptr<GlTestContext> context_;
};

std::uint32_t Pattern(int x, int y) {
    return static_cast<std::uint32_t>((x * 7) & 0xff) << 16 | ((y * 13) & 0xff) << 8 | 0x40;
}

}  // namespace

TEST_F(TexturesGl, PowerOfTwoPictureIsUploadedUnchanged) {
    GLuint tex = 0;
    CreateBitmapTexture(Write("p.bmp", MakeBmp24(256, 128, Pattern)), &tex);
    ASSERT_NE(tex, 0u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), tex);
    EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 256);
    EXPECT_EQ(Level(GL_TEXTURE_HEIGHT), 128);
    EXPECT_EQ(Param(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(Param(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    const auto texels = Texels();
    for (auto [x, y] : {std::pair{0, 0}, {255, 0}, {0, 127}, {100, 77}, {255, 127}}) {
        const std::uint32_t c = Pattern(x, y);
        const std::uint8_t* t = &texels[(static_cast<std::size_t>(y) * 256 + x) * 4];
        EXPECT_EQ(t[0], (c >> 16) & 0xff) << x << "," << y;
        EXPECT_EQ(t[1], (c >> 8) & 0xff) << x << "," << y;
        EXPECT_EQ(t[2], c & 0xff) << x << "," << y;
    }
}

TEST_F(TexturesGl, BuiltInSkinLoadsWithItsOwnColours) {
    ASSERT_EQ(ExtractResource(10001, dir_.Path() + "/", "fish1"), 1);
    const std::string path = dir_.File("fish1.bmp");
    BitmapInfo info;
    auto rgb = ReadRgbBitmap(path, &info);
    ASSERT_NE(rgb, nullptr);
    GLuint tex = 0;
    CreateBitmapTexture(path, &tex);
    ASSERT_EQ(Level(GL_TEXTURE_WIDTH), 256);
    ASSERT_EQ(Level(GL_TEXTURE_HEIGHT), 128);
    const auto texels = Texels();
    for (std::size_t i = 0; i < 256u * 128u; i += 97) {
        ASSERT_EQ(texels[i * 4], rgb[i * 3]) << "texel " << i;
        ASSERT_EQ(texels[i * 4 + 1], rgb[i * 3 + 1]) << "texel " << i;
        ASSERT_EQ(texels[i * 4 + 2], rgb[i * 3 + 2]) << "texel " << i;
    }
}

TEST_F(TexturesGl, OddSizesAreScaledToPowersOfTwo) {
    struct Case {
        int w, h, tw, th;
    };
    for (const Case& c : {Case{300, 100, 512, 128}, Case{1, 1, 2, 2}, Case{1024, 1024, 512, 512},
                          Case{3, 5, 4, 8}}) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        GLuint tex = 0;
        // One colour everywhere, so scaling must keep it exactly.
        CreateBitmapTexture(Write("odd.bmp", MakeBmp24(c.w, c.h, [](int, int) { return 0x3c7da2u; })), &tex);
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH), c.tw);
        EXPECT_EQ(Level(GL_TEXTURE_HEIGHT), c.th);
        const auto texels = Texels();
        for (std::size_t i = 0; i < texels.size() / 4; i += 7) {
            ASSERT_NEAR(texels[i * 4], 0x3c, 1);
            ASSERT_NEAR(texels[i * 4 + 1], 0x7d, 1);
            ASSERT_NEAR(texels[i * 4 + 2], 0xa2, 1);
        }
    }
}

TEST_F(TexturesGl, ThirtyTwoBitKeepsItsAlpha) {
    std::string pixels;
    for (int i = 0; i < 4; ++i) pixels += std::string("\x10\x20\x30\x80", 4);  // B G R A
    BmpSpec spec;
    spec.bitCount = 32;
    GLuint tex = 0;
    CreateBitmapTexture(Write("a.bmp", MakeBmp(spec, pixels)), &tex);
    ASSERT_EQ(Level(GL_TEXTURE_WIDTH), 2);
    const auto texels = Texels();
    EXPECT_EQ(texels[0], 0x30);
    EXPECT_EQ(texels[1], 0x20);
    EXPECT_EQ(texels[2], 0x10);
    EXPECT_EQ(texels[3], 0x80);
}

TEST_F(TexturesGl, PaletteImagesGoThroughTheirPalette) {
    // Colours used 0 means a full 256-entry table, and the pixels follow it.
    BmpSpec full;
    full.width = 4;
    full.height = 2;
    full.bitCount = 8;
    full.palette.assign(256, 0x00808080);
    full.palette[1] = 0x00ff0000;  // red  (stored B, G, R, 0 -> 0x00RRGGBB)
    full.palette[2] = 0x000000ff;  // blue
    const std::string rows = std::string("\x01\x02\x01\x02", 4) + std::string("\x02\x02\x01\x01", 4);
    GLuint tex = 0;
    CreateBitmapTexture(Write("p8.bmp", MakeBmp(full, rows)), &tex);
    ASSERT_EQ(Level(GL_TEXTURE_WIDTH), 4);
    ASSERT_EQ(Level(GL_TEXTURE_HEIGHT), 2);
    auto texels = Texels();
    const bool red[8] = {true, false, true, false, false, false, true, true};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(texels[i * 4], red[i] ? 255 : 0) << "texel " << i;
        EXPECT_EQ(texels[i * 4 + 2], red[i] ? 0 : 255) << "texel " << i;
    }

    // A short table: only as many entries as colours used, pixels right after.
    BmpSpec shortTable = full;
    shortTable.colorsUsed = 3;
    shortTable.palette.resize(3);
    CreateBitmapTexture(Write("p3.bmp", MakeBmp(shortTable, rows)), &tex);
    ASSERT_EQ(Level(GL_TEXTURE_WIDTH), 4);
    texels = Texels();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(texels[i * 4], red[i] ? 255 : 0) << "texel " << i;
}

TEST_F(TexturesGl, PaletteWithOddWidthUsesPaddedRows) {
    BmpSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.bitCount = 8;
    spec.colorsUsed = 2;
    spec.palette = {0x00000000, 0x0000ff00};  // black, green
    // Each 3-byte row is padded to 4.
    const std::string rows = std::string("\x01\x00\x01\x00", 4) + std::string("\x00\x01\x00\x00", 4);
    GLuint tex = 0;
    CreateBitmapTexture(Write("odd8.bmp", MakeBmp(spec, rows)), &tex);
    ASSERT_EQ(Level(GL_TEXTURE_WIDTH), 4);
    ASSERT_EQ(Level(GL_TEXTURE_HEIGHT), 2);
    const auto texels = Texels();
    // Scaled 3 -> 4 across, so compare the ends, which sample the source ends.
    EXPECT_GT(texels[0 * 4 + 1], 200);        // bottom left green
    EXPECT_GT(texels[3 * 4 + 1], 200);        // bottom right green
    EXPECT_LT(texels[4 * 4 + 1], 60);         // top left black
    EXPECT_LT(texels[7 * 4 + 1], 60);         // top right black
}

TEST_F(TexturesGl, BrokenFilesLeaveTheTextureEmpty) {
    BmpSpec badPalette;
    badPalette.bitCount = 8;
    badPalette.colorsUsed = 200;  // 800 bytes of table, none there
    BmpSpec hugePalette;
    hugePalette.bitCount = 8;
    hugePalette.colorsUsed = 0x40000000;
    std::string good = MakeBmp24(4, 4, Pattern);
    const std::string cases[] = {
        good.substr(0, 14),
        good.substr(0, 60),
        [&] { std::string f = good; PatchLe(f, bmpfield::kImageSize, 5000, 4); return f; }(),
        [&] { std::string f = good; PatchLe(f, bmpfield::kWidth, 0, 4); return f; }(),
        [&] { std::string f = good; PatchLe(f, bmpfield::kHeight, static_cast<std::uint32_t>(-4), 4); return f; }(),
        [&] { std::string f = good; PatchLe(f, bmpfield::kWidth, 0x7fffffff, 4); return f; }(),
        [&] { std::string f = good; PatchLe(f, bmpfield::kBitCount, 4, 2); return f; }(),
        [&] { std::string f = good; PatchLe(f, bmpfield::kOffset, 99999, 4); return f; }(),
        MakeBmp(badPalette, std::string(8, '\0')),
        MakeBmp(hugePalette, std::string(8, '\0')),
    };
    int index = 0;
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(index++);
        GLuint tex = 0;
        CreateBitmapTexture(Write("bad.bmp", bytes), &tex);
        EXPECT_NE(tex, 0u);
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 0);
        GLuint mip = 0;
        CreateMipmappedTexture(Write("bad.bmp", bytes), &mip);
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 0);
    }
    GLuint tex = 0;
    CreateBitmapTexture(dir_.File("missing.bmp"), &tex);
    EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TexturesGl, MipmappedTextureMakesBlackTransparent) {
    // Black on the left half, a colour on the right.
    const auto colour = [](int x, int) -> std::uint32_t { return x < 16 ? 0x000000 : 0x2080c0; };
    GLuint tex = 0;
    CreateMipmappedTexture(Write("m.bmp", MakeBmp24(32, 16, colour)), &tex);
    ASSERT_NE(tex, 0u);
    EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 32);
    EXPECT_EQ(Level(GL_TEXTURE_HEIGHT), 16);
    EXPECT_EQ(Level(GL_TEXTURE_WIDTH, 1), 16);  // there are smaller levels
    EXPECT_EQ(Param(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(Param(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(Param(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(Param(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    const auto texels = Texels();
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            const std::uint8_t* t = &texels[(y * 32 + x) * 4];
            if (x < 16) {
                ASSERT_EQ(t[3], 0) << x << "," << y;
            } else {
                ASSERT_EQ(t[3], 255) << x << "," << y;
                ASSERT_EQ(t[0], 0x20);
                ASSERT_EQ(t[2], 0xc0);
            }
        }
    }
}

TEST_F(TexturesGl, BuiltInBackgroundBecomesAnOpaqueMipmappedTexture) {
    ASSERT_EQ(ExtractResource(154, dir_.Path() + "/", "BackGround0"), 1);
    GLuint tex = 0;
    CreateMipmappedTexture(dir_.File("BackGround0.bmp"), &tex);
    EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 1024);
    EXPECT_EQ(Level(GL_TEXTURE_HEIGHT), 512);
    const auto texels = Texels();
    std::size_t transparent = 0;
    long long blueTop = 0, blueBottom = 0, redBottom = 0;
    for (std::size_t i = 0; i < texels.size() / 4; ++i) transparent += texels[i * 4 + 3] == 0;
    for (int x = 0; x < 1024; ++x) {
        blueTop += texels[((511 - 20) * 1024 + x) * 4 + 2];  // near the surface
        blueBottom += texels[(10 * 1024 + x) * 4 + 2];       // the floor
        redBottom += texels[(10 * 1024 + x) * 4];
    }
    EXPECT_EQ(transparent, 0u);
    // Water above, blue and bright; sand below, warmer than it is blue.
    EXPECT_GT(blueTop / 1024, 150);
    EXPECT_GT(redBottom, blueBottom);
}
