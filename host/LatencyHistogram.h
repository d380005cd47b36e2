// Latencies kept as counts in a fixed table, so a session of any length costs the same memory.
#pragma once

#include <array>
#include <cstdint>

// Nanoseconds, to within about 1.6 % (64 steps per power of two), up to over a minute.
class TLatencyHistogram {
 public:
  void Add(int64_t nanos);
  uint64_t GetCount() const { return FCount; }
  int64_t GetMax() const { return FMax; }
  // The value below which `fraction` of the samples lie (the upper edge of its step); 0 when
  // empty.
  int64_t Percentile(double fraction) const;

 private:
  static constexpr int kSteps = 64;
  static constexpr int kOctaves = 32;
  static int IndexOf(uint64_t nanos);
  static int64_t UpperEdgeOf(int index);

  std::array<uint64_t, kSteps * kOctaves> FCounts{};
  uint64_t FCount = 0;
  int64_t FMax = 0;
};
