#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct CommandLineOptions {
    int windowWidth = 0;  // 0: cover the screen
    int windowHeight = 0;
    std::optional<std::uint32_t> seed;
    int frames = 0;  // 0: run until the user leaves
    std::string screenshot;
    bool benchmark = false;
    int fps = 0;  // 0: as fast as the display refreshes, at most 100
    bool help = false;
    bool version = false;
    // Hack mode: draw into a window a screensaver daemon made.
    bool root = false;  // XSCREENSAVER_WINDOW, else the root window
    std::optional<std::uint32_t> windowId;
    int screen = -1;    // -1: the primary screen
    bool span = false;  // one tank across every screen
    int bubbles = -1;   // hack mode: -1 keeps the settings file's value
    int light = -1;
    bool sound = false;  // hack mode: a screensaver is silent unless asked
};

struct CommandLineResult {
    CommandLineOptions options;
    std::string error;  // empty when the command line was good
};

// Parses the arguments after the program name.
CommandLineResult ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

// Frames a second a run asks for: screensaver hacks draw 30 unless told
// otherwise, as XScreenSaver's own do, so a blanked screen costs little.
int RequestedFps(const CommandLineOptions& options);

// Whether the run draws into a window a screensaver daemon made.
inline bool IsHack(const CommandLineOptions& options) {
    return options.root || options.windowId;
}

// Whether the run may make sound: always as a program, only with --sound as
// a screensaver hack (one copy per screen plus the settings preview).
inline bool SoundAllowed(const CommandLineOptions& options) {
    return !IsHack(options) || options.sound;
}

// An X window id, hex ("0x1e00007") or decimal; nothing for garbage, 0 or
// a value wider than the protocol's 32 bits.
std::optional<std::uint32_t> ParseWindowId(const std::string& text);
