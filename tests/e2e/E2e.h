#pragma once
// Shared by the end-to-end runs: a private home for the real program, and
// ways to drive it from outside.

#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>

#include "support/TankProcess.h"
#include "support/TempDir.h"

inline void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
inline bool Sh(const std::string& command) { return std::system(command.c_str()) == 0; }
inline QImage Picture(const std::string& file) { return QImage(QString::fromStdString(file)); }

// Distinct colours on a grid every `step` pixels: a blank picture has few.
inline size_t Colours(const QImage& image, int step = 16) {
    std::set<QRgb> seen;
    for (int y = 0; y < image.height(); y += step)
        for (int x = 0; x < image.width(); x += step) seen.insert(image.pixel(x, y));
    return seen.size();
}

// Whether a visible window's title matches `pattern` within `seconds`.
// Windows that come and go while xdotool walks the tree make it fail with an
// X error: ask again.
inline bool WaitForWindow(const std::string& pattern, bool shown, double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        std::string out;
        if (FILE* p = popen(("xdotool search --onlyvisible --name '" + pattern + "' 2>&1").c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
            const bool found = pclose(p) == 0 && !out.empty();
            if (out.find("X Error") == std::string::npos && found == shown) return true;
        }
        if (std::chrono::steady_clock::now() > until) return false;
        Sleep(100);
    }
}

class EndToEnd : public ::testing::Test {
protected:
    TempDir home;
    EndToEnd() {
        Sh("mkdir -p " + home.File("config/VelmarScr") + " " + home.File("runtime") + " && chmod 700 " +
           home.File("runtime"));
    }
    std::string Settings() const { return home.File("config/VelmarScr/KelvaronSet.ini"); }
    // A copy is up once it has written its settings; give its window a moment more.
    bool WaitUntilStarted() const {
        for (int i = 0; i < 500 && ReadWholeFile(Settings()).empty(); ++i) Sleep(20);
        Sleep(300);
        return !ReadWholeFile(Settings()).empty();
    }
};
