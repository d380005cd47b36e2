// The real device path through SDL's dummy and disk drivers, and a machine with no device.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "WaveFixtures.h"
#include "platform/vellumkit/ZKWavePlayer.h"

using namespace wavetest;

namespace {

// Sets an environment variable for one scope. SDL reads its driver variables when the audio
// subsystem starts, which every Open does afresh once the previous device is closed.
class TEnvOverride {
 public:
  TEnvOverride(const char* name, const std::string& value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~TEnvOverride() {
    if (FOld) ::setenv(FName, FOld->c_str(), 1);
    else ::unsetenv(FName);
  }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

// The audio thread runs in real time, so these tests wait for a condition, bounded only so
// that a broken device path fails instead of hanging.
template <class Pred>
bool WaitUntil(Pred done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

class WaveDeviceTest : public ::testing::Test {
 protected:
  // The process-wide device holds SDL's audio subsystem; it is closed so each test starts it
  // with its own driver.
  void SetUp() override { TZKWavePlayer::UseSilence(); }
  void TearDown() override { TZKWavePlayer::UseSilence(); }
  TScratchDir Dir;
};

}  // namespace

TEST_F(WaveDeviceTest, DummyDeviceOpensWithTheSmallBufferAndMixes) {
  TEnvOverride driver("SDL_AUDIODRIVER", "dummy");
  TSDLAudioOutput device;
  ASSERT_TRUE(device.Open()) << TSDLAudioOutput::GetNoDeviceReason();
  EXPECT_TRUE(device.IsOpen());
  EXPECT_EQ(device.GetBufferFrames(), 256u);

  const TWaveClip::TRef clip = TWaveClip::FromSamples(std::vector<float>(2 * 4800, 0.1f));
  device.Play("clip", false, clip);
  TWaveMixer& mixer = device.GetMixer();
  ASSERT_TRUE(WaitUntil([&] { return mixer.GetStartedCount() == 1; })) << "the voice starts";
  const uint64_t startedBy = mixer.GetRenderedFrames();
  ASSERT_TRUE(WaitUntil([&] { return mixer.GetRenderedFrames() >= startedBy + 4800 + 256; }));
  EXPECT_EQ(mixer.GetActiveVoices(), 0) << "and ends with its clip";
  device.Close();
  EXPECT_FALSE(device.IsOpen());
  device.Play("clip", false, clip);  // closed: silently nothing
}

// The disk driver writes exactly what the callback mixed, so the file shows the clip's samples,
// starting at a buffer boundary, with silence around them.
TEST_F(WaveDeviceTest, DiskDriverReceivesTheExactMix) {
  const std::string raw = Dir.File("out.raw");
  TEnvOverride driver("SDL_AUDIODRIVER", "disk");
  TEnvOverride file("SDL_DISKAUDIOFILE", raw);
  TEnvOverride delay("SDL_DISKAUDIODELAY", "1");
  TSDLAudioOutput device;
  ASSERT_TRUE(device.Open()) << TSDLAudioOutput::GetNoDeviceReason();
  ASSERT_EQ(device.GetBufferFrames(), 256u);

  std::vector<float> samples;
  for (int i = 0; i < 1000; ++i) {
    samples.push_back((i + 1) / 2048.0f);
    samples.push_back(-(i + 1) / 4096.0f);
  }
  const TWaveClip::TRef clip = TWaveClip::FromSamples(samples);
  TWaveMixer& mixer = device.GetMixer();
  ASSERT_TRUE(WaitUntil([&] { return mixer.GetRenderedFrames() >= 1024; })) << "the device runs";
  const uint64_t at = mixer.GetRenderedFrames();
  device.Play("clip", false, clip);
  ASSERT_TRUE(WaitUntil([&] { return mixer.GetRenderedFrames() >= at + 4096; }));
  device.Close();

  const std::string bytes = ReadFile(raw);
  std::vector<float> out(bytes.size() / sizeof(float));
  std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
  size_t onset = 0;
  while (onset < out.size() && out[onset] == 0.0f) ++onset;
  ASSERT_LT(onset + samples.size(), out.size()) << "the clip is in the file";
  EXPECT_EQ(onset % (2 * 256), 0u) << "voices start with a device buffer";
  for (size_t i = 0; i < samples.size(); ++i) ASSERT_EQ(out[onset + i], samples[i]) << "sample " << i;
  for (size_t i = onset + samples.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0.0f) << "sample " << i;
}

TEST_F(WaveDeviceTest, ThePlayerPlaysThroughTheDevice) {
  SKIP_WITHOUT_SAMPLE_WAVES();
  TEnvOverride driver("SDL_AUDIODRIVER", "dummy");
  TZKWavePlayer::UseDevice();
  auto* device = dynamic_cast<TSDLAudioOutput*>(TZKWavePlayer::GetOutput());
  ASSERT_TRUE(device);
  ASSERT_TRUE(device->IsOpen());
  TZKWavePlayer* player = new TZKWavePlayer(nullptr);
  player->SetAsync(true);
  player->FFileName = Sample("HubConnected.wav");
  const uint64_t started = device->GetMixer().GetStartedCount();
  player->Play();
  EXPECT_TRUE(WaitUntil([&] { return device->GetMixer().GetStartedCount() == started + 1; }));
  player->Free();
}

// No usable driver: Open fails, the player stays silent and never raises, and the note is
// given once however often the device is tried.
TEST_F(WaveDeviceTest, NoDeviceMeansSilenceAndOneNote) {
  SKIP_WITHOUT_SAMPLE_WAVES();
  {
    TEnvOverride driver("SDL_AUDIODRIVER", "dummy");
    TSDLAudioOutput working;
    ASSERT_TRUE(working.Open());
    EXPECT_TRUE(TSDLAudioOutput::GetNoDeviceReason().empty());
  }
  TEnvOverride driver("SDL_AUDIODRIVER", "no-such-driver");
  ::testing::internal::CaptureStderr();
  TSDLAudioOutput device;
  EXPECT_FALSE(device.Open());
  EXPECT_FALSE(device.Open());
  TZKWavePlayer::UseDevice();
  TZKWavePlayer* player = new TZKWavePlayer(nullptr);
  player->FFileName = Sample("MsgType.wav");
  EXPECT_NO_THROW(player->Play());  // synchronous, but there is nothing to wait for
  player->Free();
  const std::string err = ::testing::internal::GetCapturedStderr();

  EXPECT_FALSE(TSDLAudioOutput::GetNoDeviceReason().empty());
  size_t notes = 0;
  for (size_t at = err.find("no audio device"); at != std::string::npos; at = err.find("no audio device", at + 1))
    ++notes;
  EXPECT_EQ(notes, 1u) << err;
}

// ALSA's own complaints about a device it cannot open stay out of the user's terminal; the
// output's one note says it instead.
TEST_F(WaveDeviceTest, TheSoundLibrarysOwnErrorsAreSilenced) {
  TEnvOverride driver("SDL_AUDIODRIVER", "alsa");
  TEnvOverride device("AUDIODEV", "hw:99");  // a card no machine has
  ::testing::internal::CaptureStderr();
  TSDLAudioOutput output;
  const bool opened = output.Open();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(opened);
  EXPECT_EQ(err.find("ALSA lib"), std::string::npos) << err;
  EXPECT_NE(err.find("no audio device"), std::string::npos) << err;
}

namespace {

// A device the test plugs in and pulls out, rendered by the test on its own thread, on a
// clock the test moves.
class TFakeDeviceApi : public TAudioDeviceApi {
 public:
  bool Present = true;
  bool Lost = false;
  uint64_t Now = 1000;
  int Attempts = 0;

  uint32_t Open(const TRequest& request, uint32_t& bufferFrames, std::string& error) override {
    ++Attempts;
    if (!Present) {
      error = "no card";
      return 0;
    }
    FRequest = request;
    bufferFrames = request.BufferFrames;
    Lost = false;
    return FDevice = ++FLastId;
  }
  bool IsLost(uint32_t device) override { return device == FDevice && Lost; }
  void Close(uint32_t device) override {
    if (device == FDevice) FDevice = 0;
  }
  uint64_t NowMs() override { return Now; }
  std::string DriverName() override { return "fake"; }

  // One device buffer as the device's thread would ask for it; empty when no device plays.
  std::vector<float> Pump() {
    if (!FDevice || Lost) return {};
    std::vector<float> out(static_cast<size_t>(FRequest.BufferFrames) * kMixChannels);
    FRequest.Render(FRequest.User, out.data(), FRequest.BufferFrames);
    return out;
  }

 private:
  TRequest FRequest;
  uint32_t FDevice = 0;
  uint32_t FLastId = 0;
};

}  // namespace

// A device that goes away while the IDE runs is given up at the next sound and opened again,
// without a restart, once one is there; the attempts are paced, and each change is told once.
TEST_F(WaveDeviceTest, ALostDeviceIsReopenedWhenItIsBack) {
  TFakeDeviceApi api;
  TSDLAudioOutput output(api);
  const TWaveClip::TRef clip = TWaveClip::FromSamples(std::vector<float>(2 * 10, 0.5f));
  auto heard = [&] {
    const std::vector<float> block = api.Pump();
    return !block.empty() && block[0] == 0.5f;
  };
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(output.Open());
  output.Play("key", false, clip);
  EXPECT_TRUE(heard());

  api.Lost = true;
  api.Present = false;
  output.Play("key", false, clip);
  EXPECT_FALSE(output.IsOpen());
  EXPECT_FALSE(heard());
  const int attempts = api.Attempts;
  api.Now += TSDLAudioOutput::kRetryMs / 2;
  output.Play("key", false, clip);
  EXPECT_EQ(api.Attempts, attempts) << "no attempt before the pause is over";
  api.Now += TSDLAudioOutput::kRetryMs;
  output.Play("key", false, clip);
  EXPECT_GT(api.Attempts, attempts) << "tried again";
  EXPECT_FALSE(output.IsOpen());

  api.Present = true;
  output.Play("key", false, clip);
  EXPECT_FALSE(output.IsOpen()) << "the next attempt waits for its time";
  api.Now += TSDLAudioOutput::kRetryMs;
  output.Play("key", false, clip);
  EXPECT_TRUE(output.IsOpen());
  EXPECT_TRUE(heard()) << "the sound that found the device back is heard";

  output.Close();
  api.Now += 10 * TSDLAudioOutput::kRetryMs;
  const int closedAttempts = api.Attempts;
  output.Play("key", false, clip);
  EXPECT_EQ(api.Attempts, closedAttempts) << "a closed output does not look for a device";

  const std::string err = ::testing::internal::GetCapturedStderr();
  auto count = [&](const char* what) {
    size_t n = 0;
    for (size_t at = err.find(what); at != std::string::npos; at = err.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("went away"), 1u) << err;
  EXPECT_EQ(count("there again"), 1u) << err;
}
