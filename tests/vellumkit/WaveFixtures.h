// Test helpers for the wave player: wave files built as bytes, a scratch directory, and the
// shipped sample files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/vellumkit/WaveMixer.h"

namespace wavetest {

inline void PutLE(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A PCM wave file: `samples` are interleaved and written with `bits` (8 unsigned, 16 signed).
// `dataSizeOverride` lets a test claim more data than it holds.
inline std::string WavBytes(int rate, int channels, int bits, const std::vector<int>& samples,
                            int64_t dataSizeOverride = -1) {
  std::string data;
  for (int v : samples) PutLE(data, static_cast<uint32_t>(bits == 8 ? v + 128 : v), bits / 8);
  const uint32_t dataSize = dataSizeOverride >= 0 ? static_cast<uint32_t>(dataSizeOverride)
                                                  : static_cast<uint32_t>(data.size());
  std::string s = "RIFF";
  PutLE(s, static_cast<uint32_t>(std::min<uint64_t>(36 + uint64_t{dataSize}, 0xFFFFFFFF)), 4);
  s += "WAVEfmt ";
  PutLE(s, 16, 4);
  PutLE(s, 1, 2);
  PutLE(s, channels, 2);
  PutLE(s, rate, 4);
  PutLE(s, rate * channels * bits / 8, 4);
  PutLE(s, channels * bits / 8, 2);
  PutLE(s, bits, 2);
  s += "data";
  PutLE(s, dataSize, 4);
  return s + data;
}

// An IEEE float wave file (format tag 3, 32 bits), interleaved samples as given.
inline std::string FloatWavBytes(int rate, int channels, const std::vector<float>& samples) {
  std::string s = "RIFF";
  const uint32_t dataSize = static_cast<uint32_t>(samples.size() * 4);
  PutLE(s, 36 + dataSize, 4);
  s += "WAVEfmt ";
  PutLE(s, 16, 4);
  PutLE(s, 3, 2);
  PutLE(s, channels, 2);
  PutLE(s, rate, 4);
  PutLE(s, rate * channels * 4, 4);
  PutLE(s, channels * 4, 2);
  PutLE(s, 32, 2);
  s += "data";
  PutLE(s, dataSize, 4);
  for (float f : samples) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    PutLE(s, bits, 4);
  }
  return s;
}

// A 48 kHz 16-bit stereo file holds the mixer's rate and layout, so its samples come out of
// the decoder exactly as v / 32768.
inline std::string MixRateWav(const std::vector<int>& interleaved) { return WavBytes(48000, 2, 16, interleaved); }

inline std::vector<int> Constant(int frames, int value) { return std::vector<int>(frames * 2, value); }

inline void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Real wave files made by others, where their Debian packages put them (scripts/setup
// installs sound-icons and eiskaltdcpp-sounds).
inline std::filesystem::path SamplePath(const std::string& name) {
  const std::filesystem::path dir = name == "percussion-12.wav" ? "/usr/share/sounds/sound-icons"
                                                                 : "/usr/share/eiskaltdcpp/sounds";
  return dir / name;
}

inline std::string Sample(const char* name) { return SamplePath(name).string(); }

// The first of the real sample files that is not there; empty when all are.
inline std::string MissingSample() {
  for (const char* name : {"MsgType.wav", "HubConnected.wav", "percussion-12.wav"})
    if (!std::filesystem::exists(SamplePath(name))) return SamplePath(name).string();
  return {};
}

}  // namespace wavetest

// Skips the test, saying which file is missing, on a machine without the sample packages.
#define SKIP_WITHOUT_SAMPLE_WAVES()                                                               \
  if (const std::string missingSample = ::wavetest::MissingSample(); !missingSample.empty())     \
  GTEST_SKIP() << missingSample << " is not installed (Debian packages sound-icons and "          \
                                   "eiskaltdcpp-sounds; scripts/setup installs them)"

namespace wavetest {

// A private directory under the system's temporary directory, removed with everything in it.
class TScratchDir {
 public:
  TScratchDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "vellumkit-XXXXXX").string();
    if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    FPath = templ;
  }
  ~TScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
  }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  std::string File(const std::string& name) const { return (FPath / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    WriteFile(FPath / name, bytes);
    return File(name);
  }

 private:
  std::filesystem::path FPath;
};

// A clip and the virtual time its voice should start.
struct TPlayAt {
  TWaveClip::TRef Clip;
  uint64_t Start;
};

// Whether everything the capture sink rendered is exactly the clamped sum of these voices.
inline ::testing::AssertionResult MixMatches(const TAudioCapture& capture, const std::vector<TPlayAt>& plays) {
  const std::vector<float>& heard = capture.GetSamples();
  if (heard.size() != capture.GetNow() * kMixChannels)
    return ::testing::AssertionFailure() << "rendered " << heard.size() << " samples";
  for (uint64_t t = 0; t < capture.GetNow(); ++t)
    for (int c = 0; c < kMixChannels; ++c) {
      float want = 0;
      for (const TPlayAt& p : plays)
        if (p.Clip && t >= p.Start && t - p.Start < p.Clip->GetFrames())
          want += p.Clip->GetSamples()[(t - p.Start) * kMixChannels + c];
      want = std::clamp(want, -1.0f, 1.0f);
      const float got = heard[t * kMixChannels + c];
      if (std::fabs(got - want) > 1e-6f)
        return ::testing::AssertionFailure() << "frame " << t << " channel " << c << ": heard " << got << ", want " << want;
    }
  return ::testing::AssertionSuccess();
}

}  // namespace wavetest
