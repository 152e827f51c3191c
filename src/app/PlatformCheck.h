#pragma once

#include <string>
#include <vector>

// What decides whether Qt's display platform can start. Qt aborts the process
// inside the application's constructor when the platform it is told to use
// cannot load, so the program looks first and says why instead.
struct PlatformEnv {
    std::string qpaPlatform;     // QT_QPA_PLATFORM: "name[:args]" entries separated by ';'
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    bool waylandSocket = false;  // WAYLAND_SOCKET hands over a connection already made
    std::string runtimeDir;      // XDG_RUNTIME_DIR
    std::string pluginPath;      // QT_QPA_PLATFORM_PLUGIN_PATH: holds the plugins themselves
    std::vector<std::string> pluginDirs;  // folders whose platforms/ holds the plugins
};

// The environment of this process, with Qt's own plugin folder.
PlatformEnv CurrentPlatformEnv();

// Empty when the platform asked for can start (or Qt picks one itself and
// falls back on its own); else the message, one line. Hack mode draws into
// X11 windows, so it refuses any other platform named.
std::string PlatformProblem(const PlatformEnv& env, bool hack);

// Hack mode draws into X11 windows: with no platform named, Qt is told to
// use X11 rather than pick Wayland on a Wayland session.
void PreferX11ForHack();
