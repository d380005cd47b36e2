// Processor time from getrusage.
#include "CpuClock.h"

#include <sys/resource.h>

namespace {
double Seconds(int who) {
  struct rusage u {};
  getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
}  // namespace

TCpuClock::TCpuClock()
    : FThread(Seconds(RUSAGE_THREAD)), FProcess(Seconds(RUSAGE_SELF)), FWall(std::chrono::steady_clock::now()) {}

TCpuClock::TUse TCpuClock::Since() const {
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - FWall).count();
  const double scale = wall > 0 ? 100 / wall : 0;
  return {(Seconds(RUSAGE_THREAD) - FThread) * scale, (Seconds(RUSAGE_SELF) - FProcess) * scale, wall};
}
