// SPDX-License-Identifier: MIT
#pragma once

// Repetition statistics of every benchmark: besides Google Benchmark's mean,
// median and standard deviation, the fastest and the slowest repetition, so
// that a report can quote medians with their spread on a noisy machine.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace fixtora::bench {

inline double fastest(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

inline double slowest(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

/// Adds the "min" and "max" aggregates; use as `->Apply(bench::withSpread)`.
inline void withSpread(benchmark::internal::Benchmark* b) {
    b->ComputeStatistics("min", fastest)->ComputeStatistics("max", slowest);
}

}  // namespace fixtora::bench
