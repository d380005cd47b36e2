// SDL keyboard and mouse events into the window system's input.
#include "SDLInput.h"

#include <algorithm>

#include "Surface.h"

namespace {

TPoint OnScreen(int32_t x, int32_t y) {
  const TSurface& screen = ScreenSurface();
  return {std::clamp(x, 0, std::max(0, screen.Width - 1)), std::clamp(y, 0, std::max(0, screen.Height - 1))};
}

struct TButton {
  UINT Down, Up;
  WPARAM Bit;
};

bool ButtonOf(uint8_t button, TButton& out) {
  switch (button) {
    case SDL_BUTTON_LEFT: out = {WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON}; return true;
    case SDL_BUTTON_RIGHT: out = {WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON}; return true;
    case SDL_BUTTON_MIDDLE: out = {WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON}; return true;
    default: return false;
  }
}

LPARAM PackPoint(TPoint p) { return static_cast<LPARAM>((static_cast<uint32_t>(p.Y & 0xFFFF) << 16) | (p.X & 0xFFFF)); }

}  // namespace

WPARAM TSDLInput::MouseKeys() const {
  WPARAM keys = FButtons;
  if (GetAsyncKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
  if (GetAsyncKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
  return keys;
}

bool TSDLInput::Post(const SDL_Event& e, DWORD now) {
  SetMessageTime(now);
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const TKeyCode key = KeyOfUsage(static_cast<uint16_t>(e.key.keysym.scancode), (e.key.keysym.mod & KMOD_NUM) != 0);
      if (!key.Vk) return true;
      const bool up = e.type == SDL_KEYUP;
      // An auto-repeated press is one more WM_KEYDOWN with the key already down.
      keybd_event(static_cast<BYTE>(key.Vk), static_cast<BYTE>(key.ScanCode),
                  (key.Extended ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0), 0);
      if (up) ++FKeyReleases;
      return true;
    }
    case SDL_MOUSEMOTION:
      MouseInput(WM_MOUSEMOVE, OnScreen(e.motion.x, e.motion.y), MouseKeys());
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      TButton b;
      if (!ButtonOf(e.button.button, b)) return true;
      const bool down = e.type == SDL_MOUSEBUTTONDOWN;
      // The message's keys are those down once the button moved.
      if (down) FButtons |= b.Bit;
      else FButtons &= ~b.Bit;
      MouseInput(down ? b.Down : b.Up, OnScreen(e.button.x, e.button.y), MouseKeys());
      return true;
    }
    case SDL_MOUSEWHEEL: {
      int notches = e.wheel.y;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
      if (notches == 0) return true;
      HWND target = GetFocus() ? GetFocus() : GetActiveWindow();
      TPoint at;
      GetCursorPos(&at);
      const auto delta = static_cast<uint16_t>(static_cast<int16_t>(notches * WHEEL_DELTA));
      if (target) PostMessage(target, WM_MOUSEWHEEL, (static_cast<WPARAM>(delta) << 16) | MouseKeys(), PackPoint(at));
      return true;
    }
    default:
      return false;
  }
}
