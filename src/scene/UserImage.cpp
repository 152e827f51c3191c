#include "scene/UserImage.h"

#include <SOIL.h>
#include <png.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMetaObject>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "platform/UserFile.h"

namespace {

// 100 megapixels: about the largest photo a camera takes, far beyond a
// screen's worth. A header claiming more is a bomb, not a photo, and every
// source pixel costs decoding time even where it costs little memory.
constexpr qint64 kMaxSourcePixels = 100'000'000;
// Everything one picture holds at once while it decodes and scales stays under
// four times its texture plus this: room for libjpeg's coefficients of a whole
// progressive photo (a 24-megapixel one fits), a BMP's full-size pixels, the
// eighth-size decode of a very long JPEG.
constexpr qint64 kDecodeSlackBytes = 64ll << 20;

int FloorPowerOfTwo(int n) {
    int p = 1;
    while (p <= n / 2) p *= 2;
    return p;
}

int CeilPowerOfTwo(int n, int cap) {
    int p = 1;
    while (p < n && p < cap) p *= 2;
    return std::min(p, cap);
}

qint64 Pixels(QSize s) {
    return static_cast<qint64>(s.width()) * s.height();
}

bool SourceAcceptable(QSize source) {
    return source.isValid() && !source.isEmpty() && Pixels(source) <= kMaxSourcePixels;
}

// Each side becomes a power of two no larger than the limit, as the
// mipmapped texture needs; the backdrop stretches the picture anyway.
QSize TargetFor(QSize source, int maxSide) {
    const int side = FloorPowerOfTwo(std::max(1, maxSide));
    QSize fit = source;
    if (fit.width() > side || fit.height() > side)
        fit = source.scaled(side, side, Qt::KeepAspectRatio);
    return {CeilPowerOfTwo(std::max(1, fit.width()), side),
            CeilPowerOfTwo(std::max(1, fit.height()), side)};
}

qint64 TextureBytes(QSize target) {
    return Pixels(target) * 4;
}
qint64 BudgetFor(QSize target) {
    return 4 * TextureBytes(target) + kDecodeSlackBytes;
}

// The size the block average makes of a picture much larger than its target.
QSize ReducedSize(QSize source, QSize target) {
    const int kx = std::max(1, source.width() / target.width());
    const int ky = std::max(1, source.height() / target.height());
    return {(source.width() + kx - 1) / kx, (source.height() + ky - 1) / ky};
}

bool StartsWith(const QByteArray& bytes, const char* magic, int n) {
    return bytes.size() >= n && std::memcmp(bytes.constData(), magic, n) == 0;
}

// The format by content, only for the three kinds we accept.
QByteArray SniffFormat(const QByteArray& bytes) {
    if (StartsWith(bytes, "\xFF\xD8\xFF", 3)) return "jpeg";
    if (StartsWith(bytes, "\x89PNG\r\n\x1A\n", 8)) return "png";
    if (StartsWith(bytes, "BM", 2)) return "bmp";
    return {};
}

// libjpeg pads a cut-off scan with grey and calls it a success. Entropy-coded
// data cannot hold a marker, so the end marker must follow the last scan.
bool JpegLooksComplete(const QByteArray& bytes) {
    const qsizetype lastScan = bytes.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    if (lastScan < 0) return false;
    return bytes.indexOf(QByteArrayView("\xFF\xD9", 2), lastScan + 2) >= 0;
}

std::uint32_t Le(const QByteArray& b, qsizetype at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

int Be16(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint8_t>(b[at]) << 8 | static_cast<std::uint8_t>(b[at + 1]);
}

// The BMP reader fills missing rows instead of failing; an uncompressed
// bitmap must hold all the rows its header promises.
bool BmpLooksComplete(const QByteArray& bytes) {
    if (bytes.size() < 26) return false;
    const std::int64_t offset = Le(bytes, 10, 4);
    const std::uint32_t infoSize = Le(bytes, 14, 4);
    std::int64_t width, height, bits, compression = 0;
    if (infoSize == 12) {
        width = Le(bytes, 18, 2);
        height = Le(bytes, 20, 2);
        bits = Le(bytes, 24, 2);
    } else {
        if (bytes.size() < 34) return false;
        width = static_cast<std::int32_t>(Le(bytes, 18, 4));
        height = static_cast<std::int32_t>(Le(bytes, 22, 4));
        bits = Le(bytes, 28, 2);
        compression = Le(bytes, 30, 4);
    }
    if (compression != 0 && compression != 3) return true;  // run-length data: the decoder checks
    if (width <= 0 || height == 0 || bits == 0) return false;
    const std::int64_t stride = (width * bits + 31) / 32 * 4;
    const std::int64_t rows = height < 0 ? -height : height;
    // Divided, not multiplied: a hostile header's rows times stride overflows.
    const std::int64_t room = bytes.size() - offset;
    return stride <= room && rows <= room / stride;
}

qint64 CeilDiv(qint64 a, qint64 b) {
    return (a + b - 1) / b;
}

// What libjpeg keeps for the whole picture: a progressive JPEG, or one whose
// first scan lacks a component, has every DCT coefficient of every component
// in memory until the last scan, at whatever scale it is decoded. Returns
// -1 for a layout libjpeg would refuse anyway.
qint64 JpegCoefficientBytes(const QByteArray& b) {
    int components = 0, width = 0, height = 0, hMax = 1, vMax = 1;
    int h[4] = {}, v[4] = {};
    bool progressive = false, frame = false;
    qsizetype at = 2;
    while (at + 4 <= b.size()) {
        const int marker = static_cast<std::uint8_t>(b[at + 1]);
        // Stray bytes before a marker and fill bytes are skipped, as libjpeg does.
        if (static_cast<std::uint8_t>(b[at]) != 0xFF || marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // markers without a length
            at += 2;
            continue;
        }
        const int length = Be16(b, at + 2);
        if (length < 2 || at + 2 + length > b.size()) return -1;
        const qsizetype seg = at + 4;
        const bool sof =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            if (frame || length < 8) return -1;
            frame = true;
            progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            height = Be16(b, seg + 1);
            width = Be16(b, seg + 3);
            components = static_cast<std::uint8_t>(b[seg + 5]);
            if (components < 1 || components > 4 || length < 8 + 3 * components) return -1;
            for (int i = 0; i < components; ++i) {
                const int s = static_cast<std::uint8_t>(b[seg + 7 + 3 * i]);
                h[i] = s >> 4;
                v[i] = s & 15;
                if (h[i] < 1 || h[i] > 4 || v[i] < 1 || v[i] > 4) return -1;
                hMax = std::max(hMax, h[i]);
                vMax = std::max(vMax, v[i]);
            }
        } else if (marker == 0xDA) {
            if (!frame || length < 3) return -1;
            const int inScan = static_cast<std::uint8_t>(b[seg]);
            if (!progressive && inScan >= components) return 0;  // one pass, row by row
            qint64 bytes = 0;
            for (int i = 0; i < components; ++i) {
                const qint64 blocksW =
                    CeilDiv(CeilDiv(qint64{width} * h[i], qint64{hMax} * 8), h[i]) * h[i];
                const qint64 blocksH =
                    CeilDiv(CeilDiv(qint64{height} * v[i], qint64{vMax} * 8), v[i]) * v[i];
                bytes += blocksW * blocksH * 64 * 2;
            }
            return bytes;
        }
        at += 2 + length;
    }
    return -1;
}

// The size Qt's JPEG reader has libjpeg decode to for a requested size: the
// smallest of its eighths that still covers the request.
QSize JpegDecodedSize(QSize source, QSize requested) {
    const double f = std::min(double(source.width()) / requested.width(),
                              double(source.height()) / requested.height());
    const int eighths = std::clamp(static_cast<int>(std::ceil(8 / f)), 1, 8);
    return {static_cast<int>(CeilDiv(qint64{source.width()} * eighths, 8)),
            static_cast<int>(CeilDiv(qint64{source.height()} * eighths, 8))};
}

// Shrinks by whole factors, averaging each block, from rows fed one at a
// time, so a large picture never exists at full size in 8-bit RGBA. The
// result is at least the target and less than twice it on each side.
class BoxReducer {
public:
    BoxReducer(QSize source, QSize target, bool alpha)
        : width_(source.width()),
          height_(source.height()),
          kx_(std::max(1, source.width() / target.width())),
          ky_(std::max(1, source.height() / target.height())),
          out_(ReducedSize(source, target),
               alpha ? QImage::Format_RGBA8888_Premultiplied : QImage::Format_RGBX8888),
          sums_(static_cast<size_t>(out_.isNull() ? 0 : out_.width()) * 4, 0) {}

    bool Valid() const { return !out_.isNull(); }
    qint64 Bytes() const { return out_.sizeInBytes(); }

    // One source row as RGBA8888, its alpha either straight or already
    // multiplied into the colours.
    void AddRow(const std::uint8_t* rgba, bool straightAlpha) {
        std::uint64_t* sum = sums_.data();
        for (int x = 0, ox = 0, left = kx_; x < width_; ++x, rgba += 4) {
            const unsigned a = rgba[3];
            std::uint64_t* s = sum + ox * 4;
            if (straightAlpha && a != 255) {
                for (int c = 0; c < 3; ++c)
                    s[c] += (rgba[c] * a + 127) / 255;
            } else {
                for (int c = 0; c < 3; ++c)
                    s[c] += rgba[c];
            }
            s[3] += a;
            if (--left == 0) {
                left = kx_;
                ++ox;
            }
        }
        if (++rowsIn_ % ky_ == 0 || rowsIn_ == height_) Flush();
    }

    QImage Take() { return std::move(out_); }

private:
    void Flush() {
        const int rows = rowsIn_ - outY_ * ky_;
        std::uint8_t* line = out_.scanLine(outY_++);
        for (int ox = 0; ox < out_.width(); ++ox) {
            const std::uint64_t n = std::uint64_t(std::min(kx_, width_ - ox * kx_)) * rows;
            for (int c = 0; c < 4; ++c) {
                std::uint64_t& s = sums_[ox * 4 + c];
                line[ox * 4 + c] = static_cast<std::uint8_t>((s + n / 2) / n);
                s = 0;
            }
        }
    }

    int width_, height_, kx_, ky_;
    QImage out_;
    std::vector<std::uint64_t> sums_;
    int rowsIn_ = 0, outY_ = 0;
};

// A decoded picture of any format reduced through the block average, one row
// converted at a time: palette and 1-bit pictures keep their colours.
QImage ReduceRows(const QImage& image, QSize target) {
    const bool alpha = image.hasAlphaChannel();
    BoxReducer reducer(image.size(), target, alpha);
    if (!reducer.Valid()) return {};
    const QImage::Format rowFormat =
        alpha ? QImage::Format_RGBA8888_Premultiplied : QImage::Format_RGBX8888;
    for (int y = 0; y < image.height(); ++y) {
        const QImage row = image.copy(0, y, image.width(), 1).convertToFormat(rowFormat);
        if (row.isNull()) return {};
        reducer.AddRow(row.constScanLine(0), false);
    }
    return reducer.Take();
}

// PNGs go through libpng row by row: 16-bit, palette and low-bit rows become
// 8-bit RGBA as they arrive, straight into the block average.
struct PngJob {
    const QByteArray* bytes = nullptr;
    qsizetype at = 0;
    int maxSide = 0;
    QSize target;
    std::unique_ptr<BoxReducer> reducer;
    std::vector<std::uint8_t> row;
    QImage full;  // interlaced pictures only: their rows arrive in seven passes
};

void PngRead(png_structp png, png_bytep out, png_size_t n) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (n > static_cast<size_t>(job->bytes->size() - job->at)) png_error(png, "cut short");
    std::memcpy(out, job->bytes->constData() + job->at, n);
    job->at += static_cast<qsizetype>(n);
}
[[noreturn]] void PngFail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void PngIgnore(png_structp, png_const_charp) {}

// libpng reports errors by longjmp back here: nothing in this frame needs
// destroying; what it built lives in `job`.
bool RunPng(PngJob& job) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngIgnore);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return false;
    }
    png_set_read_fn(png, &job, PngRead);
    png_read_info(png, info);
    png_uint_32 w = 0, h = 0;
    int depth = 0, colour = 0;
    png_get_IHDR(png, info, &w, &h, &depth, &colour, nullptr, nullptr, nullptr);
    if (w > kMaxSourcePixels || h > kMaxSourcePixels) png_error(png, "too large");
    const QSize source(static_cast<int>(w), static_cast<int>(h));
    if (!SourceAcceptable(source)) png_error(png, "too large");
    job.target = TargetFor(source, job.maxSide);
    const bool alpha = (colour & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png);  // palette, low-bit grey and a transparent colour to 8-bit channels
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    if (!alpha) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 4) png_error(png, "layout");

    job.reducer = std::make_unique<BoxReducer>(source, job.target, alpha);
    // Rows as they come, or the whole picture when it is interlaced; then the
    // average; then the final scale.
    const qint64 held = passes > 1 ? Pixels(source) * 4 : qint64{w} * 4;
    const qint64 cost = held + job.reducer->Bytes() + TextureBytes(job.target);
    if (!job.reducer->Valid() || cost > BudgetFor(job.target)) png_error(png, "too large");
    if (passes == 1) {
        job.row.resize(static_cast<size_t>(w) * 4);
        for (png_uint_32 y = 0; y < h; ++y) {
            png_read_row(png, job.row.data(), nullptr);
            job.reducer->AddRow(job.row.data(), true);
        }
    } else {
        job.full = QImage(source, QImage::Format_RGBA8888);
        if (job.full.isNull()) png_error(png, "out of memory");
        for (int pass = 0; pass < passes; ++pass)
            for (png_uint_32 y = 0; y < h; ++y)
                png_read_row(png, job.full.scanLine(int(y)), nullptr);
        for (png_uint_32 y = 0; y < h; ++y)
            job.reducer->AddRow(job.full.constScanLine(int(y)), true);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

QImage DecodePng(const QByteArray& bytes, int maxSide, QSize* target) {
    PngJob job;
    job.bytes = &bytes;
    job.maxSide = maxSide;
    if (!RunPng(job)) return {};
    *target = job.target;
    return job.reducer->Take();
}

// JPEG and BMP through Qt's readers, refused before reading when what the
// reader would hold does not fit the budget. JPEGs decode at a reduced scale.
QImage DecodeWithQt(const QByteArray& bytes, const QByteArray& format, int maxSide, QSize* target) {
    QByteArray data = bytes;  // shared, not copied
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);

    const QSize source = reader.size();
    if (!SourceAcceptable(source)) return {};
    *target = TargetFor(source, maxSide);
    const qint64 budget = BudgetFor(*target);
    // What the reader holds, what converting or averaging it makes, the final scale.
    qint64 cost = TextureBytes(*target);
    if (format == "jpeg") {
        const qint64 coefficients = JpegCoefficientBytes(bytes);
        if (coefficients < 0) return {};
        QSize decoded = source;
        if (source.width() > target->width() || source.height() > target->height()) {
            reader.setScaledSize(*target);
            reader.setQuality(100);  // what remains after libjpeg's eighths is scaled smoothly
            decoded = JpegDecodedSize(source, *target);
        }
        cost += coefficients + Pixels(decoded) * 4;
    } else {
        const bool large =
            source.width() >= 2 * target->width() || source.height() >= 2 * target->height();
        // Qt's BMP reader asks for 32 bits a pixel whatever the depth (its
        // allocation limit says so, measured), though a 1-bit picture ends smaller.
        cost += Pixels(source) * 4 + Pixels(large ? ReducedSize(source, *target) : source) * 4;
    }
    if (cost > budget) return {};
    // The last guard, should a reader allocate more than we reckoned.
    reader.setAllocationLimit(static_cast<int>((budget >> 20) + 1));
    QImage image;
    if (!reader.read(&image) || image.isNull()) return {};
    return image;
}

}  // namespace

UserImagePixels DecodeUserImageData(const QByteArray& bytes, int maxSide) {
    const QByteArray format = SniffFormat(bytes);
    if (format.isEmpty()) return {};
    if (format == "jpeg" && !JpegLooksComplete(bytes)) return {};
    if (format == "bmp" && !BmpLooksComplete(bytes)) return {};

    QSize target;
    QImage image = format == "png" ? DecodePng(bytes, maxSide, &target)
                                   : DecodeWithQt(bytes, format, maxSide, &target);
    if (image.isNull()) return {};
    const bool alpha = image.hasAlphaChannel();
    if (image.size() != target) {
        // Much larger than the target: averaged down row by row, each row 8-bit
        // RGB(A) first (Qt's own shrinking of a 1-bit picture by half or more
        // loses its palette and leaves black and white).
        if (image.width() >= 2 * target.width() || image.height() >= 2 * target.height())
            image = ReduceRows(image, target);
        if (image.isNull()) return {};
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (image.isNull()) return {};
    }
    image.convertTo(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    if (image.isNull()) return {};

    UserImagePixels px;
    px.width = image.width();
    px.height = image.height();
    px.channels = alpha ? 4 : 3;
    const size_t row = static_cast<size_t>(px.width) * px.channels;
    px.data.resize(row * px.height);
    for (int y = 0; y < px.height; ++y)
        std::memcpy(px.data.data() + row * y, image.constScanLine(y), row);
    return px;
}

UserImagePixels DecodeUserImage(const std::string& path, int maxSide) {
    // The path's own bytes, checked and read on one descriptor: a FIFO or a
    // device put in the picture's place is refused, never waited on.
    QByteArray bytes;
    std::string why;
    if (!ReadUserFile(path, kUserImageMaxFileBytes, &bytes, &why)) return {};
    return DecodeUserImageData(bytes, maxSide);
}

unsigned UserImageTextureFlags(bool compress) {
    unsigned flags = SOIL_FLAG_MIPMAPS | SOIL_FLAG_INVERT_Y | SOIL_FLAG_NTSC_SAFE_RGB;
    if (compress) flags |= SOIL_FLAG_COMPRESS_TO_DXT;
    return flags;
}

GLuint CreateUserImageTexture(const UserImagePixels& pixels, unsigned flags) {
    if (!pixels.Valid()) return 0;
    GLint unpack = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows are tightly packed
    const GLuint texture = SOIL_create_OGL_texture(pixels.data.data(), pixels.width, pixels.height,
                                                   pixels.channels, SOIL_CREATE_NEW_ID, flags);
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
    return texture;
}

UserImageLoader::UserImageLoader(Uploader upload, Done done, int maxSide)
    : upload_(std::move(upload)), done_(std::move(done)), maxSide_(maxSide) {
    pool_.setMaxThreadCount(1);  // one at a time, finished in request order
}

UserImageLoader::~UserImageLoader() {
    pool_.clear();
    pool_.waitForDone();
}

void UserImageLoader::BuildOnWorker(QOpenGLContext* share, unsigned flags) {
    if (!share || !QOpenGLContext::supportsThreadedOpenGL()) return;
    surface_ = std::make_unique<QOffscreenSurface>();  // made on the GUI thread, as Qt requires
    surface_->setFormat(share->format());
    surface_->create();
    if (!surface_->isValid()) {
        surface_.reset();
        return;
    }
    share_ = share;
    flags_ = flags;
}

void UserImageLoader::Request(const std::string& path) {
    ++pending_;
    pendingPaths_.push_back(path);
    const int maxSide = maxSide_;
    QOpenGLContext* share = share_;
    QOffscreenSurface* surface = surface_.get();
    const unsigned flags = flags_;
    pool_.start([this, path, maxSide, share, surface, flags] {
        // Below the frame loop: on a busy machine the tank draws first.
        setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
        auto pixels = std::make_shared<UserImagePixels>(DecodeUserImage(path, maxSide));
        GLuint texture = 0;
        if (share && pixels->Valid()) {
            QOpenGLContext context;
            context.setFormat(share->format());
            context.setShareContext(share);
            if (context.create() && context.makeCurrent(surface)) {
                texture = CreateUserImageTexture(*pixels, flags);
                glFinish();  // complete before the view draws with it
                context.doneCurrent();
                if (texture != 0) *pixels = {};
            }
        }
        QMetaObject::invokeMethod(
            this, [this, path, pixels, texture] { Deliver(path, std::move(*pixels), texture); },
            Qt::QueuedConnection);
    });
}

void UserImageLoader::Deliver(const std::string& path, UserImagePixels pixels, GLuint texture) {
    --pending_;
    if (!pendingPaths_.empty()) pendingPaths_.pop_front();
    if (texture == 0 && pixels.Valid() && upload_) texture = upload_(pixels);
    if (done_) done_(path, texture);
}

void UserImageLoader::WaitForAll() {
    while (pending_ > 0) {
        pool_.waitForDone();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}
