// The session's sound output: capture sink and audio device side by side.
#include "SessionAudio.h"

#include <SDL.h>

#include <cstring>

#include "platform/vellumkit/ZKWavePlayer.h"

TSessionAudio::TSessionAudio(bool useDevice) {
  // Choosing an output first keeps the player from opening the device on its own.
  TZKWavePlayer::UseCaptureSink(&FCapture);
  if (useDevice) FDevice.Open();
  TAudioOutput::SetCurrent(this);
}

TSessionAudio::~TSessionAudio() {
  if (TAudioOutput::GetCurrent() == this) TZKWavePlayer::UseSilence();
  FDevice.Close();
}

void TSessionAudio::Play(const std::string& fileName, bool builtIn, const TWaveClip::TRef& clip) {
  if (FMarked) {
    FLatencies.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - FMark).count());
    FMixDelays.push_back(FCapture.GetNow() - FMarkFrame);
  }
  FCapture.Play(fileName, builtIn, clip);
  if (FDevice.IsOpen()) FDevice.Play(fileName, builtIn, clip);
}

bool TSessionAudio::DeviceIsAudible() const {
  if (!FDevice.IsOpen()) return false;
  const char* driver = SDL_GetCurrentAudioDriver();
  return driver && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "disk") != 0;
}

std::string TSessionAudio::DeviceDescription() const {
  if (!FDevice.IsOpen()) {
    const std::string why = TSDLAudioOutput::GetNoDeviceReason();
    return "none" + (why.empty() ? std::string() : " (" + why + ")");
  }
  const char* driver = SDL_GetCurrentAudioDriver();
  const double ms = 1000.0 * FDevice.GetBufferFrames() / kMixRate;
  char buf[160];
  std::snprintf(buf, sizeof(buf), "%s, buffer %u frames (%.1f ms at %d Hz)", driver ? driver : "?",
                FDevice.GetBufferFrames(), ms, kMixRate);
  return buf;
}
