#include "scene/Textures.h"

#include <GL/glu.h>

#include <QOpenGLContext>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
// Larger than any texture we could upload; a bigger side means a broken header.
constexpr std::int32_t kMaxSide = 16384;

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Bytes in one stored row: rows are padded to whole 32-bit words.
std::size_t PaddedRow(int bits, std::int32_t width) {
    return ((static_cast<std::size_t>(bits) * static_cast<std::size_t>(width) + 31) / 32) * 4;
}

struct ParsedBitmap {
    BitmapInfo info;
    std::uint32_t pixelOffset = 0;
    std::uint32_t infoHeaderSize = 0;
    std::uint32_t compression = 0;
};

// Reads both headers and checks the parts every reader relies on: the
// signature, sane dimensions, an uncompressed layout and an offset inside the file.
bool ParseHeaders(BmpBytes file, ParsedBitmap* out) {
    if (file.size() < kHeadersSize) return false;
    const std::uint8_t* p = file.data();
    if (p[0] != 'B' || p[1] != 'M') return false;
    out->pixelOffset = U32(p + 10);
    const std::uint8_t* h = p + kFileHeaderSize;
    out->info.width = static_cast<std::int32_t>(U32(h + 4));
    out->info.height = static_cast<std::int32_t>(U32(h + 8));
    out->info.bitCount = U16(h + 14);
    out->compression = U32(h + 16);
    out->info.imageSize = U32(h + 20);
    out->info.colorsUsed = U32(h + 32);
    out->infoHeaderSize = U32(h);
    const BitmapInfo& i = out->info;
    if (out->infoHeaderSize < kInfoHeaderSize) return false;
    if (i.width <= 0 || i.height <= 0 || i.width > kMaxSide || i.height > kMaxSide) return false;
    if (out->compression != 0) return false;
    if (out->pixelOffset > file.size()) return false;
    return true;
}

// The image-size field may be 0 (legal for uncompressed images); otherwise it
// must cover the rows and lie inside the data that follows `start`.
bool ImageSizeFits(const BitmapInfo& info, std::size_t needed, std::size_t available) {
    if (needed > available) return false;
    if (info.imageSize == 0) return true;
    return info.imageSize >= needed && info.imageSize <= available;
}

// The 24-bit pixels of `file` as tightly packed rows of `Channels` bytes
// (R, G, B and, with four, A: 0 for pure black, else 255), bottom row first.
template <int Channels>
std::unique_ptr<std::uint8_t[]> ReadBitmap24(BmpBytes file, BitmapInfo* info) {
    ParsedBitmap parsed;
    if (!ParseHeaders(file, &parsed)) return nullptr;
    if (info) *info = parsed.info;
    const BitmapInfo& i = parsed.info;
    if (i.bitCount != 24 || parsed.pixelOffset < kFileHeaderSize + parsed.infoHeaderSize)
        return nullptr;

    const std::size_t row = PaddedRow(24, i.width);
    const std::size_t height = static_cast<std::size_t>(i.height);
    if (!ImageSizeFits(i, row * height, file.size() - parsed.pixelOffset)) return nullptr;

    const std::size_t width = static_cast<std::size_t>(i.width);
    const std::size_t tight = width * Channels;
    // Every byte is written below, so the buffer is not cleared first.
    auto out = std::make_unique_for_overwrite<std::uint8_t[]>(tight * height);
    const std::uint8_t* src = file.data() + parsed.pixelOffset;
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* s = src + y * row;
        std::uint8_t* d = out.get() + y * tight;
        for (std::size_t x = 0; x < width; ++x, s += 3, d += Channels) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            if constexpr (Channels == 4) d[3] = (s[0] | s[1] | s[2]) ? 255 : 0;
        }
    }
    if (info) info->imageSize = static_cast<std::uint32_t>(width * 3 * height);
    return out;
}

}  // namespace

std::unique_ptr<std::uint8_t[]> ReadRgbBitmap(BmpBytes file, BitmapInfo* info) {
    return ReadBitmap24<3>(file, info);
}

std::unique_ptr<std::uint8_t[]> ReadRgbaBitmap(BmpBytes bmp, BitmapInfo* info) {
    return ReadBitmap24<4>(bmp, info);
}

namespace {

using TexStorage2D = void (*)(GLenum, GLsizei, GLenum, GLsizei, GLsizei);

// Immutable storage where the context has it: the whole chain is laid out
// once. Defined level by level, the software renderer moves the texture as
// it grows, a third of the backdrop's cost at start.
TexStorage2D TexStorage() {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (!context || !context->hasExtension("GL_ARB_texture_storage")) return nullptr;
    return reinterpret_cast<TexStorage2D>(context->getProcAddress("glTexStorage2D"));
}

bool IsPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

// One level down, in place, from tight RGBA with power-of-two sides: each
// texel the rounded mean of the 2 x 2 block above it, or of the pair along a
// single row or column rounded down, as GLU builds them. Writing never
// overtakes reading, so the level above may be overwritten.
void HalveInPlace(std::uint8_t* texels, int width, int height) {
    const int w = std::max(1, width / 2), h = std::max(1, height / 2);
    if (width > 1 && height > 1) {
        const std::size_t row = static_cast<std::size_t>(width) * 4;
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* a = texels + 2 * y * row;
            const std::uint8_t* b = a + row;
            std::uint8_t* d = texels + static_cast<std::size_t>(y) * w * 4;
            for (int x = 0; x < w; ++x, a += 8, b += 8, d += 4)
                for (int k = 0; k < 4; ++k)
                    d[k] = static_cast<std::uint8_t>((a[k] + a[k + 4] + b[k] + b[k + 4] + 2) / 4);
        }
        return;
    }
    for (int i = 0; i < w * h; ++i)
        for (int k = 0; k < 4; ++k)
            texels[i * 4 + k] =
                static_cast<std::uint8_t>((texels[i * 8 + k] + texels[i * 8 + 4 + k]) / 2);
}

void UploadMipChain(TexStorage2D storage, std::uint8_t* texels, int width, int height) {
    int levels = 1;
    for (int side = std::max(width, height); side > 1; side >>= 1)
        ++levels;
    storage(GL_TEXTURE_2D, levels, GL_RGBA8, width, height);
    for (GLint n = 0;; ++n) {
        glTexSubImage2D(GL_TEXTURE_2D, n, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        if (width == 1 && height == 1) return;
        HalveInPlace(texels, width, height);
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
    }
}

}  // namespace

void CreateMipmappedTexture(BmpBytes bmp, GLuint* texture) {
    glGenTextures(1, texture);
    glBindTexture(GL_TEXTURE_2D, *texture);
    BitmapInfo info;
    auto rgba = ReadRgbaBitmap(bmp, &info);
    if (rgba) {
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        GLint maxSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        const TexStorage2D storage = TexStorage();
        if (storage && IsPowerOfTwo(info.width) && IsPowerOfTwo(info.height) &&
            std::max(info.width, info.height) <= maxSize) {
            UploadMipChain(storage, rgba.get(), info.width, info.height);
        } else {
            // Other sizes are first scaled to a power of two, GLU's way.
            gluBuild2DMipmaps(GL_TEXTURE_2D, 4, info.width, info.height, GL_RGBA, GL_UNSIGNED_BYTE,
                              rgba.get());
        }
        glPopClientAttrib();
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
}

int TextureTargetSize(int size, int maxTextureSize) {
    const int limit = std::min(maxTextureSize, 512);
    const int want = std::min(limit, size);
    int side = 1;
    while (side < want)
        side <<= 1;
    return side == 1 ? 2 : side;
}

void CreateBitmapTexture(BmpBytes file, GLuint* texture) {
    glGenTextures(1, texture);
    glBindTexture(GL_TEXTURE_2D, *texture);

    ParsedBitmap parsed;
    if (!ParseHeaders(file, &parsed)) return;
    const BitmapInfo& info = parsed.info;
    const int bits = info.bitCount;
    if (bits != 8 && bits != 24 && bits != 32) return;

    // An 8-bit palette sits right after the information header (40, 108 or
    // 124 bytes); 0 colours used means a full table of 256. The pixels start
    // where the file header says, which may leave a gap.
    const std::size_t paletteStart = kFileHeaderSize + std::size_t{parsed.infoHeaderSize};
    const std::size_t pixelStart = parsed.pixelOffset;
    if (pixelStart < paletteStart) return;
    std::size_t paletteEntries = 0;
    if (bits == 8) {
        if (info.colorsUsed > 256) return;
        paletteEntries = info.colorsUsed == 0 ? 256 : info.colorsUsed;
        // Only what lies before the pixels is palette.
        paletteEntries = std::min(paletteEntries, (pixelStart - paletteStart) / 4);
    }
    const std::size_t srcRow = PaddedRow(bits, info.width);
    const std::size_t height = static_cast<std::size_t>(info.height);
    if (!ImageSizeFits(info, srcRow * height, file.size() - pixelStart)) return;
    const std::uint8_t* pixels = file.data() + pixelStart;

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);

    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    const int targetW = TextureTargetSize(info.width, maxSize);
    const int targetH = TextureTargetSize(info.height, maxSize);

    // BMP rows are padded to 4 bytes, which is exactly GL's default unpacking.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    for (GLenum name : {GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS,
                        GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS})
        glPixelStorei(name, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);

    const bool sameSize = info.width == targetW && info.height == targetH;
    if (sameSize && bits == 24) {
        glTexImage2D(GL_TEXTURE_2D, 0, 3, targetW, targetH, 0, GL_BGR, GL_UNSIGNED_BYTE, pixels);
    } else if (sameSize && bits == 32) {
        glTexImage2D(GL_TEXTURE_2D, 0, 4, targetW, targetH, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    } else {
        std::vector<std::uint8_t> expanded;
        if (bits == 8) {
            const std::uint8_t* palette = file.data() + paletteStart;
            const std::size_t dstRow = PaddedRow(24, info.width);
            expanded.assign(dstRow * height, 0);
            for (std::size_t y = 0; y < height; ++y) {
                const std::uint8_t* s = pixels + y * srcRow;
                std::uint8_t* d = expanded.data() + y * dstRow;
                for (std::int32_t x = 0; x < info.width; ++x) {
                    const std::size_t index = s[x];
                    // An index beyond a short palette has no colour: black.
                    if (index < paletteEntries) std::memcpy(d + x * 3, palette + index * 4, 3);
                }
            }
            pixels = expanded.data();
        }
        const int components = bits == 32 ? 4 : 3;
        const GLenum scaleFormat = bits == 32 ? GL_BGRA : GL_RGB;
        const GLenum uploadFormat = bits == 32 ? GL_BGRA : GL_BGR;
        std::vector<std::uint8_t> scaled(PaddedRow(components * 8, targetW) *
                                         static_cast<std::size_t>(targetH));
        gluScaleImage(scaleFormat, info.width, info.height, GL_UNSIGNED_BYTE, pixels, targetW,
                      targetH, GL_UNSIGNED_BYTE, scaled.data());
        glTexImage2D(GL_TEXTURE_2D, 0, components, targetW, targetH, 0, uploadFormat,
                     GL_UNSIGNED_BYTE, scaled.data());
    }
    glPopClientAttrib();
}
