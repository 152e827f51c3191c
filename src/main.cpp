#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/AquariumApp.h"
#include "app/CommandLine.h"
#include "app/DisplayCheck.h"
#include "app/PlatformCheck.h"
#include "app/XWindowProbe.h"
#include "platform/MessageBox.h"
#include "platform/ProductInfo.h"
#include "platform/Random.h"
#include "view/ProcessClock.h"

int main(int argc, char** argv) {
    StartupMark("main");
#ifdef M_TRIM_THRESHOLD
    // The software renderer allocates and frees megabytes every frame; with
    // the default threshold the heap top is handed back to the system and
    // faulted in again each time (a tenth of a frame's CPU in page clearing).
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    const CommandLineResult parsed = ParseCommandLine(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "tidemere: %s\nTry 'tidemere --help'.\n",
                     MessageLine(parsed.error).c_str());
        return 2;
    }
    const CommandLineOptions& o = parsed.options;
    if (o.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (o.version) {
        std::printf("%s\n", kProductTitle);
        return 0;
    }
    if (o.seed) SeedDefaultRandom(*o.seed);

    RunOptions run;
    run.frames = o.frames;
    run.screenshot = o.screenshot;
    run.benchmark = o.benchmark;
    run.fps = RequestedFps(o);
    run.bubbles = o.bubbles;
    run.light = o.light;
    run.sound = SoundAllowed(o);
    const bool hack = IsHack(o);
    // Qt aborts when the platform it is told to use cannot start: say why first.
    const std::string platformProblem = PlatformProblem(CurrentPlatformEnv(), hack);
    if (!platformProblem.empty()) {
        ReportProblem(platformProblem);
        return 2;
    }
    if (hack) PreferX11ForHack();
    HackTarget target;
    // The checks' X connection stays open until Qt has its own: an X server
    // left with no client resets, and a connection made meanwhile waits for
    // the reset (about 90 ms).
    std::optional<XWindowProbe> xConnection;
    if (hack) {
        // Checked before Qt connects: Qt would take a bad id for a window.
        xConnection.emplace();
        target = FindHackTarget(*xConnection, o.root, o.windowId.value_or(0),
                                std::getenv("XSCREENSAVER_WINDOW"));
        if (!target.error.empty()) {
            ReportProblem(target.error);
            return 2;
        }
    }

    if (!hack) {
        if (const std::string problem = DisplayProblem(argc, argv, &xConnection);
            !problem.empty()) {
            ReportProblem(problem);
            return 2;
        }
    }

    // A screensaver never opens a window of its own: messages go to stderr.
    AquariumApp app(argc, argv, !hack);
    xConnection.reset();
    StartupMark("Qt application");
    if (o.windowWidth > 0) {
        if (const std::string problem = WindowSizeProblem(o.windowWidth, o.windowHeight);
            !problem.empty()) {
            ReportProblem(problem);
            return 2;
        }
    }
    int status;
    if (hack)
        status = app.InitHack(target, run);
    else if (o.windowWidth > 0)
        status = app.InitInstance(o.windowWidth, o.windowHeight, run);
    else
        status = app.InitInstance(run, o.screen, o.span);
    if (status >= 0) return status;
    StartupMark("window shown");
    return app.exec();
}
