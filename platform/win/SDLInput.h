// The person's keyboard and mouse as SDL reports them, made into the window system's input
// the way the real keyboard and mouse drivers make it.
#pragma once

#include <SDL2/SDL_events.h>

#include "Windows.h"

// Keys go through keybd_event (key data, system keystrokes, the key state; WM_CHAR comes
// from TranslateMessage in the message loop, as the platform makes it), the mouse through
// MouseInput (capture, the window under the point), the wheel to the focus window.
class TSDLInput {
 public:
  // Posts what the event stands for, stamped with the system clock at `now`; false for an
  // event that is no keyboard or mouse input.
  bool Post(const SDL_Event& event, DWORD now);
  // Key releases posted so far (keys the keyboard does not have are not counted).
  int GetKeyReleases() const { return FKeyReleases; }

 private:
  WPARAM MouseKeys() const;

  WPARAM FButtons = 0;  // MK_ bits of the mouse buttons down
  int FKeyReleases = 0;
};
