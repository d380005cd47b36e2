// The window table shared by the window manager's units (windows and the queue, painting,
// device contexts): what a window is, and the geometry every drawing unit needs.
#pragma once

#include <string>
#include <vector>

#include "Region.h"
#include "Windows.h"

struct TWindow {
  HWND Handle = 0;
  std::string ClassName;
  std::string Text;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  UINT ClassStyle = 0;
  TRect Bounds;  // the whole window, relative to the parent's client area (screen for top-level windows)
  HWND Parent = 0;
  HWND Owner = 0;
  WNDPROC WndProc = nullptr;
  LONG_PTR UserData = 0;
  LONG_PTR Id = 0;
  std::vector<HWND> Children;  // z-order, topmost first
  bool Destroying = false;
  // Painting: the update region in window coordinates (origin at the window's top-left).
  TRegion Update;
  bool UpdateErase = false;   // WM_ERASEBKGND is owed with the next paint
  bool UpdateFrame = false;   // WM_NCPAINT is owed
  bool InternalPaint = false;
  HMENU Menu = 0;           // the menu bar (top-level windows)
  LRESULT PushedButton = HTNOWHERE;  // a caption button held down (HTCLOSE), drawn pushed
};

TWindow* LookupWindow(HWND h);
// Top-level windows, topmost first.
const std::vector<HWND>& TopLevelWindows();
// Every geometry change (move, size, show, hide, z-order, destroy) bumps this; device contexts
// recompute their visible region when it moved on.
uint32_t GetGeometryVersion();
void GeometryChanged();

// Non-client insets of a window from its styles (frame, caption, menu bar, client edge).
TRect NonClientInsets(const TWindow* w);
// Where the non-client parts lie, in window coordinates (empty rectangles for parts the
// window does not have).
struct TNonClientParts {
  TRect Caption, Close, Maximize, Minimize, MenuBar;
};
TNonClientParts NonClientParts(const TWindow* w);
// What a screen point is over (HTCLIENT, HTCAPTION, HTCLOSE, HTMENU, HTLEFT …).
LRESULT NonClientHitTest(const TWindow* w, TPoint screenPoint);
// DefWindowProc's part for the non-client area and the system keys: hit testing, frames,
// presses on the menu bar and the close box, WM_SYSCOMMAND, Alt and F10. False for any
// other message.
bool DefNonClientProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
// The system's caption font (bold) and menu font.
HFONT CaptionFont(bool bold);
// The client rectangle in window coordinates (origin at the window's top-left).
TRect ClientInWindow(const TWindow* w);
// Screen rectangles of the whole window and of its client area.
TRect WindowScreenRect(const TWindow* w);
TRect ClientScreenRect(const TWindow* w);
// The part of the screen a window's context may draw on, in screen coordinates: the window
// (DCX_WINDOW) or client rectangle, clipped by every ancestor's client area, minus siblings
// above it (always for top-level windows: they share one surface) and, with
// DCX_CLIPCHILDREN, minus its visible children. Empty when the window or an ancestor is hidden.
TRegion VisibleRegion(HWND h, DWORD flags);
bool IsShowing(const TWindow* w);

// Painting hooks the queue and the window manager call (Paint.cpp).
HWND FindWindowToPaint(HWND filter);
// A window's area changed from `oldScreen` (screen region it covered): the windows beneath
// are made invalid where it no longer covers them, and the window itself where it is new.
void ExposeAfterChange(HWND h, const TRegion& oldScreen);
// The frame needs drawing again (activation changes the caption's colours).
void InvalidateFrame(HWND h);
void DrawNonClient(HWND h, const TRegion* screenClip);
// The caret, drawn as an inverted block while shown.
void CaretWindowGone(HWND h);

// Whether a message passes a queue read's window and message filters (Window.cpp).
bool QueueFilterMatches(const MSG& m, HWND filter, UINT fmin, UINT fmax);
// Timers (Timers.cpp): the WM_TIMER of the due timer a queue read may hand out; taking it
// off the queue starts the timer's next period. Timers go with their window.
bool TakeDueTimer(HWND filter, UINT fmin, UINT fmax, bool remove, MSG* out);
void KillWindowTimers(HWND h);
void ResetTimers();
