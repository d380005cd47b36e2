// The device output over SDL2, and its reopening of a device that went away.
#include "WaveDevice.h"

#include <SDL.h>
#include <alsa/asoundlib.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

// ALSA prints its own complaints (two dozen lines on a machine without a sound card) before
// SDL gives up; the output says what matters itself, once.
void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

class TSDLDeviceApi : public TAudioDeviceApi {
 public:
  uint32_t Open(const TRequest& request, uint32_t& bufferFrames, std::string& error) override {
    static const bool silenced = snd_lib_error_set_handler(SilentAlsaError) == 0;
    (void)silenced;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      error = SDL_GetError();
      return 0;
    }
    SDL_AudioSpec want{};
    want.freq = kMixRate;
    want.format = AUDIO_F32SYS;
    want.channels = kMixChannels;
    want.samples = static_cast<Uint16>(request.BufferFrames);
    want.callback = &TSDLDeviceApi::Callback;
    FRender = request.Render;
    FUser = request.User;
    want.userdata = this;
    // No changes allowed: SDL converts to whatever the hardware takes, so the mixer's format
    // and the cached clips stay valid for every device.
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device) {
      error = SDL_GetError();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return 0;
    }
    bufferFrames = have.samples;
    SDL_PauseAudioDevice(device, 0);
    return device;
  }

  bool IsLost(uint32_t device) override { return SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED; }

  void Close(uint32_t device) override {
    SDL_CloseAudioDevice(device);  // returns after the callback's last run
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  uint64_t NowMs() override {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  }

  std::string DriverName() override {
    const char* driver = SDL_GetCurrentAudioDriver();
    return driver ? driver : "";
  }

 private:
  static void SDLCALL Callback(void* user, Uint8* stream, int len) {
    auto* self = static_cast<TSDLDeviceApi*>(user);
    self->FRender(self->FUser, reinterpret_cast<float*>(stream),
                  static_cast<uint32_t>(len) / (sizeof(float) * kMixChannels));
  }

  // One device at a time is open through this object, so one render target is enough.
  TRenderProc FRender = nullptr;
  void* FUser = nullptr;
};

// What the user was last told: a note is given when the device goes from usable (or unknown)
// to missing and when it comes back, so a machine without a sound card hears about it once.
bool gDeviceMissingNoted = false;
std::string gNoDeviceReason;

void Note(const std::string& text) { std::fprintf(stderr, "Vellumkit: %s\n", text.c_str()); }

void NoteMissing(const std::string& reason, bool lost) {
  gNoDeviceReason = reason.empty() ? "unknown error" : reason;
  if (gDeviceMissingNoted) return;
  gDeviceMissingNoted = true;
  Note(lost ? "the audio device went away (" + gNoDeviceReason + "); sounds are silent until it is back."
            : "no audio device (" + gNoDeviceReason + "); sounds are silent.");
}

void SDLCALL RenderMixer(void* user, float* out, uint32_t frames) { static_cast<TWaveMixer*>(user)->Render(out, frames); }

}  // namespace

TAudioDeviceApi& TAudioDeviceApi::SDL() {
  static TSDLDeviceApi api;
  return api;
}

TSDLAudioOutput::~TSDLAudioOutput() { Close(); }

std::string TSDLAudioOutput::GetNoDeviceReason() { return gNoDeviceReason; }

bool TSDLAudioOutput::Open() {
  FWanted = true;
  return TryOpen();
}

bool TSDLAudioOutput::TryOpen() {
  if (FDevice) return true;
  FNextTryMs = FApi.NowMs() + kRetryMs;
  std::string error;
  for (uint32_t frames : {256u, 512u, 1024u}) {
    FDevice = FApi.Open({frames, &RenderMixer, &FMixer}, FBufferFrames, error);
    if (FDevice) break;
  }
  if (!FDevice) {
    FBufferFrames = 0;
    NoteMissing(error, false);
    return false;
  }
  if (gDeviceMissingNoted) Note("an audio device is there again; sounds play.");
  gDeviceMissingNoted = false;
  gNoDeviceReason.clear();
  return true;
}

void TSDLAudioOutput::Close() {
  FWanted = false;
  if (!FDevice) return;
  FApi.Close(FDevice);
  FDevice = 0;
  FBufferFrames = 0;
}

void TSDLAudioOutput::CheckDevice() {
  if (FDevice && FApi.IsLost(FDevice)) {
    FApi.Close(FDevice);
    FDevice = 0;
    FBufferFrames = 0;
    gDeviceMissingNoted = false;
    NoteMissing("the device stopped", true);
    FNextTryMs = FApi.NowMs() + kRetryMs;
  }
  if (!FDevice && FApi.NowMs() >= FNextTryMs) TryOpen();
}

void TSDLAudioOutput::Play(const std::string&, bool, const TWaveClip::TRef& clip) {
  if (FWanted) CheckDevice();
  if (FDevice && clip) FMixer.Enqueue(clip);
}

void TSDLAudioOutput::Wait(uint32_t frames) {
  if (!FDevice) return;
  const uint64_t total = static_cast<uint64_t>(frames) + FBufferFrames;
  std::this_thread::sleep_for(std::chrono::microseconds(total * 1000000 / kMixRate));
}
