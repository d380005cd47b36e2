// The IDE's screen in a real window: the screen surface shown 1:1 in an SDL window, only
// what changed copied to it, and the person's keyboard and mouse posted into the window
// system.
#pragma once

#include <SDL2/SDL.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "platform/win/SDLInput.h"

class TWindowHost {
 public:
  TWindowHost() = default;
  TWindowHost(const TWindowHost&) = delete;
  TWindowHost& operator=(const TWindowHost&) = delete;
  ~TWindowHost();

  // Whether the environment names a display (X or Wayland).
  static bool DisplayNamed();
  // Whether a window can be shown: a display is named and SDL's video starts on it.
  static bool DisplayAvailable();
  // Signals are taken as window events (they then wake the wait like input does): blocks
  // them in this thread and every thread started after, before any is started.
  static void BlockSignals();
  static void UnblockSignals();
  // From now on each blocked signal arriving calls `onSignal` from WaitForInput.
  void WatchSignals(std::function<void(int)> onSignal);
  // Opens the window over the whole screen surface; false with SDL's reason.
  bool Open(const std::string& title, std::string& error);
  // Copies to the window what was drawn on the screen since the last call, and shows the
  // cursor shape the control under the mouse chose.
  void Present();
  // Presents, then waits up to `timeoutMs` (-1: for as long as it takes) for the person, and
  // posts all input that has arrived. Closing the window asks the IDE's main window to
  // close. Returns whether anything arrived.
  bool WaitForInput(int timeoutMs);

  // Called with the clock before the input that arrived is posted, and just before each key
  // release is posted.
  std::function<void(DWORD now)> OnClock;
  std::function<void()> OnKeyRelease;
  int GetKeyReleases() const { return FInput.GetKeyReleases(); }
  // Rectangles and pixels copied to the window so far.
  uint64_t GetPresentedRects() const { return FPresentedRects; }
  uint64_t GetPresentedPixels() const { return FPresentedPixels; }
  // The system clock in window mode: real milliseconds since the window opened.
  DWORD Now() const;

 private:
  void Handle(const SDL_Event& event);
  void ShowCursorShape();

  SDL_Window* FWindow = nullptr;
  uint32_t FSignalEvent = 0;
  std::function<void(int)> FOnSignal;
  std::thread FSignalThread;
  TSDLInput FInput;
  std::map<HCURSOR, SDL_Cursor*> FCursors;
  HCURSOR FShownCursor = 0;
  bool FFullCopy = true;
  uint64_t FPresentedRects = 0, FPresentedPixels = 0;
  std::chrono::steady_clock::time_point FStart = std::chrono::steady_clock::now();
};
