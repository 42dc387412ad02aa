#pragma once

#include <cstdint>
#include <vector>

// Durations in milliseconds, counted in 0.1 ms buckets up to a ceiling; the
// largest value is kept exactly. All memory is taken at construction, so
// recording for hours never allocates.
class Histogram {
public:
  explicit Histogram(double ceilingMs = 2000.0) : Buckets(static_cast<std::size_t>(ceilingMs * 10.0) + 1, 0) {}

  void Add(double ms) {
    if (ms < 0.0) ms = 0.0;
    std::size_t bucket = static_cast<std::size_t>(ms * 10.0);
    if (bucket >= Buckets.size()) bucket = Buckets.size() - 1;
    ++Buckets[bucket];
    ++Count;
    if (ms > Max) Max = ms;
  }
  void Clear() {
    for (auto& bucket : Buckets) bucket = 0;
    Count = 0;
    Max = 0.0;
  }
  // The value below which the fraction q of the samples lie (upper bucket edge).
  double Quantile(double q) const {
    if (Count == 0) return 0.0;
    const uint64_t rank = static_cast<uint64_t>(q * static_cast<double>(Count - 1)) + 1;
    uint64_t seen = 0;
    for (std::size_t i = 0; i < Buckets.size(); ++i) {
      seen += Buckets[i];
      if (seen >= rank) {
        const double edge = static_cast<double>(i + 1) / 10.0;
        return edge < Max ? edge : Max;
      }
    }
    return Max;
  }

  uint64_t Count = 0;
  double Max = 0.0;

private:
  std::vector<uint64_t> Buckets;
};
