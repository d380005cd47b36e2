// The wave-player component and the process-wide choice of output.
#include "ZKWavePlayer.h"

#include <chrono>

IMPLEMENT_COMPONENT_CLASS(TZKWavePlayer, TComponent)

namespace {

bool gOutputChosen = false;

TSDLAudioOutput& Device() {
  static TSDLAudioOutput device;
  return device;
}

// How often the device's watcher looks for changed wave files: a user who edits a sound
// hears the new one within a second or so.
constexpr std::chrono::milliseconds kWatchInterval{1000};

}  // namespace

TZKWavePlayer::TZKWavePlayer(TComponent* AOwner) : TComponent(AOwner) {
  // The device is opened here, at the player's creation, so the first key sound does not
  // pay for it.
  if (!gOutputChosen) UseDevice();
}

void TZKWavePlayer::Destroy() {
  for (TRecent& r : FRecent) r = TRecent{};
  inherited::Destroy();
}

void TZKWavePlayer::Play() {
  TAudioOutput* output = TAudioOutput::GetCurrent();
  if (!output) return;
  // A reference, not a copy: the queue push takes the only new reference a Play needs.
  const TWaveClip::TRef& clip = FDefault ? TWaveClip::BuiltInClick() : Lookup(FFileName);
  output->Play(FFileName, FDefault, clip);
  if (!FAsync && clip) output->Wait(clip->GetFrames());
}

const TWaveClip::TRef& TZKWavePlayer::Lookup(const String& fileName) {
  TWaveClipCache& cache = TWaveClipCache::Instance();
  const uint64_t generation = cache.GetGeneration();
  if (generation != FRecentGeneration) {
    for (TRecent& r : FRecent) r = TRecent{};
    FRecentGeneration = generation;
  }
  for (const TRecent& r : FRecent)
    if (r.Used && r.Name == fileName) return r.Clip;
  TRecent& slot = FRecent[FRecentNext];
  FRecentNext = (FRecentNext + 1) % kRecent;
  slot = TRecent{true, fileName, cache.Get(fileName)};
  // A clip replaced while we looked may be this one: forget everything at the next call.
  if (cache.GetGeneration() != generation) FRecentGeneration = kStaleGeneration;
  return slot.Clip;
}

void TZKWavePlayer::UseDevice() {
  gOutputChosen = true;
  TAudioOutput::SetCurrent(&Device());
  if (Device().Open()) TWaveClipCache::Instance().StartWatching(kWatchInterval);
  else TWaveClipCache::Instance().StopWatching();
}

void TZKWavePlayer::UseCaptureSink(TAudioCapture* sink) {
  gOutputChosen = true;
  TAudioOutput::SetCurrent(sink);
  TWaveClipCache::Instance().StopWatching();
  Device().Close();
}

void TZKWavePlayer::UseSilence() { UseCaptureSink(nullptr); }

void TZKWavePlayer::RevalidateClips() { TWaveClipCache::Instance().Revalidate(); }
