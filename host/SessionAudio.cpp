// The session's sound output: capture sink and audio device side by side.
#include "SessionAudio.h"

#include <thread>

#include "platform/vellumkit/ZKWavePlayer.h"

namespace {
int64_t SteadyNs(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}
}  // namespace

TSessionAudio::TSessionAudio(bool useDevice) {
  // Choosing an output first keeps the player from opening the device on its own.
  TZKWavePlayer::UseCaptureSink(&FCapture);
  FCapture.SetKeepHistory(false);
  FDevice.GetMixer().SetStampStarts(true);
  if (useDevice) FDevice.Open();
  TAudioOutput::SetCurrent(this);
}

TSessionAudio::~TSessionAudio() {
  if (TAudioOutput::GetCurrent() == this) TZKWavePlayer::UseSilence();
  FDevice.Close();
}

bool TSessionAudio::WriteTo(const std::string& fileName, std::string& error) {
  if (!FWriter.Open(fileName, &error)) return false;
  FCapture.SetWriter(&FWriter);
  return true;
}

bool TSessionAudio::FinishFile(std::string& error) {
  FCapture.SetWriter(nullptr);
  return FWriter.Close(&error);
}

void TSessionAudio::Play(const std::string& fileName, bool builtIn, const TWaveClip::TRef& clip) {
  const auto now = std::chrono::steady_clock::now();
  if (FMarked) FReleaseToQueued.Add(std::chrono::duration_cast<std::chrono::nanoseconds>(now - FMark).count());
  if (builtIn) ++FBuiltInPlays;
  else ++FPlaysByFile[fileName];
  if (!clip) ++FSilentPlays;
  FCapture.Play(fileName, builtIn, clip);

  TakeStartStamps();
  const uint64_t dropped = FDevice.GetMixer().GetDroppedCount();
  FDevice.Play(fileName, builtIn, clip);
  if (!FDevice.IsOpen()) {
    FPendingMarks.clear();  // a lost device starts none of them
    return;
  }
  // Only a sound that went into the device's queue will be stamped when it starts.
  if (clip && FDevice.GetMixer().GetDroppedCount() == dropped) FPendingMarks.push_back(FMarked ? SteadyNs(FMark) : -1);
}

void TSessionAudio::TakeStartStamps() {
  int64_t started;
  while (!FPendingMarks.empty() && FDevice.GetMixer().TakeStartStamp(started)) {
    const int64_t mark = FPendingMarks.front();
    FPendingMarks.pop_front();
    if (mark >= 0) FReleaseToMix.Add(started - mark);
  }
}

void TSessionAudio::Settle() {
  if (!FDevice.IsOpen()) return;
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::microseconds(4ull * FDevice.GetBufferFrames() * 1000000 / kMixRate);
  TakeStartStamps();
  while (!FPendingMarks.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    TakeStartStamps();
  }
}

bool TSessionAudio::DeviceIsAudible() const {
  const std::string driver = FDevice.GetDriverName();
  return FDevice.IsOpen() && driver != "dummy" && driver != "disk";
}

std::string TSessionAudio::DeviceDescription() const {
  if (!FDevice.IsOpen()) return "none";
  const double ms = 1000.0 * FDevice.GetBufferFrames() / kMixRate;
  char buf[160];
  std::snprintf(buf, sizeof(buf), "%s, buffer %u frames (%.1f ms at %d Hz)", FDevice.GetDriverName().c_str(),
                FDevice.GetBufferFrames(), ms, kMixRate);
  return buf;
}
