// Painting: window geometry and visible regions, update regions and invalidation, the paint
// cycle (BeginPaint, WM_NCPAINT, WM_ERASEBKGND, EndPaint), what a change uncovers, the
// caret, and the screen's size and PNG.
#include <algorithm>
#include <cstdio>

#include "DeviceContext.h"
#include "MenuTable.h"
#include "Surface.h"

namespace {

uint32_t gGeometryVersion = 1;

TRect WholeRect(const TWindow* w) { return {0, 0, w->Bounds.Width(), w->Bounds.Height()}; }

void Invalidate(TWindow* w, const TRegion* windowRgn, UINT flags);

// Adds a region in w's window coordinates (or removes it), then passes it on to the children
// unless they clip themselves out of their parent's painting.
void Invalidate(TWindow* w, const TRegion* windowRgn, UINT flags) {
  TRegion rgn = windowRgn ? *windowRgn : TRegion((flags & RDW_FRAME) ? WholeRect(w) : ClientInWindow(w));
  rgn.Intersect((flags & RDW_FRAME) || (flags & RDW_VALIDATE) ? WholeRect(w) : ClientInWindow(w));
  if (flags & RDW_INVALIDATE) {
    if (!rgn.Empty()) {
      w->Update.Union(rgn);
      if (flags & RDW_ERASE) w->UpdateErase = true;
      TRegion outside = rgn;
      outside.Subtract(ClientInWindow(w));
      if ((flags & RDW_FRAME) && !outside.Empty()) w->UpdateFrame = true;
    }
  } else if (flags & RDW_VALIDATE) {
    w->Update.Subtract(rgn);
    if (flags & RDW_NOFRAME) w->UpdateFrame = false;
    if (flags & RDW_NOERASE) w->UpdateErase = false;
    if (w->Update.Empty()) w->UpdateErase = w->UpdateFrame = false;
  }
  if (flags & RDW_INTERNALPAINT) w->InternalPaint = true;
  if (flags & RDW_NOINTERNALPAINT) w->InternalPaint = false;
  if ((flags & RDW_NOCHILDREN) || (!(flags & RDW_ALLCHILDREN) && (w->Style & WS_CLIPCHILDREN))) return;
  const TRect client = ClientInWindow(w);
  for (HWND c : w->Children) {
    TWindow* cw = LookupWindow(c);
    if (!cw || !(cw->Style & WS_VISIBLE)) continue;
    TRegion part = rgn;
    part.Offset(-(client.Left + cw->Bounds.Left), -(client.Top + cw->Bounds.Top));
    part.Intersect(WholeRect(cw));
    if (part.Empty() && !(flags & RDW_INTERNALPAINT)) continue;
    UINT childFlags = flags & RDW_INVALIDATE ? flags | RDW_FRAME | RDW_ERASE : flags;
    Invalidate(cw, &part, childFlags);
  }
}

TWindow* FindToPaint(const std::vector<HWND>& list) {
  for (HWND h : list) {
    TWindow* w = LookupWindow(h);
    if (!w || !(w->Style & WS_VISIBLE)) continue;
    if (!w->Update.Empty() || w->InternalPaint) return w;
    if (TWindow* c = FindToPaint(w->Children)) return c;
  }
  return nullptr;
}

// Invalidates whatever is visible of every window inside a screen area, and paints the bare
// desktop there at once: the desktop is only ever erased, never sent WM_PAINT.
void RepaintScreenArea(const TRegion& area) {
  if (area.Empty()) return;
  TRegion desk = VisibleRegion(GetDesktopWindow(), DCX_CLIPCHILDREN);
  desk.Intersect(area);
  if (!desk.Empty()) {
    TSurface& s = ScreenSurface();
    const uint32_t bg = ColorToPixel(GetSysColor(COLOR_BACKGROUND));
    int n = 0;
    const pixman_box32_t* boxes = desk.Rects(&n);
    for (int i = 0; i < n; ++i) {
      for (int32_t y = boxes[i].y1; y < boxes[i].y2; ++y) std::fill(s.Row(y) + boxes[i].x1, s.Row(y) + boxes[i].x2, bg);
      NoteScreenDamage({boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
    }
  }
  std::vector<HWND> stack(TopLevelWindows().rbegin(), TopLevelWindows().rend());
  while (!stack.empty()) {
    TWindow* w = LookupWindow(stack.back());
    stack.pop_back();
    if (!w || !(w->Style & WS_VISIBLE)) continue;
    TRegion part = VisibleRegion(w->Handle, DCX_WINDOW | ((w->Style & WS_CLIPSIBLINGS) ? DCX_CLIPSIBLINGS : 0));
    part.Intersect(area);
    if (!part.Empty()) {
      TRect wr = WindowScreenRect(w);
      part.Offset(-wr.Left, -wr.Top);
      Invalidate(w, &part, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_NOCHILDREN);
    }
    for (HWND c : w->Children) stack.push_back(c);
  }
}

// ---- the caret ---------------------------------------------------------------------------

struct TCaret {
  HWND Owner = 0;
  TPoint Pos;
  int32_t Width = 1, Height = 1;
  int HideCount = 1;  // a new caret is hidden until shown
  bool On = false;    // currently inverted on the screen
};

TCaret& Caret() {
  static TCaret c;
  return c;
}

void ToggleCaret() {
  TCaret& c = Caret();
  if (!c.Owner) return;
  HDC dc = GetDCEx(c.Owner, 0, DCX_USESTYLE);
  PatBlt(dc, c.Pos.X, c.Pos.Y, c.Width, c.Height, DSTINVERT);
  ReleaseDC(c.Owner, dc);
  c.On = !c.On;
}

void CaretOff() {
  if (Caret().On) ToggleCaret();
}

void CaretOnIfShown() {
  TCaret& c = Caret();
  if (c.Owner && c.HideCount == 0 && !c.On && IsWindowVisible(c.Owner)) ToggleCaret();
}

}  // namespace

// ---- geometry ----------------------------------------------------------------------------

TRect ClientInWindow(const TWindow* w) {
  TRect in = NonClientInsets(w);
  TRect r{in.Left, in.Top, w->Bounds.Width() - in.Right, w->Bounds.Height() - in.Bottom};
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

uint32_t GetGeometryVersion() { return gGeometryVersion; }
void GeometryChanged() { ++gGeometryVersion; }

// The frame's width on each side, inside of which the caption lies.
static int FrameWidth(const TWindow* w) {
  if (w->Style & WS_THICKFRAME) return GetSystemMetrics(SM_CXFRAME);
  if ((w->Style & WS_DLGFRAME) || (w->ExStyle & WS_EX_DLGMODALFRAME)) return GetSystemMetrics(SM_CXDLGFRAME);
  return (w->Style & WS_BORDER) ? 1 : 0;
}

TRect NonClientInsets(const TWindow* w) {
  int b = FrameWidth(w);
  if (w->ExStyle & WS_EX_CLIENTEDGE) b += 2;
  TRect in{b, b, b, b};
  if ((w->Style & WS_CAPTION) == WS_CAPTION)
    in.Top += GetSystemMetrics((w->ExStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
  if (WindowMenu(w)) in.Top += GetSystemMetrics(SM_CYMENU);
  return in;
}

TRect WindowScreenRect(const TWindow* w) {
  TPoint o{0, 0};
  if (const TWindow* p = w->Parent ? LookupWindow(w->Parent) : nullptr) {
    TRect pc = ClientScreenRect(p);
    o = {pc.Left, pc.Top};
  }
  return {o.X + w->Bounds.Left, o.Y + w->Bounds.Top, o.X + w->Bounds.Right, o.Y + w->Bounds.Bottom};
}

TRect ClientScreenRect(const TWindow* w) {
  TRect r = WindowScreenRect(w);
  TRect c = ClientInWindow(w);
  return {r.Left + c.Left, r.Top + c.Top, r.Left + c.Right, r.Top + c.Bottom};
}

bool IsShowing(const TWindow* w) {
  for (; w; w = w->Parent ? LookupWindow(w->Parent) : nullptr)
    if (!(w->Style & WS_VISIBLE)) return false;
  return true;
}

TRegion VisibleRegion(HWND h, DWORD flags) {
  TRegion rgn;
  if (h == GetDesktopWindow()) {
    rgn.SetRect(ScreenSurface().Bounds());
    if (flags & DCX_CLIPCHILDREN)
      for (HWND t : TopLevelWindows())
        if (TWindow* tw = LookupWindow(t); tw && (tw->Style & WS_VISIBLE)) rgn.Subtract(WindowScreenRect(tw));
    return rgn;
  }
  TWindow* w = LookupWindow(h);
  if (!w || !IsShowing(w)) return rgn;
  rgn.SetRect((flags & DCX_WINDOW) ? WindowScreenRect(w) : ClientScreenRect(w));
  if (flags & DCX_CLIPCHILDREN)
    for (HWND c : w->Children)
      if (TWindow* cw = LookupWindow(c); cw && (cw->Style & WS_VISIBLE)) rgn.Subtract(WindowScreenRect(cw));
  for (TWindow* cur = w; cur;) {
    TWindow* parent = cur->Parent ? LookupWindow(cur->Parent) : nullptr;
    // Top-level windows share one surface, so those above always cover; children clip their
    // siblings above them when asked to.
    const bool clipSiblings = !parent || (cur == w ? (flags & DCX_CLIPSIBLINGS) != 0 : (cur->Style & WS_CLIPSIBLINGS) != 0);
    if (clipSiblings) {
      const std::vector<HWND>& siblings = parent ? parent->Children : TopLevelWindows();
      for (HWND s : siblings) {
        if (s == cur->Handle) break;
        if (TWindow* sw = LookupWindow(s); sw && (sw->Style & WS_VISIBLE)) rgn.Subtract(WindowScreenRect(sw));
      }
    }
    if (!parent) break;
    rgn.Intersect(ClientScreenRect(parent));
    cur = parent;
  }
  return rgn;
}

// ---- invalidation ------------------------------------------------------------------------

BOOL RedrawWindow(HWND hWnd, const TRect* rect, HRGN hrgn, UINT flags) {
  if (!hWnd || hWnd == GetDesktopWindow()) {
    // The whole desktop: every window, frames included, erased.
    RepaintScreenArea(TRegion(ScreenSurface().Bounds()));
    return TRUE;
  }
  TWindow* w = LookupWindow(hWnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // Rectangles and regions come in client coordinates.
  TRect client = ClientInWindow(w);
  TRegion rgn;
  const TRegion* given = nullptr;
  if (const TRegion* r = hrgn ? RegionOf(hrgn) : nullptr) {
    rgn = *r;
    given = &rgn;
  } else if (rect) {
    rgn.SetRect(*rect);
    given = &rgn;
  }
  if (given) rgn.Offset(client.Left, client.Top);
  if (flags & (RDW_INVALIDATE | RDW_VALIDATE | RDW_INTERNALPAINT | RDW_NOINTERNALPAINT)) Invalidate(w, given, flags);
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow(hWnd);
  return TRUE;
}

BOOL InvalidateRect(HWND hWnd, const TRect* rect, BOOL erase) {
  return RedrawWindow(hWnd, rect, 0, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL InvalidateRgn(HWND hWnd, HRGN rgn, BOOL erase) {
  return RedrawWindow(hWnd, nullptr, rgn, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND hWnd, const TRect* rect) {
  if (!hWnd) return FALSE;
  return RedrawWindow(hWnd, rect, 0, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL UpdateWindow(HWND hWnd) {
  TWindow* w = LookupWindow(hWnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // Parent first, then the children, each sent WM_PAINT once if it needs it.
  std::vector<HWND> order{hWnd};
  for (size_t i = 0; i < order.size(); ++i)
    if (TWindow* cw = LookupWindow(order[i]))
      for (HWND c : cw->Children) order.push_back(c);
  for (HWND h : order) {
    TWindow* cw = LookupWindow(h);
    if (cw && IsShowing(cw) && (!cw->Update.Empty() || cw->InternalPaint)) SendMessage(h, WM_PAINT, 0, 0);
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, TRect* rect, BOOL) {
  TWindow* w = LookupWindow(hWnd);
  if (!w) return FALSE;
  TRect client = ClientInWindow(w);
  TRegion r = w->Update;
  r.Intersect(client);
  TRect e = r.Extents();
  if (rect) *rect = r.Empty() ? TRect{} : TRect{e.Left - client.Left, e.Top - client.Top, e.Right - client.Left, e.Bottom - client.Top};
  return !r.Empty();
}

int GetUpdateRgn(HWND hWnd, HRGN hrgn, BOOL) {
  TWindow* w = LookupWindow(hWnd);
  if (!w || !RegionOf(hrgn)) return ERROR;
  TRect client = ClientInWindow(w);
  TRegion r = w->Update;
  r.Intersect(client);
  r.Offset(-client.Left, -client.Top);
  HRGN copy = CreateRegionHandle(r);
  int type = CombineRgn(hrgn, copy, 0, RGN_COPY);
  DeleteObject(copy);
  return type;
}

HWND FindWindowToPaint(HWND filter) {
  if (filter) {
    TWindow* w = LookupWindow(filter);
    return w && IsShowing(w) && (!w->Update.Empty() || w->InternalPaint) ? filter : 0;
  }
  TWindow* w = FindToPaint(TopLevelWindows());
  return w ? w->Handle : 0;
}

void ExposeAfterChange(HWND h, const TRegion& oldScreen) {
  GeometryChanged();
  TWindow* w = LookupWindow(h);
  TRegion exposed = oldScreen;
  if (w && IsShowing(w)) exposed.Subtract(VisibleRegion(h, DCX_WINDOW));
  RepaintScreenArea(exposed);
  if (w && IsShowing(w)) Invalidate(w, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void InvalidateFrame(HWND h) {
  TWindow* w = LookupWindow(h);
  if (!w) return;
  TRegion frame(WholeRect(w));
  frame.Subtract(ClientInWindow(w));
  if (!frame.Empty()) Invalidate(w, &frame, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
}

// ---- the paint cycle ---------------------------------------------------------------------

HDC BeginPaint(HWND hWnd, PAINTSTRUCT* ps) {
  TWindow* w = LookupWindow(hWnd);
  if (!w || !ps) return 0;
  HideCaret(hWnd);
  TRegion rgn = std::move(w->Update);
  w->Update.Clear();
  const bool erase = w->UpdateErase, frame = w->UpdateFrame;
  w->UpdateErase = w->UpdateFrame = w->InternalPaint = false;
  const TRect client = ClientInWindow(w);
  TRegion outside = rgn;
  outside.Subtract(client);
  if (frame || !outside.Empty()) {
    SendMessage(hWnd, WM_NCPAINT, 1, 0);
    if (!(w = LookupWindow(hWnd))) return 0;
  }
  rgn.Intersect(client);
  TRect wr = WindowScreenRect(w);
  rgn.Offset(wr.Left, wr.Top);
  HDC dc = GetDCEx(hWnd, CreateRegionHandle(rgn), DCX_INTERSECTRGN | DCX_USESTYLE);
  *ps = PAINTSTRUCT{};
  ps->hdc = dc;
  // fErase: the background still needs erasing because WM_ERASEBKGND did not do it.
  ps->fErase = erase && !rgn.Empty() && SendMessage(hWnd, WM_ERASEBKGND, dc, 0) == 0;
  GetClipBox(dc, &ps->rcPaint);
  return dc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* ps) {
  if (!ps) return FALSE;
  ReleaseDC(hWnd, ps->hdc);
  ShowCaret(hWnd);
  return TRUE;
}

// ---- caret -------------------------------------------------------------------------------

BOOL CreateCaret(HWND hWnd, int width, int height) {
  if (!LookupWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  DestroyCaret();
  TCaret& c = Caret();
  c.Owner = hWnd;
  c.Width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
  c.Height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
  c.HideCount = 1;
  c.On = false;
  return TRUE;
}

BOOL DestroyCaret() {
  CaretOff();
  TPoint keep = Caret().Pos;
  Caret() = TCaret{};
  Caret().Pos = keep;
  return TRUE;
}

BOOL ShowCaret(HWND hWnd) {
  TCaret& c = Caret();
  if (!c.Owner || (hWnd && hWnd != c.Owner) || c.HideCount == 0) return FALSE;
  if (--c.HideCount == 0) CaretOnIfShown();
  return TRUE;
}

BOOL HideCaret(HWND hWnd) {
  TCaret& c = Caret();
  if (!c.Owner || (hWnd && hWnd != c.Owner)) return FALSE;
  CaretOff();
  ++c.HideCount;
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  TCaret& c = Caret();
  const bool was = c.On;
  CaretOff();
  c.Pos = {x, y};
  if (was) CaretOnIfShown();
  return TRUE;
}

BOOL GetCaretPos(TPoint* p) {
  if (!p) return FALSE;
  *p = Caret().Pos;
  return TRUE;
}

void CaretWindowGone(HWND h) {
  if (Caret().Owner == h) {
    TPoint keep = Caret().Pos;
    Caret() = TCaret{};
    Caret().Pos = keep;
  }
}

// ---- the screen --------------------------------------------------------------------------

void SetScreenSize(int width, int height) {
  ScreenSurface().Resize(width, height, ColorToPixel(GetSysColor(COLOR_BACKGROUND)));
  GeometryChanged();
  RepaintScreenArea(TRegion(ScreenSurface().Bounds()));
}

bool SaveScreenPNG(HWND hWnd, const std::string& path, std::string* error) {
  TRect r = ScreenSurface().Bounds();
  if (hWnd) {
    TWindow* w = LookupWindow(hWnd);
    if (!w) {
      if (error) *error = "no such window";
      return false;
    }
    r = WindowScreenRect(w);
  }
  return SaveSurfacePNG(ScreenSurface(), &r, path, error);
}
