// The audio device output: the mixer played through the default device, reopened when a lost
// device comes back, with the audio library behind a seam that tests replace.
#pragma once

#include <cstdint>
#include <string>

#include "WaveMixer.h"

// The calls the device output makes into the audio library. All run on the players' thread.
class TAudioDeviceApi {
 public:
  using TRenderProc = void (*)(void* user, float* out, uint32_t frames);
  struct TRequest {
    uint32_t BufferFrames = 0;  // wanted; the mixer's rate and channels are fixed
    TRenderProc Render = nullptr;
    void* User = nullptr;
  };

  virtual ~TAudioDeviceApi() = default;
  // Opens the default device and starts calling Render; 0 and the reason when there is none.
  // `bufferFrames` receives the buffer the device took.
  virtual uint32_t Open(const TRequest& request, uint32_t& bufferFrames, std::string& error) = 0;
  // Whether an opened device has gone away (unplugged, its server stopped).
  virtual bool IsLost(uint32_t device) = 0;
  // Returns after the last Render call for the device.
  virtual void Close(uint32_t device) = 0;
  // Milliseconds on a steady clock: paces the attempts to reopen a missing device.
  virtual uint64_t NowMs() = 0;
  // The name of the driver in use, for the user; empty without a device.
  virtual std::string DriverName() = 0;

  // SDL2, with the sound library's own error printing silenced.
  static TAudioDeviceApi& SDL();
};

// The default audio device, opened in the mixer's format with a small fixed buffer. While it
// is wanted (from Open to Close), a Play that finds it lost closes it, and a Play that finds
// none tries again at most once every kRetryMs, so a device that comes back is used without
// a restart. Notes about a missing, lost or returned device go to stderr, once per change.
class TSDLAudioOutput : public TAudioOutput {
 public:
  static constexpr uint64_t kRetryMs = 2000;

  explicit TSDLAudioOutput(TAudioDeviceApi& api = TAudioDeviceApi::SDL()) : FApi(api) {}
  ~TSDLAudioOutput() override;

  // Tries buffers of 256, 512 and 1024 frames. Without a device it returns false and the
  // output stays silent until one can be opened.
  bool Open();
  void Close();
  bool IsOpen() const { return FDevice != 0; }
  uint32_t GetBufferFrames() const { return FBufferFrames; }
  TWaveMixer& GetMixer() { return FMixer; }
  std::string GetDriverName() const { return FDevice ? FApi.DriverName() : std::string(); }
  // Why the last attempt to open a device failed, or why it was lost; empty while open.
  static std::string GetNoDeviceReason();

  void Play(const std::string& fileName, bool builtIn, const TWaveClip::TRef& clip) override;
  // Blocks in real time for the frames plus one device buffer.
  void Wait(uint32_t frames) override;

 private:
  bool TryOpen();
  void CheckDevice();

  TAudioDeviceApi& FApi;
  TWaveMixer FMixer;
  uint32_t FDevice = 0;
  uint32_t FBufferFrames = 0;
  bool FWanted = false;
  uint64_t FNextTryMs = 0;
};
