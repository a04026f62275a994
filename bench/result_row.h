#pragma once

// One row of the benchmark table that bench/run collects: a figure, the baseline it is measured
// against in the same run, and their ratio. Tab-separated after the "ROW" tag.
#include <cstdio>

namespace quillorn::bench {

inline void resultRow(const char* what, double value, const char* baselineName,
                      double baselineValue, const char* unit) {
    std::printf("ROW\t%s\t%.3f %s\t%s\t%.3f %s\t%.2f\n", what, value, unit, baselineName,
                baselineValue, unit, baselineValue != 0 ? value / baselineValue : 0.0);
    std::fflush(stdout);
}

} // namespace quillorn::bench
