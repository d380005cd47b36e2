// The window the IDE is shown in, and the person's input from it.
#include "WindowHost.h"

#include <pthread.h>

#include <csignal>
#include <cstdlib>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/win/Surface.h"

namespace {

SDL_SystemCursor SystemCursorOf(HCURSOR shape) {
  switch (shape) {
    case IDC_IBEAM: return SDL_SYSTEM_CURSOR_IBEAM;
    case IDC_WAIT: return SDL_SYSTEM_CURSOR_WAIT;
    case IDC_CROSS: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case IDC_SIZENWSE: return SDL_SYSTEM_CURSOR_SIZENWSE;
    case IDC_SIZENESW: return SDL_SYSTEM_CURSOR_SIZENESW;
    case IDC_SIZEWE: return SDL_SYSTEM_CURSOR_SIZEWE;
    case IDC_SIZENS: return SDL_SYSTEM_CURSOR_SIZENS;
    case IDC_SIZEALL: return SDL_SYSTEM_CURSOR_SIZEALL;
    case IDC_NO: return SDL_SYSTEM_CURSOR_NO;
    case IDC_HAND: return SDL_SYSTEM_CURSOR_HAND;
    default: return SDL_SYSTEM_CURSOR_ARROW;
  }
}

// The signals a window session takes as events; SIGUSR2 only ends the watching thread.
sigset_t WatchedSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2}) sigaddset(&set, s);
  return set;
}

bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// SDL's video talks to the session bus; libdbus keeps its buffers until its own shutdown,
// which SDL does not call. Not the IDE's leak: the leak checker is told so.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
#endif

TWindowHost::~TWindowHost() {
  if (FSignalThread.joinable()) {
    pthread_kill(FSignalThread.native_handle(), SIGUSR2);
    FSignalThread.join();
  }
  for (auto& [shape, cursor] : FCursors) SDL_FreeCursor(cursor);
  if (FWindow) {
    SDL_DestroyWindow(FWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
}

bool TWindowHost::DisplayNamed() { return Named("DISPLAY") || Named("WAYLAND_DISPLAY"); }

bool TWindowHost::DisplayAvailable() {
  if (!DisplayNamed()) return false;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return true;
}

void TWindowHost::BlockSignals() {
  const sigset_t set = WatchedSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  // SDL's own handlers would turn an interrupt into a closed window.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
}

void TWindowHost::UnblockSignals() {
  const sigset_t set = WatchedSignals();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void TWindowHost::WatchSignals(std::function<void(int)> onSignal) {
  if (FSignalThread.joinable() || !FWindow) return;
  FOnSignal = std::move(onSignal);
  FSignalEvent = SDL_RegisterEvents(1);
  if (FSignalEvent == static_cast<uint32_t>(-1)) return;
  const uint32_t type = FSignalEvent;
  // A signal handler may not touch SDL; a thread that waits for the signals may.
  FSignalThread = std::thread([type] {
    const sigset_t set = WatchedSignals();
    int signal = 0;
    while (sigwait(&set, &signal) == 0 && signal != SIGUSR2) {
      SDL_Event e{};
      e.type = type;
      e.user.code = signal;
      SDL_PushEvent(&e);
    }
  });
}

bool TWindowHost::Open(const std::string& title, std::string& error) {
  // The window's own pixels, put to the display a rectangle at a time: no renderer that
  // would present the whole frame for every change.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = std::string("cannot open a window: ") + SDL_GetError();
    return false;
  }
  const TSurface& screen = ScreenSurface();
  FWindow = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, screen.Width,
                             screen.Height, SDL_WINDOW_SHOWN);
  if (!FWindow || !SDL_GetWindowSurface(FWindow)) {
    error = std::string("cannot open a window: ") + SDL_GetError();
    if (FWindow) SDL_DestroyWindow(FWindow);
    FWindow = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  // Characters come from TranslateMessage, as the platform makes them, not from the
  // display's input method.
  SDL_StopTextInput();
  TrackScreenDamage(true);
  FStart = std::chrono::steady_clock::now();
  return true;
}

DWORD TWindowHost::Now() const {
  return static_cast<DWORD>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - FStart).count());
}

void TWindowHost::Present() {
  if (!FWindow) return;
  const std::vector<TRect> damage = TakeScreenDamage();
  SDL_Surface* target = SDL_GetWindowSurface(FWindow);
  if (!target) return;
  const TSurface& screen = ScreenSurface();
  std::vector<SDL_Rect> rects;
  if (FFullCopy) {
    rects.push_back({0, 0, std::min(screen.Width, target->w), std::min(screen.Height, target->h)});
    FFullCopy = false;
  } else {
    for (const TRect& r : damage) {
      const int right = std::min(r.Right, target->w), bottom = std::min(r.Bottom, target->h);
      if (right > r.Left && bottom > r.Top) rects.push_back({r.Left, r.Top, right - r.Left, bottom - r.Top});
    }
  }
  if (!rects.empty()) {
    if (SDL_MUSTLOCK(target)) SDL_LockSurface(target);
    for (const SDL_Rect& r : rects) {
      // The window's own format, whatever the display chose; XRGB is copied as it is.
      auto* dst = static_cast<uint8_t*>(target->pixels) + static_cast<size_t>(r.y) * target->pitch +
                  static_cast<size_t>(r.x) * target->format->BytesPerPixel;
      SDL_ConvertPixels(r.w, r.h, SDL_PIXELFORMAT_RGB888, screen.Row(r.y) + r.x, screen.Width * 4,
                        target->format->format, dst, target->pitch);
      FPresentedPixels += static_cast<uint64_t>(r.w) * static_cast<uint64_t>(r.h);
    }
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    SDL_UpdateWindowSurfaceRects(FWindow, rects.data(), static_cast<int>(rects.size()));
    FPresentedRects += rects.size();
  }
  ShowCursorShape();
}

void TWindowHost::ShowCursorShape() {
  const HCURSOR shape = GetCursor();
  if (shape == FShownCursor) return;
  SDL_Cursor*& cursor = FCursors[shape];
  if (!cursor) cursor = SDL_CreateSystemCursor(SystemCursorOf(shape));
  if (cursor) SDL_SetCursor(cursor);
  FShownCursor = shape;
}

void TWindowHost::Handle(const SDL_Event& e) {
  if (FSignalEvent && e.type == FSignalEvent) {
    if (FOnSignal) FOnSignal(e.user.code);
    return;
  }
  if (e.type == SDL_KEYUP && OnKeyRelease) OnKeyRelease();
  if (FInput.Post(e, Now())) return;
  if (e.type == SDL_QUIT) {
    // As the close box does: the main window is asked to close, which ends the IDE.
    TForm* main = Application ? Application->GetMainForm() : nullptr;
    if (main && main->HandleAllocated())
      PostMessage(main->GetHandle(), WM_CLOSE, 0, 0);
    else if (Application)
      Application->Terminate();
  } else if (e.type == SDL_WINDOWEVENT) {
    switch (e.window.event) {
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        FFullCopy = true;
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        SetApplicationActive(true);
        break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        SetApplicationActive(false);
        break;
      default:
        break;
    }
  }
}

bool TWindowHost::WaitForInput(int timeoutMs) {
  Present();
  SDL_Event e;
  const bool arrived = SDL_WaitEventTimeout(&e, timeoutMs) != 0;
  // The system clock follows the real one in a window, whether input came or time ran out.
  const DWORD now = Now();
  SetMessageTime(now);
  if (OnClock) OnClock(now);
  if (!arrived) return false;
  Handle(e);
  while (SDL_PollEvent(&e)) Handle(e);
  return true;
}
