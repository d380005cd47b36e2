// A reader of outside data driven with arbitrary bytes. In the fuzz build a target is
// libFuzzer's entry point; in the test build it is registered by name, so every kept input
// (seed corpus and crash regressions) replays as an ordinary test.
#pragma once

#include <cstddef>
#include <cstdint>

using TFuzzTarget = int (*)(const uint8_t* data, size_t size);

// Test build only: the registered targets, in registration order.
struct TFuzzTargetEntry {
  const char* Name;
  TFuzzTarget Run;
};
int RegisterFuzzTarget(const char* name, TFuzzTarget run);
int GetFuzzTargetCount();
const TFuzzTargetEntry& GetFuzzTarget(int index);

// BRISK_FUZZ_TARGET(WaveClip) { ...use data, size...; return 0; }
#ifdef BRISK_FUZZ_ENTRY
#define BRISK_FUZZ_TARGET(Name)                                                          \
  static int Name##FuzzRun(const uint8_t* data, size_t size);                            \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {              \
    return Name##FuzzRun(data, size);                                                    \
  }                                                                                      \
  static int Name##FuzzRun([[maybe_unused]] const uint8_t* data, [[maybe_unused]] size_t size)
#else
#define BRISK_FUZZ_TARGET(Name)                                                          \
  static int Name##FuzzRun(const uint8_t* data, size_t size);                            \
  [[maybe_unused]] static const int Name##FuzzRegistered = RegisterFuzzTarget(#Name, &Name##FuzzRun); \
  static int Name##FuzzRun([[maybe_unused]] const uint8_t* data, [[maybe_unused]] size_t size)
#endif
