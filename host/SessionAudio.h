// The session's sound: every play goes to the capture sink (for the WAV and the summary) and,
// when there is one, to the audio device; the time from a key release to its play is measured.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "platform/vellumkit/WaveMixer.h"

class TSessionAudio : public TAudioOutput {
 public:
  // Takes over the players' output; the device is opened unless `useDevice` is false.
  explicit TSessionAudio(bool useDevice);
  ~TSessionAudio() override;

  void Play(const std::string& fileName, bool builtIn, const TWaveClip::TRef& clip) override;
  void Wait(uint32_t frames) override { FCapture.Wait(frames); }

  // The typist marks the moment a key release is posted; the next play measures from it.
  void MarkKeyRelease() { FMark = std::chrono::steady_clock::now(); FMarked = true; FMarkFrame = FCapture.GetNow(); }
  void ClearMark() { FMarked = false; }

  TAudioCapture& GetCapture() { return FCapture; }
  bool HasDevice() const { return FDevice.IsOpen(); }
  // A device that really sounds (not SDL's dummy or disk driver): worth pacing the typing for.
  bool DeviceIsAudible() const;
  std::string DeviceDescription() const;

  // Wall-clock time from key release posted to the play, in microseconds, one per play.
  const std::vector<double>& GetReleaseToPlayMicros() const { return FLatencies; }
  // Frames of the session clock between each key release and the start of its voice.
  const std::vector<uint64_t>& GetReleaseToMixFrames() const { return FMixDelays; }

 private:
  TAudioCapture FCapture;
  TSDLAudioOutput FDevice;
  std::chrono::steady_clock::time_point FMark;
  uint64_t FMarkFrame = 0;
  bool FMarked = false;
  std::vector<double> FLatencies;
  std::vector<uint64_t> FMixDelays;
};
