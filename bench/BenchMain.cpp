// Runs every benchmark and prints each one's ratio to its group's baseline of the same run.
#include <cstdio>
#include <cstdlib>

#include "RatioReporter.h"
#include "platform/vellumkit/ZKWavePlayer.h"

int main(int argc, char** argv) {
  // Real audio output; a machine without a sound card gets SDL's silent driver.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  TZKWavePlayer::UseDevice();
  std::printf("audio output: %s\n", dynamic_cast<TSDLAudioOutput*>(TZKWavePlayer::GetOutput())
                                        ? "SDL device"
                                        : ("none: " + TSDLAudioOutput::GetNoDeviceReason()).c_str());
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
