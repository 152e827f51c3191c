#pragma once
// Shared by the end-to-end runs: a private home for the real program, and
// ways to drive it from outside and to look at what it drew.

#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "support/TankProcess.h"

inline void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
inline bool Sh(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Share of the pixels on a grid every `step` pixels for which `is(pixel)` holds.
template <typename Is>
double Share(const QImage& image, Is is, int step = 2) {
    long hits = 0, all = 0;
    for (int y = 0; y < image.height(); y += step)
        for (int x = 0; x < image.width(); x += step, ++all)
            hits += is(image.pixel(x, y));
    return all ? double(hits) / all : 0.0;
}

// Distinct colours on a grid every `step` pixels: a blank picture has few.
inline size_t Colours(const QImage& image, int step = 16) {
    std::set<QRgb> seen;
    for (int y = 0; y < image.height(); y += step)
        for (int x = 0; x < image.width(); x += step)
            seen.insert(image.pixel(x, y));
    return seen.size();
}

// Whether a visible window's title matches `pattern` within `tenths` of a second.
inline bool WaitForWindow(const std::string& pattern, bool shown, int tenths) {
    for (int i = 0; i < tenths; ++i, Sleep(100))
        if (Sh("xdotool search --onlyvisible --name '" + pattern + "' >/dev/null 2>&1") == shown)
            return true;
    return false;
}

class EndToEnd : public ::testing::Test {
protected:
    TempDir home;
    EndToEnd() {
        Sh("mkdir -p " + home.File("config/VelmarScr") + " " + home.File("runtime") +
           " && chmod 700 " + home.File("runtime"));
    }
    std::string Settings() const { return home.File("config/VelmarScr/KelvaronSet.ini"); }
    // Runs the program to its end and returns its last frame (null if it failed).
    QImage LastFrame(std::vector<std::string> args, std::string* output = nullptr,
                     const TankProcess::Env& env = {}) {
        const std::string shot = home.File("last-frame.png");
        std::remove(shot.c_str());
        args.insert(args.end(), {"--screenshot", shot});
        TankProcess run(home, args, env);
        const int status = run.Wait(120);
        if (output) *output = run.Output();
        EXPECT_EQ(status, 0) << run.Output();
        return status == 0 ? QImage(QString::fromStdString(shot)) : QImage();
    }
};
