#pragma once

#include <QImage>
#include <memory>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

// An OpenGL 2.1 compatibility context made current on an offscreen surface,
// rendering into a framebuffer object of the given size (with depth buffer).
// Creates the QApplication on first use; needs a display (Xvfb in CI).
class GlTestContext {
public:
    GlTestContext(int width, int height);
    ~GlTestContext();

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Valid() const { return valid_; }
    QOpenGLContext* Context() const { return context_.get(); }

    // Makes the context current and binds the framebuffer.
    void MakeCurrent();
    // The framebuffer as an image, top row first.
    QImage Grab();
    // One pixel, x from the left, y from the top.
    QRgb Pixel(int x, int y);

private:
    int width_, height_;
    bool valid_ = false;
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
};

// Makes sure a QApplication exists (widget and GL tests share it).
void EnsureTestApplication();
