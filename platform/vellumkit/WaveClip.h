// Decoded wave clips in the mixer's format, and the process-wide cache that keeps them by file name.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

// The one format everything is mixed in: the device is opened with exactly this and SDL
// converts if the hardware wants something else, so a clip is converted once, at load.
constexpr int kMixRate = 48000;
constexpr int kMixChannels = 2;
// A typing sound is short; a longer file plays its first seconds only, which keeps a clip
// under 2 MiB and bounds a synchronous play.
constexpr uint32_t kMaxClipFrames = 5 * kMixRate;
// Larger files are refused before they are read at all; five seconds of 16-bit stereo at
// 48 kHz is under 1 MiB.
constexpr int64_t kMaxWaveFileBytes = 16 * 1024 * 1024;

// What the file held before conversion; for diagnostics and tests.
struct TWaveSourceFormat {
  int Rate = 0;
  int Channels = 0;
  int Bits = 0;
  bool Float = false;
};

// Immutable interleaved stereo float samples at kMixRate, shared between the cache, the
// players and the voices of a mixer.
class TWaveClip {
 public:
  using TRef = std::shared_ptr<const TWaveClip>;

  // Null when the bytes are not a playable wave (bad header, unsupported encoding, no frames);
  // `error` then says why.
  static TRef Decode(const void* data, size_t size, std::string* error = nullptr);
  // Wraps samples already in the mixer's format (interleaved stereo); null for zero frames.
  static TRef FromSamples(std::vector<float> interleaved);
  // The built-in click: a 6 ms decaying noise burst, the same samples every run.
  static const TRef& BuiltInClick();

  uint32_t GetFrames() const { return static_cast<uint32_t>(FSamples.size() / kMixChannels); }
  const float* GetSamples() const { return FSamples.data(); }
  const TWaveSourceFormat& GetSource() const { return FSource; }
  // What was wrong with a file that plays all the same (samples that were not numbers and
  // became silence); empty for a sound file.
  const std::string& GetNote() const { return FNote; }

 private:
  static TRef Make(std::vector<float> interleaved, TWaveSourceFormat source, std::string note);
  std::vector<float> FSamples;
  TWaveSourceFormat FSource;
  std::string FNote;
};

// Identity of a file's contents as far as a stat can tell: a rewrite changes the size or the
// modification time, a replacement by rename changes the inode.
struct TFileStamp {
  bool Exists = false;
  int64_t Size = 0;
  int64_t MTimeNs = 0;
  uint64_t Inode = 0;
  friend bool operator==(const TFileStamp&, const TFileStamp&) = default;
};

TFileStamp StampOfFile(const std::string& fileName);

// Reads and decodes a file. Missing, unreadable, non-regular or oversized files give null.
// The stamp is taken from the opened file before reading, so a change during the read is
// seen by the next revalidation.
TWaveClip::TRef LoadWaveFile(const std::string& fileName, TFileStamp* stamp = nullptr,
                             std::string* error = nullptr);

// Clips by file name (exactly as given). A name is read once; failures are remembered too, so
// playing a broken name again costs no file access. Revalidate() re-reads names whose file
// changed; a watcher thread may call it periodically. All members are thread-safe; the lock
// guards map operations only, never a file read or a decode.
class TWaveClipCache {
 public:
  TWaveClipCache() = default;
  ~TWaveClipCache();
  TWaveClipCache(const TWaveClipCache&) = delete;
  TWaveClipCache& operator=(const TWaveClipCache&) = delete;

  static TWaveClipCache& Instance();

  // The clip for a name, reading the file on the first request; null when it gave no clip.
  TWaveClip::TRef Get(const std::string& fileName);
  // Re-reads every cached name whose file stamp changed (a vanished file becomes "no clip").
  void Revalidate();
  void Clear();

  // Moves whenever a cached name's clip is replaced or forgotten, so holders of clips know
  // to look again. It moves after the change, under the lock.
  uint64_t GetGeneration() const { return FGeneration.load(std::memory_order_acquire); }
  // File reads done so far.
  uint64_t GetReadCount() const { return FReadCount.load(std::memory_order_relaxed); }
  std::string GetError(const std::string& fileName) const;
  // Why a cached name plays nothing (or plays with damage), the first time it is asked after
  // the name was read; false when there is nothing to tell or it was told already. A re-read
  // of a changed file may tell again.
  bool TakeReport(const std::string& fileName, std::string& why, bool& playable);

  // Runs Revalidate on a thread of its own every `interval` until StopWatching.
  void StartWatching(std::chrono::milliseconds interval);
  void StopWatching();

 private:
  struct TEntry {
    TWaveClip::TRef Clip;
    TFileStamp Stamp;
    std::string Error;
    bool Reported = false;
  };
  TEntry Read(const std::string& fileName);

  mutable std::mutex FLock;
  std::unordered_map<std::string, TEntry> FEntries;
  std::atomic<uint64_t> FGeneration{0};
  std::atomic<uint64_t> FReadCount{0};

  std::mutex FWatchLock;
  std::condition_variable FWatchWake;
  std::thread FWatcher;
  bool FWatchStop = false;
};
