#pragma once

// A 2.1 compatibility context for benchmarks, optionally drawing into a
// framebuffer object of the given size. Needs a display (run under xvfb-run).

#include <GL/gl.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QSurfaceFormat>

struct BenchGl {
    explicit BenchGl(int width = 0, int height = 0) {
        QSurfaceFormat format;
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        format.setVersion(2, 1);
        surface.setFormat(format);
        surface.create();
        context.setFormat(format);
        ok = context.create() && context.makeCurrent(&surface);
        if (!ok || width <= 0 || height <= 0) return;
        QOpenGLFunctions* f = context.functions();
        f->glGenFramebuffers(1, &fbo);
        f->glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        GLuint rb[2];
        f->glGenRenderbuffers(2, rb);
        f->glBindRenderbuffer(GL_RENDERBUFFER, rb[0]);
        f->glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        f->glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb[0]);
        f->glBindRenderbuffer(GL_RENDERBUFFER, rb[1]);
        f->glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        f->glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb[1]);
        ok = f->glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glViewport(0, 0, width, height);
    }
    QOffscreenSurface surface;
    QOpenGLContext context;
    GLuint fbo = 0;
    bool ok = false;
};
