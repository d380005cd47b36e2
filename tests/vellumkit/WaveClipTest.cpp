// Decoding wave files into the mixer's format, refusing broken ones, and the clip cache.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <thread>

#include "WaveFixtures.h"
#include "platform/vellumkit/WaveClip.h"

using namespace wavetest;

namespace {

struct TLevels {
  double Peak = 0;
  double Rms = 0;
};

TLevels LevelsOf(const float* samples, size_t count) {
  TLevels l;
  double sum = 0;
  for (size_t i = 0; i < count; ++i) {
    l.Peak = std::max(l.Peak, static_cast<double>(std::fabs(samples[i])));
    sum += static_cast<double>(samples[i]) * samples[i];
  }
  l.Rms = count ? std::sqrt(sum / count) : 0;
  return l;
}

// Levels of a PCM file read straight from its chunks, independent of the decoder under test.
TLevels SourceLevels(const std::string& bytes) {
  int bits = 0;
  std::vector<float> samples;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string id = bytes.substr(at, 4);
    uint32_t size = 0;
    for (int i = 0; i < 4; ++i) size |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 4 + i])) << (8 * i);
    const size_t body = at + 8;
    if (id == "fmt ") bits = static_cast<uint8_t>(bytes[body + 14]);
    if (id == "data") {
      for (size_t i = body; i + bits / 8 <= body + size && i + bits / 8 <= bytes.size(); i += bits / 8) {
        if (bits == 8) {
          samples.push_back((static_cast<uint8_t>(bytes[i]) - 128) / 128.0f);
        } else {
          samples.push_back(static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)) / 32768.0f);
        }
      }
    }
    at = body + size + (size & 1);
  }
  return LevelsOf(samples.data(), samples.size());
}

}  // namespace

// The shipped files cover both awkward header layouts (an 18-byte fmt chunk, a fact chunk
// before data, an odd data size) and three rates and two widths that need converting.
TEST(WaveClip, DecodesSampleFilesIntoTheMixFormat) {
  SKIP_WITHOUT_SAMPLE_WAVES();
  struct TRow {
    const char* File;
    int Rate, Channels, Bits;
    uint32_t SourceFrames;
  } rows[] = {
      {"MsgType.wav", 22050, 1, 8, 3697},
      {"percussion-12.wav", 16000, 1, 16, 2064},
      {"HubConnected.wav", 44100, 2, 16, 13375},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.File);
    std::string error;
    TWaveClip::TRef clip = LoadWaveFile(Sample(row.File), nullptr, &error);
    ASSERT_TRUE(clip) << error;
    EXPECT_EQ(clip->GetSource().Rate, row.Rate);
    EXPECT_EQ(clip->GetSource().Channels, row.Channels);
    EXPECT_EQ(clip->GetSource().Bits, row.Bits);
    const double expectedFrames = static_cast<double>(row.SourceFrames) * kMixRate / row.Rate;
    EXPECT_NEAR(clip->GetFrames(), expectedFrames, 1.0);

    const float* s = clip->GetSamples();
    if (row.Channels == 1) {
      for (uint32_t i = 0; i < clip->GetFrames(); ++i) ASSERT_EQ(s[2 * i], s[2 * i + 1]) << "frame " << i;
    }
    // Resampling keeps the loudness; a wrong sample width or sign would not.
    const TLevels source = SourceLevels(ReadFile(Sample(row.File)));
    const TLevels heard = LevelsOf(s, static_cast<size_t>(clip->GetFrames()) * kMixChannels);
    EXPECT_GT(source.Peak, 0.05);
    EXPECT_NEAR(heard.Rms, source.Rms, source.Rms * 0.05);
    EXPECT_NEAR(heard.Peak, source.Peak, source.Peak * 0.15);
  }
}

TEST(WaveClip, DecodesExactlyWhenNoResamplingIsNeeded) {
  const std::string stereo16 = WavBytes(48000, 2, 16, {1000, -2000, 32767, -32768, 0, 5});
  TWaveClip::TRef a = TWaveClip::Decode(stereo16.data(), stereo16.size());
  ASSERT_TRUE(a);
  ASSERT_EQ(a->GetFrames(), 3u);
  const float wantA[] = {1000 / 32768.f, -2000 / 32768.f, 32767 / 32768.f, -1.f, 0.f, 5 / 32768.f};
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(a->GetSamples()[i], wantA[i]) << i;

  const std::string mono8 = WavBytes(48000, 1, 8, {-128, 0, 64, 127});
  TWaveClip::TRef b = TWaveClip::Decode(mono8.data(), mono8.size());
  ASSERT_TRUE(b);
  ASSERT_EQ(b->GetFrames(), 4u);
  const float wantB[] = {-1.f, 0.f, 0.5f, 127 / 128.f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(b->GetSamples()[2 * i], wantB[i]) << i;
    EXPECT_FLOAT_EQ(b->GetSamples()[2 * i + 1], wantB[i]) << i;
  }
}

// Every broken file is "no clip" with a reason, never an exception; a file whose data stops
// early plays the whole frames it has.
TEST(WaveClip, BrokenFilesGiveNoClip) {
  TScratchDir dir;
  const std::string good = MixRateWav(Constant(1000, 1200));
  struct TRow {
    const char* Name;
    std::string Bytes;
    uint32_t Frames;  // 0: no clip expected
  } rows[] = {
      {"empty.wav", "", 0},
      {"header-cut.wav", good.substr(0, 30), 0},
      {"text.wav", "This is a text file, not a sound at all.\n", 0},
      {"flac.wav", std::string("fLaC\0\0\0\x22", 8) + std::string(64, '\x11'), 0},
      {"no-fmt.wav", std::string("RIFF\x0c\0\0\0WAVEdata\0\0\0\0", 20), 0},
      {"no-samples.wav", MixRateWav({}), 0},
      {"rate-50.wav", WavBytes(50, 1, 16, std::vector<int>(100, 9)), 0},
      {"no-channels.wav", WavBytes(48000, 0, 16, std::vector<int>(100, 9)), 0},
      {"data-cut.wav", good.substr(0, 44 + 600 * 4 + 3), 600},
      {"streamed-sizes.wav", WavBytes(48000, 2, 16, Constant(600, 1200), 0xFFFFFFFF), 600},
      // Without its RIFF header the sizes in a file are not checked against anything: this
      // one claims 4 GB of samples in 38 bytes.
      {"headerless.wav", WavBytes(44100, 1, 16, {1}, 0xFF000DC8).substr(8), 0},
      // One frame at 192 kHz resamples to no frame at 48 kHz.
      {"one-frame-at-192k.wav", WavBytes(192000, 1, 16, {5}), 0},
      {"all-nan.wav", FloatWavBytes(48000, 2, std::vector<float>(20, std::nanf(""))), 0},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    std::string error;
    TWaveClip::TRef clip;
    EXPECT_NO_THROW(clip = LoadWaveFile(dir.Write(row.Name, row.Bytes), nullptr, &error));
    if (row.Frames == 0) {
      EXPECT_FALSE(clip);
      EXPECT_FALSE(error.empty());
    } else {
      ASSERT_TRUE(clip) << error;
      EXPECT_EQ(clip->GetFrames(), row.Frames);
    }
  }

  std::filesystem::create_directory(dir.Path() / "folder.wav");
  for (const std::string& name : {dir.File("missing.wav"), dir.File("folder.wav"), std::string()}) {
    SCOPED_TRACE(name);
    TFileStamp stamp;
    std::string error;
    EXPECT_FALSE(LoadWaveFile(name, &stamp, &error));
    EXPECT_FALSE(error.empty());
  }
}

// Samples that are not numbers become silence, also where resampling would spread them to
// their neighbours; the clip says what was wrong.
TEST(WaveClip, NonFiniteSamplesBecomeSilence) {
  const float inf = std::numeric_limits<float>::infinity();
  const std::string exact = FloatWavBytes(48000, 2, {0.5f, std::nanf(""), inf, -inf, 0.25f, -0.25f});
  TWaveClip::TRef a = TWaveClip::Decode(exact.data(), exact.size());
  ASSERT_TRUE(a);
  ASSERT_EQ(a->GetFrames(), 3u);
  const float want[] = {0.5f, 0, 0, 0, 0.25f, -0.25f};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(a->GetSamples()[i], want[i]) << i;
  EXPECT_NE(a->GetNote().find("3 of its 6 samples are not numbers"), std::string::npos) << a->GetNote();

  std::vector<float> tone(2000, 0.3f);
  tone[1000] = std::nanf("");
  const std::string resampled = FloatWavBytes(22050, 1, tone);
  TWaveClip::TRef b = TWaveClip::Decode(resampled.data(), resampled.size());
  ASSERT_TRUE(b);
  for (size_t i = 0; i < static_cast<size_t>(b->GetFrames()) * kMixChannels; ++i)
    ASSERT_TRUE(std::isfinite(b->GetSamples()[i])) << i;
  EXPECT_FALSE(b->GetNote().empty());

  const std::string sound = FloatWavBytes(48000, 2, {0.5f, -0.5f});
  EXPECT_EQ(TWaveClip::Decode(sound.data(), sound.size())->GetNote(), "");
}

TEST(WaveClip, LongFilesPlayTheirFirstFiveSeconds) {
  const std::string sixSeconds = WavBytes(8000, 1, 8, std::vector<int>(6 * 8000, 20));
  TWaveClip::TRef clip = TWaveClip::Decode(sixSeconds.data(), sixSeconds.size());
  ASSERT_TRUE(clip);
  EXPECT_EQ(clip->GetFrames(), kMaxClipFrames);
}

// Mutated real and generated files must never crash the decoder (run it under the sanitizers)
// and whatever it accepts must be a sane clip.
TEST(WaveClip, MutatedBytesNeverCrashTheDecoder) {
  SKIP_WITHOUT_SAMPLE_WAVES();
  std::vector<std::string> seeds = {ReadFile(Sample("MsgType.wav")), ReadFile(Sample("percussion-12.wav")),
                                    ReadFile(Sample("HubConnected.wav")), WavBytes(8000, 2, 8, std::vector<int>(200, 3))};
  std::mt19937 rng(20240611);
  int accepted = 0, refused = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = seeds[rng() % seeds.size()];
    switch (rng() % 4) {
      case 0:  // scattered byte changes
        for (int n = 1 + rng() % 8; n > 0; --n) bytes[rng() % bytes.size()] = static_cast<char>(rng());
        break;
      case 1:  // cut anywhere
        bytes.resize(rng() % bytes.size());
        break;
      case 2: {  // a wild value in the header, where the sizes, rates and counts live
        const size_t at = rng() % std::min<size_t>(bytes.size() - 4, 60);
        const uint32_t v = rng();
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
        break;
      }
      default:  // garbage spliced into the middle
        bytes.insert(rng() % bytes.size(), std::string(1 + rng() % 32, static_cast<char>(rng())));
        break;
    }
    std::string error;
    TWaveClip::TRef clip = TWaveClip::Decode(bytes.data(), bytes.size(), &error);
    if (!clip) {
      ++refused;
      EXPECT_FALSE(error.empty());
      continue;
    }
    ++accepted;
    ASSERT_GT(clip->GetFrames(), 0u);
    ASSERT_LE(clip->GetFrames(), kMaxClipFrames);
    const float* s = clip->GetSamples();
    for (size_t i = 0; i < static_cast<size_t>(clip->GetFrames()) * kMixChannels; ++i)
      ASSERT_TRUE(std::isfinite(s[i])) << "round " << round;
  }
  // Both outcomes must be reached, or the mutations are not testing anything.
  EXPECT_GT(accepted, 100);
  EXPECT_GT(refused, 100);
}

TEST(WaveClipCache, ReadsANameOnceUntilRevalidated) {
  TScratchDir dir;
  TWaveClipCache cache;
  const std::string name = dir.Write("key.wav", MixRateWav(Constant(100, 1000)));
  const std::string missing = dir.File("enter.wav");

  TWaveClip::TRef first = cache.Get(name);
  ASSERT_TRUE(first);
  EXPECT_FALSE(cache.Get(missing));
  EXPECT_EQ(cache.Get(name), first);
  EXPECT_FALSE(cache.Get(missing));
  EXPECT_EQ(cache.GetReadCount(), 2u) << "each name is read once, a failed one too";
  EXPECT_FALSE(cache.GetError(missing).empty());

  // Nothing changed: revalidation stats but reads nothing and keeps the generation.
  const uint64_t generation = cache.GetGeneration();
  cache.Revalidate();
  EXPECT_EQ(cache.GetReadCount(), 2u);
  EXPECT_EQ(cache.GetGeneration(), generation);

  // A rewritten file and a file that appeared are only seen after revalidation.
  WriteFile(name, MixRateWav(Constant(300, -2000)));
  WriteFile(missing, MixRateWav(Constant(50, 500)));
  EXPECT_EQ(cache.Get(name), first);
  EXPECT_FALSE(cache.Get(missing));
  cache.Revalidate();
  EXPECT_GT(cache.GetGeneration(), generation);
  TWaveClip::TRef second = cache.Get(name);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->GetFrames(), 300u);
  EXPECT_FLOAT_EQ(second->GetSamples()[0], -2000 / 32768.f);
  ASSERT_TRUE(cache.Get(missing));
  EXPECT_EQ(first->GetFrames(), 100u) << "a replaced clip stays intact for whoever still holds it";

  // A deleted file becomes "no clip".
  std::filesystem::remove(name);
  cache.Revalidate();
  EXPECT_FALSE(cache.Get(name));
}

TEST(WaveClipCache, WatcherRevalidatesOnItsOwnThread) {
  TScratchDir dir;
  TWaveClipCache cache;
  const std::string name = dir.Write("key.wav", MixRateWav(Constant(100, 1000)));
  ASSERT_TRUE(cache.Get(name));
  const uint64_t generation = cache.GetGeneration();
  cache.StartWatching(std::chrono::milliseconds(1));
  // Replaced by rename, so the watcher never sees a half-written file.
  WriteFile(dir.File("new.wav"), MixRateWav(Constant(200, 1000)));
  std::filesystem::rename(dir.File("new.wav"), name);
  // Wait for the watcher's result, not for a guessed time; the bound only stops a hang.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (cache.GetGeneration() == generation && std::chrono::steady_clock::now() < deadline)
    std::this_thread::yield();
  cache.StopWatching();
  ASSERT_TRUE(cache.Get(name));
  EXPECT_EQ(cache.Get(name)->GetFrames(), 200u);
}
