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
};

struct CommandLineResult {
    CommandLineOptions options;
    std::string error;  // empty when the command line was good
};

// Parses the arguments after the program name.
CommandLineResult ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();
