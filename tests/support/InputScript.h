// Input for the window system's own loops (the menu loop, a caption button held down): each
// time such a loop finds its queue empty it takes the next step, which posts input or looks
// at what is on the screen; with no step left the loop is told nobody is there.
#pragma once

#include <deque>
#include <functional>

#include "platform/win/Windows.h"

class TInputScript {
 public:
  TInputScript() {
    FSaved = SetInputWaiter([this] {
      if (FSteps.empty()) return false;
      std::function<void()> step = std::move(FSteps.front());
      FSteps.pop_front();
      step();
      return true;
    });
  }
  ~TInputScript() { SetInputWaiter(std::move(FSaved)); }
  TInputScript(const TInputScript&) = delete;
  TInputScript& operator=(const TInputScript&) = delete;

  TInputScript& Then(std::function<void()> step) {
    FSteps.push_back(std::move(step));
    return *this;
  }
  size_t GetPending() const { return FSteps.size(); }

 private:
  std::deque<std::function<void()>> FSteps;
  TInputWaiter FSaved;
};

// A click as the mouse reports it: press and release at a screen point.
inline void ClickAt(TPoint p) {
  MouseInput(WM_LBUTTONDOWN, p, MK_LBUTTON);
  MouseInput(WM_LBUTTONUP, p, 0);
}

inline TPoint CenterOf(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

// A key pressed and released on the keyboard (keybd_event), so it goes where the real one
// would: the focus window, WM_SYSKEYDOWN while Alt is held.
inline void PressKey(BYTE vk) {
  keybd_event(vk, 0, 0, 0);
  keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
}

// A key pressed while another (Alt, Ctrl) is held.
inline void PressChord(BYTE held, BYTE vk) {
  keybd_event(held, 0, 0, 0);
  PressKey(vk);
  keybd_event(held, 0, KEYEVENTF_KEYUP, 0);
}
