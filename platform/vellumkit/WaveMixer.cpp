// Mixing of voices, the SDL device output and the capture sink.
#include "WaveMixer.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <thread>

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
  while (FCommands.TryPop(clip)) Start(clip);
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

// ---- TSDLAudioOutput ----------------------------------------------------------------------

namespace {

// The note is given when the device goes from usable (or unknown) to missing, so a machine
// without a sound card hears about it once, not at every attempt.
bool gDeviceMissingNoted = false;
std::string gNoDeviceReason;

void NoteNoDevice(const char* reason) {
  gNoDeviceReason = reason && *reason ? reason : "unknown error";
  if (gDeviceMissingNoted) return;
  gDeviceMissingNoted = true;
  std::fprintf(stderr, "Vellumkit: no audio device (%s); sounds are silent.\n", gNoDeviceReason.c_str());
}

void SDLCALL RenderToDevice(void* userdata, Uint8* stream, int len) {
  auto* mixer = static_cast<TWaveMixer*>(userdata);
  mixer->Render(reinterpret_cast<float*>(stream),
                static_cast<uint32_t>(len) / (sizeof(float) * kMixChannels));
}

}  // namespace

TSDLAudioOutput::~TSDLAudioOutput() { Close(); }

std::string TSDLAudioOutput::GetNoDeviceReason() { return gNoDeviceReason; }

bool TSDLAudioOutput::Open() {
  if (FDevice) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    NoteNoDevice(SDL_GetError());
    return false;
  }
  SDL_AudioSpec have{};
  std::string error;
  for (Uint16 samples : {256, 512, 1024}) {
    SDL_AudioSpec want{};
    want.freq = kMixRate;
    want.format = AUDIO_F32SYS;
    want.channels = kMixChannels;
    want.samples = samples;
    want.callback = RenderToDevice;
    want.userdata = &FMixer;
    // No changes allowed: SDL converts to whatever the hardware takes, so the mixer's format
    // and the cached clips stay valid for every device.
    FDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (FDevice) break;
    error = SDL_GetError();
  }
  if (!FDevice) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    NoteNoDevice(error.c_str());
    return false;
  }
  FBufferFrames = have.samples;
  gDeviceMissingNoted = false;
  gNoDeviceReason.clear();
  SDL_PauseAudioDevice(FDevice, 0);
  return true;
}

void TSDLAudioOutput::Close() {
  if (!FDevice) return;
  SDL_CloseAudioDevice(FDevice);  // returns after the callback's last run
  FDevice = 0;
  FBufferFrames = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void TSDLAudioOutput::Play(const std::string&, bool, const TWaveClip::TRef& clip) {
  if (FDevice && clip) FMixer.Enqueue(clip);
}

void TSDLAudioOutput::Wait(uint32_t frames) {
  if (!FDevice) return;
  const uint64_t total = static_cast<uint64_t>(frames) + FBufferFrames;
  std::this_thread::sleep_for(std::chrono::microseconds(total * 1000000 / kMixRate));
}

// ---- TAudioCapture ------------------------------------------------------------------------

void TAudioCapture::Play(const std::string& fileName, bool builtIn, const TWaveClip::TRef& clip) {
  const bool queued = clip && FMixer.Enqueue(clip);
  FPlays.push_back({fileName, builtIn, FNow, queued ? clip->GetFrames() : 0});
}

void TAudioCapture::Advance(uint64_t frames) {
  // In device-like blocks, so voices cross block boundaries here as they do on a device.
  constexpr uint64_t kBlock = 1024;
  while (frames > 0) {
    const uint32_t n = static_cast<uint32_t>(std::min(frames, kBlock));
    const size_t at = FSamples.size();
    FSamples.resize(at + static_cast<size_t>(n) * kMixChannels);
    FMixer.Render(FSamples.data() + at, n);
    FNow += n;
    frames -= n;
  }
}

namespace {
void PutLE(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
}  // namespace

bool TAudioCapture::WriteWav(const std::string& fileName, std::string* error) const {
  const uint32_t dataBytes = static_cast<uint32_t>(FSamples.size() * sizeof(int16_t));
  std::string out;
  out.reserve(44 + dataBytes);
  out += "RIFF";
  PutLE(out, 36 + dataBytes, 4);
  out += "WAVEfmt ";
  PutLE(out, 16, 4);
  PutLE(out, 1, 2);  // PCM
  PutLE(out, kMixChannels, 2);
  PutLE(out, kMixRate, 4);
  PutLE(out, kMixRate * kMixChannels * 2, 4);
  PutLE(out, kMixChannels * 2, 2);
  PutLE(out, 16, 2);
  out += "data";
  PutLE(out, dataBytes, 4);
  for (float f : FSamples) {
    const auto v = static_cast<int16_t>(std::lround(std::clamp(f, -1.0f, 1.0f) * 32767.0f));
    PutLE(out, static_cast<uint16_t>(v), 2);
  }
  std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
  file.write(out.data(), static_cast<std::streamsize>(out.size()));
  file.close();
  if (!file) {
    if (error) *error = "cannot write " + fileName;
    return false;
  }
  return true;
}
