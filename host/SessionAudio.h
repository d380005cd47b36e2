// The session's sound: every play goes to the capture sink, which streams the mix to the WAV,
// and, when there is one, to the audio device; what a key release costs is measured on the
// way. Nothing here grows with the number of keys.
#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <string>

#include "LatencyHistogram.h"
#include "platform/vellumkit/WaveDevice.h"
#include "platform/vellumkit/WaveFile.h"

class TSessionAudio : public TAudioOutput {
 public:
  // Takes over the players' output; the device is opened unless `useDevice` is false.
  explicit TSessionAudio(bool useDevice);
  ~TSessionAudio() override;

  // Streams the session's sound to `fileName` from now on; false with the system's reason.
  bool WriteTo(const std::string& fileName, std::string& error);
  // Completes the file; false with the reason of the first failure.
  bool FinishFile(std::string& error);
  const TWaveFileWriter& GetWriter() const { return FWriter; }

  void Play(const std::string& fileName, bool builtIn, const TWaveClip::TRef& clip) override;
  void Wait(uint32_t frames) override { FCapture.Wait(frames); }

  // The typist marks the moment a key release is posted; the next play measures from it.
  void MarkKeyRelease() { FMark = std::chrono::steady_clock::now(); FMarked = true; }
  void ClearMark() { FMarked = false; }
  // Waits, a few device buffers at most, for the sounds queued on the device to start, and
  // takes their measurements.
  void Settle();

  TAudioCapture& GetCapture() { return FCapture; }
  bool HasDevice() const { return FDevice.IsOpen(); }
  // A device that really sounds (not SDL's dummy or disk driver): worth pacing the typing for.
  bool DeviceIsAudible() const;
  std::string DeviceDescription() const;

  // Plays by file name (a handful of names), plays of the built-in click, plays that gave no
  // clip.
  const std::map<std::string, int>& GetPlaysByFile() const { return FPlaysByFile; }
  int GetBuiltInPlays() const { return FBuiltInPlays; }
  int GetSilentPlays() const { return FSilentPlays; }
  // Key release posted to the sound queued, on the IDE's thread, in nanoseconds.
  const TLatencyHistogram& GetReleaseToQueued() const { return FReleaseToQueued; }
  // Key release posted to the device's callback mixing the sound's first sample, in
  // nanoseconds.
  const TLatencyHistogram& GetReleaseToMix() const { return FReleaseToMix; }

 private:
  void TakeStartStamps();

  TAudioCapture FCapture;
  TWaveFileWriter FWriter;
  TSDLAudioOutput FDevice;
  std::chrono::steady_clock::time_point FMark;
  bool FMarked = false;
  // Release moments of the sounds queued on the device whose first mix is not yet seen, in
  // queue order; bounded by the mixer's queue and voices.
  std::deque<int64_t> FPendingMarks;
  std::map<std::string, int> FPlaysByFile;
  int FBuiltInPlays = 0;
  int FSilentPlays = 0;
  TLatencyHistogram FReleaseToQueued;
  TLatencyHistogram FReleaseToMix;
};
