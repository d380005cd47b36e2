// The wave-player component and the process-wide choice of output.
#include "ZKWavePlayer.h"

#include <chrono>

#include "../vcl/Forms.h"
#include "../win/MessageBox.h"

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
  if (!FPendingReport.empty()) {
    // Shown after the sound is on its way: a box is modal, and whatever runs while it is
    // up may play again.
    const String text = std::move(FPendingReport);
    FPendingReport.clear();
    MessageBox(0, text, Application ? Application->Title : String(), MB_OK | MB_ICONWARNING);
  }
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
  std::string why;
  bool playable = false;
  if (!fileName.empty() && cache.TakeReport(fileName, why, playable))
    FPendingReport = playable ? "The wave file \"" + fileName + "\" is damaged: " + why + "."
                              : "The wave file \"" + fileName + "\" cannot be played: " + why + ".";
  // A clip replaced while we looked may be this one: forget everything at the next call.
  if (cache.GetGeneration() != generation) FRecentGeneration = kStaleGeneration;
  return slot.Clip;
}

void TZKWavePlayer::UseDevice() {
  gOutputChosen = true;
  TAudioOutput::SetCurrent(&Device());
  // Without a device now, one may come later: the output keeps looking at each Play.
  Device().Open();
  TWaveClipCache::Instance().StartWatching(kWatchInterval);
}

void TZKWavePlayer::UseCaptureSink(TAudioCapture* sink) {
  gOutputChosen = true;
  TAudioOutput::SetCurrent(sink);
  TWaveClipCache::Instance().StopWatching();
  Device().Close();
}

void TZKWavePlayer::UseSilence() { UseCaptureSink(nullptr); }

void TZKWavePlayer::RevalidateClips() { TWaveClipCache::Instance().Revalidate(); }
