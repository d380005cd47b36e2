// Mixing of voices and the capture sink.
#include "WaveMixer.h"

#include "WaveFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>

// ---- TWaveMixer ---------------------------------------------------------------------------

bool TWaveMixer::Enqueue(const TWaveClip::TRef& clip) {
  if (!clip) return true;
  TWaveClip::TRef done;
  while (FRetired.TryPop(done)) done.reset();
  TWaveClip::TRef item = clip;
  if (FCommands.TryPush(item)) return true;
  FDropped.fetch_add(1, std::memory_order_relaxed);
  return false;
}

void TWaveMixer::Start(TWaveClip::TRef& clip) {
  auto slot = std::find_if(FVoices.begin(), FVoices.end(), [](const TVoice& v) { return !v.Clip; });
  if (slot == FVoices.end()) {
    slot = std::min_element(FVoices.begin(), FVoices.end(),
                            [](const TVoice& a, const TVoice& b) { return a.Serial < b.Serial; });
    // The stolen voice fades out beside the new one; when even the fade slots are taken, the
    // fade closest to its end is cut.
    auto fade = std::find_if(FFading.begin(), FFading.end(), [](const TVoice& v) { return !v.Clip; });
    if (fade == FFading.end()) {
      fade = std::min_element(FFading.begin(), FFading.end(),
                              [](const TVoice& a, const TVoice& b) { return a.FadeLeft < b.FadeLeft; });
      Retire(*fade);
    }
    *fade = std::move(*slot);
    fade->FadeLeft = kStealFadeFrames;
    FStolen.fetch_add(1, std::memory_order_relaxed);
  }
  slot->Clip = std::move(clip);
  slot->Pos = 0;
  slot->FadeLeft = 0;
  slot->Serial = ++FSerial;
  FStarted.fetch_add(1, std::memory_order_release);
}

void TWaveMixer::Retire(TVoice& v) {
  if (!FRetired.TryPush(v.Clip)) v.Clip.reset();
  v.Clip = nullptr;
  v.Pos = 0;
  v.FadeLeft = 0;
}

void TWaveMixer::Mix(TVoice& v, float* out, uint32_t frames, bool fading) {
  const uint32_t length = v.Clip->GetFrames();
  uint32_t n = std::min(frames, length - v.Pos);
  if (fading) n = std::min(n, v.FadeLeft);
  const float* src = v.Clip->GetSamples() + static_cast<size_t>(v.Pos) * kMixChannels;
  if (fading) {
    for (uint32_t i = 0; i < n; ++i) {
      const float gain = static_cast<float>(v.FadeLeft - i) / static_cast<float>(kStealFadeFrames);
      for (int c = 0; c < kMixChannels; ++c) out[i * kMixChannels + c] += gain * src[i * kMixChannels + c];
    }
    v.FadeLeft -= n;
  } else {
    for (uint32_t i = 0; i < n * kMixChannels; ++i) out[i] += src[i];
  }
  v.Pos += n;
  if (v.Pos >= length || (fading && v.FadeLeft == 0)) Retire(v);
}

void TWaveMixer::Render(float* out, uint32_t frames) {
  TWaveClip::TRef clip;
  int64_t blockStart = -1;
  while (FCommands.TryPop(clip)) {
    if (FStampStarts.load(std::memory_order_relaxed)) {
      if (blockStart < 0)
        blockStart = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::steady_clock::now().time_since_epoch()).count();
      int64_t stamp = blockStart;
      FStartStamps.TryPush(stamp);
    }
    Start(clip);
  }
  std::fill(out, out + static_cast<size_t>(frames) * kMixChannels, 0.0f);
  int active = 0;
  for (TVoice& v : FVoices)
    if (v.Clip) {
      Mix(v, out, frames, false);
      if (v.Clip) ++active;
    }
  for (TVoice& v : FFading)
    if (v.Clip) Mix(v, out, frames, true);
  for (size_t i = 0; i < static_cast<size_t>(frames) * kMixChannels; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
  FActive.store(active, std::memory_order_relaxed);
  FRendered.fetch_add(frames, std::memory_order_release);
}

// ---- TAudioOutput -------------------------------------------------------------------------

namespace {
TAudioOutput* gCurrentOutput = nullptr;
}

TAudioOutput::~TAudioOutput() {
  if (gCurrentOutput == this) gCurrentOutput = nullptr;
}

TAudioOutput* TAudioOutput::GetCurrent() { return gCurrentOutput; }
void TAudioOutput::SetCurrent(TAudioOutput* output) { gCurrentOutput = output; }

// ---- TAudioCapture ------------------------------------------------------------------------

void TAudioCapture::SetKeepHistory(bool keep) {
  FKeepHistory = keep;
  if (keep) return;
  std::vector<TPlayRecord>().swap(FPlays);
  std::vector<float>().swap(FSamples);
}

void TAudioCapture::Play(const std::string& fileName, bool builtIn, const TWaveClip::TRef& clip) {
  const bool queued = clip && FMixer.Enqueue(clip);
  if (FKeepHistory) FPlays.push_back({fileName, builtIn, FNow, queued ? clip->GetFrames() : 0});
}

void TAudioCapture::Advance(uint64_t frames) {
  // In device-like blocks, so voices cross block boundaries here as they do on a device.
  constexpr uint64_t kBlock = 1024;
  while (frames > 0) {
    const uint32_t n = static_cast<uint32_t>(std::min(frames, kBlock));
    float* out;
    if (FKeepHistory) {
      const size_t at = FSamples.size();
      FSamples.resize(at + static_cast<size_t>(n) * kMixChannels);
      out = FSamples.data() + at;
    } else {
      FBlock.resize(kBlock * kMixChannels);
      out = FBlock.data();
    }
    FMixer.Render(out, n);
    if (FWriter) FWriter->Write(out, n);
    FNow += n;
    frames -= n;
  }
}

bool TAudioCapture::WriteWav(const std::string& fileName, std::string* error) const {
  TWaveFileWriter writer;
  if (!writer.Open(fileName, error)) return false;
  writer.Write(FSamples.data(), FSamples.size() / kMixChannels);
  return writer.Close(error);
}
