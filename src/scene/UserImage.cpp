#include "scene/UserImage.h"

#include <SOIL.h>

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
#include <cstring>
#include <memory>

#include "platform/UserFile.h"

namespace {

// Beyond this many source pixels decoding takes too long to be worth it.
constexpr qint64 kMaxSourcePixels = 128ll * 1024 * 1024;

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

std::uint32_t Le(const QByteArray& b, int at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
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

}  // namespace

UserImagePixels DecodeUserImageData(const QByteArray& bytes, int maxSide) {
    const QByteArray format = SniffFormat(bytes);
    if (format.isEmpty()) return {};
    if (format == "jpeg" && !JpegLooksComplete(bytes)) return {};
    if (format == "bmp" && !BmpLooksComplete(bytes)) return {};

    QByteArray data = bytes;  // shared, not copied
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(kUserImageAllocationLimitMb);
    reader.setAutoTransform(false);

    const QSize source = reader.size();
    if (!source.isValid() || source.isEmpty()) return {};
    if (static_cast<qint64>(source.width()) * source.height() > kMaxSourcePixels) return {};

    // Each side becomes a power of two no larger than the limit, as the
    // mipmapped texture needs; the backdrop stretches the picture anyway.
    const int side = FloorPowerOfTwo(std::max(1, maxSide));
    QSize fit = source;
    if (fit.width() > side || fit.height() > side) fit = source.scaled(side, side, Qt::KeepAspectRatio);
    const QSize target(CeilPowerOfTwo(std::max(1, fit.width()), side),
                       CeilPowerOfTwo(std::max(1, fit.height()), side));
    // libjpeg can decode straight to a smaller size, much faster.
    if (format == "jpeg" && (source.width() > 2 * target.width() || source.height() > 2 * target.height()))
        reader.setScaledSize(target);

    QImage image;
    if (!reader.read(&image) || image.isNull()) return {};
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.isNull()) return {};

    const bool alpha = image.hasAlphaChannel();
    image = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
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
