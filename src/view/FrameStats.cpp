#include "view/FrameStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace {

// Nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double p) {
    const size_t rank = static_cast<size_t>(std::ceil(p / 100.0 * sorted.size()));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

}  // namespace

FrameSummary Summarise(std::vector<double> ms) {
    FrameSummary s;
    if (ms.empty()) return s;
    std::sort(ms.begin(), ms.end());
    s.count = static_cast<int>(ms.size());
    s.mean = std::accumulate(ms.begin(), ms.end(), 0.0) / ms.size();
    const size_t mid = ms.size() / 2;
    s.median = ms.size() % 2 ? ms[mid] : (ms[mid - 1] + ms[mid]) / 2.0;
    s.p95 = Percentile(ms, 95);
    s.p99 = Percentile(ms, 99);
    s.fps = s.mean > 0 ? 1000.0 / s.mean : 0;
    return s;
}

std::string FormatSummary(const std::string& label, const FrameSummary& s) {
    char line[256];
    std::snprintf(line, sizeof line,
                  "%-10s frames %5d  mean %7.2f ms  median %7.2f ms  p95 %7.2f ms  p99 %7.2f ms  "
                  "%7.1f fps",
                  label.c_str(), s.count, s.mean, s.median, s.p95, s.p99, s.fps);
    return line;
}
