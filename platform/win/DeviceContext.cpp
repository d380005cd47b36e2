// Device contexts: getting and releasing them, their attributes and clip regions, memory
// contexts, and the drawing recorder.
#include "DeviceContext.h"

#include <algorithm>

#include "FontFace.h"
#include "WindowTable.h"

namespace {

int gLiveDCs = 0;
std::vector<HDC>& WindowDCs() {
  static std::vector<HDC> dcs;
  return dcs;
}

struct TRecorder {
  bool On = false;
  std::vector<TDrawRecord> Records;
};
TRecorder& Recorder() {
  static TRecorder r;
  return r;
}

void Select(HGDIOBJ& slot, HGDIOBJ obj) {
  if (TGdiObject* old = LookupGdiObject(slot)) --old->SelectCount;
  slot = obj;
  if (TGdiObject* o = LookupGdiObject(obj)) ++o->SelectCount;
}

void InitState(TDCState& s) {
  s = TDCState{};
  Select(s.Pen, DefaultPen());
  Select(s.Brush, DefaultBrush());
  Select(s.Font, DefaultFont());
}

// Drops what a state holds selected (its objects become deletable again).
void ReleaseState(TDCState& s) {
  Select(s.Pen, 0);
  Select(s.Brush, 0);
  Select(s.Font, 0);
}

TDeviceContext* NewDC(DWORD type) {
  auto dc = std::make_unique<TDeviceContext>();
  dc->Type = type;
  TDeviceContext* raw = dc.get();
  raw->Handle = AddGdiObject(std::move(dc));
  InitState(raw->State);
  ++gLiveDCs;
  return raw;
}

void FreeDC(TDeviceContext* dc) {
  ReleaseState(dc->State);
  for (TDCState& s : dc->Saved) ReleaseState(s);
  if (dc->Memory) {
    if (auto* bm = LookupGdi<TGdiBitmap>(dc->Bitmap, OBJ_BITMAP)) {
      --bm->SelectCount;
      bm->SelectedInto = 0;
    }
  } else {
    auto& list = WindowDCs();
    list.erase(std::remove(list.begin(), list.end(), dc->Handle), list.end());
  }
  --gLiveDCs;
  RemoveGdiObject(dc->Handle);
}

}  // namespace

COLORREF ResolveColor(COLORREF c) { return c & 0x00FFFFFF; }

HDC GetDCEx(HWND hWnd, uint32_t clipRgn, DWORD flags) {
  const HWND desktop = GetDesktopWindow();
  if (!hWnd) hWnd = desktop;
  TWindow* w = hWnd == desktop ? nullptr : LookupWindow(hWnd);
  if (hWnd != desktop && !w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (flags & DCX_USESTYLE) {
    // The desktop's own style clips its children: the top-level windows.
    DWORD style = w ? w->Style : (WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    if (style & WS_CLIPSIBLINGS) flags |= DCX_CLIPSIBLINGS;
    if (!(flags & DCX_WINDOW) && (style & WS_CLIPCHILDREN)) flags |= DCX_CLIPCHILDREN;
  }
  if (flags & DCX_WINDOW) flags &= ~DCX_CLIPCHILDREN;
  TDeviceContext* dc = NewDC(OBJ_DC);
  dc->Window = hWnd;
  dc->Flags = flags;
  if (const TRegion* extra = (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN)) ? RegionOf(clipRgn) : nullptr) {
    dc->HasExtra = true;
    dc->ExtraExclude = (flags & DCX_EXCLUDERGN) != 0;
    dc->Extra = *extra;
  }
  // The context owns the region from here on, as the real one does.
  if (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN)) DeleteObject(clipRgn);
  WindowDCs().push_back(dc->Handle);
  return dc->Handle;
}

HDC GetDC(HWND hWnd) {
  if (!hWnd) return GetDCEx(GetDesktopWindow(), 0, DCX_CACHE | DCX_WINDOW);
  return GetDCEx(hWnd, 0, DCX_USESTYLE);
}

HDC GetWindowDC(HWND hWnd) { return GetDCEx(hWnd, 0, DCX_USESTYLE | DCX_WINDOW); }

// A released context is gone: drawing through a kept handle fails, and its selected objects
// are the application's to delete again.
int ReleaseDC(HWND, HDC hDC) {
  TDeviceContext* dc = LookupDC(hDC);
  if (!dc || dc->Memory) return 0;
  FreeDC(dc);
  return 1;
}

HWND WindowFromDC(HDC hDC) {
  TDeviceContext* dc = LookupDC(hDC);
  return dc ? dc->Window : 0;
}

int GetLiveDCCount() { return gLiveDCs; }

void ResetDeviceContexts() {
  std::vector<HDC> dcs = WindowDCs();
  for (HDC h : dcs)
    if (TDeviceContext* dc = LookupDC(h)) FreeDC(dc);
  WindowDCs().clear();
}

HDC CreateCompatibleDC(HDC) {
  TDeviceContext* dc = NewDC(OBJ_MEMDC);
  dc->Memory = true;
  dc->Bitmap = DefaultBitmap();
  if (TGdiObject* bm = LookupGdiObject(dc->Bitmap)) ++bm->SelectCount;
  return dc->Handle;
}

BOOL DeleteDC(HDC hDC) {
  TDeviceContext* dc = LookupDC(hDC);
  if (!dc) return FALSE;
  FreeDC(dc);
  return TRUE;
}

TSurface* PrepareDC(TDeviceContext* dc) {
  if (!dc) return nullptr;
  TSurface* target;
  if (dc->Memory) {
    auto* bm = LookupGdi<TGdiBitmap>(dc->Bitmap, OBJ_BITMAP);
    if (!bm) return nullptr;
    target = &bm->Pixels;
    if (dc->Version != 0) {
      dc->Origin = {0, 0};
      dc->Visible.SetRect(target->Bounds());
      dc->Version = 0;
      dc->ClipChanged = true;
    }
  } else {
    target = &ScreenSurface();
    TWindow* w = dc->Window == GetDesktopWindow() ? nullptr : LookupWindow(dc->Window);
    if (dc->Window != GetDesktopWindow() && !w) return nullptr;
    if (dc->Version != GetGeometryVersion()) {
      dc->Version = GetGeometryVersion();
      if (w) {
        TRect r = (dc->Flags & DCX_WINDOW) ? WindowScreenRect(w) : ClientScreenRect(w);
        dc->Origin = {r.Left, r.Top};
      } else {
        dc->Origin = {0, 0};
      }
      dc->Visible = VisibleRegion(dc->Window, dc->Flags);
      dc->Visible.Intersect(target->Bounds());
      if (dc->HasExtra) {
        if (dc->ExtraExclude)
          dc->Visible.Subtract(dc->Extra);
        else
          dc->Visible.Intersect(dc->Extra);
      }
      dc->ClipChanged = true;
    }
  }
  if (dc->ClipChanged) {
    dc->DrawArea = dc->Visible;
    if (dc->State.HasClip) {
      TRegion clip = dc->State.Clip;
      clip.Offset(dc->Origin.X, dc->Origin.Y);
      dc->DrawArea.Intersect(clip);
    }
    dc->ClipChanged = false;
  }
  return target;
}

// ---- attributes --------------------------------------------------------------------------

namespace {
template <class T>
T Swap(HDC h, T TDCState::*field, T value, T fail) {
  TDeviceContext* dc = LookupDC(h);
  if (!dc) return fail;
  T old = dc->State.*field;
  dc->State.*field = value;
  return old;
}
template <class T>
T Get(HDC h, T TDCState::*field, T fail) {
  TDeviceContext* dc = LookupDC(h);
  return dc ? dc->State.*field : fail;
}
}  // namespace

int SetROP2(HDC dc, int rop2) { return rop2 < 1 || rop2 > 16 ? 0 : Swap(dc, &TDCState::Rop2, rop2, 0); }
int GetROP2(HDC dc) { return Get(dc, &TDCState::Rop2, 0); }
COLORREF SetTextColor(HDC dc, COLORREF c) { return Swap(dc, &TDCState::TextColor, ResolveColor(c), CLR_INVALID); }
COLORREF GetTextColor(HDC dc) { return Get(dc, &TDCState::TextColor, CLR_INVALID); }
COLORREF SetBkColor(HDC dc, COLORREF c) { return Swap(dc, &TDCState::BkColor, ResolveColor(c), CLR_INVALID); }
COLORREF GetBkColor(HDC dc) { return Get(dc, &TDCState::BkColor, CLR_INVALID); }
int SetBkMode(HDC dc, int mode) { return mode != TRANSPARENT && mode != OPAQUE ? 0 : Swap(dc, &TDCState::BkMode, mode, 0); }
int GetBkMode(HDC dc) { return Get(dc, &TDCState::BkMode, 0); }
UINT SetTextAlign(HDC dc, UINT align) { return Swap(dc, &TDCState::TextAlign, align, 0xFFFFFFFFu); }
UINT GetTextAlign(HDC dc) { return Get(dc, &TDCState::TextAlign, 0xFFFFFFFFu); }

namespace {
BOOL SetOrigin(HDC h, TPoint TDCState::*field, int x, int y, TPoint* old) {
  TDeviceContext* dc = LookupDC(h);
  if (!dc) return FALSE;
  if (old) *old = dc->State.*field;
  dc->State.*field = {x, y};
  return TRUE;
}
BOOL GetOrigin(HDC h, TPoint TDCState::*field, TPoint* out) {
  TDeviceContext* dc = LookupDC(h);
  if (!dc || !out) return FALSE;
  *out = dc->State.*field;
  return TRUE;
}
}  // namespace

BOOL SetWindowOrgEx(HDC dc, int x, int y, TPoint* old) { return SetOrigin(dc, &TDCState::WindowOrg, x, y, old); }
BOOL GetWindowOrgEx(HDC dc, TPoint* org) { return GetOrigin(dc, &TDCState::WindowOrg, org); }
BOOL SetViewportOrgEx(HDC dc, int x, int y, TPoint* old) { return SetOrigin(dc, &TDCState::ViewportOrg, x, y, old); }
BOOL GetViewportOrgEx(HDC dc, TPoint* org) { return GetOrigin(dc, &TDCState::ViewportOrg, org); }
BOOL SetBrushOrgEx(HDC dc, int x, int y, TPoint* old) { return SetOrigin(dc, &TDCState::BrushOrg, x, y, old); }

BOOL MoveToEx(HDC h, int x, int y, TPoint* old) { return SetOrigin(h, &TDCState::Pos, x, y, old); }

int SaveDC(HDC h) {
  TDeviceContext* dc = LookupDC(h);
  if (!dc) return 0;
  dc->Saved.push_back(dc->State);
  TDCState& copy = dc->Saved.back();
  for (HGDIOBJ o : {copy.Pen, copy.Brush, copy.Font})
    if (TGdiObject* obj = LookupGdiObject(o)) ++obj->SelectCount;
  return static_cast<int>(dc->Saved.size());
}

BOOL RestoreDC(HDC h, int saved) {
  TDeviceContext* dc = LookupDC(h);
  if (!dc) return FALSE;
  int n = static_cast<int>(dc->Saved.size());
  int level = saved < 0 ? n + saved + 1 : saved;
  if (level < 1 || level > n) return FALSE;
  while (static_cast<int>(dc->Saved.size()) > level) {
    ReleaseState(dc->Saved.back());
    dc->Saved.pop_back();
  }
  ReleaseState(dc->State);
  dc->State = std::move(dc->Saved.back());
  dc->Saved.pop_back();
  dc->ClipChanged = true;
  return TRUE;
}

HGDIOBJ SelectObject(HDC h, HGDIOBJ obj) {
  TDeviceContext* dc = LookupDC(h);
  TGdiObject* o = LookupGdiObject(obj);
  if (!dc || !o) return 0;
  HGDIOBJ old;
  switch (o->Type) {
    case OBJ_PEN:
      old = dc->State.Pen;
      Select(dc->State.Pen, obj);
      return old;
    case OBJ_BRUSH:
      old = dc->State.Brush;
      Select(dc->State.Brush, obj);
      return old;
    case OBJ_FONT:
      old = dc->State.Font;
      Select(dc->State.Font, obj);
      return old;
    case OBJ_BITMAP: {
      auto* bm = static_cast<TGdiBitmap*>(o);
      // Only memory contexts hold bitmaps, and a bitmap sits in one context at a time.
      if (!dc->Memory || (bm->SelectedInto && bm->SelectedInto != h && !bm->Stock)) return 0;
      old = dc->Bitmap;
      if (auto* prev = LookupGdi<TGdiBitmap>(old, OBJ_BITMAP)) {
        --prev->SelectCount;
        prev->SelectedInto = 0;
      }
      dc->Bitmap = obj;
      ++bm->SelectCount;
      if (!bm->Stock) bm->SelectedInto = h;
      dc->Version = 1;  // the surface changed
      return old;
    }
    case OBJ_REGION:
      return static_cast<HGDIOBJ>(SelectClipRgn(h, obj));
    default:
      return 0;
  }
}

HGDIOBJ GetCurrentObject(HDC h, UINT type) {
  TDeviceContext* dc = LookupDC(h);
  if (!dc) return 0;
  switch (type) {
    case OBJ_PEN: return dc->State.Pen;
    case OBJ_BRUSH: return dc->State.Brush;
    case OBJ_FONT: return dc->State.Font;
    case OBJ_BITMAP: return dc->Bitmap;
    default: return 0;
  }
}

// ---- clipping ----------------------------------------------------------------------------

namespace {
int ClipType(TDeviceContext* dc) {
  PrepareDC(dc);
  int n = dc->DrawArea.RectCount();
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}
// A logical rectangle in device coordinates.
TRect ToDeviceRect(const TDeviceContext* dc, int l, int t, int r, int b) {
  TRect n = NormalizeRect({l, t, r, b});
  int dx = dc->State.ViewportOrg.X - dc->State.WindowOrg.X, dy = dc->State.ViewportOrg.Y - dc->State.WindowOrg.Y;
  return {n.Left + dx, n.Top + dy, n.Right + dx, n.Bottom + dy};
}
}  // namespace

TRect ToDevice(const TDeviceContext* dc, const TRect& r) {
  int dx = dc->State.ViewportOrg.X - dc->State.WindowOrg.X, dy = dc->State.ViewportOrg.Y - dc->State.WindowOrg.Y;
  return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

int SelectClipRgn(HDC h, HRGN rgn) {
  TDeviceContext* dc = LookupDC(h);
  if (!dc) return ERROR;
  if (!rgn) {
    dc->State.HasClip = false;
    dc->State.Clip.Clear();
  } else {
    const TRegion* r = RegionOf(rgn);
    if (!r) return ERROR;
    dc->State.HasClip = true;
    dc->State.Clip = *r;
  }
  dc->ClipChanged = true;
  return ClipType(dc);
}

int IntersectClipRect(HDC h, int l, int t, int r, int b) {
  TDeviceContext* dc = LookupDC(h);
  if (!dc) return ERROR;
  TRect d = ToDeviceRect(dc, l, t, r, b);
  if (dc->State.HasClip)
    dc->State.Clip.Intersect(d);
  else
    dc->State.Clip.SetRect(d);
  dc->State.HasClip = true;
  dc->ClipChanged = true;
  return ClipType(dc);
}

int ExcludeClipRect(HDC h, int l, int t, int r, int b) {
  TDeviceContext* dc = LookupDC(h);
  if (!dc || !PrepareDC(dc)) return ERROR;
  if (!dc->State.HasClip) {
    // With no clip yet the whole device is the starting point.
    TRegion all = dc->Visible;
    all.Offset(-dc->Origin.X, -dc->Origin.Y);
    dc->State.Clip = all;
    dc->State.HasClip = true;
  }
  dc->State.Clip.Subtract(ToDeviceRect(dc, l, t, r, b));
  dc->ClipChanged = true;
  return ClipType(dc);
}

int GetClipBox(HDC h, TRect* r) {
  TDeviceContext* dc = LookupDC(h);
  if (!dc || !r || !PrepareDC(dc)) return ERROR;
  TRect e = dc->DrawArea.Extents();
  // Back to logical coordinates.
  TPoint o = ToSurface(dc, 0, 0);
  *r = IsRectEmpty(e) ? TRect{} : TRect{e.Left - o.X, e.Top - o.Y, e.Right - o.X, e.Bottom - o.Y};
  return ClipType(dc);
}

// ---- recorder ----------------------------------------------------------------------------

void StartDrawRecording() {
  Recorder().On = true;
  Recorder().Records.clear();
}

std::vector<TDrawRecord> StopDrawRecording() {
  Recorder().On = false;
  return std::move(Recorder().Records);
}

const std::vector<TDrawRecord>& GetDrawRecords() { return Recorder().Records; }

bool DrawRecordingOn() { return Recorder().On; }

void RecordDraw(const TDeviceContext* dc, const char* op, const TRect& deviceRect, COLORREF color, int rop) {
  TDrawRecord r;
  r.Op = op;
  r.Window = dc->Memory || dc->Window == GetDesktopWindow() ? 0 : dc->Window;
  r.Rect = deviceRect;
  r.Color = color;
  r.BkColor = dc->State.BkColor;
  r.Rop = rop;
  Recorder().Records.push_back(std::move(r));
}

void RecordText(const TDeviceContext* dc, const char* op, const TRect& deviceRect, const std::string& text) {
  RecordDraw(dc, op, deviceRect, dc->State.TextColor, 0);
  TDrawRecord& r = Recorder().Records.back();
  r.Text = text;
  if (auto* f = LookupGdi<TGdiFont>(dc->State.Font, OBJ_FONT)) {
    r.Face = f->Log.lfFaceName;
    r.FontHeight = f->Log.lfHeight;
    r.Escapement = f->Log.lfEscapement;
  }
}
