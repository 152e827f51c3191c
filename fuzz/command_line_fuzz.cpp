// The command line: NUL-separated arguments of any content either parse into
// options inside their documented ranges or give a message, never both.
#include <cstdint>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "support/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t k = 0; k < size && args.size() <= 32; ++k) {
        if (data[k] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[k]);
    }
    const CommandLineResult r = ParseCommandLine(args);
    const CommandLineOptions& o = r.options;
    if (r.error.empty()) {
        const bool fullScreen = o.windowWidth == 0 && o.windowHeight == 0;
        const bool windowed = o.windowWidth >= 1 && o.windowWidth <= 16384 && o.windowHeight >= 1 &&
                              o.windowHeight <= 16384;
        fuzz::Check(fullScreen || windowed, "window size in range");
        fuzz::Check(o.frames >= 0, "frame count not negative");
        fuzz::Check(o.screenshot.empty() || o.frames > 0, "a screenshot knows its frame");
        fuzz::Check(!(o.root && o.windowId), "a window id wins over --root");
        fuzz::Check(!o.sound || IsHack(o), "--sound only for a screensaver");
    }
    fuzz::Check(!UsageText().empty(), "usage text");
    return 0;
}
