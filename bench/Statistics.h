// The order statistics every figure of the bench is given in.
#ifndef DIALFORGE_BENCH_STATISTICS_H
#define DIALFORGE_BENCH_STATISTICS_H

#include <chrono>
#include <vector>

namespace dialforge_bench {

struct Latency {
  double medianUs = 0;
  double p99Us = 0;
};

// Nearest rank: the smallest sample with at least that share of the samples at or below it; 0
// without samples.
double Percentile(std::vector<double> samples, double share);
double Median(std::vector<double> samples);
Latency LatencyOf(const std::vector<double>& samples);

using Clock = std::chrono::steady_clock;

inline double MicrosecondsBetween(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration<double, std::micro>(end - start).count();
}

}  // namespace dialforge_bench

#endif
