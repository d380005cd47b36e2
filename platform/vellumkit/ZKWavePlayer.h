// TZKWavePlayer, the wave-player component: plays a wave file or a built-in click through the
// process-wide audio output.
#pragma once

#include "../vcl/Classes.h"
#include "WaveClip.h"
#include "WaveDevice.h"

// Play resolves the file name to a cached clip at the call and hands the clip to the current
// output. After a name's first play it reads no file and touches no device; an asynchronous
// Play only pushes into the mixer's lock-free queue. A name that is not a playable wave file
// plays nothing. All players and the output selection belong to one thread, the IDE's main
// thread.
class TZKWavePlayer : public TComponent {
  DECLARE_CLASS(TZKWavePlayer, TComponent)
 public:
  explicit TZKWavePlayer(TComponent* AOwner);
  void Destroy() override;

  String FFileName;       // the wave file the next Play plays
  bool FDefault = false;  // play the built-in click instead of the file

  void SetAsync(bool value) { FAsync = value; }
  bool GetAsync() const { return FAsync; }
  // Asynchronous: returns at once. Synchronous: returns when the sound has ended, which on
  // the capture sink is virtual time (its clock advances over the clip) and on the device
  // real time.
  void Play();

  // The output every player uses. Until one is chosen, the first player created opens the
  // audio device. Choosing the device (re)opens it, or keeps looking for one at each Play,
  // and starts watching cached files for changes; choosing a capture sink or silence closes the device. The capture sink stays
  // the caller's; destroying it while selected leaves silence.
  static void UseDevice();
  static void UseCaptureSink(TAudioCapture* sink);
  static void UseSilence();
  static TAudioOutput* GetOutput() { return TAudioOutput::GetCurrent(); }
  // Re-reads cached files that changed on disk now (the device watcher does it every second).
  static void RevalidateClips();

 private:
  const TWaveClip::TRef& Lookup(const String& fileName);

  bool FAsync = false;
  // The last few names this player resolved, so the common case is a compare, not a cache
  // lookup; valid while the cache's generation is unchanged.
  struct TRecent {
    bool Used = false;
    String Name;
    TWaveClip::TRef Clip;  // null for a name that gave no clip
  };
  static constexpr int kRecent = 4;
  TRecent FRecent[kRecent];
  int FRecentNext = 0;
  static constexpr uint64_t kStaleGeneration = ~uint64_t(0);
  uint64_t FRecentGeneration = kStaleGeneration;
  // What the last lookup found wrong with its file, told once the sound has been handed on.
  String FPendingReport;
};
