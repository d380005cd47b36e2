// Key release to the first mixed sample of its sound, through SDL's disk driver at a
// 256-frame buffer (5.3 ms): the wall time from posting the key-up to the device callback that
// mixes the sound, against the same wait for a clip pushed straight into the mixer's queue.
// Each measured time is one iteration; p50 and p95 are printed as counters, in milliseconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "BenchIde.h"
#include "platform/vellumkit/ZKWavePlayer.h"

namespace {

using benchide::TBenchIde;
using TClock = std::chrono::steady_clock;

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(TClock::now().time_since_epoch()).count();
}

// Arg 0: the clip pushed into the queue; 1: the key released in the editor.
void BM_ReleaseToMix(benchmark::State& state) {
  const bool key = state.range(0) != 0;
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  TZKWavePlayer::UseSilence();
  TBenchIde ide(true);
  TZKWavePlayer::UseDevice();
  auto* device = dynamic_cast<TSDLAudioOutput*>(TZKWavePlayer::GetOutput());
  if (!device || !device->IsOpen() || device->GetBufferFrames() != 256) {
    state.SkipWithError("the disk driver did not open at 256 frames");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return;
  }
  TWaveMixer& mixer = device->GetMixer();
  mixer.SetStampStarts(true);
  HWND h = ide.Window->GetEditControl()->GetHandle();
  const LPARAM up = MakeKeyData(WM_KEYUP, 'A');
  const TWaveClip::TRef clip = TWaveClipCache::Instance().Get((benchide::ResourceDir() / "key.wav").string());
  PostMessage(h, WM_KEYUP, 'A', up);  // the first play reads the file
  Application->ProcessMessages();

  // A fresh moment in the device's period for every key, as a person's keys fall.
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pause(0, 6000);
  std::vector<double> latencies;
  for (auto _ : state) {
    int64_t stamp = 0;
    while (mixer.TakeStartStamp(stamp)) {
    }
    std::this_thread::sleep_for(std::chrono::microseconds(pause(rng)));
    const int64_t released = NowNs();
    if (key) {
      PostMessage(h, WM_KEYUP, 'A', up);
      Application->ProcessMessages();
    } else {
      mixer.Enqueue(clip);
    }
    const auto deadline = TClock::now() + std::chrono::milliseconds(200);
    while (!mixer.TakeStartStamp(stamp)) {
      if (TClock::now() > deadline) {
        state.SkipWithError("the sound never started");
        break;
      }
      std::this_thread::yield();
    }
    const double seconds = static_cast<double>(stamp - released) / 1e9;
    state.SetIterationTime(seconds);
    latencies.push_back(seconds * 1e3);
  }
  std::sort(latencies.begin(), latencies.end());
  if (!latencies.empty()) {
    state.counters["p50_ms"] = latencies[latencies.size() / 2];
    state.counters["p95_ms"] = latencies[latencies.size() * 95 / 100];
  }
  TZKWavePlayer::UseSilence();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}

}  // namespace

BENCHMARK(BM_ReleaseToMix)->Name("release to mix/baseline: queue push")->Arg(0)->UseManualTime()->Iterations(400);
BENCHMARK(BM_ReleaseToMix)->Name("release to mix/key release, disk driver, 256 frames")->Arg(1)->UseManualTime()->Iterations(400);
