#pragma once

#include <QApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <memory>

// Makes sure a QApplication exists (widget and GL tests share it).
inline void EnsureTestApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("tidemere-tests"), nullptr};
    new QApplication(argc, argv);  // lives for the whole test process
}

// An OpenGL 2.1 compatibility context made current on an offscreen surface,
// rendering into a framebuffer object of the given size (with depth buffer).
// Creates the QApplication on first use; needs a display (Xvfb in CI).
class GlTestContext {
public:
    GlTestContext(int width, int height) : width_(width), height_(height) {
        EnsureTestApplication();
        QSurfaceFormat format;
        format.setRenderableType(QSurfaceFormat::OpenGL);
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        format.setVersion(2, 1);
        format.setDepthBufferSize(24);
        surface_ = std::make_unique<QOffscreenSurface>();
        surface_->setFormat(format);
        surface_->create();
        context_ = std::make_unique<QOpenGLContext>();
        context_->setFormat(format);
        if (!context_->create() || !context_->makeCurrent(surface_.get())) return;
        fbo_ = std::make_unique<QOpenGLFramebufferObject>(width, height,
                                                          QOpenGLFramebufferObject::Depth);
        valid_ = fbo_->isValid() && fbo_->bind();
        glViewport(0, 0, width, height);
    }
    ~GlTestContext() {
        context_->makeCurrent(surface_.get());
        fbo_.reset();
        context_->doneCurrent();
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Valid() const { return valid_; }
    QOpenGLContext* Context() const { return context_.get(); }

    // Makes the context current and binds the framebuffer.
    void MakeCurrent() {
        context_->makeCurrent(surface_.get());
        fbo_->bind();
    }
    // The framebuffer as an image, top row first.
    QImage Grab() {
        MakeCurrent();
        glFinish();
        return fbo_->toImage(true);
    }

private:
    int width_, height_;
    bool valid_ = false;
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
};
