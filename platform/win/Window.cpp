// The window manager: handle table, window procedures, the message queue and input state.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "DeviceContext.h"
#include "HandleSlots.h"
#include "MenuTable.h"
#include "Surface.h"

void KeyMessageRetrieved(const MSG& msg);  // Keyboard.cpp
void ResetKeyboard();                       // Keyboard.cpp

namespace {

// Slot index in the low 20 bits, generation above: a handle stays unique after its slot is reused.
constexpr uint32_t kIndexBits = 20;
constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;
constexpr HWND kDesktop = 0xFFFFE;  // never a slot: it has no window procedure

struct TSlot {
  uint32_t Generation = 1;
  TWindow* Window = nullptr;
};

// A queued message. Mouse input is queued as the mouse reported it (message, screen point,
// keys) and routed to a window only when the queue hands it out, as the real system does:
// a capture taken by the press before it decides where the release goes.
struct TQueued {
  MSG Msg;
  bool RawMouse = false;
  uint64_t Serial = 0;  // tells an entry from the one that took its place
};

struct TWindowManager {
  std::vector<TSlot> Slots{TSlot{}};  // slot 0 is never used: handle 0 means "no window"
  std::vector<uint32_t> FreeSlots;
  std::vector<HWND> TopLevel;  // z-order, topmost first
  int WindowCount = 0;

  // Posted messages: a ring that grows by doubling, so posting allocates only while the
  // queue is deeper than ever before.
  std::vector<TQueued> Ring;
  size_t Head = 0, Count = 0;
  uint64_t NextSerial = 1;
  bool QuitPosted = false;
  int QuitCode = 0;
  DWORD MessageTime = 0;
  DWORD LastMessageTime = 0;

  HWND Focus = 0, Active = 0, Capture = 0;
  bool AppActive = false;
  TPoint Cursor;
  // The last button press, which a second one may complete to a double-click.
  struct {
    UINT Message = 0;
    HWND Window = 0;
    TPoint Point;
    DWORD Time = 0;
  } LastPress;
  HCURSOR CursorShape = IDC_ARROW;
  DWORD LastError = 0;
  int BeepCount = 0;
  UINT LastBeep = 0;
};

TWindowManager* gWM = nullptr;

// Not part of the window manager's state: the host's input outlives a fresh desktop.
TInputWaiter& InputWaiterSlot() {
  static TInputWaiter waiter;
  return waiter;
}

TWindowManager& WM() {
  if (!gWM) gWM = new TWindowManager();
  return *gWM;
}

TWindow* Lookup(HWND h) {
  TWindowManager& wm = WM();
  uint32_t index = h & kIndexMask;
  if (h == 0 || index >= wm.Slots.size()) return nullptr;
  const TSlot& s = wm.Slots[index];
  if (!s.Window || s.Window->Handle != h) return nullptr;
  return s.Window;
}

TWindow* LookupOrFail(HWND h) {
  TWindow* w = Lookup(h);
  if (!w) WM().LastError = ERROR_INVALID_WINDOW_HANDLE;
  return w;
}

HWND AllocateHandle(TWindow* w) {
  TWindowManager& wm = WM();
  const uint32_t index = TakeSlot(wm.Slots, wm.FreeSlots);
  TSlot& s = wm.Slots[index];
  s.Window = w;
  uint32_t gen = s.Generation & ((1u << (32 - kIndexBits)) - 1);
  if (gen == 0) gen = 1;
  return (gen << kIndexBits) | index;
}

void RetireHandle(HWND h) {
  TWindowManager& wm = WM();
  uint32_t index = h & kIndexMask;
  TSlot& s = wm.Slots[index];
  s.Window = nullptr;
  ++s.Generation;
  wm.FreeSlots.push_back(index);
}

std::vector<HWND>& SiblingList(TWindow* w) {
  if (w->Parent) {
    TWindow* p = Lookup(w->Parent);
    if (p) return p->Children;
  }
  return WM().TopLevel;
}

void Unlink(std::vector<HWND>& list, HWND h) {
  list.erase(std::remove(list.begin(), list.end(), h), list.end());
}


TQueued& QueuedAt(size_t i) {
  TWindowManager& wm = WM();
  return wm.Ring[(wm.Head + i) % wm.Ring.size()];
}

// Takes the i-th queued message out, keeping the order of the rest.
void RemoveQueuedAt(size_t i) {
  TWindowManager& wm = WM();
  for (size_t j = i; j > 0; --j) QueuedAt(j) = QueuedAt(j - 1);
  wm.Head = (wm.Head + 1) % wm.Ring.size();
  --wm.Count;
}

// A destroyed window's queued messages go with it. A WM_QUIT posted to it is not lost: the
// first one becomes the thread's quit message (window 0, its exit code kept) unless a quit
// is pending already.
void Purge(HWND h) {
  TWindowManager& wm = WM();
  for (size_t i = 0; i < wm.Count;) {
    const MSG& m = QueuedAt(i).Msg;
    if (QueuedAt(i).RawMouse || m.hwnd != h) {
      ++i;
      continue;
    }
    if (m.message == WM_QUIT && !wm.QuitPosted) {
      wm.QuitPosted = true;
      wm.QuitCode = static_cast<int>(m.wParam);
    }
    RemoveQueuedAt(i);
  }
  if (wm.Focus == h) wm.Focus = 0;
  if (wm.Active == h) wm.Active = 0;
  if (wm.Capture == h) wm.Capture = 0;
  CaretWindowGone(h);
  KillWindowTimers(h);
}

// A window filter of HWND_BROADCAST, HWND_BOTTOM or HWND_TOPMOST asks for the messages
// posted with no window.
bool IsThreadFilter(HWND hWnd) { return hWnd == HWND_BROADCAST || hWnd == HWND_BOTTOM || hWnd == HWND_TOPMOST; }


// Whether any ancestor is being destroyed: its own exposure covers the children's.
bool InsideDestroy(TWindow* w) {
  for (TWindow* p = w ? Lookup(w->Parent) : nullptr; p; p = Lookup(p->Parent))
    if (p->Destroying) return true;
  return false;
}

}  // namespace

TWindow* LookupWindow(HWND h) { return Lookup(h); }

bool QueueFilterMatches(const MSG& m, HWND hWnd, UINT fmin, UINT fmax) {
  if (IsThreadFilter(hWnd) ? m.hwnd != 0 : (hWnd && m.hwnd != hWnd)) return false;
  if (fmin == 0 && fmax == 0) return true;
  return m.message >= fmin && m.message <= fmax;
}
const std::vector<HWND>& TopLevelWindows() { return WM().TopLevel; }

bool PtInRect(const TRect& r, TPoint p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }

DWORD GetLastError() { return WM().LastError; }
void SetLastError(DWORD code) { WM().LastError = code; }

LRESULT DefWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (DefNonClientProc(hWnd, msg, wParam, lParam, &result)) return result;
  switch (msg) {
    case WM_PAINT: {
      // Paints nothing, but validates: the window is not asked again.
      PAINTSTRUCT ps;
      BeginPaint(hWnd, &ps);
      EndPaint(hWnd, &ps);
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_ERASEBKGND:
      return 0;  // windows here have no class brush
    default:
      return 0;
  }
}

WNDPROC DefWindowProcValue() { return TStaticWndProc<&DefWindowProc>::Value(); }

LRESULT CallWindowProc(WNDPROC proc, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return proc->Entry(proc, hWnd, msg, wParam, lParam);
}

HWND CreateWindowEx(const TCreateWindowParams& p) {
  TWindowManager& wm = WM();
  if ((p.Style & WS_CHILD) && !Lookup(p.Parent)) {
    wm.LastError = ERROR_INVALID_WINDOW_HANDLE;
    return 0;
  }
  auto* w = new TWindow();
  w->ClassName = p.ClassName;
  w->Text = p.WindowName;
  w->Style = p.Style;
  w->ExStyle = p.ExStyle;
  w->ClassStyle = p.ClassStyle;
  w->Bounds = p.Bounds;
  w->Parent = (p.Style & WS_CHILD) ? p.Parent : 0;
  w->Owner = (p.Style & WS_CHILD) ? 0 : (Lookup(p.Owner) ? p.Owner : 0);
  w->WndProc = p.WndProc ? p.WndProc : DefWindowProcValue();
  HWND h = AllocateHandle(w);
  w->Handle = h;
  ++wm.WindowCount;
  // A new top-level window goes on top; a new child below its siblings, so that children
  // made in order keep that order from the top (the order dialog keys walk).
  std::vector<HWND>& siblings = SiblingList(w);
  siblings.insert(w->Parent ? siblings.end() : siblings.begin(), h);
  if (CallWindowProc(w->WndProc, h, WM_NCCREATE, 0, p.CreateParam) == -1 ||
      CallWindowProc(w->WndProc, h, WM_CREATE, 0, p.CreateParam) == -1) {
    DestroyWindow(h);
    return 0;
  }
  if (IsWindow(h) && (w->Style & WS_VISIBLE)) ExposeAfterChange(h, TRegion());
  return IsWindow(h) ? h : 0;
}

// When the active window goes away the system activates another one: the topmost visible,
// enabled top-level window that is left.
static void ActivateNext(HWND gone) {
  for (HWND h : WM().TopLevel) {
    TWindow* w = Lookup(h);
    if (!w || h == gone || w->Destroying || !(w->Style & WS_VISIBLE) || (w->Style & WS_DISABLED)) continue;
    SetActiveWindow(h);
    return;
  }
  SetActiveWindow(0);
}

// WM_DESTROY goes to a window and then to its descendants, parents first, siblings from the
// top of the z-order down.
static void SendDestroyMessages(HWND hWnd) {
  TWindow* w = Lookup(hWnd);
  w->Destroying = true;
  if (WM().Focus == hWnd) WM().Focus = 0;
  CallWindowProc(w->WndProc, hWnd, WM_DESTROY, 0, 0);
  if (!(w = Lookup(hWnd))) return;
  const std::vector<HWND> children = w->Children;
  for (HWND child : children) {
    TWindow* c = Lookup(child);
    if (c && !c->Destroying) SendDestroyMessages(child);
  }
}

// Then WM_NCDESTROY, children before their parent: by a window's WM_NCDESTROY its children
// are gone, while a child's parent link holds through both of its messages.
static void FreeWindow(HWND hWnd) {
  TWindowManager& wm = WM();
  TWindow* w = Lookup(hWnd);
  const std::vector<HWND> children = w->Children;
  for (HWND child : children) {
    TWindow* c = Lookup(child);
    if (!c) continue;
    if (!c->Destroying) SendDestroyMessages(child);  // made during its parent's destruction
    if (Lookup(child)) FreeWindow(child);
  }
  if (wm.Capture == hWnd) ReleaseCapture();
  if (!(w = Lookup(hWnd))) return;
  CallWindowProc(w->WndProc, hWnd, WM_NCDESTROY, 0, 0);
  if (!(w = Lookup(hWnd))) return;
  // The menu bar the window still has goes with it.
  if (w->Menu) DestroyMenu(w->Menu);
  Unlink(SiblingList(w), hWnd);
  Purge(hWnd);
  RetireHandle(hWnd);
  --wm.WindowCount;
  delete w;
  GeometryChanged();
}

BOOL DestroyWindow(HWND hWnd) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w || w->Destroying) return FALSE;
  w->Destroying = true;
  TWindowManager& wm = WM();
  const bool wasActive = wm.Active == hWnd;
  // Owned top-level windows go first.
  for (;;) {
    auto it = std::find_if(wm.TopLevel.begin(), wm.TopLevel.end(), [&](HWND o) {
      TWindow* ow = Lookup(o);
      return ow && ow->Owner == hWnd && !ow->Destroying;
    });
    if (it == wm.TopLevel.end()) break;
    DestroyWindow(*it);
  }
  // What the window covered is painted again once it is gone, unless its parent goes too.
  const bool expose = !InsideDestroy(w);
  TRegion covered = expose ? VisibleRegion(hWnd, DCX_WINDOW) : TRegion();
  SendDestroyMessages(hWnd);
  if (!Lookup(hWnd)) {
    if (expose) ExposeAfterChange(hWnd, covered);
    return TRUE;
  }
  FreeWindow(hWnd);
  if (expose) ExposeAfterChange(hWnd, covered);
  if (wasActive) ActivateNext(hWnd);
  return TRUE;
}

BOOL IsWindow(HWND hWnd) { return Lookup(hWnd) != nullptr; }

BOOL IsWindowVisible(HWND hWnd) {
  for (TWindow* w = Lookup(hWnd); w; w = Lookup(w->Parent)) {
    if (!(w->Style & WS_VISIBLE)) return FALSE;
    if (!w->Parent) return TRUE;
  }
  return FALSE;
}

BOOL IsWindowEnabled(HWND hWnd) {
  TWindow* w = Lookup(hWnd);
  return w && !(w->Style & WS_DISABLED);
}

BOOL EnableWindow(HWND hWnd, BOOL enable) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w) return FALSE;
  BOOL wasDisabled = (w->Style & WS_DISABLED) != 0;
  if (enable)
    w->Style &= ~WS_DISABLED;
  else
    w->Style |= WS_DISABLED;
  if (wasDisabled == static_cast<BOOL>(!enable)) return wasDisabled;
  SendMessage(hWnd, WM_ENABLE, enable ? 1 : 0, 0);
  return wasDisabled;
}

BOOL ShowWindow(HWND hWnd, int cmd) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w) return FALSE;
  BOOL was = (w->Style & WS_VISIBLE) != 0;
  bool show = cmd != SW_HIDE;
  if (static_cast<bool>(was) == show) return was;
  SendMessage(hWnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
  if ((w = Lookup(hWnd)) == nullptr) return was;
  TRegion covered = VisibleRegion(hWnd, DCX_WINDOW);
  if (show) {
    w->Style |= WS_VISIBLE;
    ExposeAfterChange(hWnd, covered);
  } else {
    w->Style &= ~WS_VISIBLE;
    ExposeAfterChange(hWnd, covered);
    if (WM().Active == hWnd) ActivateNext(hWnd);
  }
  return was;
}

BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w) return FALSE;
  TRect old = w->Bounds;
  TRegion covered = VisibleRegion(hWnd, DCX_WINDOW);
  w->Bounds = {x, y, x + width, y + height};
  GeometryChanged();
  // WM_MOVE carries the client area's position in the parent, WM_SIZE its size.
  TRect client = ClientScreenRect(w), whole = WindowScreenRect(w);
  int cx = x + client.Left - whole.Left, cy = y + client.Top - whole.Top;
  if (old.Left != x || old.Top != y) SendMessage(hWnd, WM_MOVE, 0, (cy << 16) | (cx & 0xFFFF));
  if ((w = Lookup(hWnd)) && (old.Width() != width || old.Height() != height))
    SendMessage(hWnd, WM_SIZE, 0, (client.Height() << 16) | (client.Width() & 0xFFFF));
  if (repaint && Lookup(hWnd)) ExposeAfterChange(hWnd, covered);
  return TRUE;
}

static TPoint ClientOrigin(TWindow* w) {
  TRect c = ClientScreenRect(w);
  return {c.Left, c.Top};
}

BOOL GetWindowRect(HWND hWnd, TRect* rect) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w || !rect) return FALSE;
  *rect = WindowScreenRect(w);
  return TRUE;
}

BOOL GetClientRect(HWND hWnd, TRect* rect) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w || !rect) return FALSE;
  TRect c = ClientScreenRect(w);
  *rect = {0, 0, c.Width(), c.Height()};
  return TRUE;
}

BOOL ClientToScreen(HWND hWnd, TPoint* p) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w || !p) return FALSE;
  TPoint o = ClientOrigin(w);
  p->X += o.X;
  p->Y += o.Y;
  return TRUE;
}

BOOL ScreenToClient(HWND hWnd, TPoint* p) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w || !p) return FALSE;
  TPoint o = ClientOrigin(w);
  p->X -= o.X;
  p->Y -= o.Y;
  return TRUE;
}

HWND GetParent(HWND hWnd) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w) return 0;
  if (w->Style & WS_CHILD) return w->Parent;
  if (w->Style & WS_POPUP) return w->Owner;
  return 0;
}

HWND GetWindowOwner(HWND hWnd) {
  TWindow* w = Lookup(hWnd);
  return w ? w->Owner : 0;
}

HWND SetParent(HWND hWnd, HWND newParent) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w) return 0;
  if (newParent && !Lookup(newParent)) {
    WM().LastError = ERROR_INVALID_WINDOW_HANDLE;
    return 0;
  }
  HWND old = w->Parent;
  TRegion covered = VisibleRegion(hWnd, DCX_WINDOW);
  Unlink(SiblingList(w), hWnd);
  w->Parent = newParent;
  if (newParent)
    w->Style |= WS_CHILD;
  else
    w->Style &= ~WS_CHILD;
  std::vector<HWND>& siblings = SiblingList(w);
  siblings.insert(siblings.begin(), hWnd);
  ExposeAfterChange(hWnd, covered);
  return old ? old : GetDesktopWindow();
}

HWND GetDesktopWindow() { return kDesktop; }

int GetClassName(HWND hWnd, std::string* name) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w) return 0;
  if (name) *name = w->ClassName;
  return static_cast<int>(w->ClassName.size());
}

std::string GetWindowClassName(HWND hWnd) {
  TWindow* w = Lookup(hWnd);
  return w ? w->ClassName : std::string();
}

BOOL SetWindowText(HWND hWnd, const std::string& text) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w) return FALSE;
  w->Text = text;
  return TRUE;
}

std::string GetWindowTextString(HWND hWnd) {
  TWindow* w = Lookup(hWnd);
  return w ? w->Text : std::string();
}

static bool SameName(const std::string& a, const char* b) {
  size_t n = std::char_traits<char>::length(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

HWND FindWindow(const char* className, const char* windowName) {
  for (HWND h : WM().TopLevel) {
    TWindow* w = Lookup(h);
    if (!w) continue;
    if (className && !SameName(w->ClassName, className)) continue;
    if (windowName && !SameName(w->Text, windowName)) continue;
    return h;
  }
  return 0;
}

// Hidden and disabled windows are skipped with their whole subtree, as the documented
// behaviour has it.
static HWND ChildFromPoint(TWindow* w, TPoint sp) {
  if (!PtInRect(ClientScreenRect(w), sp)) return w->Handle;
  for (HWND c : w->Children) {
    TWindow* cw = Lookup(c);
    if (!cw || !(cw->Style & WS_VISIBLE) || (cw->Style & WS_DISABLED)) continue;
    if (PtInRect(WindowScreenRect(cw), sp)) return ChildFromPoint(cw, sp);
  }
  return w->Handle;
}

HWND WindowFromPoint(TPoint sp) {
  for (HWND h : WM().TopLevel) {
    TWindow* w = Lookup(h);
    if (!w || !(w->Style & WS_VISIBLE) || (w->Style & WS_DISABLED)) continue;
    if (PtInRect(WindowScreenRect(w), sp)) return ChildFromPoint(w, sp);
  }
  return 0;
}

BOOL BringWindowToTop(HWND hWnd) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w) return FALSE;
  std::vector<HWND>& siblings = SiblingList(w);
  if (!siblings.empty() && siblings.front() == hWnd) return TRUE;
  TRegion covered = VisibleRegion(hWnd, DCX_WINDOW);
  Unlink(siblings, hWnd);
  siblings.insert(siblings.begin(), hWnd);
  ExposeAfterChange(hWnd, covered);
  return TRUE;
}

BOOL EnumWindows(const std::function<BOOL(HWND)>& Proc) {
  // A copy: the procedure may create or destroy windows.
  const std::vector<HWND> tops = WM().TopLevel;
  for (HWND h : tops)
    if (Lookup(h) && !Proc(h)) return FALSE;
  return TRUE;
}

int GetWindowCount() { return WM().WindowCount; }

LONG_PTR GetWindowLongPtr(HWND hWnd, int index) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w) return 0;
  switch (index) {
    case GWL_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->WndProc);
    case GWL_STYLE:
      return w->Style;
    case GWL_EXSTYLE:
      return w->ExStyle;
    case GWL_USERDATA:
      return w->UserData;
    case GWL_ID:
      return w->Id;
    case GWL_HWNDPARENT:
      return w->Parent ? w->Parent : w->Owner;
    case GWL_HINSTANCE:
      return 1;  // one module: the process
    default:
      WM().LastError = ERROR_INVALID_INDEX;
      return 0;
  }
}

LONG GetWindowLong(HWND hWnd, int index) { return static_cast<LONG>(GetWindowLongPtr(hWnd, index)); }

LONG_PTR SetWindowLongPtr(HWND hWnd, int index, LONG_PTR value) {
  if (hWnd == kDesktop && index == GWL_WNDPROC) {
    WM().LastError = ERROR_ACCESS_DENIED;
    return 0;
  }
  TWindow* w = LookupOrFail(hWnd);
  if (!w) return 0;
  LONG_PTR old;
  switch (index) {
    case GWL_WNDPROC:
      // A null procedure is ignored: the window keeps the one it has, which is returned as
      // the previous value, and the last error is left alone.
      old = reinterpret_cast<LONG_PTR>(w->WndProc);
      if (value) w->WndProc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWL_STYLE:
      old = w->Style;
      w->Style = static_cast<DWORD>(value);
      GeometryChanged();
      return old;
    case GWL_EXSTYLE:
      old = w->ExStyle;
      w->ExStyle = static_cast<DWORD>(value);
      GeometryChanged();
      return old;
    case GWL_USERDATA:
      old = w->UserData;
      w->UserData = value;
      return old;
    case GWL_ID:
      old = w->Id;
      w->Id = value;
      return old;
    default:
      WM().LastError = ERROR_INVALID_INDEX;
      return 0;
  }
}

// ---- messages ---------------------------------------------------------------------------

LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWindow* w = LookupOrFail(hWnd);
  if (!w) return 0;
  return CallWindowProc(w->WndProc, hWnd, msg, wParam, lParam);
}

namespace {

// Appends a message; false when the queue is full.
bool Enqueue(const MSG& msg, bool rawMouse) {
  TWindowManager& wm = WM();
  constexpr size_t kQuota = 10000;
  if (wm.Count >= kQuota) {
    wm.LastError = ERROR_NOT_ENOUGH_QUOTA;
    return false;
  }
  if (wm.Count == wm.Ring.size()) {
    std::vector<TQueued> grown(wm.Ring.empty() ? 64 : wm.Ring.size() * 2);
    for (size_t i = 0; i < wm.Count; ++i) grown[i] = wm.Ring[(wm.Head + i) % wm.Ring.size()];
    wm.Ring.swap(grown);
    wm.Head = 0;
  }
  wm.Ring[(wm.Head + wm.Count) % wm.Ring.size()] = TQueued{msg, rawMouse, wm.NextSerial++};
  ++wm.Count;
  return true;
}

bool IsButtonDown(UINT msg) {
  return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_LBUTTONDBLCLK ||
         msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
}

// A press in a client area is the second of a double-click when the same button went down
// on the same window within the double-click time and rectangle, and the window's class
// asks for double-clicks.
bool IsSecondPress(const MSG& m) {
  if (m.message != WM_LBUTTONDOWN && m.message != WM_RBUTTONDOWN && m.message != WM_MBUTTONDOWN) return false;
  const auto& last = WM().LastPress;
  const TWindow* w = Lookup(m.hwnd);
  return w && (w->ClassStyle & CS_DBLCLKS) && last.Message == m.message && last.Window == m.hwnd &&
         m.time - last.Time <= GetDoubleClickTime() &&
         std::abs(m.pt.X - last.Point.X) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
         std::abs(m.pt.Y - last.Point.Y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
}

// Where mouse input goes now: to the capture window in its client coordinates; else to the
// window under the point, which tells by its hit test whether the point is in its client
// area or gets the non-client message (hit-test code in wParam, screen point in lParam).
// False when no window is there.
bool RouteMouse(MSG& m) {
  TWindowManager& wm = WM();
  const HWND target = wm.Capture ? wm.Capture : WindowFromPoint(m.pt);
  if (!target) return false;
  m.hwnd = target;
  if (!wm.Capture) {
    const LRESULT hit = SendMessage(target, WM_NCHITTEST, 0, PointToParam(m.pt));
    if (hit != HTCLIENT) {
      m.message = m.message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
      m.wParam = static_cast<WPARAM>(hit);
      m.lParam = PointToParam(m.pt);
      return true;
    }
  }
  TPoint p = m.pt;
  ScreenToClient(target, &p);
  m.lParam = PointToParam(p);
  if (IsSecondPress(m)) m.message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
  return true;
}

// The pair a double-click is made of starts with a press in a client area; a double-click,
// or a press anywhere else, ends it, so a third press starts a new one.
void RememberPress(const MSG& m) {
  auto& last = WM().LastPress;
  if (m.message == WM_LBUTTONDOWN || m.message == WM_RBUTTONDOWN || m.message == WM_MBUTTONDOWN)
    last = {m.message, m.hwnd, m.pt, m.time};
  else if (IsButtonDown(m.message) || IsButtonDown(m.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE))
    last = {};
}

// A press that is not captured activates the top-level window it lands in.
void ActivateForPress(const MSG& m) {
  if (WM().Capture || !IsButtonDown(m.message >= WM_MOUSEFIRST ? m.message : m.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE))
    return;
  HWND top = m.hwnd;
  while (TWindow* w = Lookup(top)) {
    if (!w->Parent) break;
    top = w->Parent;
  }
  if (top != WM().Active) SetActiveWindow(top);
}

}  // namespace

BOOL PostMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWindowManager& wm = WM();
  if (hWnd && !Lookup(hWnd)) {
    wm.LastError = ERROR_INVALID_WINDOW_HANDLE;
    return FALSE;
  }
  return Enqueue(MSG{hWnd, msg, wParam, lParam, wm.MessageTime, wm.Cursor}, false) ? TRUE : FALSE;
}

// Used for translated characters, which are the next message retrieved.
BOOL PostMessageAhead(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!PostMessage(hWnd, msg, wParam, lParam)) return FALSE;
  TWindowManager& wm = WM();
  const TQueued posted = QueuedAt(wm.Count - 1);
  for (size_t j = wm.Count - 1; j > 0; --j) QueuedAt(j) = QueuedAt(j - 1);
  QueuedAt(0) = posted;
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  WM().QuitPosted = true;
  WM().QuitCode = exitCode;
}

BOOL PeekMessage(MSG* out, HWND hWnd, UINT fmin, UINT fmax, UINT removeMsg) {
  TWindowManager& wm = WM();
  for (size_t i = 0; i < wm.Count;) {
    MSG m = QueuedAt(i).Msg;
    const bool raw = QueuedAt(i).RawMouse;
    if (raw) {
      const uint64_t serial = QueuedAt(i).Serial;
      const bool routed = RouteMouse(m);
      // The hit test ran the window's code, which may have taken messages off the queue.
      if (i >= wm.Count || QueuedAt(i).Serial != serial) {
        i = 0;
        continue;
      }
      if (!routed) {  // over no window at all: the desktop's, and nobody listens there
        RemoveQueuedAt(i);
        continue;
      }
    }
    if (!QueueFilterMatches(m, hWnd, fmin, fmax)) {
      ++i;
      continue;
    }
    if (out) *out = m;
    if (removeMsg & PM_REMOVE) {
      RemoveQueuedAt(i);
      wm.LastMessageTime = m.time;
      KeyMessageRetrieved(m);
      if (raw) {
        ActivateForPress(m);
        RememberPress(m);
      }
    }
    return TRUE;
  }
  if (wm.QuitPosted && (fmin == 0 && fmax == 0)) {
    if (out) *out = MSG{0, WM_QUIT, static_cast<WPARAM>(wm.QuitCode), 0, wm.MessageTime, wm.Cursor};
    if (removeMsg & PM_REMOVE) wm.QuitPosted = false;
    return TRUE;
  }
  // Paint messages are made up when nothing else is waiting, for as long as the window's
  // area stays invalid: taking the message off the queue validates nothing.
  if (!IsThreadFilter(hWnd) && ((fmin == 0 && fmax == 0) || (fmin <= WM_PAINT && WM_PAINT <= fmax))) {
    if (HWND p = FindWindowToPaint(hWnd)) {
      if (out) *out = MSG{p, WM_PAINT, 0, 0, wm.MessageTime, wm.Cursor};
      return TRUE;
    }
  }
  // Timers come last, when nothing else waits.
  if (TakeDueTimer(hWnd, fmin, fmax, (removeMsg & PM_REMOVE) != 0, out)) {
    if (removeMsg & PM_REMOVE) wm.LastMessageTime = wm.MessageTime;
    return TRUE;
  }
  return FALSE;
}


BOOL GetMessage(MSG* msg, HWND hWnd, UINT fmin, UINT fmax) {
  if (!PeekMessage(msg, hWnd, fmin, fmax, PM_REMOVE)) {
    if (msg) *msg = MSG{};
    return FALSE;
  }
  return msg->message != WM_QUIT;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

int GetQueueLength() { return static_cast<int>(WM().Count); }
DWORD GetMessageTime() { return WM().LastMessageTime; }
void SetMessageTime(DWORD ms) { WM().MessageTime = ms; }
DWORD GetTickCount() { return WM().MessageTime; }

// ---- input ------------------------------------------------------------------------------

HWND GetFocus() { return WM().Focus; }

HWND SetFocus(HWND hWnd) {
  TWindowManager& wm = WM();
  if (hWnd && !LookupOrFail(hWnd)) return 0;
  HWND old = wm.Focus;
  if (old == hWnd) return old;
  // Focusing a window activates its top-level window first.
  if (hWnd) {
    HWND top = hWnd;
    while (TWindow* w = Lookup(top)) {
      if (!(w->Style & WS_CHILD) || !w->Parent) break;
      top = w->Parent;
    }
    if (top != wm.Active) SetActiveWindow(top);
    if (wm.Focus == hWnd) return old;
    old = wm.Focus;
  }
  wm.Focus = hWnd;
  if (old && Lookup(old)) SendMessage(old, WM_KILLFOCUS, hWnd, 0);
  if (hWnd && wm.Focus == hWnd && Lookup(hWnd)) SendMessage(hWnd, WM_SETFOCUS, old, 0);
  return old;
}

HWND GetActiveWindow() { return WM().Active; }

HWND SetActiveWindow(HWND hWnd) {
  TWindowManager& wm = WM();
  if (hWnd && !LookupOrFail(hWnd)) return 0;
  HWND old = wm.Active;
  if (old == hWnd) return old;
  wm.Active = hWnd;
  if (hWnd) BringWindowToTop(hWnd);
  // The captions change colour.
  if (old && Lookup(old)) InvalidateFrame(old);
  if (hWnd) InvalidateFrame(hWnd);
  if (old && Lookup(old)) SendMessage(old, WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(hWnd));
  if (hWnd && wm.Active == hWnd && Lookup(hWnd)) SendMessage(hWnd, WM_ACTIVATE, WA_ACTIVE, static_cast<LPARAM>(old));
  return old;
}

void SetApplicationActive(bool active) {
  TWindowManager& wm = WM();
  if (wm.AppActive == active) return;
  wm.AppActive = active;
  std::vector<HWND> tops = wm.TopLevel;
  for (HWND h : tops)
    if (Lookup(h)) SendMessage(h, WM_ACTIVATEAPP, active ? 1 : 0, 0);
}

bool GetApplicationActive() { return WM().AppActive; }

HWND GetCapture() { return WM().Capture; }

HWND SetCapture(HWND hWnd) {
  TWindowManager& wm = WM();
  HWND old = wm.Capture;
  if (hWnd && !LookupOrFail(hWnd)) return old;
  wm.Capture = hWnd;
  if (old && old != hWnd && Lookup(old)) SendMessage(old, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(hWnd));
  return old;
}

BOOL ReleaseCapture() {
  TWindowManager& wm = WM();
  HWND old = wm.Capture;
  wm.Capture = 0;
  if (old && Lookup(old)) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

BOOL GetCursorPos(TPoint* p) {
  if (!p) return FALSE;
  *p = WM().Cursor;
  return TRUE;
}

void MouseButtonReported(UINT msg);  // Keyboard.cpp

void MouseInput(UINT msg, TPoint sp, WPARAM keys) {
  TWindowManager& wm = WM();
  wm.Cursor = sp;
  MouseButtonReported(msg);
  Enqueue(MSG{0, msg, keys, 0, wm.MessageTime, sp}, true);
}

TInputWaiter SetInputWaiter(TInputWaiter waiter) {
  std::swap(InputWaiterSlot(), waiter);
  return waiter;
}

// Asks for new input even while other messages wait: a loop that takes only some kinds
// (the close box takes mouse input) would otherwise spin on what it leaves queued.
BOOL WaitMessage() {
  // A copy: the waiter may install another one while it runs.
  TInputWaiter waiter = InputWaiterSlot();
  return waiter && waiter() ? TRUE : FALSE;
}

UINT GetDoubleClickTime() { return 500; }

HCURSOR LoadCursorA(HINSTANCE, UINT id) { return id; }

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old = WM().CursorShape;
  WM().CursorShape = cursor;
  return old;
}

HCURSOR GetCursor() { return WM().CursorShape; }

BOOL SetCursorPos(int x, int y) {
  WM().Cursor = {x, y};
  return TRUE;
}


// ---- sounds -----------------------------------------------------------------------------

BOOL MessageBeep(UINT type) {
  ++WM().BeepCount;
  WM().LastBeep = type;
  return TRUE;
}

int GetMessageBeepCount() { return WM().BeepCount; }
UINT GetLastMessageBeepType() { return WM().LastBeep; }

void ResetWindowManager() {
  ResetMenus();
  ResetDeviceContexts();
  ResetKeyboard();
  DestroyCaret();
  TSurface& screen = ScreenSurface();
  screen.Resize(screen.Width, screen.Height, ColorToPixel(GetSysColor(COLOR_BACKGROUND)));
  GeometryChanged();
  ResetTimers();
  if (!gWM) return;
  for (TSlot& s : gWM->Slots) delete s.Window;
  delete gWM;
  gWM = nullptr;
}
