// The wave player's Play on a cached clip, through the device output into the mixer's queue,
// against the bare push of the same clip into that queue. The queue is emptied outside the
// timing every few plays, so both sides always find room.
#include <benchmark/benchmark.h>

#include "platform/vellumkit/ZKWavePlayer.h"

namespace {

// A device that is always there and never renders on its own: the benchmark empties the
// mixer's queue itself, on its own thread.
class TIdleDeviceApi : public TAudioDeviceApi {
 public:
  uint32_t Open(const TRequest&, uint32_t& bufferFrames, std::string&) override {
    bufferFrames = 256;
    return 1;
  }
  bool IsLost(uint32_t) override { return false; }
  void Close(uint32_t) override {}
  uint64_t NowMs() override { return 0; }
  std::string DriverName() override { return "idle"; }
};

constexpr int kDrainEvery = 128;

void Drain(benchmark::State& state, TWaveMixer& mixer) {
  state.PauseTiming();
  mixer.Render(nullptr, 0);
  state.ResumeTiming();
}

// Arg 0: the bare queue push; 1: Play.
void BM_Play(benchmark::State& state) {
  TIdleDeviceApi api;
  TSDLAudioOutput output(api);
  output.Open();
  TZKWavePlayer::UseSilence();
  TAudioOutput::SetCurrent(&output);
  TZKWavePlayer* player = new TZKWavePlayer(nullptr);
  player->SetAsync(true);
  player->FFileName = std::string(BRISK_SOURCE_DIR) + "/resources/key.wav";
  player->Play();  // reads and decodes the file once
  const TWaveClip::TRef clip = TWaveClipCache::Instance().Get(player->FFileName);
  TWaveMixer& mixer = output.GetMixer();
  int n = 0;
  if (state.range(0) == 0) {
    for (auto _ : state) {
      mixer.Enqueue(clip);
      if (++n == kDrainEvery) Drain(state, mixer), n = 0;
    }
  } else {
    for (auto _ : state) {
      player->Play();
      if (++n == kDrainEvery) Drain(state, mixer), n = 0;
    }
  }
  if (mixer.GetDroppedCount() != 0) state.SkipWithError("the queue overflowed");
  player->Free();
  TZKWavePlayer::UseSilence();
}

}  // namespace

BENCHMARK(BM_Play)->Name("play/baseline: bare queue push")->Arg(0);
BENCHMARK(BM_Play)->Name("play/cached clip")->Arg(1);
