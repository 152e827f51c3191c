// Adding a 12-megapixel JPEG as a backdrop picture: the time to decode and
// scale it (worker thread) and to build its texture (GUI thread), with and
// without DXT compression; then the tank drawn at 1280x720 while the picture
// loads, longest frame against the median frame. Needs a display (xvfb-run).
#include <GL/gl.h>
#include <SOIL.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "BenchGl.h"
#include "scene/TankScene.h"
#include "scene/UserImage.h"
#include "settings/SettingsRecord.h"
#include "settings/Slideshow.h"

namespace {

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A photo-like 4000 x 3000 picture: gradients and noise, so it compresses like one.
std::string MakePhoto(const QTemporaryDir& dir) {
    QImage image(4000, 3000, QImage::Format_RGB32);
    std::mt19937 rng(7);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = static_cast<int>(rng() % 40);
            line[x] = qRgb((x / 16 + n) & 255, (y / 12 + n) & 255, ((x + y) / 28 + n) & 255);
        }
    }
    const QString path = dir.filePath("photo.jpg");
    image.save(path, "JPEG", 90);
    return path.toStdString();
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QGuiApplication app(argc, argv);
    BenchGl gl(1280, 720);
    if (!gl.ok) {
        std::fprintf(stderr, "no GL context\n");
        return 1;
    }
    const std::string photo = MakePhoto(config);
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    for (bool dxt : {true, false}) {
        std::vector<double> decode, upload;
        for (int i = 0; i < reps; ++i) {
            QElapsedTimer t;
            t.start();
            const UserImagePixels px = DecodeUserImage(photo);
            decode.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            GLuint tex = CreateUserImageTexture(px, UserImageTextureFlags(dxt));
            glFinish();
            upload.push_back(t.nsecsElapsed() / 1e6);
            if (tex == 0) std::fprintf(stderr, "texture failed\n");
            glDeleteTextures(1, &tex);
        }
        std::printf("12MP JPEG, DXT %-3s: decode+scale %.1f ms (worker), texture %.1f ms (GUI), median of %d\n",
                    dxt ? "on" : "off", Median(decode), Median(upload), reps);
    }

    // Where the texture time goes: SOIL's steps one by one.
    {
        const UserImagePixels px = DecodeUserImage(photo);
        const struct { const char* name; unsigned flags; } steps[] = {
            {"plain upload", 0},
            {"+ invert Y", SOIL_FLAG_INVERT_Y},
            {"+ NTSC-safe", SOIL_FLAG_INVERT_Y | SOIL_FLAG_NTSC_SAFE_RGB},
            {"+ mipmaps", SOIL_FLAG_INVERT_Y | SOIL_FLAG_NTSC_SAFE_RGB | SOIL_FLAG_MIPMAPS},
            {"+ DXT", UserImageTextureFlags(true)},
        };
        for (const auto& step : steps) {
            std::vector<double> ms;
            for (int i = 0; i < reps; ++i) {
                QElapsedTimer t;
                t.start();
                GLuint tex = CreateUserImageTexture(px, step.flags);
                glFinish();
                ms.push_back(t.nsecsElapsed() / 1e6);
                glDeleteTextures(1, &tex);
            }
            std::printf("  %dx%d texture, %-13s %.1f ms\n", px.width, px.height, step.name, Median(ms));
        }
    }

    TankScene scene;
    scene.Start(1280, 720);
    Slideshow show;
    scene.UserBackgrounds = &show;
    OwnBackgroundActive = true;
    for (int mode = 0; mode < 4; ++mode) {
        const bool dxt = mode % 2 == 0;
        const bool onWorker = mode >= 2;
        bool done = false;
        int guiUploads = 0;
        GLuint loaded = 0;
        UserImageLoader loader(
            [&](const UserImagePixels& px) {
                ++guiUploads;
                gl.context.makeCurrent(&gl.surface);
                return CreateUserImageTexture(px, UserImageTextureFlags(dxt));
            },
            [&](const std::string&, GLuint t) {
                loaded = t;
                done = true;
            });
        if (onWorker) loader.BuildOnWorker(&gl.context, UserImageTextureFlags(dxt));
        std::vector<double> frames, during, outside;
        QElapsedTimer clock;
        clock.start();
        qint64 last = clock.nsecsElapsed();
        bool requested = false;
        // Until the picture is in and 300 frames are drawn, at most 60 s.
        for (int f = 0; clock.elapsed() < 60000 && (!done || frames.size() < 300); ++f) {
            if (f == 100) {
                loader.Request(photo);
                requested = true;
            }
            gl.context.makeCurrent(&gl.surface);
            scene.RenderFrame();
            const bool wasLoading = requested && !done;
            QCoreApplication::processEvents();  // delivers the decoded picture
            const qint64 now = clock.nsecsElapsed();
            const double ms = (now - last) / 1e6;
            last = now;
            frames.push_back(ms);
            if (wasLoading) during.push_back(ms);
            else outside.push_back(ms);
            if (done && loaded && show.CurrentTexture == 0) show.CurrentTexture = static_cast<int>(loaded);
        }
        std::printf("tank 1280x720, texture built on the %s, DXT %-3s: median frame %.2f ms, longest frame while loading %.2f ms "
                    "(%zu frames during the load), longest other frame %.2f ms, loaded %s%s\n",
                    loader.BuildsOnWorker() ? "worker" : "GUI thread", dxt ? "on" : "off", Median(frames),
                    during.empty() ? 0.0 : *std::max_element(during.begin(), during.end()),
                    during.size(), outside.empty() ? 0.0 : *std::max_element(outside.begin(), outside.end()),
                    loaded ? "yes" : "NO",
                    onWorker && guiUploads ? " (fell back to the GUI thread)" : "");
        gl.context.makeCurrent(&gl.surface);
        glDeleteTextures(1, &loaded);
        show.CurrentTexture = 0;
    }
    return 0;
}
