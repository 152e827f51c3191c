#include "app/CommandLine.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

// A whole decimal number within [lo, hi], nothing else.
bool ParseNumber(const std::string& text, long long lo, long long hi, long long* out) {
    if (text.empty() || text.size() > 19) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool ParseSize(const std::string& text, int* w, int* h) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    long long a, b;
    if (!ParseNumber(text.substr(0, x), 1, 16384, &a) ||
        !ParseNumber(text.substr(x + 1), 1, 16384, &b))
        return false;
    *w = static_cast<int>(a);
    *h = static_cast<int>(b);
    return true;
}

}  // namespace

int RequestedFps(const CommandLineOptions& options) {
    if (options.fps == 0 && IsHack(options)) return 30;
    return options.fps;
}

std::optional<std::uint32_t> ParseWindowId(const std::string& text) {
    std::string digits = text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
        base = 16;
    }
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    for (char c : digits) {
        const bool ok =
            base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : (c >= '0' && c <= '9');
        if (!ok) return std::nullopt;
    }
    const unsigned long long v = std::strtoull(digits.c_str(), nullptr, base);
    if (v == 0 || v > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

std::string UsageText() {
    return "Usage: tidemere [options]\n"
           "\n"
           "An animated 3D aquarium that covers the screen. Right-click for the menu,\n"
           "F1 shows or hides the help text, Escape leaves.\n"
           "\n"
           "Options:\n"
           "  --window WxH         run in a window of W x H pixels instead of full screen\n"
           "  --seed N             fix the random numbers (a reproducible tank)\n"
           "  --frames N           quit after N frames\n"
           "  --screenshot FILE    save the last frame as a PNG picture\n"
           "  --benchmark          draw frames as fast as possible and print frame times\n"
           "  --fps N              draw N frames a second (1 to 1000; the tank always moves\n"
           "                       at the same speed, 100 steps a second); default: as\n"
           "                       fast as the display refreshes, at most 100\n"
           "  --root               screensaver: draw into $XSCREENSAVER_WINDOW, else into\n"
           "                       the root window\n"
           "  --window-id ID       screensaver: draw into the X window ID (hex 0x... or decimal);\n"
           "                       it wins over --root, as a settings preview passes both\n"
           "  --bubbles N          screensaver: N bubbles (0 to 110) instead of the settings'\n"
           "  --light N            screensaver: brightness 0 (dark) to 100 (full) instead of\n"
           "                       the settings'\n"
           "  --sound              screensaver: play the built-in sound or your own music as\n"
           "                       the settings say (a screensaver is silent without it)\n"
           "  --screen N           cover screen N (0 is the first) instead of the primary screen\n"
           "  --span               cover every screen with one tank\n"
           "  --help               show this text\n"
           "  --version            show the version\n";
}

CommandLineResult ParseCommandLine(const std::vector<std::string>& args) {
    CommandLineResult r;
    auto fail = [&r](const std::string& message) {
        r.error = message;
        return r;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue) return true;
            if (i + 1 >= args.size()) return false;
            value = args[++i];
            return true;
        };
        long long n = 0;
        if (arg == "--help" || arg == "-h") {
            r.options.help = true;
        } else if (arg == "--version") {
            r.options.version = true;
        } else if (arg == "--benchmark") {
            r.options.benchmark = true;
        } else if (arg == "--window") {
            if (!takeValue()) return fail("--window needs a size such as 1280x720");
            if (!ParseSize(value, &r.options.windowWidth, &r.options.windowHeight))
                return fail("--window: '" + value + "' is not a size such as 1280x720");
        } else if (arg == "--seed") {
            if (!takeValue()) return fail("--seed needs a number");
            if (!ParseNumber(value, 0, UINT32_MAX, &n))
                return fail("--seed: '" + value + "' is not a number from 0 to 4294967295");
            r.options.seed = static_cast<std::uint32_t>(n);
        } else if (arg == "--frames") {
            if (!takeValue()) return fail("--frames needs a number");
            if (!ParseNumber(value, 1, INT_MAX, &n))
                return fail("--frames: '" + value + "' is not a whole number of at least 1");
            r.options.frames = static_cast<int>(n);
        } else if (arg == "--fps") {
            if (!takeValue()) return fail("--fps needs a number");
            if (!ParseNumber(value, 1, 1000, &n))
                return fail("--fps: '" + value + "' is not a whole number from 1 to 1000");
            r.options.fps = static_cast<int>(n);
        } else if (arg == "--screenshot") {
            if (!takeValue() || value.empty()) return fail("--screenshot needs a file name");
            r.options.screenshot = value;
        } else if (arg == "--root" || arg == "-root") {
            r.options.root = true;
        } else if (arg == "--window-id" || arg == "-window-id") {
            if (!takeValue()) return fail(arg + " needs an X window id such as 0x1e00007");
            r.options.windowId = ParseWindowId(value);
            if (!r.options.windowId)
                return fail(arg + ": '" + value + "' is not an X window id such as 0x1e00007");
        } else if (arg == "--screen") {
            if (!takeValue()) return fail("--screen needs a screen number");
            if (!ParseNumber(value, 0, 255, &n))
                return fail("--screen: '" + value + "' is not a screen number from 0 to 255");
            r.options.screen = static_cast<int>(n);
        } else if (arg == "--bubbles" || arg == "-bubbles") {
            if (!takeValue()) return fail(arg + " needs a number of bubbles");
            if (!ParseNumber(value, 0, 110, &n))
                return fail(arg + ": '" + value + "' is not a number of bubbles from 0 to 110");
            r.options.bubbles = static_cast<int>(n);
        } else if (arg == "--light" || arg == "-light") {
            if (!takeValue()) return fail(arg + " needs a light level");
            if (!ParseNumber(value, 0, 100, &n))
                return fail(arg + ": '" + value + "' is not a light level from 0 to 100");
            r.options.light = static_cast<int>(n);
        } else if (arg == "--sound" || arg == "-sound") {
            r.options.sound = true;
        } else if (arg == "--span") {
            r.options.span = true;
        } else {
            return fail("unknown option '" + args[i] + "'");
        }
    }
    const bool hack = IsHack(r.options);
    // A settings preview runs the configured "--root" command with
    // "--window-id" added: the named window wins.
    if (r.options.root && r.options.windowId) r.options.root = false;
    if (hack && (r.options.windowWidth > 0 || r.options.screen >= 0 || r.options.span))
        return fail(std::string(r.options.root ? "--root" : "--window-id") +
                    " draws into a given window: --window, --screen and --span do not apply");
    // Elsewhere the settings dialog sets them, and could save an override.
    if (!hack && (r.options.bubbles >= 0 || r.options.light >= 0))
        return fail(
            "--bubbles and --light are for --root and --window-id; the settings set them "
            "otherwise");
    // The program plays its sound anyway; only a screensaver needs asking.
    if (!hack && r.options.sound)
        return fail("--sound is for --root and --window-id; the program plays its sound anyway");
    if (r.options.span && (r.options.windowWidth > 0 || r.options.screen >= 0))
        return fail("--span covers every screen: --window and --screen do not apply");
    if (r.options.screen >= 0 && r.options.windowWidth > 0)
        return fail("--screen is for full screen: --window does not apply");
    if (!r.options.screenshot.empty() && r.options.frames == 0)
        return fail("--screenshot needs --frames N to know which frame to save");
    return r;
}
