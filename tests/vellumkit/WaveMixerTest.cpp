// The mixer through the capture sink: where voices land, how they sum, clamp and get stolen,
// and the queue between the players' thread and the audio thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "WaveFixtures.h"

using wavetest::MixMatches;
using wavetest::TPlayAt;

namespace {

TWaveClip::TRef Ramp(uint32_t frames, float step) {
  std::vector<float> s;
  for (uint32_t i = 0; i < frames; ++i) {
    s.push_back(step * (i + 1));
    s.push_back(-step * (i + 1));
  }
  return TWaveClip::FromSamples(std::move(s));
}

TWaveClip::TRef Dc(uint32_t frames, float value) {
  return TWaveClip::FromSamples(std::vector<float>(static_cast<size_t>(frames) * kMixChannels, value));
}

// Plays each clip at its virtual time on a fresh capture sink and renders `total` frames.
void RenderPlays(TAudioCapture& capture, std::vector<TPlayAt> plays, uint64_t total) {
  std::stable_sort(plays.begin(), plays.end(), [](const TPlayAt& a, const TPlayAt& b) { return a.Start < b.Start; });
  for (const TPlayAt& p : plays) {
    capture.Advance(p.Start - capture.GetNow());
    capture.Play("clip", false, p.Clip);
  }
  capture.Advance(total - capture.GetNow());
}

float Sample(const TAudioCapture& c, uint64_t frame, int channel) {
  return c.GetSamples()[frame * kMixChannels + channel];
}

}  // namespace

TEST(WaveMixer, MixesVoicesIntoTheRightFrames) {
  const TWaveClip::TRef shared = Ramp(50, 0.01f);
  struct TRow {
    const char* Case;
    std::vector<TPlayAt> Plays;
    uint64_t Total;
  } rows[] = {
      {"one voice gives its exact samples", {{Ramp(300, 0.001f), 0}}, 400},
      {"a voice starts at its virtual time", {{Ramp(300, 0.001f), 77}}, 400},
      {"a clip shorter than a block, then silence", {{Ramp(10, 0.01f), 5}}, 100},
      {"a clip across a render block boundary", {{Ramp(200, 0.001f), 950}}, 1300},
      {"overlapping voices add", {{Ramp(300, 0.001f), 0}, {Dc(300, 0.25f), 100}}, 500},
      {"one clip twice at once doubles", {{shared, 10}, {shared, 10}}, 100},
      {"sums are clamped both ways",
       {{Dc(100, 0.7f), 0}, {Dc(100, 0.7f), 50}, {Dc(100, -0.6f), 200}, {Dc(100, -0.6f), 250}},
       400},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Case);
    TAudioCapture capture;
    RenderPlays(capture, row.Plays, row.Total);
    EXPECT_EQ(capture.GetNow(), row.Total);
    EXPECT_TRUE(MixMatches(capture, row.Plays));
    EXPECT_EQ(capture.GetMixer().GetActiveVoices(), 0) << "finished voices are freed";
  }
}

// Voice k plays the constant (k+1)/1024 from frame k; the 33rd voice takes the slot of the
// first, which then fades out over kStealFadeFrames instead of stopping dead.
TEST(WaveMixer, StealsTheOldestVoiceWithAFade) {
  TAudioCapture capture;
  constexpr int kVoices = TWaveMixer::kMaxVoices + 1;
  const uint32_t fade = TWaveMixer::kStealFadeFrames;
  std::vector<TPlayAt> plays;
  for (int k = 0; k < kVoices; ++k) plays.push_back({Dc(2000, (k + 1) / 1024.0f), static_cast<uint64_t>(k)});
  RenderPlays(capture, plays, 1000);

  EXPECT_EQ(capture.GetMixer().GetStolenCount(), 1u);
  EXPECT_EQ(capture.GetMixer().GetActiveVoices(), TWaveMixer::kMaxVoices);
  auto level = [](int from, int to) {  // sum of the voices from..to inclusive
    float s = 0;
    for (int k = from; k <= to; ++k) s += (k + 1) / 1024.0f;
    return s;
  };
  for (uint64_t t = 0; t < 1000; ++t) {
    float want;
    if (t < kVoices - 1) want = level(0, static_cast<int>(t));
    else if (t < kVoices - 1 + fade)
      want = level(1, kVoices - 1) + (1 / 1024.0f) * static_cast<float>(fade - (t - (kVoices - 1))) / fade;
    else want = level(1, kVoices - 1);
    ASSERT_NEAR(Sample(capture, t, 0), want, 1e-5) << "frame " << t;
  }
}

TEST(WaveMixer, BurstFarBeyondThePoolKeepsThirtyTwoVoices) {
  TAudioCapture capture;
  const float v = 1 / 128.0f;
  const TWaveClip::TRef clip = Dc(1000, v);
  for (int i = 0; i < 100; ++i) capture.Play("burst", false, clip);
  capture.Advance(600);
  EXPECT_EQ(capture.GetMixer().GetStolenCount(), 68u);
  EXPECT_EQ(capture.GetMixer().GetActiveVoices(), TWaveMixer::kMaxVoices);
  // At most the 32 voices plus 32 fading ones sound at first; after the fade only the 32.
  EXPECT_LE(Sample(capture, 0, 0), 2 * TWaveMixer::kMaxVoices * v + 1e-6);
  EXPECT_NEAR(Sample(capture, 599, 0), TWaveMixer::kMaxVoices * v, 1e-6);
}

TEST(WaveMixer, AFullQueueDropsInsteadOfWaiting) {
  TWaveMixer mixer;
  const TWaveClip::TRef clip = Dc(10, 0.001f);
  int accepted = 0;
  for (int i = 0; i < 300; ++i) accepted += mixer.Enqueue(clip) ? 1 : 0;
  EXPECT_EQ(accepted, static_cast<int>(TWaveMixer::kQueueCapacity));
  EXPECT_EQ(mixer.GetDroppedCount(), 300 - TWaveMixer::kQueueCapacity);
  EXPECT_TRUE(mixer.Enqueue(nullptr)) << "no clip is nothing to do, not a failure";

  float out[16 * kMixChannels];
  mixer.Render(out, 16);
  EXPECT_EQ(mixer.GetActiveVoices(), 0);
  EXPECT_EQ(mixer.GetStolenCount(), TWaveMixer::kQueueCapacity - TWaveMixer::kMaxVoices);
  EXPECT_TRUE(mixer.Enqueue(clip)) << "the queue has room again once rendered";
}

// The audio thread must not free memory, so a finished clip's reference goes back to the
// producer and is dropped at its next Enqueue.
TEST(WaveMixer, FinishedClipsAreReleasedOnTheProducerSide) {
  TWaveMixer mixer;
  TWaveClip::TRef clip = Dc(10, 0.1f);
  mixer.Enqueue(clip);
  float out[64 * kMixChannels];
  mixer.Render(out, 64);
  EXPECT_EQ(mixer.GetActiveVoices(), 0);
  EXPECT_EQ(clip.use_count(), 2) << "still parked for the producer";
  mixer.Enqueue(Dc(10, 0.1f));
  EXPECT_EQ(clip.use_count(), 1);
}

TEST(WaveMixer, RingKeepsOrderAcrossThreads) {
  TSpscRing<uint64_t, 64> ring;
  constexpr uint64_t kCount = 200000;
  std::thread producer([&ring] {
    for (uint64_t i = 1; i <= kCount; ++i) {
      uint64_t item = i;
      while (!ring.TryPush(item)) std::this_thread::yield();
    }
  });
  uint64_t expected = 1;
  while (expected <= kCount) {
    uint64_t item = 0;
    if (!ring.TryPop(item)) {
      std::this_thread::yield();
      continue;
    }
    ASSERT_EQ(item, expected);
    ++expected;
  }
  producer.join();
  uint64_t extra;
  EXPECT_FALSE(ring.TryPop(extra));
}

// Plays and renders race as they do with a device; every reference comes back.
TEST(WaveMixer, ConcurrentPlayAndRenderLoseNoReference) {
  TWaveMixer mixer;
  TWaveClip::TRef clip = Ramp(40, 0.001f);
  std::atomic<bool> producing{true};
  std::thread consumer([&] {
    float out[64 * kMixChannels];
    while (producing.load(std::memory_order_acquire)) mixer.Render(out, 64);
  });
  for (int i = 0; i < 20000; ++i) mixer.Enqueue(clip);
  producing.store(false, std::memory_order_release);
  consumer.join();

  // Joined: this thread is now both sides. Finish every voice, then let the producer collect.
  float out[64 * kMixChannels];
  for (int i = 0; i < 10; ++i) mixer.Render(out, 64);
  EXPECT_EQ(mixer.GetActiveVoices(), 0);
  mixer.Enqueue(Ramp(1, 0.1f));
  EXPECT_EQ(clip.use_count(), 1);
}
