// Wave decoding through SDL's loader and converter, and the clip cache.
#include "WaveClip.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

// Rates outside this range are damaged headers, not sounds; refusing them keeps the
// resampler's work and allocations bounded.
constexpr int kMinSourceRate = 1000;
constexpr int kMaxSourceRate = 192000;

TWaveClip::TRef Fail(std::string* error, std::string why) {
  if (error) *error = std::move(why);
  return nullptr;
}

struct TWavBuffer {
  Uint8* Data = nullptr;
  ~TWavBuffer() { SDL_FreeWAV(Data); }
};

// SDL allocates a chunk's declared size before it finds the file ends early, so a few bytes
// claiming gigabytes of samples would cost gigabytes. A chunk that runs past the end is cut
// to the bytes present, which is also how a truncated file plays: the whole frames it has.
void ClampChunkSizes(std::vector<Uint8>& bytes) {
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    Uint8* field = bytes.data() + at + 4;
    const uint64_t size = field[0] | field[1] << 8 | field[2] << 16 | static_cast<uint64_t>(field[3]) << 24;
    const uint64_t present = bytes.size() - at - 8;
    if (size > present) {
      for (int i = 0; i < 4; ++i) field[i] = static_cast<Uint8>(present >> (8 * i));
      return;
    }
    at += 8 + size + (size & 1);
  }
}

// Float samples that are not numbers (NaN, infinities) would poison every sum they enter and
// spread through the resampler; they are silence instead. Returns how many there were.
size_t SilenceNonFinite(Uint8* data, size_t bytes, SDL_AudioFormat format) {
  if (!SDL_AUDIO_ISFLOAT(format) || SDL_AUDIO_BITSIZE(format) != 32) return 0;
  size_t count = 0;
  for (size_t at = 0; at + 4 <= bytes; at += 4) {
    float f;
    std::memcpy(&f, data + at, 4);
    if (std::isfinite(f)) continue;
    std::memset(data + at, 0, 4);
    ++count;
  }
  return count;
}

TFileStamp StampOf(const struct stat& st) {
  TFileStamp s;
  s.Exists = true;
  s.Size = st.st_size;
  s.MTimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.Inode = st.st_ino;
  return s;
}

}  // namespace

TWaveClip::TRef TWaveClip::Decode(const void* data, size_t size, std::string* error) {
  if (size == 0) return Fail(error, "the file is empty");
  if (size > static_cast<size_t>(kMaxWaveFileBytes)) return Fail(error, "the file is too large");
  // SDL also takes a "WAVE" file without its RIFF header and then believes every size in it;
  // a wave file is a RIFF file, so nothing else is read.
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(static_cast<const Uint8*>(data) + 8, "WAVE", 4) != 0)
    return Fail(error, "not a wave file (no RIFF WAVE header)");
  std::vector<Uint8> bytes(static_cast<const Uint8*>(data), static_cast<const Uint8*>(data) + size);
  ClampChunkSizes(bytes);
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw) return Fail(error, SDL_GetError());
  SDL_AudioSpec source{};
  TWavBuffer wav;
  Uint32 length = 0;
  if (!SDL_LoadWAV_RW(rw, 1, &source, &wav.Data, &length))
    return Fail(error, std::string("not a playable wave file: ") + SDL_GetError());
  if (source.freq < kMinSourceRate || source.freq > kMaxSourceRate)
    return Fail(error, "unsupported sample rate " + std::to_string(source.freq));
  const uint32_t frameBytes = SDL_AUDIO_BITSIZE(source.format) / 8 * source.channels;
  if (frameBytes == 0) return Fail(error, "no channels");
  uint64_t frames = length / frameBytes;
  // Convert only what survives the length cap, plus a little for the resampler's edge.
  const uint64_t maxSource = static_cast<uint64_t>(kMaxClipFrames) * source.freq / kMixRate + 64;
  frames = std::min(frames, maxSource);
  if (frames == 0) return Fail(error, "the file holds no samples");
  const size_t sourceBytes = static_cast<size_t>(frames * frameBytes);
  const size_t nonFinite = SilenceNonFinite(wav.Data, sourceBytes, source.format);
  if (nonFinite == sourceBytes / 4 && SDL_AUDIO_ISFLOAT(source.format))
    return Fail(error, "no sample in the file is a number");

  // One conversion of the whole clip (SDL's audio stream loses its last packet on flush when
  // it resamples; the one-shot converter does not).
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, source.format, source.channels, source.freq, AUDIO_F32SYS, kMixChannels, kMixRate) < 0)
    return Fail(error, std::string("cannot convert: ") + SDL_GetError());
  cvt.len = static_cast<int>(sourceBytes);
  std::vector<Uint8> work(sourceBytes * std::max(cvt.len_mult, 1));
  std::memcpy(work.data(), wav.Data, sourceBytes);
  int convertedBytes = cvt.len;
  if (cvt.needed) {
    cvt.buf = work.data();
    if (SDL_ConvertAudio(&cvt) != 0) return Fail(error, std::string("cannot convert: ") + SDL_GetError());
    convertedBytes = cvt.len_cvt;
  }
  const size_t convertedFrames =
      std::min<size_t>(std::min<size_t>(static_cast<size_t>(std::max(convertedBytes, 0)), work.size()) /
                           (sizeof(float) * kMixChannels),
                       kMaxClipFrames);
  // A few source frames at a high rate can resample to none at all.
  if (convertedFrames == 0) return Fail(error, "the file holds no samples");
  std::vector<float> samples(convertedFrames * kMixChannels);
  std::memcpy(samples.data(), work.data(), samples.size() * sizeof(float));
  std::string note;
  if (nonFinite)
    note = std::to_string(nonFinite) + " of its " + std::to_string(sourceBytes / 4) +
           " samples are not numbers and play as silence";
  return Make(std::move(samples),
              {source.freq, source.channels, static_cast<int>(SDL_AUDIO_BITSIZE(source.format)),
               SDL_AUDIO_ISFLOAT(source.format) != 0},
              std::move(note));
}

TWaveClip::TRef TWaveClip::FromSamples(std::vector<float> interleaved) {
  interleaved.resize(interleaved.size() / kMixChannels * kMixChannels);
  if (interleaved.empty()) return nullptr;
  return Make(std::move(interleaved), {kMixRate, kMixChannels, 32, true}, {});
}

TWaveClip::TRef TWaveClip::Make(std::vector<float> interleaved, TWaveSourceFormat source, std::string note) {
  auto clip = std::make_shared<TWaveClip>();
  clip->FSamples = std::move(interleaved);
  clip->FSource = source;
  clip->FNote = std::move(note);
  return clip;
}

const TWaveClip::TRef& TWaveClip::BuiltInClick() {
  static const TRef click = [] {
    constexpr int frames = kMixRate * 6 / 1000;
    std::vector<float> s(frames * kMixChannels);
    uint32_t seed = 0x1234567u;
    for (int i = 0; i < frames; ++i) {
      seed = seed * 1664525u + 1013904223u;
      const float noise = static_cast<float>(seed >> 8) / static_cast<float>(1u << 23) - 1.0f;
      const float v = 0.6f * std::exp(-static_cast<float>(i) / (kMixRate / 1000.0f)) * noise;
      s[i * 2] = s[i * 2 + 1] = v;
    }
    return FromSamples(std::move(s));
  }();
  return click;
}

TFileStamp StampOfFile(const std::string& fileName) {
  struct stat st;
  if (fileName.empty() || ::stat(fileName.c_str(), &st) != 0) return {};
  return StampOf(st);
}

TWaveClip::TRef LoadWaveFile(const std::string& fileName, TFileStamp* stamp, std::string* error) {
  if (stamp) *stamp = {};
  if (fileName.empty()) return Fail(error, "no file name");
  // Non-blocking so that a FIFO under a wave's name cannot hang the caller in open().
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail(error, std::strerror(errno));
  struct FdCloser {
    int Fd;
    ~FdCloser() { ::close(Fd); }
  } closer{fd};
  struct stat st;
  if (::fstat(fd, &st) != 0) return Fail(error, std::strerror(errno));
  if (stamp) *stamp = StampOf(st);
  if (!S_ISREG(st.st_mode)) return Fail(error, "not a regular file");
  if (st.st_size > kMaxWaveFileBytes) return Fail(error, "the file is too large");
  std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(error, std::strerror(errno));
    if (n == 0) break;  // shrank while reading: decode what is there
    done += static_cast<size_t>(n);
  }
  return TWaveClip::Decode(bytes.data(), done, error);
}

// ---- TWaveClipCache -----------------------------------------------------------------------

TWaveClipCache::~TWaveClipCache() { StopWatching(); }

TWaveClipCache& TWaveClipCache::Instance() {
  static TWaveClipCache cache;
  return cache;
}

TWaveClipCache::TEntry TWaveClipCache::Read(const std::string& fileName) {
  FReadCount.fetch_add(1, std::memory_order_relaxed);
  TEntry e;
  try {
    e.Clip = LoadWaveFile(fileName, &e.Stamp, &e.Error);
  } catch (const std::exception& ex) {  // out of memory for a clip is "no clip", not a failure
    e.Clip = nullptr;
    e.Error = ex.what();
  }
  return e;
}

TWaveClip::TRef TWaveClipCache::Get(const std::string& fileName) {
  {
    std::lock_guard<std::mutex> g(FLock);
    auto it = FEntries.find(fileName);
    if (it != FEntries.end()) return it->second.Clip;
  }
  TEntry e = Read(fileName);
  std::lock_guard<std::mutex> g(FLock);
  // A new name changes no clip anyone holds, so the generation stays.
  return FEntries.try_emplace(fileName, std::move(e)).first->second.Clip;
}

void TWaveClipCache::Revalidate() {
  std::vector<std::pair<std::string, TFileStamp>> known;
  {
    std::lock_guard<std::mutex> g(FLock);
    known.reserve(FEntries.size());
    for (const auto& [name, entry] : FEntries) known.emplace_back(name, entry.Stamp);
  }
  for (const auto& [name, old] : known) {
    if (StampOfFile(name) == old) continue;
    TEntry e = Read(name);
    std::lock_guard<std::mutex> g(FLock);
    auto it = FEntries.find(name);
    // Another revalidation may have got there first; keep whichever read is newer.
    if (it == FEntries.end() || !(it->second.Stamp == old)) continue;
    it->second = std::move(e);
    FGeneration.fetch_add(1, std::memory_order_acq_rel);
  }
}

void TWaveClipCache::Clear() {
  std::lock_guard<std::mutex> g(FLock);
  FEntries.clear();
  FGeneration.fetch_add(1, std::memory_order_acq_rel);
}

std::string TWaveClipCache::GetError(const std::string& fileName) const {
  std::lock_guard<std::mutex> g(FLock);
  auto it = FEntries.find(fileName);
  return it == FEntries.end() ? std::string() : it->second.Error;
}

bool TWaveClipCache::TakeReport(const std::string& fileName, std::string& why, bool& playable) {
  std::lock_guard<std::mutex> g(FLock);
  auto it = FEntries.find(fileName);
  if (it == FEntries.end() || it->second.Reported) return false;
  TEntry& e = it->second;
  why = e.Clip ? e.Clip->GetNote() : e.Error;
  if (why.empty()) return false;
  e.Reported = true;
  playable = e.Clip != nullptr;
  return true;
}

void TWaveClipCache::StartWatching(std::chrono::milliseconds interval) {
  std::lock_guard<std::mutex> g(FWatchLock);
  if (FWatcher.joinable()) return;
  // SDL picks its sample converters at the first conversion, without a lock; pick them here,
  // before a second thread can decode.
  SDL_AudioCVT warmUp;
  SDL_BuildAudioCVT(&warmUp, AUDIO_S16SYS, 1, 22050, AUDIO_F32SYS, kMixChannels, kMixRate);
  FWatchStop = false;
  FWatcher = std::thread([this, interval] {
    std::unique_lock<std::mutex> lock(FWatchLock);
    while (!FWatchWake.wait_for(lock, interval, [this] { return FWatchStop; })) {
      lock.unlock();
      Revalidate();
      lock.lock();
    }
  });
}

void TWaveClipCache::StopWatching() {
  std::thread watcher;
  {
    std::lock_guard<std::mutex> g(FWatchLock);
    FWatchStop = true;
    watcher = std::move(FWatcher);
  }
  FWatchWake.notify_all();
  if (watcher.joinable()) watcher.join();
}
