#include "app/PlatformCheck.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLibraryInfo>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        if (!part.empty()) parts.push_back(part);
    return parts;
}

// "wayland-egl:args" -> "wayland-egl"
std::string PlatformName(const std::string& entry) {
    return entry.substr(0, entry.find(':'));
}

bool IsWayland(const std::string& name) {
    return name.rfind("wayland", 0) == 0;
}

// Qt's Wayland plugins are libqwayland-generic.so for "wayland" and
// libqwayland-X.so for "wayland-X".
bool HasWaylandPlugin(const PlatformEnv& env, const std::string& name) {
    const std::string file = name == "wayland" ? "libqwayland-generic.so" : "libq" + name + ".so";
    std::vector<std::string> dirs;
    if (!env.pluginPath.empty()) dirs.push_back(env.pluginPath);
    for (const std::string& dir : env.pluginDirs)
        dirs.push_back(dir + "/platforms");
    std::error_code ec;
    for (const std::string& dir : dirs)
        if (std::filesystem::is_regular_file(dir + "/" + file, ec)) return true;
    return false;
}

std::string WaylandSocketPath(const PlatformEnv& env) {
    const std::string name = env.waylandDisplay.empty() ? "wayland-0" : env.waylandDisplay;
    if (name[0] == '/') return name;
    return env.runtimeDir.empty() ? "" : env.runtimeDir + "/" + name;
}

bool CompositorAnswers(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

}  // namespace

PlatformEnv CurrentPlatformEnv() {
    PlatformEnv env;
    env.qpaPlatform = Env("QT_QPA_PLATFORM");
    env.waylandDisplay = Env("WAYLAND_DISPLAY");
    env.waylandSocket = !Env("WAYLAND_SOCKET").empty();
    env.runtimeDir = Env("XDG_RUNTIME_DIR");
    env.pluginPath = Env("QT_QPA_PLATFORM_PLUGIN_PATH");
    env.pluginDirs = Split(Env("QT_PLUGIN_PATH"), ':');
    env.pluginDirs.push_back(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString());
    return env;
}

std::string PlatformProblem(const PlatformEnv& env, bool hack) {
    const std::vector<std::string> entries = Split(env.qpaPlatform, ';');
    if (hack) {
        if (entries.empty() || PlatformName(entries.front()) == "xcb") return "";
        return "the screensaver modes (--root, --window-id) draw into X11 windows only, but "
               "QT_QPA_PLATFORM is \"" +
               env.qpaPlatform + "\"; unset it or set it to xcb";
    }
    // Qt tries the entries in turn; only Wayland ones can be judged here.
    std::string problem;
    for (const std::string& entry : entries) {
        const std::string name = PlatformName(entry);
        if (!IsWayland(name)) return "";
        if (!HasWaylandPlugin(env, name)) {
            if (problem.empty())
                problem = "QT_QPA_PLATFORM is \"" + env.qpaPlatform +
                          "\" but Qt's Wayland platform plugin is not installed "
                          "(Debian package qt6-wayland)";
            continue;
        }
        if (env.waylandSocket) return "";
        const std::string path = WaylandSocketPath(env);
        if (CompositorAnswers(path)) return "";
        problem = "QT_QPA_PLATFORM is \"" + env.qpaPlatform +
                  "\" but no Wayland compositor answers" +
                  (path.empty() ? std::string(" (XDG_RUNTIME_DIR is not set)") : " at " + path);
    }
    return problem;
}

void PreferX11ForHack() {
    if (Env("QT_QPA_PLATFORM").empty()) setenv("QT_QPA_PLATFORM", "xcb", 1);
}
