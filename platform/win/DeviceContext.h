// Device contexts: the drawing state over a surface (the screen through a window, or a
// memory bitmap) and the region it may draw in.
#pragma once

#include <vector>

#include "GdiObjects.h"

struct TDCState {
  HPEN Pen = 0;
  HBRUSH Brush = 0;
  HFONT Font = 0;
  COLORREF TextColor = 0;
  COLORREF BkColor = 0xFFFFFF;
  int BkMode = OPAQUE;
  int Rop2 = R2_COPYPEN;
  UINT TextAlign = TA_LEFT | TA_TOP;
  TPoint Pos;
  TPoint WindowOrg, ViewportOrg, BrushOrg;
  bool HasClip = false;
  TRegion Clip;  // device coordinates
};

struct TDeviceContext : TGdiObject {
  HDC Handle = 0;
  HWND Window = 0;       // 0 for memory contexts
  DWORD Flags = 0;
  bool Memory = false;
  HBITMAP Bitmap = 0;    // a memory context's selected bitmap
  TDCState State;
  std::vector<TDCState> Saved;
  bool HasExtra = false;  // DCX_INTERSECTRGN / DCX_EXCLUDERGN, in screen coordinates
  bool ExtraExclude = false;
  TRegion Extra;

  // Cached from the window geometry: where device (0,0) is on the surface, and the surface
  // region drawing may touch (visible ∩ extra ∩ clip).
  uint32_t Version = 0xFFFFFFFF;
  bool ClipChanged = true;
  TPoint Origin;
  TRegion Visible;
  TRegion DrawArea;
};

// Brings the cached regions up to date; returns the surface to draw on, or null when the
// context cannot draw (a stale handle, a memory context without a bitmap).
TSurface* PrepareDC(TDeviceContext* dc);
// Logical to surface coordinates.
inline TPoint ToSurface(const TDeviceContext* dc, int32_t x, int32_t y) {
  return {x - dc->State.WindowOrg.X + dc->State.ViewportOrg.X + dc->Origin.X,
          y - dc->State.WindowOrg.Y + dc->State.ViewportOrg.Y + dc->Origin.Y};
}
inline TRect ToSurface(const TDeviceContext* dc, const TRect& r) {
  TPoint a = ToSurface(dc, r.Left, r.Top);
  return {a.X, a.Y, a.X + r.Width(), a.Y + r.Height()};
}
// Calls f(rect) for each part of the surface rectangle r that the context may draw on.
template <class F>
void ForEachClipped(const TDeviceContext* dc, const TRect& r, F&& f) {
  if (IsRectEmpty(r)) return;
  if (!dc->Memory) NoteScreenDamage(IntersectRects(r, dc->DrawArea.Extents()));
  int n = 0;
  const pixman_box32_t* boxes = dc->DrawArea.Rects(&n);
  for (int i = 0; i < n; ++i) {
    if (boxes[i].y1 >= r.Bottom) break;
    TRect part = IntersectRects(r, TRect{boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
    if (!IsRectEmpty(part)) f(part);
  }
}

COLORREF ResolveColor(COLORREF c);  // drops palette-index flags
// Called by ResetWindowManager.
void ResetDeviceContexts();

// Recording: the context's coordinates are what a test sees (client or window coordinates).
bool DrawRecordingOn();
void RecordDraw(const TDeviceContext* dc, const char* op, const TRect& deviceRect, COLORREF color, int rop = 0);
void RecordText(const TDeviceContext* dc, const char* op, const TRect& deviceRect, const std::string& text);
// A logical rectangle as the recorder reports it: device coordinates of the context.
TRect ToDevice(const TDeviceContext* dc, const TRect& r);
