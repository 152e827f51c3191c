// The floor for memory and CPU: a full-screen (or --window WxH) OpenGL
// window on the same stack as the tank that only clears and swaps, paced by a
// 10 ms timer and the display, like the tank at its default pace. Quits after
// --seconds N (default 20). Compare its resident memory with the tank's.
#include <GL/gl.h>

#include <QGuiApplication>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    int w = 0, h = 0, seconds = 20;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) std::sscanf(argv[i + 1], "%dx%d", &w, &h);
        if (std::strcmp(argv[i], "--seconds") == 0) std::sscanf(argv[i + 1], "%d", &seconds);
    }
    QGuiApplication app(argc, argv);
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    format.setSwapInterval(1);
    QWindow window;
    window.setSurfaceType(QSurface::OpenGLSurface);
    window.setFormat(format);
    if (w > 0 && h > 0) {
        window.resize(w, h);
        window.show();
    } else {
        window.showFullScreen();
    }
    QOpenGLContext context;
    context.setFormat(format);
    if (!context.create()) return 1;
    int frames = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!window.isExposed() || !context.makeCurrent(&window)) return;
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        context.swapBuffers(&window);
        ++frames;
    });
    timer.start(10);
    QTimer::singleShot(seconds * 1000, [&] {
        std::printf("bare window: %d frames in %d s\n", frames, seconds);
        app.quit();
    });
    return app.exec();
}
