#include "bench/Statistics.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace dialforge_bench {

double Percentile(std::vector<double> samples, double share) {
  if (samples.empty()) {
    return 0;
  }
  std::sort(samples.begin(), samples.end());
  size_t rank = static_cast<size_t>(share * static_cast<double>(samples.size()) + 0.999999);
  rank = std::clamp<size_t>(rank, 1, samples.size());
  return samples[rank - 1];
}

double Median(std::vector<double> samples) {
  return Percentile(std::move(samples), 0.5);
}

Latency LatencyOf(const std::vector<double>& samples) {
  return Latency{Median(samples), Percentile(samples, 0.99)};
}

}  // namespace dialforge_bench
