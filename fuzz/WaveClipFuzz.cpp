// The wave decoder takes any bytes a user's wave file may hold.
#include "FuzzTarget.h"
#include "platform/vellumkit/WaveClip.h"

BRISK_FUZZ_TARGET(WaveClip) {
  std::string error;
  TWaveClip::TRef clip = TWaveClip::Decode(data, size, &error);
  // A refusal always says why; a clip always has frames.
  if (!clip && error.empty()) __builtin_trap();
  if (clip && clip->GetFrames() == 0) __builtin_trap();
  return 0;
}
