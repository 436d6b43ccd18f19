#pragma once
// A row of the figures table: the median of several samples with their spread, in Markdown.

#include <cstddef>
#include <string>
#include <vector>

struct SampleSummary {
    double median = 0.0;
    double min = 0.0;
    double max = 0.0;
    std::size_t count = 0;
};

// Empty samples give a summary with count 0.
SampleSummary Summarise(std::vector<double> samples);

void PrintTableHeader();
// `goal` is what the figure is held against, or "-" when it has none.
void PrintTableRow(const std::string& figure, const std::vector<double>& samples,
                   const std::string& unit, const std::string& goal);
