// What a stretch of the session cost in processor time, as shares of one core.
#pragma once

#include <chrono>

// The calling thread's own time (the IDE's thread, which waits when there is nothing to do)
// and the whole process's (the audio device's thread too), from the moment it is made.
class TCpuClock {
 public:
  struct TUse {
    double ThreadPercent, ProcessPercent, WallSeconds;
  };
  TCpuClock();
  TUse Since() const;

 private:
  double FThread, FProcess;
  std::chrono::steady_clock::time_point FWall;
};
