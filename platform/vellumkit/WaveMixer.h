// The voice mixer with its lock-free command queue, the output interface players send their
// sounds to, and the capture sink that renders against a virtual clock.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "WaveClip.h"

// A fixed-capacity queue between exactly one producer thread and one consumer thread. Neither
// side ever waits for the other: a push into a full ring fails instead.
template <class T, size_t N>
class TSpscRing {
  static_assert(N > 0 && (N & (N - 1)) == 0, "capacity must be a power of two");

 public:
  // Moves from `item` only when there was room.
  bool TryPush(T& item) {
    const size_t tail = FTail.load(std::memory_order_relaxed);
    if (tail - FHeadSeen == N) {
      FHeadSeen = FHead.load(std::memory_order_acquire);
      if (tail - FHeadSeen == N) return false;
    }
    FSlots[tail & (N - 1)] = std::move(item);
    FTail.store(tail + 1, std::memory_order_release);
    return true;
  }

  bool TryPop(T& item) {
    const size_t head = FHead.load(std::memory_order_relaxed);
    if (head == FTailSeen) {
      FTailSeen = FTail.load(std::memory_order_acquire);
      if (head == FTailSeen) return false;
    }
    item = std::move(FSlots[head & (N - 1)]);
    FHead.store(head + 1, std::memory_order_release);
    return true;
  }

 private:
  // Each side keeps its own index and a stale copy of the other's on its own cache line.
  alignas(64) std::atomic<size_t> FHead{0};
  size_t FTailSeen = 0;
  alignas(64) std::atomic<size_t> FTail{0};
  size_t FHeadSeen = 0;
  alignas(64) std::array<T, N> FSlots{};
};

// Sums up to kMaxVoices clips into interleaved stereo float. Enqueue runs on the players'
// thread and only pushes into a ring; Render runs on the consumer (the device callback or the
// capture sink) and starts the queued voices at the beginning of the block it renders.
class TWaveMixer {
 public:
  static constexpr int kMaxVoices = 32;
  // A stolen voice ramps down over 5 ms instead of stopping with a click.
  static constexpr uint32_t kStealFadeFrames = kMixRate / 200;
  static constexpr size_t kQueueCapacity = 256;

  TWaveMixer() = default;
  TWaveMixer(const TWaveMixer&) = delete;
  TWaveMixer& operator=(const TWaveMixer&) = delete;

  // Producer side. False when the queue is full and the sound is dropped.
  bool Enqueue(const TWaveClip::TRef& clip);
  // Consumer side: writes `frames` stereo frames to `out`, each sample clamped to [-1, 1].
  void Render(float* out, uint32_t frames);

  // Voices sounding after the last Render, not counting the fading ones.
  int GetActiveVoices() const { return FActive.load(std::memory_order_relaxed); }
  // Voices started so far; it moves in the block where a queued sound first sounds.
  uint64_t GetStartedCount() const { return FStarted.load(std::memory_order_acquire); }
  uint64_t GetStolenCount() const { return FStolen.load(std::memory_order_relaxed); }
  uint64_t GetDroppedCount() const { return FDropped.load(std::memory_order_relaxed); }
  uint64_t GetRenderedFrames() const { return FRendered.load(std::memory_order_acquire); }

  // While on, Render notes the steady-clock moment (in nanoseconds) at which each queued
  // sound is first mixed: the start of the block that holds its first sample. One stamp per
  // started voice, in start order, taken back on the producer side.
  void SetStampStarts(bool on) { FStampStarts.store(on, std::memory_order_relaxed); }
  bool TakeStartStamp(int64_t& ns) { return FStartStamps.TryPop(ns); }

 private:
  struct TVoice {
    TWaveClip::TRef Clip;
    uint32_t Pos = 0;
    uint32_t FadeLeft = 0;  // frames of fade-out still to play; only fading voices use it
    uint64_t Serial = 0;    // start order, to find the oldest
  };
  void Start(TWaveClip::TRef& clip);
  void Mix(TVoice& v, float* out, uint32_t frames, bool fading);
  void Retire(TVoice& v);

  TSpscRing<TWaveClip::TRef, kQueueCapacity> FCommands;
  // Finished clips go back to the producer to be released there: dropping the last reference
  // frees a clip, which the audio thread must not do. Twice the queue size cannot overflow,
  // because the producer empties it before every push.
  TSpscRing<TWaveClip::TRef, kQueueCapacity * 2> FRetired;
  // As many stamps as the queue and the voices can hold between two takes.
  TSpscRing<int64_t, kQueueCapacity * 2> FStartStamps;
  std::atomic<bool> FStampStarts{false};
  std::array<TVoice, kMaxVoices> FVoices;
  std::array<TVoice, kMaxVoices> FFading;
  uint64_t FSerial = 0;
  std::atomic<int> FActive{0};
  std::atomic<uint64_t> FStarted{0};
  std::atomic<uint64_t> FStolen{0};
  std::atomic<uint64_t> FDropped{0};
  std::atomic<uint64_t> FRendered{0};
};

// Where players send their sounds. Play and Wait run on the players' thread (the IDE's main
// thread), which is the mixer queue's single producer.
class TAudioOutput {
 public:
  TAudioOutput() = default;
  TAudioOutput(const TAudioOutput&) = delete;
  TAudioOutput& operator=(const TAudioOutput&) = delete;
  virtual ~TAudioOutput();

  // One call per Play; `clip` is null when the file gave no clip.
  virtual void Play(const std::string& fileName, bool builtIn, const TWaveClip::TRef& clip) = 0;
  // Returns once `frames` more frames have gone out: how a synchronous Play waits.
  virtual void Wait(uint32_t frames) = 0;

  // The process-wide output players use; null is silence. An output destroyed while it is
  // selected leaves silence behind, never a dangling selection.
  static TAudioOutput* GetCurrent();
  static void SetCurrent(TAudioOutput* output);
};

// One Play as the capture sink saw it.
struct TPlayRecord {
  std::string FileName;  // the player's file name at the call
  bool BuiltIn = false;  // the built-in click was played instead of the file
  uint64_t Time = 0;     // virtual time of the call, in frames at kMixRate
  uint32_t Frames = 0;   // length of what was heard; 0 when the file gave no clip (or the
                         // queue was full, after more plays than it holds without rendering)
};

class TWaveFileWriter;

// Records every Play and renders the mix on demand against a virtual clock, for tests and for
// writing a session to a file. Frame n of GetSamples() is what sounded at virtual time n; a
// Play at time t starts its voice at frame t exactly. A long session keeps no history and
// streams what it renders to a writer instead, so its memory stays the same however long it
// runs.
class TAudioCapture : public TAudioOutput {
 public:
  TAudioCapture() = default;

  // Whether plays and samples are kept for GetPlays and GetSamples (the default).
  void SetKeepHistory(bool keep);
  // Every rendered block also goes to `writer` (not owned; null for none).
  void SetWriter(TWaveFileWriter* writer) { FWriter = writer; }

  void Play(const std::string& fileName, bool builtIn, const TWaveClip::TRef& clip) override;
  // Advances the virtual clock: a synchronous Play renders its clip before it returns.
  void Wait(uint32_t frames) override { Advance(frames); }

  uint64_t GetNow() const { return FNow; }
  void Advance(uint64_t frames);
  const std::vector<TPlayRecord>& GetPlays() const { return FPlays; }
  // Interleaved stereo, kMixChannels samples per frame, from virtual time 0 to GetNow().
  const std::vector<float>& GetSamples() const { return FSamples; }
  TWaveMixer& GetMixer() { return FMixer; }
  // Writes what was kept as a 16-bit stereo PCM wave file.
  bool WriteWav(const std::string& fileName, std::string* error = nullptr) const;

 private:
  TWaveMixer FMixer;
  uint64_t FNow = 0;
  bool FKeepHistory = true;
  TWaveFileWriter* FWriter = nullptr;
  std::vector<TPlayRecord> FPlays;
  std::vector<float> FSamples;
  std::vector<float> FBlock;  // the one block rendered at a time without history
};
