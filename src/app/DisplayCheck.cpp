#include "app/DisplayCheck.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QScreen>
#include <cmath>
#include <cstdlib>
#include <cstring>


namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Whether a Wayland compositor listens where WAYLAND_DISPLAY says.
bool WaylandReachable() {
    std::string socketPath = Env("WAYLAND_DISPLAY");
    if (socketPath.empty()) socketPath = "wayland-0";
    if (socketPath[0] != '/') {
        const std::string runtime = Env("XDG_RUNTIME_DIR");
        if (runtime.empty()) return false;
        socketPath = runtime + "/" + socketPath;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

// The first platform Qt will try, as it picks one on Linux.
std::string ChosenPlatform(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return argv[i + 1];
    std::string name = Env("QT_QPA_PLATFORM");
    if (!name.empty()) return name.substr(0, name.find(';'));
    const std::string session = Env("XDG_SESSION_TYPE");
    const std::string desktop = Env("XDG_CURRENT_DESKTOP") + Env("XDG_SESSION_DESKTOP");
    if (session == "wayland" && desktop.find("GNOME") == std::string::npos &&
        desktop.find("gnome") == std::string::npos)
        return "wayland";
    return "xcb";
}

}  // namespace

std::string DisplayProblem(int argc, char** argv, std::optional<XWindowProbe>* connection) {
    const std::string platform = ChosenPlatform(argc, argv);
    if (platform.rfind("xcb", 0) == 0) {
        connection->emplace();
        if ((*connection)->Connected()) return {};
        const std::string display = Env("DISPLAY");
        return display.empty() ? "no display: DISPLAY is not set"
                               : "cannot open the display '" + display + "'";
    }
    if (platform.rfind("wayland", 0) == 0) {
        if (WaylandReachable()) return {};
        return "cannot reach the Wayland display '" +
               (Env("WAYLAND_DISPLAY").empty() ? std::string("wayland-0")
                                               : Env("WAYLAND_DISPLAY")) +
               "'";
    }
    return {};  // offscreen, vnc and the like need nothing to be there
}

std::string WindowSizeProblem(int width, int height) {
    const std::string asked = std::to_string(width) + "x" + std::to_string(height);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect all = screen->virtualGeometry();
        if (width > all.width() || height > all.height())
            return "a window of " + asked + " does not fit on the screen (" +
                   std::to_string(all.width()) + "x" + std::to_string(all.height()) + ")";
    }
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface)) return {};  // said later
    GLint dims[2] = {0, 0};
    context.functions()->glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    context.doneCurrent();
    const qreal dpr = screen ? screen->devicePixelRatio() : 1.0;
    const long long w = std::llround(width * dpr), h = std::llround(height * dpr);
    if (dims[0] > 0 && dims[1] > 0 && (w > dims[0] || h > dims[1]))
        return "a window of " + asked + " is larger than OpenGL can draw (" +
               std::to_string(dims[0]) + "x" + std::to_string(dims[1]) + ")";
    return {};
}
