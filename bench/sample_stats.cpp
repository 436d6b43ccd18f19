#include "bench/sample_stats.h"

#include <algorithm>
#include <cstdio>

SampleSummary Summarise(std::vector<double> samples) {
    SampleSummary summary;
    summary.count = samples.size();
    if (samples.empty()) {
        return summary;
    }
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    // An even count takes the mean of the two middle samples, so the median never leans.
    summary.median =
        samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2.0;
    summary.min = samples.front();
    summary.max = samples.back();
    return summary;
}

void PrintTableHeader() {
    std::printf("| figure | median | min | max | runs | goal |\n");
    std::printf("|---|---|---|---|---|---|\n");
}

void PrintTableRow(const std::string& figure, const std::vector<double>& samples,
                   const std::string& unit, const std::string& goal) {
    const SampleSummary s = Summarise(samples);
    if (s.count == 0) {
        std::printf("| %s | no sample | | | 0 | %s |\n", figure.c_str(), goal.c_str());
        return;
    }
    std::printf("| %s | %.2f %s | %.2f | %.2f | %zu | %s |\n", figure.c_str(), s.median,
                unit.c_str(), s.min, s.max, s.count, goal.c_str());
    std::fflush(stdout);
}
