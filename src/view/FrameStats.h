#pragma once

#include <string>
#include <vector>

// Frame times of a benchmark run, summarised.
struct FrameSummary {
    int count = 0;
    double mean = 0, median = 0, p95 = 0, p99 = 0, fps = 0;
};

FrameSummary Summarise(std::vector<double> milliseconds);
std::string FormatSummary(const std::string& label, const FrameSummary& s);
