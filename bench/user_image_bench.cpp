// Adding a 12-megapixel JPEG as a backdrop picture: the time to decode and
// scale it (worker thread) and to build its texture (GUI thread), with and
// without DXT compression; then the tank drawn at 1280x720 while the picture
// loads, longest frame against the median frame. Needs a display (xvfb-run).
//
// With --bombs: the peak memory of decoding each of a set of picture bombs,
// every one in a fresh child process (getrusage's ru_maxrss before and after
// the decode), against the bound of four times its texture plus 64 MB.
#include <GL/gl.h>
#include <SOIL.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "BenchGl.h"
#include "scene/TankScene.h"
#include "scene/UserImage.h"
#include "settings/SettingsRecord.h"
#include "settings/Slideshow.h"
#include "support/BombPictures.h"

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

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child: decode one file, print the texture size and the peak before and after.
int DecodeOne(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // finds the JPEG plugin
    QFile file(argv[2]);
    if (!file.open(QIODevice::ReadOnly)) return 2;
    const QByteArray bytes = file.readAll();
    file.close();
    const long before = PeakKb();
    const UserImagePixels px = DecodeUserImageData(bytes);
    const long after = PeakKb();
    std::printf("%d %d %d %ld %ld\n", px.width, px.height, px.channels, before, after);
    return 0;
}

QByteArray Photo(int w, int h, bool progressive) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x / 16) & 255, (y / 12) & 255, ((x + y) / 28) & 255);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.setQuality(85);
    writer.write(image);
    return bytes;
}

struct Bomb {
    const char* name;
    QByteArray (*make)();
};

QByteArray FromStd(const std::string& s) {
    return QByteArray::fromStdString(s);
}

const Bomb kBombs[] = {
    {"progressive CMYK JPEG header, 11000x11000",
     [] { return FromStd(bomb::MakeJpegHeader(11000, 11000, 4, true)); }},
    {"progressive CMYK JPEG header, 9000x9000",
     [] { return FromStd(bomb::MakeJpegHeader(9000, 9000, 4, true)); }},
    {"progressive JPEG header, 65500x1950",
     [] { return FromStd(bomb::MakeJpegHeader(65500, 1950, 3, true)); }},
    {"sequential JPEG header, 10000x8000",
     [] { return FromStd(bomb::MakeJpegHeader(10000, 8000, 3, false)); }},
    {"progressive JPEG, 10000x10000", [] { return Photo(10000, 10000, true); }},
    {"progressive JPEG, 6000x4000", [] { return Photo(6000, 4000, true); }},
    {"sequential JPEG, 10000x10000", [] { return Photo(10000, 10000, false); }},
    {"16-bit RGBA PNG, 5700x5700",
     [] { return FromStd(bomb::MakePng(bomb::Png(5700, 5700, 16, 6, std::string(8, '\x7f')))); }},
    {"all-zero RGB PNG, 8000x8000", [] { return FromStd(bomb::MakePng(bomb::Png(8000, 8000))); }},
    {"1-bit palette PNG, 10000x10000",
     [] {
         return FromStd(bomb::MakePng(
             bomb::Png(10000, 10000, 1, 3, "\xaa", std::string("\xff\0\0\0\0\xff", 6))));
     }},
    {"interlaced grey PNG, 3000x3000",
     [] {
         return FromStd(
             bomb::MakePng(bomb::Png(3000, 3000, 8, 0, std::string(1, '\x40'), {}, true)));
     }},
    {"1-bit BMP, 9000x9000",
     [] { return FromStd(bomb::MakeBmp1(9000, 9000, 0xff0000, 0x0000ff, 1)); }},
};

// Child: write every bomb into `dir`, named by its index.
int MakeBombs(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    for (std::size_t i = 0; i < std::size(kBombs); ++i) {
        QFile out(QString::fromLocal8Bit(argv[2]) + "/" + QString::number(i));
        const QByteArray bytes = kBombs[i].make();
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) return 1;
    }
    return 0;
}

// Runs this program again with `args` (fork and exec, so the child's peak is
// its own and not this process's) and returns what it printed.
std::string RunSelf(std::vector<std::string> args, int* status) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    close(fds[0]);
    waitpid(pid, status, 0);
    return out;
}

int Bombs(const char* self) {
    // This process stays small: the bombs are made, and each decoded, in children.
    const QTemporaryDir dir;
    int status = 0;
    RunSelf({self, "--make", dir.path().toStdString()}, &status);
    if (status != 0) return 1;
    std::printf("%-42s %8s %10s %9s %9s %9s\n", "picture", "file KB", "texture", "decode MB",
                "bound MB", "peak MB");
    for (std::size_t i = 0; i < std::size(kBombs); ++i) {
        const std::string path = dir.filePath(QString::number(i)).toStdString();
        const std::string line = RunSelf({self, "--one", path}, &status);
        int w = 0, h = 0, ch = 0;
        long before = 0, after = 0;
        if (std::sscanf(line.c_str(), "%d %d %d %ld %ld", &w, &h, &ch, &before, &after) != 5) {
            std::printf("%-42s child failed (status %d)\n", kBombs[i].name, status);
            continue;
        }
        char texture[32] = "refused", bound[32] = "-";
        if (w) {
            std::snprintf(texture, sizeof texture, "%dx%d", w, h);
            std::snprintf(bound, sizeof bound, "%.1f", 4.0 * w * h * 4 / (1 << 20) + 64);
        }
        std::printf("%-42s %8lld %10s %9.1f %9s %9.1f\n", kBombs[i].name,
                    static_cast<long long>(QFileInfo(QString::fromStdString(path)).size() / 1024),
                    texture, (after - before) / 1024.0, bound, after / 1024.0);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--one") == 0) return DecodeOne(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--make") == 0) return MakeBombs(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--bombs") == 0) return Bombs(argv[0]);
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
    show.OwnBackgroundActive = true;
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
