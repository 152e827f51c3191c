#include "support/GlTestContext.h"

#include <QApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <GL/gl.h>

void EnsureTestApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "tidemere-tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives for the whole test process
}

GlTestContext::GlTestContext(int width, int height) : width_(width), height_(height) {
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
    QOpenGLFramebufferObjectFormat fboFormat;
    fboFormat.setAttachment(QOpenGLFramebufferObject::Depth);
    fbo_ = std::make_unique<QOpenGLFramebufferObject>(width, height, fboFormat);
    valid_ = fbo_->isValid() && fbo_->bind();
    glViewport(0, 0, width, height);
}

GlTestContext::~GlTestContext() {
    if (context_ && surface_) context_->makeCurrent(surface_.get());
    fbo_.reset();
    if (context_) context_->doneCurrent();
}

void GlTestContext::MakeCurrent() {
    context_->makeCurrent(surface_.get());
    fbo_->bind();
}

QImage GlTestContext::Grab() {
    MakeCurrent();
    glFinish();
    return fbo_->toImage(true);
}

QRgb GlTestContext::Pixel(int x, int y) {
    MakeCurrent();
    unsigned char rgba[4] = {0, 0, 0, 0};
    glReadPixels(x, height_ - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return qRgba(rgba[0], rgba[1], rgba[2], rgba[3]);
}
