// Timing helpers shared by the benchmark programs that print a ratio of two ways of doing
// the same work after the Google Benchmark runs.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

/// Median of `runs` timings of `f`, in seconds. The median keeps one slow run on a busy
/// machine from deciding the ratio.
template <typename F>
double MedianSeconds(int runs, F&& f) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(f());
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    times.push_back(elapsed.count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[static_cast<size_t>(runs / 2)];
}

/// Runs the benchmarks the command line selects; false when it holds arguments nobody knows.
inline bool RunBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return false;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return true;
}
