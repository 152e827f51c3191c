#include "view/ProcessClock.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

double g_firstFrameMs = -1;

// Milliseconds since the process started, from /proc (boot-relative clocks).
double MsSinceProcessStart() {
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    // Field 22 (starttime); the stream starts at field 3.
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const double startTicks = std::stod(field);
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

}  // namespace

void MarkFirstFrame() {
    if (g_firstFrameMs < 0) g_firstFrameMs = MsSinceProcessStart();
}

double FirstFrameMs() { return g_firstFrameMs; }

void StartupMark(const char* what) {
    static const bool trace = std::getenv("TIDEMERE_STARTUP_TRACE") != nullptr;
    if (!trace) return;
    // CPU time too: on a busy machine the wall clock mostly measures the others.
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    std::fprintf(stderr, "startup %7.1f ms  cpu %7.1f ms  %s\n", MsSinceProcessStart(),
                 cpu.tv_sec * 1000.0 + cpu.tv_nsec / 1e6, what);
}
