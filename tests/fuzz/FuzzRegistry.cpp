// The fuzz targets compiled into the test build, found by name.
#include <vector>

#include "FuzzTarget.h"

namespace {
std::vector<TFuzzTargetEntry>& Targets() {
  static std::vector<TFuzzTargetEntry> targets;
  return targets;
}
}  // namespace

int RegisterFuzzTarget(const char* name, TFuzzTarget run) {
  Targets().push_back({name, run});
  return static_cast<int>(Targets().size());
}
int GetFuzzTargetCount() { return static_cast<int>(Targets().size()); }
const TFuzzTargetEntry& GetFuzzTarget(int index) { return Targets()[index]; }
