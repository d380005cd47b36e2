// Log-linear steps: exact below 64 ns, then 64 steps in each power of two.
#include "LatencyHistogram.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

int TLatencyHistogram::IndexOf(uint64_t v) {
  if (v < kSteps) return static_cast<int>(v);
  const int octave = std::bit_width(v) - 7;  // v in [64 << octave, 128 << octave)
  const int index = (octave + 1) * kSteps + static_cast<int>((v >> octave) - kSteps);
  return std::min(index, kSteps * kOctaves - 1);
}

int64_t TLatencyHistogram::UpperEdgeOf(int index) {
  if (index < kSteps) return index + 1;
  const int octave = index / kSteps - 1;
  const uint64_t step = static_cast<uint64_t>(index % kSteps) + kSteps;
  return static_cast<int64_t>((step + 1) << octave);
}

void TLatencyHistogram::Add(int64_t nanos) {
  nanos = std::max<int64_t>(nanos, 0);
  ++FCounts[IndexOf(static_cast<uint64_t>(nanos))];
  ++FCount;
  FMax = std::max(FMax, nanos);
}

int64_t TLatencyHistogram::Percentile(double fraction) const {
  if (FCount == 0) return 0;
  const uint64_t rank = static_cast<uint64_t>(std::ceil(fraction * static_cast<double>(FCount)));
  uint64_t seen = 0;
  for (int i = 0; i < kSteps * kOctaves; ++i) {
    seen += FCounts[i];
    if (seen >= std::max<uint64_t>(rank, 1)) return std::min(UpperEdgeOf(i), FMax);
  }
  return FMax;
}
