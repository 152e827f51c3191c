#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "app/PlatformCheck.h"
#include "support/TempDir.h"

namespace {

// A folder laid out like Qt's plugin folder, and a runtime folder where a
// compositor may listen, both real.
class PlatformFolders {
public:
    explicit PlatformFolders(std::vector<std::string> plugins, bool compositor) {
        std::filesystem::create_directories(dir_.File("plugins/platforms"));
        for (const std::string& plugin : plugins)
            WriteWholeFile(dir_.File("plugins/platforms/" + plugin), "");
        if (!compositor) return;
        listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = dir_.File("wayland-9");
        std::memcpy(address.sun_path, path.c_str(), path.size());
        EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(listener_, 4), 0);
    }
    ~PlatformFolders() {
        if (listener_ >= 0) close(listener_);
    }
    PlatformEnv Env(const std::string& platform) const {
        PlatformEnv env;
        env.qpaPlatform = platform;
        env.waylandDisplay = "wayland-9";
        env.runtimeDir = dir_.Path();
        env.pluginDirs = {dir_.File("plugins")};
        return env;
    }
    std::string Socket() const { return dir_.File("wayland-9"); }

private:
    TempDir dir_;
    int listener_ = -1;
};

const std::vector<std::string> kGeneric{"libqxcb.so", "libqwayland-generic.so"};

TEST(PlatformCheck, WaylandStartsOnlyWithItsPluginAndACompositor) {
    struct Case {
        const char* platform;
        std::vector<std::string> plugins;
        bool compositor;
        const char* problem;  // a word the message must hold; null: no problem
    };
    const Case cases[] = {
        {"", {}, false, nullptr},  // Qt picks a platform itself and falls back
        {"xcb", {}, false, nullptr},
        {"wayland", kGeneric, true, nullptr},
        {"wayland:nowmdecorations", kGeneric, true, nullptr},
        {"wayland", {"libqxcb.so"}, true, "qt6-wayland"},
        {"wayland", kGeneric, false, "no Wayland compositor answers"},
        {"wayland-egl", kGeneric, true, "qt6-wayland"},
        {"wayland-egl", {"libqwayland-egl.so"}, true, nullptr},
        // Qt tries the next entry when one fails.
        {"wayland;xcb", {}, false, nullptr},
        {"wayland-egl;wayland", kGeneric, true, nullptr},
        {"wayland-egl;wayland", {}, true, "qt6-wayland"},
    };
    for (const Case& c : cases) {
        PlatformFolders folders(c.plugins, c.compositor);
        const std::string problem = PlatformProblem(folders.Env(c.platform), false);
        if (!c.problem) {
            EXPECT_EQ(problem, "") << c.platform;
            continue;
        }
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.platform << ": " << problem;
        EXPECT_NE(problem.find(c.platform), std::string::npos) << problem;
    }
}

TEST(PlatformCheck, FindsTheCompositorWhereWaylandLooks) {
    PlatformFolders folders(kGeneric, true);
    PlatformEnv env = folders.Env("wayland");
    env.waylandDisplay = folders.Socket();  // a full path is taken as it is
    EXPECT_EQ(PlatformProblem(env, false), "");
    env.waylandDisplay = "";  // wayland-0 in the runtime folder: not there
    EXPECT_NE(PlatformProblem(env, false).find("/wayland-0"), std::string::npos);
    env.waylandSocket = true;  // a connection handed over needs no socket file
    EXPECT_EQ(PlatformProblem(env, false), "");
    env = folders.Env("wayland");
    env.runtimeDir = "";
    EXPECT_NE(PlatformProblem(env, false).find("XDG_RUNTIME_DIR"), std::string::npos);
    // The plugins' own folder, as Qt takes it from QT_QPA_PLATFORM_PLUGIN_PATH.
    env = folders.Env("wayland");
    env.pluginPath = env.pluginDirs[0] + "/platforms";
    env.pluginDirs.clear();
    EXPECT_EQ(PlatformProblem(env, false), "");
}

TEST(PlatformCheck, HackModeRefusesEveryPlatformButX11) {
    PlatformFolders folders(kGeneric, true);
    for (const char* platform : {"", "xcb", "xcb:nocursor"})
        EXPECT_EQ(PlatformProblem(folders.Env(platform), true), "") << platform;
    for (const char* platform : {"wayland", "offscreen", "wayland;xcb"}) {
        const std::string problem = PlatformProblem(folders.Env(platform), true);
        EXPECT_NE(problem.find("X11 windows only"), std::string::npos) << platform;
    }
}

TEST(PlatformCheck, HackModeAsksForX11UnlessTold) {
    {
        ScopedEnv unset("QT_QPA_PLATFORM", "");
        PreferX11ForHack();
        EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb");
    }
    ScopedEnv told("QT_QPA_PLATFORM", "xcb:nocursor");
    PreferX11ForHack();
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb:nocursor");
}

}  // namespace
