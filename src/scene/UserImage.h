#pragma once

#include <GL/gl.h>

#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A user's picture, decoded and scaled, ready for the texture builder:
// rows top first, tightly packed, 3 (RGB) or 4 (RGBA) channels.
struct UserImagePixels {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<std::uint8_t> data;
    bool Valid() const { return width > 0 && height > 0 && !data.empty(); }
};

// The longest side a picture keeps; a screen's worth for the backdrop.
constexpr int kUserImageMaxSide = 2048;
// Files larger than this are refused before decoding.
constexpr qint64 kUserImageMaxFileBytes = 256ll * 1024 * 1024;

// Reads a JPEG, BMP or PNG (recognised by its content, whatever the name
// says) and scales it so that each side is a power of two no larger than
// `maxSide`. Safe on any thread. Gives an invalid result for anything else,
// for truncated JPEGs, for more than 100 megapixels and for pictures whose
// decoding would hold more than four times the result plus 64 MB: the size
// is read from the header first, JPEGs decode at libjpeg's reduced scales
// and PNGs row by row.
UserImagePixels DecodeUserImage(const std::string& path, int maxSide = kUserImageMaxSide);
// The same from bytes already in memory.
UserImagePixels DecodeUserImageData(const QByteArray& bytes, int maxSide = kUserImageMaxSide);

// Texture flags for a user's picture: mipmaps, rows turned for GL, DXT where
// the driver has it, colours kept NTSC-safe.
unsigned UserImageTextureFlags(bool compress);

// Builds a texture from decoded pixels through SOIL. Needs a current GL
// context. Returns 0 on failure.
GLuint CreateUserImageTexture(const UserImagePixels& pixels, unsigned flags);

// Loads pictures one after the other: decoding and scaling on a worker
// thread, the texture built on the thread that owns the loader (the GUI
// thread) through `upload`, which makes the right context current. Results
// arrive in request order through `done` (texture 0 when the file failed).
// With BuildOnWorker, the texture too is built on the worker, in a context
// sharing textures with the view's, so not even SOIL's mipmaps and DXT
// compression hold up a frame.
class QOffscreenSurface;
class QOpenGLContext;
class UserImageLoader : public QObject {
public:
    using Uploader = std::function<GLuint(const UserImagePixels&)>;
    using Done = std::function<void(const std::string& path, GLuint texture)>;

    UserImageLoader(Uploader upload, Done done, int maxSide = kUserImageMaxSide);
    ~UserImageLoader() override;

    // Builds textures on the worker with `flags` in a context sharing with
    // `share` (which must outlive the loader). Falls back to `upload` when
    // the platform cannot do that. Call on the GUI thread.
    void BuildOnWorker(QOpenGLContext* share, unsigned flags);
    bool BuildsOnWorker() const { return share_ != nullptr; }

    void Request(const std::string& path);
    int Pending() const { return pending_; }
    // Paths requested and not yet finished, in request order.
    const std::deque<std::string>& PendingPaths() const { return pendingPaths_; }
    // Blocks until every queued decode has finished and been delivered (tests, teardown).
    void WaitForAll();

private:
    void Deliver(const std::string& path, UserImagePixels pixels, GLuint texture);

    Uploader upload_;
    Done done_;
    int maxSide_;
    int pending_ = 0;
    std::deque<std::string> pendingPaths_;
    QOpenGLContext* share_ = nullptr;
    unsigned flags_ = 0;
    std::unique_ptr<QOffscreenSurface> surface_;
    QThreadPool pool_;
};
